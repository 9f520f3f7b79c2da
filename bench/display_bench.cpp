// Redraw speed on an off-screen image of 1600 x 1000 pixels: a large flat cell fitted to the
// window (target under 0.5 s), a 4-level hierarchy with a 100 x 100 array of a 1,000-element
// leaf drawn by bitmap copy (under 0.3 s), and a zoom into a thousandth of the flat cell's area,
// where clipping and culling dominate (under 20 ms); and FIT of a cell whose array has
// 536,870,914 rows (one byte of a saved 2-row array changed) with its redraw (under 50 ms).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "command/view_commands.h"
#include "db/cell_directory.h"
#include "db/element_stream.h"
#include "display/redraw.h"
#include "platform/scripted_host.h"
#include "qt/qt_surface.h"
#include "state/app_state.h"

namespace {

using lav::db::ElementType;
using lav::db::Vertex;

constexpr int kWidth = 1600, kHeight = 1000;
// As many rectangles and polygons as one design image holds (4.7 MB of records).
constexpr int kFlatElements = 100000;

struct Scene {
  lav::ScriptedHost host;
  lav::AppState app{host};
  std::unique_ptr<lav::qt::QtSurface> surface;

  Scene() {
    lav::db::CreateEmptyImage(app.design.image);
    app.design.path = "/nonexistent/bench.cad";
    auto& v = app.display.view;
    v.clientWidth = kWidth;
    v.clientHeight = kHeight;
    v.screenWidth = 1920;
    v.screenHeight = 1080;
    app.display.firstPaintDone = true;
    app.settings.showBase = 0;
    surface = std::make_unique<lav::qt::QtSurface>(kWidth, kHeight);
  }
  void cell(const std::string& name) {
    lav::display::RefreshExtent(app);
    const std::int32_t slot = lav::db::FindSlotForNewCell(app.design.image, app.design.version);
    lav::db::CellEntry e;
    e.setName(name);
    lav::db::WriteCellEntry(app.design.image, slot, e);
    lav::db::MakeCurrent(app.design, slot);
  }
  void add(const std::vector<std::uint8_t>& r) {
    if (lav::db::AppendElement(app.design, r, host.clock) != lav::db::AppendResult::Appended)
      throw std::runtime_error("the design image is full");
  }
  void open(const std::string& name) {
    lav::display::RefreshExtent(app);
    lav::db::MakeCurrent(app.design, lav::db::FindCell(app.design.image, name).slotOffset);
    lav::display::RefreshExtent(app);
    lav::display::FitToCell(app);
  }
};

std::vector<Vertex> Box(int x, int y, int w, int h) {
  return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}, {x, y}};
}

std::vector<Vertex> Hexagon(int x, int y, int r) {
  std::vector<Vertex> v;
  for (int i = 0; i <= 6; ++i) {
    const double a = (i % 6) * 3.14159265358979 / 3;
    v.push_back({x + static_cast<int>(r * std::cos(a)), y + static_cast<int>(r * std::sin(a))});
  }
  return v;
}

// Rectangles and (one in ten) hexagons on a 400 x 250 grid of 1000-unit sites, layers 0..9.
void FillFlat(Scene& s) {
  s.cell("FLAT");
  for (int i = 0; i < kFlatElements; ++i) {
    const int x = (i % 400) * 1000, y = (i / 400) * 1000;
    const auto layer = static_cast<std::int16_t>(i % 10);
    if (i % 10 == 9)
      s.add(lav::db::EncodeArea(ElementType::Polygon, layer, Hexagon(x + 450, y + 450, 400)));
    else
      s.add(
          lav::db::EncodeArea(ElementType::Rect, layer, Box(x + 100, y + 100, 700, 300 + i % 500)));
  }
  s.open("FLAT");
}

void BM_FlatCellFitted(benchmark::State& state) {
  Scene s;
  FillFlat(s);
  for (auto _ : state) {
    s.app.continueFlag = true;
    benchmark::DoNotOptimize(lav::display::RedrawGraphics(s.app, *s.surface));
  }
  state.counters["elements"] = kFlatElements;
}
BENCHMARK(BM_FlatCellFitted)->Unit(benchmark::kMillisecond);

void BM_FlatCellZoomedToAThousandth(benchmark::State& state) {
  Scene s;
  FillFlat(s);
  lav::display::ZoomByFactor(s.app.display.view, std::sqrt(1000.0));
  for (auto _ : state) {
    s.app.continueFlag = true;
    benchmark::DoNotOptimize(lav::display::RedrawGraphics(s.app, *s.surface));
  }
}
BENCHMARK(BM_FlatCellZoomedToAThousandth)->Unit(benchmark::kMillisecond);

// TOP places MID, MID places ROW, ROW holds the 100 x 100 array of LEAF (1,000 elements).
void BM_ArrayHierarchyByBitmap(benchmark::State& state) {
  Scene s;
  s.cell("LEAF");
  for (int i = 0; i < 1000; ++i)
    s.add(lav::db::EncodeArea(ElementType::Rect, static_cast<std::int16_t>(i % 6),
                              Box((i % 40) * 25, (i / 40) * 40, 20, 30)));
  s.cell("ROW");
  lav::db::Placement a;
  a.cellName = "LEAF";
  a.columns = 100;
  a.rows = 100;
  a.pitchX = 1100;
  a.pitchY = 1100;
  s.add(lav::db::EncodeArray(a));
  s.cell("MID");
  lav::db::Placement m;
  m.cellName = "ROW";
  s.add(lav::db::EncodeSingle(m));
  s.cell("TOP");
  m.cellName = "MID";
  m.x = 500;
  s.add(lav::db::EncodeSingle(m));
  s.open("TOP");
  s.app.settings.showAcell = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    s.app.continueFlag = true;
    benchmark::DoNotOptimize(lav::display::RedrawGraphics(s.app, *s.surface));
  }
}
BENCHMARK(BM_ArrayHierarchyByBitmap)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond);

// A design with one byte changed: the rows of a 4 x 2 array became 0x20000002. FIT measures the
// cell and redraws it; the work must follow the window, not the stored count.
void BM_FitHugeArray(benchmark::State& state) {
  Scene s;
  s.cell("LEAF");
  for (int i = 0; i < 20; ++i)
    s.add(lav::db::EncodeArea(ElementType::Rect, static_cast<std::int16_t>(i % 6),
                              Box((i % 5) * 200, (i / 5) * 200, 150, 150)));
  s.cell("TOP");
  lav::db::Placement a;
  a.cellName = "LEAF";
  a.columns = 4;
  a.rows = 536870914;
  a.pitchX = 1200;
  a.pitchY = 1000;
  s.add(lav::db::EncodeArray(a));
  s.app.settings.showAcell = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    s.app.continueFlag = true;
    s.app.display.extentPass = true;  // FIT measures the cell again
    lav::display::FitToCell(s.app);
    benchmark::DoNotOptimize(lav::display::RedrawGraphics(s.app, *s.surface));
  }
  state.counters["rows"] = a.rows;
}
BENCHMARK(BM_FitHugeArray)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
