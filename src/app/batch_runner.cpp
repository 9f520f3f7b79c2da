#include "app/batch_runner.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "app/batch_host.h"
#include "app/stop_signals.h"
#include "command/dispatcher.h"
#include "command/handlers.h"
#include "command/macro_runner.h"
#include "console/command_window.h"
#include "db/design_files.h"
#include "platform/sjis.h"
#include "state/app_state.h"

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

namespace {

void applyOptions(AppState& app, const BatchOptions& options) {
  app.macro.limits.maxLines = options.maxMacroLines;
  app.macro.limits.maxTime = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(options.maxMacroSeconds));
  if (options.autoMacro) macro::RunAutoMacro(app);
}

// A limit that stopped a macro stops the run: the lines after it were meant to follow the
// macro's work, which did not finish. So does a stop signal, after the line it interrupted.
bool goOn(const AppState& app) {
  return !app.dispatch.endRequested && !app.macro.limitReached && StopSignal() == 0;
}

// A line of the input as the program's text: without its line end, in Shift-JIS.
std::string inputLine(std::string raw) {
  while (!raw.empty() && (raw.back() == '\r' || raw.back() == '\x1a')) raw.pop_back();
  return InputLineToSjis(raw);
}

// One line of the input, typed and entered.
void enterLine(AppState& app, std::string raw, BatchResult& result) {
  ++result.lines;
  std::string line = inputLine(std::move(raw));
  app.window.input.clear();
  app.window.caret = 0;
  // A line too long for the input line is refused (and counted) with its message, not cut.
  if (!command::AppendToInput(app, line)) return;
  command::PressEnter(app);
}

bool waitsForInput(const AppState& app) {
  return app.macro.state == macro::RunState::WaitingForInput;
}

// Answers a waiting INKEY$ from the input for as long as the macro asks.
void answerMacro(AppState& app, std::istream& in, BatchResult& result) {
  std::string raw;
  while (goOn(app) && waitsForInput(app) && std::getline(in, raw)) enterLine(app, raw, result);
}

// While it lives, the dialogs of the batch host read their fields from in.
class DialogInput {
 public:
  DialogInput(AppState& app, std::istream& in, BatchResult& result)
      : host_(dynamic_cast<BatchHost*>(&app.host)) {
    if (!host_) return;
    host_->nextLine = [&in, &result]() -> std::optional<std::string> {
      std::string raw;
      if (!std::getline(in, raw)) return std::nullopt;
      ++result.lines;
      return inputLine(std::move(raw));
    };
  }
  ~DialogInput() {
    if (host_) host_->nextLine = nullptr;
  }
  DialogInput(const DialogInput&) = delete;
  DialogInput& operator=(const DialogInput&) = delete;

 private:
  BatchHost* host_;
};

// The end of the input: a macro waiting for an answer is stopped, an open design is closed as
// the exit command closes it.
BatchResult endOfInput(AppState& app, BatchResult result) {
  if (waitsForInput(app)) {
    // No answer will come: the macro is stopped as Escape stops it.
    std::fprintf(stderr,
                 "lavinor: the input ended while a macro waited for an INKEY$ answer; "
                 "the macro is stopped\n");
    ++result.errors;
    command::AbortCommand(app);
  }
  if (!app.dispatch.endRequested && app.design.isOpen()) {
    // The end of the input ends the program as the exit command does.
    command::StartExit(app, "EXIT");
  }
  return result;
}

BatchResult finish(AppState& app, BatchResult result) {
  if (StopSignal() == 0) result = endOfInput(app, result);
  if (const int signal = StopSignal(); signal != 0) {
    // Stopped from outside: nothing is written that the user did not save before.
    std::fprintf(stderr, "lavinor: stopped by %s%s\n", StopSignalName(signal),
                 app.design.isOpen() ? "; the open design is closed without writing" : "");
    ++result.errors;
    if (macro::MacroActive(app) || app.dispatch.current > command::kIdle)
      command::AbortCommand(app);
    if (app.design.isOpen()) db::DiscardDesign(app);
  }
  result.errors += app.dispatch.errorsReported;
  return result;
}

}  // namespace

bool IsMacroFileName(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  for (auto& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext == ".MAC";
}

BatchResult RunBatch(AppState& app, std::istream& in, const BatchOptions& options) {
  BatchResult result;
  DialogInput dialogs(app, in, result);
  applyOptions(app, options);
  std::string raw;
  while (goOn(app) && std::getline(in, raw)) enterLine(app, raw, result);
  return finish(app, result);
}

BatchResult RunBatchMacro(AppState& app, const std::string& path, std::istream& answers,
                          const BatchOptions& options) {
  BatchResult result;
  DialogInput dialogs(app, answers, result);
  applyOptions(app, options);
  answerMacro(app, answers, result);  // AUTO.MAC may ask first
  if (goOn(app) && !macro::MacroActive(app)) {
    app.continueFlag = true;
    macro::StartMacroFile(app, path, {});
    answerMacro(app, answers, result);
  }
  return finish(app, result);
}

}  // namespace lav::app
