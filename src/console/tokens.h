// Splitting a command line into blank-separated words, and the C-style scans that commands use
// to read a word as a number.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lav::command {

// Words separated by blank, tab or newline.
std::vector<std::string_view> SplitWords(std::string_view line);

// The words after the first (the command's arguments), as strings.
std::vector<std::string> ArgumentWords(std::string_view line);

// The text after the first word and the blanks that follow it ("" when there is none).
std::string_view RestAfterFirstWord(std::string_view line);

// Reads a leading integer as "%d" does: optional blanks, sign, digits; trailing text ignored.
// nullopt when no digit starts the word or the number does not fit an int32.
std::optional<long> ScanInt(std::string_view word);

// Reads a leading floating-point number as "%lf" does; nullopt when none starts the word.
std::optional<double> ScanDouble(std::string_view word);

}  // namespace lav::command
