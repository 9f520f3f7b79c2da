// Writing and reading the GDSII file of a design that fills most of the image (up to 100,000
// elements in 40 cells, with arrays, until the image is full), each direction measured on its own,
// and KLayout reading the same file in batch mode for comparison (its read alone, timed inside
// KLayout). Then GDSIN of a flat 230 MB library as a whole process, with its peak memory,
// against KLayout's Python module reading the same file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "db/cell_directory.h"
#include "db/design_files.h"
#include "db/element_stream.h"
#include "db/refusal.h"
#include "interchange/gds_input.h"
#include "interchange/gds_output.h"
#include "interchange/gds_record_stream.h"
#include "interchange/gds_records.h"
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
  lav::db::Refusal refusal;
  lav::db::NewDesign(app, "sample", refusal);
  FillDesign(app);
  fs::remove(name);
  lav::interchange::WriteStreamFile(app, name);
  lav::db::DiscardDesign(app);
  fs::remove("sample.cad");
  return fs::file_size(name);
}

void BM_GdsWrite(benchmark::State& state) {
  Scratch scratch;
  lav::ScriptedHost host;
  lav::AppState app(host);
  lav::db::Refusal refusal;
  lav::db::NewDesign(app, "b", refusal);
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
  lav::db::DiscardDesign(app);
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
    lav::db::DiscardDesign(app);
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

// A flat library as today's tools write it: one structure of `boxes` rectangles (BOUNDARY of
// five points) spread over four layers, 64 bytes each. Its size in bytes.
std::uintmax_t WriteFlatBoxes(const char* name, long boxes) {
  std::FILE* f = std::fopen(name, "wb");
  if (!f) return 0;
  bool ok = true;
  lav::gds::RecordWriter w([&](const std::uint8_t* data, std::size_t size) {
    ok = ok && std::fwrite(data, 1, size, f) == size;
    return ok;
  });
  using lav::gds::Rec;
  auto type = [](Rec r) { return static_cast<std::uint8_t>(r); };
  const std::int16_t stamp[12] = {126, 12, 7, 1, 2, 3, 126, 12, 7, 1, 2, 3};
  w.int16s(type(Rec::Header), {600});
  w.int16s(type(Rec::BgnLib), std::span<const std::int16_t>(stamp, 12));
  w.string(type(Rec::LibName), "FLAT");
  w.reals(type(Rec::Units), {0.001, 1e-9});
  w.int16s(type(Rec::BgnStr), std::span<const std::int16_t>(stamp, 12));
  w.string(type(Rec::StrName), "TOP");
  for (long i = 0; i < boxes; ++i) {
    // A 2000 x 1800 grid of boxes of a few sizes, 1 micron apart.
    const std::int32_t x = static_cast<std::int32_t>(i % 2000) * 1000;
    const std::int32_t y = static_cast<std::int32_t>(i / 2000) * 1000;
    const std::int32_t dx = 300 + static_cast<std::int32_t>(i % 7) * 50, dy = 200 + (i % 5) * 40;
    const std::int32_t xy[10] = {x, y, x + dx, y, x + dx, y + dy, x, y + dy, x, y};
    w.empty(type(Rec::Boundary));
    w.int16s(type(Rec::Layer), {static_cast<std::int16_t>(i % 4)});
    w.int16s(type(Rec::DataType), {0});
    w.int32s(type(Rec::Xy), xy);
    w.empty(type(Rec::EndEl));
  }
  w.empty(type(Rec::EndStr));
  w.empty(type(Rec::EndLib));
  ok = w.flush() && ok;
  // On disk before either reader starts, so that neither run pays for writing it back.
  ok = std::fflush(f) == 0 && ::fsync(fileno(f)) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  return ok ? fs::file_size(name) : 0;
}

// Runs argv as a child with stdin from inPath and stdout to outPath; its wall time in seconds
// (negative when it could not run or did not exit with 0) and its peak resident size in bytes.
double RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const char* inPath, const char* outPath, long& maxRssBytes) {
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // The given variables replace those of the same name.
  auto given = [&](std::string_view var) {
    for (const auto& e : env)
      if (var.substr(0, var.find('=') + 1) == e.substr(0, e.find('=') + 1)) return true;
    return false;
  };
  for (char** e = environ; *e; ++e)
    if (!given(*e)) envp.push_back(*e);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const int in = open(inPath, O_RDONLY);
    const int out = open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execve(args[0], args.data(), envp.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return -1;
  const auto t1 = std::chrono::steady_clock::now();
  maxRssBytes = usage.ru_maxrss * 1024L;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(t1 - t0).count();
}

// GDSIN of a flat 230 MB library as a whole process (start, read, close without saving, exit)
// against KLayout's read of the same file inside Python. ratio above 1 means we are faster;
// rss_per_size is our peak resident size over the file's size.
void BM_GdsInFlatAgainstKLayout(benchmark::State& state) {
  const char* kPython = "/usr/bin/python3";
  const std::vector<std::string> kEnv = {"LD_LIBRARY_PATH=/usr/lib/klayout",
                                         "PYTHONPATH=/usr/lib/klayout/pymod"};
  Scratch scratch;
  std::ofstream("probe.py") << "import klayout.db\n";
  std::ofstream("empty.txt").flush();
  long rss = 0;
  if (RunChild({kPython, "probe.py"}, kEnv, "empty.txt", "probe.out", rss) < 0) {
    state.SkipWithError("KLayout's Python module (klayout.db) is not available");
    return;
  }
  const std::uintmax_t size = WriteFlatBoxes("flat.gds", state.range(0));
  if (size == 0) {
    state.SkipWithError("the flat library could not be written");
    return;
  }
  std::ofstream("in.txt") << "GDSIN flat.gds\nCLOSE 0\n";
  std::ofstream("read.py") << "import sys, time, klayout.db\n"
                              "t = time.perf_counter()\n"
                              "ly = klayout.db.Layout()\n"
                              "ly.read(sys.argv[1])\n"
                              "print('%.6f' % (time.perf_counter() - t))\n";
  double ours = 0, theirs = 0;
  long ourRss = 0;
  for (auto _ : state) {
    ours = RunChild({LAVINOR_BINARY, "--batch", "-"}, {}, "in.txt", "ours.out", ourRss);
    if (ours < 0 || !fs::exists("flat.txt")) {
      state.SkipWithError("lavinor --batch did not read the library");
      return;
    }
    if (RunChild({kPython, "read.py", "flat.gds"}, kEnv, "empty.txt", "theirs.out", rss) < 0) {
      state.SkipWithError("KLayout could not read the library");
      return;
    }
    std::ifstream("theirs.out") >> theirs;
    state.SetIterationTime(ours);
  }
  const double mb = static_cast<double>(size) / 1e6;
  state.counters["file_MB"] = mb;
  state.counters["ours_s"] = ours;
  state.counters["klayout_s"] = theirs;
  state.counters["ours_MBps"] = mb / ours;
  state.counters["klayout_MBps"] = theirs > 0 ? mb / theirs : 0;
  state.counters["ratio"] = ours > 0 ? theirs / ours : 0;
  state.counters["rss_per_size"] = static_cast<double>(ourRss) / static_cast<double>(size);
}
// 3.6 million boxes make the 230 MB file.
BENCHMARK(BM_GdsInFlatAgainstKLayout)
    ->Arg(3'600'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
