// Printing on Qt: into a PDF file as the Qt printer does where no printer is installed (the file
// appears only when the page is complete, has an A4 page, and shows the drawing), and the print
// dialog's widgets.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>

#include "display/print_dialog.h"
#include "display/print_view.h"
#include "display/render_fixture.h"
#include "qt/print_dialog.h"
#include "qt/qt_printer.h"
#include "support/short_forms.h"

namespace lav::display::testing {
namespace {

namespace fs = std::filesystem;

bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

class PdfPrinting : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    host.printerEntry = "PDF,Lavinor," + (dir / "page.pdf").string();
    host.printerFactory = [](const PrinterName& n) { return qt::OpenPrinter(n); };
    host.dialogHandlers["print-settings"] = [this](DialogModel& m) {
      auto& d = dynamic_cast<PrintDialog&>(m);
      if (cancel)
        d.cancel();
      else
        d.pressExecute();
    };
    cell("TOP");
    rect(4, 10000, 10000, 20000, 20000);  // red, 100 x 100 pixels on the 400 x 300 screen
    rect(1, 0, 0, 40000, 30000);          // cyan, the edge of the view
    open("TOP");
  }
  lav::testing::ScratchFolder folder;
  fs::path dir = folder.dir;
  bool cancel = false;
};

TEST_F(PdfPrinting, APageOfA4ShowsTheViewAtTheTopLeft) {
  std::ofstream(dir / "page.pdf") << "the last print";  // a print replaces the last one
  PrintView(app);
  ASSERT_TRUE(host.boxes.empty()) << host.boxes[0].text;
  const fs::path pdf = dir / "page.pdf";
  ASSERT_TRUE(fs::exists(pdf));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_EQ(lav::testing::ReadFile(pdf).substr(0, 5), "%PDF-");
  if (!Have("pdfinfo") || !Have("pdftoppm")) GTEST_SKIP() << "poppler-utils not installed";
  const std::string info = (dir / "info.txt").string();
  ASSERT_EQ(std::system(("pdfinfo '" + pdf.string() + "' > '" + info + "'").c_str()), 0);
  const std::string infoText = lav::testing::ReadFile(info);
  // One page of A4.
  EXPECT_TRUE(std::regex_search(infoText, std::regex(R"(Pages:\s+1\n)"))) << infoText;
  EXPECT_NE(infoText.find("(A4)"), std::string::npos) << infoText;
  // Rendered at the printer's 300 dpi, the page's top-left 400 x 300 dots are the screen view.
  const std::string png = (dir / "page").string();
  ASSERT_EQ(std::system(
                ("pdftoppm -r 300 -png -singlefile '" + pdf.string() + "' '" + png + "'").c_str()),
            0);
  if (const char* keep = std::getenv("LAVINOR_KEEP_PRINT")) fs::copy_file(png + ".png", keep);
  QImage page(QString::fromStdString(png + ".png"));
  ASSERT_FALSE(page.isNull());
  EXPECT_NEAR(page.width(), 2480, 2);
  EXPECT_NEAR(page.height(), 3508, 2);
  auto reddish = [&](int x, int y) {
    const QColor c = page.pixelColor(x, y);
    return c.red() > 200 && c.green() < 80 && c.blue() < 80;
  };
  int redInside = 0, redOutside = 0;
  for (int y = 0; y < page.height(); y += 2)
    for (int x = 0; x < page.width(); x += 2) {
      if (!reddish(x, y)) continue;
      (x >= 95 && x <= 205 && y >= 95 && y <= 205 ? redInside : redOutside)++;
    }
  EXPECT_GT(redInside, 80);  // the square's outline and hatch
  EXPECT_EQ(redOutside, 0);
}

// A cancelled print and one whose file cannot be made leave nothing behind.
TEST_F(PdfPrinting, ACancelledOrUnwritablePrintWritesNoFile) {
  for (bool unwritable : {false, true}) {
    SCOPED_TRACE(unwritable ? "unwritable" : "cancelled");
    cancel = !unwritable;
    if (unwritable) host.printerEntry = "PDF,Lavinor," + (dir / "missing" / "page.pdf").string();
    PrintView(app);
    ASSERT_EQ(host.boxes.size(), unwritable ? 1u : 0u);
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_EQ(app.print.printing, 0);
  }
  EXPECT_NE(host.boxes[0].text.find("プリントエラー No. "), std::string::npos);
  EXPECT_NE(host.boxes[0].text.find("Lavinor･PDF･"), std::string::npos) << host.boxes[0].text;
}

// Dialog 700 on Qt widgets: edits and buttons reach the print settings, the paper size follows
// every change, and only 実行 starts a print.
TEST_F(PdfPrinting, DialogEditsAndButtonsReachTheSettingsAndCancelStartsNoPrint) {
  using lav::testing::Control;
  auto runWith = [](PrintDialog& model, const std::function<void(QDialog&)>& act) {
    EXPECT_TRUE(lav::testing::WithModalDialog([&] { qt::RunPrintDialog(nullptr, model); }, act));
  };
  app.settings.printUnit = 2;
  app.print = {0, 0, 100000, 50000, 1, 0};
  app.display.view.window = {0, 0, 47000, 37000};
  PrintDialog model(app.settings, app.print, app.display.view);
  QString afterUnit, afterEdit, afterGet, cornerAfterGet;
  runWith(model, [&](QDialog& d) {
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
  EXPECT_EQ(QStringList({afterUnit, afterEdit, afterGet, cornerAfterGet}),
            QStringList({"X 1000mm", "Y 125mm", "X 117.5mm", "47 37"}));
  EXPECT_EQ(std::tuple(model.executed, app.print.printing, app.settings.printUnit,
                       app.print.magnification),
            std::tuple(true, 1, 3, 0.25));

  app.print.printing = 0;
  PrintDialog again(app.settings, app.print, app.display.view);
  runWith(again, [](QDialog& d) { Control<QPushButton>(d, 2)->click(); });
  EXPECT_TRUE(again.finished);
  EXPECT_FALSE(again.executed);
  EXPECT_EQ(app.print.printing, 0);
}

}  // namespace
}  // namespace lav::display::testing
