#include "command/macro_runner.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "command/dispatcher.h"
#include "command/line_expansion.h"
#include "command/window_input.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "console/value_parser.h"
#include "macro/line_forms.h"
#include "macro/macro_file.h"
#include "macro/preprocess.h"
#include "macro/runner_messages.h"
#include "macro/variables.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::macro {
namespace {

using command::kIdle;

constexpr int kEnter = 13;
// ECHO$ texts and INKEY$ prompts are cut to this many bytes.
constexpr std::size_t kShownTextMax = 33;
// A label search takes the message step once per this many lines.
constexpr long kSearchLinesPerStep = 256;

template <typename... Args>
std::string format(const char* utf8Format, Args... args) {
  const int n = std::snprintf(nullptr, 0, utf8Format, args...);
  if (n <= 0) return utf8Format;
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(text.data(), text.size(), utf8Format, args...);
  text.resize(static_cast<std::size_t>(n));
  return text;
}

void setState(AppState& app, RunState s) {
  app.macro.state = s;
  // While a macro runs its lines, the transcript only takes what is printed for the macro.
  app.window.macroRunning = s == RunState::Running;
}

bool commandWaits(const AppState& app) {
  return app.dispatch.current > kIdle;
}

// Prints as if no macro ran (ECHO$ and INKEY$ prompts).
void printAsIdle(AppState& app, std::string_view text, int mode) {
  const bool was = app.window.macroRunning;
  app.window.macroRunning = false;
  command::PrintLine(app, text, mode);
  app.window.macroRunning = was;
}

// A refusal of the runner: the box, then the macro stops as after Escape.
void refuse(AppState& app, const std::string& utf8Text) {
  command::ShowError(app, sjis::fromUtf8(utf8Text), runmsg::kErrorCaption);
  app.continueFlag = false;
}

long lineNumber(const AppState& app, std::size_t pos) {
  return LineNumberAt(app.macro.source.bytes, pos);
}

// The dispatcher back to idle, as Escape leaves it, without printing.
void resetCommandState(AppState& app) {
  auto& d = app.dispatch;
  d.pickMode = 0;
  d.current = kIdle;
  app.window.input.clear();
  app.window.caret = 0;
  command::SetPrompt(app, runmsg::kIdlePrompt);
  command::CancelPick(app);
}

enum class Ending { Normal, Silent };

void endMacro(AppState& app, Ending ending) {
  MacroState& m = app.macro;
  m.callers.clear();
  m.callers.shrink_to_fit();
  m.inputPending = false;
  m.inputVariable.clear();
  setState(app, RunState::Idle);
  if (!app.continueFlag && ending == Ending::Normal) {
    resetCommandState(app);
    command::PrintLine(app, runmsg::kBreakMacro, command::kPrintEndLine);
  }
  if (!commandWaits(app)) {
    app.window.input.clear();
    app.window.caret = 0;
    command::RepaintInputLine(app);
  }
}

// The end of the current file: back to the caller, or the end of the macro.
void endOfFile(AppState& app) {
  MacroState& m = app.macro;
  if (!m.callers.empty() && app.continueFlag) {
    m.path = std::move(m.callers.back().path);
    m.position = m.callers.back().position;
    m.callers.pop_back();
    if (m.callers.empty()) m.callers.shrink_to_fit();
    return;
  }
  endMacro(app, Ending::Normal);
}

bool limitReached(AppState& app) {
  MacroState& m = app.macro;
  const MacroLimits& l = m.limits;
  if (l.maxLines > 0 && m.linesRun >= l.maxLines) {
    m.limitReached = true;
    refuse(app, format(runmsg::kLineLimit, l.maxLines));
    return true;
  }
  if (l.maxTime.count() > 0 && std::chrono::steady_clock::now() - m.startedAt > l.maxTime) {
    m.limitReached = true;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(l.maxTime).count();
    refuse(app, format(runmsg::kTimeLimit, static_cast<long>(seconds)));
    return true;
  }
  return false;
}

// The line after the first line of the current file that begins with label, or nullopt.
// Escape during the search stops the macro without a message (nullopt, state idle).
std::optional<std::size_t> findLabel(AppState& app, std::string_view label) {
  const std::string& bytes = app.macro.source.bytes;
  std::size_t pos = 0;
  long searched = 0;
  while (auto line = ReadMacroLine(bytes, pos)) {
    if (StartsWithLabel(line->text, label)) return line->next;
    pos = line->next;
    if (++searched % kSearchLinesPerStep == 0) {
      app.host.messageStep(app.continueFlag);
      if (!app.continueFlag) {
        endMacro(app, Ending::Silent);
        return std::nullopt;
      }
    }
  }
  return std::nullopt;
}

// Moves to the line after label. A missing label ends the current file as its last line would
// (with a message): a called macro returns to its caller, which goes on.
void jumpTo(AppState& app, std::string_view label) {
  if (auto next = findLabel(app, label)) {
    app.macro.position = *next;
  } else if (app.macro.state == RunState::Running) {
    command::ShowError(app,
                       sjis::fromUtf8(format(runmsg::kJumpLabelNotFound, app.macro.path.c_str(),
                                             sjis::toUtf8(label).c_str())),
                       runmsg::kErrorCaption);
    app.macro.position = app.macro.source.bytes.size();
  }
}

void runJump(AppState& app, std::string_view text) {
  const JumpLine jump = ParseJump(text);
  if (jump.label.empty()) return;
  std::vector<double> values;
  const int n = ParseAnswerValues(app, jump.condition, values);
  const std::optional<double> first = n >= 1 ? std::optional<double>(values[0]) : std::nullopt;
  if (JumpTaken(jump.test, first)) jumpTo(app, jump.label);
}

void runEcho(AppState& app, std::string_view text) {
  if (auto shown = ExpandLine(app, AfterKeyword(text)))
    printAsIdle(app, sjis::cutAt(*shown, kShownTextMax), command::kPrintTranscript);
  app.window.input.clear();
  app.window.caret = 0;
}

// INKEY$: shows the prompt and waits for the user's next Enter.
void runInput(AppState& app, std::string_view text, std::size_t linePos) {
  MacroState& m = app.macro;
  const InkeyLine in = ParseInput(AfterKeyword(text));
  if (in.unclosedQuote) {
    refuse(app, format(runmsg::kUnclosedQuote, m.path.c_str(), lineNumber(app, linePos)));
    return;
  }
  m.inputVariable = in.variable;
  m.inputPending = in.variable.size() > 1;
  setState(app, RunState::WaitingForInput);
  if (in.prompt.empty()) return;
  const std::string prompt(sjis::cutAt(ExpandLine(app, in.prompt).value_or(""), kShownTextMax));
  if (commandWaits(app)) {
    command::PrintLine(app, prompt, command::kPrintTranscript);
    return;
  }
  // The prompt stays as a transcript line; the answer is typed after "?: ".
  command::SetPrompt(app, prompt);
  command::RepaintInputLine(app);
  command::PrintLine(app, {}, command::kPrintEndLine);
  command::SetPrompt(app, runmsg::kInputPrompt);
  command::RepaintInputLine(app);
}

// Enter pressed on the macro's behalf: the dispatcher takes it as a typed Enter.
void enterInputLine(AppState& app) {
  MacroState& m = app.macro;
  const bool was = m.enteringLine;
  m.enteringLine = true;
  command::TypeCharacter(app, kEnter);
  m.enteringLine = was;
}

// A line for the Command Window: put on the input line, and entered when it had a line end.
void runCommandLine(AppState& app, std::string_view text, bool ended, std::size_t linePos) {
  if (text.empty() && !commandWaits(app)) return;
  if (app.window.prompt.size() + text.size() > command::kInputLineMax) {
    refuse(app, format(runmsg::kLineDoesNotFit, app.macro.path.c_str(), lineNumber(app, linePos)));
    return;
  }
  command::ReplaceInput(app.window, text);
  command::RepaintInputLine(app);
  if (ended) enterInputLine(app);
}

void runLine(AppState& app, const MacroLine& line, std::size_t linePos) {
  std::string_view text = SkipBlanks(line.text);
  LineKind kind = KindOf(text);
  // A comment or label is never run, so a long one does no harm.
  if (kind == LineKind::Skipped) return;
  if (line.tooLong) {
    refuse(app, format(runmsg::kLineTooLong, app.macro.path.c_str(), lineNumber(app, linePos),
                       kMaxMacroLine));
    return;
  }
  if (!text.empty() && text.front() == '?') {
    if (commandWaits(app)) {
      command::CancelPick(app);
      command::EndCommand(app);
    }
    text = SkipBlanks(text.substr(1));
    kind = KindOf(text);
    if (kind == LineKind::Skipped) kind = LineKind::Other;
  }
  switch (kind) {
    case LineKind::Jump:
      return runJump(app, text);
    case LineKind::Echo:
      return runEcho(app, text);
    case LineKind::Input:
      return runInput(app, text, linePos);
    case LineKind::Skipped:
    case LineKind::Other:
      break;
  }
  if (text.find('=') != std::string_view::npos && !commandWaits(app)) {
    // An assignment: expanding it stores the value; nothing is entered.
    ExpandLine(app, text);
    return;
  }
  runCommandLine(app, text, line.ended, linePos);
}

// The line loop: runs lines until the macro ends, waits for input, or is stopped.
void runLines(AppState& app) {
  MacroState& m = app.macro;
  while (m.state == RunState::Running) {
    if (app.dispatch.endRequested) {
      endMacro(app, Ending::Silent);
      return;
    }
    app.host.messageStep(app.continueFlag);
    if (!app.continueFlag || limitReached(app)) {
      endMacro(app, Ending::Normal);
      return;
    }
    if (!Refresh(m.source, m.path)) {
      refuse(app, format(runmsg::kCannotReread, m.path.c_str()));
      endMacro(app, Ending::Normal);
      return;
    }
    const std::optional<MacroLine> line = ReadMacroLine(m.source.bytes, m.position);
    if (!line) {
      endOfFile(app);
      continue;
    }
    ++m.linesRun;
    const std::size_t linePos = m.position;
    m.position = line->next;
    runLine(app, *line, linePos);
  }
}

void runNamed(AppState& app, std::string_view sjisName, std::string_view label) {
  const std::string file = std::string(sjisName) + ".MAC";
  const auto path = FindMacroFile(app.programDir, sjis::toUtf8(file));
  if (!path) {
    command::ShowError(app,
                       sjis::fromUtf8(format(runmsg::kCannotOpenFile, sjis::toUtf8(file).c_str())),
                       runmsg::kErrorCaption);
    command::EndCommand(app);
    return;
  }
  command::EndCommand(app);
  app.continueFlag = true;
  StartMacroFile(app, *path, label);
}

}  // namespace

bool MacroActive(const AppState& app) {
  return app.macro.state != RunState::Idle;
}

void StartMacroFile(AppState& app, const std::string& path, std::string_view startLabel) {
  MacroState& m = app.macro;
  const bool nested = m.state != RunState::Idle;
  if (nested) {
    if (m.callers.size() >= kMaxCallers) {
      command::ShowError(app, sjis::fromUtf8(format(runmsg::kTooDeep, kMaxCallers, path.c_str())),
                         runmsg::kErrorCaption);
      return;
    }
    m.callers.push_back({m.path, m.position});
  }
  if (!Refresh(m.source, path)) {
    command::ShowError(app, sjis::fromUtf8(format(runmsg::kCannotOpenFile, path.c_str())),
                       runmsg::kErrorCaption);
    if (nested) {
      app.continueFlag = false;  // the calling macro stops with the break line
      m.callers.pop_back();
      return;
    }
    resetCommandState(app);
    return;
  }
  m.path = path;
  m.position = 0;
  if (!startLabel.empty()) {
    if (auto next = findLabel(app, startLabel)) {
      m.position = *next;
    } else {
      refuse(app, format(runmsg::kLabelNotFound, path.c_str(), sjis::toUtf8(startLabel).c_str()));
      m.position = m.source.bytes.size();
    }
  }
  if (nested) return;  // the running loop reads on from the new file
  m.linesRun = 0;
  m.startedAt = std::chrono::steady_clock::now();
  setState(app, RunState::Running);
  runLines(app);
}

bool RunAutoMacro(AppState& app) {
  if (MacroActive(app)) return false;
  const auto path = FindMacroFile(app.programDir, "AUTO.MAC");
  if (!path) return false;
  app.continueFlag = true;
  StartMacroFile(app, *path, {});
  return true;
}

bool TakeEnterForMacro(AppState& app) {
  MacroState& m = app.macro;
  switch (m.state) {
    case RunState::Idle:
      return false;
    case RunState::Running:
      return !m.enteringLine;
    case RunState::WaitingForInput:
      break;
  }
  setState(app, RunState::Running);
  if (!commandWaits(app) && m.inputPending) {
    // The typed line is the value (it may be an expression).
    command::RepaintInputLine(app);
    const std::string typed = app.window.input;
    AssignVariable(app, m.inputVariable, typed);
    m.inputPending = false;
    app.window.input.clear();
    app.window.caret = 0;
    command::PrintLine(app, typed, command::kPrintMacro);
    command::SetPrompt(app, runmsg::kIdlePrompt);
  } else {
    enterInputLine(app);
  }
  runLines(app);
  return true;
}

bool StopMacro(AppState& app) {
  if (!MacroActive(app)) return false;
  MacroState& m = app.macro;
  m.callers.clear();
  m.callers.shrink_to_fit();
  m.inputPending = false;
  m.inputVariable.clear();
  setState(app, RunState::Idle);
  return true;
}

void StartMacroCommand(AppState& app, std::string_view line) {
  const auto words = command::SplitWords(line);
  if (words.size() < 2) {
    command::SetPrompt(app, runmsg::kPromptMacroName);
    command::PrintLine(app, {}, command::kPrintEndLine);
    return;
  }
  runNamed(app, words[1], words.size() >= 3 ? words[2] : std::string_view());
}

void ContinueMacroCommand(AppState& app, std::string_view answer) {
  const auto words = command::SplitWords(answer);
  if (words.empty()) {
    command::EndCommand(app);
    return;
  }
  runNamed(app, words[0], words.size() >= 2 ? words[1] : std::string_view());
}

bool RunNamedMacro(AppState& app, const std::string& sjisName, std::string_view line) {
  const auto path = FindMacroFile(app.programDir, sjis::toUtf8(sjisName + ".MAC"));
  if (!path) return false;
  const auto words = command::SplitWords(line);
  const std::string label(words.size() >= 2 ? words[1] : std::string_view());
  command::EndCommand(app);
  app.continueFlag = true;
  StartMacroFile(app, *path, label);
  return true;
}

}  // namespace lav::macro
