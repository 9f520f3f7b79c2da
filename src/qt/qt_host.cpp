#include "qt/qt_host.h"

#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>
#include <ctime>

#include "console/window_messages.h"
#include "db/design_files.h"
#include "platform/sjis.h"
#include "qt/graphics_window_widget.h"
#include "qt/help_window.h"
#include "qt/qt_dialogs.h"
#include "state/app_state.h"

namespace lav::qt {
namespace {

QString q(std::string_view sjisText) {
  return QString::fromStdString(sjis::toUtf8(std::string(sjisText)));
}

QMessageBox::Icon iconOf(Icon icon) {
  switch (icon) {
    case Icon::Exclamation:
    case Icon::Warning:
      return QMessageBox::Warning;
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Question:
      return QMessageBox::Question;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// "Name|pattern|Name|pattern|" as Qt's "Name (pattern pattern)" filters; each pattern also in
// lower case, since the files come from a file system that ignores case.
QStringList qtFilters(const std::string& filter) {
  QStringList parts = QString::fromStdString(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) continue;
    QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    QStringList both = patterns;
    for (const QString& p : patterns)
      if (p.toLower() != p) both << p.toLower();
    out << parts[i] + " (" + both.join(' ') + ")";
  }
  return out;
}

}  // namespace

ModalPause::ModalPause(const HostWindows& windows) : toolbar_(windows.toolbar) {
  // A modal window needs the mouse: a confined Graphics Window lets it go until the window closes.
  if (auto* g = dynamic_cast<GraphicsWindowWidget*>(windows.graphics.data()); g && g->confined()) {
    g->setConfined(false);
    graphics_ = g;
  }
  // The Toolbar stays on top of everything else, so it steps aside while the modal window is up.
  if (toolbar_ && toolbar_->isVisible())
    toolbar_->hide();
  else
    toolbar_ = nullptr;
}

ModalPause::~ModalPause() {
  if (auto* g = dynamic_cast<GraphicsWindowWidget*>(graphics_.data())) g->setConfined(true);
  if (toolbar_) toolbar_->show();
}

QWidget* QtHost::dialogParent() const {
  if (windows.graphics) return windows.graphics;
  return windows.command ? windows.command->window() : nullptr;
}

QtHost::QtHost() {
  if (qApp) qApp->installEventFilter(this);
}

QtHost::~QtHost() {
  if (qApp) qApp->removeEventFilter(this);
}

Answer QtHost::messageBox(std::string_view text, std::string_view caption, Icon icon,
                          Buttons buttons) {
  if (boxHook) return boxHook(text, caption, icon, buttons);
  ModalPause pause(windows);
  QMessageBox box(iconOf(icon), q(caption), q(text), QMessageBox::NoButton, dialogParent());
  box.setWindowModality(Qt::ApplicationModal);
  switch (buttons) {
    case Buttons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case Buttons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case Buttons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case Buttons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Cancel:
      return Answer::Cancel;
    default:
      break;
  }
  // A box closed by its frame gives what its Escape would give.
  if (buttons == Buttons::YesNo) return Answer::No;
  if (buttons == Buttons::Ok) return Answer::Ok;
  return buttons == Buttons::OkCancel || buttons == Buttons::YesNoCancel ? Answer::Cancel
                                                                         : Answer::Ok;
}

std::optional<std::string> QtHost::openFileDialog(const FileDialogRequest& request) {
  if (fileHook) return fileHook(request);
  ModalPause pause(windows);
  const QStringList filters = qtFilters(request.filter);
  QFileDialog dialog(dialogParent(), QString::fromStdString(request.title), QDir::currentPath(),
                     filters.join(";;"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The filter the command asks for is the one in force when the dialog opens.
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
  dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QFileInfo chosen(dialog.selectedFiles().front());
  if (::chdir(chosen.absolutePath().toLocal8Bit().constData()) != 0) return std::nullopt;
  return sjis::fromUtf8(chosen.fileName().toStdString());
}

void QtHost::runDialog(DialogModel& model) {
  if (dialogHook) return dialogHook(model);
  if (!app_) return;
  ModalPause pause(windows);
  RunModelDialog(dialogParent(), *app_, model);
}

void QtHost::setTitle(std::string_view title) {
  if (windows.command) windows.command->window()->setWindowTitle(q(title));
}

void QtHost::invalidate(Window window) {
  QWidget* w = nullptr;
  switch (window) {
    case Window::Command:
      w = windows.command;
      break;
    case Window::Graphics:
      w = windows.graphics;
      break;
    case Window::Status:
      w = windows.status;
      break;
    case Window::Toolbar:
      w = windows.toolbar;
      break;
  }
  if (!w) return;
  if (auto* r = dynamic_cast<Repaintable*>(w))
    r->requestRepaint();
  else
    w->update();
}

void QtHost::messageStep(bool& continueFlag) {
  // Looking at the event queue costs far more than one element of a drawing: it is looked at
  // once a millisecond at most, which keeps Escape and the windows just as responsive. The coarse
  // clock (a tick of a few milliseconds) is read in a fifth of the time of the exact one, which
  // counts when it is asked once per element of a large drawing.
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
  const auto now = std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
  if (now - lastLook_ < std::chrono::milliseconds(1)) return;
  lastLook_ = now;
  bool* outer = stepFlag_;
  stepFlag_ = &continueFlag;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  stepFlag_ = outer;
}

bool QtHost::eventFilter(QObject* watched, QEvent* event) {
  if (!stepFlag_ || !event->spontaneous()) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) *stepFlag_ = false;
      return true;
    // Input during long work would start a second command inside the first: it is dropped.
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::InputMethod:
    case QEvent::Close:
      return true;
    default:
      return QObject::eventFilter(watched, event);
  }
}

LocalTime QtHost::now() {
  const QDateTime t = QDateTime::currentDateTime();
  return {t.date().year(), t.date().month(),  t.date().day(),
          t.time().hour(), t.time().minute(), t.time().second()};
}

void QtHost::openWithDefaultHandler(const std::string& path) {
  if (!QFileInfo::exists(QString::fromStdString(path))) {
    messageBox(db::FormatMessage(command::winmsg::kCannotOpenFile.data(), sjis::fromUtf8(path)),
               sjis::fromUtf8(command::winmsg::kErrorCaption), Icon::Exclamation, Buttons::Ok);
    return;
  }
  // The manual goes to the system's browser; without one the program shows it itself, in one
  // window that comes to the front when asked again.
  QPointer<QtHost> self(this);
  const QString file = QString::fromStdString(path);
  OpenInSystemBrowser(file, [self, file] {
    if (!self) return;
    if (!self->help_) self->help_ = new HelpWindow(self->dialogParent(), file);
    self->help_->show();
    self->help_->raise();
    self->help_->activateWindow();
  });
}

bool QtHost::showToolWindow(ToolWindow window, ToolWindowState state) {
  return toolWindows && toolWindows(window, state);
}

void QtHost::capturePointer(bool on) {
  if (!windows.graphics) return;
  windows.graphics->setCursor(on ? Qt::BlankCursor : Qt::CrossCursor);
  if (auto* g = dynamic_cast<GraphicsWindowWidget*>(windows.graphics.data())) {
    g->setConfined(on);
    g->overlaysChanged();
  }
}

bool QtHost::showCoordinates(std::string_view text) {
  if (!coordinates_) {
    auto* w = new QDialog(windows.command ? windows.command->window() : nullptr, Qt::Tool);
    w->setObjectName("coordinates");
    w->setWindowTitle(QString::fromUtf8("座標値"));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    auto* label = new QLabel(w);
    label->setObjectName("coordinates-text");
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(260);
    auto* layout = new QVBoxLayout(w);
    layout->addWidget(label);
    coordinates_ = w;
  }
  if (auto* label = coordinates_->findChild<QLabel*>("coordinates-text")) label->setText(q(text));
  coordinates_->show();
  return true;
}

void QtHost::closeCoordinateWindow() {
  if (coordinates_) coordinates_->close();
}

}  // namespace lav::qt
