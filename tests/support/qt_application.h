// One application object for every test that needs Qt's fonts or widgets (offscreen platform).
#pragma once

#include <QApplication>
#include <cstdlib>

namespace lav::testing {

inline void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "lavinor_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the test program ends
}

}  // namespace lav::testing
