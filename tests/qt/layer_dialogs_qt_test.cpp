// The layer dialogs in the windowed program: opened by their typed commands, changed through
// their widgets (found by control number), closed with "終了" or Escape, and the drawing after.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

#include "support/windowed_program.h"

namespace lav::qt {
namespace {

using lav::testing::Control;

constexpr QRgb kYellow = 0xFFFFFF00;  // layer 3's pen
constexpr QRgb kRed = 0xFFFF0000;

class LayerDialogsQt : public lav::testing::WindowedProgram {
 protected:
  LayerDialogsQt() : WindowedProgram("layerdlg") {}
  void SetUp() override {
    WindowedProgram::SetUp();
    startProgram(builtProgramDir(), {"/s"});
    // One yellow square on layer 3, 0..80 user units, at pixels 40..360 from the bottom left.
    typeLines({"NEW T.CAD", "MKCELL TOP", "LAYER 3", "ETYPE 3", "XY 0 0 80 80", "OUTPUT"});
    auto& v = program->app.display.view;
    v.scale = 0.004;
    v.offsetX = -40;
    v.offsetY = -40;
    v.window = {-10000, -10000, static_cast<std::int32_t>((v.clientWidth - 40) / v.scale),
                static_cast<std::int32_t>((v.clientHeight - 40) / v.scale)};
    typeLine("REDRAW");
    ASSERT_TRUE(program->graphics && program->app.design.hasCell());
  }
  // Types line and, once its dialog is up, runs script on it; the script closes it.
  void withDialog(const QString& line, const QString& title,
                  const std::function<void(QDialog&)>& script) {
    ASSERT_TRUE(lav::testing::WithModalDialog([&] { typeLine(line); },
                                              [&](QDialog& d) {
                                                EXPECT_EQ(d.windowTitle(), title);
                                                script(d);
                                              }))
        << line.toStdString();
    EXPECT_EQ(program->app.window.prompt, "? ");
  }
  // A click where a user aims: on the indicator of a check box or radio button.
  static void click(QDialog& d, int id) {
    auto* w = Control<QWidget>(d, id);
    if (w)
      QTest::mouseClick(w, Qt::LeftButton, {},
                        QPoint(std::min(8, w->width() / 2), w->height() / 2));
  }
  static void typeInto(QDialog& d, int id, const char* text) {
    auto* e = Control<QLineEdit>(d, id);
    if (!e) return;
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, QString::fromUtf8(text));
  }
  // Pixels of colour c inside the square and anywhere outside it.
  int inSquare(QRgb c) const {
    const int ch = program->app.display.view.clientHeight;
    return lav::testing::CountColour(program->graphics->image(), QRect(38, ch - 362, 325, 325), c);
  }
};

TEST_F(LayerDialogsQt, HidingALayerAndLimitingTheDepth) {
  ASSERT_GT(inSquare(kYellow), 1000) << "outline and hatching show";
  withDialog("DLGLAYERS", QString::fromUtf8("表示する層・選択する層の設定"), [&](QDialog& d) {
    EXPECT_EQ(Control<QLineEdit>(d, 507)->text(), "3 ");
    EXPECT_TRUE(Control<QLineEdit>(d, 507)->isReadOnly());
    EXPECT_TRUE(Control<QCheckBox>(d, 203)->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(d, 264)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(d, 265)->isChecked()) << "single frames start hidden";
    click(d, 203);
    EXPECT_EQ(program->app.settings.layerFlags[3] & 1, 0) << "at once, before the close";
    click(d, 305);
    EXPECT_FALSE(Control<QPushButton>(d, 305)->isChecked());
    click(d, 503);
    EXPECT_FALSE(Control<QRadioButton>(d, 502)->isChecked()) << "the radio pair follows";
    click(d, 504);
    click(d, 264);
    click(d, 265);
    typeInto(d, 506, "15");
    click(d, 1);
  });
  const auto& s = program->app.settings;
  EXPECT_EQ(std::tuple(s.nest, s.showAcell, s.showScell), std::tuple(11, 2, 0));
  EXPECT_EQ(s.layerSelectFlags[5] & 1, 0);
  EXPECT_EQ(std::tuple(s.layerFlags[4] & 1, s.layerFlags[64] & 1, s.layerFlags[65] & 1),
            std::tuple(1, 0, 1))
      << "other layers untouched, the frames' layers set on close";
  EXPECT_EQ(inSquare(kYellow), 0) << "the hidden layer is gone from the drawing";

  withDialog("DLGLAYERS", QString::fromUtf8("表示する層・選択する層の設定"), [&](QDialog& d) {
    click(d, 203);
    typeInto(d, 506, "-3");
    QTest::keyClick(&d, Qt::Key_Escape);  // Cancel keeps the changes too
  });
  EXPECT_EQ(s.nest, 0);
  EXPECT_GT(inSquare(kYellow), 1000);
}

TEST_F(LayerDialogsQt, PickedColourRepaintsALayer) {
  withDialog("DLGPEN", QString::fromUtf8("各層の表示色・線種を設定"), [&](QDialog& d) {
    auto* colours = Control<QWidget>(d, 514);
    const int item = (colours->height() - 4) / 14;
    QTest::mouseClick(colours, Qt::LeftButton, {},
                      QPoint(colours->width() / 2, 2 + item * 4 + item / 2));
    click(d, 203);
    EXPECT_EQ(program->app.settings.layerPen[3], 4);
    // The sample shows the new pen: red pixels on it.
    const QImage sample = Control<QWidget>(d, 203)->grab().toImage();
    int red = 0;
    for (int x = 0; x < sample.width(); ++x)
      if (sample.pixel(x, sample.height() / 2) == kRed) ++red;
    EXPECT_GT(red, sample.width() / 2);
    click(d, 1);
  });
  EXPECT_EQ(inSquare(kYellow), 0);
  EXPECT_GT(inSquare(kRed), 1000);
  // The pen is kept with the design.
  typeLine("CLOSE");
  program->app.settings.layerPen[3] = 3;
  typeLine("OPEN T.CAD");
  EXPECT_EQ(program->app.settings.layerPen[3], 4);
}

TEST_F(LayerDialogsQt, HatchingSwitchedOffAndThinnedOut) {
  const int hatched = inSquare(kYellow);
  withDialog("DLGHATCH", QString::fromUtf8("塗り込み層を設定"), [&](QDialog& d) {
    EXPECT_TRUE(Control<QRadioButton>(d, 403)->isChecked());
    click(d, 203);
    click(d, 303);
    EXPECT_FALSE(Control<QRadioButton>(d, 403)->isChecked());
    click(d, 1);
  });
  EXPECT_EQ(program->app.settings.layerFillFlags[3], 2) << "hatch off, direction kept";
  const int outline = inSquare(kYellow);
  EXPECT_LT(outline, hatched / 2);
  EXPECT_GT(outline, 1200) << "the outline stays";

  withDialog("DLGHATCH", QString::fromUtf8("塗り込み層を設定"), [&](QDialog& d) {
    click(d, 203);
    click(d, 403);
    click(d, 1);
  });
  EXPECT_EQ(program->app.settings.layerFillFlags[3], 1) << "hatch on, rising again";
  withDialog("DLGHLINES", QString::fromUtf8("層ごとの斜線塗りの線本数 、マーク類の設定"),
             [&](QDialog& d) {
               EXPECT_EQ(Control<QLineEdit>(d, 203)->text(), "");
               typeInto(d, 203, "10");
               typeInto(d, 508, "7");
               click(d, 1);
             });
  EXPECT_EQ(program->app.settings.layerHatchCount[3], 30);
  EXPECT_EQ(program->app.screenText.markSize, 7);
  const int sparse = inSquare(kYellow);
  EXPECT_GT(sparse, outline);
  EXPECT_LT(sparse, hatched) << "30 lines are sparser than 100";
}

TEST_F(LayerDialogsQt, ElementTypeMaskHidesAreas) {
  withDialog("DRAWMASK", QString::fromUtf8("図形の種類ごとに設定"), [&](QDialog& d) {
    EXPECT_TRUE(Control<QCheckBox>(d, 530)->isChecked());
    click(d, 530);
    click(d, 525);
    EXPECT_FALSE(Control<QRadioButton>(d, 525)->isChecked());
    click(d, 1);
  });
  EXPECT_EQ(program->app.display.elementTypeMask, 0xFFFF & ~(1 << 8) & ~(1 << 3));
  EXPECT_EQ(inSquare(kYellow), 0);
}

}  // namespace
}  // namespace lav::qt
