// The command-table side of the design file and cell commands: arguments and prompts.
#include <optional>
#include <string>

#include "command/cell_dialogs.h"
#include "command/dispatcher.h"
#include "command/entry_commands.h"
#include "command/handlers.h"
#include "console/command_file.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "db/cell_commands.h"
#include "db/design_files.h"
#include "db/messages.h"
#include "db/refusal.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {
namespace {

void askFor(AppState& app, const char* prompt) {
  SetPrompt(app, prompt);
  PrintLine(app, {}, kPrintEndLine);
}

void titleOpen(AppState& app) {
  app.host.setTitle(db::FormatMessage(db::msg::kTitleOpen, app.design.path));
}
void titleRunning(AppState& app) {
  app.host.setTitle(sjis::fromUtf8(db::msg::kTitleRunning));
}
void titleIdle(AppState& app) {
  app.host.setTitle(db::msg::kTitleIdle);
}

// The close operation; a failed write is shown. False when the design stays open.
bool closeDesign(AppState& app, bool save) {
  db::Refusal refusal;
  const bool closed = db::CloseDesign(app, save, refusal);
  ShowRefusal(app, refusal);
  return closed;
}

// The open with the titles around it. True when it was cut short by Escape (only then does the
// command print "*** Abortion ***").
bool openDesign(AppState& app, std::string_view argument) {
  titleRunning(app);
  db::Refusal refusal;
  const db::OpenResult r = db::OpenDesign(app, argument, refusal);
  ShowRefusal(app, refusal);
  switch (r) {
    case db::OpenResult::Failed:
    case db::OpenResult::Stopped:
      db::ReleaseDesign(app);
      titleIdle(app);
      break;
    case db::OpenResult::Refused:
      if (app.design.isOpen())
        titleOpen(app);
      else
        titleIdle(app);
      app.continueFlag = false;
      break;
    case db::OpenResult::Opened:
      app.design.presentLayers.fill(0);
      db::ClearPaintMarks(app);
      titleOpen(app);
      app.host.invalidate(Window::Graphics);
      break;
  }
  app.host.invalidate(Window::Status);
  return r == db::OpenResult::Stopped;
}

// "0" (or any word scanning as zero) closes without writing.
void closeDesignCommand(AppState& app, std::string_view argument) {
  auto& d = app.design;
  d.saveOnClose = true;
  const auto words = SplitWords(argument);
  if (!words.empty()) {
    const std::string word(words[0]);
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (end != word.c_str() && v == 0) d.saveOnClose = false;
  }
  app.continueFlag = true;
  titleRunning(app);
  const bool closed = closeDesign(app, d.saveOnClose);
  d.saveOnClose = false;
  titleIdle(app);
  if (!closed && d.isOpen()) titleOpen(app);
}

}  // namespace

bool AskAndCloseDesign(AppState& app, Buttons buttons) {
  if (!app.design.isOpen()) return true;
  const Answer a =
      app.host.messageBox(db::FormatMessage(db::msg::kSaveQuestion, app.design.path),
                          sjis::fromUtf8(db::msg::kCaptionClosing), Icon::Question, buttons);
  if (a == Answer::Cancel) return false;
  app.continueFlag = true;
  return closeDesign(app, a == Answer::Yes);
}

void StartExit(AppState& app, std::string_view) {
  if (AskAndCloseDesign(app, Buttons::YesNoCancel)) {
    app.dispatch.endRequested = true;
  }
  EndCommand(app);
}

void StartNewDesign(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  if (words.size() < 2) return askFor(app, db::msg::kPromptFileName);
  ContinueNewDesign(app, words[1]);
}

void ContinueNewDesign(AppState& app, std::string_view answer) {
  db::Refusal refusal;
  db::NewDesign(app, answer, refusal);
  ShowRefusal(app, refusal);
  EndCommand(app);
}

void StartOpenDesign(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  if (words.size() >= 2 && words[1] != "0" && words[1] != "?") {
    ContinueOpenDesign(app, words[1]);
    return;
  }
  // The file dialog; its choice is typed as the answer to "File Name: ".
  askFor(app, db::msg::kPromptFileName);
  FileDialogRequest request;
  request.filter = db::msg::kFilterCad;
  auto chosen = app.host.openFileDialog(request);
  if (!chosen) {
    EndCommand(app);
    return;
  }
  if (AppendToInput(app, *chosen))
    PressEnter(app);
  else
    EndCommand(app);
}

void ContinueOpenDesign(AppState& app, std::string_view answer) {
  app.continueFlag = true;
  // A refused or failed open clears the flag too; only an open cut short is an abortion.
  if (openDesign(app, answer)) PrintLine(app, db::msg::kAbortion, kPrintMessage);
  EndCommand(app);
}

void StartCloseDesign(AppState& app, std::string_view line) {
  closeDesignCommand(app, RestAfterFirstWord(line));
  if (!app.continueFlag) PrintLine(app, db::msg::kAbortion, kPrintMessage);
  EndCommand(app);
}

void StartCreateCell(AppState& app, std::string_view line) {
  PutBackBeforeCellChange(app);
  auto words = SplitWords(line);
  if (words.size() < 2) return askFor(app, db::msg::kPromptCellName);
  ContinueCreateCell(app, words[1]);
}

void ContinueCreateCell(AppState& app, std::string_view answer) {
  db::Refusal refusal;
  db::CreateCell(app, answer, refusal);
  ShowRefusal(app, refusal);
  EndCommand(app);
}

namespace {

bool cellCommandNeedsFile(AppState& app) {
  if (app.design.isOpen()) return true;
  ShowError(app,
            db::FormatMessage(db::msg::kNotOpenForCommand,
                              CommandName(app.window.commands, app.dispatch.current)),
            "Error");
  return false;
}

}  // namespace

namespace {

// An opened cell shows every element type again.
void openCell(AppState& app, std::string_view arguments, bool& needsName) {
  db::Refusal refusal;
  if (db::OpenCell(app, arguments, needsName, refusal)) app.display.elementTypeMask = 0xFFFF;
  ShowRefusal(app, refusal);
}

// A first word that scans as 0 or 1 is kept as the resume marker; any other word makes it 0.
void storeOpenCellMarker(AppState& app, std::string_view arguments) {
  auto words = SplitWords(arguments);
  const auto v = words.empty() ? std::nullopt : ScanInt(words[0]);
  app.dispatch.resumeMarker = (v && (*v == 0 || *v == 1)) ? static_cast<int>(*v) : 0;
}

}  // namespace

void StartOpenCell(AppState& app, std::string_view line) {
  PutBackBeforeCellChange(app);
  if (!cellCommandNeedsFile(app)) return EndCommand(app);
  const std::string_view args = RestAfterFirstWord(line);
  storeOpenCellMarker(app, args);
  bool needsName = false;
  openCell(app, args, needsName);
  if (needsName) return askFor(app, db::msg::kPromptCellName);
  EndCommand(app);
}

void ContinueOpenCell(AppState& app, std::string_view answer) {
  // A marker typed before the prompt applies to the name typed at it.
  std::string args(answer);
  if (app.dispatch.resumeMarker == 1) args = "1 " + args;
  bool needsName = false;
  openCell(app, args, needsName);
  storeOpenCellMarker(app, args);
  EndCommand(app);
}

// The cell dialogs take their fields as words after the command name too (COPYCELL FROM TO,
// RENCELL OLD NEW, DELCELL NAME, UNDELCELL NAME, CELLS NAME, IMPCELL DESIGN CELL...), so that
// scripts can use them.
void StartCellCopy(AppState& app, std::string_view line) {
  PutBackBeforeCellChange(app);
  EndCommand(app);
  db::RunCellCopyDialog(app, ArgumentWords(line));
}

void StartCellRename(AppState& app, std::string_view line) {
  EndCommand(app);
  db::RunCellRenameDialog(app, ArgumentWords(line));
}

void StartCellDelete(AppState& app, std::string_view line) {
  EndCommand(app);
  db::RunCellDeleteDialog(app, ArgumentWords(line));
}

void StartCellRestore(AppState& app, std::string_view line) {
  EndCommand(app);
  db::RunCellRestoreDialog(app, ArgumentWords(line));
}

void StartCopyFromDesign(AppState& app, std::string_view line) {
  PutBackBeforeCellChange(app);  // copied cells may reuse the blocks a pick points into
  EndCommand(app);
  db::RunCopyFromDesign(app, ArgumentWords(line));
}

void StartCellList(AppState& app, std::string_view line) {
  EndCommand(app);
  const db::CellListChoice c = db::RunCellNamesDialog(app, false, ArgumentWords(line));
  if (c.action != db::CellListChoice::Action::OpenCell) return;
  // The open-cell command is entered and then answered with the picked name.
  const std::string name = CommandName(app.window.commands, 7);
  if (!name.empty() && AppendToInput(app, name)) {
    PressEnter(app);
    if (app.dispatch.current == 7 && AppendToInput(app, c.name)) PressEnter(app);
    return;
  }
  app.dispatch.current = 7;
  StartOpenCell(app, "7 " + c.name);
}

void StartCompaction(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  const bool drop = words.size() >= 2 && ScanInt(words[1]).value_or(0) == 1;
  PutBackBeforeCellChange(app);  // compaction moves the records a pick points at
  db::Refusal refusal;
  db::CompactDesign(app, drop, refusal);
  ShowRefusal(app, refusal);
  EndCommand(app);
}

}  // namespace lav::command
