// The Toolbar window: a small top-most tool window of 2 x 11 picture buttons. A button drawn
// raised sinks while the left button is held on it and sends its command lines when the
// mouse is released over it.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>
#include <string>

#include "command/toolbar.h"

namespace lav::qt {

class MainWindows;

class ToolbarButtonWidget : public QWidget {
 public:
  ToolbarButtonWidget(MainWindows& program, int index, QPixmap picture, QWidget* parent);
  int index() const { return index_; }
  bool pressed() const { return pressed_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

 private:
  MainWindows& program_;
  int index_;
  QPixmap picture_;
  bool pressed_ = false;
};

class ToolbarWindow : public QWidget {
 public:
  // iconDir holds the buttons' pictures (name.svg).
  ToolbarWindow(MainWindows& program, const std::string& iconDir);
  ToolbarButtonWidget* button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void focusInEvent(QFocusEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void closeEvent(QCloseEvent*) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  MainWindows& program_;
  std::array<ToolbarButtonWidget*, shell::kToolbarButtons> buttons_{};
};

// A button picture drawn from its SVG file at the size the button shows it, for the screen's
// pixel ratio; a null pixmap when the file is missing or unreadable.
QPixmap LoadToolbarPicture(const std::string& path, int size, qreal pixelRatio);

}  // namespace lav::qt
