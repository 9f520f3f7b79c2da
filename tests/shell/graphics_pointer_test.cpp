#include "shell/graphics_pointer.h"

#include <gtest/gtest.h>

#include "console/status_fields.h"
#include "platform/sjis.h"
#include "shell/main_menu.h"
#include "shell/startup.h"
#include "shell/status_window.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::shell {
namespace {

// A font of 8 pixels a byte, so that a two-byte character is 16 pixels wide.
int Width(std::string_view t) {
  return static_cast<int>(t.size()) * 8;
}

constexpr int kL = 16;
constexpr Rgb kRed = MakeRgb(255, 0, 0);
constexpr Rgb kWhite = MakeRgb(255, 255, 255);
constexpr Rgb kBlack = MakeRgb(0, 0, 0);
constexpr Rgb kGreen = MakeRgb(0, 255, 0);

class PointerTest : public testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    // 1 pixel is 10 database units; pixel (0, 400) is the design origin.
    app.display.view = {
        .scale = 0.1, .offsetX = 0, .offsetY = 0, .clientWidth = 600, .clientHeight = 400};
  }
  std::string input() const { return sjis::toUtf8(app.window.input); }
  StatusLayout layout(int w = 960, int h = 90) { return LayoutStatus(w, h, kL, Width); }
  std::vector<StatusText> texts(const StatusLayout& s) { return StatusTexts(app, s, Width); }
  // The texts of one field, labels left out, as UTF-8.
  std::vector<StatusText> values(StatusField f, const StatusLayout& s) {
    std::vector<StatusText> out;
    for (auto& t : texts(s))
      if (t.field == f && !t.label) out.push_back(t);
    return out;
  }
  std::vector<std::string> labelsOf(StatusField f, const StatusLayout& s) {
    std::vector<std::string> out;
    for (auto& t : texts(s))
      if (t.field == f && t.label) out.push_back(sjis::toUtf8(t.text));
    return out;
  }
};

TEST_F(PointerTest, ClicksSnapWhileIdleAreExactWhileAPointIsPickedAndTheBandRunsThere) {
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
  // The rubber band runs from the last point to where a click would enter.
  // Pixel (123, 400 - 57) enters (1, 1): window point (100, 300).
  using S = std::vector<PixelSegment>;
  struct Band {
    const char* name;
    int type, cursor, command;
    const char* points;
    S band;
  } bands[] = {
      {"polygon", 4, 1, 91, "0,0 3,2", S{{300, 200, 100, 300}}},
      {"line", 5, 1, 91, "3,2", S{{300, 200, 100, 300}}},
      {"rectangle from its corner", 3, 1, 91, "3,2",
       S{{300, 200, 100, 200}, {100, 200, 100, 300}, {100, 300, 300, 300}, {300, 300, 300, 200}}},
      {"pointer on the last point", 4, 1, 91, "1,1", S{}},
      {"placements have none", 1, 1, 91, "3,2", S{}},
      {"keyboard cursor off", 4, 0, 91, "3,2", S{}},
      {"another command", 4, 1, 77, "3,2", S{}}};
  for (const auto& c : bands) {
    app.settings.elementType = c.type;
    app.shell.pointer.keyboardCursor = c.cursor;
    app.dispatch.current = c.command;
    app.temp.assign(testing::PointsOf<db::UserPoint>(c.points));
    PointerMoved(app, 123, 400 - 57);
    EXPECT_EQ(RubberBand(app), c.band) << c.name;
  }
}

TEST_F(PointerTest, ClicksTakeEffectOnlyWhenMeantAndFitReleaseEndsCaptureMenuItemsTypeLines) {
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
  // Release ends the capture and switches the overlays off.
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
  // Menu items type their commands; the end question discards on No.
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
  // The question's text is checked with the end of the program in the design's tests, the Yes
  // that writes with the windowed program's.
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

// The Status Window's fields: their places for a window size, their texts and colours for the
// program's state, and the parts of the window a change repaints.
TEST_F(PointerTest, StatusElementTypeItsDetailTheViewWindowAndThePointersCoordinates) {
  const struct Case {
    const char* name;
    int type, tip, height;
    std::int32_t width;
    const char* cellName;
    const char* shown;        // element value
    const char* detailLabel;  // nullptr: no detail
    const char* detailValue;
    int detailX;  // relative to the element value's x
  } cases[] = {
      {"line shows type.tip and width", 5, 0, 90, 2500, "", "5.0", " Width:", "2.5", kL + 10},
      {"square tip", 5, 2, 90, 1000, "", "5.2", " Width:", "1.", kL + 10},
      {"text has no detail", 2, 0, 90, 2500, "PAD", "2", nullptr, nullptr, 0},
      {"array shows the placed cell", 0, 0, 90, 0, "PAD", "0", " Name:", "PAD", kL},
      // Tall enough while h - L - 2L + 5 > 0.
      {"just tall enough", 5, 0, 44, 3000, "", "5.0", " Width:", "3.", kL + 10},
      {"too low for the detail", 5, 0, 43, 3000, "", "5.0", nullptr, nullptr, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app.settings.elementType = c.type;
    app.settings.lineTipType = c.tip;
    app.settings.width = c.width;
    app.settings.cellName = c.cellName;
    const StatusLayout s = layout(960, c.height);
    const auto el = values(kStatusElement, s);
    ASSERT_EQ(el.size(), 1u);
    EXPECT_EQ(std::tie(el[0].text, el[0].x, el[0].y),
              std::tuple(std::string(c.shown), s.elementValueX, c.height - kL));
    const auto detail = values(kStatusDetail, s);
    const auto detailLabel = labelsOf(kStatusDetail, s);
    if (!c.detailLabel) {
      EXPECT_TRUE(detail.empty());
      EXPECT_TRUE(detailLabel.empty());
      continue;
    }
    ASSERT_EQ(detailLabel.size(), 1u);
    EXPECT_EQ(detailLabel[0], c.detailLabel);
    ASSERT_EQ(detail.size(), 1u);
    EXPECT_EQ(std::tie(detail[0].text, detail[0].x, detail[0].y, detail[0].colour),
              std::tuple(std::string(c.detailValue), s.elementValueX + c.detailX, c.height - 2 * kL,
                         kRed));
  }
  // The view window's corners and size.
  app.display.view.window = {-2500, 1000, 47000, 37000};
  const StatusLayout s = layout(960, 90);
  // Each text and the line it stands on, counted up from the bottom; where in the line is
  // bounded by the test that every value stays in its field.
  std::vector<std::string> shown;
  std::vector<int> line;
  for (const auto& t : values(kStatusView, s)) {
    shown.push_back(sjis::toUtf8(t.text));
    line.push_back((90 - t.y) / kL);
  }
  EXPECT_EQ(shown, testing::Split("右上 :|47.000|37.000|左下 :|-2.500|1.000|49.500|36.000"));
  EXPECT_EQ(line, (std::vector<int>{3, 3, 3, 2, 2, 2, 4, 4}));
  EXPECT_EQ(labelsOf(kStatusView, s), std::vector<std::string>{" Window Area:"});
  // A pointer move repaints only the coordinates, which show absolute or relative values.
  ASSERT_TRUE(TakeStatusInvalidations(app) == kAllStatusFields) << "nothing asked: all";
  const int before = host.invalidations[static_cast<int>(Window::Status)];
  PointerMoved(app, 120, 300);
  EXPECT_EQ(host.invalidations[static_cast<int>(Window::Status)], before + 1);
  EXPECT_EQ(TakeStatusInvalidations(app), unsigned{kStatusX | kStatusY});
  EXPECT_FALSE(PointerMoved(app, 121, 300)) << "snapped to the same place: nothing to repaint";
  EXPECT_EQ(host.invalidations[static_cast<int>(Window::Status)], before + 1);
  InvalidateStatus(app, kStatusView);
  InvalidateStatus(app, kStatusLayerLists);
  EXPECT_EQ(TakeStatusInvalidations(app), unsigned{kStatusView | kStatusLayerLists});
  app.shell.pointer.keyboardCursor = 1;
  EXPECT_TRUE(PointerMoved(app, 121, 300)) << "the crosshair follows";

  const struct Coord {
    const char* name;
    std::int32_t dbu;
    int absMode, keyboardCursor;
    double x, y;
    const char *shownX, *shownY;
  } coords[] = {{"absolute", 1000, 0, 1, 3.5, 4.25, "3.500", "4.250"},
                {"relative with the keyboard cursor", 1000, 1, 1, 3.5, 4.25, "2.500", "2.250"},
                {"relative without the keyboard cursor", 1000, 1, 0, 3.5, 4.25, "3.500", "4.250"},
                {"relative mode 3", 1000, 3, 1, 0, 0, "-1.000", "-2.000"},
                {"unit 1 shows no decimals", 1, 0, 0, -12, 7, "-12", "7"},
                {"unit 100 shows two", 100, 0, 0, 0.25, 1.5, "0.25", "1.50"}};
  for (const Coord& c : coords) {
    SCOPED_TRACE(c.name);
    app.settings.dbPerUserUnit = c.dbu;
    app.settings.absMode = c.absMode;
    app.shell.pointer.keyboardCursor = c.keyboardCursor;
    app.dispatch.originX = c.dbu;  // the relative origin at (1, 2) user units
    app.dispatch.originY = 2 * c.dbu;
    app.shell.pointer.userX = c.x;
    app.shell.pointer.userY = c.y;
    const StatusLayout s = layout();
    const auto x = values(kStatusX, s), y = values(kStatusY, s);
    ASSERT_EQ(std::tuple(x.size(), y.size()), std::tuple(1u, 1u));
    EXPECT_EQ(std::pair(x[0].text, y[0].text),
              (std::pair<std::string, std::string>(c.shownX, c.shownY)));
    // Right-aligned at the fields' right edges.
    EXPECT_EQ(std::pair(x[0].x + Width(x[0].text), y[0].x + Width(y[0].text)),
              std::pair(s.xRight, s.yRight));
  }
}

TEST_F(PointerTest, StatusListsLayersDrawnColoursFollowThePensAndValuesStayInTheirFields) {
  for (int l : {1, 3, 5, 12}) app.design.presentLayers[l] = 1;
  app.settings.layerFlags[3] = 0;        // drawn, not displayed
  app.settings.layerSelectFlags[5] = 0;  // drawn, not selectable
  // Layer 7 is displayed and selectable but nothing was drawn on it.
  const StatusLayout s = layout();
  std::vector<std::pair<std::string, int>> shown, selected;
  for (const auto& t : values(kStatusLayerLists, s))
    (t.y == 0 ? shown : selected).push_back({t.text, t.x});
  const int x0 = s.layerListsX + 3 * kL;
  using List = std::vector<std::pair<std::string, int>>;
  EXPECT_EQ(shown, (List{{"1 ", x0}, {"5 ", x0 + 16}, {"12 ", x0 + 32}}));
  EXPECT_EQ(selected, (List{{"1 ", x0}, {"3 ", x0 + 16}, {"12 ", x0 + 32}}));
  EXPECT_EQ(labelsOf(kStatusLayerLists, s), (std::vector<std::string>{" 表示:", " 選択:"}));
  for (const auto& t : values(kStatusLayerLists, s))
    if (t.text == "5 ") {
      EXPECT_EQ(t.colour, kGreen) << "layer 5 in its colour";
    }
  // Colours follow the background and the layer pens.
  const struct Case {
    bool white;
    int layer;
    Rgb layerColour, text, back;
  } cases[] = {{false, 4, kRed, kWhite, kBlack},
               {true, 4, kRed, kBlack, kWhite},
               {false, 14, kWhite, kWhite, kBlack},  // colour 0 is the foreground
               {true, 0, kBlack, kBlack, kWhite}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layer);
    app.shell.whiteBackground = c.white;
    app.settings.layer = c.layer;
    app.design.current.name = "TOP";
    const StatusLayout s = layout();
    const auto layer = values(kStatusLayer, s), cell = values(kStatusCell, s);
    ASSERT_EQ(std::tuple(layer.size(), cell.size()), std::tuple(1u, 1u));
    EXPECT_EQ(std::tie(layer[0].text, layer[0].colour),
              std::tuple(std::to_string(c.layer), c.layerColour));
    EXPECT_EQ(std::tie(cell[0].text, cell[0].colour, cell[0].background),
              std::tuple(std::string("TOP"), c.text, c.back));
    // The element type in the highlight pen's colour (red by default).
    EXPECT_EQ(values(kStatusElement, s)[0].colour, kRed);
    for (const auto& t : texts(s))
      EXPECT_TRUE(!t.label || (t.colour == kBlack && t.background == kGreen)) << t.text;
  }
  // Every value lies inside its field's rectangle, whatever the window's width.
  app.design.current.name = "CHIP_TOP";
  app.settings.elementType = 5;
  app.settings.width = 125;
  app.settings.layer = 63;
  app.shell.pointer.userX = -1234567.125;
  app.shell.pointer.userY = 7654321.5;
  for (int l = 0; l < 10; ++l) app.design.presentLayers[l] = 1;
  for (int w : {640, 960, 1440}) {
    const StatusLayout s = layout(w, 90);
    for (const auto& t : texts(s)) {
      if (t.label) continue;
      const StatusRect r = StatusFieldRect(s, t.field);
      EXPECT_TRUE(t.x >= r.x && t.x + Width(t.text) <= r.x + r.w) << t.text << " at x " << t.x;
      EXPECT_TRUE(t.y >= r.y && t.y + kL <= r.y + r.h) << t.text << " at y " << t.y;
    }
  }
}

}  // namespace
}  // namespace lav::shell
