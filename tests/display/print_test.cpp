// Printing: the print dialog's fields, the derived magnification, the page drawn on a printer
// and every way a print job can end; and on Qt: into a PDF file as the Qt printer does where no
// printer is installed (the file appears only when the page is complete, has an A4 page, and
// shows the drawing), and the print dialog's widgets.
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
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "display/print_dialog.h"
#include "display/print_view.h"
#include "display/render_fixture.h"
#include "qt/print_dialog.h"
#include "qt/qt_printer.h"
#include "qt/qt_surface.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::display::testing {
namespace {

// What a print job did on the fake printer; it outlives the device the command deletes.
struct PrinterLog {
  int documents = 0, documentEnds = 0, aborts = 0;
  std::vector<QImage> printed;  // each finished page
  int documentResult = 1, pageResult = 1;
};

// A printer of 300 dots an inch whose pages are images of 1000 x 800.
class FakePrinter : public PrinterDevice {
 public:
  explicit FakePrinter(PrinterLog& log) : log_(log) {}
  int dotsPerInchX() const override { return 300; }
  int dotsPerInchY() const override { return 300; }
  int handle() const override { return 77; }
  int startDocument(std::string_view) override {
    ++log_.documents;
    return log_.documentResult;
  }
  int startPage() override {
    page_ = std::make_unique<qt::QtSurface>(1000, 800);
    return log_.pageResult;
  }
  Surface& page() override { return *page_; }
  int endPage() override {
    log_.printed.push_back(page_->image().copy());
    return 1;
  }
  int endDocument() override { return ++log_.documentEnds; }
  void abortDocument() override { ++log_.aborts; }

 private:
  PrinterLog& log_;
  std::unique_ptr<qt::QtSurface> page_;
};

class Printing : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    host.printerEntry = "Fake Printer,fakedrv, LPT1:";
    host.printerFactory = [this](const PrinterName& name) -> std::unique_ptr<PrinterDevice> {
      opened = name;
      return device ? std::make_unique<FakePrinter>(log) : nullptr;
    };
    host.dialogHandlers["print-settings"] = [this](DialogModel& m) {
      auto& d = dynamic_cast<PrintDialog&>(m);
      shown = d.paperX + " " + d.paperY;
      if (inDialog) inDialog(d);
      if (!d.finished) d.pressExecute();
    };
    cell("TOP");
    rect(4, 10000, 10000, 20000, 20000);  // red, 100 x 100 pixels on the screen
    open("TOP");
  }

  static int countOn(const QImage& page, Rgb c) {
    return lav::testing::CountColour(page, page.rect(), QColor(c));
  }

  PrinterLog log;
  bool device = true;  // false: the printer cannot be opened
  std::optional<PrinterName> opened;
  std::string shown;
  std::function<void(PrintDialog&)> inDialog;
};

TEST(PrintDialogFields, ShowTheAreaMagnificationAndPaperSizeAndFollowEdits) {
  struct Case {
    int unit;  // print unit 1..5 in the header
    std::int32_t dbPerUserUnit, x0, y0, x1, y1;
    double magnification;
    const char *upperRight, *lowerLeft, *magText, *paperX, *paperY;
  } cases[] = {
      {2, 1000, 0, 0, 100000, 50000, 1, "100 50", "0 0", "1", "X 100mm", "Y 50mm"},
      {1, 1000, 0, 0, 100000, 50000, 1000, "100 50", "0 0", "1000", "X 100mm", "Y 50mm"},
      {3, 1000, -1500, 250, 98500, 50250, 0.5, "98.5 50.25", "-1.5 0.25", "0.5", "X 500mm",
       "Y 250mm"},
      {2, 1000, 0, 0, 1000, 1000, 0.123456789012, "1 1", "0 0", "0.123456789", "X 0.123mm",
       "Y 0.123mm"},
      // A finer database unit shows three decimals of the corners all the same.
      {4, 100000, 0, 0, 123456, 100000, 1.5, "1.235 1", "0 0", "1.5", "X 1851.84mm", "Y 1500mm"},
      // The corners are shown whichever way round they are.
      {5, 1000, 5000, 5000, 0, 0, 0.000001, "0 0", "5 5", "0.000001", "X 5mm", "Y 5mm"}};
  for (const auto& c : cases) {
    ScriptedHost host;
    AppState app{host};
    app.settings.printUnit = c.unit;
    app.settings.dbPerUserUnit = c.dbPerUserUnit;
    app.print = {c.x0, c.y0, c.x1, c.y1, c.magnification, 0};
    PrintDialog d(app.settings, app.print, app.display.view);
    EXPECT_EQ(
        std::tuple(d.unit, d.upperRight, d.lowerLeft, d.magnificationText, d.paperX, d.paperY),
        std::tuple(600 + c.unit, std::string(c.upperRight), std::string(c.lowerLeft),
                   std::string(c.magText), std::string(c.paperX), std::string(c.paperY)));
  }
  // Typed fields take two numbers and the paper size follows; the unit buttons, Get and
  // Execute are pressed on the dialog's widgets (PdfPrinting, below).
  ScriptedHost host;
  AppState app{host};
  app.settings.printUnit = 2;
  app.print = {0, 0, 100000, 50000, 1, 0};
  PrintDialog d(app.settings, app.print, app.display.view);
  struct Step {
    void (PrintDialog::*edit)(std::string_view);
    const char* text;
    std::int32_t x0, y0, x1, y1;
    const char *paperX, *paperY;
  } steps[] = {
      {&PrintDialog::editUpperRight, "200", 0, 0, 100000, 50000, "X 100mm", "Y 50mm"},
      {&PrintDialog::editUpperRight, " 200  80.5x", 0, 0, 200000, 80500, "X 200mm", "Y 80.5mm"},
      {&PrintDialog::editLowerLeft, "10.0009 -0.0009", 10000, 0, 200000, 80500, "X 190mm",
       "Y 80.5mm"},
      {&PrintDialog::editLowerLeft, "1e12 0", 10000, 0, 200000, 80500, "X 190mm", "Y 80.5mm"},
      {&PrintDialog::editMagnification, "abc", 10000, 0, 200000, 80500, "X 190mm", "Y 80.5mm"},
      {&PrintDialog::editMagnification, "2", 10000, 0, 200000, 80500, "X 380mm", "Y 161mm"}};
  for (const Step& s : steps) {
    (d.*s.edit)(s.text);
    EXPECT_EQ(
        std::tuple(app.print.x0, app.print.y0, app.print.x1, app.print.y1, d.paperX, d.paperY),
        std::tuple(s.x0, s.y0, s.x1, s.y1, std::string(s.paperX), std::string(s.paperY)))
        << s.text;
  }
}

TEST(PrintArea, TheFirstPrintTakesTheViewAtTheWindowsWidthAndASmallPageKeepsTheTopLeft) {
  struct Case {
    int unit;  // 0: none chosen yet
    double magnification;
    int unitAfter;
  } cases[] = {{0, 1693.33, 1}, {2, 1.69333, 2}, {5, 0.00000169333, 5}};
  for (const auto& c : cases) {
    ScriptedHost host;
    AppState app{host};
    app.settings.printUnit = c.unit;
    ViewState& v = app.display.view;
    v.clientWidth = 940;
    v.window = {0, 0, 47000, 37000};
    DerivePrintArea(app.print, app.settings, v, 300);
    EXPECT_NEAR(app.print.magnification, c.magnification, c.magnification * 1e-12) << c.unit;
    EXPECT_EQ(app.settings.printUnit, c.unitAfter);
    EXPECT_EQ(std::pair(app.print.x1, app.print.y1), std::pair(47000, 37000));
    // Printed, the view is as many dots wide as the window is pixels wide.
    const auto page = PageView(app.print, app.settings, v, 300, 300, 5000, 5000);
    ASSERT_TRUE(page);
    EXPECT_EQ(std::pair(page->clientWidth, page->clientHeight), std::pair(940, 740)) << c.unit;
    // A second derivation leaves a set area and its magnification alone.
    app.print.magnification = 3;
    DerivePrintArea(app.print, app.settings, v, 600);
    EXPECT_EQ(app.print.magnification, 3);
  }
  // A page smaller than the picture keeps its top left corner.
  ScriptedHost host;
  AppState app{host};
  app.settings.printUnit = 2;
  app.print = {0, 0, 100000, 50000, 1, 0};  // 100 mm x 50 mm
  ViewState v;
  const auto full = PageView(app.print, app.settings, v, 254, 254, 5000, 5000);
  const auto cut = PageView(app.print, app.settings, v, 254, 254, 300, 200);
  ASSERT_TRUE(full && cut);
  // 100 mm at 10 dots per mm
  EXPECT_EQ(std::pair(full->clientWidth, full->clientHeight), std::pair(1000, 500));
  EXPECT_EQ(std::pair(cut->clientWidth, cut->clientHeight), std::pair(300, 200));
  for (const auto& [x, y] : {std::pair{0, 50000}, std::pair{20000, 40000}}) {
    EXPECT_DOUBLE_EQ(ToWindowX(*full, x), ToWindowX(*cut, x));
    EXPECT_DOUBLE_EQ(ToWindowY(*full, y), ToWindowY(*cut, y));
  }
  // Only what is on the paper is walked.
  EXPECT_EQ(std::pair(cut->window.xmax, cut->window.ymin), std::pair(30000, 30000));
  app.print.magnification = 0;
  EXPECT_FALSE(PageView(app.print, app.settings, v, 254, 254, 300, 200));
  app.print = {5, 0, 5, 100, 1, 0};
  EXPECT_FALSE(PageView(app.print, app.settings, v, 254, 254, 300, 200));
}

TEST(PrinterEntry, IsSplitIntoDeviceDriverAndPort) {
  struct Case {
    std::string entry;
    bool found;
    std::string device, driver, port;
  } cases[] = {{"HP LaserJet 4,winspool, LPT1:", true, "HP LaserJet 4", "winspool", "LPT1:"},
               {"PDF,Lavinor,  /tmp/a b.pdf", true, "PDF", "Lavinor", "/tmp/a b.pdf"},
               {"OnlyName", true, "OnlyName", "", ""},
               {"\x95\x5C,drv,port", true, "\x95\x5C", "drv", "port"},  // 表: a trail byte of 0x5C
               {"a,b,c,d", true, "a", "b", "c,d"},
               {"", false, "", "", ""},
               // The entry is read to 130 characters.
               {std::string(140, 'x') + ",drv,port", true, std::string(130, 'x'), "", ""}};
  for (const auto& c : cases) {
    const auto n = ParsePrinterEntry(c.entry);
    ASSERT_EQ(n.has_value(), c.found) << c.entry;
    if (n) {
      EXPECT_EQ(std::tie(n->device, n->driver, n->port), std::tie(c.device, c.driver, c.port));
    }
  }
}

TEST_F(Printing, ThePagePrintsTheViewAsTheWindowShowsItAndTwicePrintsTheSame) {
  ASSERT_TRUE(draw());
  const int onScreen = countAll(kRed);
  ASSERT_GT(onScreen, 350);
  PrintView(app);
  ASSERT_EQ(log.printed.size(), 1u);
  EXPECT_EQ(std::pair(opened->device, opened->port),
            (std::pair<std::string, std::string>("Fake Printer", "LPT1:")));
  const QImage& page = log.printed[0];
  // Printer dots where the screen has pixels: the same rectangle in the same place.
  EXPECT_NEAR(countOn(page, kRed), onScreen, 8);
  for (int y = 0; y < 300; y += 7)
    for (int x = 0; x < 400; x += 7)
      EXPECT_EQ((page.pixel(x, y) & 0xFFFFFF) == kRed, surface.pixel(x, y) == kRed)
          << x << " " << y;
  const PrintState first = app.print;
  // The view changes, the second print does not: the print area is kept.
  ZoomToCorners(app.display.view, 1000, 0, 0, 80, 60);
  PrintView(app);
  ASSERT_EQ(log.printed.size(), 2u);
  EXPECT_TRUE(log.printed[1] == log.printed[0]);
  EXPECT_EQ(std::pair(app.print.x1, app.print.magnification),
            std::pair(first.x1, first.magnification));
  // 400 pixels at 300 dpi are 33.867 mm for 40 user units.
  EXPECT_EQ(shown, "X 33.867mm Y 25.4mm");
  // Printing is over and the screen's view is back.
  EXPECT_EQ(std::pair(app.print.printing, app.display.view.window.xmax), std::pair(0, 80000));
}

TEST_F(Printing, EveryWayOutEndsTheDocumentAndClearsPrinting) {
  struct Case {
    const char* what;
    int documentResult, pageResult;
    bool cancel, degenerate, escape;
    int documents, aborts, printed;
    const char* box;
    const char* entry = "Fake Printer,fakedrv, LPT1:";
    bool device = true;
  } cases[] = {{"printed", 1, 1, false, false, false, 1, 0, 1, nullptr},
               {"cancelled", 1, 1, true, false, false, 0, 0, 0, nullptr},
               {"document refused", 0, 1, false, false, false, 1, 0, 0,
                "プリントエラー No. 0  0  \n 77 fakedrv･Fake Printer･LPT1:"},
               {"page refused", 1, -3, false, false, false, 1, 1, 0,
                "プリントエラー No. 1  -3  \n 77 fakedrv･Fake Printer･LPT1:"},
               {"empty area", 1, 1, false, true, false, 1, 1, 0, nullptr},
               // Without a printer or its device the print ends before its dialog, silently.
               {"no printer", 1, 1, false, false, false, 0, 0, 0, nullptr, ""},
               {"no device", 1, 1, false, false, false, 0, 0, 0, nullptr, "Fake,drv,port", false},
               {"escape", 1, 1, false, false, true, 1, 1, 0, nullptr}};
  for (const auto& c : cases) {
    log = {};
    log.documentResult = c.documentResult;
    log.pageResult = c.pageResult;
    host.boxes.clear();
    host.dialogsRun.clear();
    lines.clear();
    host.printerEntry = c.entry;
    device = c.device;
    app.print.x0 = app.print.x1 = 0;
    inDialog = [&c](PrintDialog& d) {
      if (c.degenerate) d.editLowerLeft(d.upperRight);
      if (c.cancel) d.cancel();
    };
    int steps = 0;
    host.onMessageStep = [&](bool& flag) {
      if (c.escape && ++steps == 1) flag = false;
    };
    SCOPED_TRACE(c.what);
    const Extent view = app.display.view.window;
    PrintView(app);
    EXPECT_EQ(std::tuple(log.documents, log.aborts, static_cast<int>(log.printed.size()),
                         log.documentEnds),
              std::tuple(c.documents, c.aborts, c.printed, c.printed));
    // Not printing, screen text colours again, arrays by their bitmap, the screen's view back.
    EXPECT_EQ(std::tuple(app.print.printing, app.screenText.printColourMode, app.settings.arrayMap,
                         app.continueFlag, app.display.view.window.xmax),
              std::tuple(0, -1, 1, true, view.xmax));
    if (c.box)
      EXPECT_TRUE(lav::testing::OneBox(host, c.box, "Lavinor", Icon::Information));
    else
      EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(printed("*** Abortion ***"), c.escape);
    if (c.device && *c.entry) continue;
    EXPECT_TRUE(host.dialogsRun.empty());
    EXPECT_FALSE(app.print.rectSet());
  }
}

TEST_F(Printing, TheColourModeTurnsForegroundAndGreyPensBlack) {
  app.display.blackBackground = true;
  rect(0, 1000, 1000, 5000, 5000);    // foreground: white on black
  rect(7, 25000, 1000, 29000, 5000);  // grey
  constexpr Rgb kBlack = MakeRgb(0, 0, 0), kGrey = MakeRgb(127, 127, 127);
  struct Case {
    int mode;
    bool foregroundBlack, greyLeft;
  } cases[] = {{0, false, true}, {1, true, true}, {2, true, false}};
  for (const auto& c : cases) {
    log = {};
    app.settings.printMode = c.mode;
    PrintView(app);
    ASSERT_EQ(log.printed.size(), 1u);
    const QImage& page = log.printed[0];
    EXPECT_GT(countOn(page, kWhite), 790000);  // the paper itself
    EXPECT_EQ(countOn(page, kGrey) > 150, c.greyLeft) << c.mode;
    EXPECT_GT(countOn(page, kRed), 350) << c.mode;
    // The foreground square's outline: white (invisible on paper) or black; and the grey one.
    const int black = countOn(page, kBlack);
    EXPECT_EQ(black > 150, c.foregroundBlack) << c.mode;
    EXPECT_EQ(black > 300, !c.greyLeft) << c.mode;
  }
}

class PrintCommand : public lav::testing::TypingSession {};

TEST_F(PrintCommand, TheTokenSetsThePrintModeAndPrintingFollows) {
  int dialogs = 0;
  PrinterLog log;
  host.printerEntry = "Fake,drv,port";
  host.printerFactory = [&log](const PrinterName&) -> std::unique_ptr<PrinterDevice> {
    return std::make_unique<FakePrinter>(log);
  };
  host.dialogHandlers["print-settings"] = [&](DialogModel& m) {
    ++dialogs;
    dynamic_cast<PrintDialog&>(m).cancel();
  };
  const std::pair<const char*, int> cases[] = {{"PRINT 1", 1}, {"PRINT 7", 1},  {"PRINT", 1},
                                               {"PRINT 0", 0}, {"PRINT 2x", 0}, {"PRINT 2", 2}};
  for (const auto& [line, mode] : cases) {
    type(line);
    EXPECT_EQ(app.settings.printMode, mode) << line;
  }
  EXPECT_EQ(std::tuple(dialogs, log.documents, host.boxes.size(), app.dispatch.errorsReported),
            std::tuple(6, 0, 0u, 0L));
  EXPECT_EQ(prompt(), "? ");
  for (const auto& l : lines) EXPECT_EQ(l.find("not available"), std::string::npos) << l;
}

namespace fs = std::filesystem;

bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The same design printed by the Qt printer into a PDF file in the test's folder.
class PdfPrinting : public Printing {
 protected:
  void SetUp() override {
    Printing::SetUp();
    host.printerEntry = "PDF,Lavinor," + (dir / "page.pdf").string();
    host.printerFactory = [](const PrinterName& n) { return qt::OpenPrinter(n); };
    rect(1, 0, 0, 40000, 30000);  // cyan, the edge of the view
  }
  lav::testing::ScratchFolder folder;
  fs::path dir = folder.dir;
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
  // One page; A4 is the size it renders to.
  EXPECT_TRUE(std::regex_search(infoText, std::regex(R"(Pages:\s+1\n)"))) << infoText;
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
    inDialog = nullptr;
    if (unwritable)
      host.printerEntry = "PDF,Lavinor," + (dir / "missing" / "page.pdf").string();
    else
      inDialog = [](PrintDialog& d) { d.cancel(); };
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
