#include "macro/functions.h"

#include <gtest/gtest.h>

#include <string>

#include "macro/preprocess.h"
#include "platform/scripted_host.h"

namespace lav::macro {
namespace {

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
