#include "console/command_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "command/command_list_dialog.h"
#include "command/command_table.h"
#include "console/command_window.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "state/app_state.h"
#include "support/short_forms.h"

namespace lav::command {
namespace {

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
