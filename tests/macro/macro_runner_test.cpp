// Macro files run through the Command Window as a user starts them: what they print, the
// variables and settings they leave, the design they write, and how bad macros are refused.
#include "command/macro_runner.h"

#include <gtest/gtest.h>

#include "command/window_input.h"
#include "macro/line_forms.h"
#include "macro/macro_file.h"
#include "macro/variables.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::macro {
namespace {

namespace fs = std::filesystem;

class MacroRunner : public lav::testing::TypingSession {
 protected:
  // Writes a macro file (UTF-8 text stored as Shift-JIS), lines joined with CR LF.
  void writeMacro(const fs::path& file, const std::vector<std::string>& utf8Lines,
                  const std::string& lineEnd = "\r\n") {
    std::string bytes;
    for (const auto& l : utf8Lines) bytes += sjis::fromUtf8(l) + lineEnd;
    testing::WriteFile(file, bytes);
  }
  // The one box shown since the last look says each of these (among other things).
  void expectOneBoxSaying(std::initializer_list<std::string_view> parts) {
    const auto boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u) << *parts.begin();
    for (auto part : parts) EXPECT_NE(boxes[0].find(part), std::string::npos) << boxes[0];
  }
  std::string var(const std::string& name) const {
    return LookUp(app.symbols, name).value_or("<unset>");
  }
  bool idle() const { return app.macro.state == RunState::Idle; }
};

// A counted loop is run by the batch tests.
TEST_F(MacroRunner, TheFourJumpsAJumpToAMissingLabelAndNestingThatStopsAtTen) {
  struct Case {
    const char* jump;
    bool taken;
  } cases[] = {
      {"GOTO#! 2 $T", true},     {"GOTO#! 0 $T", false},
      {"GOTO#0 0 $T", true},     {"GOTO#0 1-1.5 $T", false},
      {"GOTO#- 1-1.5 $T", true}, {"GOTO#- 0 $T", false},
      {"GOTO#+ 0.1 $T", true},   {"GOTO#+ -4 $T", false},
      {"GOTO#+ 0 $T", false},    {"GOTO#! $T", true},
      {"goto#+ (2 3) $t", true}, {"GOTO#0 5", false},  // no label: nothing happens
  };
  for (const auto& c : cases) {
    // Labels match by prefix, without regard to case: "$T" finds "$TAKEN".
    writeMacro("T.MAC", {c.jump, "&R=0", "GOTO#! $E", "$TAKEN", "&R=1", "$END"});
    type("MACRO T");
    EXPECT_EQ(var("&R"), c.taken ? "1." : "0.") << c.jump;
  }
  EXPECT_TRUE(takeBoxes().empty());
  EXPECT_EQ(prompt(), "? ");
  // A jump to a missing label ends only that file.
  writeMacro("OUTER.MAC", {"&R = 1", "MACRO INNER", "&R = &R + 10", "GOTO#! $NOWHERE", "&R = 0"});
  writeMacro("INNER.MAC", {"&I = 1", "GOTO#0 &I - 1 $NOWHERE", "&I = 2"});
  type("MACRO OUTER");
  EXPECT_EQ(var("&I"), "1.");   // the called file ended at its jump
  EXPECT_EQ(var("&R"), "11.");  // its caller went on, then ended at its own jump
  const auto boxes = takeBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].find("INNER.MAC にラベル $NOWHERE が見つかりません。"), std::string::npos)
      << boxes[0];
  EXPECT_NE(boxes[1].find("OUTER.MAC にラベル $NOWHERE が見つかりません。"), std::string::npos)
      << boxes[1];
  EXPECT_FALSE(printed("***BREAK MACRO***"));
  EXPECT_TRUE(app.macro.callers.empty());
  EXPECT_TRUE(idle());
  // A macro calling itself stops nesting at ten, with a message.
  writeMacro("SELF.MAC", {"&D = &D + 1", "MACRO SELF", "&BACK = &BACK + 1"});
  type("&D = 0");
  type("&BACK = 0");
  type("MACRO SELF");
  EXPECT_EQ(var("&D"), "11.");     // the first call and ten nested ones
  EXPECT_EQ(var("&BACK"), "11.");  // every level goes on after its call
  expectOneBoxSaying({"マクロの呼び出しは 10 段までです。"});
  EXPECT_TRUE(idle());
}

TEST_F(MacroRunner, LinesRunAsTypedOnlyEchoIsPrintedAndLineEndsDecideWhatIsEntered) {
  writeMacro("SET.MAC", {"# settings", "  LAYER 7", "WIDTH", "0.5", "1+2", "ECHO shown?", "NEW DES",
                         "MKCELL TOP", "ECHO$ made &L"});
  lines.clear();
  type("MACRO SET");
  EXPECT_EQ(app.settings.layer, 7);
  EXPECT_EQ(app.settings.width, 500);
  EXPECT_TRUE(app.design.isOpen());
  // Output of the lines is held back while the macro runs; ECHO$ is the macro's voice.
  EXPECT_FALSE(printed("3.  "));
  EXPECT_FALSE(printed("shown?"));
  EXPECT_TRUE(printed("made"));
  type("OCELL TOP");
  EXPECT_EQ(app.design.current.name, "TOP");
  type("CLOSE");
  EXPECT_TRUE(takeBoxes().empty());
  // Without a name the command asks for one.
  writeMacro("late.mac", {"&LATE = 1"});
  type("MACRO");
  EXPECT_EQ(prompt(), "Macro Name: ");
  type("LATE");
  EXPECT_EQ(var("&LATE"), "1.");
  // Bare line feeds (as editors here write them) end lines as carriage returns do.
  writeMacro("LF.MAC", {"LAYER 9", "WIDTH 0.25"}, "\n");
  type("MACRO LF");
  EXPECT_EQ(app.settings.layer, 9);
  EXPECT_EQ(app.settings.width, 250);
  // A last line without a line end is not entered: an answer to a waiting command is left on
  // the input line for the user to confirm.
  testing::WriteFile("OPEN.MAC", "LAYER 3\r\nLAYER 4");
  type("MACRO OPEN");
  EXPECT_EQ(app.settings.layer, 3);
  testing::WriteFile("ANSWER.MAC", "LAYER\r\n4");
  type("MACRO ANSWER");
  EXPECT_EQ(app.settings.layer, 3);
  EXPECT_EQ(prompt(), "Layer(3): ");
  EXPECT_EQ(app.window.input, "4");
  type("");
  // An end-of-file mark after the last line is no command.
  testing::WriteFile("EOF.MAC", "LAYER 6\r\n\x1a");
  type("MACRO EOF");
  EXPECT_EQ(app.settings.layer, 6);
  EXPECT_EQ(app.window.input, "");
  EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(MacroRunner, AMacroCanLeaveACommandWaitingOrAnswerItAndAQuestionMarkCancelsOne) {
  writeMacro("ASK.MAC", {"LAYER"});
  type("MACRO ASK");
  EXPECT_EQ(prompt(), "Layer(1): ");
  type("12");
  EXPECT_EQ(app.settings.layer, 12);
  writeMacro("CANCEL.MAC", {"LAYER", "? ECHO$ cancelled", "&A = 4"});
  type("MACRO CANCEL");
  EXPECT_EQ(app.settings.layer, 12);
  EXPECT_EQ(app.dispatch.current, 0);
  EXPECT_TRUE(printed("cancelled"));
  EXPECT_EQ(var("&A"), "4.");
  // INKEY$ without a variable hands the answer to the waiting command.
  writeMacro("W.MAC", {"LAYER", "INKEY$ \"Which layer?\"", "&AFTER = &A"});
  type("MACRO W");
  EXPECT_TRUE(printed("Which layer?"));
  EXPECT_EQ(app.macro.state, RunState::WaitingForInput);
  type("33");
  EXPECT_EQ(app.settings.layer, 33);
  EXPECT_EQ(var("&AFTER"), "4.");
  EXPECT_TRUE(idle());
}

TEST_F(MacroRunner, InkeyAsksAndStoresTheAnswerAsAnExpressionAndEscapeStopsIt) {
  writeMacro("IN.MAC",
             {"INKEY$ \"Size\" &S", "ECHO$ got &S", "INKEY$ \"Twice\" &T", "&U = &T * 2"});
  type("MACRO IN");
  EXPECT_EQ(app.macro.state, RunState::WaitingForInput);
  EXPECT_TRUE(printed("Size"));
  EXPECT_EQ(prompt(), "?: ");
  type("25");
  EXPECT_EQ(var("&S"), "25.");
  EXPECT_TRUE(printed("got 25."));
  EXPECT_EQ(app.macro.state, RunState::WaitingForInput);
  type("&S + 1");
  EXPECT_EQ(var("&T"), "26.");
  EXPECT_EQ(var("&U"), "52.");
  EXPECT_TRUE(idle());
  EXPECT_EQ(prompt(), "? ");
  // Escape stops a waiting input (in an endless loop a stop signal acts as it does, in the batch
  // tests).
  writeMacro("WAIT.MAC", {"INKEY$ \"Size\" &Z", "&AFTER2 = 1"});
  type("MACRO WAIT");
  command::TypeCharacter(app, 27);
  EXPECT_TRUE(idle());
  EXPECT_TRUE(printed("***BREAK MACRO***"));
  EXPECT_EQ(var("&AFTER2"), "<unset>");
  EXPECT_EQ(prompt(), "? ");
}

TEST_F(MacroRunner, BadMacrosAreRefusedWithMessagesThatNameTheLine) {
  const std::string longLine = "LAYER 5 " + std::string(100, ' ') + "9";
  struct Case {
    std::vector<std::string> lines;
    const char* message;  // a part of the box
  } cases[] = {
      {{"&R = 1", longLine, "&R = 2"}, "の 2 行目は長すぎます。一行は 91 バイトまでです。"},
      {{"&R = 1", "INKEY$ \"Size &S", "&R = 2"},
       "の 2 行目の INKEY$ の引用符 \" が閉じていません。"},
      {{"&R = 1", "LAYER 5 " + std::string(82, '0'), "&R = 2"},
       "の 2 行目は入力行に入りきりません。"},
  };
  for (const auto& c : cases) {
    app.settings.layer = 1;
    writeMacro("BAD.MAC", c.lines);
    lines.clear();
    type("MACRO BAD");
    expectOneBoxSaying({c.message, "BAD.MAC"});
    EXPECT_EQ(var("&R"), "1.") << c.message;        // the macro stopped there
    EXPECT_EQ(app.settings.layer, 1) << c.message;  // no fragment of a long line ran
    EXPECT_TRUE(printed("***BREAK MACRO***")) << c.message;
    EXPECT_TRUE(idle());
  }
  // A long comment is never run, so it is no reason to stop.
  writeMacro("LONGNOTE.MAC", {"# " + std::string(120, '-'), "&R = 3"});
  type("MACRO LONGNOTE");
  EXPECT_EQ(var("&R"), "3.");
  EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(MacroRunner, TextFilesAndMacrosFoundWithoutRegardToCaseBesideTheProgram) {
  testing::WriteFile("IN.TXT", "# values\r\n10\r\n\r\n20\r\n30\r\n");
  writeMacro("TEXT.MAC",
             {"TFILE IN.TXT", "TFILE OUT.TXT $1", "&SUM = 0", "$NEXT", "TREAD &V",
              "GOTO#- &ERR $DONE", "&SUM = &SUM + &V", "TWRITE $1 value &V", "GOTO#! $NEXT",
              "$DONE", "TWRITE $1 sum &SUM", "TWRITE $1 # note", "TFILE OUT.TXT $2",
              "TREAD &FIRST $2", "&READ = &ERR", "TFILE X.TXT $7", "&BAD = &ERR"});
  type("MACRO TEXT");
  EXPECT_EQ(var("&SUM"), "60.");
  EXPECT_EQ(testing::ReadFile("OUT.TXT"), "value 10.\nvalue 20.\nvalue 30.\nsum 60.\n# note\n");
  // A line of words is read as its text; a slot beyond $2 is refused through &ERR.
  EXPECT_EQ(std::tuple(var("&FIRST"), var("&READ"), var("&BAD")),
            std::tuple("value 10.", "0.", "-1."));
  EXPECT_TRUE(idle());
  // The second line appends a line to the macro itself; the runner reads the new line.
  writeMacro("GROW.MAC", {"TFILE GROW.MAC", "TWRITE ECHO$ grown"});
  type("MACRO GROW");
  EXPECT_TRUE(printed("grown")) << ::testing::PrintToString(lines);
  EXPECT_TRUE(idle());
  // Macros are found without regard to case and beside the program.
  const fs::path program = dir / "program";
  writeMacro(program / "Lavinor.cmd", {"112 MACRO", "113 ECHO", "200 GREET", "201 ABSENT"});
  writeMacro(program / "greet.Mac", {"&WHO = 1", "$SECOND", "&WHO = &WHO + 10"});
  writeMacro(program / "Deep.mac", {"&DEEP = 1"});
  app.programDir = program.string();
  ASSERT_TRUE(command::LoadCommandFile(app));
  type("MACRO some/where/DEEP");  // the last component, in the program's directory
  EXPECT_EQ(var("&DEEP"), "1.");
  // A command number above the built-in ones runs the macro of its name; its first argument
  // is a start label.
  type("GREET");
  EXPECT_EQ(var("&WHO"), "11.");
  typeAll({"&WHO = 0", "greet $second"});
  EXPECT_EQ(var("&WHO"), "10.");
  EXPECT_TRUE(takeBoxes().empty());
  // A macro number without its file is refused as an unbuilt command.
  type("ABSENT");
  ASSERT_TRUE(testing::OneBox(host,
                              "ABSENT   このコマンドについては、現在対応しておりません。"
                              "以降のバージョンからのサポートとなります。",
                              "Commands", Icon::Information));
}

// How macro lines are recognised and read from a file's bytes.
// The common forms are run by the macro runner's tests; these are the edges.
TEST(MacroLineForms, KeywordsAndLabelsInAnyCaseAndWhatIsNotAKeyword) {
  struct Case {
    const char* line;
    LineKind kind;
  } cases[] = {
      {"GOTO#? 1 $L", LineKind::Other},  // no such test
      {"GOTO# 1 $L", LineKind::Other},  {"GOTO", LineKind::Other}, {"echo$", LineKind::Echo},
      {"inkey$&S", LineKind::Input},    {"", LineKind::Other},
  };
  for (const auto& c : cases) EXPECT_EQ(KindOf(c.line), c.kind) << c.line;
  // Labels are prefixes, without regard to case.
  EXPECT_TRUE(StartsWithLabel("$LOOP", "$L"));
  EXPECT_TRUE(StartsWithLabel("  \t$loop2", "$LOOP"));
  EXPECT_FALSE(StartsWithLabel("$LO", "$LOOP"));
  EXPECT_FALSE(StartsWithLabel("# $LOOP", "$LOOP"));
  EXPECT_FALSE(StartsWithLabel("$LOOP", ""));
}

TEST(MacroLineForms, JumpConditionAndLabelInputPromptAndVariable) {
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
  // INKEY$ lines: the prompt and the variable.
  struct Input {
    const char* text;  // after INKEY$
    const char* prompt;
    const char* variable;
    bool unclosed;
  } inputs[] = {
      {" \"Size & pitch\" &S", " Size & pitch ", "&S", false},  // '&' inside quotes
      {" Width &W more", " Width ", "&W", false},
      {" \"x\" &", " x ", "&", false},
  };
  for (const auto& c : inputs) {
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
