// The Command Window: the main menu and a client area that draws the transcript, the input
// line and the caret itself. Typed keys go to the core's character and key handlers.
#pragma once

#include <QFont>
#include <QMainWindow>
#include <QTimer>

#include "qt/qt_host.h"

namespace lav {
struct AppState;
}

namespace lav::qt {

class MainWindows;

// The client area: transcript lines, input line and caret.
class TranscriptView : public QWidget, public Repaintable {
 public:
  TranscriptView(MainWindows& program, const QFont& font);
  void requestRepaint() override { update(); }
  int lineHeight() const { return lineHeight_; }
  // Top of the input line in client pixels.
  int baseLine() const;
  // The caret rectangle in client pixels.
  QRect caretRect() const;
  // The caret shows while one of the program's own windows is active (not a dialog), blinking.
  bool caretVisible() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void inputMethodEvent(QInputMethodEvent*) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  bool focusNextPrevChild(bool) override { return false; }  // Tab is typed as a blank

 private:
  int textWidth(std::string_view sjisText) const;
  void blink();
  MainWindows& program_;
  QTimer* blinkTimer_ = nullptr;
  bool blinkOn_ = true;
  QRect caretPainted_;
  QFont font_;
  int lineHeight_ = 16;
  int charWidth_ = 8;
  int ascent_ = 12;
};

class CommandWindowWidget : public QMainWindow {
 public:
  CommandWindowWidget(MainWindows& program, const QFont& font);
  TranscriptView* view() const { return view_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void buildMenu();
  MainWindows& program_;
  TranscriptView* view_;
};

}  // namespace lav::qt
