// The forms of macro lines that the runner handles itself: comments and labels, conditional
// jumps, echo and keyboard input. Every other line is entered as if typed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lav::macro {

enum class LineKind {
  Skipped,  // a comment ('#') or a label ('$')
  Jump,     // GOTO#! GOTO#0 GOTO#- GOTO#+
  Echo,     // ECHO$ text
  Input,    // INKEY$ "prompt" &NAME
  Other,    // an assignment or a command line
};

// The line after its leading blanks and tabs.
std::string_view SkipBlanks(std::string_view line);

// The kind of a line whose leading blanks are skipped (keywords in any case).
LineKind KindOf(std::string_view line);

// The text after a line's keyword (GOTO#x, ECHO$, INKEY$).
std::string_view AfterKeyword(std::string_view line);

enum class JumpTest { NotZero, Zero, Negative, Positive };

struct JumpLine {
  JumpTest test = JumpTest::NotZero;
  std::string condition;  // the text between the keyword and the label
  std::string label;      // the first word that begins with '$'; empty: the line does nothing
};

// A GOTO#x line (leading blanks skipped).
JumpLine ParseJump(std::string_view line);

// Whether the first value of a condition takes the jump; no value at all always jumps.
bool JumpTaken(JumpTest test, std::optional<double> firstValue);

// True when a line begins (after blanks) with the label, compared without regard to case over
// the label's length.
bool StartsWithLabel(std::string_view line, std::string_view label);

struct InkeyLine {
  std::string prompt;    // without the double quotes and a trailing carriage return
  std::string variable;  // "&NAME", or empty (or "&" alone) when no variable was named
  bool unclosedQuote = false;
};

// The text after INKEY$: double quotes enclose the prompt, the first '&' outside them starts the
// variable's name (one word).
InkeyLine ParseInput(std::string_view afterKeyword);

}  // namespace lav::macro
