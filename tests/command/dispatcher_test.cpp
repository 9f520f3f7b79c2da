// The command file that names the commands, the values typed after them, and the dispatcher
// driven as a user drives it: lines typed into the Command Window and Enter.
#include "command/dispatcher.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "command/command_list_dialog.h"
#include "command/command_table.h"
#include "console/command_file.h"
#include "console/user_value.h"
#include "console/value_parser.h"
#include "macro/preprocess.h"
#include "macro/variables.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::command {
namespace {

// The typing session loads the shipped command file.
using Dispatcher = testing::TypingSession;

// The values and refusals themselves are checked with the setters.
TEST_F(Dispatcher, SettersArraysAndTheOriginTakeTheirValuesAtOnceOrAtTheirPrompts) {
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
  // The prompt shows the current value and the answer stays in the transcript.
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
  // Array steps keep the shown value; coordinate mode 3 asks for the origin.
  typeExpectingPrompts({{"ARRAY", "nX (1): "}, {"3", "nY (1): "}, {"", "pX (0.): "}});
  typeAll({"2.5", "-4"});
  EXPECT_EQ(app.settings.columns, 3);
  EXPECT_EQ(app.settings.rows, 1);
  EXPECT_EQ(app.settings.pitchX, 2500);
  EXPECT_EQ(app.settings.pitchY, -4000);
  EXPECT_EQ(app.dispatch.current, 0);
  // Counts outside 1..32767 are refused; the coordinate mode's range is the setters'.
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
}

TEST_F(Dispatcher, LinesThatNameNoCommandAreCalculatedOrListCandidatesAndCommentsDoNothing) {
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
  // What the expansion refuses is shown as an error box and counted once.
  type("POW(10 290)");
  EXPECT_TRUE(testing::OneBox(host, "行が長すぎます。変数と関数を展開した行は２９９文字までです。",
                              "Error"));
  EXPECT_EQ(app.dispatch.errorsReported, errors + 1);
  // An ambiguous prefix lists the candidates in table order.
  lines.clear();
  type("TR");  // the typed line, then the list
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 6),
            testing::Split("? TR|--COMMANDS--|TREE|TRANSFORM|TREAD|------------"));
  EXPECT_EQ(app.dispatch.current, 0);
}

// The command file: the shipped one and small ones of our own.
namespace fs = std::filesystem;
using Kind = CommandMatch::Kind;

CommandTable read(std::string_view bytes) {
  CommandTable t;
  ReadCommandFile(bytes, t);
  return t;
}

// --- the shipped command file ---

TEST_F(Dispatcher, ShippedCommandFileNamesEveryCommandOnceSetsTheKeysAndFillsTheListColumns) {
  ASSERT_EQ(app.window.commands.names.size(), 124u);
  std::set<std::string> seen;
  for (std::int32_t n = 1; n <= 124; ++n) {
    const std::string name(CommandName(app.window.commands, n));
    ASSERT_FALSE(name.empty()) << "command " << n << " has no name";
    EXPECT_NE(FindCommandRow(n)->start, nullptr) << "command " << n << " does nothing";
    EXPECT_TRUE(seen.insert(name).second) << name << " is used twice";
    EXPECT_EQ(name, UpperCase(name)) << name;
    const CommandMatch m = MatchCommand(app.window.commands, name);
    EXPECT_EQ(m.kind, Kind::One) << name;
    EXPECT_EQ(m.number, n) << name;
  }
  // No name begins another: typing a shortened name (RED for REDRAW) would run another command.
  for (const auto& a : app.window.commands.names)
    for (const auto& b : app.window.commands.names)
      EXPECT_TRUE(a == b || !b.starts_with(a)) << a << " " << b;
  // Home types the line "CLS", which must name command 16; every function key has its line.
  EXPECT_EQ(MatchCommand(app.window.commands, winmsg::kHomeLine).number, 16);
  for (const auto& key : app.window.commands.keys) EXPECT_FALSE(key.empty());
  // The list dialog's columns and argument patterns.
  const auto lines = ListLinesOf(testing::ReadFile(LAVINOR_DATA_DIR "/Lavinor.cmd"));
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

TEST(CommandFile, NumbersAndNamesThatAreTakenOrLeftAndOverlongOnesBounded) {
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
  // Overlong names and lines are bounded.
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

TEST(CommandFile, FunctionKeyEntriesAndLoadingFindsTheFileWithoutRegardToCaseOrFails) {
  struct Case {
    const char* file;
    int key;           // 1..15
    const char* text;  // expected text of that key
  } cases[] = {
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
  // Loading finds the file without regard to case, and fails without it.
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
      // O: OPEN and OCELL; C: CELLS, CELL and CLOSE; "cell": a whole name wins over a longer one.
      {"op", Kind::One, 1, {}},           {"O", Kind::Several, 0, {1, 2}},
      {"C", Kind::Several, 0, {4, 5, 6}}, {"CEL", Kind::Several, 0, {4, 5}},
      {"cell", Kind::One, 5, {}},         {"CELLS", Kind::One, 4, {}},
      {"X", Kind::None, 0, {}},           {"", Kind::None, 0, {}},
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

// The values typed after a command or on their own: numbers, vectors and expressions.
constexpr int kError = kParseError;

struct Case {
  const char* text;
  int count;                   // kError for a refused text
  std::vector<double> values;  // when count >= 0
};

// Variables and functions are expanded first: X holds 3, P two numbers.
void expectCases(const std::vector<Case>& cases) {
  macro::SymbolTable symbols;
  macro::Refusals refusals;
  EXPECT_TRUE(macro::Assign(symbols, refusals, "&X", "3"));
  EXPECT_TRUE(macro::Assign(symbols, refusals, "&P", "10 20"));
  for (const auto& c : cases) {
    std::vector<double> out;
    const int n = macro::ParseValues(c.text, out, symbols, refusals);
    EXPECT_EQ(n, c.count) << "text: \"" << c.text << "\"";
    if (n != c.count || n < 0) continue;
    ASSERT_EQ(out.size(), c.values.size()) << c.text;
    for (std::size_t i = 0; i < out.size(); ++i)
      EXPECT_DOUBLE_EQ(out[i], c.values[i]) << "text: \"" << c.text << "\" value " << i;
  }
}

TEST(ParseValues, NumbersSignsVectorsNegationVariablesAndRefusedTexts) {
  expectCases({
      {"", 0, {}},
      {"\t10\n20 ", 2, {10, 20}},
      {"-5", 1, {-5}},
      {"+5", 1, {5}},
      {".5", 1, {0.5}},
      {"5.", 1, {5}},
      {"10-5", 1, {5}},        // a sign after an operand in the same word is an operator
      {"10 -5", 2, {10, -5}},  // a new word: the sign belongs to the number
      {"10 - 5", 1, {5}},
      {"10*-5", 1, {-50}},  // after an operator the sign belongs to the number
      {"1 2 + 3 4", 3, {1, 5, 4}},
      {"(0 0) + (10 20)", 2, {10, 20}},
      {"(1 2 3) * (1 2)", kError, {}},
      {"2 * (1 2 3)", 3, {2, 4, 6}},
      {"(1 2 3) - 1", 3, {0, 1, 2}},
      {"1 + 2 * 3", 1, {7}},
      {"(1 + 2) * 3", 1, {9}},
      {"[1 + 2} * 3", 1, {9}},  // bracket kinds need not match
      {"<2 3> * {2}", 2, {4, 6}},
      {"8 / 2 / 2", 1, {2}},  // left to right
      {"((1 2) + 1) * 2", 2, {4, 6}},
      {"(1 2)3", 3, {1, 2, 3}},  // after a closing bracket the slot goes on
      {"(1 2)-3", 2, {-2, -1}},  // operand before the sign in the same word
      {"2(3 4)", 3, {2, 3, 4}},
      {"1 +", 1, {1}},           // an operator without a right operand has no effect
      {"1 / 0", 1, {INFINITY}},  // not refused here: refused where it becomes a coordinate
      {"-(1 2)", 2, {-1, -2}},
      {"3 * -(1 2)", 2, {-3, -6}},
      {"1 -(2 3)", 2, {-1, -2}},  // after an operand the minus is an operator
      {"2-(1)", 1, {1}},
      {"- (1 2)", kError, {}},  // a lone minus before any operand
      {"+(1 2)", kError, {}},
      {"&X 5", 2, {3, 5}},
      {"(&P) + (1 1)", 2, {11, 21}},
      {"&P + (1 1)", 3, {10, 21, 21}},  // numbers of a variable are separate slots
      {"POW(2 10) - 24", 1, {1000}},
  });
  // Two points in one number are never a number; brackets unclosed, stray or closing before an
  // operand.
  for (const char* text : {"1.2.3+4", "1.2.3", "12abc", "abc", "1e5", "1,2", "inf", "nan", "0x10",
                           ".", "(1 2", "1 2)", "()", "* 2", "(* 2)", "1 2 ) (", "ERROR"})
    expectCases({{text, kError, {}}});
}

TEST(ParseValues, CallersLimitTheCountAndTooLongATextIsRefused) {
  macro::SymbolTable symbols;
  macro::Refusals refusals;
  std::vector<double> out;
  EXPECT_EQ(macro::ParseValues("1 2", out, symbols, refusals, 1), kError);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(macro::ParseValues("(1 2) * 0 + 5", out, symbols, refusals, 2), 2);
  EXPECT_EQ(macro::ParseValues("1 2 3", out, symbols, refusals, 2), kError);

  // More numbers than any caller takes are refused, not collected without limit.
  std::string many;
  for (int i = 0; i < 1001; ++i) many += "1 ";
  EXPECT_EQ(ParseNumbers(many, out), kError);
  many.resize(many.size() - 2);
  EXPECT_EQ(ParseNumbers(many, out), 1000);

  // Deep nesting is refused rather than followed.
  std::string deep(200, '(');
  deep += "1";
  deep += std::string(200, ')');
  EXPECT_EQ(ParseNumbers(deep, out), kError);

  // Too long a text is refused with a message.
  std::string text(300, '1');
  EXPECT_EQ(macro::ParseValues(text, out, symbols, refusals), kError);
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_STREQ(refusals[0], "行が長すぎます。変数と関数を展開した行は２９９文字までです。");
  text.resize(299);
  EXPECT_EQ(macro::ParseValues(text, out, symbols, refusals), 1);
}

TEST(UserValue, FormatsAndCheckedConversionToDatabaseUnits) {
  struct {
    double value;
    std::int32_t unit;
    const char* text;
  } cases[] = {
      {0.5, 1000, "0.5"},     {3, 1000, "3."},     {0, 1000, "0."}, {1.2346, 1000, "1.235"},
      {0.002, 1000, "0.002"}, {-2.5, 100, "-2.5"}, {10, 1, "10"},  // no point: nothing cut
      {100, 9, "100"},        {12.5, 10, "12.5"},  {7, 1500, "7."}, {0.000001, 1000000, "0.000001"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatUserValue(c.value, c.unit), c.text) << c.value << " unit " << c.unit;
  // Decimals for other units show in the pointer's and the Status Window's coordinates.
  EXPECT_EQ(FormatCalculatorValue(1.0 / 3), "0.333333333333");
  EXPECT_EQ(FormatCalculatorValue(-0.25), "-0.25");
  EXPECT_EQ(FormatCalculatorValue(1e15), "1000000000000000.");
  // Checked conversion to database units.
  struct {
    double value;
    std::int32_t unit;
    bool ok;
    std::int32_t db;
  } conversions[] = {
      {1.5, 1000, true, 1500},
      {0.0005, 1000, true, 1},  // halves round up
      {-0.0005, 1000, true, 0},
      {-0.0006, 1000, true, -1},
      {2147483.647, 1000, true, 2147483647},
      {2147483.648, 1000, false, 0},
      {-2147483.648, 1000, true, -2147483647 - 1},
      {-2147483.649, 1000, false, 0},
      {INFINITY, 1000, false, 0},
      {NAN, 1000, false, 0},
  };
  for (const auto& c : conversions) {
    auto r = UserToDb(c.value, c.unit);
    ASSERT_EQ(r.has_value(), c.ok) << c.value;
    if (r) {
      EXPECT_EQ(*r, c.db) << c.value;
    }
  }
}

// Every short text over the characters that matter: the expansion and the parser must answer
// each with a count within the caller's limit or an error, and never read or write out of bounds
// (the sanitizer build checks the latter).
TEST(ParseValues, EveryShortTextGetsAnAnswer) {
  const std::string alphabet = "1.-+*/(]& =XS";
  macro::Refusals refusals;
  macro::SymbolTable symbols;
  ASSERT_TRUE(macro::Assign(symbols, refusals, "&X", "1 2"));
  std::vector<double> out;
  std::string text;
  long parsed = 0;
  for (std::size_t length = 1; length <= 4; ++length) {
    std::vector<std::size_t> digit(length, 0);
    while (true) {
      text.clear();
      for (std::size_t d : digit) text += alphabet[d];
      const int n = macro::ParseValues(text, out, symbols, refusals, 3);
      ASSERT_GE(n, kParseError) << text;
      ASSERT_LE(n, 3) << text;
      ASSERT_EQ(out.size(), static_cast<std::size_t>(n < 0 ? 0 : n)) << text;
      parsed += n >= 0;
      std::size_t k = 0;
      while (k < length && ++digit[k] == alphabet.size()) digit[k++] = 0;
      if (k == length) break;
    }
  }
  EXPECT_GT(parsed, 0);
  EXPECT_LE(UsedSize(symbols), macro::kSymbolTableBytes);
}

}  // namespace
}  // namespace lav::command
