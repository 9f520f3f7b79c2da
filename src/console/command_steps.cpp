#include "console/command_steps.h"

#include <string>

#include "console/console_state.h"
#include "db/design_files.h"
#include "db/refusal.h"
#include "platform/sjis.h"

namespace lav::command {
namespace {

constexpr std::size_t kPromptLimit = 40;

}  // namespace

void ShowError(ConsoleState& app, std::string_view text, std::string_view caption) {
  ShowRefusalBox(app.host, text, caption);
}

void ShowRefusal(ConsoleState& app, const db::Refusal& refusal) {
  if (refusal.utf8)
    ShowError(app, db::FormatMessage(refusal.utf8, refusal.argument), refusal.caption);
}

void PrintMessageLine(ConsoleState& app, std::string_view utf8Text) {
  PrintLine(app, sjis::fromUtf8(utf8Text), 1);
}

void SetPrompt(ConsoleState& app, std::string_view prompt) {
  app.window.prompt = std::string(sjis::cutAt(prompt, kPromptLimit));
}

void SetStepPrompt(ConsoleState& app, std::string_view label, std::int32_t step) {
  std::string p(label);
  p += ": ";
  SetPrompt(app, p);
  app.dispatch.current = step;
  // A new step measures relative input from its own first point.
  app.dispatch.originX = 0;
  app.dispatch.originY = 0;
  app.host.invalidate(Window::Status);
}

void EndCommand(ConsoleState& app) {
  auto& d = app.dispatch;
  d.busy = false;
  d.current = kIdle;
  app.window.input.clear();
  app.window.caret = 0;
  SetPrompt(app, winmsg::kIdlePrompt);
  PrintLine(app, {}, 0);
  app.host.invalidate(Window::Status);
}

void CancelPick(ConsoleState& app) {
  app.dispatch.pickMode = 0;
}

}  // namespace lav::command
