// The dispatcher driven as a user drives it: lines typed into the Command Window and Enter.
#include "command/dispatcher.h"

#include <gtest/gtest.h>

#include "command/command_table.h"
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

}  // namespace
}  // namespace lav::command
