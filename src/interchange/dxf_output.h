// The DXF output command: the open design as an AC1009 DXF file with the conversion log beside
// it. It only reads the design.
#pragma once

#include <string>
#include <string_view>

#include "interchange/dxf_pairs.h"
#include "interchange/dxf_writer.h"

namespace lav::interchange {

struct ExchangeState;

enum class DxfOutResult : std::uint8_t {
  Normal,
  Failed,   // a write failed: the partial file was removed and the failure shown
  Stopped,  // Escape: the partial file was removed
  Refused,  // nothing written (existing file, file not creatable)
};

struct DxfOutOptions {
  DxfSink sink;  // receives the text instead of the file (tests of failing disks)
};

// Command 121 with the words after the command word: [file [column]].
DxfOutResult WriteDxfFile(ExchangeState& app, std::string_view arguments,
                          const DxfOutOptions& options = {});

}  // namespace lav::interchange
