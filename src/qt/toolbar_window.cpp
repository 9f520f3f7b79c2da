#include "qt/toolbar_window.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

#include "qt/main_windows.h"
#include "shell/messages.h"
#include "shell/startup.h"
#include "state/app_state.h"

namespace lav::qt {
namespace {

// The picture fills the button inside its 2-pixel frame.
constexpr int kPictureSize = shell::kToolbarButtonSize - 4;
const QColor kFrameLight(255, 255, 255);
const QColor kFrameDark(125, 125, 125);
const QColor kFace(192, 192, 192);

void drawFrame(QPainter& p, int size, bool sunken) {
  const QColor topLeft = sunken ? kFrameDark : kFrameLight;
  const QColor bottomRight = sunken ? kFrameLight : kFrameDark;
  p.fillRect(0, 0, size, 2, topLeft);
  p.fillRect(0, 0, 2, size, topLeft);
  p.fillRect(0, size - 2, size, 2, bottomRight);
  p.fillRect(size - 2, 0, 2, size, bottomRight);
}

}  // namespace

QPixmap LoadToolbarPicture(const std::string& path, int size, qreal ratio) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QSvgRenderer svg(file.readAll());
  if (!svg.isValid()) return {};
  QPixmap pm(QSize(size, size) * ratio);
  pm.setDevicePixelRatio(ratio);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  svg.render(&p, QRectF(0, 0, size, size));
  return pm;
}

ToolbarButtonWidget::ToolbarButtonWidget(MainWindows& program, int index, QPixmap picture,
                                         QWidget* parent)
    : QWidget(parent), program_(program), index_(index), picture_(std::move(picture)) {
  const auto& b = shell::ToolbarButtons()[static_cast<std::size_t>(index)];
  setFixedSize(shell::kToolbarButtonSize, shell::kToolbarButtonSize);
  move(b.column * shell::kToolbarButtonPitch, b.row * shell::kToolbarButtonPitch);
  setToolTip(QString::fromUtf8(b.tip));
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ToolbarButtonWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int size = shell::kToolbarButtonSize;
  p.fillRect(rect(), kFace);
  const int at = pressed_ ? 3 : 2;
  if (!picture_.isNull()) {
    p.drawPixmap(at, at, picture_);
  } else {
    // Without its picture the button still says which one it is.
    p.setPen(Qt::black);
    p.drawText(QRect(at, at, kPictureSize, kPictureSize), Qt::AlignCenter,
               QString::number(index_ + 1));
  }
  drawFrame(p, size, pressed_);
}

void ToolbarButtonWidget::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  // The mouse stays with this button until it is released (Qt's implicit grab).
  pressed_ = true;
  update();
}

void ToolbarButtonWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  update();
  const QPoint at = e->position().toPoint();
  const int limit = shell::kToolbarButtonSize + 1;
  if (at.x() >= 0 && at.y() >= 0 && at.x() < limit && at.y() < limit)
    program_.pressToolbarButton(index_);
}

void ToolbarButtonWidget::keyPressEvent(QKeyEvent* e) {
  if (!program_.forwardKey(e)) QWidget::keyPressEvent(e);
}

ToolbarWindow::ToolbarWindow(MainWindows& program, const std::string& iconDir) : program_(program) {
  setWindowTitle("Toolbar");
  setObjectName("Toolbar");
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(shell::kToolbarClientWidth, shell::kToolbarClientHeight);
  setFocusPolicy(Qt::StrongFocus);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kFace);
  setPalette(pal);
  setAutoFillBackground(true);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
  const auto table = shell::ToolbarButtons();
  for (int i = 0; i < shell::kToolbarButtons; ++i) {
    const std::string path =
        iconDir + "/" + table[static_cast<std::size_t>(i)].icon + std::string(".svg");
    buttons_[static_cast<std::size_t>(i)] =
        new ToolbarButtonWidget(program, i, LoadToolbarPicture(path, kPictureSize, ratio), this);
  }
}

void ToolbarWindow::paintEvent(QPaintEvent* e) {
  program_.app.shell.toolbarReshow = false;
  QWidget::paintEvent(e);
}

void ToolbarWindow::focusInEvent(QFocusEvent* e) {
  program_.app.shell.toolbarReshow = false;
  QWidget::focusInEvent(e);
}

void ToolbarWindow::keyPressEvent(QKeyEvent* e) {
  if (!program_.forwardKey(e)) QWidget::keyPressEvent(e);
}

void ToolbarWindow::closeEvent(QCloseEvent* e) {
  // Closed by its system menu: the next command 124 makes it again where it was.
  program_.toolbarClosing(this);
  e->accept();
  deleteLater();
}

}  // namespace lav::qt
