// Whole files as bytes, for the tests that read back what the program wrote, and a fresh
// folder per test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace lav::testing {

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Writes the bytes as they are, making the folders on the way.
inline void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// A fresh folder for the running test, <temp>/lavinor-<what>-<pid>-<test>, whose work/ becomes
// the current folder; the folder that was current is kept in oldCwd.
inline std::filesystem::path EnterTestFolder(const std::string& what,
                                             std::filesystem::path& oldCwd) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("lavinor-" + what + "-" + std::to_string(::getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::remove_all(dir);
  fs::create_directories(dir / "work");
  oldCwd = fs::current_path();
  fs::current_path(dir / "work");
  return dir;
}

inline void LeaveTestFolder(const std::filesystem::path& dir, const std::filesystem::path& oldCwd) {
  std::filesystem::current_path(oldCwd);
  std::filesystem::remove_all(dir);
}

// Whether the probe (a shell command) succeeds: an oracle program or tool is installed.
inline bool Have(const std::string& probe) {
  return std::system((probe + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace lav::testing
