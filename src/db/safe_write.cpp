#include "db/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace lav::db {
namespace {

namespace fs = std::filesystem;

std::string folderOf(const std::string& path) {
  const fs::path p(path);
  return p.has_parent_path() ? p.parent_path().string() : std::string(".");
}

// A stale temporary of an earlier run with the same pid must not block the write: try a few
// suffixed names before giving up.
int createTemp(const std::string& base, std::string& name) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    name = attempt == 0 ? base : base + "-" + std::to_string(attempt);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size, const WriteCall& call,
              std::string& error) {
  while (size > 0) {
    const long n = call ? call(fd, data, size) : static_cast<long>(::write(fd, data, size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? std::strerror(errno) : "nothing was written";
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string SafeWriteTempName(const std::string& path) {
  return (fs::path(folderOf(path)) / ("BUF$BUFF.88B." + std::to_string(::getpid()))).string();
}

SafeWriteResult WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                                const SafeWriteOptions& options, std::string& error) {
  std::string temp;
  const int fd = createTemp(SafeWriteTempName(path), temp);
  if (fd < 0) {
    error = std::strerror(errno);
    return SafeWriteResult::Failed;
  }
  // The replacement keeps the permissions of the file it replaces.
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);

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
  const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return SafeWriteResult::Written;
}

}  // namespace lav::db
