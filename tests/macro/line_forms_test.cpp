// How macro lines are recognised and read from a file's bytes.
#include "macro/line_forms.h"

#include <gtest/gtest.h>

#include "macro/macro_file.h"

namespace lav::macro {
namespace {

// The common forms are run by the macro runner's tests; these are the edges.
TEST(MacroLineForms, KeywordsInAnyCaseAndWhatIsNotAKeyword) {
  struct Case {
    const char* line;
    LineKind kind;
  } cases[] = {
      {"GOTO#? 1 $L", LineKind::Other},  // no such test
      {"GOTO# 1 $L", LineKind::Other},  {"GOTO", LineKind::Other}, {"echo$", LineKind::Echo},
      {"inkey$&S", LineKind::Input},    {"", LineKind::Other},
  };
  for (const auto& c : cases) EXPECT_EQ(KindOf(c.line), c.kind) << c.line;
}

TEST(MacroLineForms, JumpConditionAndLabel) {
  struct Case {
    const char* line;
    JumpTest test;
    const char* condition;
    const char* label;
  } cases[] = {
      {"GOTO#- &I - 10 $LOOP more", JumpTest::Negative, " &I - 10 ", "$LOOP"},
      {"GOTO#+\t(&A*2)\t$X", JumpTest::Positive, "\t(&A*2)\t", "$X"},
      {"GOTO#! 1 2", JumpTest::NotZero, " 1 2", ""},  // no label: the line does nothing
      {"GOTO#!", JumpTest::NotZero, "", ""},
  };
  for (const auto& c : cases) {
    const JumpLine j = ParseJump(c.line);
    EXPECT_EQ(j.test, c.test) << c.line;
    EXPECT_EQ(j.condition, c.condition) << c.line;
    EXPECT_EQ(j.label, c.label) << c.line;
  }
}

TEST(MacroLineForms, LabelsArePrefixesWithoutRegardToCase) {
  EXPECT_TRUE(StartsWithLabel("$LOOP", "$L"));
  EXPECT_TRUE(StartsWithLabel("  \t$loop2", "$LOOP"));
  EXPECT_FALSE(StartsWithLabel("$LO", "$LOOP"));
  EXPECT_FALSE(StartsWithLabel("# $LOOP", "$LOOP"));
  EXPECT_FALSE(StartsWithLabel("$LOOP", ""));
}

TEST(MacroLineForms, InputPromptAndVariable) {
  struct Case {
    const char* text;  // after INKEY$
    const char* prompt;
    const char* variable;
    bool unclosed;
  } cases[] = {
      {" \"Size\" &S", " Size ", "&S", false},
      {" \"Size & pitch\" &S", " Size & pitch ", "&S", false},  // '&' inside quotes
      {" Width &W more", " Width ", "&W", false},
      {" \"x\" &", " x ", "&", false},
  };
  for (const auto& c : cases) {
    const InkeyLine in = ParseInput(c.text);
    EXPECT_EQ(in.prompt, c.prompt) << c.text;
    EXPECT_EQ(in.variable, c.variable) << c.text;
    EXPECT_EQ(in.unclosedQuote, c.unclosed) << c.text;
  }
}

TEST(MacroFileLines, LineEndsMarksAndLengths) {
  const std::string longText(kMaxMacroLine + 1, 'x');
  const std::string fullText(kMaxMacroLine, 'y');
  struct Case {
    std::string bytes;
    std::string text;
    bool ended;
    bool tooLong;
    std::size_t next;
  } cases[] = {
      {"LAYER 5\r\nX", "LAYER 5", true, false, 9},
      {"LAYER 5\nX", "LAYER 5", true, false, 8},
      {"LAYER 5", "LAYER 5", false, false, 7},
      {"LAYER 5\r", "LAYER 5", true, false, 8},
      {"\x1a", "", false, false, 1},
      {"END\r\x1a", "END", true, false, 5},
      {std::string("A\0B\r\n", 5), "A", true, false, 5},
      {fullText + "\r\n", fullText, true, false, kMaxMacroLine + 2},
      {longText + "\r\nNEXT", longText, true, true, kMaxMacroLine + 3},
  };
  for (const auto& c : cases) {
    auto line = ReadMacroLine(c.bytes, 0);
    ASSERT_TRUE(line) << c.bytes;
    EXPECT_EQ(line->text, c.text) << c.bytes;
    EXPECT_EQ(line->ended, c.ended) << c.bytes;
    EXPECT_EQ(line->tooLong, c.tooLong) << c.bytes;
    EXPECT_EQ(line->next, c.next) << c.bytes;
  }
  EXPECT_FALSE(ReadMacroLine("AB", 2));
  EXPECT_EQ(LineNumberAt("a\nb\nc", 4), 3);
  EXPECT_EQ(LineNumberAt("a\nb\nc", 0), 1);
}

}  // namespace
}  // namespace lav::macro
