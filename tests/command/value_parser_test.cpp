#include "console/value_parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "console/user_value.h"
#include "macro/preprocess.h"
#include "macro/variables.h"
#include "platform/scripted_host.h"

namespace lav::command {
namespace {

constexpr int kError = kParseError;

struct Case {
  const char* text;
  int count;                   // kError for a refused text
  std::vector<double> values;  // when count >= 0
};

void expectCases(const std::vector<Case>& cases) {
  macro::SymbolTable symbols;
  ScriptedHost host;
  for (const auto& c : cases) {
    std::vector<double> out;
    const int n = macro::ParseValues(c.text, out, symbols, host);
    EXPECT_EQ(n, c.count) << "text: \"" << c.text << "\"";
    if (n != c.count || n < 0) continue;
    ASSERT_EQ(out.size(), c.values.size()) << c.text;
    for (std::size_t i = 0; i < out.size(); ++i)
      EXPECT_DOUBLE_EQ(out[i], c.values[i]) << "text: \"" << c.text << "\" value " << i;
  }
}

TEST(ParseValues, NumbersSignsVectorsAndNegation) {
  expectCases({
      {"", 0, {}},
      {"   ", 0, {}},
      {"10 20", 2, {10, 20}},
      {"\t10\n20 ", 2, {10, 20}},
      {"-5", 1, {-5}},
      {"+5", 1, {5}},
      {".5", 1, {0.5}},
      {"5.", 1, {5}},
      {"-.25", 1, {-0.25}},
      {"10-5", 1, {5}},  // a sign after an operand in the same word is an operator
      {"10+5", 1, {15}},
      {"10 -5", 2, {10, -5}},  // a new word: the sign belongs to the number
      {"10 - 5", 1, {5}},
      {"10 * -5", 1, {-50}},  // after an operator the sign belongs to the number
      {"10*-5", 1, {-50}},
      {"1 2 + 3 4", 3, {1, 5, 4}},
      {"0.1 0.2", 2, {0.1, 0.2}},
      {"(0 0) + (10 20)", 2, {10, 20}},
      {"(10 20) + (5 5)", 2, {15, 25}},
      {"(1 2 3) * (1 2)", kError, {}},
      {"2 * (1 2 3)", 3, {2, 4, 6}},
      {"(1 2 3) - 1", 3, {0, 1, 2}},
      {"10 / (2 5)", 2, {5, 2}},
      {"(0 0 10 0 10 10) * 2", 6, {0, 0, 20, 0, 20, 20}},
      {"1 + 2 * 3", 1, {7}},
      {"(1 + 2) * 3", 1, {9}},
      {"[1 + 2} * 3", 1, {9}},  // bracket kinds need not match
      {"<2 3> * {2}", 2, {4, 6}},
      {"8 / 2 / 2", 1, {2}},  // left to right
      {"10 - 2 - 3", 1, {5}},
      {"2 * 3 + 4 * 5", 1, {26}},
      {"((1 2) + 1) * 2", 2, {4, 6}},
      {"(1 2)3", 3, {1, 2, 3}},  // after a closing bracket the slot goes on
      {"(1 2)-3", 2, {-2, -1}},  // operand before the sign in the same word
      {"2(3 4)", 3, {2, 3, 4}},
      {"1 +", 1, {1}},           // an operator without a right operand has no effect
      {"1 / 0", 1, {INFINITY}},  // not refused here: refused where it becomes a coordinate
      {"-(1 2)", 2, {-1, -2}},
      {"3 * -(1 2)", 2, {-3, -6}},
      {"(-(1 2))", 2, {-1, -2}},
      {"1 -(2 3)", 2, {-1, -2}},  // after an operand the minus is an operator
      {"2-(1)", 1, {1}},
      {"- (1 2)", kError, {}},  // a lone minus before any operand
      {"+(1 2)", kError, {}},
  });
}

TEST(ParseValues, RefusedTexts) {
  // Two points in one number are never a number; brackets unclosed, stray or closing before an
  // operand.
  for (const char* text : {"1.2.3+4", "1.2.3", "12abc", "abc", "1e5", "1,2", "inf", "nan", "0x10",
                           ".", "(1 2", "1 2)", "()", "* 2", "(* 2)", "1 2 ) (", "ERROR"})
    expectCases({{text, kError, {}}});
}

TEST(ParseValues, VariablesAndFunctionsAreExpandedFirst) {
  macro::SymbolTable symbols;
  ScriptedHost host;
  ASSERT_TRUE(macro::Assign(symbols, host, "&X", "3"));
  ASSERT_TRUE(macro::Assign(symbols, host, "&P", "10 20"));
  struct {
    const char* text;
    std::vector<double> values;
  } cases[] = {
      {"&X 5", {3, 5}},
      {"(&P) + (1 1)", {11, 21}},
      {"&P + (1 1)", {10, 21, 21}},  // numbers of a variable are separate slots
      {"-&P", {-10, -20}},
      {"&x*2", {6}},
      {"POW(2 10) - 24", {1000}},
  };
  for (const auto& c : cases) {
    std::vector<double> out;
    ASSERT_EQ(macro::ParseValues(c.text, out, symbols, host), static_cast<int>(c.values.size()))
        << c.text;
    for (std::size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], c.values[i], 1e-9) << c.text;
  }
}

TEST(ParseValues, CallersLimitTheCountAndTooLongATextIsRefused) {
  macro::SymbolTable symbols;
  ScriptedHost host;
  std::vector<double> out;
  EXPECT_EQ(macro::ParseValues("1 2", out, symbols, host, 1), kError);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(macro::ParseValues("(1 2) * 0 + 5", out, symbols, host, 2), 2);
  EXPECT_EQ(macro::ParseValues("1 2 3", out, symbols, host, 2), kError);

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
}

TEST(IsPointAnswer, ExactlyTwoValues) {
  macro::SymbolTable symbols;
  ScriptedHost host;
  struct {
    const char* text;
    bool point;
    double x, y;
  } cases[] = {
      {"", false, 0, 0},       {"10 20", true, 10, 20}, {"(1 2) * 3", true, 3, 6},
      {"10", false, 0, 0},     {"1 2 3", false, 0, 0},  {"ZOOM", false, 0, 0},
      {"-5 -6", true, -5, -6},
  };
  for (const auto& c : cases) {
    auto p = macro::IsPointAnswer(c.text, symbols, host);
    ASSERT_EQ(p.has_value(), c.point) << c.text;
    if (!p) continue;
    EXPECT_DOUBLE_EQ(p->x, c.x) << c.text;
    EXPECT_DOUBLE_EQ(p->y, c.y) << c.text;
  }
}

TEST(UserValue, Formats) {
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
}

TEST(UserValue, CheckedConversionToDatabaseUnits) {
  struct {
    double value;
    std::int32_t unit;
    bool ok;
    std::int32_t db;
  } cases[] = {
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
      {1e300, 1, false, 0},
  };
  for (const auto& c : cases) {
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
  ScriptedHost host;
  macro::SymbolTable symbols;
  ASSERT_TRUE(macro::Assign(symbols, host, "&X", "1 2"));
  std::vector<double> out;
  std::string text;
  long parsed = 0;
  for (std::size_t length = 1; length <= 4; ++length) {
    std::vector<std::size_t> digit(length, 0);
    while (true) {
      text.clear();
      for (std::size_t d : digit) text += alphabet[d];
      const int n = macro::ParseValues(text, out, symbols, host, 3);
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
