// DXF output and input of a design with 100,000 elements (rectangles, lines, texts and
// placements in ten cells): each direction must reach 50 MB/s of DXF text.
#include <benchmark/benchmark.h>

#include <string>

#include "../tests/db/design_builder.h"
#include "db/cell_directory.h"
#include "interchange/dxf_reader.h"
#include "interchange/dxf_writer.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"

namespace {

using lav::db::ElementType;

constexpr int kElements = 100000;
constexpr int kCells = 10;

void BuildDesign(lav::db::DesignState& d) {
  lav::db::testing::NewImage(d);
  for (int c = 0; c < kCells; ++c) {
    lav::db::testing::AddCell(d, c == kCells - 1 ? "ENTITIES" : "CELL_" + std::to_string(c));
    for (int i = 0; i < kElements / kCells; ++i) {
      const std::int32_t x = i * 1250 - 3000000, y = c * 77777 + (i % 97) * 333;
      switch (i % 20) {
        case 0:
        case 1:
        case 2: {
          lav::db::TextRecord t;
          t.layer = static_cast<std::int16_t>(i % 64);
          t.text = "PAD" + std::to_string(i);
          t.magnification = 1500000;
          t.x = x, t.y = y;
          lav::db::testing::Append(d, lav::db::EncodeText(t));
          break;
        }
        case 3:
        case 4:
        case 5: {
          lav::db::Placement p;
          p.cellName = c == 0 ? "MISSING" : "CELL_" + std::to_string(c - 1);
          p.x = x, p.y = y, p.angle = 90000000;
          lav::db::testing::Append(d, lav::db::EncodeSingle(p));
          break;
        }
        default:
          if (i % 2)
            lav::db::testing::Append(
                d, lav::db::EncodeArea(ElementType::Rect, 3, lav::db::testing::Square(x, y, 2500)));
          else
            lav::db::testing::Append(d,
                                     lav::db::EncodeLine(5, 0, 500, {{x, y}, {x + 9000, y + 125}}));
      }
    }
  }
}

std::string WriteText(const lav::db::DesignImage& image) {
  std::string out;
  lav::interchange::DxfPairWriter w([&](std::string_view b) {
    out.append(b);
    return true;
  });
  lav::interchange::WriteDxf(image, w, {});
  return out;
}

void BM_DxfWrite(benchmark::State& state) {
  lav::db::DesignState d;
  BuildDesign(d);
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::size_t n = 0;
    lav::interchange::DxfPairWriter w([&](std::string_view b) {
      n += b.size();
      return true;
    });
    lav::interchange::WriteDxf(d.image, w, {});
    bytes += n;
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_DxfWrite)->Unit(benchmark::kMillisecond);

void BM_DxfRead(benchmark::State& state) {
  lav::db::DesignState source;
  BuildDesign(source);
  const std::string text = WriteText(source.image);
  lav::ScriptedHost host;
  lav::AppState app(host);
  long stored = 0;
  for (auto _ : state) {
    state.PauseTiming();
    lav::db::CreateEmptyImage(app.design.image);
    app.design.path = "/nonexistent/bench.cad";
    lav::db::ClearCurrent(app.design);
    state.ResumeTiming();
    lav::interchange::DxfReader reader(app, text, {});
    if (reader.run() != lav::interchange::DxfStop::None) state.SkipWithError("read failed");
    stored = reader.elementsStored();
  }
  state.counters["elements"] = static_cast<double>(stored);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_DxfRead)->Unit(benchmark::kMillisecond);

}  // namespace
