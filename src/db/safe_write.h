// Writing a file without ever leaving it half written: the bytes go to a work file beside it
// ("BUF$BUFF.88B.<pid>", created exclusively and locked while it is written), which takes the
// file's name only after every byte was written and flushed to disk. Work files left by killed
// programs are removed by the next write or start in their folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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
  // Made bytes (ByteSource) go to the disk around the page cache where the file system allows
  // it: for large files, which need not stay in memory after they are written.
  bool direct = false;
};

// The temporary name used for path in this process: "BUF$BUFF.88B.<pid>" in path's folder.
std::string SafeWriteTempName(const std::string& path);

// Writes bytes as the new content of path. The temporary file is removed on every failure.
SafeWriteResult WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                                const SafeWriteOptions& options, std::string& error);

// Takes the pieces of a file in order; false stops the writer.
using PieceSink = std::function<bool(std::span<const std::uint8_t> piece)>;
// Makes a file's bytes, handing them to put piece by piece; false when put said stop.
using ByteSource = std::function<bool(const PieceSink& put)>;

// The same for bytes made while they are written (a large design is never held twice): the
// message step runs after every piece, and the pieces go to disk in large writes made by a
// thread of their own, so that the disk always has the next one waiting while more are made.
SafeWriteResult WriteFileSafely(const std::string& path, const ByteSource& source,
                                const SafeWriteOptions& options, std::string& error);

// A new file written under a work name and given its final name only when complete: a killed
// or failed writer leaves no cut-off file under that name.
class WorkFile {
 public:
  WorkFile() = default;
  WorkFile(const WorkFile&) = delete;
  WorkFile& operator=(const WorkFile&) = delete;
  ~WorkFile() { discard(); }

  // Creates the work file in the folder of path. False when it cannot be created (errno set).
  bool create(const std::string& path);
  int fd() const { return fd_; }
  // The work file as a stdio stream (made once, owned here).
  std::FILE* stream();
  // Flushes the work file to disk and gives it the final name; an existing file of that name
  // is replaced only when replace is set. False when a step failed: the work file is gone.
  bool commit(bool replace);
  // Closes and removes the work file (nothing happens after a commit).
  void discard();

 private:
  std::string path_, temp_;
  int fd_ = -1;
  std::FILE* stream_ = nullptr;
};

// Removes the work files in folder whose programs no longer run.
void RemoveStaleWorkFiles(const std::string& folder);

}  // namespace lav::db
