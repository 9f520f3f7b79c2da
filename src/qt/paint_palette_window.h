// The paint palette "Paint": 7 x 3 bordered brush cells and, below them, a sample of the
// current brush on the current background colour. A click on a cell chooses that brush for the
// next fills of the paint command.
#pragma once

#include <QWidget>
#include <array>

#include "command/paint_palette.h"

namespace lav::qt {

class MainWindows;

class PaletteCellWidget : public QWidget {
 public:
  PaletteCellWidget(MainWindows& program, int cell, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

 private:
  MainWindows& program_;
  int cell_;
};

class PaintPaletteWindow : public QWidget {
 public:
  explicit PaintPaletteWindow(MainWindows& program);
  PaletteCellWidget* cell(int n) const { return cells_[static_cast<std::size_t>(n - 1)]; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void closeEvent(QCloseEvent*) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  MainWindows& program_;
  std::array<PaletteCellWidget*, shell::kPaletteCells> cells_{};
};

// A w x h image filled with a brush on white, as the paint command fills the drawing.
QImage BrushImage(const Brush& brush, int w, int h);

}  // namespace lav::qt
