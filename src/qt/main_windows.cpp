#include "qt/main_windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "command/paint_palette.h"
#include "command/toolbar.h"
#include "command/window_input.h"
#include "console/command_window.h"
#include "platform/ini_file.h"
#include "platform/sjis.h"
#include "qt/command_window_widget.h"
#include "qt/font_faces.h"
#include "qt/graphics_window_widget.h"
#include "qt/paint_palette_window.h"
#include "qt/qt_dialogs.h"
#include "qt/qt_translations.h"
#include "qt/status_window_widget.h"
#include "qt/toolbar_window.h"
#include "qt/window_frames.h"
#include "shell/messages.h"

namespace lav::qt {
namespace {

// Said, with exit status 2, where the windows cannot be shown.
constexpr const char* kNoDisplay =
    "lavinor: no display to show the windows on; to run command lines without windows use "
    "--batch FILE (or --batch - for standard input)\n";

bool displayNamed() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* v = std::getenv(name); v && *v) return true;
  return false;
}

// Installed while the application connects to the display: Qt's account of a failed connection
// gives way to the one line above, and its abort to exit status 2.
void startupMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fputs(kNoDisplay, stderr);
    std::_Exit(2);
  }
  if (context.category && std::strncmp(context.category, "qt.qpa.", 7) == 0) return;
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

QRect toQRect(const shell::WindowRect& r) {
  return {r.left, r.top, static_cast<int>(r.width()), static_cast<int>(r.height())};
}
shell::WindowRect fromQRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// Where stored rectangles may be: every screen's area.
std::vector<shell::WindowRect> screenRects() {
  std::vector<shell::WindowRect> out;
  for (const QScreen* s : QGuiApplication::screens()) out.push_back(fromQRect(s->geometry()));
  return out;
}

std::optional<command::Key> keyOf(int qtKey) {
  using command::Key;
  switch (qtKey) {
    case Qt::Key_Up:
      return Key::Up;
    case Qt::Key_Down:
      return Key::Down;
    case Qt::Key_PageUp:
      return Key::PageUp;
    case Qt::Key_PageDown:
      return Key::PageDown;
    case Qt::Key_Home:
      return Key::Home;
    case Qt::Key_End:
      return Key::End;
    case Qt::Key_Left:
      return Key::Left;
    case Qt::Key_Right:
      return Key::Right;
    case Qt::Key_Delete:
      return Key::Delete;
    default:
      break;
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F15)
    return command::FunctionKey(qtKey - Qt::Key_F1 + 1);
  return std::nullopt;
}

int controlCharacterOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Escape:
      return 27;
    default:
      return -1;
  }
}

}  // namespace

MainWindows::MainWindows(std::string programDir, std::vector<std::string> args, std::string iniPath)
    : app(host) {
  host.attach(app);
  app.programDir = std::move(programDir);
  app.shell.arguments = std::move(args);
  app.shell.settingsPath = std::move(iniPath);
}

MainWindows::~MainWindows() {
  // Focus moves while the windows go: nothing may be shown or created any more.
  ended_ = true;
  for (QWidget* w : {static_cast<QWidget*>(command.data()), static_cast<QWidget*>(graphics.data()),
                     static_cast<QWidget*>(status.data()), toolbar.data(),
                     static_cast<QWidget*>(palette.data())})
    delete w;
}

bool MainWindows::start() {
  const shell::StartOutcome outcome = shell::CheckStart(app);
  if (outcome != shell::StartOutcome::Run) return false;
  marked_ = true;
  app.display.blackBackground = !app.shell.whiteBackground;
  app.settings.layerPen[68] = app.shell.whiteBackground ? 40 : 33;

  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
  const int W = area.width(), H = area.height();
  app.shell.screenWidth = W;
  app.shell.screenHeight = H;
  app.display.view.screenWidth = W;
  app.display.view.screenHeight = H;

  // The Command Window's font: the small-screen font on a narrow screen.
  QFont font(QStringLiteral("標準ゴシック"));
  font.setStyleHint(QFont::TypeWriter);
  font.setWeight(QFont::Normal);
  app.shell.smallScreenFont = W <= 640;
  font.setPixelSize(app.shell.smallScreenFont ? 13 : 16);

  command = new CommandWindowWidget(*this, font);
  host.windows.command = command->view();
  command::CreateCommandWindow(app);
  app.window.lineHeight = command->view()->lineHeight();
  status = new StatusWindowWidget(*this, font);
  graphics = new GraphicsWindowWidget(*this);
  host.windows.status = status;
  host.windows.graphics = graphics;

  const shell::WindowLayout layout =
      shell::StoredLayout(app.shell.settingsPath, W, H, app.window.lineHeight, screenRects());
  // The rectangles are the windows' frames; the clients fit inside once the frames are known.
  frames_.place(command, toQRect(layout.command));
  frames_.place(status, toQRect(layout.status));
  frames_.place(graphics, toQRect(layout.graphics));
  host.setTitle(sjis::fromUtf8(shell::msg::kProgramCaption));
  command->show();
  status->show();
  graphics->show();
  command->activateWindow();
  command->view()->setFocus();

  // The paint palette waits hidden for the paint command.
  palette = new PaintPaletteWindow(*this);
  palette->move(toolWindowPlace());
  host.toolWindows = [this](ToolWindow w, ToolWindowState s) { return showToolWindow(w, s); };
  QObject::connect(qApp, &QApplication::focusChanged, palette,
                   [this](QWidget*, QWidget* now) { focusMoved(now); });
  if (QWindow* handle = command->windowHandle()) {
    // The palette goes with the minimized Command Window and comes back with it.
    QObject::connect(handle, &QWindow::windowStateChanged, palette, [this](Qt::WindowState st) {
      if (!palette) return;
      if (st == Qt::WindowMinimized)
        palette->hide();
      else if (app.shell.paletteShown)
        palette->show();
    });
  }
  return true;
}

void MainWindows::finish() {
  if (marked_) shell::SetRunningMark(app.shell.settingsPath, "0");
  marked_ = false;
}

void MainWindows::saveRect(QWidget* w, const char* key) {
  shell::SaveWindowRect(app.shell.settingsPath, key, fromQRect(FrameRect(w)));
}

void MainWindows::requestClose(shell::MainWindow which, QCloseEvent* event) {
  event->ignore();
  if (ended_) return;
  if (!shell::ConfirmEnd(app)) return;
  destroyWindow(which);
}

void MainWindows::destroyWindow(shell::MainWindow which) {
  QWidget* w = nullptr;
  const char* key = nullptr;
  switch (which) {
    case shell::MainWindow::Command:
      w = command, key = shell::msg::kKeyCommandWindow;
      command = nullptr;
      break;
    case shell::MainWindow::Status:
      w = status, key = shell::msg::kKeyStatusWindow;
      status = nullptr;
      break;
    case shell::MainWindow::Graphics:
      w = graphics, key = shell::msg::kKeyGraphicsWindow;
      graphics = nullptr;
      break;
  }
  if (!w) return;
  saveRect(w, key);
  w->hide();
  const auto others = shell::WindowDestroyed(app.shell, which);
  for (shell::MainWindow o : others) destroyWindow(o);
  if (which == shell::MainWindow::Command) {
    if (app.design.isOpen()) shell::ConfirmEnd(app);
    shell::SaveToolbarState(app.shell.settingsPath, app.shell.toolbarExists && toolbar);
    if (toolbar) {
      saveToolbarRect();
      toolbar->hide();
      toolbar->deleteLater();
    }
    if (palette) {
      palette->hide();
      palette->deleteLater();
    }
    ended_ = true;
    QCoreApplication::exit(0);
  }
  w->deleteLater();
}

void MainWindows::afterInput() {
  if (app.dispatch.endRequested && !ended_) destroyWindow(shell::MainWindow::Command);
}

bool MainWindows::forwardKey(QKeyEvent* e) {
  if (ended_) return false;
  const auto mods = e->modifiers();
  if ((mods & Qt::AltModifier) && (e->key() == Qt::Key_Question || e->key() == Qt::Key_Slash)) {
    showVersion();
    return true;
  }
  if (auto key = keyOf(e->key())) {
    command::PressKey(app, *key);
  } else if (int c = controlCharacterOf(e->key()); c >= 0) {
    command::TypeCharacter(app, c);
  } else {
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const std::string bytes = sjis::fromUtf8(e->text().toStdString());
    if (bytes.empty()) return false;
    for (unsigned char b : bytes)
      if (b >= 32 && b != 127) command::TypeCharacter(app, b);
  }
  afterInput();
  return true;
}

void MainWindows::showVersion() {
  ModalPause pause(host.windows);
  ShowVersionDialog(host.dialogParent());
}

void MainWindows::showToolbar() {
  // Painting started by AUTO.MAC keeps its palette in front: the Toolbar waits its turn.
  const bool painting = app.dispatch.current == shell::kPaintCommand;
  if (!showToolWindow(ToolWindow::Toolbar, ToolWindowState::Shown)) return;
  app.shell.toolbarReshow = painting;
  if (painting) toolbar->hide();
}

QPoint MainWindows::toolWindowPlace() const {
  // Inside the Command Window's right edge, below its menu: neither the menu nor the drawing
  // is covered.
  const int W = app.shell.screenWidth;
  return QPoint(std::max(5, W / 4 - shell::kPaletteClientWidth - 10), 60);
}

ToolbarWindow* MainWindows::toolbarWindow() const {
  return static_cast<ToolbarWindow*>(toolbar.data());
}

void MainWindows::saveToolbarRect() {
  // The window's place with its frame, as it is moved back there.
  if (toolbar)
    shell::SaveWindowRect(app.shell.settingsPath, shell::msg::kKeyToolbar,
                          fromQRect(FrameRect(toolbar)));
}

void MainWindows::toolbarClosing(ToolbarWindow* window) {
  if (window != toolbar) return;
  saveToolbarRect();
  shell::ToolbarDestroyed(app);
  toolbar = nullptr;
  host.windows.toolbar = nullptr;
}

void MainWindows::pressToolbarButton(int index) {
  if (ended_) return;
  // As a menu item: typing goes on in the Graphics Window.
  if (graphics) {
    graphics->activateWindow();
    graphics->setFocus();
  }
  shell::PressToolbarButton(app, index);
  afterInput();
}

bool MainWindows::showToolWindow(ToolWindow which, ToolWindowState state) {
  if (ended_) return false;
  if (which == ToolWindow::Palette) {
    if (!palette) return false;
    const bool show = state != ToolWindowState::Hidden;
    // The palette takes the Toolbar's place, which the Toolbar leaves while painting.
    if (show && !palette->isVisible()) palette->move(toolbar ? toolbar->pos() : toolWindowPlace());
    palette->setVisible(show);
    if (state == ToolWindowState::Focused) palette->activateWindow();
    // The Graphics Window shows the paint cursor while points are painted.
    if (graphics) graphics->setCursor(show ? Qt::PointingHandCursor : Qt::CrossCursor);
    return true;
  }
  if (state == ToolWindowState::Hidden) {
    if (!toolbar) return false;
    toolbar->hide();
    return true;
  }
  if (!toolbar) {
    auto* t = new ToolbarWindow(*this, app.programDir + "/icons");
    QPoint at = toolWindowPlace();
    if (auto r = shell::ReadWindowRect(app.shell.settingsPath, shell::msg::kKeyToolbar);
        r && shell::UsableWindowRect(*r, screenRects()))
      at = QPoint(r->left, r->top);
    t->move(at);
    toolbar = t;
    host.windows.toolbar = t;
  }
  app.shell.toolbarExists = true;
  toolbar->show();
  if (state == ToolWindowState::Focused) {
    toolbar->raise();
    toolbar->activateWindow();
    toolbar->setFocus();
  }
  return true;
}

void MainWindows::focusMoved(QWidget* now) {
  if (ended_) return;
  QWidget* top = now ? now->window() : nullptr;
  const bool main = top && (top == command || top == status || top == graphics);
  const bool ours = main || (top && (top == toolbar || top == palette));
  if (ours) shell::ReshowToolbar(app);
  if (!main && !(top && top == toolbar)) shell::NoteFocusLoss(app, shell::FocusTarget::Elsewhere);
}

int RunWindowedProgram(int argc, char** argv, const std::string& programDir) {
  if (!displayNamed()) {
    std::fputs(kNoDisplay, stderr);
    return 2;
  }
  // The face names the program asks for are mapped to the installed Japanese fonts.
  const std::string fontConfig = programDir + "/fonts.conf";
  if (!std::getenv("FONTCONFIG_FILE") && std::filesystem::exists(fontConfig))
    ::setenv("FONTCONFIG_FILE", fontConfig.c_str(), 0);
  const QtMessageHandler before = qInstallMessageHandler(startupMessage);
  QApplication qapp(argc, argv);
  qInstallMessageHandler(before);
  QFont::insertSubstitutions(QStringLiteral("標準ゴシック"), {"IPAGothic", "IPAゴシック"});
  InstallFaceSubstitutes();  // the drawing's "ＭＳ 明朝" and "Arial" as installed fonts
  InstallQtJapanese();
  std::vector<std::string> args(argv + 1, argv + argc);
  MainWindows program(programDir, args, ini::SettingsFilePath());
  if (!program.start()) return 0;
  const int rc = program.ended() ? 0 : qapp.exec();
  program.finish();
  return rc;
}

}  // namespace lav::qt
