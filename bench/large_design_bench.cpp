// A 500 MB design as today's layouts make them: 200 leaf cells of about 50,000 small boxes,
// polygons and paths each, placed once each on a grid by a top cell. It is generated once per
// run straight into an image, saved in a scratch folder (removed at the end), and then
// - opened: at least 500 MB/s of image ("MB/s" counter);
// - closed with writing: at most 1.25 times a plain write and fsync of a file of the encoded
//   size, measured in the same iteration ("ratio" counter);
// - fitted and redrawn through the Graphics Window's off-screen path: under 1 s.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QGuiApplication>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "command/view_commands.h"
#include "db/cad_file.h"
#include "db/cell_commands.h"
#include "db/cell_directory.h"
#include "db/design_files.h"
#include "db/element_stream.h"
#include "db/refusal.h"
#include "display/redraw.h"
#include "platform/scripted_host.h"
#include "qt/qt_surface.h"
#include "state/app_state.h"

namespace {

namespace fs = std::filesystem;
using namespace lav;

// The benchmarks build their designs within every limit: nothing is refused.
db::Refusal refusal;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kTargetSize = 500'000'000;
constexpr int kLeafElements = 50'000;
constexpr int kLeafSpan = 100'000;  // database units; leaves sit 110,000 apart
constexpr int kGridColumns = 20;
constexpr int kWidth = 1600, kHeight = 1000;

double seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

// Mostly boxes of 0.1 to 3 microns, some L-shaped polygons and hexagons, a few paths and texts.
void fillLeaf(AppState& app, std::uint32_t& seed) {
  auto next = [&](int n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<std::int32_t>((seed >> 8) % static_cast<std::uint32_t>(n));
  };
  struct {
    std::int32_t xmin, ymin, xmax, ymax;
  } extent{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  std::vector<db::Vertex> v;
  for (int i = 0; i < kLeafElements; ++i) {
    const int x = next(kLeafSpan - 4000), y = next(kLeafSpan - 4000);
    const int w = 100 + next(2900), h = 100 + next(2900);
    const auto layer = static_cast<std::int16_t>(next(10));
    const int kind = next(100);
    std::vector<std::uint8_t> r;
    if (kind < 85) {
      v = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}, {x, y}};
      r = db::EncodeArea(db::ElementType::Rect, layer, v);
    } else if (kind < 92) {
      v = {{x, y},     {x + w, y}, {x + w, y + h / 3}, {x + w / 3, y + h / 3}, {x + w / 3, y + h},
           {x, y + h}, {x, y}};
      r = db::EncodeArea(db::ElementType::Polygon, layer, v);
    } else if (kind < 96) {
      v.clear();
      for (int k = 0; k <= 6; ++k) {
        const double a = (k % 6) * 3.14159265358979 / 3;
        v.push_back({x + w / 2 + static_cast<int>(w / 2 * std::cos(a)),
                     y + w / 2 + static_cast<int>(w / 2 * std::sin(a))});
      }
      r = db::EncodeArea(db::ElementType::Polygon, layer, v);
    } else if (kind < 99 || i % 97 != 0) {
      v = {{x, y}, {x + w, y}, {x + w, y + h}};
      r = db::EncodeLine(layer, 0, 200, v);
    } else {
      db::TextRecord t;
      t.layer = layer;
      t.text = "N" + std::to_string(i);
      t.x = x;
      t.y = y;
      r = db::EncodeText(t);
    }
    for (const auto& p : v) {
      extent.xmin = std::min(extent.xmin, p.x), extent.ymin = std::min(extent.ymin, p.y);
      extent.xmax = std::max(extent.xmax, p.x), extent.ymax = std::max(extent.ymax, p.y);
    }
    db::AppendElement(app.design, r, app.host.now());
  }
  db::SetExtent(app.design, {extent.xmin, extent.ymin, extent.xmax, extent.ymax});
}

// Texts are drawn with the window system's fonts: an off-screen one is enough.
void needGui() {
  static int argc = 1;
  static char name[] = "lavinor_bench";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance()) return;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication gui(argc, argv);
}

struct LargeDesign {
  LargeDesign() {
    needGui();
    dir = fs::temp_directory_path() / ("lavinor-large-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::current_path(dir);
    db::NewDesign(app, "large", refusal);
    std::uint32_t seed = 2026;
    int leaves = 0;
    while (app.design.image.usedSize < kTargetSize - 3'000'000) {
      db::CreateCell(app, "LEAF" + std::to_string(leaves++), refusal);
      fillLeaf(app, seed);
    }
    db::CreateCell(app, "TOP", refusal);
    for (int k = 0; k < leaves; ++k) {
      db::Placement p;
      p.cellName = "LEAF" + std::to_string(k);
      p.x = (k % kGridColumns) * 110'000;
      p.y = (k / kGridColumns) * 110'000;
      db::AppendElement(app.design, db::EncodeSingle(p), app.host.now());
    }
    usedSize = app.design.image.usedSize;
    app.continueFlag = true;
    if (!db::CloseDesign(app, true, refusal)) throw std::runtime_error("the design was not saved");
    fileSize = static_cast<std::int64_t>(fs::file_size(dir / "large.cad"));
    surface = std::make_unique<qt::QtSurface>(kWidth, kHeight);
  }
  ~LargeDesign() {
    std::error_code ec;
    fs::current_path(fs::temp_directory_path(), ec);
    fs::remove_all(dir, ec);
  }
  bool open() {
    app.continueFlag = true;
    app.design.auxCounter = 0;  // a run may open only 100 designs
    return db::OpenDesign(app, "large", refusal) == db::OpenResult::Opened;
  }
  // The time of writing and fsyncing a plain file of the encoded size.
  double plainWrite() {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(fileSize));
    for (std::size_t i = 0; i < bytes.size(); i += 4096) bytes[i] = static_cast<std::uint8_t>(i);
    const std::string path = (dir / "plain.bin").string();
    const auto t = Clock::now();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (std::size_t done = 0; fd >= 0 && done < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::fsync(fd);
    ::close(fd);
    const double s = seconds(t);
    fs::remove(path);
    return s;
  }

  fs::path dir;
  ScriptedHost host;
  AppState app{host};
  std::int64_t usedSize = 0, fileSize = 0;
  std::unique_ptr<qt::QtSurface> surface;
};

LargeDesign& design() {
  static LargeDesign d;
  return d;
}

void BM_OpenLargeDesign(benchmark::State& state) {
  LargeDesign& d = design();
  // The save wrote around the page cache: one read first, so that every timed open finds the file
  // where a recently used one is (a cold read adds the disk's time).
  if (!d.open()) state.SkipWithError("open");
  db::DiscardDesign(d.app);
  double total = 0;
  for (auto _ : state) {
    const auto t = Clock::now();
    if (!d.open()) state.SkipWithError("open");
    total += seconds(t);
    state.PauseTiming();
    db::DiscardDesign(d.app);
    state.ResumeTiming();
  }
  state.counters["image MB"] = double(d.usedSize) / 1e6;
  state.counters["file MB"] = double(d.fileSize) / 1e6;
  state.counters["MB/s"] = double(d.usedSize) / 1e6 * double(state.iterations()) / total;
}
BENCHMARK(BM_OpenLargeDesign)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CloseLargeDesignWithWriting(benchmark::State& state) {
  LargeDesign& d = design();
  double close = 0, plain = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (!d.open()) state.SkipWithError("open");
    ::sync();
    state.ResumeTiming();
    const auto t = Clock::now();
    if (!db::CloseDesign(d.app, true, refusal)) state.SkipWithError("close");
    close += seconds(t);
    state.PauseTiming();
    ::sync();
    plain += d.plainWrite();
    state.ResumeTiming();
  }
  const double n = double(state.iterations());
  state.counters["close s"] = close / n;
  state.counters["plain write s"] = plain / n;
  state.counters["ratio"] = close / plain;
}
BENCHMARK(BM_CloseLargeDesignWithWriting)->Unit(benchmark::kMillisecond)->Iterations(3);

// The encoding alone, into nothing: what the close does besides the disk's part; in one pass
// (0) and in ranges by one or two threads.
void BM_EncodeLargeDesign(benchmark::State& state) {
  LargeDesign& d = design();
  if (!d.open()) state.SkipWithError("open");
  std::size_t bytes = 0;
  for (auto _ : state)
    db::EncodeFileTo(
        d.app.design.image,
        [&](std::span<const std::uint8_t> piece) {
          bytes += piece.size();
          return true;
        },
        state.range(0) ? 4 << 20 : 0, int(state.range(0)));
  db::DiscardDesign(d.app);
  state.counters["MB/s"] = benchmark::Counter(double(bytes) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EncodeLargeDesign)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// FIT as the command does it, the cell measured again, drawn into the window's image.
void BM_FitLargeDesign(benchmark::State& state) {
  LargeDesign& d = design();
  if (!d.open()) state.SkipWithError("open");
  auto& app = d.app;
  auto& v = app.display.view;
  v.clientWidth = kWidth;
  v.clientHeight = kHeight;
  v.screenWidth = 1920;
  v.screenHeight = 1080;
  app.display.firstPaintDone = true;
  app.display.target = d.surface.get();
  db::MakeCurrent(app.design, db::FindCell(app.design.image, "TOP").slotOffset);
  for (auto _ : state) {
    app.display.extentPass = true;
    display::FitAndRedraw(app);
  }
  app.display.target = nullptr;
  db::DiscardDesign(app);
}
BENCHMARK(BM_FitLargeDesign)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
