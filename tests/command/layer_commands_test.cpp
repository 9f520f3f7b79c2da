#include "command/layer_commands.h"

#include <gtest/gtest.h>

namespace lav::command {
namespace {

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

TEST(LayerCommands, FillDirectionAndHatchBitsAreIndependent) {
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
}

TEST(LayerCommands, PenStyleAndColourChangeSeparately) {
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
  Settings s;
  RunLayerListCommand(s, 41, "5");  // style 3
  RunLayerListCommand(s, 50, "5");  // colour 11
  EXPECT_EQ(s.layerPen[5], 11 + 42);
}

}  // namespace
}  // namespace lav::command
