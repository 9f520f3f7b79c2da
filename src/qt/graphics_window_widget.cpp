#include "qt/graphics_window_widget.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "console/command_window.h"
#include "display/redraw.h"
#include "qt/command_window_widget.h"
#include "qt/main_windows.h"
#include "qt/qt_surface.h"
#include "shell/graphics_pointer.h"
#include "shell/messages.h"
#include "shell/startup.h"

namespace lav::qt {

GraphicsWindowWidget::GraphicsWindowWidget(MainWindows& program) : program_(program) {
  setWindowTitle("Graphics");
  setMouseTracking(true);
  setCursor(Qt::CrossCursor);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Every redraw leaves an image without overlays; they are drawn again on top of it.
  program_.app.display.overlays = [this](display::SceneState&, Surface&) {
    crossAt_.reset();
    rectAt_.reset();
    bandAt_.clear();
    drawOverlays();
  };
}

GraphicsWindowWidget::~GraphicsWindowWidget() {
  program_.app.display.target = nullptr;
  program_.app.display.overlays = nullptr;
}

void GraphicsWindowWidget::requestRepaint() {
  program_.app.display.needsRedraw = true;
  schedule();
}

void GraphicsWindowWidget::overlaysChanged() {
  schedule();
}

void GraphicsWindowWidget::schedule() {
  if (scheduled_) return;
  scheduled_ = true;
  QTimer::singleShot(0, this, [this] { refresh(); });
}

void GraphicsWindowWidget::refresh() {
  scheduled_ = false;
  // A redraw asked for while long work steps the messages waits until that work is done.
  if (program_.host.inMessageStep() || program_.app.display.redrawing) {
    scheduled_ = true;
    QTimer::singleShot(30, this, [this] { refresh(); });
    return;
  }
  auto& d = program_.app.display;
  const QSize size(std::max(1, width()), std::max(1, height()));
  if (image_.size() != size) {
    d.target = nullptr;
    surface_.reset();
    image_ = QImage(size, QImage::Format_RGB32);
    image_.fill(program_.app.shell.whiteBackground ? Qt::white : Qt::black);
    surface_ = std::make_unique<QtSurface>(image_);
    d.target = surface_.get();
    d.needsRedraw = true;
    d.imageCurrent = false;
  }
  if (d.imageCurrent) {
    // A command has drawn the image itself just now.
    d.imageCurrent = false;
    d.needsRedraw = false;
  } else if (d.needsRedraw) {
    display::RedrawGraphics(program_.app, *surface_);
  }
  drawOverlays();
  update();
}

void GraphicsWindowWidget::xorCrosshair(QPoint c) {
  const int arm = program_.app.settings.cursorSize;
  QPainter p(&image_);
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p.setPen(Qt::white);
  // Each arm reaches from size + 1 before the centre to size + 2 after it (last pixel left out).
  p.drawLine(QPoint(c.x() - arm - 1, c.y()), QPoint(c.x() + arm + 1, c.y()));
  p.drawLine(QPoint(c.x(), c.y() - arm - 1), QPoint(c.x(), c.y() + arm + 1));
}

void GraphicsWindowWidget::xorRectangle(const QRect& r) {
  QPainter p(&image_);
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p.setPen(Qt::white);
  p.drawRect(r);
}

void GraphicsWindowWidget::xorSegments(const std::vector<shell::PixelSegment>& band) {
  if (band.empty()) return;
  QPainter p(&image_);
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p.setPen(Qt::white);
  for (const auto& s : band) p.drawLine(s.x0, s.y0, s.x1, s.y1);
}

void GraphicsWindowWidget::drawOverlays() {
  if (image_.isNull()) return;
  shell::PointerState& ptr = program_.app.shell.pointer;
  const QPoint at(ptr.pixelX, ptr.pixelY);
  if (ptr.keyboardCursor == 1) {
    if (crossAt_ != at) {
      if (crossAt_) xorCrosshair(*crossAt_);
      xorCrosshair(at);
      crossAt_ = at;
    }
  } else if (crossAt_) {
    xorCrosshair(*crossAt_);
    crossAt_.reset();
  }
  if (ptr.keyboardCursor == 2) ptr.keyboardCursor = 0;

  // The rubber band follows the pointer from the figure being entered.
  auto band = shell::RubberBand(program_.app);
  if (band != bandAt_) {
    xorSegments(bandAt_);
    xorSegments(band);
    bandAt_ = std::move(band);
  }

  if (ptr.rectangle == 1) {
    const auto& v = program_.app.display.view;
    const QPoint anchor(
        static_cast<int>(std::lround(ptr.anchorX * v.scale - v.offsetX)),
        static_cast<int>(std::lround(v.clientHeight - (ptr.anchorY * v.scale - v.offsetY))));
    const QRect r = QRect(anchor, at).normalized();
    if (rectAt_ != r) {
      if (rectAt_) xorRectangle(*rectAt_);
      xorRectangle(r);
      rectAt_ = r;
    }
  } else if (rectAt_) {
    xorRectangle(*rectAt_);
    rectAt_.reset();
  }
  if (ptr.rectangle == 2) ptr.rectangle = 0;
}

void GraphicsWindowWidget::runStartup() {
  AppState& app = program_.app;
  app.host.invalidate(Window::Status);
  shell::RunStartupActions(app);
  app.shell.pointer.firstPaintDone = true;
  if (shell::ToolbarWanted(app.shell.settingsPath)) program_.showToolbar();
  program_.afterInput();
}

void GraphicsWindowWidget::paintEvent(QPaintEvent*) {
  if (firstPaint_) {
    firstPaint_ = false;
    program_.app.display.needsRedraw = true;
    QTimer::singleShot(0, this, [this] { runStartup(); });
  }
  QPainter p(this);
  if (image_.size() != size() || program_.app.display.needsRedraw) {
    // Nothing drawn yet for this size: the background until the redraw is done.
    p.fillRect(rect(), program_.app.shell.whiteBackground ? Qt::white : Qt::black);
    schedule();
    if (image_.isNull()) return;
  }
  p.drawImage(0, 0, image_);
}

void GraphicsWindowWidget::resizeEvent(QResizeEvent*) {
  // The client size is kept as its last valid pixel column and row.
  display::ResizeView(program_.app, std::max(1, width() - 1), std::max(1, height() - 1));
  auto& ptr = program_.app.shell.pointer;
  if (ptr.narrowDisplay == 0) ptr.narrowDisplay = width() < 501 ? 1 : 2;
  requestRepaint();
}

void GraphicsWindowWidget::setConfined(bool on) {
  if (on == confined_) return;
  confined_ = on;
  if (!on) return releaseMouse();
  grabMouse();
  if (!rect().adjusted(1, 1, -1, -1).contains(mapFromGlobal(QCursor::pos())))
    QCursor::setPos(mapToGlobal(rect().center()));
}

void GraphicsWindowWidget::mouseMoveEvent(QMouseEvent* e) {
  QPoint at = e->position().toPoint();
  if (confined_ && !rect().contains(at)) {
    // No platform confinement here: the pointer is put back at the nearest inside pixel.
    at = QPoint(std::clamp(at.x(), 0, width() - 1), std::clamp(at.y(), 0, height() - 1));
    QCursor::setPos(mapToGlobal(at));
  }
  if (shell::PointerMoved(program_.app, at.x(), at.y())) {
    drawOverlays();
    update();
  }
}

void GraphicsWindowWidget::mousePressEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  shell::PointerMoved(program_.app, at.x(), at.y());
  if (e->button() == Qt::LeftButton)
    shell::LeftClick(program_.app, at.x(), at.y());
  else if (e->button() == Qt::RightButton)
    shell::RightClick(program_.app, at.x(), at.y());
  program_.afterInput();
}

void GraphicsWindowWidget::keyPressEvent(QKeyEvent* e) {
  if (!program_.forwardKey(e)) QWidget::keyPressEvent(e);
}

void GraphicsWindowWidget::closeEvent(QCloseEvent* e) {
  program_.requestClose(shell::MainWindow::Graphics, e);
}

bool GraphicsWindowWidget::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && QGuiApplication::mouseButtons() != Qt::NoButton)
    program_.app.shell.pointer.clickActivates = true;
  return QWidget::event(e);
}

}  // namespace lav::qt
