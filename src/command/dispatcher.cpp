#include "command/dispatcher.h"

#include <cstdio>
#include <string>
#include <vector>

#include "command/command_table.h"
#include "command/line_expansion.h"
#include "command/macro_runner.h"
#include "command/paint_palette.h"
#include "command/view_commands.h"
#include "console/command_file.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "console/user_value.h"
#include "console/value_parser.h"
#include "db/entry_messages.h"
#include "db/messages.h"
#include "macro/preprocess.h"
#include "macro/runner_messages.h"
#include "platform/paths.h"
#include "platform/sjis.h"
#include "state/app_state.h"
#include "state/pointer_modes.h"

namespace lav::command {
namespace {

bool isCommentOrEmpty(std::string_view line) {
  auto words = SplitWords(line);
  return words.empty() || words.front().front() == '#';
}

}  // namespace

std::int32_t LookUpCommand(AppState& app, std::string& line) {
  const bool assignment = line.find('=') != std::string::npos;
  const bool expanded = !assignment || app.dispatch.current > 0;
  if (expanded) {
    auto text = ExpandLine(app, line);
    if (!text) return kIdle;  // refused with its message
    line = std::move(*text);
  }
  if (isCommentOrEmpty(line)) return kNothing;
  const auto token = SplitWords(line).front();
  const auto match = MatchCommand(app.window.commands, token);
  switch (match.kind) {
    case CommandMatch::Kind::One:
      return match.number;
    case CommandMatch::Kind::Several:
      PrintLine(app, "--COMMANDS--", kPrintMessage);
      for (int n : match.candidates)
        PrintLine(app, CommandName(app.window.commands, n), kPrintMessage);
      PrintLine(app, "------------", kPrintMessage);
      return kIdle;
    case CommandMatch::Kind::None:
      break;
  }
  std::vector<double> values;
  // A line that was not expanded yet (an assignment) is expanded by the parse, which assigns.
  int count = expanded ? ParseNumbers(line, values) : ParseAnswerValues(app, line, values);
  if (count < 0) values.clear();
  if (count >= 1 || assignment) {
    PrintLine(app, FormatCalculatorLine(values), 1);
  } else {
    ++app.dispatch.errorsReported;
    PrintLine(app, db::msg::kErrorLine, 1);
  }
  return kIdle;
}

namespace {

// Preconditions of a row; false (with the row's message shown) when the command may not run.
bool preconditionsMet(AppState& app, const CommandRow& row) {
  const bool file = app.design.isOpen();
  const bool cell = file && app.design.hasCell();
  auto refuse = [&](const char* utf8, const std::string& arg = {}) {
    std::string text = sjis::fromUtf8(utf8);
    if (auto pos = text.find("%s"); pos != std::string::npos) text.replace(pos, 2, arg);
    ShowError(app, text, "Error");
    return false;
  };
  switch (row.needs) {
    case Needs::Nothing:
      return true;
    case Needs::NoFile:
      return !file || refuse(db::msg::kStillOpen, app.design.path);
    case Needs::File:
      return file || refuse(db::msg::kNotOpenYet);
    case Needs::FileForCellName:
      return file || refuse(db::msg::kNoFileForCellNames);
    case Needs::FileAndCellList:
      return cell || refuse(db::msg::kNoCellForCellNames);
    case Needs::FileAndCell:
      return cell || refuse(db::msg::kNoDestination);
  }
  return true;
}

// Commands that open a modal dialog do nothing while one is already up.
bool opensDialog(std::int32_t n, std::string_view line) {
  if ((n >= 8 && n <= 15) || (n >= 33 && n <= 36) || n == 73 || n == 74 || n == 80 || n == 85)
    return true;
  if (n == 65) return SplitWords(line).size() < 2;
  if (n == 86) {
    auto words = SplitWords(line);
    return words.size() >= 2 && words[1] == "?";
  }
  return false;
}

// A number above the built-in ones runs the macro file of its name, if there is one.
void startMacroCommand(AppState& app, std::string_view line) {
  const std::string name = CommandName(app.window.commands, app.dispatch.current);
  app.dispatch.current = kIdle;
  if (!name.empty() && macro::RunNamedMacro(app, name, line)) return;
  std::string text = name + sjis::fromUtf8(
                                "   このコマンドについては、現在対応しておりません。"
                                "以降のバージョンからのサポートとなります。");
  ShowRefusalBox(app.host, text, "Commands", Icon::Information);
  EndCommand(app);
}

// A design that passes a classic limit is told once, even inside a macro: a program that knows
// only the classic form can no longer open its file whole.
void tellBeyondClassic(AppState& app) {
  auto& d = app.design;
  if (d.beyondClassicTold || !d.isOpen()) return;
  const char* text = nullptr;
  switch (db::PassedClassicLimit(d.image)) {
    case db::ClassicLimit::None:
      return;
    case db::ClassicLimit::Size:
      text = db::msg::kBeyondClassicSize;
      break;
    case db::ClassicLimit::Cells:
      text = db::msg::kBeyondClassicCells;
      break;
    case db::ClassicLimit::Vertices:
      text = db::msg::kBeyondClassicVertices;
      break;
  }
  d.beyondClassicTold = true;
  const bool macroRunning = app.window.macroRunning;
  app.window.macroRunning = false;
  PrintLine(app, sjis::fromUtf8(text), kPrintTranscript);
  app.window.macroRunning = macroRunning;
}

}  // namespace

void StartCommand(AppState& app, std::string_view line) {
  auto& d = app.dispatch;
  if (d.current <= kIdle) {
    CancelPick(app);
    EndCommand(app);
    return;
  }
  if (d.current > kLastBuiltIn) {
    startMacroCommand(app, line);
    return;
  }
  const CommandRow& row = *FindCommandRow(d.current);
  if (opensDialog(d.current, line) && d.dialogOpen) {
    EndCommand(app);
    return;
  }
  if (!preconditionsMet(app, row)) {
    EndCommand(app);
    return;
  }
  row.start(app, line);
  d.busy = false;
  app.host.invalidate(Window::Command);
}

void ContinueCommand(AppState& app, std::string_view answer) {
  const CommandRow* row = RowForStep(app.dispatch.current);
  if (!row || !row->next) {
    EndCommand(app);
    return;
  }
  row->next(app, answer);
}

void ResumeInterruptedCommand(AppState& app) {
  auto& d = app.dispatch;
  if (d.resumeMarker == 0) return;
  static constexpr std::int32_t kResumed[] = {91, 77, 97, 97, 98, 98};
  const int index = (d.resumeMarker - 1) / 2;
  if (index < 0 || index >= 6) return;
  const std::int32_t command = kResumed[index];
  ++d.resumeMarker;
  d.current = command;
  StartCommand(app, CommandName(app.window.commands, command));
}

void PressEnter(AppState& app) {
  auto& d = app.dispatch;
  if (macro::TakeEnterForMacro(app)) return;  // Enter only advances an active macro
  d.busy = true;
  app.window.caret = 0;
  std::string line = app.window.input;
  d.typedLine = line;
  // The line is consumed; what a handler puts into the input line (a dialog's choice) is new.
  // Line 0 of the transcript still shows the line as it was entered.
  app.window.input.clear();
  if (SplitWords(line).empty()) {
    display::RestoreGraphicsStep(app);
    // An empty answer abandons the waiting command, except where it moves to the next value.
    if (d.current == 103)
      ++d.arcStep;
    else if (d.current != 90 + kStepOffset)
      d.current = kIdle;
  }
  shell::HidePaletteUnlessPainting(app);
  if (d.current <= kIdle) {
    d.pickMode = 0;
    shell::ReleasePointer(app);
    d.current = LookUpCommand(app, line);
    StartCommand(app, line);
  } else {
    auto expanded = ExpandLine(app, line);
    ContinueCommand(app, expanded ? *expanded : std::string());
  }
  tellBeyondClassic(app);
  d.busy = false;
}

void AbortCommand(AppState& app) {
  auto& d = app.dispatch;
  d.pickMode = 0;
  display::RestoreGraphicsStep(app);
  d.current = kIdle;
  app.window.input.clear();
  app.window.caret = 0;
  SetPrompt(app, winmsg::kIdlePrompt);
  if (macro::StopMacro(app)) {
    PrintLine(app, macro::runmsg::kBreakMacro, 0);
  } else {
    PrintLine(app, {}, 0);
  }
  shell::ReleasePointer(app);
  CancelPick(app);
  shell::HidePaletteUnlessPainting(app);
}

}  // namespace lav::command
