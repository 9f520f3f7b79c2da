#include "interchange/dxf_commands.h"

#include "command/command_window.h"
#include "command/dispatcher.h"
#include "command/tokens.h"
#include "interchange/dxf_input.h"
#include "interchange/dxf_output.h"
#include "interchange/messages.h"
#include "shell/app_state.h"

namespace lav::interchange {

void StartDxfOutput(AppState& app, std::string_view line) {
  const DxfOutResult r = WriteDxfFile(app, command::RestAfterFirstWord(line));
  if (r == DxfOutResult::Stopped) command::PrintLine(app, msg::kAbortion, command::kPrintMessage);
  command::EndCommand(app);
  if (r == DxfOutResult::Stopped) ++app.dispatch.errorsReported;
}

void StartDxfInput(AppState& app, std::string_view line) {
  const DxfInResult r = ReadDxfFile(app, command::RestAfterFirstWord(line));
  if (r == DxfInResult::Stopped) command::PrintLine(app, msg::kAbortion, command::kPrintMessage);
  command::EndCommand(app);
  app.host.invalidate(Window::Status);
}

}  // namespace lav::interchange
