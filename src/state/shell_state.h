// The application shell's own state: how the program started, the closing rules of its windows
// and the Graphics Window's pointer modes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lav::shell {

// Closing flag values: start-up failed or the Command Window is going; which window went first.
inline constexpr int kClosingCommand = 1;
inline constexpr int kClosingStatusFirst = 2;
inline constexpr int kClosingGraphicsFirst = 4;

// Screen rectangle of a window, as stored: left, top, right, bottom.
struct WindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  // In 64 bits: a rectangle read from a file may span more than an int holds.
  std::int64_t width() const { return std::int64_t(right) - left; }
  std::int64_t height() const { return std::int64_t(bottom) - top; }
  bool operator==(const WindowRect&) const = default;
};

// The Graphics Window's pointer: what it shows and what the mouse is doing.
struct PointerState {
  double userX = 0, userY = 0;      // last shown pointer position, user units
  int pixelX = 0, pixelY = 0;       // last pointer position in client pixels
  int keyboardCursor = 0;           // 0 off, 1 a crosshair follows the pointer, 2 switching off
  int rectangle = 0;                // zoom rectangle: 0 off, 1 tracking, 2 switching off
  double anchorX = 0, anchorY = 0;  // first corner of the zoom rectangle, database units
  bool captured = false;            // pointer confined to the window and the mouse captured
  bool clickActivates = false;      // the click that activated the window is no point
  bool firstPaintDone = false;
  int narrowDisplay = 0;  // 0 not sized yet, 1 narrower than 501 pixels, 2 otherwise
};

struct ShellState {
  std::string settingsPath;            // Lavinor.ini
  std::vector<std::string> arguments;  // command-line arguments after the program name
  bool whiteBackground = false;
  bool smallScreenFont = false;  // the screen is 640 pixels wide or less
  int screenWidth = 1920, screenHeight = 1080;
  int closing = 0;  // kClosing... bits
  bool toolbarExists = false;
  bool toolbarReshow = true;  // the Toolbar is shown again when one of our windows gains focus
  bool paletteShown = false;  // the paint palette is up: clicks are not snapped
  PointerState pointer;
};

}  // namespace lav::shell
