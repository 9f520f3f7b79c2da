// Start-up and shut-down rules of the program that do not depend on the window system: the
// files it cannot run without, the single-instance mark, the background colour, the window
// rectangles in Lavinor.ini, the closing order of the three main windows and the exit question.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "state/shell_state.h"

namespace lav {
struct AppState;
}

namespace lav::shell {

// Full path of the first of MOJIDATA.DAT and Lavinor.cmd that cannot be read in programDir
// (names found without regard to case), nullopt when both are there.
std::optional<std::string> MissingRequiredFile(const std::string& programDir);

// The folder the program's files are read from: the executable's own folder when it holds
// MOJIDATA.DAT or Lavinor.cmd (a build tree), else ../share/lavinor beside it when that does (an
// installed program), else the executable's folder, so that the missing files are named there.
std::string DataDirectory(const std::string& executableDir);

// True when an argument is "/S" or "-S" (any case): the single-instance check is skipped.
bool SkipsInstanceCheck(const std::vector<std::string>& args);

// Writes "起動状態"/"OPEN" = value; returns whether the value read before was "1".
bool SetRunningMark(const std::string& iniPath, const char* value);

// Reads and normalises the background colour, then applies "/W", "/B" (and "-W", "-B") in
// order, writing the choice back. True for a white background.
bool FixBackground(const std::string& iniPath, const std::vector<std::string>& args);

// "WindowSize"/key as four integers; nullopt when missing, not four integers or beyond an int.
std::optional<WindowRect> ReadWindowRect(const std::string& iniPath, const char* key);
void SaveWindowRect(const std::string& iniPath, const char* key, const WindowRect& rect);

struct WindowLayout {
  WindowRect command, status, graphics;
};
// The fixed arrangement for a W x H screen and the Command Window's line height L.
WindowLayout DefaultLayout(int screenW, int screenH, int lineHeight);
// A window needs this much of itself on a screen, each way, to be seen and taken hold of.
inline constexpr int kMinVisiblePart = 16;
// Whether a stored rectangle can make a window: a positive size the window system allows, and
// at least kMinVisiblePart pixels each way on one of the screens.
bool UsableWindowRect(const WindowRect& rect, const std::vector<WindowRect>& screens);

// The default arrangement with each stored rectangle in place of its default; a stored Command
// Window rectangle less than 40 pixels high gives the full-height column at (0, 0). A stored
// rectangle that is not usable on the screens (none given: the one W x H screen) is replaced by
// its default, which is written back.
WindowLayout StoredLayout(const std::string& iniPath, int screenW, int screenH, int lineHeight,
                          std::vector<WindowRect> screens = {});

// Whether the Toolbar is shown at the first paint: "Toolbar"/"Toolbar" missing or "TRUE".
bool ToolbarWanted(const std::string& iniPath);
void SaveToolbarState(const std::string& iniPath, bool exists);

enum class StartOutcome { Run, MissingFile, AlreadyRunning };
// Steps 2 to 4 of the start: required files (a box names a missing one), the instance mark (a
// box when another instance runs), the background. Fills app.shell.whiteBackground.
StartOutcome CheckStart(AppState& app);

enum class MainWindow { Command, Status, Graphics };
// A main window is being destroyed: notes it in the closing flag and returns the other main
// windows that must be destroyed with it now.
std::vector<MainWindow> WindowDestroyed(ShellState& shell, MainWindow which);

// The question at the end of the program while a design is open: Yes writes and closes it, No
// closes it without writing. False when the design could not be written: it stays open and
// the program goes on, so that nothing is lost.
bool ConfirmEnd(AppState& app);

}  // namespace lav::shell
