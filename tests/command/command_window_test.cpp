#include "console/command_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <variant>

#include "command/command_list_dialog.h"
#include "command/window_input.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"
#include "support/short_forms.h"

namespace lav::command {
namespace {

namespace fs = std::filesystem;

// "あ" and "い": two-byte characters; "ｱ" (0xB1) is one byte.
const std::string kA = "\x82\xA0";
const std::string kI = "\x82\xA2";

using testing::HelpRecordingHost;
using testing::Split;

class CommandWindowTest : public ::testing::Test {
 protected:
  HelpRecordingHost host;
  AppState app{host};

  void SetUp() override {
    SetFixedCapacity(app.window.transcript, 200);
    ReadCommandFile("3 OPEN\n16 CLS\n17 FIT\n19 ZOOM\n20 REDRAW\n92 DELTEMP\n95 TAKE\n",
                    app.window.commands);
  }
  void type(std::string_view bytes) {
    for (char c : bytes) TypeCharacter(app, static_cast<std::uint8_t>(c));
  }
  const InputLine& line() const { return app.window; }
  const RecallList& recall() const { return app.window.recall; }
};

using Step = std::variant<std::string, Key>;

TEST_F(CommandWindowTest, EditingAppendsAndClickedWordsGoInAtTheCaretAndWhatDoesNotFitIsRefused) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::string input;
    std::size_t caret;
  } cases[] = {
      {"tab is a blank", {std::string("a\tb")}, "a b", 3},
      {"backspace at 0, left not below it",
       {std::string("ab"), Key::Left, Key::Left, Key::Left, std::string("\b")},
       "ab",
       0},
      {"backspace before two-byte", {"x" + kA + "y", Key::Left, std::string("\b")}, "xy", 1},
      {"right over two-byte",
       {"x" + kA + "y", Key::Left, Key::Left, Key::Right},
       "x" + kA + "y",
       3},
      {"right not past end", {std::string("a"), Key::Right}, "a", 1},
      {"delete two-byte at caret", {kA + kI, Key::Left, Key::Left, Key::Delete}, kI, 0},
      {"delete at end takes the last", {"x" + kA, Key::Delete}, "x", 1},
      {"half-width kana is one byte", {std::string("\xB1\xB2"), Key::Left}, "\xB1\xB2", 1},
      {"0xA0 starts a pair in this window", {std::string("\xA0z"), Key::Left}, "\xA0z", 0},
      {"insert two-byte mid-line", {std::string("ab"), Key::Left, kA}, "a" + kA + "b", 3},
      // The line holds 91 bytes with the prompt "? ", and never half a character: with one byte
      // left a two-byte character is refused whole, its second byte too.
      {"91 bytes", {std::string(100, 'x')}, std::string(89, 'x'), 89},
      {"no half character", {std::string(88, 'y') + kA + "z"}, std::string(88, 'y') + "z", 89},
  };
  for (const auto& c : cases) {
    AppState fresh(host);
    for (const auto& step : c.steps) {
      if (auto* s = std::get_if<std::string>(&step)) {
        for (char ch : *s) TypeCharacter(fresh, static_cast<std::uint8_t>(ch));
      } else {
        PressKey(fresh, std::get<Key>(step));
      }
    }
    EXPECT_EQ(fresh.window.input, c.input) << c.what;
    EXPECT_EQ(fresh.window.caret, c.caret) << c.what;
    EXPECT_EQ(fresh.window.transcript.lines[0], "? " + c.input) << c.what;
  }
  // Appends that do not fit are refused, not cut.
  ReplaceInput(app.window, std::string(80, 'a'));
  EXPECT_FALSE(AppendToInput(app, "0123456789"));
  EXPECT_EQ(line().input, std::string(80, 'a'));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].icon, Icon::Exclamation);
  EXPECT_TRUE(AppendToInput(app, "012345678"));  // exactly to 91
  EXPECT_EQ(line().input.size(), 89u);
  EXPECT_EQ(line().caret, 89u);
  EXPECT_TRUE(recall().count == 0);  // nothing was entered
  // Clicking a transcript line types its word.
  PrintLine(app, "--COMMANDS--", kPrintTranscript);
  PrintLine(app, "CELL  CELLS " + kA + kI, kPrintTranscript);
  PrintLine(app, "      ", kPrintTranscript);
  // line 1: blanks; line 2: "CELL  CELLS あい"; line 3: "--COMMANDS--"
  struct Click {
    const char* what;
    int line;
    std::size_t column;
    std::string typed;  // "" for nothing
  } clicks[] = {
      {"first letter of a word", 2, 0, "CELL "},
      {"middle of a word", 2, 8, "CELLS "},
      {"on a blank", 2, 4, ""},
      {"second byte of a two-byte character", 2, 15, kA + kI + " "},
      {"right of the text", 2, 60, kA + kI + " "},
      {"a blank line", 1, 2, ""},
      {"the input line is no transcript line", 0, 0, ""},
      {"beyond the transcript", 9, 0, ""},
  };
  for (const auto& c : clicks) {
    ReplaceInput(app.window, "");
    const bool typedSomething = ClickTranscriptLine(app, c.line, c.column);
    EXPECT_EQ(typedSomething, !c.typed.empty()) << c.what;
    EXPECT_EQ(line().input, c.typed) << c.what;
  }
  // The word goes in at the caret.
  ReplaceInput(app.window, "OPEN");
  CaretLeft(app.window);
  CaretLeft(app.window);
  ClickTranscriptLine(app, 3, 3);
  EXPECT_EQ(line().input, "OP--COMMANDS-- EN");
  // A word that does not fit is refused whole.
  ReplaceInput(app.window, std::string(80, 'z'));
  EXPECT_FALSE(ClickTranscriptLine(app, 3, 3));
  EXPECT_EQ(line().input, std::string(80, 'z'));
}

TEST_F(CommandWindowTest, RecallRules) {
  struct Case {
    const char* what;
    std::vector<std::string> recorded;
    std::vector<std::string> expected;  // entries, most recent first
  } cases[] = {
      {"same line twice", {"FIT", "FIT"}, {"FIT"}},
      {"older line moves to the front", {"A", "B", "C", "A"}, {"A", "C", "B"}},
      {"blank lines are not kept", {"A", "   ", ""}, {"A"}},
      {"overlong lines are cut to a line", {std::string(100, 'L')}, {std::string(91, 'L')}},
  };
  for (const auto& c : cases) {
    RecallList list;
    for (const auto& l : c.recorded) RecordLine(list, l);
    ASSERT_EQ(list.count, static_cast<int>(c.expected.size())) << c.what;
    for (std::size_t i = 0; i < c.expected.size(); ++i)
      EXPECT_EQ(list.entries[i], c.expected[i]) << c.what;
  }
  RecallList full;
  for (int i = 0; i < 25; ++i) RecordLine(full, "L" + std::to_string(i));
  EXPECT_EQ(full.count, 20);
  EXPECT_EQ(full.entries[0], "L24");
  EXPECT_EQ(full.entries[19], "L5");  // the oldest were dropped

  // Up and Down walk the list.
  type("typed");
  PressKey(app, Key::Up);  // empty list: nothing happens
  EXPECT_EQ(line().input, "typed");

  RecordLine(app.window.recall, "OLD");
  RecordLine(app.window.recall, "NEW");
  struct Walk {
    Key key;
    const char* input;
  } walk[] = {{Key::Up, "NEW"},   {Key::Up, "OLD"},    {Key::PageUp, "OLD"},  // stays oldest
              {Key::Down, "NEW"}, {Key::PageDown, ""}, {Key::Down, ""},      {Key::Up, "NEW"}};
  for (const auto& s : walk) {
    PressKey(app, s.key);
    EXPECT_EQ(line().input, s.input);
    EXPECT_EQ(line().caret, line().input.size());
  }
  // Enter files the line unless a macro runs.
  ReplaceInput(app.window, "");
  type("ZOOM 2\r");
  ASSERT_EQ(recall().count, 3);
  EXPECT_EQ(recall().entries[0], "ZOOM 2");
  EXPECT_EQ(recall().position, 0);

  AppState m(host);
  m.window.macroRunning = true;
  for (char c : std::string("FIT\r")) TypeCharacter(m, c);
  EXPECT_EQ(m.window.recall.count, 0);
}

TEST_F(CommandWindowTest, PrintLineModesAndTheTranscriptsCapacityFixedByTheFirstSize) {
  const std::string w120(120, 'w'), w91(91, 'w'), w90(90, 'w');
  struct Case {
    const char* what;
    std::string before;  // on the input line (after "? ")
    std::string text;
    int mode;
    bool macro;
    std::string transcript;  // lines 1.. afterwards, most recent first, joined by |
    std::string line0;
  } cases[] = {
      {"mode 0 makes the text a line", "CELL A", "done", kPrintEndLine, false, "done|? CELL A", ""},
      {"mode 0 without text ends the input line", "CELL A", "", kPrintEndLine, false, "? CELL A",
       ""},
      {"mode 1 puts the message on line 0", "X", "msg", kPrintMessage, false, "? X", "msg"},
      {"mode 1 without text only repaints", "X", "", kPrintMessage, false, "", "? X"},
      {"mode 10 goes straight to the transcript", "X", "echo", kPrintTranscript, false, "echo",
       "? X"},
      {"mode -1 writes line 0 in place", "X", "*** Abortion ***", kPrintInPlace, false, "",
       "*** Abortion ***"},
      {"a running macro prints nothing", "X", "quiet", kPrintEndLine, true, "", "? X"},
      {"but mode 5", "X", "typed", kPrintMacro, true, "? X", "typed"},
      {"long text is cut to a line", "", w120, kPrintEndLine, false, w91 + "|? ", ""},
      {"the cut keeps two-byte characters whole", "", w90 + kA, kPrintEndLine, false, w90 + "|? ",
       ""},
  };
  for (const auto& c : cases) {
    AppState a(host);
    SetFixedCapacity(a.window.transcript, 50);
    std::vector<std::string> seen;
    a.window.transcript.onLine = [&](std::string_view l) { seen.emplace_back(l); };
    RepaintInputLine(a);
    for (char ch : c.before) TypeCharacter(a, static_cast<std::uint8_t>(ch));
    a.window.macroRunning = c.macro;
    PrintLine(a, c.text, c.mode);
    const std::vector<std::string> transcript = Split(c.transcript);
    ASSERT_EQ(a.window.transcript.count, static_cast<int>(transcript.size())) << c.what;
    for (std::size_t i = 0; i < transcript.size(); ++i) {
      EXPECT_EQ(LineAt(a.window.transcript, static_cast<int>(i) + 1), transcript[i]) << c.what;
      EXPECT_LE(a.window.transcript.lines[i + 1].size(), kLineTextMax) << c.what;
    }
    EXPECT_EQ(a.window.transcript.lines[0], c.line0) << c.what;
    // The observer saw the same lines, oldest first.
    EXPECT_EQ(std::vector<std::string>(transcript.rbegin(), transcript.rend()), seen) << c.what;
  }
  // The transcript's capacity is fixed by the first size.
  struct Size {
    const char* what;
    std::vector<int> heights;  // successive client heights, line height 20
    int capacity;
    int visible;
    bool closing;
  } sizes[] = {
      {"first size", {200}, 10, 9, false},
      {"enlarged later: no more than capacity - 1 visible", {200, 800}, 10, 9, false},
      {"made smaller", {200, 100}, 10, 4, false},
      {"first size smaller than a line", {5}, 1, 0, false},
      {"too large", {20 * (kMaxTranscriptLines + 1)}, 0, 0, true},
  };
  for (const auto& c : sizes) {
    HelpRecordingHost h;
    AppState a(h);
    for (int height : c.heights) SizeCommandWindow(a, height, 20);
    EXPECT_EQ(a.window.transcript.capacity, c.capacity) << c.what;
    EXPECT_EQ(a.window.transcript.visible, c.visible) << c.what;
    EXPECT_EQ(a.window.closing, c.closing) << c.what;
    if (c.closing) {
      ASSERT_TRUE(testing::OneBox(h, "ウインドウが大きすぎる。", "メモリー不足", Icon::Information))
          << c.what;
    }
  }
  // A full transcript drops its oldest line.
  HelpRecordingHost full;
  AppState a(full);
  SizeCommandWindow(a, 100, 20);  // capacity 5
  for (int i = 1; i <= 8; ++i) PrintLine(a, "line " + std::to_string(i), kPrintTranscript);
  EXPECT_EQ(a.window.transcript.count, 5);
  EXPECT_EQ(LineAt(a.window.transcript, 1), "line 8");
  EXPECT_EQ(LineAt(a.window.transcript, 5), "line 4");
  ClearTranscript(a);
  EXPECT_EQ(a.window.transcript.count, 0);
  EXPECT_EQ(LineAt(a.window.transcript, 1), "");
}

TEST_F(CommandWindowTest, FunctionKeysHomeAndMenuCommandsEnterTheirLinesOrNothing) {
  struct Case {
    const char* what;
    std::string key;
    std::string typedBefore;
    std::vector<std::string> entered;  // lines Enter received, in order (ends of them)
    std::string inputEnd;              // what the input line ends with afterwards
  } cases[] = {
      {"one command", "FIT", "", {"FIT"}, ""},  // entered: the input line is empty again
      {"two commands, the second left for completion", "FIT\\ZOOM ?", "", {"FIT"}, "ZOOM "},
      {"a piece ending in ? is not entered", "ZOOM ?", "", {}, "ZOOM "},
      {"pieces are appended to what was typed", "FIT", "RE", {"REFIT"}, ""},
      {"a piece that does not fit stops the key", "FIT\\ZOOM", std::string(87, 'q'), {}, ""},
      {"an empty key does nothing", "", "abc", {}, "abc"},
  };
  for (const auto& c : cases) {
    HelpRecordingHost h;
    AppState a(h);
    a.window.commands.keys[3] = c.key;
    for (char ch : c.typedBefore) TypeCharacter(a, static_cast<std::uint8_t>(ch));
    PressKey(a, Key::F4);
    const RecallList& r = a.window.recall;
    ASSERT_EQ(r.count, static_cast<int>(c.entered.size())) << c.what;
    for (std::size_t i = 0; i < c.entered.size(); ++i) {
      EXPECT_TRUE(r.entries[c.entered.size() - 1 - i].ends_with(c.entered[i])) << c.what;
    }
    EXPECT_TRUE(a.window.input.ends_with(c.inputEnd)) << c.what;
    EXPECT_EQ(a.window.caret, a.window.input.size()) << c.what;
    if (c.typedBefore.size() == 87) {
      EXPECT_EQ(a.window.input, c.typedBefore) << c.what;
      EXPECT_EQ(h.boxes.size(), 1u) << c.what;
    }
  }
  EXPECT_TRUE(SetFunctionKey(app.window, 2, "REDRAW\\FIT"));
  EXPECT_EQ(app.window.commands.keys[1], "REDRAW\\FIT");
  EXPECT_FALSE(SetFunctionKey(app.window, 16, "X"));
  EXPECT_FALSE(SetFunctionKey(app.window, 1, std::string(40, 'x')));
  // Home enters "CLS" in place of the typed line (End opens the manual: the manual's tests).
  type("junk");
  PressKey(app, Key::Home);
  ASSERT_EQ(recall().count, 1);
  EXPECT_EQ(recall().entries[0], "CLS");
  EXPECT_EQ(line().caret, 0u);
  // What a menu item enters is checked with the main menu; here the lines that enter nothing.
  struct Menu {
    const char* what;
    std::int32_t number;
    std::string argument;
    bool entered;
    std::size_t boxes;
  } menus[] = {{"number 0 enters a blank", 0, "", true, 0},
               {"an unnamed command is not entered", 18, "5", false, 1},
               {"an argument that does not fit", 3, std::string(85, 'f'), false, 1}};
  for (const auto& c : menus) {
    SCOPED_TRACE(c.what);
    HelpRecordingHost h;
    AppState a(h);
    a.window.commands = app.window.commands;
    EXPECT_EQ(RunMenuCommand(a, c.number, c.argument), c.entered);
    EXPECT_EQ(a.window.recall.count, 0);
    EXPECT_EQ(h.boxes.size(), c.boxes);
    EXPECT_EQ(a.window.input, "");
  }
}

// A comment line with blanks at the bytes that become tabs (stop) and one blank that stays.
std::string commentLine(char stop) {
  std::string s(40, 'c');
  s[0] = '#';
  s[10] = ' ';
  for (int i : {15, 20, 30, 32, 36}) s[i] = stop;
  return s;
}

TEST_F(CommandWindowTest, CommandListDialogLines) {
  struct Tabs {
    std::string fileLine;
    std::string shown;
  } tabs[] = {
      // number, name at 8, no pattern: tabs at 7, 29, 30 and 36
      {"17      FIT                          fit all\n",
       "17     \tFIT                  \t\t     \tfit all"},
      // with a pattern the blank at 29 stays
      {"23      DISP      {layers}           layers\r\n",
       "23     \tDISP      {layers}    \t     \tlayers"},
      {commentLine(' ') + "\n", commentLine('\t')},
      {"no number here at byte seven\n", "no number here at byte seven"},
      {"5 X", "5 X"},  // a last line without its end keeps its last character
  };
  for (const auto& t : tabs) EXPECT_EQ(ListLineOf(t.fileLine), t.shown) << t.fileLine;
}

// Run puts the chosen command on the input line (what each shipped command enters is checked
// with the shipped command file); lines that name no command enter nothing.
TEST_F(CommandWindowTest, CommandListDialogPutsTheChoiceOnTheInputLine) {
  const testing::ScratchFolder folder;
  const fs::path dir = folder.dir;
  testing::WriteFile(dir / "lavinor.cmd",
                     "# test\n\n17      FIT                          all\n"
                     "23      DISP      {layers}           layers\n42\n");
  fs::create_directories(dir / "cwd");
  fs::current_path(dir / "cwd");  // no command file here: the program's directory is used
  app.programDir = dir.string();

  struct Case {
    int selected;
    std::string input;
    int recalled;
    std::size_t boxes;                                 // asking for a choice
  } cases[] = {{2, "FIT ", 1, 0}, {3, "DISP ", 0, 0},  // waits for its layers
               {-1, "", 0, 1},                         // nothing selected
               {1, "", 0, 1},                          // an empty line
               {0, "", 0, 0},                          // a comment
               {4, "", 0, 0}};                         // a number alone
  for (const auto& c : cases) {
    HelpRecordingHost h;
    AppState a(h);
    a.programDir = app.programDir;
    bool dialogFlagSeen = false;
    h.dialogHandlers["command-list"] = [&](DialogModel& m) {
      auto& d = static_cast<CommandListDialog&>(m);
      dialogFlagSeen = a.dispatch.dialogOpen;
      ASSERT_EQ(d.lines.size(), 5u);
      d.selected = c.selected;
      d.pressRun(h);
      EXPECT_EQ(d.choice.has_value(), !c.input.empty());
      EXPECT_TRUE(d.choice || !d.finished) << "without a choice the dialog stays open";
    };
    RunCommandListDialog(a);
    EXPECT_TRUE(dialogFlagSeen);
    EXPECT_FALSE(a.dispatch.dialogOpen);
    EXPECT_EQ(a.window.recall.count, c.recalled) << c.selected;
    EXPECT_EQ(h.boxes.size(), c.boxes) << c.selected;
    if (c.boxes) {
      EXPECT_TRUE(testing::OneBox(h, "選択してからボタンを押して下さい", {}, Icon::Information));
    }
    // With the stub dispatcher the entered line stays; a real one empties it.
    if (c.recalled) {
      EXPECT_EQ(a.window.recall.entries[0], c.input);
    } else {
      EXPECT_EQ(a.window.input, c.input) << c.selected;
    }
  }

  HelpRecordingHost h;
  AppState missing(h);
  missing.programDir = (dir / "gone").string();
  RunCommandListDialog(missing);
  ASSERT_TRUE(testing::OneBox(h, "ファイル LAVINOR.CMD を開くことが出来ませんでした。"));
  EXPECT_TRUE(h.dialogsRun.empty());
}

}  // namespace
}  // namespace lav::command
