// The layer dialogs through their typed commands: each dialog's clicks, edits and close rules,
// the values kept in the design header, and the element-type mask of command 65.
#include "command/layer_dialogs.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/typing_session.h"

namespace lav::display {
namespace {

class LayerDialogs : public lav::testing::TypingSession {
 protected:
  // Answers the next dialog of kind with script (given the model), then closes it as the user
  // would with "終了".
  template <typename Dialog>
  void onDialog(const char* kind, std::function<void(Dialog&)> script) {
    host.dialogHandlers[kind] = [script](DialogModel& m) {
      auto& d = dynamic_cast<Dialog&>(m);
      script(d);
      d.click(kCloseButton);
      EXPECT_TRUE(d.finished);
    };
  }
  void designWithCell() { typeAll({"NEW T.CAD", "MKCELL TOP"}); }
  void rectangleOn(int layer, int x) {
    typeAll({"LAYER " + std::to_string(layer), "ETYPE 3",
             "XY " + std::to_string(x) + " 0 " + std::to_string(x + 10) + " 10", "OUTPUT"});
  }
  int graphicsRedraws() const { return host.invalidations[static_cast<int>(Window::Graphics)]; }
};

TEST_F(LayerDialogs, FieldIntegersAreWholeNumbersOnly) {
  const char* huge = "99999999999999999999";
  struct Case {
    const char* text;
    std::optional<long> value;
  } cases[] = {{"15", 15},  {"-3", -3}, {" 7 ", 7}, {"+4", 4},   {"", {}},        {"  ", {}},
               {"abc", {}}, {"3x", {}}, {"-", {}},  {"1.5", {}}, {huge, LONG_MAX}};
  for (const auto& c : cases) EXPECT_EQ(ParseFieldInt(c.text), c.value) << c.text;
}

TEST_F(LayerDialogs, DisplayDepthIsLimitedOnClose) {
  struct Case {
    const char* typed;
    int nest;
  } cases[] = {{"15", 11}, {"-3", 0}, {"7", 7}, {"0", 0}, {"", 5}, {"abc", 5}, {"3x", 5}};
  for (const auto& c : cases) {
    app.settings.nest = 5;
    onDialog<LayerSetsDialog>("layer-sets", [&](LayerSetsDialog& d) {
      EXPECT_EQ(d.text(506), "5");
      d.setText(506, c.typed);
    });
    type("DLGLAYERS");
    EXPECT_EQ(app.settings.nest, c.nest) << '"' << c.typed << '"';
  }
}

TEST_F(LayerDialogs, LayerSetsClicksChangeAtOnceAndFramesOnClose) {
  const int statusBefore = host.invalidations[static_cast<int>(Window::Status)];
  const int redrawsBefore = graphicsRedraws();
  onDialog<LayerSetsDialog>("layer-sets", [&](LayerSetsDialog& d) {
    EXPECT_TRUE(d.checked(203));
    d.click(203);  // layer 3 hidden at once
    EXPECT_FALSE(d.checked(203));
    EXPECT_EQ(app.settings.layerFlags[3] & 1, 0);
    d.click(310);  // layer 10 not selectable
    EXPECT_EQ(app.settings.layerSelectFlags[10] & 1, 0);
    EXPECT_FALSE(d.checked(310));
    EXPECT_TRUE(d.checked(264));
    EXPECT_FALSE(d.checked(265)) << "single frames start hidden";
    d.click(264);
    d.click(265);
    d.click(503);
    d.click(504);
    EXPECT_TRUE(d.checked(503));
    EXPECT_FALSE(d.checked(502));
  });
  type("DLGLAYERS");
  const auto& s = app.settings;
  EXPECT_EQ(std::tuple(s.layerFlags[64] & 1, s.layerFlags[65] & 1, s.showAcell, s.showScell),
            std::tuple(0, 1, 2, 0));
  EXPECT_EQ(s.layerFlags[4] & 1, 1) << "other layers untouched";
  EXPECT_GT(host.invalidations[static_cast<int>(Window::Status)], statusBefore);
  EXPECT_GT(graphicsRedraws(), redrawsBefore);
  EXPECT_EQ(prompt(), "? ");
}

TEST_F(LayerDialogs, PresentLayersListTheLayersDrawnInTheCell) {
  designWithCell();
  rectangleOn(3, 0);
  rectangleOn(10, 20);
  type("REDRAW");
  std::string shown;
  onDialog<HatchLayersDialog>("hatch-layers", [&](HatchLayersDialog& d) { shown = d.text(507); });
  type("DLGHATCH");
  EXPECT_EQ(shown, "3 10 ");
  type("OCELL TOP");  // opening a cell starts the list again
  EXPECT_EQ(PresentLayersText(app), "");
  type("REDRAW");
  onDialog<LayerSetsDialog>("layer-sets", [&](LayerSetsDialog& d) { shown = d.text(507); });
  type("DLGLAYERS");
  EXPECT_EQ(shown, "3 10 ");
}

TEST_F(LayerDialogs, HatchCheckBoxKeepsDirectionAndRadiosSetIt) {
  app.settings.layerFillFlags[7] = 3;  // on, falling to the right
  onDialog<HatchLayersDialog>("hatch-layers", [&](HatchLayersDialog& d) {
    EXPECT_TRUE(d.checked(207));
    EXPECT_TRUE(d.checked(307));
    EXPECT_FALSE(d.checked(407));
    d.click(207);
    EXPECT_EQ(app.settings.layerFillFlags[7], 2) << "direction kept";
    d.click(409);
    d.click(308);
  });
  type("DLGHATCH");
  const auto& fill = app.settings.layerFillFlags;
  EXPECT_EQ(std::tuple(fill[7], fill[8], fill[9]), std::tuple(2, 3, 1));
}

TEST_F(LayerDialogs, HatchLinesAndTheDisableBox) {
  struct Case {
    int fillPaint;
    const char* lines;
    bool clickBox;
    int wantPaint, wantLines;
  } cases[] = {{1, "10", false, 1, 30},  {1, "5000", false, 1, 2000}, {1, "x", false, 1, 100},
               {1, "250", true, 0, 250}, {0, "", true, 1, 100},       {0, "", false, 0, 100},
               {2, "", false, 2, 100},  // untouched box: no parity guard stays
               {2, "", true, 1, 100}};
  for (const auto& c : cases) {
    app.settings.fillPaint = c.fillPaint;
    app.settings.fillLines = 100;
    onDialog<HatchLayersDialog>("hatch-layers", [&](HatchLayersDialog& d) {
      EXPECT_EQ(d.checked(500), c.fillPaint != 1);
      d.setText(499, c.lines);
      if (c.clickBox) d.click(500);
    });
    type("DLGHATCH");
    EXPECT_EQ(app.settings.fillPaint, c.wantPaint) << c.fillPaint << " " << c.clickBox;
    EXPECT_EQ(app.settings.fillLines, c.wantLines) << c.lines;
  }
}

TEST_F(LayerDialogs, HatchCountsAndMarkFieldsAreLimited) {
  struct Case {
    const char* typed;
    int count;
  } counts[] = {{"10", 30}, {"", 0},        {"  ", 0},  {"abc", 0},
                {"50", 50}, {"2500", 2000}, {"-4", 30}, {"0", 0}};
  onDialog<HatchCountsDialog>("hatch-counts", [](HatchCountsDialog&) {});
  type("DLGHLINES");
  EXPECT_EQ(app.screenText.markSize, 0) << "left alone, the mark size follows the screen";
  app.settings.layerHatchCount[12] = 75;
  onDialog<HatchCountsDialog>("hatch-counts", [&](HatchCountsDialog& d) {
    EXPECT_EQ(d.text(212), "75");
    EXPECT_EQ(d.text(213), "") << "0 is shown blank";
    for (int i = 0; i < static_cast<int>(std::size(counts)); ++i)
      d.setText(200 + i, counts[i].typed);
    d.setText(212, "");
    d.setText(508, "1");
    d.setText(509, "400");
    d.setText(499, "29");
    d.click(510);
  });
  type("DLGHLINES");
  for (int i = 0; i < static_cast<int>(std::size(counts)); ++i)
    EXPECT_EQ(app.settings.layerHatchCount[i], counts[i].count) << '"' << counts[i].typed << '"';
  EXPECT_EQ(app.settings.layerHatchCount[12], 0) << "a blank field restores the default";
  EXPECT_EQ(std::tuple(app.screenText.markSize, app.pick.aperture, app.settings.fillLines,
                       app.display.showSelectArea),
            std::tuple(2, 300, 30, 1));

  onDialog<HatchCountsDialog>("hatch-counts", [&](HatchCountsDialog& d) {
    EXPECT_EQ(d.text(508), "2");
    EXPECT_TRUE(d.checked(510));
    d.setText(508, "60");
    d.setText(509, "zero");
  });
  type("DLGHLINES");
  EXPECT_EQ(app.screenText.markSize, 50);
  EXPECT_EQ(app.pick.aperture, 300) << "unreadable: unchanged";
}

TEST_F(LayerDialogs, PenRuleColourOnlyStyleOnlyOrBoth) {
  struct Case {
    int colour, style, oldPen, control, pen;
  } cases[] = {
      {-1, 2, 5, 205, 5 + 14 * 2},   // style only keeps the colour
      {3, -1, 33, 205, 3 + 14 * 2},  // colour only keeps the style
      {6, 4, 33, 205, 6 + 14 * 4},   // both
      {-1, -1, 33, 205, 33},         // nothing picked: nothing changes
      {0, 0, 35, 266, 0},            // marks
      {12, 1, 4, 269, 12 + 14}       // temporary input layer
  };
  for (const auto& c : cases) {
    const int layer = c.control == 266 ? 66 : c.control == 269 ? 69 : c.control - 200;
    app.settings.layerPen[layer] = static_cast<std::uint8_t>(c.oldPen);
    onDialog<PenDialog>("layer-pens", [&](PenDialog& d) {
      EXPECT_EQ(d.pickedColour(), -1) << "lists start unpicked";
      EXPECT_EQ(d.pickedStyle(), -1);
      d.pickColour(c.colour);
      d.pickStyle(c.style);
      d.click(c.control);
      EXPECT_EQ(d.pen(c.control), c.pen);
    });
    type("DLGPEN");
    EXPECT_EQ(app.settings.layerPen[layer], c.pen) << c.colour << "/" << c.style;
  }
}

TEST_F(LayerDialogs, CellFramesSetBothFramePensAndDotsTheGrid) {
  onDialog<PenDialog>("layer-pens", [&](PenDialog& d) {
    d.pickColour(4);
    d.click(265);
    d.pickColour(1);
    d.pickStyle(0);
    d.click(268);
    d.click(264);  // no sample there
    d.click(267);
  });
  type("DLGPEN");
  const auto& pen = app.settings.layerPen;
  EXPECT_EQ(std::tuple(pen[64], pen[65], pen[68], pen[67]),
            std::tuple(4 + 14 * 2, 4 + 14 * 2, 1, 35));
}

TEST_F(LayerDialogs, ElementTypeMaskTypedOrSwitchedInTheDialog) {
  struct Case {
    const char* line;
    int mask;
  } cases[] = {{"DRAWMASK -256", 0xFFFF & ~256},
               {"DRAWMASK 256", 0xFFFF},
               {"DRAWMASK -5000", 0xFFFF & ~1023},  // clamped to -1023
               {"DRAWMASK 5000", 0xFFFF},
               {"DRAWMASK x", 0xFFFF}};
  for (const auto& c : cases) {
    type(c.line);
    EXPECT_EQ(app.display.elementTypeMask, c.mask) << c.line;
  }
  EXPECT_TRUE(host.dialogsRun.empty());
  onDialog<ElementTypesDialog>("element-types", [&](ElementTypesDialog& d) {
    for (int c = 522; c <= 531; ++c) EXPECT_TRUE(d.checked(c)) << c;
    d.click(525);
    d.click(530);
    d.click(522);
    d.click(522);
    EXPECT_FALSE(d.checked(530));
  });
  type("DRAWMASK");
  EXPECT_EQ(host.dialogsRun.back(), "element-types");
  EXPECT_EQ(app.display.elementTypeMask, 0xFFFF & ~(1 << 3) & ~(1 << 8));
  EXPECT_TRUE(lines.empty() || lines.back().find("not available") == std::string::npos);
}

TEST_F(LayerDialogs, HiddenAreasAreNeitherListedNorPicked) {
  designWithCell();
  rectangleOn(3, 0);
  typeAll({"DRAWMASK -256", "OCELL TOP"});
  EXPECT_EQ(app.display.elementTypeMask, 0xFFFF) << "opening a cell shows every type again";
  typeAll({"DRAWMASK -256", "REDRAW"});
  EXPECT_EQ(PresentLayersText(app), "");
  typeAll({"TAKE", "5 0"});
  EXPECT_TRUE(app.temp.empty()) << "areas are not offered to the pick";
  takeBoxes();
  typeAll({"DRAWMASK 256", "REDRAW"});
  EXPECT_EQ(PresentLayersText(app), "3 ");
  typeAll({"TAKE", "5 0"});
  EXPECT_FALSE(app.temp.empty());
}

TEST_F(LayerDialogs, SettingsSurviveClosingAndOpeningTheDesign) {
  designWithCell();
  rectangleOn(3, 0);
  onDialog<LayerSetsDialog>("layer-sets", [](LayerSetsDialog& d) {
    d.click(205);
    d.click(306);
    d.click(503);
    d.setText(506, "4");
  });
  type("DLGLAYERS");
  onDialog<HatchCountsDialog>("hatch-counts", [](HatchCountsDialog& d) {
    d.setText(203, "60");
    d.setText(499, "300");
  });
  type("DLGHLINES");
  onDialog<HatchLayersDialog>("hatch-layers", [](HatchLayersDialog& d) {
    d.click(208);
    d.click(309);
  });
  type("DLGHATCH");
  onDialog<PenDialog>("layer-pens", [](PenDialog& d) {
    d.pickColour(9);
    d.pickStyle(3);
    d.click(211);
  });
  type("DLGPEN");
  const Settings saved = app.settings;
  type("CLOSE");
  app.settings = Settings{};  // a fresh start of the program
  type("OPEN T.CAD");
  ASSERT_TRUE(app.design.isOpen());
  const auto& s = app.settings;
  EXPECT_TRUE(s.layerFlags == saved.layerFlags && s.layerSelectFlags == saved.layerSelectFlags &&
              s.layerFillFlags == saved.layerFillFlags && s.layerPen == saved.layerPen &&
              s.layerHatchCount == saved.layerHatchCount);
  EXPECT_EQ(std::tuple(s.layerFlags[5] & 1, s.layerPen[11], s.layerHatchCount[3]),
            std::tuple(0, 9 + 14 * 3, 60));
  EXPECT_EQ(std::tuple(s.nest, s.showAcell, s.fillLines), std::tuple(4, 2, 300));
}

TEST_F(LayerDialogs, BatchRunsCloseTheDialogsUnchanged) {
  const Settings before = app.settings;
  for (const char* line : {"DLGLAYERS", "DLGHATCH", "DLGHLINES", "DLGPEN", "DRAWMASK"}) type(line);
  EXPECT_EQ(host.dialogsRun, (std::vector<std::string>{"layer-sets", "hatch-layers", "hatch-counts",
                                                       "layer-pens", "element-types"}));
  EXPECT_EQ(app.settings.layerFlags, before.layerFlags);
  EXPECT_EQ(app.settings.nest, before.nest);
  EXPECT_EQ(app.settings.fillPaint, before.fillPaint);
  EXPECT_EQ(app.display.elementTypeMask, 0xFFFF);
  EXPECT_EQ(prompt(), "? ");
}

}  // namespace
}  // namespace lav::display
