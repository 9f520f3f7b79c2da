#include "shell/graphics_pointer.h"

#include <gtest/gtest.h>

#include "console/status_fields.h"
#include "shell/main_menu.h"
#include "shell/startup.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::shell {
namespace {

class PointerTest : public testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    // 1 pixel is 10 database units; pixel (0, 400) is the design origin.
    app.display.view = {
        .scale = 0.1, .offsetX = 0, .offsetY = 0, .clientWidth = 600, .clientHeight = 400};
  }
  std::string input() const { return sjis::toUtf8(app.window.input); }
};

TEST_F(PointerTest, ClicksSnapWhileIdleAndAreExactWhileAPointIsPicked) {
  const struct Case {
    int gscale, dbu, pick;
    bool painting;
    int absMode, cursor;  // relative offsets only with the keyboard cursor
    int x, y;
    const char* text;
  } cases[] = {
      // 123 pixels are 1230 units, 1.23 user units: snapped to the step of 1.
      {1000, 1000, 0, false, 0, 0, 123, 400 - 57, " 1.000 1.000 "},
      {1000, 1000, 0, false, 0, 0, 150, 400 - 250, " 2.000 3.000 "},  // halves go up
      {1000, 1000, 10, false, 0, 0, 123, 400 - 57, " 1.230 0.570 "},
      {500, 1000, 0, false, 0, 0, 123, 400 - 57, " 1.000 0.500 "},
      {1000, 1000, 0, false, 0, 0, 0, 400 + 60, " 0.000 -1.000 "},  // -0.6 rounds to -1
      {1000, 100, 0, false, 0, 0, 123, 400, " 10.00 0.00 "},  // two decimals for a unit of 100
      {1, 1, 10, false, 0, 0, 7, 400 - 3, " 70 30 "},
      {1000, 1000, 0, true, 0, 0, 123, 400 - 57, " 1.230 0.570 "},  // painting picks exact points
      {1000, 1000, 0, false, 1, 0, 500, 400 - 500, " 5.000 5.000 "},
      {1000, 1000, 0, false, 1, 1, 500, 400 - 500, " 4.000 3.000 "}};
  app.dispatch.originX = 1000;
  app.dispatch.originY = 2000;
  for (const auto& c : cases) {
    app.settings.gscale = c.gscale;
    app.settings.dbPerUserUnit = c.dbu;
    app.dispatch.pickMode = c.pick;
    app.shell.paletteShown = c.painting;
    app.settings.absMode = c.absMode;
    app.shell.pointer.keyboardCursor = c.cursor;
    EXPECT_EQ(ClickText(app, PointerPoint(app, c.x, c.y)), c.text)
        << c.gscale << " " << c.dbu << " " << c.pick << " " << c.x << "," << c.y;
  }
}

TEST_F(PointerTest, ClicksTakeEffectOnlyWhenTheyAreMeantAndFit) {
  // Ignored while the window redraws.
  app.display.redrawing = true;
  EXPECT_FALSE(LeftClick(app, 150, 150));
  EXPECT_FALSE(RightClick(app, 150, 150));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(input(), "");
  app.display.redrawing = false;
  // A click that activates the window is no point while idle.
  app.shell.pointer.clickActivates = true;
  EXPECT_FALSE(LeftClick(app, 150, 150));
  EXPECT_FALSE(app.shell.pointer.clickActivates);
  EXPECT_TRUE(LeftClick(app, 150, 150));
  // Nearly full: the 13 characters of a point no longer fit and nothing is typed.
  app.window.input = std::string(80, 'x');
  EXPECT_FALSE(RightClick(app, 150, 400 - 250));
  EXPECT_EQ(app.window.input, std::string(80, 'x'));
  // A left click enters the line cut to 91 bytes with the prompt.
  app.window.input = std::string(85, '1');
  ASSERT_TRUE(LeftClick(app, 150, 150));
  EXPECT_EQ(app.window.input, "");
}

TEST_F(PointerTest, ReleaseEndsCaptureAndSwitchesTheOverlaysOff) {
  auto& p = app.shell.pointer;
  StartKeyboardCursor(app);
  EXPECT_EQ(std::pair(p.keyboardCursor, p.captured), std::pair(1, true));
  p.rectangle = 1;
  app.settings.absMode = 1;
  app.statusPending = 0;
  ReleasePointer(app);
  EXPECT_EQ(std::tuple(p.keyboardCursor, p.captured, p.rectangle), std::tuple(2, false, 2));
  EXPECT_EQ(app.statusPending, command::kStatusX | command::kStatusY)
      << "the shown coordinates follow the mode";
}

TEST_F(PointerTest, RubberBandRunsFromTheLastPointToWhereAClickWouldEnter) {
  // Pixel (123, 400 - 57) enters (1, 1): window point (100, 300).
  using S = std::vector<PixelSegment>;
  struct Case {
    const char* name;
    int type, cursor, command;
    const char* points;
    S band;
  } cases[] = {
      {"polygon", 4, 1, 91, "0,0 3,2", S{{300, 200, 100, 300}}},
      {"line", 5, 1, 91, "3,2", S{{300, 200, 100, 300}}},
      {"rectangle from its corner", 3, 1, 91, "3,2",
       S{{300, 200, 100, 200}, {100, 200, 100, 300}, {100, 300, 300, 300}, {300, 300, 300, 200}}},
      {"pointer on the last point", 4, 1, 91, "1,1", S{}},
      {"placements have none", 1, 1, 91, "3,2", S{}},
      {"keyboard cursor off", 4, 0, 91, "3,2", S{}},
      {"another command", 4, 1, 77, "3,2", S{}}};
  for (const auto& c : cases) {
    app.settings.elementType = c.type;
    app.shell.pointer.keyboardCursor = c.cursor;
    app.dispatch.current = c.command;
    app.temp.assign(testing::PointsOf<db::UserPoint>(c.points));
    PointerMoved(app, 123, 400 - 57);
    EXPECT_EQ(RubberBand(app), c.band) << c.name;
  }
}

TEST_F(PointerTest, MenuItemsTypeTheirCommands) {
  const struct Case {
    int id;
    const char* typed;  // the line as it enters the transcript
  } cases[] = {{35, "? REDRAW"},      {2003, "? CLOSE 0"}, {2006, "? ABSMODE 1"},
               {2010, "? SHOWLOC 1"}, {2016, "? ETYPE 5"}, {16, "? CLS"}};
  for (const auto& c : cases) {
    lines.clear();
    EXPECT_EQ(RunMenuItem(app, c.id), MenuOutcome::Typed) << c.id;
    ASSERT_FALSE(lines.empty()) << c.id;
    EXPECT_EQ(lines.front().substr(0, std::string(c.typed).size()), c.typed) << c.id;
  }
  EXPECT_EQ(RunMenuItem(app, 1104), MenuOutcome::Version);
  EXPECT_EQ(RunMenuItem(app, 111), MenuOutcome::Print);
}

// The question's text is checked with the end of the program in the design's tests, the Yes
// that writes with the windowed program's.
TEST_F(PointerTest, EndQuestionDiscardsTheOpenDesignOnNoAndIsNotAskedWithoutOne) {
  typeAll({"NEW end", "MKCELL A"});
  takeBoxes();
  host.answers.push_back(Answer::No);
  EXPECT_TRUE(ConfirmEnd(app));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(std::pair(host.boxes[0].caption, host.boxes[0].buttons),
            std::pair(std::string("終了処理"), Buttons::YesNo));
  EXPECT_FALSE(app.design.isOpen());
  for (const char* name : {"end.cad", "END.CAD", "end.CAD"})
    EXPECT_FALSE(std::filesystem::exists(dir / name) && std::filesystem::file_size(dir / name) > 0);
  takeBoxes();
  EXPECT_TRUE(ConfirmEnd(app)) << "nothing open: no question";
  EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
}  // namespace lav::shell
