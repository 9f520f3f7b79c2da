// State of the command dispatcher: which command waits, in which step, and the few values that
// commands keep between their steps.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lav::command {

// Current command numbers with a meaning of their own.
inline constexpr std::int32_t kIdle = 0;
inline constexpr std::int32_t kNothing = -1;
inline constexpr std::int32_t kLastBuiltIn = 124;
// A command n that needs a second answer waits in n + kStepOffset.
inline constexpr std::int32_t kStepOffset = 500;

// One of the three text-file slots that macros read and write.
struct TextSlot {
  std::string fileName;  // at most 130 bytes
  long readPosition = 0;
};

struct DispatchState {
  std::int32_t current = kIdle;           // waiting command or step number
  bool busy = false;                      // from Enter until the command returns
  int pickMode = 0;                       // 10 while a point is wanted from the Graphics Window
  int resumeMarker = 0;                   // odd: the point step a view command interrupted
  bool completion = true;                 // cleared by a redraw that was cut short
  bool dialogOpen = false;                // a command's modal dialog is up
  int arcStep = 0;                        // which arc parameter command 103 asks next
  int arrayStep = 0;                      // which array value command 90 asks next
  int functionKeyEdit = 0;                // key whose text command 73 edits
  std::int32_t originX = 0, originY = 0;  // relative-coordinate origin, database units
  std::array<TextSlot, 3> textSlots;
  std::string typedLine;      // the last entered line before its expansion
  long errorsReported = 0;    // refusals and error lines, for the batch runner's exit status
  bool endRequested = false;  // the program should end (command 1)
};

}  // namespace lav::command
