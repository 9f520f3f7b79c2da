// The Graphics Window: an off-screen image that the display core draws into outside the paint
// handler (started by an invalidation), the XOR overlays of the keyboard cursor, the rubber band
// of coordinate entry and the zoom rectangle, and the mouse as typed coordinates.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "qt/qt_host.h"
#include "qt/qt_surface.h"
#include "shell/graphics_pointer.h"

namespace lav::qt {

class MainWindows;

class GraphicsWindowWidget : public QWidget, public Repaintable {
 public:
  explicit GraphicsWindowWidget(MainWindows& program);
  ~GraphicsWindowWidget() override;

  // A full redraw of the image is wanted (the core invalidated the window).
  void requestRepaint() override;
  // Only the overlays follow the pointer modes.
  void overlaysChanged();
  // While confined, the mouse is grabbed and the pointer is held inside the client area.
  void setConfined(bool on);
  bool confined() const { return confined_; }
  // Runs a pending redraw and the overlays at once.
  void refresh();
  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void closeEvent(QCloseEvent*) override;
  bool event(QEvent*) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  bool confined_ = false;
  void schedule();
  void drawOverlays();
  void xorCrosshair(QPoint centre);
  void xorRectangle(const QRect& r);
  void xorSegments(const std::vector<shell::PixelSegment>& band);
  void runStartup();

  MainWindows& program_;
  QImage image_;
  std::unique_ptr<QtSurface> surface_;  // the display core draws through it
  bool scheduled_ = false;
  bool firstPaint_ = true;
  std::optional<QPoint> crossAt_;
  std::optional<QRect> rectAt_;
  std::vector<shell::PixelSegment> bandAt_;  // the rubber band as drawn on the image
};

}  // namespace lav::qt
