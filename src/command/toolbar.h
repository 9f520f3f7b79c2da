// The Toolbar: 22 picture buttons, each typing one or more command lines exactly as a menu item
// does, and the rules that bring the Toolbar back when the program gets the focus again.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::shell {

inline constexpr int kToolbarButtons = 22;
inline constexpr int kToolbarColumns = 2;
inline constexpr int kToolbarRows = 11;
inline constexpr int kToolbarButtonSize = 22;   // pixels square
inline constexpr int kToolbarButtonPitch = 24;  // from one button's corner to the next
inline constexpr int kToolbarClientWidth = 46;
inline constexpr int kToolbarClientHeight = 262;

// One command line a button sends: the command's name from the command file, then the argument.
struct ToolbarLine {
  std::int16_t command = 0;
  const char* argument = "";
};

struct ToolbarButton {
  int row = 0, column = 0;
  const char* icon = "";  // base name of the picture in icons/ beside the program
  std::array<ToolbarLine, 3> lines{};
  int lineCount = 0;
  const char* tip = "";  // what the button does, for the pointer's tool tip (UTF-8)
};

// The buttons in creation order, row by row, left column first.
std::span<const ToolbarButton> ToolbarButtons();

// Button index 0..21 released inside: its lines are sent in order, each like a menu item. Stops
// when a line could not be entered.
void PressToolbarButton(AppState& app, int index);

// Command 124: creates the Toolbar if it does not exist, shows and focuses it.
void StartShowToolbar(AppState& app, std::string_view line);

// One of the program's windows gained the focus (or the Command Window was painted): a Toolbar
// marked for re-showing comes back, unless painting (command 122) is going on.
void ReshowToolbar(AppState& app);

// Where the focus went when one of our windows lost it.
enum class FocusTarget {
  MainWindow,     // the Command, Status or Graphics Window
  ToolbarButton,  // the Toolbar itself
  Elsewhere,      // another window of ours, or another program
};
// A Toolbar that is not marked yet is marked for re-showing when the focus leaves for elsewhere.
void NoteFocusLoss(AppState& app, FocusTarget target);

// The Toolbar window was destroyed (closed by its system menu): command 124 creates it again.
void ToolbarDestroyed(AppState& app);

}  // namespace lav::shell
