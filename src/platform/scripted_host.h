// A host without windows whose answers come from a script: message boxes are recorded and
// answered from a queue (else by their default button), dialogs are handed to registered
// handlers, the clock is fixed unless set. Tests and the batch runner use it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/host.h"

namespace lav {

struct RecordedBox {
  std::string text;     // UTF-8, converted from the Shift-JIS the core passed
  std::string caption;  // UTF-8
  Icon icon;
  Buttons buttons;
  Answer answer;
};

class ScriptedHost : public Host {
 public:
  Answer messageBox(std::string_view text, std::string_view caption, Icon icon,
                    Buttons buttons) override;
  std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
  void runDialog(DialogModel& model) override;
  void setTitle(std::string_view title) override;
  void invalidate(Window window) override;
  void messageStep(bool& continueFlag) override;
  LocalTime now() override { return clock; }
  bool showToolWindow(ToolWindow window, ToolWindowState state) override;
  std::string defaultPrinter() override { return printerEntry; }
  std::unique_ptr<PrinterDevice> openPrinter(const PrinterName& name) override {
    return printerFactory ? printerFactory(name) : nullptr;
  }

  // The answer a box gets when the queue is empty: its first button.
  static Answer defaultAnswer(Buttons buttons);

  // --- script and record ---
  std::deque<Answer> answers;  // answers to the next boxes with a choice (OK-only boxes take none)
  std::deque<std::optional<std::string>> fileChoices;  // next file-dialog results
  std::vector<FileDialogRequest> fileRequests;
  std::map<std::string, std::function<void(DialogModel&)>, std::less<>> dialogHandlers;
  std::vector<std::string> dialogsRun;
  std::vector<RecordedBox> boxes;
  std::vector<std::string> titles;  // UTF-8
  int invalidations[4] = {0, 0, 0, 0};
  long messageSteps = 0;
  // Called at every message step; may clear the flag (to play Escape).
  std::function<void(bool&)> onMessageStep;
  LocalTime clock{2026, 12, 6, 13, 45, 30};
  // The default printer's entry and the devices it opens (none unless set).
  std::string printerEntry;
  std::function<std::unique_ptr<PrinterDevice>(const PrinterName&)> printerFactory;
  // Tool windows exist only when a test says so; what was shown and hidden, in order.
  bool hasToolWindows = false;
  std::vector<std::pair<ToolWindow, ToolWindowState>> toolWindowCalls;
  // Called after a box is recorded (the batch host prints it).
  std::function<void(const RecordedBox&)> onBox;
};

}  // namespace lav
