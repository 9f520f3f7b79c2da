// Variables as command lines name them: "&NAME". Assignment evaluates the expression, so a
// variable holds numbers in one canonical text form, or any other text as typed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macro/preprocess.h"
#include "macro/symbol_table.h"

namespace lav::macro {

// Numbers as a variable stores them: each with 14 decimals, trailing zeros removed (the point
// stays: 3 is "3."), joined by two blanks.
std::string CanonicalValueText(const std::vector<double>& numbers);

// Assigns the expression to the variable (name with its '&'). The expression is expanded; when
// it reads as numbers the variable gets their canonical text, otherwise the expanded text.
// Returns false when nothing was stored: an empty name or value, or a refusal added to refusals
// (name or value longer than 255 bytes, table full).
bool Assign(SymbolTable& table, Refusals& refusals, std::string_view nameWithAmp,
            std::string_view expression);

// The value text of a variable (name with its '&'), or nullopt for an unknown name.
std::optional<std::string> LookUp(const SymbolTable& table, std::string_view nameWithAmp);

}  // namespace lav::macro
