#include "qt/status_window_widget.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QPainter>

#include "command/user_value.h"
#include "platform/sjis.h"
#include "qt/main_windows.h"

namespace lav::qt {

StatusWindowWidget::StatusWindowWidget(MainWindows& program, const QFont& font)
    : program_(program), font_(font) {
  setWindowTitle("Status");
  setFocusPolicy(Qt::StrongFocus);
}

void StatusWindowWidget::paintEvent(QPaintEvent*) {
  const AppState& app = program_.app;
  const bool white = app.shell.whiteBackground;
  const QColor back = white ? Qt::white : Qt::black, fore = white ? Qt::black : Qt::white;
  QPainter p(this);
  p.fillRect(rect(), back);
  p.setFont(font_);
  const QFontMetrics m(font_);
  const int L = m.height() + m.leading(), h = height(), w = width();
  const int d = command::UserUnitDecimals(app.settings.dbPerUserUnit);
  const double dbu = app.settings.dbPerUserUnit > 0 ? app.settings.dbPerUserUnit : 1;
  auto number = [d](double v) { return QString::number(v, 'f', d); };
  // Labels black on green, values in the text colour.
  auto label = [&](int x, int top, const QString& text) {
    const QRect r(x, top, m.horizontalAdvance(text), L);
    p.fillRect(r, Qt::green);
    p.setPen(Qt::black);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text);
    return r.right() + 1;
  };
  auto value = [&](int x, int top, const QString& text, QColor colour) {
    p.setPen(colour);
    p.drawText(QRect(x, top, w, L), Qt::AlignLeft | Qt::AlignVCenter, text);
    return x + m.horizontalAdvance(text);
  };
  const int row = h - L;
  int x = label(0, row, " CEL:");
  value(x, row, QString::fromStdString(sjis::toUtf8(app.design.current.name)), fore);
  x = label(w / 3, row, " LAY:");
  value(x, row, QString::number(app.settings.layer), fore);
  x = label(w / 2 - 12, row, " EL:");
  const int type = app.settings.elementType;
  const QString el =
      type == 5 ? QString("%1.%2").arg(type).arg(app.settings.lineTipType) : QString::number(type);
  x = value(x, row, el, Qt::yellow) + m.horizontalAdvance("9.00");
  x = label(x, row, " XY:");
  const int field = m.horizontalAdvance("-XXXXXXX.XXX");
  p.setPen(fore);
  p.drawText(QRect(x, row, field, L), Qt::AlignRight | Qt::AlignVCenter,
             number(app.shell.pointer.userX));
  p.drawText(QRect(x + field + m.horizontalAdvance("0"), row, field, L),
             Qt::AlignRight | Qt::AlignVCenter, number(app.shell.pointer.userY));

  const auto& win = app.display.view.window;
  auto pair = [&](int top, const QString& text, double a, double b) {
    int at = label(0, top, text) + L / 2;
    at = value(at, top, number(a), fore) + L;
    value(at, top, number(b), fore);
  };
  pair(h - 4 * L, " Window Area:", (win.xmax - win.xmin) / dbu, (win.ymax - win.ymin) / dbu);
  pair(h - 3 * L, QString::fromUtf8("右上 :"), win.xmax / dbu, win.ymax / dbu);
  pair(h - 2 * L, QString::fromUtf8("左下 :"), win.xmin / dbu, win.ymin / dbu);
}

void StatusWindowWidget::keyPressEvent(QKeyEvent* e) {
  if (!program_.forwardKey(e)) QWidget::keyPressEvent(e);
}

void StatusWindowWidget::closeEvent(QCloseEvent* e) {
  program_.requestClose(shell::MainWindow::Status, e);
}

}  // namespace lav::qt
