// The windowed program: the Qt host, the application state and the four windows, created in
// their fixed arrangement at start and destroyed together at the end.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "qt/qt_host.h"
#include "qt/window_frames.h"
#include "shell/startup.h"
#include "state/app_state.h"

class QCloseEvent;
class QKeyEvent;

namespace lav::qt {

class CommandWindowWidget;
class GraphicsWindowWidget;
class PaintPaletteWindow;
class StatusWindowWidget;
class ToolbarWindow;

class MainWindows {
 public:
  // programDir holds Lavinor.cmd and MOJIDATA.DAT; args are the command-line arguments after
  // the program name; iniPath is Lavinor.ini.
  MainWindows(std::string programDir, std::vector<std::string> args, std::string iniPath);
  ~MainWindows();

  // The start: required files, the instance mark, the background, the windows (shown).
  // False when the program must end at once (the reason has been shown).
  bool start();
  // After the message loop: the instance mark is cleared.
  void finish();
  // True once the Command Window is gone (the program ends).
  bool ended() const { return ended_; }

  // A main window's close button or system menu: asks the exit question (which may keep the
  // program running), then destroys the three windows in the specified order.
  void requestClose(shell::MainWindow which, QCloseEvent* event);
  // Destroys a main window and the others it takes with it.
  void destroyWindow(shell::MainWindow which);
  // Called after every input handled: the exit command ends the program here.
  void afterInput();

  // Keys of every window go to the Command Window; true when the key was taken.
  bool forwardKey(QKeyEvent* event);
  // The version information dialog (menu item 1104, Alt+? and Alt+/).
  void showVersion();
  // The Toolbar at the first paint: created where it was last and shown, not focused.
  void showToolbar();
  // A Toolbar button released over itself: its lines are sent with the Graphics Window focused.
  void pressToolbarButton(int index);
  // The Toolbar is being closed by its system menu: its place is saved and it is forgotten.
  void toolbarClosing(ToolbarWindow* window);
  // The core's request to show or hide the Toolbar or the palette.
  bool showToolWindow(ToolWindow window, ToolWindowState state);
  ToolbarWindow* toolbarWindow() const;

  QtHost host;
  AppState app;
  QPointer<CommandWindowWidget> command;
  QPointer<GraphicsWindowWidget> graphics;
  QPointer<StatusWindowWidget> status;
  QPointer<QWidget> toolbar;
  QPointer<PaintPaletteWindow> palette;

 private:
  void saveRect(QWidget* w, const char* key);
  void saveToolbarRect();
  QPoint toolWindowPlace() const;  // where the Toolbar and the palette first appear
  void focusMoved(QWidget* now);
  FramePlacer frames_;
  bool ended_ = false;
  bool marked_ = false;  // this instance wrote the running mark
};

// The whole windowed program: QApplication, start, loop, end. Returns the exit code.
int RunWindowedProgram(int argc, char** argv, const std::string& programDir);

}  // namespace lav::qt
