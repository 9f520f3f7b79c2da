// Everything the running program knows, in one object created by main() (or by a test) and
// passed to the command procedures. It is assembled from the layers the engines take (core,
// console, scene, exchange); there are no other mutable globals.
#pragma once

#include "font/vector_text_state.h"
#include "geometry/selection.h"
#include "interchange/exchange_state.h"
#include "macro/macro_state.h"
#include "macro/symbol_table.h"
#include "state/shell_state.h"

namespace lav {

struct AppState : interchange::ExchangeState {
  // The host counts this state's refusals (see ShowRefusalBox).
  explicit AppState(Host& h) : ExchangeState(h) { host.errorCount = &dispatch.errorsReported; }
  ~AppState() {
    if (host.errorCount == &dispatch.errorsReported) host.errorCount = nullptr;
  }

  geometry::PickState pick;  // the last pick: aperture, best element and segment
  macro::SymbolTable symbols;
  macro::MacroState macro;           // the running macro, its callers and an INKEY$ wait
  font::VectorTextState vectorText;  // the vector-text command between its steps
  shell::ShellState shell;           // start-up, window closing, the Graphics Window's pointer
};

}  // namespace lav
