// The stream output command: every live cell of the open design into one GDSII Stream file,
// with the conversion log beside it. It only reads the design.
#pragma once

#include <string>
#include <string_view>

#include "interchange/gds_record_stream.h"

namespace lav::interchange {

struct ExchangeState;

enum class StreamOutResult : std::uint8_t {
  Normal,    // every cell written, log ends with the normal end
  ErrorEnd,  // the run ended as an error end; the stream file was removed
  Stopped,   // Escape: the stream file was removed
  Refused,   // nothing was written (existing file, declined, not creatable)
};

struct StreamOutOptions {
  gds::ByteSink sink;  // receives the stream's bytes instead of the file (tests of failing disks)
};

// Command 118 with the words after the command word: [file [column]].
StreamOutResult WriteStreamFile(ExchangeState& app, std::string_view arguments,
                                const StreamOutOptions& options = {});

}  // namespace lav::interchange
