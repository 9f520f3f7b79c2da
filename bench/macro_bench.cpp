// A macro loop of 100,000 lines (arithmetic, variable updates, a setting and a jump back) run by
// the macro runner: at least 100,000 macro lines per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "command/macro_runner.h"
#include "console/command_file.h"
#include "console/command_window.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"

namespace {

namespace fs = std::filesystem;

// Four lines per turn of the loop (a jump goes on after its label), 25,000 turns, plus the
// set-up lines.
constexpr int kTurns = 25000;
constexpr int kLinesPerTurn = 4;

void BM_MacroLoop(benchmark::State& state) {
  const fs::path dir =
      fs::temp_directory_path() / ("lavinor-bench-macro-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "Lavinor.cmd") << "81      LAYER    {n}   layer\n"
                                        "112     MACRO    {name} macro\n";
  std::ofstream(dir / "LOOP.MAC", std::ios::binary) << "# 100,000 lines\r\n"
                                                       "&I = 0\r\n"
                                                       "&S = 0\r\n"
                                                       "$LOOP\r\n"
                                                       "&I = &I + 1\r\n"
                                                       "&S = &S + &I * 2 - 1\r\n"
                                                       "LAYER (&I/1000)\r\n"
                                                       "GOTO#- &I - "
                                                    << kTurns << " $LOOP\r\n";
  lav::ScriptedHost host;
  lav::AppState app{host};
  app.programDir = dir.string();
  if (!lav::command::LoadCommandFile(app)) state.SkipWithError("command file");
  const std::string path = (dir / "LOOP.MAC").string();
  for (auto _ : state) {
    app.continueFlag = true;
    lav::macro::StartMacroFile(app, path, {});
    if (app.macro.linesRun < static_cast<long>(kTurns) * kLinesPerTurn)
      state.SkipWithError("the loop did not run to its end");
  }
  benchmark::DoNotOptimize(app.settings.layer);
  state.counters["lines/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(app.macro.linesRun),
      benchmark::Counter::kIsRate);
  fs::remove_all(dir);
}
BENCHMARK(BM_MacroLoop)->Unit(benchmark::kMillisecond);

}  // namespace
