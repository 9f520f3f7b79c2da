#include "geometry/figure_join.h"

#include <gtest/gtest.h>

#include "db/design_builder.h"
#include "support/short_forms.h"

namespace lav::geometry {
namespace {

using V = std::vector<db::Vertex>;
V P(std::string_view text) {
  return testing::PointsOf<db::Vertex>(text);
}

struct JoinCase {
  const char *name, *f, *out;
};

void ExpectJoins(const char* g, bool line, std::initializer_list<JoinCase> cases) {
  for (const JoinCase& c : cases) {
    V out;
    ASSERT_EQ(JoinFigures(P(c.f), P(g), line, out), JoinStatus::Joined) << c.name;
    EXPECT_EQ(out, P(c.out)) << c.name;
  }
}

// A line after a short one (G then F) is the typed join test.
TEST(JoinFigures, LinesChainAtTheirNearestEndsPolygonsKeepTheLongerChainUpTo200Points) {
  ExpectJoins(
      "0,0 100,0 200,0 300,0", true,
      {
          {"both ends nearest the last vertex", "310,0 400,0", "0,0 100,0 200,0 300,0 310,0 400,0"},
          {"F's last end meets G's first", "-100,0 -10,0", "-100,0 -10,0 0,0 100,0 200,0 300,0"},
          {"F's first end meets G's first", "-10,5 -90,5", "300,0 200,0 100,0 0,0 -10,5 -90,5"},
          {"F's last end meets G's last", "390,5 305,5", "390,5 305,5 300,0 200,0 100,0 0,0"},
          {"spliced between inner vertices", "100,10 150,50 200,10",
           "0,0 100,0 100,10 150,50 200,10 200,0 300,0"},
          {"spliced backwards", "200,10 150,50 100,10",
           "300,0 200,0 200,10 150,50 100,10 100,0 0,0"},
          {"both ends at one inner vertex", "100,10 110,40 90,10",
           "0,0 100,0 100,10 110,40 90,10 100,0 200,0 300,0"},
      });
  // A polygon keeps the longer chain: a closed octagon-like ring of eight vertices, F bridges
  // two of them.
  ExpectJoins("0,0 100,0 200,0 200,100 200,200 100,200 0,200 0,100 0,0", false,
              {
                  {"short way forward", "110,-20 210,110",
                   "110,-20 210,110 200,100 200,200 100,200 0,200 0,100 0,0 0,0 100,0"},
                  {"short way backward", "210,110 110,-20",
                   "210,110 110,-20 100,0 0,0 0,0 0,100 0,200 100,200 200,200 200,100"},
              });
  // Two hundred points are refused, the result untouched.
  V f(100, {0, 0}), g(100, {5, 5}), out{{1, 1}};
  EXPECT_EQ(JoinFigures(f, g, true, out), JoinStatus::TooManyPoints);
  EXPECT_EQ(out, P("1,1"));
  V small(99, {0, 0});
  EXPECT_EQ(JoinFigures(small, g, true, out), JoinStatus::Joined);
  EXPECT_EQ(JoinFigures({}, g, true, out), JoinStatus::Empty);
}

}  // namespace
}  // namespace lav::geometry
