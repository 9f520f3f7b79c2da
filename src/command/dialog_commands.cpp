// Commands whose work is a small dialog or its typed shortcut: function-key texts, layer names,
// the text of new texts, the placed cell's name and the command list.
#include <string>

#include "command/cell_dialogs.h"
#include "command/command_list_dialog.h"
#include "command/dispatcher.h"
#include "command/entry_commands.h"
#include "command/handlers.h"
#include "command/text_dialogs.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "db/layer_names.h"
#include "db/messages.h"
#include "db/record_codec.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {
namespace {

constexpr std::size_t kCellNameLimit = 32;

// The text after the first n words of a line and the blanks behind them.
std::string_view afterWords(std::string_view line, int n) {
  for (int i = 0; i < n; ++i) line = RestAfterFirstWord(line);
  return line;
}

// Runs a dialog with the dispatcher's guard against a second dialog.
void runGuarded(AppState& app, DialogModel& model, const DialogWords& words = {}) {
  app.dispatch.dialogOpen = true;
  app.host.runDialogWithWords(model, words);
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

namespace {

constexpr int kLayerCount = 64;

// A layer name into the design; the image may lack room for the name block.
void storeLayerName(AppState& app, int layer, std::string_view name) {
  if (db::SetLayerName(app.design.image, layer, name) == db::LayerNameResult::NoRoom)
    ShowError(app, sjis::fromUtf8(db::msg::kOutOfMemory), "Error");
}

}  // namespace

void StartLayerName(AppState& app, std::string_view line) {
  EndCommand(app);
  if (!app.design.isOpen()) {
    ShowError(app, sjis::fromUtf8(db::msg::kNotOpenYet), "Error");
    return;
  }
  auto words = SplitWords(line);
  if (words.size() < 2) {  // every layer in a list
    std::vector<std::string> labels, texts;
    for (int l = 0; l < kLayerCount; ++l) {
      labels.push_back(std::to_string(l));
      texts.push_back(db::LayerName(app.design.image, l));
    }
    TextListDialog dialog("layer-name-list", sjis::fromUtf8("層の名前"), labels, texts,
                          db::kLayerNameBytes);
    runGuarded(app, dialog);
    if (!dialog.accepted) return;
    for (int l = 0; l < kLayerCount; ++l)
      if (dialog.texts[l] != texts[l]) storeLayerName(app, l, dialog.texts[l]);
    return;
  }
  auto layer = ScanInt(words[1]);
  if (!layer || *layer < 0 || *layer >= kLayerCount) {
    ShowError(app, sjis::fromUtf8("層の番号は 0 から 63 です。"), "Error");
    return;
  }
  const int l = static_cast<int>(*layer);
  if (words.size() < 3) {  // one layer in the text editor
    TextEditDialog dialog("layer-name", sjis::fromUtf8("層 ") + std::to_string(l),
                          db::LayerName(app.design.image, l), db::kLayerNameBytes);
    runGuarded(app, dialog);
    if (dialog.accepted) storeLayerName(app, l, dialog.text);
    return;
  }
  storeLayerName(app, l, words[2]);
}

void StartTextInput(AppState& app, std::string_view line) {
  EndCommand(app);
  TextEditDialog dialog("text-input", sjis::fromUtf8("テキストの入力"), app.settings.text,
                        db::kTextBytes);
  // TEXT string: the rest of the line is the text, blanks and all.
  DialogWords words;
  if (const std::string_view typed = RestAfterFirstWord(line); !typed.empty())
    words.emplace_back(typed);
  runGuarded(app, dialog, words);
  // Both closing buttons keep the edited text.
  app.settings.text = dialog.text;
  RedrawEntryPreview(app);
}

namespace {

void setPlacedCellName(AppState& app, std::string_view word) {
  app.settings.cellName = std::string(sjis::cutAt(word, kCellNameLimit));
  RedrawEntryPreview(app);
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
    // The picked name becomes the answer, entered as if typed.
    const db::CellListChoice c = db::RunCellNamesDialog(app, true);
    app.window.input.clear();
    app.window.caret = 0;
    if (c.action == db::CellListChoice::Action::HandToCommand && c.name != "?" &&
        AppendToInput(app, c.name)) {
      PressEnter(app);
      return;
    }
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
