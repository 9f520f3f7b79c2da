// The windowed program on Qt's offscreen platform: real key and mouse events into the widgets,
// read back through the transcript, the settings file, the paint file, the design and the pixels
// the windows draw; the Toolbar, the paint palette and the Status Window; the layer dialogs
// opened by their typed commands, changed through their widgets (found by control number),
// closed with "終了" or Escape, and the drawing after. And the main windows on a real X server
// (Xvfb), under a window manager (openbox) and without one: each window's frame stands where the
// layout puts the window, its client area inside, and the rectangle saved at the end is the
// frame's, so that the next start puts the frame back there. The test program runs itself again
// on its own X server for each case.
//
// The model dialogs on Qt widgets, used as a user uses them. The five cell dialogs: a click on a
// list line, names typed into the fields, the action button, a double click, Escape; and a
// dialog model that has no window here, which must be refused aloud and end as a cancel. The
// tree report's dialogs: the list shows the report with its connectors, the child-cell button is
// disabled, and the open-cell button opens the cell; only a row the user picked is a choice,
// there and in the command list.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>
#include <QTranslator>
#include <QWindow>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "command/cell_dialogs.h"
#include "command/command_list_dialog.h"
#include "command/tree_dialogs.h"
#include "console/command_file.h"
#include "db/cell_commands.h"
#include "db/cell_directory.h"
#include "db/design_builder.h"
#include "db/design_files.h"
#include "interchange/tree_report.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "qt/paint_palette_window.h"
#include "qt/qt_dialogs.h"
#include "qt/qt_translations.h"
#include "qt/status_window_widget.h"
#include "qt/toolbar_window.h"
#include "shell/startup.h"
#include "state/app_state.h"
#include "support/qt_application.h"
#include "support/short_forms.h"
#include "support/windowed_program.h"

namespace lav::qt {
namespace {

namespace fs = std::filesystem;

// The visible top-level windows of that name.
std::vector<QWidget*> Shown(const char* name) {
  std::vector<QWidget*> out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == name && w->isVisible()) out.push_back(w);
  return out;
}

class WindowsTest : public lav::testing::WindowedProgram {
 protected:
  explicit WindowsTest(int settleRounds = 5) : WindowedProgram("windows", settleRounds) {}
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

TEST_F(WindowsTest, ClicksTypeSnappedPointsEntryHoldsThePointerFiguresShowAPreviewAndABand) {
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
  typeLines({"GETXY", "10 10"});
  EXPECT_TRUE(transcriptHas("10.")) << "on the command line by default";
  EXPECT_TRUE(Shown("coordinates").empty());
  typeLines({"", "SHOWLOC 1", "GETXY"});
  const auto linesBefore = transcript().size();
  typeLine("10 10");
  ASSERT_EQ(Shown("coordinates").size(), 1u);
  QLabel* text = Shown("coordinates")[0]->findChild<QLabel*>("coordinates-text");
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->text().contains("10.")) << text->text().toStdString();
  EXPECT_LE(transcript().size(), linesBefore + 1) << "not printed again on the command line";
  typeLines({"", "SHOWLOC 0"});
  EXPECT_TRUE(Shown("coordinates").empty());
  // Figures entered with the mouse show a preview and a rubber band, in a design of their own.
  typeLine("CLOSE 0");
  openCellAtTenUnitsAPixel("NEW MOUSE.CAD");
  typeLines({"ETYPE 4", "XY"});
  for (auto [x, y] : std::vector<std::pair<int, int>>{{1, 1}, {5, 1}, {5, 4}}) clickUnit(x, y);
  ASSERT_EQ(program->app.temp.count, 3);
  g->refresh();
  const QColor back = program->app.shell.whiteBackground ? Qt::white : Qt::black;
  const QColor red(255, 0, 0);
  auto pixel = [&](int x, int y) { return QColor(g->image().pixel(x, y)); };
  auto redIn = [&](QRect r) { return lav::testing::CountColour(g->image(), r, red); };
  // The preview shows on the widget (its marks and edges are the render tests').
  EXPECT_GT(redIn(QRect(420, h - 190, 60, 60)), 20) << "the polygon's hatch";
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

  // The window's own paint shows the figure's outline where it was drawn. Going on with the
  // entry, output and taking a figure back are the entry commands' tests.
  const QImage shot = g->grab().toImage();
  int lit = 0;
  for (int x = 110; x < 490; x += 10) lit += shot.pixelColor(x, h - 100) != back;
  EXPECT_GT(lit, 30) << "the bottom edge is drawn";
}

TEST_F(WindowsTest, EveryEnteredLineStaysInTheTranscriptAsTypedAndKeysInEitherWindowRunCommands) {
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
  // Keys typed into either window run commands.
  ASSERT_TRUE(program->command && program->graphics && program->status);
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

// While the program runs a second start is refused (a start without the required files takes the
// same way out; its message and the untouched settings are the start-up tests'); closing its
// Graphics Window ends it. Where the windows stand and what is saved of them is checked on a real
// X server, with and without a window manager (WindowFrames, below).
TEST_F(WindowsTest, ASecondStartIsRefusedAndClosingTheGraphicsWindowEndsTheProgram) {
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

TEST_F(WindowsTest, ADesignNamedOnTheCommandLineOpensBeforeTheAutoMacroDialogsOpenOverIt) {
  copySample();
  std::ofstream(dir / "work" / "AUTO.MAC", std::ios::binary) << "OCELL PAD\r\nNEST 3\r\n";
  ASSERT_TRUE(start({"/s", (dir / "work" / "chip.CAD").string()}));
  settle();
  ASSERT_TRUE(program->app.design.hasCell()) << "opened at the first paint, then AUTO.MAC";
  EXPECT_EQ(program->app.design.current.name, "PAD");
  EXPECT_EQ(program->app.settings.nest, 3);
  // What the Graphics Window draws of an open cell, and where, is seen in the tests of figures
  // entered with the mouse and of the layer dialogs.
  // GDSIN without a name opens the file dialog on the filter its command asks for (each
  // converter's filter is the converters' tests'), and CMDLIST its list; each opens over the
  // Graphics Window, Qt's texts in Japanese, with the Toolbar (which stays on top of everything)
  // out of its way until it closes.
  typeLine("CLOSE 0");
  QTranslator* ja = InstallQtJapanese();
  ASSERT_NE(ja, nullptr) << "Qt's Japanese catalogue (qt6-translations-l10n)";
  ASSERT_TRUE(program->toolbar && program->toolbar->isVisible());
  const struct {
    const char* line;
    const char* filter;
  } cases[] = {{"GDSIN", "Files(*.STR) (*.STR *.str)"}, {"CMDLIST", nullptr}};
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
        QTest::qWaitFor([&] { return shows ? !Shown("help").empty() : fs::exists(handed); }, 5000));
    QTest::qWait(100);
    ::setenv("PATH", oldPath.c_str(), 1);
    if (c.status >= 0) {
      std::ifstream in(handed);
      std::string url;
      std::getline(in, url);
      EXPECT_EQ(url.rfind("file://", 0), 0u) << url;
      EXPECT_TRUE(url.ends_with("/HLP/LAVINOR.html")) << url;
    }
    EXPECT_EQ(Shown("help").size(), shows ? 1u : 0u);
  }
  auto* help = qobject_cast<QTextBrowser*>(Shown("help").front());
  EXPECT_EQ(help->windowTitle(), QString::fromUtf8("Lavinor 取扱説明書 / User's Manual"));
  EXPECT_TRUE(help->toPlainText().contains("GDSIN"));
  EXPECT_TRUE(boxes.empty());
}

class ToolWindowsTest : public WindowsTest {
 protected:
  ToolWindowsTest() : WindowsTest(8) {}
  void SetUp() override {
    WindowsTest::SetUp();
    // A program folder of the test's own, so that PAINTDAT.DAT is this test's.
    const fs::path built = builtProgramDir();
    fs::create_directories(dir / "prog");
    for (const char* f : {"Lavinor.cmd", "MOJIDATA.DAT"})
      fs::copy_file(built / f, dir / "prog" / f);
    fs::copy(built / "icons", dir / "prog" / "icons");
  }
  void start() { startProgram((dir / "prog").string(), {}); }  // from that folder
  std::size_t paintFileSize() {
    std::error_code ec;
    const auto n = fs::file_size(dir / "prog" / "PAINTDAT.DAT", ec);
    return ec ? 0 : static_cast<std::size_t>(n);
  }
};

// The Toolbar at the first paint, its buttons in raised or sunken frames; a button's command
// goes on release inside it; closed, the Toolbar comes back where it was.
TEST_F(ToolWindowsTest, ToolbarButtonsPressReleaseAndAClosedToolbarComesBack) {
  start();
  ToolbarWindow* t = program->toolbarWindow();
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->isVisible());
  EXPECT_EQ(std::pair(t->windowTitle(), t->size()), std::pair(QString("Toolbar"), QSize(46, 262)));
  // First inside the Command Window's right edge, below its menu.
  const int W = program->app.shell.screenWidth;
  EXPECT_EQ(t->pos(), QPoint(std::max(5, W / 4 - 102), 60)) << "room for the palette too";
  for (int i = 0; i < 22; ++i)
    EXPECT_EQ(t->button(i)->geometry(), QRect((i % 2) * 24, (i / 2) * 24, 22, 22)) << i;

  ToolbarButtonWidget* b = t->button(7);  // zoom
  auto pixel = [](const QImage& img, int x, int y) { return QColor(img.pixel(x, y)); };
  const QColor light(255, 255, 255), shade(125, 125, 125);
  QImage up = b->grab().toImage();
  ASSERT_EQ(up.size(), QSize(22, 22));
  EXPECT_EQ(std::tuple(pixel(up, 0, 0), pixel(up, 1, 10), pixel(up, 21, 21), pixel(up, 10, 20)),
            std::tuple(light, light, shade, shade));
  int picture = 0;
  for (int y = 2; y < 20; ++y)
    for (int x = 2; x < 20; ++x) picture += pixel(up, x, y) != QColor(192, 192, 192);
  EXPECT_GT(picture, 40) << "the zoom picture is drawn";
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  QImage down = b->grab().toImage();
  EXPECT_EQ(std::pair(pixel(down, 0, 0), pixel(down, 21, 21)), std::pair(shade, light));
  // The picture moves one pixel down and to the right while pressed.
  EXPECT_EQ(down.copy(3, 3, 16, 16), up.copy(2, 2, 16, 16));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(40, 40));

  // A release inside sends the button's command, one outside does not.
  ToolbarButtonWidget* newFile = program->toolbarWindow()->button(0);
  QTest::mousePress(newFile, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(newFile->pressed());
  QTest::mouseRelease(newFile, Qt::LeftButton, {}, QPoint(30, 10));
  settle();
  EXPECT_FALSE(newFile->pressed());
  EXPECT_EQ(prompt(), "? ") << "released outside: nothing sent";
  QTest::mousePress(newFile, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseRelease(newFile, Qt::LeftButton, {}, QPoint(21, 22));
  settle();
  EXPECT_EQ(prompt(), "File Name: ") << "the new-file command asks for its name";
  typeLine("chip");
  EXPECT_TRUE(program->app.design.isOpen());
  // The layer button asks for the layer, typed into the Command Window from the Toolbar.
  QTest::mouseClick(program->toolbarWindow()->button(19), Qt::LeftButton, {}, QPoint(11, 11));
  settle();
  EXPECT_EQ(prompt().rfind("Layer", 0), 0u) << prompt();
  QTest::keyClicks(program->toolbarWindow(), "7");
  QTest::keyClick(program->toolbarWindow(), Qt::Key_Return);
  settle();
  EXPECT_EQ(program->app.settings.layer, 7);
  // Closed, the Toolbar comes back where it was.
  program->toolbarWindow()->move(200, 300);
  settle();
  program->toolbarWindow()->close();
  settle();
  EXPECT_FALSE(program->toolbar);
  EXPECT_FALSE(program->app.shell.toolbarExists);
  EXPECT_EQ(setting("WindowSize", "Toolbar").rfind("200 300 ", 0), 0u)
      << setting("WindowSize", "Toolbar");
  typeLine("TOOLBAR");
  ASSERT_TRUE(program->toolbarWindow());
  EXPECT_TRUE(program->toolbarWindow()->isVisible());
  EXPECT_EQ(program->toolbarWindow()->pos(), QPoint(200, 300));
  // It is remembered as existing for the next start.
  program->command->close();
  settle();
  EXPECT_EQ(setting("Toolbar", "Toolbar"), "TRUE");
}

TEST_F(ToolWindowsTest, PaintingByTheAutoMacroStatusFieldsAndThePalettesBrushFillingTheDrawing) {
  std::ofstream(dir / "work" / "AUTO.MAC", std::ios::binary) << "PAINT\r\n";
  start();
  EXPECT_EQ(prompt(), "Pn: ");
  ASSERT_TRUE(program->palette && program->palette->isVisible());
  ASSERT_TRUE(program->toolbarWindow());
  EXPECT_FALSE(program->toolbarWindow()->isVisible()) << "the palette stays in front";
  typeLine("x");
  EXPECT_FALSE(program->palette->isVisible());
  EXPECT_TRUE(program->toolbarWindow()->isVisible());
  // The Status Window paints its fields.
  StatusWindowWidget* s = program->status;
  s->resize(900, 90);
  typeLines({"NEW status", "MKCELL TOP", "LAYER 4"});  // layer 4 is red
  settle();
  const shell::StatusLayout& lay = s->layout();
  const int L = program->app.window.lineHeight;
  QImage img = s->grab().toImage();
  auto count = [&](const QRect& r, const QColor& c) {
    return lav::testing::CountColour(img, r, c);
  };
  const int row = lay.bottomRow;
  // Labels on their green background.
  EXPECT_GT(count(QRect(0, row, lay.cellValueX - 1, L), QColor(0, 255, 0)), 50);
  // Values in their own colours: the cell name in white, the layer in its red. Which colour each
  // field takes is checked on the texts themselves (the shell's PointerTest.Status*).
  EXPECT_GT(count(QRect(lay.cellValueX, row, lay.layerLabelX - lay.cellValueX, L), Qt::white), 20);
  EXPECT_GT(
      count(QRect(lay.layerValueX, row, lay.elementLabelX - lay.layerValueX, L), QColor(255, 0, 0)),
      5);

  // Moving the pointer changes the X and Y fields and nothing on the left.
  const QImage before = img;
  auto& v = program->app.display.view;
  v.scale = 0.01;
  QTest::mouseMove(program->graphics, QPoint(300, 200));
  settle();
  img = s->grab().toImage();
  const QRect xy(lay.coordLabelX, row, lay.yRight - lay.coordLabelX, L);
  EXPECT_NE(img.copy(xy), before.copy(xy)) << "the coordinates follow the pointer";
  const QRect left(0, row, lay.coordLabelX, L);
  EXPECT_EQ(img.copy(left), before.copy(left));
  // The palette chooses the brush, and a click fills the drawing.
  ASSERT_TRUE(program->palette);
  EXPECT_FALSE(program->palette->isVisible());
  typeLines({"CLOSE 0", "NEW paint", "MKCELL A", "PAINT"});
  EXPECT_EQ(prompt(), "Pn: ");
  PaintPaletteWindow* pal = program->palette;
  ASSERT_TRUE(pal->isVisible());
  EXPECT_EQ(pal->windowTitle(), "Paint");
  EXPECT_FALSE(program->toolbarWindow()->isVisible()) << "out of the palette's way";
  EXPECT_EQ(pal->pos(), program->toolbarWindow()->pos()) << "in the Toolbar's place";
  QTest::mouseClick(pal->cell(9), Qt::LeftButton, {}, QPoint(15, 10));  // green
  QTest::mouseClick(pal->cell(2), Qt::LeftButton, {}, QPoint(15, 10));  // vertical hatch
  EXPECT_EQ(program->app.display.paintBrush, 2);
  EXPECT_EQ(program->app.display.paintColour, MakeRgb(0, 255, 0)) << "the hatch keeps green";
  settle();
  // The sample shows black hatch lines on green.
  const QImage shot = pal->grab().toImage();
  EXPECT_GT(lav::testing::CountColour(shot, QRect(10, 150, 70, 20), QColor(0, 255, 0)), 1000);
  EXPECT_GT(lav::testing::CountColour(shot, QRect(10, 150, 70, 20), QColor(0, 0, 0)), 100);
  // Cells are bordered; a solid cell is its colour inside.
  const QImage red = pal->cell(8)->grab().toImage();
  EXPECT_EQ(QColor(red.pixel(0, 0)), QColor(0, 0, 0));
  EXPECT_EQ(QColor(red.pixel(15, 10)), QColor(255, 0, 0));

  // A click on the empty drawing fills all of it with the brush.
  QTest::mouseClick(pal->cell(10), Qt::LeftButton, {}, QPoint(15, 10));  // solid blue
  QTest::mouseClick(program->graphics, Qt::LeftButton, {}, QPoint(100, 100));
  settle();
  program->graphics->refresh();
  const QImage& drawn = program->graphics->image();
  EXPECT_EQ(lav::testing::CountColour(drawn, drawn.rect(), QColor(0, 0, 255)),
            drawn.width() * drawn.height());
  EXPECT_EQ(std::pair(paintFileSize(), prompt()), std::pair(std::size_t{16}, std::string("Pn: ")));
  typeLine("end");
  EXPECT_FALSE(pal->isVisible());
  EXPECT_EQ(prompt(), "? ");
  EXPECT_TRUE(program->toolbarWindow()->isVisible()) << "back after painting";
}

using lav::testing::Control;

constexpr QRgb kYellow = 0xFFFFFF00;  // layer 3's pen
constexpr QRgb kRed = 0xFFFF0000;

// Types text over what the field holds, as a user does.
void Retype(QLineEdit* e, const char* text) {
  e->selectAll();
  QTest::keyClick(e, Qt::Key_Backspace);
  QTest::keyClicks(e, QString::fromUtf8(text));
}

class LayerDialogsQt : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    ASSERT_TRUE(start({"/s"}));
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
    if (auto* e = Control<QLineEdit>(d, id)) Retype(e, text);
  }
  // Pixels of colour c inside the square and anywhere outside it.
  int inSquare(QRgb c) const {
    const int ch = program->app.display.view.clientHeight;
    return lav::testing::CountColour(program->graphics->image(), QRect(38, ch - 362, 325, 325), c);
  }
};

TEST_F(LayerDialogsQt, HidingALayerLimitingTheDepthAndAPickedColourRepaintingIt) {
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
  // A picked colour repaints the layer.
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
  EXPECT_GT(inSquare(kRed), 1000);  // the pen kept with the design is the design file's tests'
}

TEST_F(LayerDialogsQt, HatchingSwitchedOffThinnedOutAndAreasHidden) {
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
  // Areas switched off by their element type.
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

// A program state of its own (no windows) in the test's folder, and a model's dialog shown on it.
class ModelDialogsQt : public lav::testing::WindowedProgram {
 protected:
  ModelDialogsQt() : WindowedProgram("dialogs-qt") {}
  // Shows model's dialog and runs script on it once it is up; a dialog left open is rejected.
  void show(DialogModel& model, const std::function<void(QDialog&)>& script) {
    EXPECT_TRUE(lav::testing::WithModalDialog([&] { RunModelDialog(nullptr, app, model); },
                                              [&](QDialog& d) {
                                                script(d);
                                                if (d.isVisible()) d.reject();
                                              }))
        << "the dialog was not up";
  }

  ScriptedHost host;
  AppState app{host};
};

using CellDialogsQt = ModelDialogsQt;

void ClickLine(QDialog& d, const char* text, bool twice = false) {
  auto* list = d.findChild<QListWidget*>();
  ASSERT_TRUE(list);
  const auto found = list->findItems(QString::fromUtf8(text), Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << text;
  const QPoint at = list->visualItemRect(found.front()).center();
  if (twice)
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  else
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}
// Checks what the line's click put into field index, then types text over it.
void TypeField(QDialog& d, int index, const char* filled, const char* text) {
  const auto edits = d.findChildren<QLineEdit*>();
  ASSERT_LT(index, edits.size());
  QLineEdit* e = edits[index];
  EXPECT_EQ(e->text().toStdString(), filled);
  Retype(e, text);
}
void Press(QDialog& d, const char* label) {
  for (auto* b : d.findChildren<QPushButton*>())
    if (b->text() == QString::fromUtf8(label)) return QTest::mouseClick(b, Qt::LeftButton);
  ADD_FAILURE() << "no button " << label;
}

// In turn on one design: A, B and the deleted OLD at the start.
TEST_F(CellDialogsQt, EachDialogActsOnItsWidgetsAndAModelWithoutAWindowIsRefusedAloud) {
  auto has = [&](const char* name) {
    return db::FindCell(app.design.image, name).result == db::FindResult::Found;
  };
  // Shows the model's dialog and runs script on it, which must end it.
  auto use = [&](db::CellListDialog& model, const std::function<void(QDialog&)>& script) {
    host.boxes.clear();
    show(model, [&](QDialog& d) {
      script(d);
      EXPECT_FALSE(d.isVisible()) << "the dialog must end by then";
    });
    EXPECT_TRUE(model.finished);
  };
  ASSERT_TRUE(db::NewDesign(app, "cells"));
  for (const char* name : {"A", "B", "OLD"}) ASSERT_TRUE(db::CreateCell(app, name));
  db::RunCellDeleteDialog(app, {"OLD"});
  ASSERT_FALSE(has("OLD"));
  db::CellRestoreDialog restore(app);
  use(restore, [](QDialog& d) {
    ClickLine(d, "?LD");
    TypeField(d, 0, "?LD", "OLD");
    Press(d, "復活");
    Press(d, "閉じる");
  });
  EXPECT_TRUE(has("OLD"));

  db::CellCopyDialog copy(app, false);
  use(copy, [](QDialog& d) {
    ClickLine(d, "A");
    TypeField(d, 1, "", "B");
    Press(d, "作成");  // a name in use: the box, and the dialog stays
    EXPECT_TRUE(d.isVisible());
    TypeField(d, 1, "B", "C");
    Press(d, "作成");
    Press(d, "閉じる");
  });
  EXPECT_TRUE(has("C"));
  EXPECT_TRUE(lav::testing::OneBox(host, "同名のセルが在りますので出来ません。"));

  db::CellRenameDialog rename(app);
  use(rename, [](QDialog& d) {
    ClickLine(d, "C");
    TypeField(d, 1, "", "R");
    Press(d, "変更");
    Press(d, "閉じる");
  });
  EXPECT_TRUE(!has("C") && has("R"));

  db::CellDeleteDialog remove(app);
  use(remove, [](QDialog& d) {
    ClickLine(d, "B");
    Press(d, "削除");
    Press(d, "閉じる");
  });
  EXPECT_TRUE(!has("B") && has("A"));

  db::CellNamesDialog doubleClicked(app), escaped(app);
  use(doubleClicked, [](QDialog& d) {
    ClickLine(d, "R");
    ClickLine(d, "R", true);
  });
  use(escaped, [](QDialog& d) {
    ClickLine(d, "A");
    QTest::keyClick(&d, Qt::Key_Escape);
  });
  EXPECT_EQ(std::pair(doubleClicked.chosen, escaped.chosen),
            std::pair(std::string("R"), std::string()));
  EXPECT_TRUE(has("A") && has("R") && has("OLD"));
  // A dialog model that has no window here is refused aloud and ends as a cancel.
  struct Unknown : DialogModel {
    std::string_view kind() const override { return "no-such-dialog"; }
  } model;
  ::testing::internal::CaptureStderr();
  RunModelDialog(nullptr, app, model);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(model.finished);
  EXPECT_EQ(err, "lavinor: no window for the dialog \"no-such-dialog\"; the command did nothing\n");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

using TreeDialogWidgets = ModelDialogsQt;

// The tree's list shows the report with its connectors and opens the chosen cell; the chooser
// lists two lines a report.
TEST_F(TreeDialogWidgets, FocusedListWithNoRowPickedIsNoChoiceTreeListShowsConnectorsOpensTheCell) {
  app.programDir = LAVINOR_DATA_DIR;
  ASSERT_TRUE(command::LoadCommandFile(app));
  auto& design = app.design;
  db::testing::NewImage(design);
  db::testing::AddCell(design, "LEAF");
  db::testing::AddCell(design, "TOP");
  db::testing::Append(design, db::EncodeSingle({.cellName = "LEAF"}));
  db::testing::Append(design, db::EncodeArray({.cellName = "LEAF", .columns = 2}));
  ASSERT_EQ(interchange::WriteTreeReport(app), interchange::TreeOutcome::Written);
  interchange::TreeDialog tree(app, 0);
  ASSERT_TRUE(tree.loaded());
  interchange::TreeFileChooser chooser(app);
  QStringList items, choices;
  bool childEnabled = true;
  show(tree, [&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("セルの木構造"));
    auto* list = d.findChild<QListWidget*>("control-511");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    childEnabled = d.findChild<QPushButton*>("control-513")->isEnabled();
    list->setCurrentRow(2);
    d.findChild<QPushButton*>("control-512")->click();
  });
  show(chooser, [&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("以前の木構造ファイルを選択"));
    auto* list = d.findChild<QListWidget*>("control-511");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < list->count(); ++i) choices << list->item(i)->text();
    list->setCurrentRow(1);
    d.findChild<QPushButton*>("control-512")->click();
  });
  ASSERT_EQ(items.size(), 5);
  EXPECT_TRUE(items[0].startsWith(" ------ /nonexistent/test.cad ----"));
  EXPECT_TRUE(items[2].startsWith(QString::fromUtf8(" ├LEAF "))) << items[2].toStdString();
  EXPECT_TRUE(items[3].startsWith(QString::fromUtf8(" └LEAF "))) << items[3].toStdString();
  EXPECT_TRUE(items[3].endsWith(" 1(Array)")) << "the tab shown as the blank it stood for";
  EXPECT_TRUE(items[4].startsWith("------ END ----"));
  EXPECT_EQ(std::tuple(childEnabled, tree.finished, tree.enterAfterClose),
            std::tuple(false, true, true));
  EXPECT_EQ(app.window.input, "LEAF") << "the answer to the open-cell command waits";
  EXPECT_EQ(choices.size(), 2);
  EXPECT_EQ(chooser.chosen, std::optional<int>(0));
  // A list that gets the focus has its first row current but none picked: each dialog's button
  // then asks the user to pick one, and nothing is opened, chosen or typed.
  app.window.input.clear();
  interchange::TreeDialog again(app, 0);
  interchange::TreeFileChooser chooseAgain(app);
  command::CommandListDialog commands;
  commands.lines = command::ListLinesOf("1 EXIT\r\n2 NEW {file}\r\n");
  for (DialogModel* model : std::initializer_list<DialogModel*>{&again, &chooseAgain, &commands}) {
    SCOPED_TRACE(std::string(model->kind()));
    host.boxes.clear();
    show(*model, [&](QDialog& d) {
      auto* list = d.findChild<QListWidget*>();
      ASSERT_NE(list, nullptr);
      QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
      QApplication::sendEvent(list, &focus);
      ASSERT_EQ(list->currentRow(), 0) << "Qt's current row";
      d.findChild<QPushButton*>("control-512")->click();
      EXPECT_TRUE(d.isVisible()) << "the dialog stays";
    });
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "選択してからボタンを押して下さい");
  }
  EXPECT_TRUE(app.window.input.empty() && !chooseAgain.chosen && !commands.choice);
}

constexpr const char* kChildVariable = "LAVINOR_FRAMES_CHILD";

QRect toQRect(const shell::WindowRect& r) {
  return {r.left, r.top, static_cast<int>(r.width()), static_cast<int>(r.height())};
}

// The Command, Status and Graphics windows, in the order the layout names them.
std::array<QWidget*, 3> mainWindowsOf(MainWindows& p) {
  return {p.command.data(), p.status.data(), p.graphics.data()};
}

TEST(WindowFrames, PlacedAndSavedWithAndWithoutAWindowManager) {
  for (const char* tool : {"Xvfb", "openbox", "xprop"})
    if (!lav::testing::Have(std::string("command -v ") + tool)) GTEST_SKIP() << "no " << tool;
  fs::path oldCwd;
  const fs::path dir = lav::testing::EnterTestFolder("frames", oldCwd);
  const fs::path self = fs::read_symlink("/proc/self/exe");
  // $1: "wm" or "bare". A display of its own; openbox up (it owns the WM check window) before
  // the program starts.
  std::ofstream(dir / "run.sh") << R"(
rm -f "display-$1.txt"
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp > "display-$1.txt" 2>/dev/null & xvfb=$!
i=0; while [ ! -s "display-$1.txt" ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done
export DISPLAY=:$(head -n 1 "display-$1.txt")
wm=
if [ "$1" = wm ]; then
  openbox --sm-disable >/dev/null 2>&1 & wm=$!
  i=0; while ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && [ $i -lt 200 ]
  do sleep 0.05; i=$((i+1)); done
  sleep 0.5
fi
XDG_CONFIG_HOME="$PWD/cfg-$1" QT_QPA_PLATFORM=xcb )"
                                << kChildVariable << R"(="$1" ")" << self.string() << R"(" \
  --gtest_filter=WindowFramesChild.* > "child-$1.txt" 2>&1
rc=$?
[ -n "$wm" ] && kill $wm
kill $xvfb
wait
exit $rc
)";
  for (const char* kind : {"wm", "bare"}) {
    SCOPED_TRACE(kind);
    const int raw = std::system((std::string("sh ../run.sh ") + kind).c_str());
    std::ifstream log(dir / "work" / (std::string("child-") + kind + ".txt"));
    const std::string out{std::istreambuf_iterator<char>(log), {}};
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << out;
    EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
  }
  lav::testing::LeaveTestFolder(dir, oldCwd);
}

// The case itself, which exists only in the test program run on its own X server.
class FramesChild : public ::testing::Test {
 public:
  void TestBody() override;
};

const bool childRegistered = [] {
  if (!std::getenv(kChildVariable)) return false;
  ::testing::RegisterTest("WindowFramesChild", "FramesStandWhereTheLayoutPutsThem", nullptr,
                          nullptr, __FILE__, __LINE__,
                          []() -> ::testing::Test* { return new FramesChild; });
  return true;
}();

void FramesChild::TestBody() {
  const bool managed = std::string(std::getenv(kChildVariable)) == "wm";
  lav::testing::EnsureQtApplication();
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  const std::string programDir = fs::path(LAVINOR_BINARY).parent_path().string();
  const std::string ini = ini::SettingsFilePath();
  auto run = [&](const std::function<void(MainWindows&)>& check) {
    MainWindows program(programDir, {}, ini);
    program.host.boxHook = [](std::string_view text, std::string_view, Icon, Buttons) {
      ADD_FAILURE() << sjis::toUtf8(std::string(text));
      return Answer::No;
    };
    ASSERT_TRUE(program.start());
    for (QWidget* w : mainWindowsOf(program))
      ASSERT_TRUE(QTest::qWaitForWindowExposed(w)) << w->windowTitle().toStdString();
    check(program);
    program.command->close();
    lav::testing::SettleEvents();
    ASSERT_TRUE(program.ended());
    program.finish();
  };
  struct Expected {
    const char* key;
    QRect frame;
  };
  std::vector<Expected> expected;
  // Each frame on its rectangle; under the window manager the title bar is inside it.
  auto framesInPlace = [&](MainWindows& p) {
    for (std::size_t i = 0; i < 3; ++i) {
      QWidget* w = mainWindowsOf(p)[i];
      const Expected& e = expected[i];
      if (managed) {
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !w->windowHandle()->frameMargins().isNull(); }, 5000))
            << e.key << ": not framed";
      }
      const bool placed = QTest::qWaitFor(
          [&] { return w->frameGeometry() == e.frame && e.frame.contains(w->geometry()); }, 5000);
      const QRect f = w->frameGeometry(), c = w->geometry();
      EXPECT_TRUE(placed) << e.key << ": frame " << f.x() << "," << f.y() << " " << f.width() << "x"
                          << f.height() << ", client " << c.x() << "," << c.y() << " " << c.width()
                          << "x" << c.height();
      EXPECT_EQ(c.top() > f.top(), managed) << e.key << ": the title bar above the client";
    }
  };

  // First start: the default layout of the screen.
  run([&](MainWindows& p) {
    const auto d = shell::DefaultLayout(p.app.shell.screenWidth, p.app.shell.screenHeight,
                                        p.app.window.lineHeight);
    expected = {{"Command Window", toQRect(d.command)},
                {"Status Window", toQRect(d.status)},
                {"Graphics Window", toQRect(d.graphics)}};
    framesInPlace(p);
    // The user moves the Graphics Window: its frame goes where it is put.
    expected[2].frame = QRect(400, 30, 700, 500);
    p.graphics->move(expected[2].frame.topLeft());
    p.graphics->resize(p.graphics->size() - (p.graphics->frameGeometry().size() - QSize(700, 500)));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return p.graphics->frameGeometry() == expected[2].frame; }, 5000));
  });
  ASSERT_FALSE(HasFatalFailure());
  // The saved rectangles are the frames; the next start puts the frames back on them.
  for (const auto& e : expected) {
    const QRect& f = e.frame;
    EXPECT_EQ(sjis::toUtf8(ini::ReadProfileString(ini, "WindowSize", e.key, "")),
              std::to_string(f.left()) + " " + std::to_string(f.top()) + " " +
                  std::to_string(f.right() + 1) + " " + std::to_string(f.bottom() + 1))
        << e.key;
  }
  run(framesInPlace);
}

}  // namespace
}  // namespace lav::qt
