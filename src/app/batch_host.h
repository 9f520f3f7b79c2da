// The host of the batch runner: no windows. Message boxes go to standard error and are answered
// from the list given on the command line (then by their default button); dialogs are cancelled,
// except the print settings, which print as shown.
#pragma once

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
  // Boxes shown with the exclamation or warning icon: refusals the batch run reports.
  long errorBoxes = 0;
};

// Parses "yes,no,ok" into words; returns false on an unknown word.
bool ParseAnswerList(const std::string& list, std::vector<std::string>& words, std::string& bad);

}  // namespace lav::app
