// Advisory whole-file locks (flock). A lock belongs to an open descriptor and goes with it: when
// the descriptor is closed or the process ends, even by a kill, so no stale lock ever remains.
#pragma once

#include <string>

namespace lav::filelock {

// An exclusive lock on one file, held while the object lives.
class Lock {
 public:
  Lock() = default;
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  Lock(Lock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Lock& operator=(Lock&& other) noexcept;
  ~Lock() { release(); }

  // Takes the lock on path, creating the file (and its folder) when create is set. With wait it
  // waits for another holder to let go; without, it fails at once. An existing file that others
  // replace by rename is locked as the name shows it once the lock is held. False on failure,
  // with heldElsewhere set when another holder was the reason.
  bool acquire(const std::string& path, bool create, bool wait, bool* heldElsewhere = nullptr);
  void release();
  // Lets go on a thread of its own. Once the file was replaced by rename, the descriptor may be
  // the last reference to the old one, and closing it frees that file's blocks and cached pages,
  // which for a large file takes a good part of a second.
  void releaseInBackground();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace lav::filelock
