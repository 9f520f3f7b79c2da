// The Status Window under the Graphics Window: the open cell, the current layer and element
// type, the pointer's coordinates, the view window and the layers drawn, each field where the
// shell's layout puts it. Keys typed here go to the Command Window.
#pragma once

#include <QFont>
#include <QWidget>

#include "qt/qt_host.h"
#include "shell/status_window.h"

namespace lav::qt {

class MainWindows;

class StatusWindowWidget : public QWidget, public Repaintable {
 public:
  StatusWindowWidget(MainWindows& program, const QFont& font);
  // Repaints the fields the core asked for.
  void requestRepaint() override;
  const shell::StatusLayout& layout() const { return layout_; }
  // Pixel width of a Shift-JIS text in the window's font.
  int textWidth(std::string_view sjisText) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void closeEvent(QCloseEvent*) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  void relayout();
  MainWindows& program_;
  QFont font_;
  shell::StatusLayout layout_;
};

}  // namespace lav::qt
