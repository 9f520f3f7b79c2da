// Variables, functions and the expansion of a line before it runs, and the table that holds the
// variables.
#include "macro/preprocess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macro/functions.h"
#include "macro/symbol_table.h"
#include "macro/variables.h"
#include "support/short_forms.h"

namespace lav::macro {
namespace {

struct Case {
  const char* line;
  const char* expanded;  // null: refused
};

// X holds 3., P holds two numbers, S a text.
void expectExpansions(std::initializer_list<Case> cases) {
  for (const auto& c : cases) {
    SymbolTable t;
    Refusals refusals;
    ASSERT_TRUE(Assign(t, refusals, "&X", "3"));
    ASSERT_TRUE(Assign(t, refusals, "&P", "10 -20"));
    ASSERT_TRUE(Assign(t, refusals, "&S", "ABC"));
    auto out = Preprocess(c.line, t, refusals);
    if (!c.expanded) {
      EXPECT_FALSE(out.has_value()) << c.line;
      continue;
    }
    ASSERT_TRUE(out.has_value()) << c.line;
    EXPECT_EQ(*out, c.expanded) << "line: \"" << c.line << "\"";
  }
}

TEST(Preprocess, VariablesNegationBlanksAndAssignmentsInsideLines) {
  expectExpansions({
      {"MOVE &X 5", "MOVE 3. 5"},
      {"MOVE &x 5", "MOVE 3. 5"},
      {"MOVE &X", "MOVE 3."},
      {"&X+&X", "3.+3."},
      {"&P", "10. -20."},
      {"&S&X", ""},        // '&' does not end a name: "S&X" is unknown
      {"A &Q B", "A B"},   // unknown in the middle: blanks
      {"A &Q", "A"},       // unknown at the end: the line is cut at the '&'
      {"A & B", "A & B"},  // no name after '&': the character stays
      {"MERGE &", "MERGE &"},
      {"\"&S\"", "\"ABC\""},
      {"1 -&X", "1 -3."},
      {"-&X", "-3."},
      {"-&P", "-10. 20."},
      {"A-&X", "A-3."},  // a binary minus stays
      {"2*-&X", "2* -3."},
      {"1 -&S", "1 -ABC"},  // a text is not negated
      {"  A \t B\n\nC  ", "A B C"},
      {"", ""},
  });
  // Assignments inside lines.
  SymbolTable t;
  Refusals refusals;
  struct {
    const char* line;
    const char* expanded;
    const char* variable;
    const char* value;
  } cases[] = {
      {"&X=3", "3.", "&X", "3."},
      {"&X = 1 + 2", "3.", "&X", "3."},
      {"MOVE &Y=(1 2)*2", "MOVE 2. 4.", "&Y", "2.  4."},
      {"&Z=&X*2", "6.", "&Z", "6."},
      {"&A=&B=5", "5.", "&B", "5."},
      {"&X=", "3.", "&X", "3."},   // nothing after '=': the value is read
      {"&Q=", "", "&Q", nullptr},  // unknown: the line is cut
      {"CMD &T=HELLO THERE", "CMD HELLO THERE", "&T", "HELLO THERE"},
      {"&X=4 &Y", "4. 2. 4.", "&X", "4.  2.  4."},  // the rest of the line is the expression
  };
  for (const auto& c : cases) {
    auto out = Preprocess(c.line, t, refusals);
    ASSERT_TRUE(out.has_value()) << c.line;
    EXPECT_EQ(*out, c.expanded) << c.line;
    auto v = LookUp(t, c.variable);
    ASSERT_EQ(v.has_value(), c.value != nullptr) << c.line;
    if (v) {
      EXPECT_EQ(*v, c.value) << c.line;
    }
  }
  EXPECT_EQ(LookUp(t, "&A").value_or(""), "5.");
}

// A refused assignment shows its box, stores nothing and cuts the line where it stood.
TEST(Preprocess, RefusedAssignmentsAndOverlongLinesShowTheirMessage) {
  struct {
    std::string assignment, message;
    bool fullTable = false;  // seven entries of 262 bytes: 162 bytes left
  } cases[] = {
      {"&" + std::string(256, 'N') + "=1", "変数名が長すぎます。変数名は２５５バイトまでです。"},
      {"&V=" + std::string(256, 'x'), "変数の値が長すぎます。値は２５５バイトまでです。"},
      {"&BIGGER=" + std::string(160, 'x'), "シンボル用のメモリーが不足しました。", true},
  };
  for (const auto& c : cases) {
    SymbolTable t;
    Refusals refusals;
    for (int i = 0; c.fullTable && i < 7; ++i)
      StoreSymbol(t, "NAME" + std::to_string(i), std::string(255, 'v'));
    const std::uint32_t used = UsedSize(t);
    EXPECT_EQ(Preprocess("SET " + c.assignment, t, refusals).value_or("?"), "SET") << c.message;
    ASSERT_EQ(refusals.size(), 1u) << c.message;
    EXPECT_EQ(refusals[0], c.message);
    EXPECT_EQ(UsedSize(t), used);
  }
  // A line longer than 299 characters, as typed or expanded, is refused.
  SymbolTable t;
  Refusals refusals;
  ASSERT_TRUE(Assign(t, refusals, "&L", std::string(200, '9')));
  EXPECT_TRUE(Preprocess(std::string(299, 'A'), t, refusals).has_value());
  EXPECT_TRUE(refusals.empty());
  struct {
    std::string line;
  } refused[] = {
      {std::string(300, 'A')},
      {"&L &L"},        // the expansion would not fit the working copy
      {"POW(10 290)"},  // nor would the function's result
  };
  for (const auto& c : refused) {
    refusals.clear();
    EXPECT_FALSE(Preprocess(c.line, t, refusals).has_value()) << c.line.substr(0, 20);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_STREQ(refusals[0], "行が長すぎます。変数と関数を展開した行は２９９文字までです。");
  }
}

TEST(Functions, ResultsArgumentTextLimitAndVariablesInArguments) {
  struct {
    const char* line;
    const char* result;
  } cases[] = {
      {"SIN(30)", "0.500000000000"},
      {"sin(30)", "0.500000000000"},
      {"SIN(390)", "0.500000000000"},
      {"COS (0)", "1.000000000000"},
      {"TAN(45)", "1.000000000000"},
      {"TAN(90)", "ERROR"},
      {"ATAN(-1 0)", "180.000000000000"},
      {"POW(2 10)", "1024.000000000000"},
      {"POW(-8 0.5)", "ERROR"},                  // no real value
      {"HYP((1 1) * 3 4)", "HYP((1 1) * 3 4)"},  // three numbers: not read
      {"POW(1+1 3)", "8.000000000000"},
      {"SIN(1 2)", "SIN(1 2)"},
      {"SIN(30", "SIN(30"},
      {"SIN 30", "SIN 30"},
      {"SIN(COS(0))", "SIN(COS(0))"},      // a nested call stays as written
      {"COSTS SIN(30)", "COSTS SIN(30)"},  // a name without '(' stops the evaluation
      {"SIN(30) COS(60)", "0.500000000000 0.500000000000"},
      {"SIN(30) SIN(X) COS(60)", "0.500000000000 SIN(X) COS(60)"},
      {"MOVE HYP(3 4) 1", "MOVE 5.000000000000 1"},
  };
  for (const auto& c : cases) {
    std::string line = c.line;
    ApplyFunctions(line);
    EXPECT_EQ(line, c.result) << c.line;
  }
  std::string arg = "1" + std::string(197, ' ') + "1";  // 199 characters: taken
  std::string line = "POW(" + arg + ")";
  ApplyFunctions(line);
  EXPECT_EQ(line, "1.000000000000");
  line = "POW(" + arg + " )";
  ApplyFunctions(line);
  EXPECT_EQ(line.substr(0, 4), "POW(");
  SymbolTable t;
  Refusals refusals;
  auto out = Preprocess("&A=30", t, refusals);
  out = Preprocess("SIN(&A) COS(  -&A )", t, refusals);
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(*out, "0.500000000000 0.866025403784");
}

// The bytes of the table from offset 4 up to the used size, as name=value pairs read back
// by walking the entries the way the table is laid out.
std::vector<std::string> entries(const SymbolTable& t) {
  std::vector<std::string> out;
  std::size_t off = kFirstEntryOffset;
  while (off + 2 <= kSymbolTableBytes && t.bytes[off] != 0) {
    std::size_t n = t.bytes[off], v = t.bytes[off + 1];
    std::string name(reinterpret_cast<const char*>(&t.bytes[off + 2]), n);
    std::string value(reinterpret_cast<const char*>(&t.bytes[off + 2 + n]), v);
    out.push_back(name + "=" + value);
    off += 2 + n + v;
  }
  return out;
}

bool zeroFrom(const SymbolTable& t, std::size_t from) {
  for (std::size_t i = from; i < kSymbolTableBytes; ++i)
    if (t.bytes[i] != 0) return false;
  return true;
}

TEST(SymbolTable, LayoutAfterAssignmentsAndReplacementsThatMoveTheLaterEntries) {
  SymbolTable layout;
  EXPECT_EQ(UsedSize(layout), 0u);
  ASSERT_EQ(StoreSymbol(layout, "X", "3."), StoreResult::Stored);
  // used size, then: name length, value length, name, value
  const std::uint8_t expected[] = {9, 0, 0, 0, 1, 2, 'X', '3', '.', 0};
  for (std::size_t i = 0; i < sizeof expected; ++i) EXPECT_EQ(layout.bytes[i], expected[i]) << i;
  ASSERT_EQ(StoreSymbol(layout, "AB", "10.  20."), StoreResult::Stored);
  EXPECT_EQ(UsedSize(layout), 9u + 2 + 2 + 8);
  EXPECT_EQ(entries(layout), (std::vector<std::string>{"X=3.", "AB=10.  20."}));
  // Replacements move the later entries.
  struct {
    const char* newValue;
    std::uint32_t used;
  } cases[] = {
      {"12345.", 27},  // longer: the later entries move back
      {"1.", 23},      // shorter: they move forward and nothing stale is left behind
      {"123.", 25},    // same length as the old value
  };
  for (const auto& c : cases) {
    SymbolTable t;
    ASSERT_EQ(StoreSymbol(t, "A", "123."), StoreResult::Stored);
    ASSERT_EQ(StoreSymbol(t, "B", "4."), StoreResult::Stored);
    ASSERT_EQ(StoreSymbol(t, "C", "5.  6."), StoreResult::Stored);
    ASSERT_EQ(UsedSize(t), 25u);
    ASSERT_EQ(StoreSymbol(t, "a", c.newValue), StoreResult::Stored) << c.newValue;
    EXPECT_EQ(UsedSize(t), c.used) << c.newValue;
    EXPECT_EQ(entries(t),
              (std::vector<std::string>{std::string("A=") + c.newValue, "B=4.", "C=5.  6."}))
        << c.newValue;
    EXPECT_TRUE(zeroFrom(t, c.used)) << c.newValue;
    EXPECT_EQ(FindSymbol(t, "C").value_or("?"), "5.  6.") << c.newValue;
  }
  // Shrinking, then adding, leaves no stale entry.
  SymbolTable t;
  StoreSymbol(t, "LONG", std::string(100, '7'));
  StoreSymbol(t, "NEXT", "1.");
  StoreSymbol(t, "LONG", "2.");
  StoreSymbol(t, "NEW", "3.");
  EXPECT_EQ(entries(t), (std::vector<std::string>{"LONG=2.", "NEXT=1.", "NEW=3."}));
  EXPECT_TRUE(zeroFrom(t, UsedSize(t)));
}

TEST(SymbolTable, NamesMatchWithoutCaseAndOnlyAtEqualLength) {
  SymbolTable t;
  StoreSymbol(t, "abc", "1.");
  StoreSymbol(t, "AB", "2.");
  struct {
    const char* name;
    const char* value;  // null: not found
  } cases[] = {{"ABC", "1."},  {"abc", "1."},     {"aBc", "1."}, {"ab", "2."},
               {"A", nullptr}, {"ABCD", nullptr}, {"", nullptr}};
  for (const auto& c : cases) {
    auto v = FindSymbol(t, c.name);
    ASSERT_EQ(v.has_value(), c.value != nullptr) << c.name;
    if (v) {
      EXPECT_EQ(*v, c.value) << c.name;
    }
  }
  // The trail byte of a two-byte character is no letter: 0x83 0x61 and 0x83 0x41 differ.
  StoreSymbol(t, "\x83\x61", "5.");
  EXPECT_FALSE(FindSymbol(t, "\x83\x41").has_value());
  EXPECT_EQ(FindSymbol(t, "\x83\x61").value_or(""), "5.");
}

TEST(SymbolTable, RefusalsAndAFullTableLeaveTheTableUnchanged) {
  SymbolTable t;
  StoreSymbol(t, "X", "1.");
  struct {
    std::string name, value;
    StoreResult result;
  } cases[] = {
      {"", "1.", StoreResult::EmptyName},
      {"Y", "", StoreResult::EmptyValue},
      {std::string(256, 'N'), "1.", StoreResult::NameTooLong},
      {"Y", std::string(256, '1'), StoreResult::ValueTooLong},
      {"X", std::string(256, '1'), StoreResult::ValueTooLong},
  };
  for (const auto& c : cases) {
    const SymbolTable before = t;
    EXPECT_EQ(StoreSymbol(t, c.name, c.value), c.result) << c.name.size() << " " << c.value;
    EXPECT_EQ(t.bytes, before.bytes) << c.name.size();
  }
  EXPECT_EQ(StoreSymbol(t, std::string(255, 'N'), std::string(255, 'V')), StoreResult::Stored);
  // A full table.
  SymbolTable full;
  // Seven entries of 2 + 5 + 255 = 262 bytes: 4 + 1834 = 1838 used, 162 bytes left.
  for (int i = 0; i < 7; ++i)
    ASSERT_EQ(StoreSymbol(full, "NAME" + std::to_string(i), std::string(255, 'v')),
              StoreResult::Stored);
  ASSERT_EQ(UsedSize(full), 1838u);
  const SymbolTable unchanged = full;
  EXPECT_EQ(StoreSymbol(full, "BIG", std::string(158, 'v')), StoreResult::TableFull);
  EXPECT_EQ(full.bytes, unchanged.bytes);
  // Ending exactly at 2000 bytes fits.
  EXPECT_EQ(StoreSymbol(full, "BIG", std::string(157, 'v')), StoreResult::Stored);
  EXPECT_EQ(UsedSize(full), 2000u);
  EXPECT_EQ(StoreSymbol(full, "Z", "1."), StoreResult::TableFull);
  // A longer value for a known name that would not fit is refused; a shorter one frees room.
  EXPECT_EQ(StoreSymbol(full, "BIG", std::string(158, 'v')), StoreResult::TableFull);
  EXPECT_EQ(StoreSymbol(full, "NAME0", "1."), StoreResult::Stored);
  EXPECT_EQ(StoreSymbol(full, "Z", "1."), StoreResult::Stored);
  EXPECT_EQ(FindSymbol(full, "BIG").value_or("").size(), 157u);
}

TEST(Assign, StoresCanonicalNumbersOrText) {
  SymbolTable t;
  Refusals refusals;
  struct {
    const char* expression;
    const char* value;
  } cases[] = {
      {"3", "3."},
      {"1 + 2", "3."},
      {"(1 2) * 2", "2.  4."},
      {"1/3", "0.33333333333333"},
      {"-0.25", "-0.25"},
      {"HELLO  WORLD", "HELLO WORLD"},  // not numbers: the expanded text
      {"TAN(90)", "ERROR"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Assign(t, refusals, "&V", c.expression)) << c.expression;
    EXPECT_EQ(LookUp(t, "&v").value_or("?"), c.value) << c.expression;
  }
  EXPECT_FALSE(Assign(t, refusals, "&", "1"));
  EXPECT_FALSE(Assign(t, refusals, "&W", "   "));
  EXPECT_FALSE(LookUp(t, "&W").has_value());
  EXPECT_TRUE(refusals.empty());
}

}  // namespace
}  // namespace lav::macro
