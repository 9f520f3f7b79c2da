// The Toolbar's buttons type their command lines as a user would, with the shipped command file;
// the Toolbar comes back after the focus went elsewhere, but not while painting.
#include "command/toolbar.h"

#include <filesystem>
#include <set>

#include "command/text_dialogs.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::shell {
namespace {

class ToolbarTest : public testing::TypingSession {
 protected:
  // The command lines a button entered, as the recall list filed them (oldest first).
  std::vector<std::string> press(int button) {
    const std::size_t before = lines.size();
    PressToolbarButton(app, button - 1);
    std::vector<std::string> entered;
    for (std::size_t i = before; i < lines.size(); ++i)
      if (lines[i].rfind("? ", 0) == 0) entered.push_back(lines[i].substr(2));
    return entered;
  }
  void openCell(const std::string& design = "chip") {
    type("NEW " + design);
    type("MKCELL TOP");
    ASSERT_TRUE(app.design.hasCell());
  }
};

TEST_F(ToolbarTest, ButtonsAreTwoColumnsOfElevenWithTheirOwnPictures) {
  const auto buttons = ToolbarButtons();
  ASSERT_EQ(buttons.size(), 22u);
  std::set<std::string> icons;
  for (const auto& b : buttons) {
    EXPECT_LT(b.row, kToolbarRows);
    EXPECT_LT(b.column, kToolbarColumns);
    icons.insert(b.icon);
    const auto svg =
        std::filesystem::path(LAVINOR_DATA_DIR) / "icons" / (std::string(b.icon) + ".svg");
    EXPECT_TRUE(std::filesystem::exists(svg)) << svg;
  }
  EXPECT_EQ(icons.size(), 22u) << "every button has a picture of its own";
}

TEST_F(ToolbarTest, EachButtonTypesItsCommandLines) {
  struct Case {
    int button;
    std::vector<std::string> lines;
  };
  // Buttons that open dialogs or ask questions are checked by what they enter, not what follows;
  // the text button (18) has a test of its own.
  const Case cases[] = {{7, {"FIT"}},
                        {10, {"REDRAW"}},
                        {15, {"ETYPE 3", "XY"}},
                        {16, {"ETYPE 4", "XY"}},
                        {17, {"ETYPE 5", "XY"}}};
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
  const Single singles[] = {{1, "NEW"},     {2, "OPEN"},   {3, "MKCELL"}, {5, "CLOSE"},
                            {6, "CLOSE 0"}, {8, "ZOOM"},   {9, "WINDOW"}, {19, "WIDTH"},
                            {20, "LAYER"},  {22, "OUTPUT"}};
  for (const Single& s : singles) {
    SCOPED_TRACE(s.button);
    const auto entered = press(s.button);
    ASSERT_FALSE(entered.empty());
    EXPECT_EQ(entered.front(), s.line);
    type("");
    host.boxes.clear();
  }
}

TEST_F(ToolbarTest, TextButtonEndsInCoordinateEntryOfATextAfterTheDialog) {
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
}

TEST_F(ToolbarTest, EntryButtonsWithoutACellStopAtTheRefusal) {
  PressToolbarButton(app, 14);
  EXPECT_EQ(app.settings.elementType, 3) << "the type is set";
  ASSERT_TRUE(testing::OneBox(host, "ファイル又はセルは開かれていません。出力先がわかりません。"));
  EXPECT_EQ(app.dispatch.current, 0);
}

TEST_F(ToolbarTest, CreatedByItsCommandAndReshownAfterTheFocusWentElsewhereButNotWhilePainting) {
  using Calls = std::vector<std::pair<ToolWindow, ToolWindowState>>;
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
}

}  // namespace
}  // namespace lav::shell
