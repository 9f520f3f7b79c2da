#include "interchange/gds_commands.h"

#include "command/command_window.h"
#include "command/dispatcher.h"
#include "command/tokens.h"
#include "interchange/gds_input.h"
#include "interchange/gds_output.h"
#include "interchange/messages.h"
#include "shell/app_state.h"

namespace lav::interchange {

void StartStreamOutput(AppState& app, std::string_view line) {
  const StreamOutResult r = WriteStreamFile(app, command::RestAfterFirstWord(line));
  if (r == StreamOutResult::Stopped)
    command::PrintLine(app, msg::kAbortion, command::kPrintMessage);
  command::EndCommand(app);
  if (r == StreamOutResult::Stopped) ++app.dispatch.errorsReported;
}

void StartStreamInput(AppState& app, std::string_view line) {
  const StreamInResult r = ReadStreamFile(app, command::RestAfterFirstWord(line));
  if (r == StreamInResult::Stopped) command::PrintLine(app, msg::kAbortion, command::kPrintMessage);
  command::EndCommand(app);
  app.host.invalidate(Window::Status);
}

}  // namespace lav::interchange
