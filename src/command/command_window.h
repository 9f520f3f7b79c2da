// The Command Window's logic (placeholder: filled in by the command window work).
#pragma once

namespace lav::command {
struct CommandWindow {};
}  // namespace lav::command
