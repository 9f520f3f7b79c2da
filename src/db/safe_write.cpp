#include "db/safe_write.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace lav::db {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kWorkPrefix = "BUF$BUFF.88B.";

std::string folderOf(const std::string& path) {
  const fs::path p(path);
  return p.has_parent_path() ? p.parent_path().string() : std::string(".");
}

// A stale temporary of an earlier run with the same pid must not block the write: try a few
// suffixed names before giving up. The lock tells the cleanup of other programs that the file
// is alive, whatever they make of its pid.
int createTemp(const std::string& path, std::string& name) {
  RemoveStaleWorkFiles(folderOf(path));
  const std::string base = SafeWriteTempName(path);
  for (int attempt = 0; attempt < 16; ++attempt) {
    name = attempt == 0 ? base : base + "-" + std::to_string(attempt);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The pid in a work file's name ("BUF$BUFF.88B.<pid>" or "...<pid>-<n>"), 0 for other names.
long workFilePid(std::string_view name) {
  if (!name.starts_with(kWorkPrefix)) return 0;
  name.remove_prefix(kWorkPrefix.size());
  long pid = 0;
  std::size_t i = 0;
  for (; i < name.size() && name[i] >= '0' && name[i] <= '9' && pid < 100000000; ++i)
    pid = pid * 10 + (name[i] - '0');
  if (i == 0) return 0;
  if (i < name.size()) {
    if (name[i] != '-' || i + 1 == name.size()) return 0;
    for (std::size_t j = i + 1; j < name.size(); ++j)
      if (name[j] < '0' || name[j] > '9') return 0;
  }
  return pid;
}

// Flushes fd and closes it; false when either failed.
bool syncAndClose(int fd, std::string* error) {
  bool ok = ::fsync(fd) == 0;
  if (!ok && error) *error = std::strerror(errno);
  if (::close(fd) != 0 && ok) {
    ok = false;
    if (error) *error = std::strerror(errno);
  }
  return ok;
}

void syncFolder(const std::string& path) {
  const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

// Writes every byte or says why not. When the file refuses a write as unaligned and leaveDirect
// can switch it back to the cache, the write is tried again.
bool writeAll(int fd, const std::uint8_t* data, std::size_t size, const WriteCall& call,
              std::string& error, const std::function<bool()>& leaveDirect = {}) {
  while (size > 0) {
    const long n = call ? call(fd, data, size) : static_cast<long>(::write(fd, data, size));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EINVAL && leaveDirect && leaveDirect()) continue;
    if (n <= 0) {
      error = n < 0 ? std::strerror(errno) : "nothing was written";
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The work file for path, with the permissions of the file it replaces; -1 (error set) when it
// cannot be created.
int openTemp(const std::string& path, std::string& temp, std::string& error) {
  const int fd = createTemp(path, temp);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  return fd;
}

// Flushes and closes the work file and gives it path's name when everything was written;
// otherwise removes it.
SafeWriteResult finishTemp(int fd, const std::string& temp, const std::string& path,
                           SafeWriteResult result, std::string& error) {
  if (result == SafeWriteResult::Written && ::fsync(fd) != 0) {
    error = std::strerror(errno);
    result = SafeWriteResult::Failed;
  }
  if (::close(fd) != 0 && result == SafeWriteResult::Written) {
    error = std::strerror(errno);
    result = SafeWriteResult::Failed;
  }
  if (result == SafeWriteResult::Written && ::rename(temp.c_str(), path.c_str()) != 0) {
    error = std::strerror(errno);
    result = SafeWriteResult::Failed;
  }
  if (result != SafeWriteResult::Written) {
    ::unlink(temp.c_str());
    return result;
  }
  // The rename itself must survive a crash too.
  syncFolder(path);
  return SafeWriteResult::Written;
}

// What writes that bypass the page cache need of a buffer's address, offset and length.
constexpr std::size_t kAlign = 4096;

// Buffers filled by the caller and written in order by a thread of their own: the disk always
// finds the next buffer waiting while the ones after it are filled. Without a thread to be had,
// each buffer is written when it is handed over.
class WriteQueue {
 public:
  using Write = std::function<bool(const std::uint8_t* p, std::size_t n, bool last)>;
  WriteQueue(std::size_t bytes, Write write) : write_(std::move(write)) {
    for (auto& b : buffers_) {
      // Aligned, or a write that bypasses the page cache is refused and the save goes the slower
      // way through it.
      b.bytes.reset(static_cast<std::uint8_t*>(
          std::aligned_alloc(kAlign, (bytes + kAlign - 1) / kAlign * kAlign)));
      if (!b.bytes) return;
    }
    ready_ = true;
    try {
      writer_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
    }
  }
  ~WriteQueue() { finish(); }
  bool ready() const { return ready_; }
  // The buffer being filled.
  std::uint8_t* buffer() { return buffers_[filling_].bytes.get(); }
  // Hands over the first n bytes of the buffer being filled and returns once another is free;
  // false when a write failed.
  bool submit(std::size_t n, bool last) {
    std::unique_lock lock(m_);
    Buffer& b = buffers_[filling_];
    b.size = n;
    b.last = last;
    filling_ = (filling_ + 1) % kBuffers;
    if (!writer_.joinable()) {
      lock.unlock();
      return write_(b.bytes.get(), b.size, b.last);
    }
    ++queued_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return failed_ || queued_ < kBuffers; });
    return !failed_;
  }
  // Waits for every write handed over; false when one failed.
  bool finish() {
    if (writer_.joinable()) {
      {
        std::unique_lock lock(m_);
        changed_.wait(lock, [&] { return failed_ || queued_ == 0; });
        stop_ = true;
      }
      changed_.notify_all();
      writer_.join();
    }
    return !failed_;
  }

 private:
  static constexpr int kBuffers = 4;
  struct Buffer {
    struct Free {
      void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, Free> bytes;
    std::size_t size = 0;
    bool last = false;
  };
  void run() {
    for (int next = 0;; next = (next + 1) % kBuffers) {
      {
        std::unique_lock lock(m_);
        changed_.wait(lock, [&] { return stop_ || queued_ > 0; });
        if (queued_ == 0) return;
      }
      const Buffer& b = buffers_[next];
      const bool ok = write_(b.bytes.get(), b.size, b.last);
      std::lock_guard lock(m_);
      --queued_;
      if (!ok) failed_ = true;
      changed_.notify_all();
      if (failed_) return;
    }
  }
  const Write write_;
  std::array<Buffer, kBuffers> buffers_{};
  int filling_ = 0, queued_ = 0;
  bool ready_ = false, failed_ = false, stop_ = false;
  std::mutex m_;
  std::condition_variable changed_;
  std::thread writer_;
};

}  // namespace

std::string SafeWriteTempName(const std::string& path) {
  return (fs::path(folderOf(path)) / ("BUF$BUFF.88B." + std::to_string(::getpid()))).string();
}

SafeWriteResult WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                                const SafeWriteOptions& options, std::string& error) {
  std::string temp;
  const int fd = openTemp(path, temp, error);
  if (fd < 0) return SafeWriteResult::Failed;
  SafeWriteResult result = SafeWriteResult::Written;
  const std::size_t chunk = options.chunk ? options.chunk : bytes.size();
  for (std::size_t done = 0; done < bytes.size() && result == SafeWriteResult::Written;) {
    const std::size_t n = std::min(chunk, bytes.size() - done);
    if (!writeAll(fd, bytes.data() + done, n, options.write, error)) {
      result = SafeWriteResult::Failed;
      break;
    }
    done += n;
    if (options.host && options.continueFlag) {
      options.host->messageStep(*options.continueFlag);
      if (!*options.continueFlag) result = SafeWriteResult::Stopped;
    }
  }
  return finishTemp(fd, temp, path, result, error);
}

SafeWriteResult WriteFileSafely(const std::string& path, const ByteSource& source,
                                const SafeWriteOptions& options, std::string& error) {
  constexpr std::size_t kWriteSize = 8 << 20, kFirstWriteSize = 1 << 20;
  std::string temp;
  const int fd = openTemp(path, temp, error);
  if (fd < 0) return SafeWriteResult::Failed;
  // A large file goes to the disk without a copy into the page cache where the file system allows
  // it; the last partial block, and everything when it does not, goes the usual way.
  const int flags = ::fcntl(fd, F_GETFL);
  bool direct = options.direct && flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_DIRECT) == 0;
  auto buffered = [&] {
    if (direct) ::fcntl(fd, F_SETFL, flags);
    direct = false;
  };
  off_t written = 0;
  // After a short write the offset is no longer aligned: the rest goes through the cache.
  const std::function<bool()> leaveDirect = [&] {
    if (!direct) return false;
    buffered();
    return true;
  };
  auto writeOut = [&](const std::uint8_t* p, std::size_t n) {
    return writeAll(fd, p, n, options.write, error, leaveDirect);
  };
  // Writes n bytes of a buffer; the last ones end with the partial block the usual way. Only the
  // queue's writer calls it, one buffer after the other.
  auto writeBuffer = [&](const std::uint8_t* p, std::size_t n, bool last) {
    const std::size_t whole = direct && last ? n / kAlign * kAlign : n;
    if (!writeOut(p, whole)) return false;
    // The disk starts on bytes that went through the cache now instead of at the final flush.
    if (!direct) ::sync_file_range(fd, written, static_cast<off_t>(whole), SYNC_FILE_RANGE_WRITE);
    written += static_cast<off_t>(whole);
    if (whole == n) return true;
    buffered();
    return writeOut(p + whole, n - whole);
  };
  WriteQueue queue(kWriteSize, writeBuffer);
  if (!queue.ready()) {
    error = std::strerror(ENOMEM);
    return finishTemp(fd, temp, path, SafeWriteResult::Failed, error);
  }
  // The first writes are smaller, so that the disk starts soon.
  std::size_t fill = 0, writeSize = kFirstWriteSize;
  SafeWriteResult result = SafeWriteResult::Written;
  const bool made = source([&](std::span<const std::uint8_t> piece) {
    while (!piece.empty()) {
      const std::size_t take = std::min(piece.size(), writeSize - fill);
      std::memcpy(queue.buffer() + fill, piece.data(), take);
      fill += take;
      piece = piece.subspan(take);
      if (fill == writeSize) {
        const std::size_t full = fill;
        fill = 0;
        writeSize = std::min(kWriteSize, 2 * writeSize);
        if (!queue.submit(full, false)) {
          result = SafeWriteResult::Failed;
          return false;
        }
      }
    }
    if (options.host && options.continueFlag) {
      options.host->messageStep(*options.continueFlag);
      if (!*options.continueFlag) {
        result = SafeWriteResult::Stopped;
        return false;
      }
    }
    return true;
  });
  const bool complete = made && result == SafeWriteResult::Written && queue.submit(fill, true);
  // The writes still under way end before the file is closed.
  const bool allWritten = queue.finish();
  if (result == SafeWriteResult::Written && !(complete && allWritten)) {
    if (error.empty()) error = "the content could not be made";
    result = SafeWriteResult::Failed;
  }
  return finishTemp(fd, temp, path, result, error);
}

bool WorkFile::create(const std::string& path) {
  discard();
  path_ = path;
  fd_ = createTemp(path, temp_);
  return fd_ >= 0;
}

std::FILE* WorkFile::stream() {
  if (!stream_ && fd_ >= 0) stream_ = ::fdopen(fd_, "wb");
  return stream_;
}

bool WorkFile::commit(bool replace) {
  if (fd_ < 0) return false;
  bool ok = true;
  if (stream_) {
    ok = std::fflush(stream_) == 0 && ::fsync(fd_) == 0;
    ok = std::fclose(stream_) == 0 && ok;
  } else {
    ok = syncAndClose(fd_, nullptr);
  }
  stream_ = nullptr;
  fd_ = -1;
  if (ok) {
    if (replace) {
      ok = ::rename(temp_.c_str(), path_.c_str()) == 0;
    } else if (::link(temp_.c_str(), path_.c_str()) == 0) {
      ::unlink(temp_.c_str());
    } else if (errno == EEXIST) {
      ok = false;  // the name was taken meanwhile: that file stays as it is
    } else {
      // A file system without hard links: the name is checked, then taken by rename.
      struct stat st {};
      ok = ::lstat(path_.c_str(), &st) != 0 && ::rename(temp_.c_str(), path_.c_str()) == 0;
    }
  }
  if (!ok) {
    ::unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  temp_.clear();
  syncFolder(path_);
  return true;
}

void WorkFile::discard() {
  if (stream_)
    std::fclose(stream_);
  else if (fd_ >= 0)
    ::close(fd_);
  stream_ = nullptr;
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

void RemoveStaleWorkFiles(const std::string& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const long pid = workFilePid(name);
    if (pid <= 0 || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    // A process of another pid namespace may share the folder: its lock keeps its file.
    const std::string path = it->path().string();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    ::close(fd);
  }
}

}  // namespace lav::db
