#include "qt/help_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QUrl>
#include <algorithm>

namespace lav::qt {

HelpWindow::HelpWindow(QWidget* owner, const QString& path) : QTextBrowser(owner) {
  setWindowFlag(Qt::Window);
  setObjectName("help");
  setAttribute(Qt::WA_DeleteOnClose);
  setOpenExternalLinks(true);
  setSource(QUrl::fromLocalFile(path));
  setWindowTitle(documentTitle().isEmpty() ? path : documentTitle());
  // Over the owner (the drawing), as large as a page of the manual reads well, on the screen.
  const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const QSize size(std::min(860, area.width()), std::min(760, area.height()));
  resize(size);
  const QPoint centre = owner ? owner->frameGeometry().center() : area.center();
  QRect at(QPoint(), size);
  at.moveCenter(centre);
  at.moveLeft(
      std::clamp(at.left(), area.left(), std::max(area.left(), area.right() - size.width())));
  at.moveTop(std::clamp(at.top(), area.top(), std::max(area.top(), area.bottom() - size.height())));
  move(at.topLeft());
}

}  // namespace lav::qt
