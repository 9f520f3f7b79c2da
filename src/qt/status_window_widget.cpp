#include "qt/status_window_widget.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QPainter>

#include "platform/sjis.h"
#include "qt/main_windows.h"

namespace lav::qt {
namespace {

QColor colourOf(Rgb c) {
  return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

QString textOf(std::string_view sjisText) {
  return QString::fromStdString(sjis::toUtf8(sjisText));
}

}  // namespace

StatusWindowWidget::StatusWindowWidget(MainWindows& program, const QFont& font)
    : program_(program), font_(font) {
  setWindowTitle("Status");
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setCursor(Qt::ArrowCursor);
  setAttribute(Qt::WA_OpaquePaintEvent);
  relayout();
}

int StatusWindowWidget::textWidth(std::string_view sjisText) const {
  return QFontMetrics(font_).horizontalAdvance(textOf(sjisText));
}

void StatusWindowWidget::relayout() {
  layout_ = shell::LayoutStatus(width(), height(), program_.app.window.lineHeight,
                                [this](std::string_view t) { return textWidth(t); });
}

void StatusWindowWidget::requestRepaint() {
  const unsigned fields = shell::TakeStatusInvalidations(program_.app);
  if (fields == shell::kAllStatusFields) {
    update();
    return;
  }
  for (unsigned bit = 1; bit <= shell::kAllStatusFields; bit <<= 1) {
    if (!(fields & bit)) continue;
    const shell::StatusRect r =
        shell::StatusFieldRect(layout_, static_cast<shell::StatusField>(bit));
    update(QRect(r.x, r.y, r.w, r.h));
  }
}

void StatusWindowWidget::paintEvent(QPaintEvent*) {
  const AppState& app = program_.app;
  if (layout_.lineHeight != app.window.lineHeight) relayout();
  QPainter p(this);
  p.fillRect(rect(), app.shell.whiteBackground ? Qt::white : Qt::black);
  p.setFont(font_);
  const QFontMetrics m(font_);
  const int L = layout_.lineHeight;
  auto measure = [this](std::string_view t) { return textWidth(t); };
  // Each text on its own background, as an opaque text output draws it, one line high.
  for (const shell::StatusText& t : shell::StatusTexts(app, layout_, measure)) {
    const QString text = textOf(t.text);
    const int w = m.horizontalAdvance(text);
    p.fillRect(QRect(t.x, t.y, w, L), colourOf(t.background));
    p.setPen(colourOf(t.colour));
    p.drawText(t.x, t.y + (L - m.height()) / 2 + m.ascent(), text);
  }
}

void StatusWindowWidget::resizeEvent(QResizeEvent*) {
  relayout();
  update();
}

void StatusWindowWidget::keyPressEvent(QKeyEvent* e) {
  if (!program_.forwardKey(e)) QWidget::keyPressEvent(e);
}

void StatusWindowWidget::mouseMoveEvent(QMouseEvent* e) {
  // The Graphics Window may have hidden the pointer; it shows again here.
  if (cursor().shape() != Qt::ArrowCursor) setCursor(Qt::ArrowCursor);
  QWidget::mouseMoveEvent(e);
}

void StatusWindowWidget::closeEvent(QCloseEvent* e) {
  program_.requestClose(shell::MainWindow::Status, e);
}

}  // namespace lav::qt
