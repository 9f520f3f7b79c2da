// Element output and picking at design scale: 100,000 rectangles written through the temporary
// layer's output, and a pick in a cell that holds them (target: under 10 ms a click).
#include <benchmark/benchmark.h>

#include "db/cell_directory.h"
#include "db/settings.h"
#include "db/temp_layer.h"
#include "geometry/selection.h"

namespace {

constexpr int kRectangles = 100000;

void newDesign(lav::db::DesignState& d) {
  lav::db::CreateEmptyImage(d.image);
  d.path = "/nonexistent/bench.cad";
  const std::int32_t slot = lav::db::FindSlotForNewCell(d.image, d.version);
  lav::db::CellEntry e;
  e.setName("TOP");
  lav::db::WriteCellEntry(d.image, slot, e);
  lav::db::MakeCurrent(d, slot);
}

void fill(lav::db::DesignState& d) {
  lav::db::TempLayer t;
  lav::db::ElementSettings s;
  s.elementType = 3;
  const lav::LocalTime now{2026, 12, 6, 12, 0, 0};
  for (int i = 0; i < kRectangles; ++i) {
    const double x = (i % 400) * 10.0, y = (i / 400) * 10.0;
    t.count = 0;
    t.push({x, y});
    t.push({x + 5, y + 5});
    if (!lav::db::OutputTempLayer(d, t, s, now).written()) throw "image full";
  }
}

void BM_OutputRectangles(benchmark::State& state) {
  for (auto _ : state) {
    lav::db::DesignState d;
    newDesign(d);
    fill(d);
    benchmark::DoNotOptimize(d.image.usedSize);
  }
  state.SetItemsProcessed(state.iterations() * kRectangles);
}
BENCHMARK(BM_OutputRectangles)->Unit(benchmark::kMillisecond);

void BM_PickAmongRectangles(benchmark::State& state) {
  lav::db::DesignState d;
  newDesign(d);
  fill(d);
  lav::Settings settings;
  int i = 0;
  for (auto _ : state) {
    lav::geometry::PickState pick;
    const double x = (i * 37 % 400) * 10.0 + 5, y = (i * 53 % 250) * 10.0 + 2;
    lav::geometry::PreparePick(pick, x, y, 1000, 0.02);
    lav::geometry::PickInCell(pick, d.image, d.current.entry, settings, {});
    if (!pick.found()) state.SkipWithError("nothing picked");
    ++i;
  }
}
BENCHMARK(BM_PickAmongRectangles)->Unit(benchmark::kMillisecond);

}  // namespace
