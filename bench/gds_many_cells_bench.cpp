// Reading a stream of 100,000 small structures, each placing the next one before the file
// defines it: the time must grow with the number of cells, not with its square.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "db/design_files.h"
#include "interchange/gds_input.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"

namespace {

namespace fs = std::filesystem;

// One GDSII record: big-endian length and type, then the data.
void Record(std::vector<std::uint8_t>& out, std::uint8_t type, std::uint8_t kind,
            const std::vector<std::uint8_t>& data = {}) {
  const std::size_t n = data.size() + 4;
  out.insert(out.end(), {std::uint8_t(n >> 8), std::uint8_t(n), type, kind});
  out.insert(out.end(), data.begin(), data.end());
}

std::vector<std::uint8_t> Ints(std::initializer_list<std::int32_t> values, int width) {
  std::vector<std::uint8_t> b;
  for (std::int32_t v : values)
    for (int s = (width - 1) * 8; s >= 0; s -= 8) b.push_back(std::uint8_t(v >> s));
  return b;
}

std::vector<std::uint8_t> Text(std::string s) {
  if (s.size() % 2) s.push_back('\0');
  return {s.begin(), s.end()};
}

std::vector<std::uint8_t> ManyStructures(int cells) {
  std::vector<std::uint8_t> f;
  Record(f, 0x00, 2, Ints({3}, 2));
  Record(f, 0x01, 2, Ints({26, 1, 1, 0, 0, 0, 26, 1, 1, 0, 0, 0}, 2));
  Record(f, 0x02, 6, Text("MANY"));
  // 1e-3 and 1e-9 as GDSII reals.
  Record(f, 0x03, 5,
         {0x3E, 0x41, 0x89, 0x37, 0x4B, 0xC6, 0xA7, 0xF0, 0x39, 0x44, 0xB8, 0x2F, 0xA0, 0x9B, 0x5A,
          0x54});
  for (int i = 0; i < cells; ++i) {
    Record(f, 0x05, 2, Ints({26, 1, 1, 0, 0, 0, 26, 1, 1, 0, 0, 0}, 2));
    Record(f, 0x06, 6, Text("S" + std::to_string(i)));
    Record(f, 0x08, 0);
    Record(f, 0x0D, 2, Ints({i % 64}, 2));
    Record(f, 0x0E, 2, Ints({0}, 2));
    Record(f, 0x10, 3, Ints({0, 0, 5, 0, 5, 5, 0, 0}, 4));
    Record(f, 0x11, 0);
    if (i + 1 < cells) {
      Record(f, 0x0A, 0);
      Record(f, 0x12, 6, Text("S" + std::to_string(i + 1)));
      Record(f, 0x10, 3, Ints({i, 0}, 4));
      Record(f, 0x11, 0);
    }
    Record(f, 0x07, 0);
  }
  Record(f, 0x04, 0);
  return f;
}

void BM_GdsReadManyStructures(benchmark::State& state) {
  const fs::path dir =
      fs::temp_directory_path() / ("lavinor-manycells-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  const auto bytes = ManyStructures(static_cast<int>(state.range(0)));
  std::ofstream("many.str", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  lav::ScriptedHost host;
  for (auto _ : state) {
    lav::AppState app(host);
    lav::interchange::ReadStreamFile(app, "many.str");
    if (!app.design.isOpen()) {
      state.SkipWithError("the stream file did not read");
      break;
    }
    state.PauseTiming();
    lav::db::DiscardDesign(app);
    fs::remove("many.cad");
    fs::remove("many.txt");
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  fs::current_path(old);
  fs::remove_all(dir);
}
BENCHMARK(BM_GdsReadManyStructures)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
