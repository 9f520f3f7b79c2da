// The part of the program's state that every engine may touch: the host, the settings, the open
// design, the points being entered and the continue flag that Escape clears. The whole state
// (state/app_state.h) is built on it, layer by layer, so an engine takes the layer it needs.
#pragma once

#include <string>

#include "db/design_state.h"
#include "db/settings.h"
#include "db/temp_layer.h"
#include "platform/host.h"

namespace lav::db {

struct CoreState {
  explicit CoreState(Host& h) : host(h) {}
  CoreState(const CoreState&) = delete;
  CoreState& operator=(const CoreState&) = delete;

  Host& host;
  std::string programDir = ".";  // directory of the executable: Lavinor.cmd, MOJIDATA.DAT, HLP/
  Settings settings;
  DesignState design;        // the open design, its current cell, the copy source
  TempLayer temp;            // points of the figure being entered, a pending pick
  bool continueFlag = true;  // cleared by Escape and by failing commands
};

}  // namespace lav::db
