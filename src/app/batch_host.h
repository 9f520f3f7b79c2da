// The host of the batch runner: no windows. Message boxes go to standard error; those with a
// choice are answered from the list given on the command line (then by their default button).
// A dialog reads its fields, one per line, from the input that follows its command (the file
// dialog its file name); the print settings print as shown and the cell tree is only closed. A
// dialog that has no such form, or whose fields the input does not hold, is an error.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/scripted_host.h"

namespace lav::app {

class BatchHost : public ScriptedHost {
 public:
  // answers: "yes", "no", "ok", "cancel", one per box in order.
  explicit BatchHost(const std::vector<std::string>& answerWords);
  // The real local time: cells, logs and reports written by a batch run carry when it ran.
  LocalTime now() override;
  // A stop signal (SIGINT, SIGTERM) acts as Escape at every message step.
  void messageStep(bool& continueFlag) override;
  void runDialog(DialogModel& model) override;
  std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
  // Dialogs that the input could not answer: errors of the run beside the commands' own count
  // (a refusal box counts there, through ShowRefusalBox, not here).
  long unansweredDialogs = 0;
  // The next line of the input (Shift-JIS), nullopt at its end; set by the batch runner.
  std::function<std::optional<std::string>()> nextLine;

 private:
  std::optional<std::string> takeLine();
};

// Parses "yes,no,ok" into words; returns false on an unknown word.
bool ParseAnswerList(const std::string& list, std::vector<std::string>& words, std::string& bad);

}  // namespace lav::app
