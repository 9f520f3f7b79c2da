#include "command/gds_commands.h"

#include "console/tokens.h"
#include "interchange/converter_frame.h"
#include "interchange/gds_input.h"
#include "interchange/gds_output.h"
#include "state/app_state.h"

namespace lav::interchange {

void StartStreamOutput(AppState& app, std::string_view line) {
  const StreamOutResult r = WriteStreamFile(app, command::RestAfterFirstWord(line));
  EndConverterCommand(app, r == StreamOutResult::Stopped);
}

void StartStreamInput(AppState& app, std::string_view line) {
  const StreamInResult r = ReadStreamFile(app, command::RestAfterFirstWord(line));
  EndConverterCommand(app, r == StreamInResult::Stopped);
  app.host.invalidate(Window::Status);
}

}  // namespace lav::interchange
