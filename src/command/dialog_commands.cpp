// Commands whose work is a small dialog or its typed shortcut: function-key texts, the text of
// new texts, the placed cell's name and the command list.
#include <string>

#include "command/command_list_dialog.h"
#include "command/command_window.h"
#include "command/dispatcher.h"
#include "command/handlers.h"
#include "command/text_dialogs.h"
#include "command/tokens.h"
#include "platform/sjis.h"
#include "shell/app_state.h"

namespace lav::command {
namespace {

constexpr std::size_t kTextLimit = 512;
constexpr std::size_t kCellNameLimit = 32;

// The text after the first n words of a line and the blanks behind them.
std::string_view afterWords(std::string_view line, int n) {
  for (int i = 0; i < n; ++i) line = RestAfterFirstWord(line);
  return line;
}

// Runs a dialog with the dispatcher's guard against a second dialog.
void runGuarded(AppState& app, DialogModel& model) {
  app.dispatch.dialogOpen = true;
  app.host.runDialog(model);
  app.dispatch.dialogOpen = false;
}

void refuseKeyText(AppState& app) {
  ShowError(app,
            sjis::fromUtf8("ファンクションキーの番号は 1 から 15、文字列は 39 バイトまでです。"),
            "Error");
}

}  // namespace

void StartFunctionKey(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  EndCommand(app);
  auto& keys = app.window.commands.keys;
  if (words.size() < 2) {  // every key in a list
    std::vector<std::string> labels, texts(keys.begin(), keys.end());
    for (int k = 1; k <= kFunctionKeys; ++k) labels.push_back("F" + std::to_string(k));
    TextListDialog dialog("function-key-list", "Function Keys", labels, texts,
                          kFunctionKeyBytes - 1);
    runGuarded(app, dialog);
    if (dialog.accepted)
      for (int k = 1; k <= kFunctionKeys; ++k) SetFunctionKey(app.window, k, dialog.texts[k - 1]);
    return;
  }
  auto key = ScanInt(words[1]);
  if (!key || *key < 1 || *key > kFunctionKeys) {
    refuseKeyText(app);
    return;
  }
  const int k = static_cast<int>(*key);
  if (words.size() < 3) {  // one key in the text editor
    TextEditDialog dialog("function-key", "F" + std::to_string(k), keys[k - 1],
                          kFunctionKeyBytes - 1);
    runGuarded(app, dialog);
    if (dialog.accepted) SetFunctionKey(app.window, k, dialog.text);
    return;
  }
  if (!SetFunctionKey(app.window, k, afterWords(line, 2))) refuseKeyText(app);
}

void StartTextInput(AppState& app, std::string_view) {
  EndCommand(app);
  TextEditDialog dialog("text-input", sjis::fromUtf8("テキストの入力"), app.settings.text,
                        kTextLimit);
  runGuarded(app, dialog);
  // Both closing buttons keep the edited text.
  app.settings.text = dialog.text;
}

namespace {

void setPlacedCellName(AppState& app, std::string_view word) {
  app.settings.cellName = std::string(sjis::cutAt(word, kCellNameLimit));
}

std::string placedNamePrompt(const AppState& app) {
  return "Name(" + app.settings.cellName + "): ";
}

}  // namespace

void StartPlacedCellName(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  if (words.size() >= 2) {
    ContinuePlacedCellName(app, words[1]);
    return;
  }
  SetPrompt(app, placedNamePrompt(app));
  PrintLine(app, {}, kPrintEndLine);
}

void ContinuePlacedCellName(AppState& app, std::string_view answer) {
  auto words = SplitWords(answer);
  if (words.empty()) {
    EndCommand(app);
    return;
  }
  if (words[0] == "?") {
    ++app.dispatch.errorsReported;
    PrintMessageLine(app, "*** NAME ?: not available yet (waits for the cell dialogs) ***");
    EndCommand(app);
    return;
  }
  setPlacedCellName(app, words[0]);
  EndCommand(app);
}

void StartCommandList(AppState& app, std::string_view) {
  EndCommand(app);
  RunCommandListDialog(app);
}

}  // namespace lav::command
