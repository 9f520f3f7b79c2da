// Lettering from the font file beside the program: a 64-character line of Latin letters and
// romaji kana laid out into polygons, file reading included.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "font/mojidata_file.h"
#include "font/text_layout.h"

namespace {

std::string FontPath() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "MOJIDATA.DAT").string();
}

void BM_LayOutLettering(benchmark::State& state) {
  auto font = lav::font::FontFile::Open(FontPath());
  if (!font) {
    state.SkipWithError("MOJIDATA.DAT is not beside the benchmark");
    return;
  }
  const std::string text = "LAVINOR-CHIP_01 {ra{bi{no{a} REV.B (2026) {ka{ta{ka{na} TEST+PAD=64";
  lav::font::TextPlacement placement;
  std::size_t points = 0;
  for (auto _ : state) {
    lav::font::LayOutText(
        *font, text, placement,
        [&](const std::vector<lav::font::UserPoint>& p) {
          points += p.size();
          return true;
        },
        [](const char*) {});
  }
  benchmark::DoNotOptimize(points);
  state.SetItemsProcessed(state.iterations() * static_cast<long>(text.size()));
}
BENCHMARK(BM_LayOutLettering)->Unit(benchmark::kMicrosecond);

}  // namespace
