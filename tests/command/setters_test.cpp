#include "command/setters.h"

#include <gtest/gtest.h>

#include "command/layer_commands.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"
#include "support/short_forms.h"

namespace lav::command {
namespace {

struct Accepted {
  int command;
  const char* answer;
  std::int32_t Settings::*field;
  std::int32_t stored;
  bool refreshesStatus = false;  // the Status Window shows the setting
};

TEST(Setters, AcceptedValuesAreStored) {
  using S = Settings;
  // 64 is compared before rounding, then rounded half up; a gscale of 0 stores the smallest step;
  // negative angles count from 0 upwards; a magnification that rounds to 0 is taken as 1.
  const Accepted cases[] = {{22, "8", &S::position, 8},
                            {32, "30", &S::fillLines, 30},
                            {32, "2000", &S::fillLines, 2000},
                            {37, "0", &S::fillPaint, 0},
                            {57, "0.4", &S::showScell, 0},
                            {58, "2", &S::showAcell, 2},
                            {59, "0", &S::arrayMap, 0},
                            {60, "11", &S::showBase, 11},
                            {61, "5", &S::showBaseName, 5},
                            {62, "12", &S::showTextBase, 12},
                            {63, "1", &S::lineMode, 1},
                            {64, "10.5", &S::nest, 11},
                            {64, "0", &S::nest, 0},
                            {66, "0.001", &S::gscale, 1},
                            {66, "0", &S::gscale, 1},
                            {67, "32766.9", &S::grid, 32767},
                            {70, "-20", &S::cursorSize, 20},
                            {71, "32000", &S::hight, 32000},
                            {72, "1", &S::acuteTip, 1},
                            {76, "3", &S::absMode, 3},
                            {78, "1", &S::showLocation, 1},
                            {81, "63", &S::layer, 63, true},
                            {82, "5", &S::elementType, 5, true},
                            {83, "0", &S::width, 0},
                            {83, "0.002", &S::width, 2},
                            {84, "1", &S::lineTipType, 1, true},
                            {87, "1", &S::reflection, 1},
                            {88, "370", &S::angle, 10000000},
                            {88, "-30", &S::angle, 330000000},
                            {88, "-360", &S::angle, 0},
                            {88, "359.9999999", &S::angle, 0},
                            {89, "-0.5", &S::magnification, 500000},
                            {89, "0", &S::magnification, 1000000},
                            {108, "3", &S::lock, 3}};
  for (const auto& c : cases) {
    ScriptedHost host;
    AppState app(host);
    EXPECT_EQ(ApplySetter(app, c.command, c.answer), SetterOutcome::Stored)
        << c.command << " " << c.answer;
    EXPECT_EQ(app.settings.*c.field, c.stored) << c.command << " " << c.answer;
    EXPECT_TRUE(host.boxes.empty()) << c.command << " " << c.answer;
    EXPECT_EQ(host.invalidations[static_cast<int>(Window::Status)], c.refreshesStatus ? 1 : 0)
        << c.command << " " << c.answer;
  }
}

struct Refused {
  int command;
  const char* answer;
  const char* message;
  const char* caption = "Error";
};

TEST(Setters, RefusedValuesShowTheirMessageAndKeepTheSetting) {
  const Refused cases[] = {
      {22, "9", "入力範囲は 0 から 8 までです。"},
      {32, "29", "入力範囲は 30 から 2000 までです。", "斜線塗り線数の範囲"},
      {37, "3", "入力範囲は０から２までです。", "斜線塗り有効化"},
      {57, "1.1", "入力範囲は ０ か １ です。", "シングル セルの表示"},
      {58, "-1", "入力範囲は０から２までです。", "アレイ セルの枠表示"},
      {59, "0.5", "入力の範囲は ０ か １ です。"},
      {60, "12", "入力範囲は 0 から 11 までです。"},
      {61, "-0.1", "入力範囲は 0 から 11 までです。"},
      {62, "13", "入力範囲は 0 から 12 までです。"},
      {63, "3", "入力範囲は 0 から 2 までです。"},
      {64, "11.4", "入力範囲は 0 から 11 までです。", "階層の範囲"},
      {66, "0.0009", "グラフィックススケースの最小値は 0.001 です。"},
      {67, "32767", "１以上の値でなければ゛いけません。"},
      {67, "-1", "１以上の値でなければ゛いけません。"},
      {71, "0", "入力範囲は 1 から 32000 までです。"},
      {76, "4", "入力範囲は０から３です。"},
      {81, "64", "入力の範囲は０層から６３層までです。"},
      {82, "6", "入力の範囲は ０ から ５ までです。"},
      {83, "0.001", "入力の範囲は 0 または 0.002 以上です。"},
      {84, "0.5", "入力の範囲は ０ か １ です。"},
      {108, "4", "入力範囲は 0 から 3 までです。"},
      // values the setting cannot hold: refused, never wrapped
      {83, "2147484", "入力値が範囲外です。絶対値が 2147483.647 以下の値を入力して下さい。"},
      {66, "1e3", nullptr, nullptr},  // unreadable: nothing at all
      {70, "3000000000", "入力値が範囲外です。絶対値が 2147483647 以下の値を入力して下さい。"},
      {70, "-2147483648", "入力値が範囲外です。絶対値が 2147483647 以下の値を入力して下さい。"},
      {89, "2148", "入力値が範囲外です。絶対値が 2147.483647 以下の値を入力して下さい。"},
      {83, "1/0", "入力値を数値として扱えません。"},
      {89, "0/0", "入力値を数値として扱えません。"},
  };
  for (const auto& c : cases) {
    ScriptedHost host;
    AppState app(host);
    const Settings before = app.settings;
    const auto outcome = ApplySetter(app, c.command, c.answer);
    if (!c.message) {
      EXPECT_EQ(outcome, SetterOutcome::Unreadable) << c.command << " " << c.answer;
      EXPECT_TRUE(host.boxes.empty());
      continue;
    }
    EXPECT_EQ(outcome, SetterOutcome::Refused) << c.command << " " << c.answer;
    ASSERT_TRUE(testing::OneBox(host, c.message, c.caption, Icon::Exclamation))
        << c.command << " " << c.answer;
    EXPECT_EQ(host.boxes[0].buttons, Buttons::Ok);
    EXPECT_EQ(app.dispatch.errorsReported, 1);
    EXPECT_EQ(host.invalidations[static_cast<int>(Window::Status)], 0);
    const SetterRow* row = FindSetterRow(c.command);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(app.settings.*row->field, before.*row->field) << c.command << " " << c.answer;
  }
}

TEST(Setters, AnswersThatAreNotOneValueDoNothing) {
  struct {
    const char* answer;
    SetterOutcome outcome;
  } cases[] = {{"  ", SetterOutcome::Empty}, {"5 6", SetterOutcome::Unreadable}};
  for (const auto& c : cases) {
    ScriptedHost host;
    AppState app(host);
    EXPECT_EQ(ApplySetter(app, 64, c.answer), c.outcome) << c.answer;
    EXPECT_EQ(app.settings.nest, 11) << c.answer;
    EXPECT_TRUE(host.boxes.empty()) << c.answer;
  }
  ScriptedHost host;
  AppState app(host);
  EXPECT_EQ(ApplySetter(app, 5, "1"), SetterOutcome::NotASetter);
  EXPECT_EQ(ApplySetter(app, 23, "1"), SetterOutcome::NotASetter);
}

TEST(Setters, ValuesDependOnTheDatabaseUnit) {
  ScriptedHost host;
  AppState app(host);
  app.settings.dbPerUserUnit = 100;
  EXPECT_EQ(ApplySetter(app, 83, "0.01"), SetterOutcome::Refused);
  EXPECT_EQ(host.boxes.back().text, "入力の範囲は 0 または 0.02 以上です。");
  EXPECT_EQ(ApplySetter(app, 83, "0.02"), SetterOutcome::Stored);
  EXPECT_EQ(app.settings.width, 2);
  EXPECT_EQ(ApplySetter(app, 66, "0.001"), SetterOutcome::Refused);
  EXPECT_EQ(host.boxes.back().text, "グラフィックススケースの最小値は 0.01 です。");
  EXPECT_EQ(ApplySetter(app, 66, "2.5"), SetterOutcome::Stored);
  EXPECT_EQ(app.settings.gscale, 250);
  EXPECT_EQ(app.settings.gscaleCopy, 250);  // the working copy follows
}

TEST(Setters, PromptsShowTheStoredValue) {
  struct {
    int command;
    const char* answer;  // set first, "" for the default
    std::int32_t unit;
    const char* prompt;
  } cases[] = {
      {64, "3", 1000, "Nest(3): "},
      {66, "0.25", 1000, "Gscale(0.25): "},
      {66, "0.25", 100000, "Gscale(0.25): "},
      {66, "0.00025", 100000, "Gscale(0.): "},  // three decimals, whatever the unit
      {83, "12", 1, "Width(12): "},
      {88, "-90.5", 1000, "Angle(269.5): "},
      {89, "1.25", 1000, "Magnify(1.25): "},
  };
  for (const auto& c : cases) {
    ScriptedHost host;
    AppState app(host);
    app.settings.dbPerUserUnit = c.unit;
    if (*c.answer) {
      ASSERT_EQ(ApplySetter(app, c.command, c.answer), SetterOutcome::Stored) << c.prompt;
    }
    EXPECT_EQ(SetterPrompt(app.settings, c.command), c.prompt);
  }
  Settings s;
  EXPECT_EQ(SetterPrompt(s, 5), "");
}

TEST(SetOrigin, OriginInDatabaseUnitsAndTheDesignAndStreamUnits) {
  struct {
    const char* answer;
    SetterOutcome outcome;
    std::int32_t x, y;
  } cases[] = {
      {"(1 2) * 2", SetterOutcome::Stored, 2000, 4000},
      {"", SetterOutcome::Empty, 7, 8},
      {"1 2 3", SetterOutcome::Unreadable, 7, 8},
      {"1 3000000", SetterOutcome::Refused, 7, 8},  // y beyond the coordinate range: neither set
      {"1/0 1", SetterOutcome::Refused, 7, 8},
  };
  for (const auto& c : cases) {
    ScriptedHost host;
    AppState app(host);
    app.dispatch.originX = 7;
    app.dispatch.originY = 8;
    EXPECT_EQ(SetOrigin(app, c.answer), c.outcome) << c.answer;
    EXPECT_EQ(app.dispatch.originX, c.x) << c.answer;
    EXPECT_EQ(app.dispatch.originY, c.y) << c.answer;
    EXPECT_EQ(host.boxes.size(), c.outcome == SetterOutcome::Refused ? 1u : 0u) << c.answer;
  }
  // The design's and the stream's database units.
  struct {
    const char* answer;
    DatabaseUnit which;
    SetterOutcome outcome;
    std::int32_t design, stream;
  } units[] = {
      {"-100", DatabaseUnit::Design, SetterOutcome::Stored, 100, 1000},
      {"1000000", DatabaseUnit::Design, SetterOutcome::Stored, 1000000, 1000},
      {"1000001", DatabaseUnit::Design, SetterOutcome::Refused, 1000, 1000},
      {"99999999999999999999", DatabaseUnit::Design, SetterOutcome::Refused, 1000, 1000},
      {"0", DatabaseUnit::Design, SetterOutcome::Unreadable, 1000, 1000},
      {"x", DatabaseUnit::Design, SetterOutcome::Unreadable, 1000, 1000},
      {"", DatabaseUnit::Design, SetterOutcome::Empty, 1000, 1000},
      {"12.7", DatabaseUnit::Design, SetterOutcome::Stored, 12, 1000},  // read as "%ld"
      {"10000", DatabaseUnit::Stream, SetterOutcome::Stored, 1000, 10000},
      {"-2147483647", DatabaseUnit::Stream, SetterOutcome::Stored, 1000, 2147483647},
      {"2147483648", DatabaseUnit::Stream, SetterOutcome::Refused, 1000, 1000},
  };
  for (const auto& c : units) {
    ScriptedHost host;
    AppState app(host);
    EXPECT_EQ(SetDatabaseUnit(app, c.answer, c.which), c.outcome) << c.answer;
    EXPECT_EQ(app.settings.dbPerUserUnit, c.design) << c.answer;
    EXPECT_EQ(app.settings.gdsDbUnit, c.stream) << c.answer;
    EXPECT_EQ(host.boxes.size(), c.outcome == SetterOutcome::Refused ? 1u : 0u) << c.answer;
  }
  ScriptedHost host;
  AppState app(host);
  SetDatabaseUnit(app, "2000000", DatabaseUnit::Design);
  ASSERT_TRUE(testing::OneBox(host, "データベース単位の範囲は 1 から 1000000 までです。"));
}

int visibleCount(const Settings& s) {
  int n = 0;
  for (int l = 0; l < kLayerCount; ++l) n += s.layerFlags[l] & 1;
  return n;
}

TEST(LayerCommands, ListsSetExactlyTheNamedLayersAndSingleLayerDisplayKeepsItShown) {
  struct Case {
    int command;
    const char* args;
    int layer;      // a layer to look at
    bool expectOn;  // its bit after the command
    int visible;    // visible layers afterwards (-1: not checked)
  } cases[] = {
      {23, "1 5 7", 5, true, 3},     {23, "1 5 7", 2, false, 3},
      {23, "", 40, true, 64},         // no layer: all 64
      {23, "3 99 -4 5", 5, true, 2},  // out-of-range numbers skipped
      {23, "3 x 5", 5, false, 1},     // the first word that is no number ends the list
      {29, "-3", 3, false, 63},      {29, "-3 3", 3, true, 64},
      {29, "-70", 1, true, 64},  // out of range: skipped
  };
  for (const auto& c : cases) {
    Settings s;
    RunLayerListCommand(s, c.command, c.args);
    EXPECT_EQ((s.layerFlags[c.layer] & 1) != 0, c.expectOn) << c.command << " " << c.args;
    if (c.visible >= 0) {
      EXPECT_EQ(visibleCount(s), c.visible) << c.command << " " << c.args;
    }
  }
  Settings s;
  RunLayerListCommand(s, 23, "1");
  EXPECT_TRUE(RunLayerListCommand(s, 28, "9"));
  EXPECT_EQ(s.layerFlags[9] & 1, 1);
  EXPECT_FALSE(RunLayerListCommand(s, 28, "64"));
  EXPECT_EQ(visibleCount(s), 2);
}

TEST(LayerCommands, FillBitsPenStyleAndColourChangeSeparately) {
  Settings s;
  RunLayerListCommand(s, 26, "4");    // falling direction on layer 4
  RunLayerListCommand(s, 25, "5");    // hatch only on layer 5
  EXPECT_EQ(s.layerFillFlags[4], 2);  // hatch off, direction kept
  EXPECT_EQ(s.layerFillFlags[5], 1);
  RunLayerListCommand(s, 31, "4 -5");
  EXPECT_EQ(s.layerFillFlags[4], 3);
  EXPECT_EQ(s.layerFillFlags[5], 0);
  RunLayerListCommand(s, 27, "");
  EXPECT_EQ(s.layerFillFlags[4], 1);
  // Pen style and colour change separately.
  struct Case {
    int command;
    int pen;  // expected pen of layer 5 (default 5: colour 5, solid)
  } cases[] = {{38, 5}, {40, 5 + 28}, {42, 5 + 56}, {43, 4}, {49, 0}, {56, 7}};
  for (const auto& c : cases) {
    Settings s;
    RunLayerListCommand(s, c.command, "5");
    EXPECT_EQ(s.layerPen[5], c.pen) << c.command;
    EXPECT_EQ(s.layerPen[6], 6) << c.command;  // unlisted layer untouched
  }
  RunLayerListCommand(s, 41, "5");  // style 3
  RunLayerListCommand(s, 50, "5");  // colour 11
  EXPECT_EQ(s.layerPen[5], 11 + 42);
}

}  // namespace
}  // namespace lav::command
