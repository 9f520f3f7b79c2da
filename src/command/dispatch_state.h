// State of the command dispatcher (placeholder: filled in by the dispatcher work).
#pragma once

namespace lav::command {
struct DispatchState {};
}  // namespace lav::command
