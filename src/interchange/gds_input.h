// The stream input command: a GDSII Stream file becomes a new design with one cell per
// structure, its elements entered through the temporary input layer's output, with a
// conversion log beside the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lav::interchange {

struct ExchangeState;

enum class StreamInResult : std::uint8_t {
  Read,     // the design is open with every structure of the file
  Failed,   // a bad file or a full design: the message was shown, no design is open
  Stopped,  // Escape: no design is open
  Refused,  // nothing was started (no file, design exists, units declined)
};

// Command 117 with the words after the command word: [file [column]].
StreamInResult ReadStreamFile(ExchangeState& app, std::string_view arguments);

// A structure or reference name as a cell name: cut to 32 bytes (never inside a two-byte
// character), blanks, control characters, '&' and 0xA0 replaced by '_'.
std::string CleanCellName(std::string_view raw);

// The database unit per user unit that a UNITS record describes (its two reals: a database
// unit in user units, and in metres), or 0 when the values make no sense.
std::int32_t StreamDatabaseUnit(double userUnits, double metres);

}  // namespace lav::interchange
