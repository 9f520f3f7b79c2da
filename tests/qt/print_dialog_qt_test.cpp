// Dialog 700 on Qt widgets: edits and buttons reach the print settings, the paper size follows
// every change, and only 実行 starts a print.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "display/print_dialog.h"
#include "platform/scripted_host.h"
#include "qt/print_dialog.h"
#include "state/app_state.h"
#include "support/qt_application.h"

namespace lav::qt {
namespace {

using lav::testing::Control;

// Runs the dialog and plays act on it once it is up.
void RunWith(display::PrintDialog& model, const std::function<void(QDialog&)>& act) {
  EXPECT_TRUE(lav::testing::WithModalDialog([&] { RunPrintDialog(nullptr, model); }, act));
}

TEST(PrintDialogQt, EditsAndButtonsReachTheSettings) {
  lav::testing::EnsureQtApplication();
  ScriptedHost host;
  AppState app{host};
  app.settings.printUnit = 2;
  app.print = {0, 0, 100000, 50000, 1, 0};
  app.display.view.window = {0, 0, 47000, 37000};
  display::PrintDialog model(app.settings, app.print, app.display.view);
  QString afterUnit, afterEdit, afterGet, cornerAfterGet;
  RunWith(model, [&](QDialog& d) {
    EXPECT_TRUE(Control<QRadioButton>(d, 602)->isChecked());
    EXPECT_EQ(Control<QLineEdit>(d, 606)->text(), "100 50");
    EXPECT_EQ(Control<QLabel>(d, 610)->text(), "X 100mm");
    Control<QRadioButton>(d, 603)->click();
    afterUnit = Control<QLabel>(d, 610)->text();
    QLineEdit* mag = Control<QLineEdit>(d, 608);
    mag->selectAll();
    QTest::keyClicks(mag, "0.25");
    afterEdit = Control<QLabel>(d, 611)->text();
    Control<QPushButton>(d, 612)->click();
    afterGet = Control<QLabel>(d, 610)->text();
    cornerAfterGet = Control<QLineEdit>(d, 606)->text();
    Control<QPushButton>(d, 609)->click();
  });
  EXPECT_EQ(afterUnit, "X 1000mm");
  EXPECT_EQ(afterEdit, "Y 125mm");
  EXPECT_EQ(afterGet, "X 117.5mm");
  EXPECT_EQ(cornerAfterGet, "47 37");
  EXPECT_TRUE(model.executed);
  EXPECT_EQ(app.print.printing, 1);
  EXPECT_EQ(app.settings.printUnit, 3);
  EXPECT_DOUBLE_EQ(app.print.magnification, 0.25);
}

TEST(PrintDialogQt, CancelStartsNoPrint) {
  lav::testing::EnsureQtApplication();
  ScriptedHost host;
  AppState app{host};
  display::PrintDialog model(app.settings, app.print, app.display.view);
  RunWith(model, [](QDialog& d) { Control<QPushButton>(d, 2)->click(); });
  EXPECT_TRUE(model.finished);
  EXPECT_FALSE(model.executed);
  EXPECT_EQ(app.print.printing, 0);
}

}  // namespace
}  // namespace lav::qt
