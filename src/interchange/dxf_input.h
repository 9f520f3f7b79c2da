// The DXF input command: an ASCII DXF file into a new design named after it, with the
// conversion log (and its layer table) beside the file.
#pragma once

#include <cstdint>
#include <string_view>

namespace lav::interchange {

struct ExchangeState;

enum class DxfInResult : std::uint8_t {
  Read,      // read to the end; the new design is open
  ErrorEnd,  // reading stopped early (the message was shown); what was read stays open
  Stopped,   // Escape; what was read stays open
  Refused,   // no design was made (no file, existing design, binary or empty file)
};

// Command 120 with the words after the command word: [file [column]].
DxfInResult ReadDxfFile(ExchangeState& app, std::string_view arguments);

}  // namespace lav::interchange
