// The Status Window's fields: where each one sits for a window size and font, what text it shows
// in which colours, and which part of the window a change to one field repaints. The window
// itself only measures text and draws the texts this module lists.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "console/status_fields.h"
#include "platform/surface.h"

namespace lav {
struct AppState;
}

namespace lav::shell {

// The fields are marked by the engines too (a redraw changes the view's corners).
using command::InvalidateStatus;
using command::kAllStatusFields;
using command::StatusField;
using command::TakeStatusInvalidations;
using enum command::StatusField;

// Pixel width of a Shift-JIS text in the window's font.
using TextWidth = std::function<int(std::string_view sjisText)>;

// Where the fields sit, measured at every size of the window. L is the Command Window's line
// height.
struct StatusLayout {
  int width = 0, height = 0, lineHeight = 16;
  int bottomRow = 0;      // h - L
  int cellValueX = 0;     // width of " CEL:0"
  int layerLabelX = 0;    // w / 3
  int layerValueX = 0;    // w / 3 + width of " LAY:0"
  int elementLabelX = 0;  // w / 2 - 12
  int elementValueX = 0;  // w / 2 + width of " EL:0" - 12
  int coordLabelX = 0;    // element value x + width of "9.00"
  int xRight = 0;         // right edge of the X value
  int yRight = 0;         // right edge of the Y value
  int layerListsX = 0;    // width of "Window Area: XXXXXXX.XXX XXXXXXXX.XXX"
  // The placed cell's name or the line width fits above the bottom row.
  bool showsDetail() const { return bottomRow - 2 * lineHeight + 5 > 0; }
};

StatusLayout LayoutStatus(int width, int height, int lineHeight, const TextWidth& measure);

struct StatusRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// The part of the window that covers a field's text (its label stays as it is).
StatusRect StatusFieldRect(const StatusLayout& layout, StatusField field);

// One text to draw: its top-left corner, Shift-JIS text, text and background colour.
struct StatusText {
  StatusField field;
  bool label = false;  // black on green
  int x = 0, y = 0;
  std::string text;
  Rgb colour = 0, background = 0;
};

// Every text of the window in painting order.
std::vector<StatusText> StatusTexts(const AppState& app, const StatusLayout& layout,
                                    const TextWidth& measure);

// The X and Y values as shown: the pointer position in user units, as an offset from the
// relative origin while the coordinate mode is relative and the keyboard cursor is on.
std::string StatusCoordinate(const AppState& app, bool y);

}  // namespace lav::shell
