#include "app/batch_runner.h"

#include <string>

#include "command/command_window.h"
#include "command/dispatcher.h"
#include "command/handlers.h"
#include "platform/sjis.h"
#include "shell/app_state.h"

namespace lav::app {
namespace {

bool isValidUtf8WithNonAscii(const std::string& s) {
  bool nonAscii = false;
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80         ? 1
                      : (c >> 5) == 6  ? 2
                      : (c >> 4) == 14 ? 3
                      : (c >> 3) == 30 ? 4
                                       : 0;
    if (len == 0 || i + len > s.size()) return false;
    for (std::size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    nonAscii |= len > 1;
    i += len;
  }
  return nonAscii;
}

}  // namespace

std::string InputLineToSjis(const std::string& line) {
  return isValidUtf8WithNonAscii(line) ? sjis::fromUtf8(line) : line;
}

BatchResult RunBatch(AppState& app, std::istream& in) {
  BatchResult result;
  std::string raw;
  while (!app.dispatch.endRequested && std::getline(in, raw)) {
    ++result.lines;
    while (!raw.empty() && (raw.back() == '\r' || raw.back() == '\x1a')) raw.pop_back();
    std::string line = InputLineToSjis(raw);
    app.window.input.clear();
    app.window.caret = 0;
    if (!command::AppendToInput(app, line)) {
      ++result.errors;  // too long for the input line: refused with its message, not cut
      continue;
    }
    command::PressEnter(app);
  }
  if (!app.dispatch.endRequested && app.design.isOpen()) {
    // The end of the input ends the program as the exit command does.
    command::StartExit(app, "EXIT");
  }
  result.errors += app.dispatch.errorsReported;
  return result;
}

}  // namespace lav::app
