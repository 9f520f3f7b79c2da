// Writing and reading the GDSII file of a design that fills most of the image (up to 100,000
// elements in 40 cells, with arrays, until the image is full), each direction measured on its own,
// and KLayout reading the same file in batch mode for comparison (its read alone, timed inside
// KLayout).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "db/cell_directory.h"
#include "db/design_files.h"
#include "db/element_stream.h"
#include "interchange/gds_input.h"
#include "interchange/gds_output.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"

namespace {

namespace fs = std::filesystem;

void FillDesign(lav::AppState& app) {
  auto& d = app.design;
  lav::LocalTime t{2026, 12, 6, 1, 2, 3};
  for (int c = 0; c < 40; ++c) {
    const std::int32_t slot = lav::db::FindSlotForNewCell(d.image, d.version);
    lav::db::CellEntry e;
    e.setName("CELL_" + std::to_string(c));
    lav::db::WriteCellEntry(d.image, slot, e);
    lav::db::MakeCurrent(d, slot);
    for (int i = 0; i < 2500; ++i) {
      const std::int32_t x = i * 100, y = c * 100;
      std::vector<std::uint8_t> r;
      if (i % 10 == 0 && c + 1 < 40) {
        // Each cell places the next one: a hierarchy 40 deep, without cycles.
        lav::db::Placement p;
        p.cellName = "CELL_" + std::to_string(c + 1);
        p.x = x, p.columns = 4, p.rows = 3, p.pitchX = 1000, p.pitchY = 700;
        r = lav::db::EncodeArray(p);
      } else if (i % 3 == 0) {
        r = lav::db::EncodeLine(2, 1, 50, {{x, y}, {x + 500, y}, {x + 500, y + 500}});
      } else {
        r = lav::db::EncodeArea(lav::db::ElementType::Polygon, 1,
                                {{x, y}, {x + 80, y}, {x + 80, y + 60}, {x, y + 60}, {x, y}});
      }
      if (lav::db::AppendElement(d, r, t) != lav::db::AppendResult::Appended) return;
    }
  }
}

// A scratch directory that is the current one while it lives.
struct Scratch {
  Scratch() : dir(fs::temp_directory_path() / ("lavinor-gdsbench-" + std::to_string(getpid()))) {
    fs::create_directories(dir);
    old = fs::current_path();
    fs::current_path(dir);
  }
  ~Scratch() {
    fs::current_path(old);
    fs::remove_all(dir);
  }
  fs::path dir, old;
};

// Writes the benchmark design's stream file as name; its size in bytes.
std::uintmax_t WriteSample(lav::ScriptedHost& host, const char* name) {
  lav::AppState app(host);
  lav::db::NewDesign(app, "sample");
  FillDesign(app);
  fs::remove(name);
  lav::interchange::WriteStreamFile(app, name);
  lav::db::CloseDesign(app, false);
  fs::remove("sample.cad");
  return fs::file_size(name);
}

void BM_GdsWrite(benchmark::State& state) {
  Scratch scratch;
  lav::ScriptedHost host;
  lav::AppState app(host);
  lav::db::NewDesign(app, "b");
  FillDesign(app);
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove("b.str");
    fs::remove("b.txt");
    state.ResumeTiming();
    lav::interchange::WriteStreamFile(app, "b.str");
    bytes += fs::file_size("b.str");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  lav::db::CloseDesign(app, false);
}
BENCHMARK(BM_GdsWrite)->Unit(benchmark::kMillisecond);

void BM_GdsRead(benchmark::State& state) {
  Scratch scratch;
  lav::ScriptedHost host;
  const std::uintmax_t size = WriteSample(host, "r.str");
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    lav::AppState app(host);
    lav::interchange::ReadStreamFile(app, "r.str");
    if (!app.design.isOpen()) {
      state.SkipWithError("the stream file did not read");
      break;
    }
    state.PauseTiming();
    lav::db::CloseDesign(app, false);
    fs::remove("r.cad");
    state.ResumeTiming();
    bytes += size;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_GdsRead)->Unit(benchmark::kMillisecond);

// KLayout's read of the same file, timed inside KLayout so that its start-up is left out.
void BM_KLayoutReadSameFile(benchmark::State& state) {
  if (std::system("command -v klayout > /dev/null 2>&1") != 0) {
    state.SkipWithError("no klayout");
    return;
  }
  Scratch scratch;
  lav::ScriptedHost host;
  const std::uintmax_t size = WriteSample(host, "k.str");
  std::ofstream("read.py") << "import pya, time\n"
                              "t = time.process_time()\n"
                              "ly = pya.Layout()\n"
                              "ly.read(src)\n"
                              "open(dst, 'w').write('%.9f' % (time.process_time() - t))\n";
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    if (std::system("klayout -b -r read.py -rd src=k.str -rd dst=t.txt > klayout.out 2>&1") != 0) {
      std::ifstream why("klayout.out");
      std::string text((std::istreambuf_iterator<char>(why)), std::istreambuf_iterator<char>());
      state.SkipWithError(("klayout failed: " + text.substr(0, 200)).c_str());
      break;
    }
    double seconds = 0;
    std::ifstream("t.txt") >> seconds;
    state.SetIterationTime(seconds);
    bytes += size;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_KLayoutReadSameFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Both programs in batch mode, as a user converts a file on a server: the wall time from start to
// end of the process. Ours also writes the .CAD design it read the file into.
double WallSeconds(const std::string& command) {
  const auto t0 = std::chrono::steady_clock::now();
  const int rc = std::system(command.c_str());
  const auto t1 = std::chrono::steady_clock::now();
  return rc == 0 ? std::chrono::duration<double>(t1 - t0).count() : -1;
}

// Times one whole process per iteration; done() says whether it read the file.
template <typename Done>
void TimeBatchRuns(benchmark::State& state, std::uintmax_t size, const std::string& command,
                   Done done, const char* failure) {
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    const double s = WallSeconds(command);
    if (s < 0 || !done()) {
      state.SkipWithError(failure);
      break;
    }
    state.SetIterationTime(s);
    bytes += size;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_LavinorBatchRead(benchmark::State& state) {
  Scratch scratch;
  lav::ScriptedHost host;
  const std::uintmax_t size = WriteSample(host, "b.str");
  std::ofstream("in.txt") << "GDSIN b.str\nCLOSE\n";
  // The design each run wrote is taken away, so the next run must write it again.
  TimeBatchRuns(
      state, size, "'" LAVINOR_BINARY "' --batch - < in.txt > out.txt 2>&1",
      [] { return fs::remove("b.cad"); }, "lavinor --batch did not read the stream file");
}
BENCHMARK(BM_LavinorBatchRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_KLayoutBatchRead(benchmark::State& state) {
  if (std::system("command -v klayout > /dev/null 2>&1") != 0) {
    state.SkipWithError("no klayout");
    return;
  }
  Scratch scratch;
  lav::ScriptedHost host;
  const std::uintmax_t size = WriteSample(host, "k.str");
  std::ofstream("read.py") << "import pya\nly = pya.Layout()\nly.read(src)\n";
  TimeBatchRuns(
      state, size, "klayout -b -r read.py -rd src=k.str > klayout.out 2>&1", [] { return true; },
      "klayout failed");
}
BENCHMARK(BM_KLayoutBatchRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
