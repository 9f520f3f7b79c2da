// Arc, transformation, join and merge commands typed as a user types them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "db/design_image.h"
#include "support/cell_figures.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav {
namespace {

using Pairs = std::vector<std::pair<double, double>>;

class GeometryCommands : public testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    type("NEW T.CAD");
    type("MKCELL TOP");
    type("OCELL TOP");
    ASSERT_EQ(app.design.current.name, "TOP");
  }
  // Polygons and lines of the open cell, in stream order: all, or the live ones.
  std::vector<testing::StoredFigure> stored() { return testing::StoredFigures(app, true); }
  std::vector<testing::StoredFigure> live() { return testing::StoredFigures(app); }
  Pairs temp() const {
    Pairs p;
    for (const auto& q : app.temp.used()) p.push_back({q.x, q.y});
    return p;
  }
  void square(int x0, int y0, int x1, int y1) {
    type("XY " + std::to_string(x0) + " " + std::to_string(y0) + " " + std::to_string(x1) + " " +
         std::to_string(y0) + " " + std::to_string(x1) + " " + std::to_string(y1) + " " +
         std::to_string(x0) + " " + std::to_string(y1));
  }
};

TEST_F(GeometryCommands, ArcPromptsSettingsTheStoredPolygonAndRefusals) {
  typeExpectingPrompts({{"ARC", "Start: "}, {"10 0", "Cent: "}, {"0 0", "End: "}, {"10 0", "? "}});
  EXPECT_EQ(app.temp.count, 33);
  type("OUTPUT");
  auto polys = live();
  ASSERT_EQ(polys.size(), 1u);
  // 32 segments closed: the start repeated at the end.
  EXPECT_EQ(polys[0].vertices.size(), 33u);
  EXPECT_EQ(polys[0].vertices.front(), polys[0].vertices.back());
  for (const auto& v : polys[0].vertices) EXPECT_NEAR(std::hypot(v.first, v.second), 10000, 1.0);
  // Refusals end the command and leave no points.
  struct Case {
    std::vector<std::string> typed;
    const char* line;
  } cases[] = {{{"ARC", "0 0", "0 0", "5 5"}, "***Error*** Radius"},
               {{"ARC", "5 5", "0 0", "0 0"}, "***Error*** Radius"},
               {{"ARC", "5"}, nullptr},
               {{"ARC", "1 1", "x"}, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed[1]);
    type("DELTEMP");
    lines.clear();
    for (const auto& t : c.typed) type(t);
    EXPECT_EQ(std::pair(app.dispatch.current, app.temp.count), std::pair(0, 0));
    if (c.line) {
      EXPECT_TRUE(printed(c.line));
    }
  }
  // The arc settings, from arguments and at prompts.
  type("CURVEOPT 7 0 -2 0");
  auto& a = app.geometry.arc;
  EXPECT_EQ(std::vector<int>({a.ellipse, a.clockwise, a.segments, a.tangent}),
            std::vector<int>({1, 0, 3, 0}));
  typeExpectingPrompts({{"CURVEOPT 0", "0=CCW, 1=CW(0): "},
                        {"1", "0=AUTO, ｎ=NO.(3): "},
                        {"", "0=IN, 1=CIR(0): "},
                        {"-4", "? "}});
  EXPECT_EQ(app.dispatch.current, 0);
  EXPECT_EQ(std::vector<int>({a.ellipse, a.clockwise, a.segments, a.tangent}),
            std::vector<int>({0, 1, 3, 1}));
}

TEST_F(GeometryCommands, TransformSteps) {
  struct Case {
    std::vector<std::string> typed;
    const char* prompt;  // the mode's first prompt
    Pairs points;
  } cases[] = {
      {{"TRANSFORM 3", "1"}, "(V)OverSize: ", {{-1, -1}, {11, -1}, {11, 11}, {-1, 11}, {-1, -1}}},
      {{"TRANSFORM 1", "90", "5 5"}, "(V)Angle: ", {{10, 0}, {10, 10}, {0, 10}, {0, 0}}},
      {{"TRANSFORM", "0 0", "1 0"}, "(V)Mirror1: ", {{0, 0}, {10, 0}, {10, -10}, {0, -10}}},
      {{"TRANSFORM 2", "0.5", "0 0"}, "(V)Magnify: ", {{0, 0}, {5, 0}, {5, 5}, {0, 5}}},
      // Wrong answers end the command and leave the figure; an unknown mode asks for the last.
      {{"TRANSFORM 1", "90 1"}, "(V)Angle: ", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
      {{"TRANSFORM 0", "5"}, "(V)Mirror1: ", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
      {{"TRANSFORM 2", "3", "here"}, "(V)Magnify: ", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
      {{"TRANSFORM x", "here"}, "(V)OverSize: ", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
  };
  for (const auto& c : cases) {
    type("DELTEMP");
    square(0, 0, 10, 10);
    type(c.typed[0]);
    EXPECT_EQ(prompt(), c.prompt) << c.typed[0];
    for (std::size_t i = 1; i < c.typed.size(); ++i) type(c.typed[i]);
    EXPECT_EQ(app.dispatch.current, 0) << c.typed[0] << " " << c.typed[1];
    EXPECT_EQ(temp(), c.points) << c.typed[0] << " " << c.typed[1];
    EXPECT_EQ(app.geometry.transformMode, 0);
  }
}

TEST_F(GeometryCommands, MergeOperations) {
  struct Case {
    const char* op;
    int fx0, fy0, fx1, fy1;  // the figure in the layer; the picked one is (0, 0) (10, 10)
    std::size_t polygons;
    bool original;            // the picked square is still live and unchanged
    const char* box;          // message shown, if any
    std::size_t corners = 0;  // vertices of the first result, closing one included (0: any)
  } cases[] = {
      {"&", 5, 5, 15, 15, 1, false, nullptr, 5},  // the overlap square, not the union's 9
      {"^", 5, 5, 15, 15, 2, false, nullptr},
      {"-", 0, 0, 10, 10, 0, false, nullptr},  // nothing is left of it
      {"&", 30, 30, 40, 40, 1, true, "合成は不可能です。"},
      {"-", 10, 0, 20, 10, 1, true, nullptr},   // touching only: nothing to cut
      {"+", 10, 0, 20, 10, 1, false, nullptr},  // touching squares unite
      {"x", 5, 5, 15, 15, 1, true, nullptr},    // not an operation: the command ends
  };
  int cell = 0;
  for (const auto& c : cases) {
    type("DELTEMP");
    const std::string name = "C" + std::to_string(++cell);  // an empty cell for each case
    type("MKCELL " + name);
    type("OCELL " + name);
    square(0, 0, 10, 10);
    type("OUTPUT");
    square(c.fx0, c.fy0, c.fx1, c.fy1);
    takeBoxes();
    type(std::string("MERGE ") + c.op);
    if (app.dispatch.current != 0) {
      EXPECT_EQ(prompt(), "Point: ");
      type("0 5");
    }
    auto boxes = takeBoxes();
    const std::string what = std::string(c.op) + " " + std::to_string(c.fx0);
    auto polys = live();
    EXPECT_EQ(polys.size(), c.polygons) << what;
    const bool originalLive =
        !polys.empty() && polys[0].vertices == stored()[0].vertices && !stored()[0].deleted;
    EXPECT_EQ(originalLive, c.original) << what;
    EXPECT_EQ(app.settings.elementType, 4) << what;
    if (!c.original) {
      EXPECT_TRUE(app.temp.empty()) << what;  // the picked square went into the result
    }
    if (c.corners) {
      ASSERT_FALSE(polys.empty()) << what;
      EXPECT_EQ(polys.back().vertices.size(), c.corners) << what;
    }
    if (c.box) {
      ASSERT_EQ(boxes.size(), 1u) << what;
      EXPECT_EQ(boxes[0], c.box) << what;
      EXPECT_FALSE(app.temp.empty()) << what;  // the figure stays for another try
    } else {
      EXPECT_TRUE(boxes.empty()) << what;
    }
  }
}

TEST_F(GeometryCommands, MergeIntoAFullDesignWritesNothingAndKeepsThePickedFigure) {
  // Two results of 62 bytes each (^ of overlapping squares); the cell's only block keeps 114
  // bytes free and no new block fits: the first result would fit, the second would not.
  square(0, 0, 10, 10);
  type("OUTPUT");
  for (int i = 0; i < 40; ++i) {  // 41 squares of 46 bytes
    square(100 + 20 * i, 0, 110 + 20 * i, 10);
    type("OUTPUT");
  }
  ASSERT_EQ(app.design.current.entry.dataSize, 41 * 46);
  const auto before = stored();
  square(5, 5, 15, 15);
  app.design.image.maxSize = db::kClassicImageSize;
  app.design.image.usedSize = db::kClassicImageSize - 10;
  takeBoxes();
  type("MERGE ^");
  type("0 5");
  auto boxes = takeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "メモリーが不足しました");
  const auto after = stored();
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].deleted, before[i].deleted) << i;
    EXPECT_EQ(after[i].vertices, before[i].vertices) << i;
  }
  EXPECT_EQ(temp().size(), 4u);  // the figure stays for another try
}

TEST_F(GeometryCommands, JoinAndItsUndo) {
  type("ETYPE 5");
  type("XY 0 0 9 0");
  type("OUTPUT");
  type("XY 10 0 20 5");
  type("JOIN");
  EXPECT_EQ(prompt(), "Point: ");
  type("5 0");
  // G then F: one line in the layer, the picked line taken out of the cell.
  EXPECT_EQ(temp(), (Pairs{{0, 0}, {10, 0}, {20, 5}}));
  EXPECT_TRUE(live().empty());
  type("UNDO");
  EXPECT_EQ(temp(), (Pairs{{10, 0}, {20, 5}}));
  ASSERT_EQ(live().size(), 1u);
  // A second undo has no join to undo.
  type("UNDO");
  EXPECT_EQ(live().size(), 1u);
}

}  // namespace
}  // namespace lav
