#include "qt/help_window.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
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

void OpenInSystemBrowser(const QString& path, std::function<void()> showHere) {
  const QUrl url = QUrl::fromLocalFile(path);
  const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (launcher.isEmpty()) {
    // Qt's own search for a browser; false when it finds none.
    if (!QDesktopServices::openUrl(url)) showHere();
    return;
  }
  // xdg-open tells by its exit status whether a handler took the page. It may run as long as
  // the browser it started, so it is not waited for; a run still going when the program ends is
  // left to itself rather than killed with the browser.
  auto* run = new QProcess;
  run->setProgram(launcher);
  run->setArguments({url.toString()});
  run->setStandardOutputFile(QProcess::nullDevice());
  run->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(run, &QProcess::finished, run,
                   [run, showHere](int code, QProcess::ExitStatus st) {
                     run->deleteLater();
                     if (st != QProcess::NormalExit || code != 0) showHere();
                   });
  QObject::connect(run, &QProcess::errorOccurred, run, [run, showHere](QProcess::ProcessError e) {
    if (e != QProcess::FailedToStart) return;
    run->deleteLater();
    showHere();
  });
  run->start();
}

}  // namespace lav::qt
