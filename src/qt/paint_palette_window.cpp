#include "qt/paint_palette_window.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

#include "qt/main_windows.h"
#include "qt/qt_surface.h"
#include "state/app_state.h"

namespace lav::qt {

QImage BrushImage(const Brush& brush, int w, int h) {
  QImage image(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
  image.fill(Qt::white);
  QtSurface surface(image);
  surface.setBrush(brush);
  surface.floodFillSurface(0, 0);
  return image;
}

PaletteCellWidget::PaletteCellWidget(MainWindows& program, int cell, QWidget* parent)
    : QWidget(parent), program_(program), cell_(cell) {
  const shell::PaletteRect r = shell::PaletteCellRect(cell);
  setGeometry(r.x, r.y, r.w, r.h);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaletteCellWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, BrushImage(shell::PaletteCellBrush(cell_), width(), height()));
  // The cell's border.
  p.setPen(Qt::black);
  p.drawRect(0, 0, width() - 1, height() - 1);
}

void PaletteCellWidget::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  shell::ChoosePaletteCell(program_.app, cell_);
  if (parentWidget()) {
    const shell::PaletteRect s = shell::PaletteSampleRect();
    parentWidget()->update(s.x, s.y, s.w, s.h);
  }
}

void PaletteCellWidget::keyPressEvent(QKeyEvent* e) {
  if (!program_.forwardKey(e)) QWidget::keyPressEvent(e);
}

PaintPaletteWindow::PaintPaletteWindow(MainWindows& program) : program_(program) {
  setWindowTitle("Paint");
  setObjectName("MenusWClass");
  // A top-most tool window without a close box: the paint command shows and hides it.
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint);
  setFixedSize(shell::kPaletteClientWidth, shell::kPaletteClientHeight);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_ShowWithoutActivating);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);
  for (int n = 1; n <= shell::kPaletteCells; ++n)
    cells_[static_cast<std::size_t>(n - 1)] = new PaletteCellWidget(program, n, this);
}

void PaintPaletteWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const shell::PaletteRect s = shell::PaletteSampleRect();
  p.drawImage(s.x, s.y, BrushImage(shell::CurrentPaintBrush(program_.app), s.w, s.h));
  // A thin frame just outside, so that a white sample still shows where it is.
  p.setPen(QColor(128, 128, 128));
  p.drawRect(s.x - 1, s.y - 1, s.w + 1, s.h + 1);
}

void PaintPaletteWindow::keyPressEvent(QKeyEvent* e) {
  if (!program_.forwardKey(e)) QWidget::keyPressEvent(e);
}

void PaintPaletteWindow::closeEvent(QCloseEvent* e) {
  // The paint command owns the palette; a close from the window manager only hides it.
  e->ignore();
}

}  // namespace lav::qt
