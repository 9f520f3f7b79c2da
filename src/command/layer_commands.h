// Commands that change the per-layer display, selection, fill and pen tables from a list of
// layer numbers typed after the command name.
#pragma once

#include <string_view>

#include "db/settings.h"

namespace lav::command {

// True when command is one of the layer-list commands (23-31, 38-56).
bool IsLayerListCommand(int command);

// Carries out a layer-list command with the words after its name. A list without layer numbers
// means all 64 layers where the command allows it; numbers outside 0..63 are skipped and the
// first word that is not a number ends the list. Returns whether the drawing must be redrawn.
bool RunLayerListCommand(Settings& settings, int command, std::string_view arguments);

}  // namespace lav::command
