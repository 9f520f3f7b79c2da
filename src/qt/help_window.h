// The manual in a window of the program, for a system without a browser: a text browser over the
// installed HTML file. Its links move within the manual; links out of it go to the system.
#pragma once

#include <QTextBrowser>

namespace lav::qt {

class HelpWindow : public QTextBrowser {
 public:
  // A top-level window over owner (which may be null), showing the HTML file at path.
  HelpWindow(QWidget* owner, const QString& path);
};

}  // namespace lav::qt
