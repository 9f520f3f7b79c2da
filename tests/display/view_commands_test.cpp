// The view commands typed as a user types them: fit, zoom with its refusals, the window zoom by
// two corners, re-centring, and the layer commands that redraw at once. What a redraw shows
// and reports is checked on the drawing itself (render_test.cpp).
#include "command/view_commands.h"

#include <gtest/gtest.h>

#include "command/dispatcher.h"
#include "display/view_transform.h"
#include "support/typing_session.h"

namespace lav::testing {
namespace {

class ViewCommands : public TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    app.display.view = {
        .clientWidth = 1000, .clientHeight = 800, .screenWidth = 1600, .screenHeight = 1000};
    app.display.firstPaintDone = true;
  }
  const display::ViewState& view() const { return app.display.view; }
  double centreX() const { return (view().window.xmin + view().window.xmax) / 2.0; }
  double centreY() const { return (view().window.ymin + view().window.ymax) / 2.0; }
};

TEST_F(ViewCommands, ZoomFactorsPromptsAndRefusals) {
  const double s = view().scale;
  type("ZOOM 2");
  EXPECT_DOUBLE_EQ(view().scale, 2 * s);
  type("ZOOM -2");  // the magnitude counts
  EXPECT_DOUBLE_EQ(view().scale, 4 * s);
  type("ZOOM 0");  // nothing
  EXPECT_DOUBLE_EQ(view().scale, 4 * s);
  type("ZOOM");
  EXPECT_EQ(prompt(), "Zoom Up: ");
  type("1/4");  // answers are expressions
  EXPECT_DOUBLE_EQ(view().scale, s);
  EXPECT_EQ(prompt(), "? ");
  EXPECT_TRUE(takeBoxes().empty());

  type("ZOOM 0.0000001");
  EXPECT_EQ(takeBoxes(),
            std::vector<std::string>{"値が小さすぎます。これ以上の縮小は出来ません。"});
  EXPECT_DOUBLE_EQ(view().scale, s) << "a refused zoom leaves the view";
}

TEST_F(ViewCommands, WindowZoomByTwoCornersRestoresTheSnapStep) {
  // The step corners snap to follows the view: database units across 1000 pixels on a
  // 1600-pixel screen, and the step.
  const std::pair<int, std::int32_t> cases[] = {
      {47000, 3800}, {12000, 960}, {1000, 80}, {10, 1}, {200000, 16000}};
  for (const auto& [width, step] : cases) {
    display::ViewState v = view();
    v.window = {0, 0, width, 100};
    EXPECT_EQ(display::WindowZoomStep(v), step) << width;
  }

  app.settings.gscale = 1000;
  type("WINDOW");
  EXPECT_EQ(prompt(), "Win1: ");
  EXPECT_EQ(app.dispatch.pickMode, 10);
  EXPECT_NE(app.settings.gscale, 1000) << "corners snap to a step of the view";
  type("30 40");
  EXPECT_EQ(prompt(), "Win2: ");
  EXPECT_EQ(app.shell.pointer.rectangle, 1);
  type("10 20");
  EXPECT_EQ(prompt(), "? ");
  EXPECT_EQ(app.settings.gscale, 1000);
  EXPECT_NEAR(view().scale, 800.0 / 20000, 1e-12);  // 20 x 20 units, no margin
  EXPECT_NEAR(centreX(), 20000, 1);
  EXPECT_NEAR(centreY(), 30000, 1);

  typeAll({"WINDOW", "5 5"});
  type("5 9");  // no width: the view stays
  EXPECT_NEAR(view().scale, 800.0 / 20000, 1e-12);
  type("WINDOW");
  type("corner");  // not a point
  EXPECT_EQ(prompt(), "? ");
  EXPECT_EQ(app.settings.gscale, 1000);
}

// By Escape or an empty answer, at either corner.
TEST_F(ViewCommands, LeavingTheWindowZoomGivesBackTheStepAndThePointer) {
  for (bool escape : {true, false})
    for (bool afterFirstCorner : {false, true}) {
      SCOPED_TRACE(std::string(escape ? "escape" : "empty") +
                   (afterFirstCorner ? " at Win2" : " at Win1"));
      app.settings.gscale = 1000;
      type("WINDOW");
      ASSERT_TRUE(app.shell.pointer.captured);
      if (afterFirstCorner) type("30 40");
      if (escape)
        command::AbortCommand(app);
      else
        type("");
      const auto& p = app.shell.pointer;
      EXPECT_EQ(std::tuple(app.settings.gscale, app.settings.gscaleCopy, p.captured, prompt()),
                std::tuple(1000, 1000, false, "? "));
      EXPECT_NE(p.rectangle, 1);
    }
}

TEST_F(ViewCommands, CoordinateEntryRunsTheKeyboardCursorUntilItEnds) {
  typeAll({"NEW K.CAD", "MKCELL TOP", "OCELL TOP", "XY"});
  EXPECT_EQ(std::pair(app.shell.pointer.keyboardCursor, app.shell.pointer.captured),
            std::pair(1, true));
  type("1 1");  // still asking for points
  EXPECT_EQ(app.shell.pointer.keyboardCursor, 1);
  type("WINDOW");  // a view command inside the entry, then back to it
  typeAll({"0 0", "10 10"});
  EXPECT_EQ(std::tuple(prompt(), app.shell.pointer.keyboardCursor, app.shell.pointer.captured),
            std::tuple("Te2: ", 1, true));
  command::AbortCommand(app);
  EXPECT_TRUE(app.shell.pointer.keyboardCursor != 1 && !app.shell.pointer.captured);
  type("XY");
  type("");  // an empty answer ends the entry and lets the pointer go
  EXPECT_FALSE(app.shell.pointer.captured);
}

TEST_F(ViewCommands, CentreMovesThePickedPointToThePosition) {
  const struct {
    const char* line;
    double x, y;
  } cases[] = {{"CENTER", 500, 400},
               {"CENTER 1", 0, 800},    // bottom left for this use only
               {"CENTER 99", 0, 400}};  // clamped to 8: left centre
  for (const auto& c : cases) {
    type(c.line);
    EXPECT_EQ(prompt(), "Point: ");
    type("3 4");
    EXPECT_NEAR(display::ToWindowX(view(), 3000), c.x, 1) << c.line;
    EXPECT_NEAR(display::ToWindowY(view(), 4000), c.y, 1) << c.line;
  }
  EXPECT_EQ(app.settings.position, 0);
}

TEST_F(ViewCommands, OnlyOneLayerOnceThenAllAgain) {
  app.settings.layerFlags[7] = 0;
  const auto& shown = app.settings.layerFlags;
  type("ONLY 7");
  EXPECT_EQ(shown[7] & 1, 1);
  EXPECT_EQ(app.display.onlyLayer, -1) << "the next drawing shows every displayed layer";
  type("DISP 1 2");
  EXPECT_EQ(std::pair(shown[1] & 1, shown[7] & 1), std::pair(1, 0));
  type("ADDDISP -2 5");
  EXPECT_EQ(std::pair(shown[2] & 1, shown[5] & 1), std::pair(0, 1));
}

TEST_F(ViewCommands, FitShowsAnEmptyCellWithAMargin) {
  typeAll({"NEW RD.CAD", "MKCELL TOP", "OCELL TOP", "FIT"});
  // (0, 0)-(45000, 35000) with 7 %: the width limits, 1000 / 45000 * 0.93.
  EXPECT_NEAR(view().scale, 1000.0 / 45000 * 0.93, 1e-12);
  EXPECT_NEAR(centreX(), 22500, 1);
  EXPECT_NEAR(centreY(), 17500, 1);
  EXPECT_EQ(prompt(), "? ");
}

}  // namespace
}  // namespace lav::testing
