// Everything the running program knows, in one object created by main() (or by a test) and
// passed to the procedures that need it. There are no other mutable globals.
#pragma once

#include <string>

#include "command/command_window.h"
#include "command/dispatch_state.h"
#include "db/design_state.h"
#include "db/settings.h"
#include "db/temp_layer.h"
#include "display/print_state.h"
#include "display/screen_text_state.h"
#include "display/view_state.h"
#include "font/vector_text_state.h"
#include "geometry/geometry_state.h"
#include "geometry/selection.h"
#include "interchange/tree_state.h"
#include "macro/macro_state.h"
#include "macro/symbol_table.h"
#include "platform/host.h"
#include "shell/shell_state.h"

namespace lav {

struct AppState {
  // The host counts this state's refusals (see ShowRefusalBox).
  explicit AppState(Host& h) : host(h) { host.errorCount = &dispatch.errorsReported; }
  ~AppState() {
    if (host.errorCount == &dispatch.errorsReported) host.errorCount = nullptr;
  }
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  Host& host;
  std::string programDir = ".";  // directory of the executable: Lavinor.cmd, MOJIDATA.DAT, HLP/
  Settings settings;
  db::DesignState design;         // the open design, its current cell, the copy source
  db::TempLayer temp;             // points of the figure being entered, a pending pick
  geometry::PickState pick;       // the last pick: aperture, best element and segment
  bool continueFlag = true;       // cleared by Escape and by failing commands
  command::DispatchState dispatch;
  command::CommandWindow window;  // transcript, input line, recall list, function keys
  macro::SymbolTable symbols;
  macro::MacroState macro;        // the running macro, its callers and an INKEY$ wait
  display::DisplayState display;  // the view, the grid and the drawing switches
  display::PrintState print;     // print area, magnification, the page being printed
  display::ScreenTextState screenText;  // font failure, base mark size, pick offers of texts
  font::VectorTextState vectorText;     // the vector-text command between its steps
  geometry::GeometryState geometry;     // arc settings, transformation steps, a set-aside figure
  interchange::TreeState tree;          // the cell tree report's counter and run state
  shell::ShellState shell;        // start-up, window closing, the Graphics Window's pointer
};

}  // namespace lav
