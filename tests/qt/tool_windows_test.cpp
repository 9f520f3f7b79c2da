// The Toolbar, the paint palette and the Status Window on Qt's offscreen platform: real mouse
// and key events, read back through the command line, the settings file, the paint file and
// the pixels the windows draw.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <fstream>

#include "qt/paint_palette_window.h"
#include "qt/status_window_widget.h"
#include "qt/toolbar_window.h"
#include "support/windowed_program.h"

namespace lav::qt {
namespace {

namespace fs = std::filesystem;

class ToolWindowsTest : public lav::testing::WindowedProgram {
 protected:
  ToolWindowsTest() : WindowedProgram("tools", 8) {}
  void SetUp() override {
    WindowedProgram::SetUp();
    // A program folder of the test's own, so that PAINTDAT.DAT is this test's.
    const fs::path built = builtProgramDir();
    fs::create_directories(dir / "prog");
    for (const char* f : {"Lavinor.cmd", "MOJIDATA.DAT"})
      fs::copy_file(built / f, dir / "prog" / f);
    fs::copy(built / "icons", dir / "prog" / "icons");
  }
  void start() { startProgram((dir / "prog").string(), {}); }
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

TEST_F(ToolWindowsTest, PaletteChoosesTheBrushAndTheClickFillsTheDrawing) {
  start();
  ASSERT_TRUE(program->palette);
  EXPECT_FALSE(program->palette->isVisible());
  typeLines({"NEW paint", "MKCELL A", "PAINT"});
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
  const QImage& img = program->graphics->image();
  EXPECT_EQ(lav::testing::CountColour(img, img.rect(), QColor(0, 0, 255)),
            img.width() * img.height());
  EXPECT_EQ(std::pair(paintFileSize(), prompt()), std::pair(std::size_t{16}, std::string("Pn: ")));
  typeLine("end");
  EXPECT_FALSE(pal->isVisible());
  EXPECT_EQ(prompt(), "? ");
  EXPECT_TRUE(program->toolbarWindow()->isVisible()) << "back after painting";
}

TEST_F(ToolWindowsTest, PaintingStartedByTheAutoMacroKeepsTheToolbarBack) {
  std::ofstream(dir / "work" / "AUTO.MAC", std::ios::binary) << "PAINT\r\n";
  start();
  EXPECT_EQ(prompt(), "Pn: ");
  ASSERT_TRUE(program->palette && program->palette->isVisible());
  ASSERT_TRUE(program->toolbarWindow());
  EXPECT_FALSE(program->toolbarWindow()->isVisible()) << "the palette stays in front";
  typeLine("x");
  EXPECT_FALSE(program->palette->isVisible());
  EXPECT_TRUE(program->toolbarWindow()->isVisible());
}

TEST_F(ToolWindowsTest, StatusWindowPaintsItsFields) {
  start();
  StatusWindowWidget* s = program->status;
  s->resize(900, 90);
  typeLines({"NEW status", "MKCELL TOP", "LAYER 4", "ETYPE 5"});  // layer 4 is red
  settle();
  const shell::StatusLayout& lay = s->layout();
  const int L = program->app.window.lineHeight;
  QImage img = s->grab().toImage();
  auto count = [&](const QRect& r, const QColor& c) {
    return lav::testing::CountColour(img, r, c);
  };
  const int row = lay.bottomRow;
  // Labels black on green.
  EXPECT_GT(count(QRect(0, row, lay.cellValueX - 1, L), QColor(0, 255, 0)), 50);
  EXPECT_GT(count(QRect(0, row, lay.cellValueX - 1, L), QColor(0, 0, 0)), 10);
  // Values in their own colours: the cell name in white, the layer in its red. Which colour each
  // field takes is checked on the texts themselves (status_window_test.cpp).
  EXPECT_GT(count(QRect(lay.cellValueX, row, lay.layerLabelX - lay.cellValueX, L), Qt::white), 20);
  EXPECT_GT(
      count(QRect(lay.layerValueX, row, lay.elementLabelX - lay.layerValueX, L), QColor(255, 0, 0)),
      5);
  // Type 5 shows " Width:" on the row above in black on green.
  EXPECT_GT(count(QRect(lay.elementLabelX, img.height() - 2 * L, 40, L), QColor(0, 255, 0)), 50);

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
}

}  // namespace
}  // namespace lav::qt
