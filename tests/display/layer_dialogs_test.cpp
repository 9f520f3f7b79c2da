// The layer dialogs through their typed commands: each dialog's clicks, edits and close rules,
// and the element-type mask of command 65. Their widgets are used in windows_test.cpp.
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
};

// The depth field read as a whole number (or left as it was) and limited to 0..11 on close.
TEST_F(LayerDialogs, DisplayDepthIsLimitedOnClose) {
  const std::pair<const char*, int> cases[] = {
      {"15", 11}, {"-3", 0},  {" 7 ", 7}, {"+4", 4},
      {"", 5},    {"1.5", 5}, {"-", 5},   {"99999999999999999999", 11}};
  for (const auto& [typed, nest] : cases) {
    app.settings.nest = 5;
    onDialog<LayerSetsDialog>("layer-sets", [&](LayerSetsDialog& d) {
      EXPECT_EQ(d.text(506), "5");
      d.setText(506, typed);
    });
    type("DLGLAYERS");
    EXPECT_EQ(app.settings.nest, nest) << '"' << typed << '"';
  }
}

TEST_F(LayerDialogs, HatchLinesAndTheDisableBox) {
  struct Case {
    int fillPaint;
    const char* lines;
    bool clickBox;
    int wantPaint, wantLines;
  } cases[] = {
      {1, "10", false, 1, 30}, {1, "5000", false, 1, 2000},
      {1, "x", false, 1, 100}, {1, "250", true, 0, 250},
      {2, "", true, 1, 100},   {2, "", false, 2, 100}};  // untouched box: no parity guard stays
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
  // Typed into the fields of layers 0 to 4, and the count each layer gets.
  const std::pair<const char*, int> counts[] = {
      {"10", 30}, {"abc", 0}, {"50", 50}, {"2500", 2000}, {"0", 0}};
  onDialog<HatchCountsDialog>("hatch-counts", [](HatchCountsDialog&) {});
  type("DLGHLINES");
  EXPECT_EQ(app.screenText.markSize, 0) << "left alone, the mark size follows the screen";
  app.settings.layerHatchCount[12] = 75;
  onDialog<HatchCountsDialog>("hatch-counts", [&](HatchCountsDialog& d) {
    EXPECT_EQ(d.text(212), "75");
    EXPECT_EQ(d.text(213), "") << "0 is shown blank";
    for (int i = 0; i < static_cast<int>(std::size(counts)); ++i)
      d.setText(200 + i, counts[i].first);
    d.setText(212, "");
    d.setText(508, "1");
    d.setText(509, "400");
    d.setText(499, "29");
    d.click(510);
  });
  type("DLGHLINES");
  for (int i = 0; i < static_cast<int>(std::size(counts)); ++i)
    EXPECT_EQ(app.settings.layerHatchCount[i], counts[i].second) << '"' << counts[i].first << '"';
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

TEST_F(LayerDialogs, PenRuleColourOnlyStyleOnlyOrBothAndTheFramesAndGrid) {
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
      EXPECT_EQ(std::pair(d.pickedColour(), d.pickedStyle()), std::pair(-1, -1))
          << "lists start unpicked";
      d.pickColour(c.colour);
      d.pickStyle(c.style);
      d.click(c.control);
      EXPECT_EQ(d.pen(c.control), c.pen);
    });
    type("DLGPEN");
    EXPECT_EQ(app.settings.layerPen[layer], c.pen) << c.colour << "/" << c.style;
  }
  // The cell frames take one pen for both frame layers; the grid takes the dotted style.
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

// Typed; the dialogs' switches are used on their widgets in windows_test.cpp.
TEST_F(LayerDialogs, ElementTypeMaskTyped) {
  const std::pair<const char*, int> cases[] = {
      {"DRAWMASK -256", 0xFFFF & ~256},
      {"DRAWMASK 256", 0xFFFF},
      {"DRAWMASK -5000", 0xFFFF & ~1023},  // clamped to -1023
      {"DRAWMASK 5000", 0xFFFF},
      {"DRAWMASK x", 0xFFFF}};
  for (const auto& [line, mask] : cases) {
    type(line);
    EXPECT_EQ(app.display.elementTypeMask, mask) << line;
  }
  EXPECT_TRUE(host.dialogsRun.empty());
}

// The present layers are those the last drawing of the open cell met, hidden types left out.
TEST_F(LayerDialogs, PresentLayersListTheLayersDrawnAndHiddenAreasAreNeitherListedNorPicked) {
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

  typeAll({"DRAWMASK -256", "OCELL TOP"});
  EXPECT_EQ(app.display.elementTypeMask, 0xFFFF) << "opening a cell shows every type again";
  typeAll({"DRAWMASK -256", "REDRAW"});
  EXPECT_EQ(PresentLayersText(app), "");
  typeAll({"TAKE", "5 0"});
  EXPECT_TRUE(app.temp.empty()) << "areas are not offered to the pick";
  takeBoxes();
  typeAll({"DRAWMASK 256", "REDRAW"});
  EXPECT_EQ(PresentLayersText(app), "3 10 ");
  typeAll({"TAKE", "5 0"});
  EXPECT_FALSE(app.temp.empty());
}

// A host that returns without closing the dialog: it is closed with nothing changed, and the
// Graphics and Status Windows are drawn again.
TEST_F(LayerDialogs, ADialogTheHostLeftOpenIsClosedUnchanged) {
  const Settings before = app.settings;
  type("DLGLAYERS");
  EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"layer-sets"});
  EXPECT_GT(host.invalidations[static_cast<int>(Window::Graphics)], 0);
  EXPECT_GT(host.invalidations[static_cast<int>(Window::Status)], 0);
  EXPECT_EQ(std::tuple(app.settings.layerFlags, app.settings.nest, prompt()),
            std::tuple(before.layerFlags, before.nest, "? "));
}

}  // namespace
}  // namespace lav::display
