// The paint command and its palette: the records appended to PAINTDAT.DAT, replay on and off,
// clearing, the brush chosen in the palette, and every way out of the point prompt.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "command/paint_palette.h"
#include "display/paint_marks.h"
#include "platform/byte_io.h"
#include "support/typing_session.h"

namespace lav::shell {
namespace {

namespace fs = std::filesystem;

class PaintCommandTest : public testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    // PAINTDAT.DAT is written beside the program: here a folder of the test's own.
    fs::create_directories(dir / "prog");
    app.programDir = (dir / "prog").string();
    host.hasToolWindows = true;
  }
  std::vector<std::uint8_t> paintFile() {
    std::ifstream in(dir / "prog" / "PAINTDAT.DAT", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static std::vector<std::uint8_t> record(std::uint32_t colour, std::uint32_t brush, std::int32_t x,
                                          std::int32_t y) {
    std::vector<std::uint8_t> r(16);
    le::putU32(r.data(), colour);
    le::putU32(r.data() + 4, brush);
    le::putI32(r.data() + 8, x);
    le::putI32(r.data() + 12, y);
    return r;
  }
  bool paletteUp() const { return app.shell.paletteShown; }
};

TEST_F(PaintCommandTest, EachPointAppendsItsRecord) {
  type("PAINT");
  EXPECT_EQ(prompt(), "Pn: ");
  EXPECT_TRUE(paletteUp());
  EXPECT_EQ(host.toolWindowCalls.back(),
            std::make_pair(ToolWindow::Palette, ToolWindowState::Shown));
  type("1.5 -2");             // the default brush: solid white
  ChoosePaletteCell(app, 8);  // solid red
  type("(3 4) * 2");
  ChoosePaletteCell(app, 3);  // hatched: the red background stays
  type("0.0005 0.0004");      // rounded half up to database units
  EXPECT_EQ(prompt(), "Pn: ") << "still asking";
  auto want = record(0xFFFFFF, 7, 1500, -2000);
  for (auto r : {record(0xFF0000, 8, 6000, 8000), record(0xFF0000, 3, 1, 0)})
    want.insert(want.end(), r.begin(), r.end());
  EXPECT_EQ(paintFile(), want);
  const auto marks = display::ReadPaintMarks(app);
  ASSERT_EQ(marks.size(), 3u);
  EXPECT_EQ(marks[2].brush, 3u);
}

TEST_F(PaintCommandTest, PaletteCellsChooseBrushAndBackground) {
  struct Case {
    int cell;
    int brush;
    Rgb colour;
  };
  // In order: each choice starts from the one before.
  const Case cases[] = {
      {9, 9, MakeRgb(0, 255, 0)},  {1, 1, MakeRgb(0, 255, 0)},       {6, 6, MakeRgb(0, 255, 0)},
      {14, 14, MakeRgb(0, 0, 0)},  {15, 15, MakeRgb(128, 128, 128)}, {21, 21, MakeRgb(0, 0, 128)},
      {0, 21, MakeRgb(0, 0, 128)}, {22, 21, MakeRgb(0, 0, 128)},     {7, 7, MakeRgb(255, 255, 255)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    ChoosePaletteCell(app, c.cell);
    EXPECT_EQ(app.display.paintBrush, c.brush);
    EXPECT_EQ(app.display.paintColour, c.colour);
  }
  // A hatched brush paints black lines on the chosen background.
  ChoosePaletteCell(app, 11);
  ChoosePaletteCell(app, 4);
  const Brush b = CurrentPaintBrush(app);
  EXPECT_FALSE(b.solid);
  EXPECT_EQ(b.hatch, HatchStyle::BDiagonal);
  EXPECT_EQ(b.colour, MakeRgb(0, 0, 0));
  EXPECT_TRUE(b.opaque);
  EXPECT_EQ(b.background, MakeRgb(255, 0, 255));
}

TEST_F(PaintCommandTest, PaletteGeometry) {
  EXPECT_EQ(PaletteCellAt(0, 0), 1);
  EXPECT_EQ(PaletteCellAt(89, 0), 3);
  EXPECT_EQ(PaletteCellAt(30, 20), 5);
  EXPECT_EQ(PaletteCellAt(89, 139), 21);
  EXPECT_EQ(PaletteCellAt(90, 10), 0);
  EXPECT_EQ(PaletteCellAt(10, 140), 0);
  EXPECT_EQ(PaletteCellAt(-1, 5), 0);
  const PaletteRect c = PaletteCellRect(21);
  EXPECT_EQ(c.x, 60);
  EXPECT_EQ(c.y, 120);
  const PaletteRect s = PaletteSampleRect();
  EXPECT_EQ(s.x, 5);
  EXPECT_EQ(s.y, 145);
  EXPECT_EQ(s.w, 80);
  EXPECT_EQ(s.y + s.h, kPaletteClientHeight - 5);
}

TEST_F(PaintCommandTest, EveryWayOutHidesThePalette) {
  struct Case {
    const char* name;
    std::vector<const char*> typed;
    bool escape;
  };
  const Case cases[] = {
      {"an answer that is no point", {"PAINT", "1 2", "done"}, false},
      {"one number", {"PAINT", "5"}, false},
      {"an empty answer", {"PAINT", ""}, false},
      {"another command's name", {"PAINT", "LAYER 3"}, false},
      {"Escape", {"PAINT"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* t : c.typed) type(t);
    if (c.escape) command::AbortCommand(app);
    EXPECT_FALSE(paletteUp());
    EXPECT_EQ(host.toolWindowCalls.back(),
              std::make_pair(ToolWindow::Palette, ToolWindowState::Hidden));
    EXPECT_EQ(app.dispatch.current, 0);
    EXPECT_EQ(prompt(), "? ");
  }
  EXPECT_EQ(app.settings.layer, 1) << "a line that ends painting is not run";
}

TEST_F(PaintCommandTest, ToolbarStepsAsideWhilePainting) {
  type("TOOLBAR");
  host.toolWindowCalls.clear();
  type("PAINT");
  using Call = std::pair<ToolWindow, ToolWindowState>;
  EXPECT_EQ(host.toolWindowCalls,
            (std::vector<Call>{{ToolWindow::Palette, ToolWindowState::Shown},
                               {ToolWindow::Toolbar, ToolWindowState::Hidden}}));
  host.toolWindowCalls.clear();
  type("x");
  EXPECT_EQ(host.toolWindowCalls,
            (std::vector<Call>{{ToolWindow::Palette, ToolWindowState::Hidden},
                               {ToolWindow::Toolbar, ToolWindowState::Shown}}));
}

TEST_F(PaintCommandTest, ReplayOnOffAndClearing) {
  type("PAINT");
  type("1 1");
  type("2 2");
  type("");
  ASSERT_EQ(paintFile().size(), 32u);
  struct Case {
    const char* line;
    bool replay;
    std::size_t bytes;
  };
  const Case cases[] = {{"PAINT 1", true, 32}, {"PAINT 0", false, 32}, {"PAINT 1", true, 32},
                        {"PAINT 7", false, 0}, {"PAINT 1", true, 0},   {"PAINT -1", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    type(c.line);
    EXPECT_EQ(app.display.paintMode, c.replay);
    EXPECT_EQ(paintFile().size(), c.bytes);
    EXPECT_EQ(app.dispatch.current, 0);
  }
  EXPECT_TRUE(fs::exists(dir / "prog" / "PAINTDAT.DAT")) << "cleared, not removed";
  type("PAINT 1");
  lines.clear();
  type("PAINT on");
  EXPECT_TRUE(app.display.paintMode) << "an unreadable number changes nothing";
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "***ERROR***");
}

TEST_F(PaintCommandTest, UnwritablePaintFileIsReportedAndEndsPainting) {
  app.programDir = (dir / "missing" / "folder").string();
  type("PAINT");
  type("1 2");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_NE(host.boxes[0].text.find("PAINTDAT.DAT"), std::string::npos) << host.boxes[0].text;
  EXPECT_EQ(host.boxes[0].caption, "Error");
  EXPECT_FALSE(paletteUp());
  EXPECT_EQ(app.dispatch.current, 0);
}

TEST_F(PaintCommandTest, PointsBeyondTheCoordinateRangeAreRefused) {
  type("PAINT");
  type("3000000 0");  // 3e9 database units
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_TRUE(paintFile().empty());
  EXPECT_FALSE(paletteUp());
}

}  // namespace
}  // namespace lav::shell
