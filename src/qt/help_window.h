// The manual in a window of the program, for a system without a browser: a text browser over the
// installed HTML file. Its links move within the manual; links out of it go to the system.
#pragma once

#include <QTextBrowser>
#include <functional>

namespace lav::qt {

class HelpWindow : public QTextBrowser {
 public:
  // A top-level window over owner (which may be null), showing the HTML file at path.
  HelpWindow(QWidget* owner, const QString& path);
};

// Hands the page at path to the system's browser. Where there is none (no launcher, or xdg-open
// reports that nothing handles the page) showHere is called, at once or when xdg-open has ended.
void OpenInSystemBrowser(const QString& path, std::function<void()> showHere);

}  // namespace lav::qt
