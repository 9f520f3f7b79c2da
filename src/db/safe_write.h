// Replacing a file without ever leaving it half written: the bytes go to a temporary file beside
// it (unique to this process, created exclusively), which takes the file's place by rename only
// after every byte was written and flushed to disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/host.h"

namespace lav::db {

enum class SafeWriteResult : std::uint8_t {
  Written,
  Failed,   // open, write, flush or rename failed: the old file is untouched
  Stopped,  // the continue flag was cleared (Escape) between chunks: the old file is untouched
};

// The write call; tests replace it to play a full disk. Returns bytes written or -1 (errno set).
using WriteCall = std::function<long(int fd, const std::uint8_t* data, std::size_t size)>;

struct SafeWriteOptions {
  Host* host = nullptr;  // with a host and a flag, the message step runs between chunks
  bool* continueFlag = nullptr;
  WriteCall write;             // empty: ::write
  std::size_t chunk = 20'060;  // bytes between message steps
};

// The temporary name used for path in this process: "BUF$BUFF.88B.<pid>" in path's folder.
std::string SafeWriteTempName(const std::string& path);

// Writes bytes as the new content of path. The temporary file is removed on every failure.
SafeWriteResult WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                                const SafeWriteOptions& options, std::string& error);

}  // namespace lav::db
