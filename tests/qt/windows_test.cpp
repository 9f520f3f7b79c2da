// The windowed program on Qt's offscreen platform: real key and mouse events into the widgets,
// read back through the transcript, the settings file, the design and the Graphics image.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QTextBrowser>
#include <QTranslator>
#include <filesystem>
#include <fstream>

#include "display/screen_text.h"
#include "qt/qt_translations.h"
#include "qt/status_window_widget.h"
#include "qt/toolbar_window.h"
#include "support/windowed_program.h"

namespace lav::qt {
namespace {

namespace fs = std::filesystem;

class WindowsTest : public lav::testing::WindowedProgram {
 protected:
  WindowsTest() : WindowedProgram("windows") {}
  bool start(std::vector<std::string> args = {}) { return tryStart(builtProgramDir(), args); }
  QWidget* view() { return program->command->view(); }
  // A new design with cell TOP open, 10 database units a pixel: a click snaps to whole units.
  int openCellAtTenUnitsAPixel(const char* design) {
    typeLines({design, "MKCELL TOP", "OCELL TOP"});
    auto& v = program->app.display.view;
    v.scale = 0.1;
    v.offsetX = 0;
    v.offsetY = 0;
    return v.clientHeight;
  }
  // A left click on user point (x, y) of that view, a few pixels off it.
  void clickUnit(int x, int y) {
    const int h = program->app.display.view.clientHeight;
    QTest::mouseClick(program->graphics, Qt::LeftButton, {}, QPoint(x * 100 + 3, h - y * 100 - 2));
    settle();
  }
  void copySample() {
    fs::copy_file(fs::path(LAVINOR_DATA_DIR) / "samples" / "sample.cad", dir / "work" / "chip.CAD");
  }
};

TEST_F(WindowsTest, KeysTypedIntoEitherWindowRunCommands) {
  ASSERT_TRUE(start());
  ASSERT_TRUE(program->command && program->graphics && program->status);
  EXPECT_EQ(setting("起動状態", "OPEN"), "1");
  typeLine("NEW demo");
  EXPECT_TRUE(program->app.design.isOpen());
  EXPECT_TRUE(transcriptHas("? NEW demo"));
  EXPECT_EQ(program->command->windowTitle().toStdString().rfind("dravel: ", 0), 0u);
  typeLine("1+2*3");
  EXPECT_TRUE(transcriptHas("7."));
  // Up recalls the last line; Escape abandons it.
  QTest::keyClick(view(), Qt::Key_Up);
  EXPECT_EQ(program->app.window.input, "1+2*3");
  QTest::keyClick(view(), Qt::Key_Escape);
  EXPECT_EQ(program->app.window.input, "");
  // Keys typed into the Graphics Window go to the command line.
  QTest::keyClicks(program->graphics, "2*4");
  QTest::keyClick(program->graphics, Qt::Key_Return);
  settle();
  EXPECT_TRUE(transcriptHas("8."));
  // A key that produces a Japanese character, then one committed by the input method.
  QTest::keyClicks(view(), "ECHO ");
  QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("層"));
  QApplication::sendEvent(view(), &key);
  QInputMethodEvent ime;
  ime.setCommitString(QString::fromUtf8("名"));
  QApplication::sendEvent(view(), &ime);
  EXPECT_EQ(program->app.window.input, sjis::fromUtf8("ECHO 層名"));
  QTest::keyClick(view(), Qt::Key_Left);
  EXPECT_EQ(program->app.window.caret, sjis::fromUtf8("ECHO 層").size()) << "over both bytes";
  QTest::keyClick(view(), Qt::Key_End);  // End opens the help; the caret stays
  QTest::keyClick(view(), Qt::Key_Right);
  QTest::keyClick(view(), Qt::Key_Backspace);
  QTest::keyClick(view(), Qt::Key_Backspace);
  EXPECT_EQ(program->app.window.input, "ECHO ");
  QTest::keyClick(view(), Qt::Key_Tab);
  EXPECT_EQ(program->app.window.input, "ECHO  ");
  QTest::keyClick(view(), Qt::Key_Escape);
  typeLine("EXIT");
  EXPECT_TRUE(program->ended());
}

TEST_F(WindowsTest, ClicksTypeSnappedPointsCoordinateEntryHoldsThePointerPickedOnesGoWhereAsked) {
  ASSERT_TRUE(start());
  const int h = openCellAtTenUnitsAPixel("NEW CONFINE.CAD");
  // (123, h - 57) is 1.23, 0.57 in user units: 1, 1 on the step of 1.
  QTest::mouseClick(program->graphics, Qt::RightButton, {}, QPoint(123, h - 57));
  EXPECT_EQ(program->app.window.input, " 1.000 1.000 ");
  QTest::keyClick(view(), Qt::Key_Escape);
  QTest::mouseClick(program->graphics, Qt::LeftButton, {}, QPoint(150, h - 250));
  settle();
  EXPECT_TRUE(transcriptHas("2.  3."));
  // The Status Window shows the pointer.
  EXPECT_DOUBLE_EQ(program->app.shell.pointer.userX, 2.0);
  EXPECT_DOUBLE_EQ(program->app.shell.pointer.userY, 3.0);

  GraphicsWindowWidget* g = program->graphics;
  typeLine("XY");  // no points: the keyboard cursor starts
  ASSERT_TRUE(g->confined());
  EXPECT_EQ(QWidget::mouseGrabber(), g);
  const struct {
    QPoint at;
    int x, y;  // where the pointer is taken to be
  } moves[] = {{{-40, 10}, 0, 10},
               {{10, 5000}, 10, g->height() - 1},
               {{5000, -7}, g->width() - 1, 0},
               {{20, 30}, 20, 30}};
  for (const auto& m : moves) {
    QMouseEvent e(QEvent::MouseMove, QPointF(m.at), g->mapToGlobal(QPointF(m.at)), Qt::NoButton,
                  Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(g, &e);
    EXPECT_EQ(std::pair(program->app.shell.pointer.pixelX, program->app.shell.pointer.pixelY),
              std::pair(m.x, m.y))
        << m.at.x() << "," << m.at.y();
  }
  QTest::keyClick(view(), Qt::Key_Escape);
  settle();
  EXPECT_FALSE(g->confined());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  // Picked coordinates go to the coordinate window when asked.
  typeLines({"ETYPE 3", "XY 0 0 10 10", "OUTPUT"});
  const auto window = [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "coordinates" && w->isVisible()) return w;
    return static_cast<QWidget*>(nullptr);
  };
  typeLines({"GETXY", "10 10"});
  EXPECT_TRUE(transcriptHas("10.")) << "on the command line by default";
  EXPECT_FALSE(window());
  typeLines({"", "SHOWLOC 1", "GETXY"});
  const auto linesBefore = transcript().size();
  typeLine("10 10");
  ASSERT_TRUE(window());
  QLabel* text = window()->findChild<QLabel*>("coordinates-text");
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->text().contains("10.")) << text->text().toStdString();
  EXPECT_LE(transcript().size(), linesBefore + 1) << "not printed again on the command line";
  typeLines({"", "SHOWLOC 0"});
  EXPECT_FALSE(window());
}

TEST_F(WindowsTest, FiguresDrawnWithAPreviewAndARubberBandAndPickedWithTheMouse) {
  ASSERT_TRUE(start());
  const int h = openCellAtTenUnitsAPixel("NEW MOUSE.CAD");
  GraphicsWindowWidget* g = program->graphics;
  typeLines({"ETYPE 4", "XY"});
  for (auto [x, y] : std::vector<std::pair<int, int>>{{1, 1}, {5, 1}, {5, 4}}) clickUnit(x, y);
  ASSERT_EQ(program->app.temp.count, 3);
  g->refresh();
  const QColor back = program->app.shell.whiteBackground ? Qt::white : Qt::black;
  const QColor red(255, 0, 0);
  auto pixel = [&](int x, int y) { return QColor(g->image().pixel(x, y)); };
  auto redIn = [&](QRect r) { return lav::testing::CountColour(g->image(), r, red); };
  EXPECT_GT(redIn(QRect(420, h - 190, 60, 60)), 20) << "the polygon's hatch";
  EXPECT_GT(redIn(QRect(150, h - 103, 300, 6)), 250) << "its first edge";
  const int m = display::MarkSizeOf(program->app);
  EXPECT_EQ(pixel(100 - m, h - 100), red) << "the first point's diamond";
  EXPECT_EQ(pixel(500 + m - 1, h - 400), red) << "the last point's diamond";
  // The rubber band runs from the last point (5, 4) to where a click would enter (1, 4).
  EXPECT_EQ(pixel(300, h - 400), back);
  QMouseEvent move(QEvent::MouseMove, QPointF(103, h - 402), g->mapToGlobal(QPointF(103, h - 402)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(g, &move);
  EXPECT_NE(pixel(300, h - 400), back) << "the band is drawn";
  EXPECT_NE(pixel(200, h - 400), back);
  EXPECT_EQ(pixel(300, h - 380), back);
  QTest::keyClick(view(), Qt::Key_Escape);
  settle();
  EXPECT_EQ(pixel(300, h - 400), back) << "the band goes with the input";
  EXPECT_GT(redIn(QRect(420, h - 190, 60, 60)), 20) << "the figure stays until it is output";

  typeLine("XY");  // the entry goes on with the points kept
  for (auto [x, y] : std::vector<std::pair<int, int>>{{1, 4}, {1, 1}}) clickUnit(x, y);
  ASSERT_EQ(program->app.temp.count, 5);
  EXPECT_EQ(std::pair(program->app.temp.points[2].x, program->app.temp.points[2].y),
            std::pair(5.0, 4.0));
  typeLines({"", "OUTPUT"});
  EXPECT_TRUE(program->app.temp.empty());
  // The polygon is in the cell: a click near its edge takes it back into the layer.
  typeLine("TAKE");
  QTest::mouseClick(g, Qt::LeftButton, {}, QPoint(300, h - 101));
  settle();
  ASSERT_EQ(program->app.temp.count, 5);
  EXPECT_EQ(program->app.settings.elementType, 4);
  EXPECT_EQ(program->app.temp.points[1].x, 5);
  // The Graphics image shows the figure's outline where it was drawn.
  const QImage shot = g->grab().toImage();
  int lit = 0;
  for (int x = 110; x < 490; x += 10) lit += shot.pixelColor(x, h - 100) != back;
  EXPECT_GT(lit, 30) << "the bottom edge is drawn";
}

TEST_F(WindowsTest, EveryEnteredLineStaysInTheTranscriptAsTyped) {
  copySample();
  ASSERT_TRUE(start());
  // Each of these lines redraws the design or works on its file, stepping the window messages
  // meanwhile, so that the Command Window paints before the line enters the transcript.
  typeLines({"OPEN chip", "OCELL TOP", "ZOOM 2", "FIT", "REDRAW", "CENTER", "10 10"});
  QTest::mouseClick(program->toolbarWindow()->button(7), Qt::LeftButton, {}, QPoint(11, 11));
  settle();
  typeLine("0.5");  // the Zoom button's prompt
  QTest::keyClick(view(), Qt::Key_F1);
  settle();
  QTest::mouseClick(program->toolbarWindow()->button(6), Qt::LeftButton, {}, QPoint(11, 11));
  settle();
  for (QAction* a : program->command->findChildren<QAction*>())
    if (a->data().toInt() == 17) a->trigger();
  settle();
  typeLine("CLOSE");  // the write steps the messages too
  std::vector<std::string> entered;
  for (const auto& l : transcript())
    if (l.rfind("? ", 0) == 0 || l.rfind("Point: ", 0) == 0 || l.rfind("Zoom Up: ", 0) == 0)
      entered.push_back(l);
  const std::vector<std::string> typed = {
      "? OPEN chip", "? OCELL TOP",  "? ZOOM 2", "? FIT", "? REDRAW", "? CENTER", "Point: 10 10",
      "? ZOOM",      "Zoom Up: 0.5", "? FIT",    "? FIT", "? FIT",    "? CLOSE"};
  EXPECT_EQ(entered, typed);
}

TEST_F(WindowsTest, CaretBlinksOnlyWhileTheProgramsOwnWindowIsActive) {
  ASSERT_TRUE(start());
  auto* v = program->command->view();
  program->command->activateWindow();
  if (!QTest::qWaitForWindowActive(program->command)) GTEST_SKIP() << "no window activation";
  const bool first = v->caretVisible();
  QTest::qWait(QApplication::cursorFlashTime() / 2 + 100);
  EXPECT_NE(v->caretVisible(), first) << "the caret blinks";
  QDialog dialog(program->command);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(v->caretVisible()) << "a dialog has the keyboard";
    QTest::qWait(QApplication::cursorFlashTime() / 2);
  }
}

TEST_F(WindowsTest, ClosingTheCommandWindowAsksToSaveAndEndsEverything) {
  ASSERT_TRUE(start());
  typeLines({"NEW keep", "MKCELL A"});
  ASSERT_TRUE(program->app.design.isOpen());
  std::vector<std::pair<std::string, Buttons>> asked;
  program->host.boxHook = [&](std::string_view, std::string_view caption, Icon, Buttons b) {
    asked.push_back({sjis::toUtf8(std::string(caption)), b});
    return Answer::Yes;
  };
  program->command->close();
  settle();
  EXPECT_EQ(asked, (std::vector<std::pair<std::string, Buttons>>{{"終了処理", Buttons::YesNo}}));
  EXPECT_TRUE(program->ended() && !program->app.design.isOpen());
  EXPECT_TRUE(!program->graphics && !program->status);
  bool written = false;
  for (const auto& e : fs::directory_iterator(dir / "work"))
    written |= e.path().extension() == ".cad" || e.path().extension() == ".CAD";
  EXPECT_TRUE(written);
  for (const char* key : {"Command Window", "Graphics Window", "Status Window"})
    EXPECT_NE(setting("WindowSize", key), "<none>") << key;
  EXPECT_NE(setting("Toolbar", "Toolbar"), "<none>");
  program->finish();
  EXPECT_EQ(setting("起動状態", "OPEN"), "0");
}

// Without the required files the program does not start and writes no settings; while it runs,
// a second start is refused; closing its Graphics Window ends it. Where the windows stand and what
// is saved of them is checked on a real X server, with and without a window manager
// (window_frames_test.cpp).
TEST_F(WindowsTest, StartRefusedWithoutTheRequiredFilesOrWhileRunningGraphicsCloseEndsIt) {
  fs::create_directories(dir / "empty");
  EXPECT_FALSE(tryStart((dir / "empty").string(), {}));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("MOJIDATA.DAT"), std::string::npos);
  EXPECT_FALSE(program->command);
  EXPECT_FALSE(fs::exists(ini()));
  boxes.clear();
  ASSERT_TRUE(start());
  auto first = std::move(program);
  EXPECT_FALSE(start());
  EXPECT_EQ(boxes, std::vector<std::string>{"すでに起動されています"});
  program = std::move(first);
  // Closing the Graphics Window ends the program; no design open, no question.
  boxes.clear();
  program->graphics->close();
  settle();
  EXPECT_TRUE(program->ended() && !program->command && !program->status);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowsTest, DesignNamedOnTheCommandLineIsOpenedAndDrawnAfterTheAutoMacro) {
  copySample();
  std::ofstream(dir / "work" / "AUTO.MAC", std::ios::binary) << "OCELL PAD\r\nNEST 3\r\n";
  ASSERT_TRUE(start({"/s", (dir / "work" / "chip.CAD").string()}));
  settle();
  ASSERT_TRUE(program->app.design.hasCell()) << "opened at the first paint, then AUTO.MAC";
  EXPECT_EQ(program->app.design.current.name, "PAD");
  EXPECT_EQ(program->app.settings.nest, 3);
  // 250 database units a pixel; the design origin 40 pixels in from the bottom-left corner.
  auto& v = program->app.display.view;
  v.scale = 0.004;
  v.offsetX = -40;
  v.offsetY = -40;
  v.window = {-10000, -10000, static_cast<std::int32_t>((v.clientWidth - 40) / v.scale),
              static_cast<std::int32_t>((v.clientHeight - 40) / v.scale)};
  program->graphics->requestRepaint();
  program->graphics->refresh();
  const QImage& img = program->graphics->image();
  ASSERT_GT(img.width(), 400);
  ASSERT_GT(img.height(), 400);
  const QColor background = img.pixel(img.width() - 2, 1);
  // The pad covers 0..80 user units: pixels 40..360 across, ch-40 up to ch-360.
  const int ch = v.clientHeight;
  const QRect pad = QRect(40, ch - 360, 321, 321).adjusted(-2, -2, 2, 2);
  auto drawn = [&](const QRect& r) {
    return r.width() * r.height() - lav::testing::CountColour(img, r, background);
  };
  const int inside = drawn(pad), outside = drawn(img.rect()) - inside;
  EXPECT_GT(inside, 1000) << "the pad's rectangles show";
  EXPECT_GT(drawn(QRect(39, ch - 349, 3, 299)), 250) << "its left edge is drawn along its height";
  EXPECT_EQ(outside, 0) << "nothing is drawn outside the pad";
}

// GDSIN and DXFIN without a name open the file dialog on the filter their command asks for, and
// CMDLIST its list; each opens over the Graphics Window, Qt's texts in Japanese, with the
// Toolbar (which stays on top of everything) out of its way until it closes.
TEST_F(WindowsTest, DialogsOpenOverTheDrawingInJapaneseWithTheToolbarAside) {
  QTranslator* ja = InstallQtJapanese();
  ASSERT_NE(ja, nullptr) << "Qt's Japanese catalogue (qt6-translations-l10n)";
  ASSERT_TRUE(start());
  ASSERT_TRUE(program->toolbar && program->toolbar->isVisible());
  const struct {
    const char* line;
    const char* filter;
  } cases[] = {{"GDSIN", "Files(*.STR) (*.STR *.str)"},
               {"DXFIN", "Files(*.DXF) (*.DXF *.dxf)"},
               {"CMDLIST", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_TRUE(lav::testing::WithModalDialog(
        [&] { typeLine(c.line); },
        [&](QDialog& m) {
          EXPECT_TRUE(program->graphics->frameGeometry().contains(m.frameGeometry().center()));
          EXPECT_FALSE(program->toolbar->isVisible());
          if (!c.filter) return m.reject();
          auto* files = qobject_cast<QFileDialog*>(&m);
          ASSERT_NE(files, nullptr);
          EXPECT_EQ(files->selectedNameFilter().toStdString(), c.filter);
          auto* lookIn = files->findChild<QLabel*>("lookInLabel");
          ASSERT_NE(lookIn, nullptr);
          EXPECT_EQ(lookIn->text(), QCoreApplication::translate("QFileDialog", "Look in:"));
          EXPECT_NE(lookIn->text(), "Look in:");
          m.reject();
        }));
    EXPECT_TRUE(program->toolbar->isVisible()) << "back when the dialog closed";
  }
  QCoreApplication::removeTranslator(ja);
  delete ja;
}

// End and the Help menu hand the manual to the system's browser through xdg-open; where it finds
// no handler, or there is no xdg-open, the program shows the manual in one window of its own.
TEST_F(WindowsTest, HelpOpensInTheBrowserOrElseInAWindowOfTheProgram) {
  ASSERT_TRUE(start());
  auto helpWindows = [] {
    std::vector<QTextBrowser*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "help" && w->isVisible())
        out.push_back(qobject_cast<QTextBrowser*>(w));
    return out;
  };
  QAction* menuItem = nullptr;
  for (QAction* a : program->command->findChildren<QAction*>())
    if (a->text() == QString::fromUtf8("ヘルプの目次")) menuItem = a;
  ASSERT_NE(menuItem, nullptr);
  // A stand-in xdg-open notes the page it was given and answers with the status of its case.
  const fs::path bin = dir / "bin", handed = dir / "handed.txt";
  fs::create_directories(bin);
  const std::string oldPath = std::getenv("PATH");
  const struct {
    int status;  // -1: no xdg-open at all
    bool byMenu;
  } cases[] = {{0, false}, {0, true}, {3, false}, {-1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "xdg-open " << c.status << " menu " << c.byMenu);
    fs::remove(bin / "xdg-open");
    if (c.status >= 0) {
      std::ofstream(bin / "xdg-open")
          << "#!/bin/sh\necho \"$1\" >> '" << handed.string() << "'\nexit " << c.status << "\n";
      fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    }
    ::setenv("PATH", bin.c_str(), 1);
    fs::remove(handed);
    if (c.byMenu)
      menuItem->trigger();
    else
      QTest::keyClick(view(), Qt::Key_End);
    const bool shows = c.status != 0;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return shows ? !helpWindows().empty() : fs::exists(handed); }, 5000));
    QTest::qWait(100);
    ::setenv("PATH", oldPath.c_str(), 1);
    if (c.status >= 0) {
      std::ifstream in(handed);
      std::string url;
      std::getline(in, url);
      EXPECT_EQ(url.rfind("file://", 0), 0u) << url;
      EXPECT_TRUE(url.ends_with("/HLP/LAVINOR.html")) << url;
    }
    EXPECT_EQ(helpWindows().size(), shows ? 1u : 0u);
  }
  QTextBrowser* help = helpWindows().front();
  EXPECT_EQ(help->windowTitle(), QString::fromUtf8("Lavinor 取扱説明書 / User's Manual"));
  EXPECT_TRUE(help->toPlainText().contains("GDSIN"));
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace lav::qt
