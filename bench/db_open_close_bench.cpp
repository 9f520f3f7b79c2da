// A design that fills most of the image: encoding and decoding it (at least 300 MB/s of image
// each way), and opening and closing it with writing, file I/O included (below 100 ms each).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "db/cad_file.h"
#include "db/cell_commands.h"
#include "db/design_files.h"
#include "db/element_stream.h"
#include "db/refusal.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"

namespace {

namespace fs = std::filesystem;
using namespace lav;

// The benchmarks build their designs within every limit: nothing is refused.
db::Refusal refusal;

// Polygons, lines and texts with scattered coordinates, so the encoding has real work.
void fillDesign(AppState& app, std::int32_t targetSize) {
  std::uint32_t seed = 12345;
  auto next = [&] { return static_cast<std::int32_t>((seed = seed * 1103515245u + 12345u) >> 8); };
  for (int c = 0; app.design.image.usedSize < targetSize; ++c) {
    db::CreateCell(app, "CELL_" + std::to_string(c), refusal);
    for (int i = 0; i < 400 && app.design.image.usedSize < targetSize; ++i) {
      std::vector<db::Vertex> v;
      const int n = 4 + i % 60;
      for (int k = 0; k < n; ++k) v.push_back({next() % 500000, next() % 500000});
      std::vector<std::uint8_t> r;
      if (i % 3 == 0) {
        v.push_back(v.front());
        r = db::EncodeArea(db::ElementType::Polygon, static_cast<std::int16_t>(i % 64), v);
      } else if (i % 3 == 1) {
        r = db::EncodeLine(5, 0, 200, v);
      } else {
        db::TextRecord t;
        t.text = "label " + std::to_string(next());
        t.x = next() % 100000;
        t.y = next() % 100000;
        r = db::EncodeText(t);
      }
      db::AppendElement(app.design, r, app.host.now());
    }
  }
}

struct Fixture {
  Fixture() {
    dir = fs::temp_directory_path() / ("lavinor-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::current_path(dir);
    db::NewDesign(app, "full", refusal);
    fillDesign(app, 5'000'000);
    usedSize = app.design.image.usedSize;
    db::CloseDesign(app, true, refusal);
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path dir;
  ScriptedHost host;
  AppState app{host};
  std::int32_t usedSize = 0;
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_OpenFullDesign(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    f.app.continueFlag = true;
    f.app.design.auxCounter = 0;  // a run may open only 100 designs
    if (db::OpenDesign(f.app, "full", refusal) != db::OpenResult::Opened)
      state.SkipWithError("open");
    state.PauseTiming();
    db::DiscardDesign(f.app);
    state.ResumeTiming();
  }
  state.counters["bytes"] = f.usedSize;
}

void BM_CloseFullDesignWithWriting(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    state.PauseTiming();
    f.app.continueFlag = true;
    f.app.design.auxCounter = 0;
    if (db::OpenDesign(f.app, "full", refusal) != db::OpenResult::Opened)
      state.SkipWithError("open");
    state.ResumeTiming();
    if (!db::CloseDesign(f.app, true, refusal)) state.SkipWithError("close");
  }
  state.counters["bytes"] = f.usedSize;
}

void BM_EncodeFullImage(benchmark::State& state) {
  Fixture& f = fixture();
  f.app.continueFlag = true;
  f.app.design.auxCounter = 0;
  if (db::OpenDesign(f.app, "full", refusal) != db::OpenResult::Opened) state.SkipWithError("open");
  std::size_t fileSize = 0;
  const std::int64_t used = f.app.design.image.usedSize;
  for (auto _ : state) {
    auto bytes = db::EncodeFile(f.app.design.image);
    fileSize = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  db::DiscardDesign(f.app);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * used);
  state.counters["file bytes"] = static_cast<double>(fileSize);
}

void BM_DecodeFullImage(benchmark::State& state) {
  Fixture& f = fixture();
  f.app.continueFlag = true;
  f.app.design.auxCounter = 0;
  if (db::OpenDesign(f.app, "full", refusal) != db::OpenResult::Opened) state.SkipWithError("open");
  const auto file = db::EncodeFile(f.app.design.image);
  db::DiscardDesign(f.app);
  db::DesignImage image;
  for (auto _ : state) {
    if (db::DecodeFile(file, image) != db::LoadError::None) state.SkipWithError("decode");
    benchmark::DoNotOptimize(image.bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * image.usedSize);
}

BENCHMARK(BM_EncodeFullImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeFullImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFullDesign)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloseFullDesignWithWriting)->Unit(benchmark::kMillisecond);

}  // namespace
