#include "platform/scripted_host.h"

#include <filesystem>

#include "platform/sjis.h"

namespace lav {

Answer ScriptedHost::defaultAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
      return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
      return Answer::Yes;
  }
  return Answer::Ok;
}

Answer ScriptedHost::messageBox(std::string_view text, std::string_view caption, Icon icon,
                                Buttons buttons) {
  Answer a = defaultAnswer(buttons);
  // A box with only OK asks nothing: the queued answers are meant for the questions.
  if (buttons != Buttons::Ok && !answers.empty()) {
    a = answers.front();
    answers.pop_front();
  }
  boxes.push_back({sjis::toUtf8(text), sjis::toUtf8(caption), icon, buttons, a});
  if (onBox) onBox(boxes.back());
  return a;
}

std::optional<std::string> ScriptedHost::openFileDialog(const FileDialogRequest& request) {
  fileRequests.push_back(request);
  if (fileChoices.empty()) return std::nullopt;
  auto c = fileChoices.front();
  fileChoices.pop_front();
  if (!c) return c;
  // Like the system dialog: the chosen file's folder becomes the current directory.
  auto slash = c->rfind('/');
  if (slash == std::string::npos) return c;
  std::error_code ec;
  std::filesystem::current_path(c->substr(0, slash == 0 ? 1 : slash), ec);
  return c->substr(slash + 1);
}

void ScriptedHost::runDialog(DialogModel& model) {
  dialogsRun.emplace_back(model.kind());
  auto it = dialogHandlers.find(model.kind());
  if (it != dialogHandlers.end()) it->second(model);
  model.finished = true;
}

void ScriptedHost::setTitle(std::string_view title) {
  titles.push_back(sjis::toUtf8(title));
}

void ScriptedHost::invalidate(Window window) {
  ++invalidations[static_cast<int>(window)];
}

bool ScriptedHost::showToolWindow(ToolWindow window, ToolWindowState state) {
  if (!hasToolWindows) return false;
  toolWindowCalls.emplace_back(window, state);
  return true;
}

void ScriptedHost::messageStep(bool& continueFlag) {
  ++messageSteps;
  if (onMessageStep) onMessageStep(continueFlag);
}

}  // namespace lav
