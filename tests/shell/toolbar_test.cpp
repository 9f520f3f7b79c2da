// The Toolbar's buttons type their command lines as a user would, with the shipped command file;
// the Toolbar comes back after the focus went elsewhere, but not while painting.
#include "command/toolbar.h"

#include <filesystem>
#include <set>

#include "command/paint_palette.h"
#include "command/text_dialogs.h"
#include "display/paint_marks.h"
#include "platform/byte_io.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::shell {
namespace {

namespace fs = std::filesystem;

class ToolbarTest : public testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    // PAINTDAT.DAT is written beside the program: here a folder of the test's own.
    fs::create_directories(dir / "prog");
    app.programDir = (dir / "prog").string();
    host.hasToolWindows = true;
  }
  // The command lines a button entered, as the recall list filed them (oldest first).
  std::vector<std::string> press(int button) {
    const std::size_t before = lines.size();
    PressToolbarButton(app, button - 1);
    std::vector<std::string> entered;
    for (std::size_t i = before; i < lines.size(); ++i)
      if (lines[i].rfind("? ", 0) == 0) entered.push_back(lines[i].substr(2));
    return entered;
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
  void openCell(const std::string& design = "chip") {
    type("NEW " + design);
    type("MKCELL TOP");
    ASSERT_TRUE(app.design.hasCell());
  }
};

TEST_F(ToolbarTest, CreatedReshownAfterTheFocusWentElsewhereEachButtonTypesItsLines) {
  using Calls = std::vector<std::pair<ToolWindow, ToolWindowState>>;
  host.hasToolWindows = false;
  type("TOOLBAR");
  EXPECT_FALSE(app.shell.toolbarExists) << "no window here: nothing more happens";
  EXPECT_EQ(prompt(), "? ");
  host.hasToolWindows = true;
  type("TOOLBAR");
  EXPECT_TRUE(app.shell.toolbarExists);
  EXPECT_EQ(host.toolWindowCalls, (Calls{{ToolWindow::Toolbar, ToolWindowState::Focused}}));
  host.toolWindowCalls.clear();
  // Focus moving among the main windows and the Toolbar leaves no mark.
  NoteFocusLoss(app, FocusTarget::MainWindow);
  NoteFocusLoss(app, FocusTarget::ToolbarButton);
  ReshowToolbar(app);
  EXPECT_TRUE(host.toolWindowCalls.empty());
  NoteFocusLoss(app, FocusTarget::Elsewhere);
  app.dispatch.current = 122;
  ReshowToolbar(app);
  EXPECT_TRUE(host.toolWindowCalls.empty()) << "not while painting";
  app.dispatch.current = 0;
  ReshowToolbar(app);
  ReshowToolbar(app);  // the mark is cleared: once only
  EXPECT_EQ(host.toolWindowCalls, (Calls{{ToolWindow::Toolbar, ToolWindowState::Shown}}));
  ToolbarDestroyed(app);
  EXPECT_FALSE(app.shell.toolbarExists);
  // Each button has its picture and types its command lines, even without a cell.
  struct Case {
    int button;
    std::vector<std::string> lines;
  };
  // Buttons that open dialogs or ask questions are checked by what they enter, not what follows;
  // the text button (18) is followed to its end below. The buttons the windowed program presses
  // (new file, fit, zoom, layer) are checked there.
  const Case cases[] = {
      {10, {"REDRAW"}}, {15, {"ETYPE 3", "XY"}}, {16, {"ETYPE 4", "XY"}}, {17, {"ETYPE 5", "XY"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    openCell("b" + std::to_string(c.button));
    EXPECT_EQ(press(c.button), c.lines);
    typeAll({"", "CLOSE 0"});  // leaves a waiting command, then the design
  }
  struct Single {
    int button;
    const char* line;
  };
  // The first word of the rest, and the prompt they leave (or none).
  const Single singles[] = {{2, "OPEN"},   {3, "MKCELL"}, {5, "CLOSE"},  {6, "CLOSE 0"},
                            {9, "WINDOW"}, {19, "WIDTH"}, {22, "OUTPUT"}};
  for (const Single& s : singles) {
    SCOPED_TRACE(s.button);
    const auto entered = press(s.button);
    ASSERT_FALSE(entered.empty());
    EXPECT_EQ(entered.front(), s.line);
    type("");
    host.boxes.clear();
  }
  // Entry buttons without a cell set the type and stop at the refusal.
  PressToolbarButton(app, 14);
  EXPECT_EQ(app.settings.elementType, 3);
  ASSERT_TRUE(testing::OneBox(host, "ファイル又はセルは開かれていません。出力先がわかりません。"));
  EXPECT_EQ(app.dispatch.current, 0);
  // The text button ends in coordinate entry of a text after its dialog.
  host.dialogHandlers["text-input"] = [](DialogModel& m) {
    auto& d = dynamic_cast<command::TextEditDialog&>(m);
    d.setText("VDD");
    d.pressOk();
  };
  openCell();
  PressToolbarButton(app, 17);
  EXPECT_EQ(host.dialogsRun.back(), "text-input");
  EXPECT_EQ(app.settings.elementType, 2);
  EXPECT_EQ(app.settings.text, "VDD");
  EXPECT_EQ(app.dispatch.current, 91) << "waits for the text's point";
  EXPECT_EQ(prompt().rfind("Te", 0), 0u) << prompt();
  // Every button has a picture of its own (where each sits is seen with the windowed program).
  const auto buttons = ToolbarButtons();
  ASSERT_EQ(buttons.size(), 22u);
  std::set<std::string> icons;
  for (const auto& b : buttons) {
    icons.insert(b.icon);
    const auto svg =
        std::filesystem::path(LAVINOR_DATA_DIR) / "icons" / (std::string(b.icon) + ".svg");
    EXPECT_TRUE(std::filesystem::exists(svg)) << svg;
  }
  EXPECT_EQ(icons.size(), 22u) << "every button has a picture of its own";
}

// The paint command and its palette: the records appended to PAINTDAT.DAT, replay on and off,
// clearing, the brush chosen in the palette, and every way out of the point prompt. The Toolbar
// stepping aside while painting is seen with the windowed program.

TEST_F(ToolbarTest, PaintEachPointAppendsItsRecordAndRefusedPointsEndPainting) {
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
  // A point beyond the coordinate range, or a paint file that cannot be written, is refused with
  // a box and ends painting.
  type("3000000 0");  // 3e9 database units
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(paintFile().size(), 48u);
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

TEST_F(ToolbarTest, PaintPaletteCellsChooseBrushAndBackgroundReplayClearingAndEveryWayOut) {
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
  // Where the cells and the sample are drawn is seen with the windowed program.
  const struct {
    int x, y, cell;
  } at[] = {{0, 0, 1},   {89, 0, 3},   {30, 20, 5}, {89, 139, 21},
            {90, 10, 0}, {10, 140, 0}, {-1, 5, 0}};
  for (const auto& a : at) EXPECT_EQ(PaletteCellAt(a.x, a.y), a.cell) << a.x << "," << a.y;
  // Replay on and off, clearing, and every way out of the point prompt.
  typeAll({"PAINT", "1 1", "2 2", ""});
  ASSERT_EQ(paintFile().size(), 32u);
  const struct Replay {
    const char* line;
    bool replay;
    std::size_t bytes;
  } replays[] = {{"PAINT 1", true, 32}, {"PAINT 0", false, 32}, {"PAINT 1", true, 32},
                 {"PAINT 7", false, 0}, {"PAINT 1", true, 0},   {"PAINT -1", false, 0}};
  for (const Replay& c : replays) {
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
  // Every way out of the point prompt hides the palette.
  const struct Way {
    const char* name;
    std::vector<const char*> typed;
    bool escape;
  } ways[] = {{"an answer that is no point", {"PAINT", "1 2", "done"}, false},
              {"one number", {"PAINT", "5"}, false},
              {"an empty answer", {"PAINT", ""}, false},
              {"another command's name", {"PAINT", "LAYER 3"}, false},
              {"Escape", {"PAINT"}, true}};
  for (const Way& c : ways) {
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

}  // namespace
}  // namespace lav::shell
