// The paint command and its palette: the records appended to PAINTDAT.DAT, replay on and off,
// clearing, the brush chosen in the palette, and every way out of the point prompt. The Toolbar
// stepping aside while painting is seen with the windowed program.
#include <filesystem>

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
  std::string paintFile() const { return read("prog/PAINTDAT.DAT"); }
  // The 16 bytes of one record.
  static std::string record(std::uint32_t colour, std::uint32_t brush, std::int32_t x,
                            std::int32_t y) {
    std::uint8_t r[16];
    le::putU32(r, colour);
    le::putU32(r + 4, brush);
    le::putI32(r + 8, x);
    le::putI32(r + 12, y);
    return std::string(r, r + 16);
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
  EXPECT_EQ(paintFile(), record(0xFFFFFF, 7, 1500, -2000) + record(0xFF0000, 8, 6000, 8000) +
                             record(0xFF0000, 3, 1, 0));
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
  const Case cases[] = {{9, 9, MakeRgb(0, 255, 0)},       {1, 1, MakeRgb(0, 255, 0)},
                        {6, 6, MakeRgb(0, 255, 0)},       {14, 14, MakeRgb(0, 0, 0)},
                        {15, 15, MakeRgb(128, 128, 128)}, {21, 21, MakeRgb(0, 0, 128)},
                        {0, 21, MakeRgb(0, 0, 128)},      {22, 21, MakeRgb(0, 0, 128)},
                        {7, 7, MakeRgb(255, 255, 255)}};
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
  EXPECT_EQ(std::tuple(b.solid, b.hatch, b.colour, b.opaque, b.background),
            std::tuple(false, HatchStyle::BDiagonal, MakeRgb(0, 0, 0), true, MakeRgb(255, 0, 255)));
}

// Where the cells and the sample are drawn is seen with the windowed program.
TEST_F(PaintCommandTest, PaletteCellsUnderThePointer) {
  const struct {
    int x, y, cell;
  } at[] = {{0, 0, 1},   {89, 0, 3},   {30, 20, 5}, {89, 139, 21},
            {90, 10, 0}, {10, 140, 0}, {-1, 5, 0}};
  for (const auto& a : at) EXPECT_EQ(PaletteCellAt(a.x, a.y), a.cell) << a.x << "," << a.y;
}

TEST_F(PaintCommandTest, EveryWayOutHidesThePalette) {
  const struct Case {
    const char* name;
    std::vector<const char*> typed;
    bool escape;
  } cases[] = {{"an answer that is no point", {"PAINT", "1 2", "done"}, false},
               {"one number", {"PAINT", "5"}, false},
               {"an empty answer", {"PAINT", ""}, false},
               {"another command's name", {"PAINT", "LAYER 3"}, false},
               {"Escape", {"PAINT"}, true}};
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

TEST_F(PaintCommandTest, ReplayOnOffAndClearing) {
  typeAll({"PAINT", "1 1", "2 2", ""});
  ASSERT_EQ(paintFile().size(), 32u);
  const struct Case {
    const char* line;
    bool replay;
    std::size_t bytes;
  } cases[] = {{"PAINT 1", true, 32}, {"PAINT 0", false, 32}, {"PAINT 1", true, 32},
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

// A point beyond the coordinate range, or a paint file that cannot be written, is refused with a
// box and ends painting.
TEST_F(PaintCommandTest, RefusedPointsEndPainting) {
  type("PAINT");
  type("3000000 0");  // 3e9 database units
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_TRUE(paintFile().empty());
  EXPECT_FALSE(paletteUp());

  host.boxes.clear();
  app.programDir = (dir / "missing" / "folder").string();
  typeAll({"PAINT", "1 2"});
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_NE(host.boxes[0].text.find("PAINTDAT.DAT"), std::string::npos) << host.boxes[0].text;
  EXPECT_EQ(host.boxes[0].caption, "Error");
  EXPECT_FALSE(paletteUp());
  EXPECT_EQ(app.dispatch.current, 0);
}

}  // namespace
}  // namespace lav::shell
