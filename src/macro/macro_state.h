// What the macro runner keeps while a macro runs: where the next line comes from, the macros
// that called the current one, and the variable an INKEY$ line waits to fill.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "macro/macro_file.h"

namespace lav::macro {

enum class RunState : std::uint8_t {
  Idle,
  WaitingForInput,  // an INKEY$ line waits for the user's next Enter
  Running,
};

// Macros nest at most this deep (callers on the stack).
inline constexpr std::size_t kMaxCallers = 10;

struct MacroCaller {
  std::string path;
  std::size_t position = 0;  // byte offset of the caller's next line
};

// Limits a batch run puts on macros, so that an endless loop cannot hang it. Zero: no limit.
struct MacroLimits {
  long maxLines = 0;
  std::chrono::steady_clock::duration maxTime{};
};

struct MacroState {
  RunState state = RunState::Idle;
  std::string path;          // the current macro file (absolute)
  std::size_t position = 0;  // byte offset of its next line
  std::vector<MacroCaller> callers;
  std::string inputVariable;  // "&NAME" that the next typed line is assigned to
  bool inputPending = false;
  // True while the runner enters one of its lines: Enter is then the macro's own, not the user's.
  bool enteringLine = false;
  MacroSource source;  // the current file's bytes, read again when the file changes

  MacroLimits limits;
  long linesRun = 0;  // lines taken from macro files since the top-level macro started
  std::chrono::steady_clock::time_point startedAt{};
  bool limitReached = false;  // a limit stopped a macro in this run
};

}  // namespace lav::macro
