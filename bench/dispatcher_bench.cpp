// Command lines typed through the whole dispatcher (lookup, expansion, setters, calculator):
// at least 200,000 lines per second, so that large macros are never held up by the language.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "command/dispatcher.h"
#include "console/command_file.h"
#include "console/command_window.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"

namespace {

constexpr int kLines = 100000;

void BM_TypedLines(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("lavinor-bench-cmd-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "Lavinor.cmd") << "81      LAYER    {n}   layer\n"
                                        "83      WIDTH    {n}   width\n"
                                        "88      ANGLE    {n}   angle\n"
                                        "64      NEST     {n}   depth\n"
                                        "113     ECHO     {t}   echo\n";
  lav::ScriptedHost host;
  lav::AppState app{host};
  app.programDir = dir.string();
  if (!lav::command::LoadCommandFile(app)) state.SkipWithError("command file");
  const char* shapes[] = {
      "&X=12.5",     "&Y=&X*2+1", "LAYER &I", "WIDTH &X/10", "ANGLE ATAN(1 1)*4",
      "(&X &Y) * 3", "NEST 5",    "&I=3",     "LA 7",        "SIN(30)+COS(60)",
  };
  std::vector<std::string> lines;
  for (int i = 0; i < kLines; ++i) lines.emplace_back(shapes[i % 10]);
  for (auto _ : state) {
    for (const auto& line : lines) {
      app.window.input = line;
      app.window.caret = 0;
      lav::command::PressEnter(app);
    }
  }
  benchmark::DoNotOptimize(app.settings.layer);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kLines,
                                                 benchmark::Counter::kIsRate);
  fs::remove_all(dir);
}
BENCHMARK(BM_TypedLines)->Unit(benchmark::kMillisecond);

}  // namespace
