#include "qt/window_frames.h"

#include <QEvent>
#include <QWindow>
#include <algorithm>

namespace lav::qt {
namespace {

QMargins frameMarginsOf(const QWidget* w) {
  const QWindow* handle = w->windowHandle();
  return handle ? handle->frameMargins() : QMargins();
}

}  // namespace

bool FramePlacer::fit(QWidget* w, const QRect& rect) {
  const QMargins m = frameMarginsOf(w);
  const QSize client(std::max(1, rect.width() - m.left() - m.right()),
                     std::max(1, rect.height() - m.top() - m.bottom()));
  // move() places a top-level window by its frame; resize() sizes its client area.
  if (w->size() != client) w->resize(client);
  if (w->frameGeometry().topLeft() != rect.topLeft()) w->move(rect.topLeft());
  return !m.isNull();
}

void FramePlacer::place(QWidget* w, const QRect& rect) {
  std::erase_if(pending_, [w](const Pending& p) { return !p.window || p.window == w; });
  if (fit(w, rect)) return;
  pending_.push_back({w, rect});
  w->installEventFilter(this);
}

bool FramePlacer::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
      break;
    default:
      return false;
  }
  for (auto it = pending_.begin(); it != pending_.end(); ++it) {
    if (it->window != watched) continue;
    const QRect rect = it->rect;
    if (frameMarginsOf(it->window).isNull()) return false;
    QWidget* w = it->window;
    pending_.erase(it);
    w->removeEventFilter(this);
    fit(w, rect);
    return false;
  }
  return false;
}

QRect FrameRect(const QWidget* w) {
  return w->frameGeometry();
}

}  // namespace lav::qt
