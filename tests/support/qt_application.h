// One application object for every test that needs Qt's fonts or widgets (offscreen platform).
#pragma once

#include <QApplication>
#include <QTimer>
#include <cstdlib>

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

}  // namespace lav::testing
