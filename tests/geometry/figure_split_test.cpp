// Figures too long for one stream element: the pieces stay within the limit and cover exactly
// what the figure covers (their areas add up to its area to the last unit), never by rounding.
#include "geometry/figure_split.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace lav::geometry {
namespace {

using db::Vertex;

// Twice the signed area, exactly.
__int128 doubledArea(const std::vector<Vertex>& v) {
  __int128 a = 0;
  for (std::size_t k = 0; k + 1 < v.size(); ++k)
    a += __int128(v[k].x) * v[k + 1].y - __int128(v[k + 1].x) * v[k].y;
  return a;
}

std::vector<Vertex> closed(std::vector<Vertex> v) {
  v.push_back(v.front());
  return v;
}

TEST(FigureSplit, PolygonPiecesCoverExactlyThePolygonPathPiecesShareTheirEnds) {
  std::vector<Vertex> comb, skyline, circle, ring;
  for (int i = 0; i < 5000; ++i) {  // Manhattan teeth
    comb.push_back({i * 20, i % 2 ? 500 : 0});
    comb.push_back({i * 20 + 10, i % 2 ? 500 : 0});
  }
  comb.insert(comb.end(), {{99990, -100}, {0, -100}});
  for (int i = 0; i < 9998; ++i) skyline.push_back({i * 10, 7 * (i % 5)});  // slanted edges
  skyline.insert(skyline.end(), {{99970, -500}, {0, -500}});
  for (int i = 0; i < 20000; ++i) {  // edges of every angle: only diagonals cut it exactly
    const double a = 2 * std::numbers::pi * i / 20000 + 0.1234;
    circle.push_back({int(std::lround(1e8 * std::cos(a))), int(std::lround(1e8 * std::sin(a)))});
  }
  for (int i = 0; i < 9000; ++i) {  // a bent band, clockwise
    const double a = std::numbers::pi * i / 8999;
    ring.push_back({int(std::lround(-2e5 * std::cos(a))), int(std::lround(2e5 * std::sin(a)))});
  }
  for (int i = 8999; i >= 0; --i) {
    const double a = std::numbers::pi * i / 8999;
    ring.push_back({int(std::lround(-1.8e5 * std::cos(a))), int(std::lround(1.8e5 * std::sin(a)))});
  }
  for (auto* shape : {&comb, &skyline, &circle, &ring}) {
    const std::vector<Vertex> polygon = closed(*shape);
    const auto pieces = SplitPolygon(polygon, 8191);
    EXPECT_GE(pieces.size(), polygon.size() / 8191 + 1);
    __int128 sum = 0;
    for (const auto& p : pieces) {
      EXPECT_LE(p.size(), 8191u);
      EXPECT_TRUE(p.front().x == p.back().x && p.front().y == p.back().y);
      sum += doubledArea(p);
    }
    EXPECT_TRUE(sum == doubledArea(polygon)) << polygon.size();
  }
  EXPECT_EQ(SplitPolygon(closed({{0, 0}, {1, 0}, {1, 1}}), 8191).size(), 1u);
  // Path pieces share their ends.
  struct Case {
    std::vector<Vertex> path;
    std::int32_t width;
    bool insideSegments;  // the shared ends lie inside straight segments
  } cases[3];
  for (int i = 0; i < 20000; ++i) {
    cases[0].path.push_back({i * 10, i % 2 * 50});  // segments with inner grid points
    cases[1].path.push_back({i * 7, i % 2 * 3});    // segments with none
  }
  cases[0].width = 20, cases[0].insideSegments = true;
  cases[1].width = 20, cases[1].insideSegments = false;
  cases[2] = {cases[0].path, 200, false};  // too short for half the width on each side
  for (const Case& c : cases) {
    const auto pieces = SplitPath(c.path, c.width, 8191);
    ASSERT_GE(pieces.size(), 3u);
    std::vector<Vertex> walked;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
      EXPECT_LE(pieces[k].size(), 8191u);
      EXPECT_TRUE(k == 0 || (pieces[k].front().x == pieces[k - 1].back().x &&
                             pieces[k].front().y == pieces[k - 1].back().y));
      // Every vertex of the path comes once, in order; a shared end inside a segment is new.
      for (std::size_t i = k > 0 ? 1 : 0; i < pieces[k].size(); ++i) {
        const Vertex& v = pieces[k][i];
        const bool original = v.x % (c.path[1].x) == 0;
        if (original) walked.push_back(v);
        EXPECT_EQ(!original,
                  c.insideSegments && i + 1 == pieces[k].size() && k + 1 < pieces.size());
      }
    }
    ASSERT_EQ(walked.size(), c.path.size());
    for (std::size_t i = 0; i < walked.size(); ++i)
      EXPECT_TRUE(walked[i].x == c.path[i].x && walked[i].y == c.path[i].y) << i;
  }
}

}  // namespace
}  // namespace lav::geometry
