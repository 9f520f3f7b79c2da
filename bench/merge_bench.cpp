// Polygon merge: two star polygons of 199 and of 10,000 vertices (target under 50 ms for the
// large pair), and 1,000 overlapping rectangles folded into one figure (target under 200 ms).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "geometry/polygon_merge.h"

namespace {

using lav::geometry::MergeOp;
using lav::geometry::MergePolygons;
using lav::geometry::Ring;

// A star of n vertices whose radius wavers, so that the two figures cross many times.
Ring Star(int n, double radius, double phase, int cx) {
  Ring r;
  for (int i = 0; i < n; ++i) {
    const double t = 2 * M_PI * i / n;
    const double rad = radius * (1 + 0.1 * std::sin(7 * t + phase));
    r.push_back({cx + int(std::lround(rad * std::cos(t))), int(std::lround(rad * std::sin(t)))});
  }
  r.push_back(r.front());
  return r;
}

void BM_MergeTwoStars(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Ring a = Star(n, 1e6, 0, 0), b = Star(n, 1e6, 1.3, 300000);
  for (auto _ : state) {
    auto out = MergePolygons(a, b, MergeOp::Union);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_MergeTwoStars)->Arg(199)->Arg(10000)->Unit(benchmark::kMillisecond);

// Each rectangle overlaps the figure built so far, which is merged again with the next one.
void BM_FoldRectangles(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> jitter(0, 400);
  std::vector<Ring> boxes;
  for (int i = 0; i < count; ++i) {
    const int x = i * 700 + jitter(rng), y = jitter(rng);
    boxes.push_back({{x, y}, {x + 1000, y}, {x + 1000, y + 1000}, {x, y + 1000}, {x, y}});
  }
  for (auto _ : state) {
    Ring figure = boxes[0];
    for (int i = 1; i < count; ++i) {
      auto out = MergePolygons(figure, boxes[i], MergeOp::Union);
      if (out.rings.size() == 1) figure = std::move(out.rings[0]);
    }
    benchmark::DoNotOptimize(figure);
  }
}
BENCHMARK(BM_FoldRectangles)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
