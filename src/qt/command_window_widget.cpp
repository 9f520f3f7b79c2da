#include "qt/command_window_widget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>

#include "command/window_input.h"
#include "console/command_window.h"
#include "display/print_view.h"
#include "platform/sjis.h"
#include "qt/graphics_window_widget.h"
#include "qt/main_windows.h"
#include "qt/status_window_widget.h"
#include "shell/main_menu.h"
#include "state/app_state.h"

namespace lav::qt {
namespace {

QString q(std::string_view sjisText) {
  return QString::fromStdString(sjis::toUtf8(std::string(sjisText)));
}

QColor textColour(const AppState& app) {
  return app.shell.whiteBackground ? Qt::black : Qt::white;
}
QColor backColour(const AppState& app) {
  return app.shell.whiteBackground ? Qt::white : Qt::black;
}

}  // namespace

TranscriptView::TranscriptView(MainWindows& program, const QFont& font)
    : program_(program), font_(font) {
  font_.setLetterSpacing(QFont::AbsoluteSpacing, 1);
  const QFontMetrics m(font_);
  lineHeight_ = m.height() + m.leading();
  charWidth_ = m.averageCharWidth();
  ascent_ = m.ascent();
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::ArrowCursor);
  blinkTimer_ = new QTimer(this);
  connect(blinkTimer_, &QTimer::timeout, this, [this] { blink(); });
  const int flash = QApplication::cursorFlashTime();
  if (flash > 0) blinkTimer_->start(flash / 2);
}

bool TranscriptView::caretVisible() const {
  // While a command works on an entered line, that line is shown and nothing can be typed.
  if (program_.app.dispatch.busy) return false;
  const QWidget* active = QApplication::activeWindow();
  return blinkOn_ && active && !qobject_cast<const QDialog*>(active);
}

void TranscriptView::blink() {
  blinkOn_ = !blinkOn_;
  // Only the caret's place is painted again: the transcript stays as it is.
  update(caretPainted_.united(caretRect()));
}

int TranscriptView::textWidth(std::string_view sjisText) const {
  return QFontMetrics(font_).horizontalAdvance(q(sjisText));
}

int TranscriptView::baseLine() const {
  return program_.app.window.transcript.visible * lineHeight_ - 10;
}

QRect TranscriptView::caretRect() const {
  const auto& w = program_.app.window;
  std::size_t upTo = std::min(w.caret, w.input.size());
  // A text ending in a first byte shows the caret before that byte.
  if (upTo > 0 && upTo == w.input.size() && w.trailPending) --upTo;
  const int x = textWidth(w.prompt + w.input.substr(0, upTo));
  const int width = command::CaretOnDoubleByte(w) ? 2 * charWidth_ + 1 : charWidth_ + 1;
  return {x, baseLine(), width, lineHeight_};
}

void TranscriptView::paintEvent(QPaintEvent*) {
  AppState& app = program_.app;
  if (app.window.closing || (app.shell.closing & shell::kClosingCommand)) {
    // Creation failed: the window closes itself instead of painting.
    QTimer::singleShot(0, [p = &program_] { p->destroyWindow(shell::MainWindow::Command); });
    return;
  }
  QPainter p(this);
  p.fillRect(rect(), backColour(app));
  p.setFont(font_);
  p.setPen(textColour(app));
  const auto& t = app.window.transcript;
  const int y = baseLine();
  for (int n = 1; n <= t.count; ++n) {
    const int top = y - n * lineHeight_;
    if (top + lineHeight_ < 0) break;
    p.drawText(0, top + ascent_, q(command::LineAt(t, n)));
  }
  p.drawText(0, y + ascent_, q(command::PaintInputLine(app)));
  caretPainted_ = caretRect();
  if (caretVisible()) {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(caretPainted_, Qt::white);
  }
}

void TranscriptView::resizeEvent(QResizeEvent*) {
  command::SizeCommandWindow(program_.app, height(), lineHeight_);
}

void TranscriptView::keyPressEvent(QKeyEvent* event) {
  if (!program_.forwardKey(event)) QWidget::keyPressEvent(event);
}

void TranscriptView::mousePressEvent(QMouseEvent* event) {
  AppState& app = program_.app;
  if (event->button() == Qt::RightButton) {
    command::TypeCharacter(app, 13);
    program_.afterInput();
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const int py = static_cast<int>(event->position().y());
  const int px = static_cast<int>(event->position().x());
  const int below = baseLine() - py;  // line n covers base - n L .. base - n L + L
  if (below <= 0) return;
  const int n = (below + lineHeight_ - 1) / lineHeight_;
  const std::string_view line = command::LineAt(app.window.transcript, n);
  // The byte column of the character under the pointer.
  std::size_t column = line.size();
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t next = i + command::CharWidthAt(line, i);
    if (textWidth(line.substr(0, next)) > px) {
      column = i;
      break;
    }
    i = next;
  }
  command::ClickTranscriptLine(app, n, column);
  program_.afterInput();
}

void TranscriptView::inputMethodEvent(QInputMethodEvent* event) {
  const std::string bytes = sjis::fromUtf8(event->commitString().toStdString());
  for (unsigned char c : bytes) command::TypeCharacter(program_.app, c);
  event->accept();
  program_.afterInput();
}

QVariant TranscriptView::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImCursorRectangle) return caretRect();
  if (query == Qt::ImFont) return font_;
  if (query == Qt::ImEnabled) return true;
  return QWidget::inputMethodQuery(query);
}

CommandWindowWidget::CommandWindowWidget(MainWindows& program, const QFont& font)
    : program_(program), view_(new TranscriptView(program, font)) {
  setWindowTitle("Lavinor");
  setCentralWidget(view_);
  buildMenu();
  view_->setFocus();
}

void CommandWindowWidget::buildMenu() {
  const auto popups = shell::MenuPopups();
  std::vector<QMenu*> menus;
  for (const char* title : popups) menus.push_back(menuBar()->addMenu(QString::fromUtf8(title)));
  for (const shell::MenuEntry& e : shell::MenuEntries()) {
    QMenu* m = menus[static_cast<std::size_t>(e.popup)];
    if (e.id == 0) {
      m->addSeparator();
      continue;
    }
    QAction* a = m->addAction(QString::fromUtf8(e.text));
    a->setData(e.id);
    const int id = e.id;
    connect(a, &QAction::triggered, this, [this, id] {
      switch (shell::RunMenuItem(program_.app, id)) {
        case shell::MenuOutcome::Version:
          program_.showVersion();
          break;
        case shell::MenuOutcome::Print:
          // The menu prints at once, with the print mode already chosen; no command line.
          display::PrintView(program_.app);
          break;
        default:
          break;
      }
      program_.afterInput();
    });
  }
}

void CommandWindowWidget::closeEvent(QCloseEvent* event) {
  program_.requestClose(shell::MainWindow::Command, event);
}

void CommandWindowWidget::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  // Minimizing the Command Window hides its companions; restoring shows them again.
  const bool minimized = isMinimized();
  for (QWidget* w : {static_cast<QWidget*>(program_.graphics.data()),
                     static_cast<QWidget*>(program_.status.data()), program_.toolbar.data()}) {
    if (!w) continue;
    if (minimized)
      w->hide();
    else if (w != program_.toolbar || program_.app.shell.toolbarExists)
      w->show();
  }
}

}  // namespace lav::qt
