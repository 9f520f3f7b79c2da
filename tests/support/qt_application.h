// One application object for every test that needs Qt's fonts or widgets (offscreen platform).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace lav::testing {

inline void EnsureQtApplication() {
  if (QCoreApplication::instance()) {
    // A program that ended in an earlier test asked the application to exit, which makes every
    // modal loop return at once; one turn of the application's own loop clears that request.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    return;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "lavinor_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the test program ends
}

// Lets posted events and deferred deletions run, the given number of rounds.
inline void SettleEvents(int rounds = 5) {
  for (int i = 0; i < rounds; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
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

}  // namespace lav::testing
