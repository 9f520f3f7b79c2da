#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <thread>
#include <utility>

namespace lav::filelock {
namespace {

// Opens path and locks it; the descriptor, or -1.
int lockedDescriptor(const std::string& path, bool create, bool wait, bool* heldElsewhere) {
  const int fd = ::open(path.c_str(), (create ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0644);
  if (fd < 0) return -1;
  int r;
  do {
    r = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    if (heldElsewhere) *heldElsewhere = errno == EWOULDBLOCK;
    ::close(fd);
    return -1;
  }
  return fd;
}

bool sameFile(int fd, const std::string& path) {
  struct stat locked {
  }, named{};
  return ::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &named) == 0 &&
         locked.st_dev == named.st_dev && locked.st_ino == named.st_ino;
}

}  // namespace

Lock& Lock::operator=(Lock&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

bool Lock::acquire(const std::string& path, bool create, bool wait, bool* heldElsewhere) {
  release();
  if (heldElsewhere) *heldElsewhere = false;
  if (create) {
    std::error_code ec;
    const std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
  }
  // A file that others replace by rename may have been replaced while it was being locked: the
  // lock is taken again until it is on the file the name shows.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int fd = lockedDescriptor(path, create, wait, heldElsewhere);
    if (fd < 0) return false;
    if (create || sameFile(fd, path)) {
      fd_ = fd;
      return true;
    }
    ::close(fd);
  }
  return false;
}

void Lock::release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void Lock::releaseInBackground() {
  if (fd_ < 0) return;
  const int fd = std::exchange(fd_, -1);
  try {
    std::thread([fd] { ::close(fd); }).detach();
  } catch (const std::system_error&) {
    ::close(fd);  // no thread to be had: closed here and now
  }
}

}  // namespace lav::filelock
