// The windows' rectangles are those of their frames (title bar and border included), as the
// settings file stores them: a window is placed so that its frame covers the rectangle and its
// client area fits inside. Without a window manager there is no frame and the two are the same.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <vector>

namespace lav::qt {

class FramePlacer : public QObject {
 public:
  // Puts w's frame on rect. A window manager makes its frame known only once the window is
  // mapped; the client is shrunk to fit then, once.
  void place(QWidget* w, const QRect& rect);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Pending {
    QPointer<QWidget> window;
    QRect rect;
  };
  // True when the frame is known and the window now fills its rectangle.
  static bool fit(QWidget* w, const QRect& rect);
  std::vector<Pending> pending_;
};

// The rectangle the settings file keeps for a window: its frame on the screen.
QRect FrameRect(const QWidget* w);

}  // namespace lav::qt
