// The Status Window under the Graphics Window: the open cell, the current layer and element
// type, the pointer's coordinates and the view window. Keys typed here go to the Command Window.
#pragma once

#include <QFont>
#include <QWidget>

#include "qt/qt_host.h"

namespace lav::qt {

class MainWindows;

class StatusWindowWidget : public QWidget, public Repaintable {
 public:
  StatusWindowWidget(MainWindows& program, const QFont& font);
  void requestRepaint() override { update(); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void closeEvent(QCloseEvent*) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  MainWindows& program_;
  QFont font_;
};

}  // namespace lav::qt
