// The variable table (placeholder: filled in by the variables work).
#pragma once

namespace lav::macro {
struct SymbolTable {};
}  // namespace lav::macro
