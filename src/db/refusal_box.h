// A refusal with a message of the string table: an exclamation box with an OK button, counted
// once as an error of the command (through ShowRefusalBox).
#pragma once

#include <string_view>

namespace lav::db {

struct CoreState;

// The message is UTF-8 with at most one %s, filled with the Shift-JIS argument; the caption is
// Shift-JIS (the common "Error" by default).
void ShowRefusal(CoreState& app, const char* utf8, std::string_view sjisArgument = {},
                 std::string_view sjisCaption = "Error");

}  // namespace lav::db
