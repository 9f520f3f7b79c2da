// The console state with what drawing needs: the view, the drawing switches, the print area and
// the screen texts. The drawing engines take this layer.
#pragma once

#include "console/console_state.h"
#include "display/print_state.h"
#include "display/screen_text_state.h"
#include "display/view_state.h"

namespace lav::display {

struct SceneState : command::ConsoleState {
  using command::ConsoleState::ConsoleState;
  DisplayState display;        // the view, the grid and the drawing switches
  PrintState print;            // print area, magnification, the page being printed
  ScreenTextState screenText;  // font failure, base mark size, pick offers of texts
};

}  // namespace lav::display
