#include "macro/preprocess.h"

#include <gtest/gtest.h>

#include <string>

#include "macro/functions.h"
#include "macro/variables.h"
#include "platform/scripted_host.h"
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
    ScriptedHost host;
    ASSERT_TRUE(Assign(t, host, "&X", "3"));
    ASSERT_TRUE(Assign(t, host, "&P", "10 -20"));
    ASSERT_TRUE(Assign(t, host, "&S", "ABC"));
    auto out = Preprocess(c.line, t, host);
    if (!c.expanded) {
      EXPECT_FALSE(out.has_value()) << c.line;
      continue;
    }
    ASSERT_TRUE(out.has_value()) << c.line;
    EXPECT_EQ(*out, c.expanded) << "line: \"" << c.line << "\"";
  }
}

TEST(Preprocess, VariablesNegationAndBlanks) {
  expectExpansions({
      {"MOVE &X 5", "MOVE 3. 5"},
      {"MOVE &x 5", "MOVE 3. 5"},
      {"MOVE &X", "MOVE 3."},
      {"&X+&X", "3.+3."},
      {"(&X)", "(3.)"},
      {"&P", "10. -20."},
      {"&S&X", ""},       // '&' does not end a name: "S&X" is unknown
      {"A &Q B", "A B"},  // unknown in the middle: blanks
      {"A &Q", "A"},      // unknown at the end: the line is cut at the '&'
      {"A &Q+1 B", "A +1 B"},
      {"A & B", "A & B"},  // no name after '&': the character stays
      {"A &+1", "A &+1"},
      {"MERGE &", "MERGE &"},
      {"\"&S\"", "\"ABC\""},
      {"1 -&X", "1 -3."},
      {"-&X", "-3."},
      {"-&P", "-10. 20."},
      {"A-&X", "A-3."},  // a binary minus stays
      {"2*-&X", "2* -3."},
      {"(-&X)", "(-3.)"},
      {"1 -&S", "1 -ABC"},  // a text is not negated
      {"-&X 7", "-3. 7"},
      {"  A \t B\n\nC  ", "A B C"},
      {"", ""},
      {" \t ", ""},
  });
}

TEST(Preprocess, AssignmentsInsideLines) {
  SymbolTable t;
  ScriptedHost host;
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
    auto out = Preprocess(c.line, t, host);
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

TEST(Preprocess, FailedAssignmentCutsTheLine) {
  SymbolTable t;
  ScriptedHost host;
  for (int i = 0; i < 7; ++i) StoreSymbol(t, "NAME" + std::to_string(i), std::string(255, 'v'));
  auto out = Preprocess("SET &BIGGER=" + std::string(160, 'x'), t, host);
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(*out, "SET");
  ASSERT_TRUE(testing::OneBox(host, "シンボル用のメモリーが不足しました。"));
}

TEST(Preprocess, LengthLimit) {
  SymbolTable t;
  ScriptedHost host;
  ASSERT_TRUE(Assign(t, host, "&L", std::string(200, '9')));
  EXPECT_TRUE(Preprocess(std::string(299, 'A'), t, host).has_value());
  EXPECT_TRUE(host.boxes.empty());
  struct {
    std::string line;
  } refused[] = {
      {std::string(300, 'A')},
      {"&L &L"},        // the expansion would not fit the working copy
      {"POW(10 290)"},  // nor would the function's result
  };
  for (const auto& c : refused) {
    host.boxes.clear();
    EXPECT_FALSE(Preprocess(c.line, t, host).has_value()) << c.line.substr(0, 20);
    ASSERT_TRUE(
        testing::OneBox(host, "行が長すぎます。変数と関数を展開した行は２９９文字までです。"));
  }
}

TEST(Functions, Results) {
  struct {
    const char* line;
    const char* result;
  } cases[] = {
      {"SIN(30)", "0.500000000000"},
      {"sin(30)", "0.500000000000"},
      {"SIN(390)", "0.500000000000"},
      {"SIN(-30)", "-0.500000000000"},
      {"COS(60)", "0.500000000000"},
      {"COS (0)", "1.000000000000"},
      {"TAN(45)", "1.000000000000"},
      {"TAN(0)", "ERROR"},
      {"TAN(90)", "ERROR"},
      {"TAN(-270)", "ERROR"},
      {"TAN(450)", "ERROR"},
      {"ATAN(1 1)", "45.000000000000"},
      {"ATAN(-1 0)", "180.000000000000"},
      {"ATAN(0 -1)", "-90.000000000000"},
      {"POW(2 10)", "1024.000000000000"},
      {"POW(2 -1)", "0.500000000000"},
      {"POW(-8 0.5)", "ERROR"},  // no real value
      {"HYP(3 4)", "5.000000000000"},
      {"HYP((1 1) * 3 4)", "HYP((1 1) * 3 4)"},  // three numbers: not read
      {"POW(1+1 3)", "8.000000000000"},
      {"SIN(1 2)", "SIN(1 2)"},
      {"SIN()", "SIN()"},
      {"SIN(30", "SIN(30"},
      {"SIN 30", "SIN 30"},
      {"SIN(COS(0))", "SIN(COS(0))"},      // a nested call stays as written
      {"COSTS SIN(30)", "COSTS SIN(30)"},  // a name without '(' stops the evaluation
      {"SIN(30) COS(60)", "0.500000000000 0.500000000000"},
      {"SIN(30) SIN(X) COS(60)", "0.500000000000 SIN(X) COS(60)"},
      {"MOVE HYP(3 4) 1", "MOVE 5.000000000000 1"},
      {"(ATAN(1 1))", "(45.000000000000)"},
  };
  for (const auto& c : cases) {
    std::string line = c.line;
    ApplyFunctions(line);
    EXPECT_EQ(line, c.result) << c.line;
  }
}

TEST(Functions, ArgumentTextLimitAndVariablesInArguments) {
  std::string arg = "1" + std::string(197, ' ') + "1";  // 199 characters: taken
  std::string line = "POW(" + arg + ")";
  ApplyFunctions(line);
  EXPECT_EQ(line, "1.000000000000");
  line = "POW(" + arg + " )";
  ApplyFunctions(line);
  EXPECT_EQ(line.substr(0, 4), "POW(");
  SymbolTable t;
  ScriptedHost host;
  auto out = Preprocess("&A=30", t, host);
  out = Preprocess("SIN(&A) COS(  -&A )", t, host);
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(*out, "0.500000000000 0.866025403784");
}

}  // namespace
}  // namespace lav::macro
