// Writing and reading a GDSII file of a design that fills most of the image.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "db/cell_directory.h"
#include "db/design_files.h"
#include "db/element_stream.h"
#include "interchange/gds_input.h"
#include "interchange/gds_output.h"
#include "platform/scripted_host.h"
#include "shell/app_state.h"

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
    for (int i = 0; i < 2000; ++i) {
      const std::int32_t x = i * 100, y = c * 100;
      std::vector<std::uint8_t> r;
      if (i % 10 == 0) {
        lav::db::Placement p;
        p.cellName = "CELL_0";
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

void BM_GdsWriteRead(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / ("lavinor-gdsbench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  lav::ScriptedHost host;
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    lav::AppState app(host);
    lav::db::NewDesign(app, "b");
    FillDesign(app);
    state.PauseTiming();
    fs::remove("b.str");
    state.ResumeTiming();
    lav::interchange::WriteStreamFile(app, "b.str");
    lav::db::CloseDesign(app, false);
    fs::remove("b.cad");
    lav::interchange::ReadStreamFile(app, "b.str");
    bytes += 2 * fs::file_size("b.str");
    lav::db::CloseDesign(app, false);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  fs::current_path(old);
  fs::remove_all(dir);
}
BENCHMARK(BM_GdsWriteRead)->Unit(benchmark::kMillisecond);

}  // namespace
