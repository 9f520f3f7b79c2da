#include "command/dxf_commands.h"

#include "console/tokens.h"
#include "interchange/converter_frame.h"
#include "interchange/dxf_input.h"
#include "interchange/dxf_output.h"
#include "state/app_state.h"

namespace lav::interchange {

void StartDxfOutput(AppState& app, std::string_view line) {
  const DxfOutResult r = WriteDxfFile(app, command::RestAfterFirstWord(line));
  EndConverterCommand(app, r == DxfOutResult::Stopped);
}

void StartDxfInput(AppState& app, std::string_view line) {
  const DxfInResult r = ReadDxfFile(app, command::RestAfterFirstWord(line));
  EndConverterCommand(app, r == DxfInResult::Stopped);
  app.host.invalidate(Window::Status);
}

}  // namespace lav::interchange
