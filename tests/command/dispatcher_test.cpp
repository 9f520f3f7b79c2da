// The command file that names the commands, and the dispatcher driven as a user drives it:
// lines typed into the Command Window and Enter.
#include "command/dispatcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "command/command_list_dialog.h"
#include "command/command_table.h"
#include "console/command_file.h"
#include "console/command_window.h"
#include "platform/sjis.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::command {
namespace {

// A small command file of our own, so these tests do not depend on the shipped names.
constexpr const char* kCommandFile =
    "2       NEW      {name}   new design\n"
    "5       DBUNIT   {n}      database unit\n"
    "6       CELL     {name}   new cell\n"
    "13      TREE              cell tree\n"
    "16      CLS               clear\n"
    "17      FIT               fit\n"
    "23      LSHOW    {layers} display set\n"
    "64      NEST     {n}      depth\n"
    "76      ABS      {n}      coordinate mode\n"
    "81      LAYER    {n}      layer\n"
    "82      ELEMENT  {n}      element type\n"
    "83      WIDTH    {n}      width\n"
    "88      ANGLE    {n}      angle\n"
    "90      ARRAY    {n}      array\n"
    "113     ECHO     {text}   echo\n"
    "114     TFILE    {name}   text file\n"
    "115     TREAD    {var}    read line\n"
    "116     TWRITE   {text}   write line\n"
    "122     PAINT    {n}      paint marks\n"
    "130     MYMACRO           a macro\n";

class Dispatcher : public testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    testing::WriteFile(dir / "Lavinor.cmd", kCommandFile);
    app.programDir = dir.string();
    app.window.commands = {};
    ASSERT_TRUE(LoadCommandFile(app));
  }
};

// The values and refusals themselves are checked with the setters.
TEST_F(Dispatcher, SettersTakeTheirValueAtOnceOrAtTheirPrompt) {
  const struct Case {
    std::vector<std::string> typed;
    int layer;
  } cases[] = {{{"LAYER 5"}, 5},
               {{"layer", "7"}, 7},
               {{"LA 9"}, 9},        // unique prefix
               {{"LAYER", ""}, 1}};  // empty answer keeps the value
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed.front());
    app.settings.layer = 1;
    for (const auto& t : c.typed) type(t);
    EXPECT_EQ(app.settings.layer, c.layer);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(app.dispatch.current, 0);
    EXPECT_EQ(prompt(), "? ");
  }
}

TEST_F(Dispatcher, PromptShowsTheCurrentValueAndTheAnswerStaysInTheTranscript) {
  type("WIDTH 0.5");
  type("WIDTH");
  EXPECT_EQ(prompt(), "Width(0.5): ");
  EXPECT_EQ(app.dispatch.current, 83);
  type("2");
  EXPECT_EQ(app.settings.width, 2000);
  EXPECT_TRUE(printed("Width(0.5): 2"));
  // Escape abandons the waiting command.
  type("LAYER");
  EXPECT_EQ(app.dispatch.current, 81);
  AbortCommand(app);
  EXPECT_EQ(app.dispatch.current, 0);
  EXPECT_EQ(prompt(), "? ");
  type("5");  // now a calculator line, not an answer
  EXPECT_EQ(app.settings.layer, 1);
}

TEST_F(Dispatcher, LinesThatNameNoCommandAreCalculatedButCommentsAndEmptyLinesDoNothing) {
  struct Case {
    const char* line;
    const char* out;
  } cases[] = {
      {"10 / (2 5)", "5.  2.  "},
      {"&X=3", "3.  "},
      {"&X * 2", "6.  "},
      {"12abc", "***ERROR***"},
      {"qqq", "***ERROR***"},
      {"ECHO  hello   world", "hello world"},  // blanks joined by the expansion
  };
  for (const auto& c : cases) {
    lines.clear();
    type(c.line);
    EXPECT_TRUE(printed(c.out)) << c.line << " printed " << (lines.empty() ? "" : lines[0]);
  }
  host.boxes.clear();
  const long errors = app.dispatch.errorsReported;
  typeAll({"# LAYER 5", ""});
  EXPECT_EQ(app.settings.layer, 1);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(app.dispatch.errorsReported, errors);
}

TEST_F(Dispatcher, AmbiguousPrefixListsCandidatesInTableOrder) {
  lines.clear();
  type("T");  // TREE, TFILE, TREAD, TWRITE
  std::vector<std::string> expected = {"--COMMANDS--", "TREE",   "TFILE",
                                       "TREAD",        "TWRITE", "------------"};
  ASSERT_GE(lines.size(), expected.size() + 1);
  EXPECT_EQ(lines[0], "? T");  // the typed line, then the list
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i + 1], expected[i]);
  EXPECT_EQ(app.dispatch.current, 0);
  // A prefix that is a whole name wins over longer names.
  lines.clear();
  type("TREE");
  EXPECT_FALSE(printed("--COMMANDS--"));
}

// A command that needs an open design is refused in the batch tests.
TEST_F(Dispatcher, PreconditionsAndMacroNumbersWithoutAFileRefuseWithTheirMessage) {
  struct Case {
    const char* line;
    const char* box;
    const char* caption = "Error";
    Icon icon = Icon::Exclamation;
  } cases[] = {
      {"TREE", "ファイル又はセルは開かれていませんのでセル名の参照はできませんでした"},
      {"MYMACRO",
       "MYMACRO   このコマンドについては、現在対応しておりません。"
       "以降のバージョンからのサポートとなります。",
       "Commands", Icon::Information},
  };
  for (const auto& c : cases) {
    host.boxes.clear();
    type(c.line);
    ASSERT_TRUE(testing::OneBox(host, c.box, c.caption, c.icon)) << c.line;
  }
}

TEST_F(Dispatcher, ArrayStepsKeepTheShownValueAndCoordinateModeThreeAsksForTheOrigin) {
  typeExpectingPrompts({{"ARRAY", "nX (1): "}, {"3", "nY (1): "}, {"", "pX (0.): "}});
  typeAll({"2.5", "-4"});
  EXPECT_EQ(app.settings.columns, 3);
  EXPECT_EQ(app.settings.rows, 1);
  EXPECT_EQ(app.settings.pitchX, 2500);
  EXPECT_EQ(app.settings.pitchY, -4000);
  EXPECT_EQ(app.dispatch.current, 0);
  // Counts outside 1..32767 are refused.
  type("ARRAY 40000 2");
  EXPECT_EQ(app.settings.columns, 3);
  ASSERT_FALSE(host.boxes.empty());
  type("ARRAY 4 5 1 2");
  EXPECT_EQ(app.settings.rows, 5);
  EXPECT_EQ(app.settings.pitchY, 2000);
  // Coordinate mode 3 asks for the origin.
  host.boxes.clear();
  type("ABS 3");
  EXPECT_TRUE(printed("(0. 0.)"));
  EXPECT_EQ(prompt(), "Origin: ");
  type("10 -2.5");
  EXPECT_EQ(app.dispatch.originX, 10000);
  EXPECT_EQ(app.dispatch.originY, -2500);
  EXPECT_EQ(app.settings.absMode, 3);
  type("ABS 4");
  EXPECT_EQ(app.settings.absMode, 3);
  ASSERT_TRUE(testing::OneBox(host, "入力範囲は０から３です。"));
}

TEST_F(Dispatcher, LayerListsChangeTheDisplaySet) {
  type("LSHOW 1 2 3");
  int visible = 0;
  for (int l = 0; l < kLayerCount; ++l) visible += app.settings.layerFlags[l] & 1;
  EXPECT_EQ(visible, 3);
  EXPECT_GT(host.invalidations[static_cast<int>(Window::Graphics)], 0);
}

// The command file: the shipped one and small ones of our own.
namespace fs = std::filesystem;

const std::string kDataDir = LAVINOR_DATA_DIR;

using testing::ReadFile;

using Kind = CommandMatch::Kind;

CommandTable read(std::string_view bytes) {
  CommandTable t;
  ReadCommandFile(bytes, t);
  return t;
}

// --- the shipped command file ---

class ShippedCommandFile : public ::testing::Test {
 protected:
  ScriptedHost host;
  AppState app{host};
  void SetUp() override {
    app.programDir = kDataDir;
    ASSERT_TRUE(LoadCommandFile(app));
  }
  const CommandTable& names() const { return app.window.commands; }
};

TEST_F(ShippedCommandFile, NamesEveryBuiltInCommandOnceAndNoNameBeginsAnother) {
  ASSERT_EQ(names().names.size(), 124u);
  std::set<std::string> seen;
  for (std::int32_t n = 1; n <= 124; ++n) {
    const std::string name(CommandName(names(), n));
    ASSERT_FALSE(name.empty()) << "command " << n << " has no name";
    EXPECT_NE(FindCommandRow(n)->start, nullptr) << "command " << n << " does nothing";
    EXPECT_TRUE(seen.insert(name).second) << name << " is used twice";
    EXPECT_EQ(name, UpperCase(name)) << name;
    const CommandMatch m = MatchCommand(names(), name);
    EXPECT_EQ(m.kind, Kind::One) << name;
    EXPECT_EQ(m.number, n) << name;
  }
  // No name begins another: typing a shortened name (RED for REDRAW) would run another command.
  for (const auto& a : names().names)
    for (const auto& b : names().names) EXPECT_TRUE(a == b || !b.starts_with(a)) << a << " " << b;
}

TEST_F(ShippedCommandFile, CommonCommandsAndKeysAreWhereUsersExpectThem) {
  // Each name under its number is checked against the manual.
  // Home types the line "CLS", which must name command 16.
  EXPECT_EQ(MatchCommand(names(), winmsg::kHomeLine).number, 16);
  EXPECT_EQ(app.window.commands.keys[0], "FIT");
  EXPECT_EQ(app.window.commands.keys[1], "REDRAW");
  EXPECT_EQ(app.window.commands.keys[14], "DELTEMP \\TAKE");
  for (const auto& key : app.window.commands.keys) EXPECT_FALSE(key.empty());
}

TEST_F(ShippedCommandFile, ListDialogColumnsAndArgumentPatterns) {
  const auto lines = ListLinesOf(ReadFile(kDataDir + "/Lavinor.cmd"));
  int commandLines = 0;
  for (const auto& line : lines) {
    NumberAndWord nw;
    if (!ScanNumberAndWord(line, nw)) {
      EXPECT_TRUE(line.empty() || line.starts_with('#')) << line;
      continue;
    }
    ++commandLines;
    ASSERT_GT(line.size(), 37u) << line;
    EXPECT_EQ(line[7], '\t') << line;
    EXPECT_EQ(line[30], '\t') << line;
    EXPECT_EQ(line[36], '\t') << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
  }
  EXPECT_EQ(commandLines, 124);

  // The run button: layer lists wait for their layers, FIT runs at once.
  struct Case {
    const char* name;
    bool enterFollows;
  } cases[] = {{"DISP", false}, {"MACRO", false}, {"FIT", true}, {"OPEN", true}};
  for (const auto& c : cases) {
    CommandListDialog d;
    d.lines = lines;
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i].find(std::string("\t") + c.name + " ") == 7) d.selected = static_cast<int>(i);
    ASSERT_GE(d.selected, 0) << c.name;
    d.pressRun(host);
    ASSERT_TRUE(d.choice) << c.name;
    EXPECT_EQ(d.choice->text, std::string(c.name) + " ");
    EXPECT_EQ(d.choice->enterFollows, c.enterFollows) << c.name;
  }
}

// --- small command files ---

TEST(CommandFile, NumbersAndNamesThatAreTakenOrLeft) {
  struct Case {
    const char* file;
    std::size_t count;    // table entries
    std::int32_t number;  // a command to look at (0: none)
    const char* name;     // its name
  } cases[] = {
      {"17 fit\n", 17, 17, "FIT"},
      {"17.9 Fit\n", 17, 17, "FIT"},  // rounded down
      {"  3   open   the rest\n", 3, 3, "OPEN"},
      {"12abc\n", 12, 12, "ABC"},  // the word may follow the number at once
      {"0.5 HALF\n", 0, 0, ""},    // below 1 after rounding down: never before the table
      {"0 ZERO\n-3 NEG\n", 0, 0, ""},
      {"nan X\ninf Y\n", 0, 0, ""},
      {"20000 BIG\n5 SMALL\n", 5, 5, "SMALL"},  // beyond the bound: not a 20000-entry table
      {"17\nFIT\n# 4 COMMENT\n\n", 0, 0, ""},   // missing fields, comment, empty line
      {"17 FIT\r\n18 WIN\r\n", 18, 18, "WIN"},
      {"5 A\n5 B\n", 5, 5, "B"},             // a later line wins
      {"2 \x83\x61x\n", 2, 2, "\x83\x61X"},  // the second byte of a two-byte character stays
      {"4 \xBE\xD9\n", 4, 4, "\xBE\xD9"},    // half-width katakana names
  };
  for (const auto& c : cases) {
    const CommandTable l = read(c.file);
    EXPECT_EQ(l.names.size(), c.count) << c.file;
    if (c.number) {
      EXPECT_EQ(CommandName(l, c.number), c.name) << c.file;
    }
  }
}

TEST(CommandFile, OverlongNamesAndLinesAreBounded) {
  const std::string longName(kMaxNameBytes + 1, 'N');
  CommandTable l = read("3 " + longName + "\n2 OK\n");
  EXPECT_EQ(l.names.size(), 2u);
  EXPECT_EQ(l.width, 3u);

  // Only the first bytes of a line are read: a key marker far out is not seen.
  std::string line = "7 SEVEN " + std::string(250, ' ') + "f\xA5 3\n";
  l = read(line);
  EXPECT_EQ(CommandName(l, 7), "SEVEN");
  EXPECT_TRUE(l.keys[2].empty());
}

TEST(CommandFile, FunctionKeyEntries) {
  struct Case {
    const char* file;
    int key;           // 1..15
    const char* text;  // expected text of that key
  } cases[] = {
      {"17 fit f\xA5 1\n", 1, "FIT"},
      {"17 FIT     f\xA5  2 all\n", 2, "FIT"},
      {"19 ZOOM [factor] f\xA5 3 zoom\n", 3, "ZOOM"},  // marker after other words
      {"19 ZOOM f\xA5 16\n", 15, ""},                  // no key 16
      {"19 ZOOM f\xA5 0\n", 1, ""},
      {"19 ZOOM f\xA5\n", 1, ""},
      // key 15 by default: delete the temporary figure, then pick another
      {"92 del\n95 take\n", 15, "DEL \\TAKE"},
      {"92 DEL\n95 TAKE\n20 REDRAW f\xA5 15\n", 15, "REDRAW"},
      {"92 DEL\n", 15, ""},  // without 95 the default stays empty
      // the second byte of a two-byte character followed by the half-width dot is no marker
      {"20 REDRAW \x83\x66\xA5 4\n", 4, ""},
  };
  for (const auto& c : cases) {
    const CommandTable l = read(c.file);
    EXPECT_EQ(l.keys[c.key - 1], c.text) << c.file;
  }
  // A name longer than a key entry is cut to it.
  const CommandTable l = read("9 " + std::string(50, 'K') + " f\xA5 5\n");
  EXPECT_EQ(l.keys[4], std::string(kFunctionKeyBytes - 1, 'K'));
}

TEST(CommandFile, LoadingFindsTheFileWithoutRegardToCaseAndFailsWithoutIt) {
  const testing::ScratchFolder folder;
  const fs::path dir = folder.dir;
  ScriptedHost host;
  AppState app(host);
  app.programDir = dir.string();
  EXPECT_FALSE(LoadCommandFile(app));
  EXPECT_FALSE(CreateCommandWindow(app));
  EXPECT_TRUE(app.window.closing);

  std::ofstream(dir / "LAVINOR.CMD", std::ios::binary) << "16 CLS\n";
  AppState app2(host);
  app2.programDir = dir.string();
  EXPECT_TRUE(CreateCommandWindow(app2));
  EXPECT_FALSE(app2.window.closing);
  EXPECT_EQ(CommandName(app2.window.commands, 16), "CLS");
  EXPECT_EQ(app2.window.prompt, "? ");
}

TEST(CommandLookUp, PrefixesInTableOrder) {
  const CommandTable l = read("1 OPEN\n2 OCELL\n4 CELLS\n5 CELL\n6 CLOSE\n9 \x83\x41\x83\x43\n");
  struct Case {
    const char* token;
    Kind kind;
    int number;
    std::vector<int> candidates;
  } cases[] = {
      {"op", Kind::One, 1, {}},
      {"OC", Kind::One, 2, {}},
      {"O", Kind::Several, 0, {1, 2}},     // OPEN, OCELL
      {"C", Kind::Several, 0, {4, 5, 6}},  // CELLS, CELL, CLOSE
      {"CEL", Kind::Several, 0, {4, 5}},
      {"cell", Kind::One, 5, {}},  // a whole name wins over the longer one
      {"CELLS", Kind::One, 4, {}},
      {"CELLSX", Kind::None, 0, {}},
      {"X", Kind::None, 0, {}},
      {"", Kind::None, 0, {}},
      {"\x83\x41", Kind::One, 9, {}},
  };
  for (const auto& c : cases) {
    const CommandMatch m = MatchCommand(l, c.token);
    EXPECT_EQ(m.kind, c.kind) << c.token;
    EXPECT_EQ(m.number, c.number) << c.token;
    EXPECT_EQ(m.candidates, c.candidates) << c.token;
  }
  // Numbers without a name (3, 7, 8) and outside the table have the empty name.
  for (int n : {-1, 0, 3, 7, 8, 10, 10000}) EXPECT_EQ(CommandName(l, n), "") << n;
}

}  // namespace
}  // namespace lav::command
