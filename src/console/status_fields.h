// The Status Window's fields, which any command or engine may ask to be repainted.
#pragma once

namespace lav::command {

struct ConsoleState;

// The fields, as bits, so that several can be invalidated at once.
enum StatusField : unsigned {
  kStatusCell = 1u << 0,
  kStatusLayer = 1u << 1,
  kStatusElement = 1u << 2,
  kStatusX = 1u << 3,
  kStatusY = 1u << 4,
  kStatusDetail = 1u << 5,  // the placed cell's name or the line width
  kStatusView = 1u << 6,    // the view window's corners and size
  kStatusLayerLists = 1u << 7,
};
inline constexpr unsigned kAllStatusFields = (1u << 8) - 1;

// Asks the window to repaint the given fields (bits of StatusField).
void InvalidateStatus(ConsoleState& app, unsigned fields);

// The fields asked for since the last call (all of them after a plain invalidation of the
// window), and forgets them.
unsigned TakeStatusInvalidations(ConsoleState& app);

}  // namespace lav::command
