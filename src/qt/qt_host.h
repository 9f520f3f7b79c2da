// The host of the windowed program: message boxes, the file-open dialog and the modal dialogs
// on Qt widgets, titles and repaints of the windows, and the shared message step.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <optional>

#include "platform/host.h"

namespace lav {
struct AppState;
}

namespace lav::qt {

// A window that repaints itself in its own way when the core invalidates it.
class Repaintable {
 public:
  virtual ~Repaintable() = default;
  virtual void requestRepaint() = 0;
};

// The windows the host repaints; each may be null (not created yet, or gone).
struct HostWindows {
  QPointer<QWidget> command, graphics, status, toolbar;
};

// While a modal window is up: the pointer is free and the Toolbar out of its way; both come back
// when the window closes.
class ModalPause {
 public:
  explicit ModalPause(const HostWindows& windows);
  ~ModalPause();
  ModalPause(const ModalPause&) = delete;
  ModalPause& operator=(const ModalPause&) = delete;

 private:
  QPointer<QWidget> graphics_;  // the confined Graphics Window, set free for the while
  QPointer<QWidget> toolbar_;
};

class QtHost : public QObject, public Host {
 public:
  QtHost();
  ~QtHost() override;

  void attach(AppState& app) { app_ = &app; }
  HostWindows windows;

  Answer messageBox(std::string_view text, std::string_view caption, Icon icon,
                    Buttons buttons) override;
  std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
  void runDialog(DialogModel& model) override;
  void setTitle(std::string_view title) override;
  void invalidate(Window window) override;
  void messageStep(bool& continueFlag) override;
  LocalTime now() override;
  void openWithDefaultHandler(const std::string& path) override;
  void capturePointer(bool on) override;
  bool showCoordinates(std::string_view text) override;
  void closeCoordinateWindow() override;
  bool showToolWindow(ToolWindow window, ToolWindowState state) override;
  // The Toolbar and the palette belong to the program's windows, which set this.
  std::function<bool(ToolWindow, ToolWindowState)> toolWindows;
  // Printing (qt_printer.cpp): the system's default printer, or a PDF file where there is none.
  std::string defaultPrinter() override;
  std::unique_ptr<PrinterDevice> openPrinter(const PrinterName& name) override;

  // Where modal windows open: over the Graphics Window, or the Command Window while there is none.
  QWidget* dialogParent() const;

  // True while a message step runs: the Graphics Window does not start a nested redraw.
  bool inMessageStep() const { return stepFlag_ != nullptr; }
  // Tests answer boxes and dialogs without showing them: each box gets the answer.
  std::function<Answer(std::string_view, std::string_view, Icon, Buttons)> boxHook;
  std::function<void(DialogModel&)> dialogHook;
  std::function<std::optional<std::string>(const FileDialogRequest&)> fileHook;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  AppState* app_ = nullptr;
  bool* stepFlag_ = nullptr;
  // When the event queue was last looked at by the message step.
  std::chrono::nanoseconds lastLook_{};  // on the coarse monotonic clock
  QPointer<QWidget> coordinates_;
  QPointer<QWidget> help_;
};

}  // namespace lav::qt
