// One application object for every test that needs Qt's fonts or widgets (offscreen platform).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "support/files.h"

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

// Calls open(), which shows a modal dialog and returns when it ends, and runs script on the
// dialog once it is up. A dialog the script leaves open is a failure and is closed. False when
// no dialog came up within about three seconds.
inline bool WithModalDialog(const std::function<void()>& open,
                            const std::function<void(QDialog&)>& script) {
  bool ran = false;
  int tries = 0;
  std::function<void()> poll = [&] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!d) {
      if (++tries < 300) QTimer::singleShot(10, poll);
      return;
    }
    ran = true;
    script(*d);
    if (d->isVisible()) {
      ADD_FAILURE() << "the script left the dialog open";
      d->reject();
    }
  };
  QTimer::singleShot(0, poll);
  open();
  return ran;
}

// A dialog's control by its number, as the dialogs name them ("control-%d").
template <typename W>
W* Control(QWidget& dialog, int number) {
  auto* w = dialog.findChild<W*>(QStringLiteral("control-%1").arg(number));
  EXPECT_TRUE(w) << "control " << number;
  return w;
}

// Pixels of img inside r (clipped to the image) of colour c, alpha left out.
inline int CountColour(const QImage& img, const QRect& r, const QColor& c) {
  int n = 0;
  const QRect in = r.intersected(img.rect());
  for (int y = in.top(); y <= in.bottom(); ++y)
    for (int x = in.left(); x <= in.right(); ++x) n += QColor(img.pixel(x, y)) == c;
  return n;
}

}  // namespace lav::testing
