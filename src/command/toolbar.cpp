#include "command/toolbar.h"

#include "command/dispatcher.h"
#include "command/paint_palette.h"
#include "command/window_input.h"
#include "console/command_window.h"
#include "console/window_messages.h"
#include "state/app_state.h"

namespace lav::shell {
namespace {

constexpr ToolbarButton one(int row, int column, const char* icon, std::int16_t command,
                            const char* tip, const char* argument = "") {
  return {row, column, icon, {{{command, argument}}}, 1, tip};
}
constexpr ToolbarButton entry(int row, int column, const char* icon, const char* type,
                              const char* tip, bool text = false) {
  if (text) return {row, column, icon, {{{82, type}, {85, ""}, {91, ""}}}, 3, tip};
  return {row, column, icon, {{{82, type}, {91, ""}}}, 2, tip};
}

constexpr std::array<ToolbarButton, kToolbarButtons> kButtons = {{
    one(0, 0, "new-file", 2, command::winmsg::kLabelNewFile),
    one(0, 1, "open-file", 3, command::winmsg::kLabelOpenFile),
    one(1, 0, "new-cell", 6, "セルを新規作成"),
    one(1, 1, "cell-list", 12, "セルを開く（一覧から）"),
    one(2, 0, "save-close", 4, command::winmsg::kLabelSaveClose),
    one(2, 1, "discard-close", 4, command::winmsg::kLabelDiscardClose, "0"),
    one(3, 0, "fit", 17, "全体表示"),
    one(3, 1, "zoom", 19, "拡大縮小"),
    one(4, 0, "window-zoom", 18, "範囲を指定して拡大"),
    one(4, 1, "redraw", 20, "再描画"),
    one(5, 0, "layers", 35, "表示層・選択層"),
    one(5, 1, "colours", 36, "色と線種"),
    one(6, 0, "fill", 34, "層ごとの塗り"),
    one(6, 1, "switches", 65, "表示スイッチ"),
    entry(7, 0, "rectangle", "3", "矩形を入力"),
    entry(7, 1, "polygon", "4", "多角形を入力"),
    entry(8, 0, "line", "5", "線を入力"),
    entry(8, 1, "text", "2", "文字を入力", true),
    one(9, 0, "width", 83, "線幅"),
    one(9, 1, "layer", 81, "入力層"),
    one(10, 0, "pick", 95, "図形を取り出す"),
    one(10, 1, "output", 94, "仮入力層を出力"),
}};

constexpr bool buttonsInOrder() {
  for (int i = 0; i < kToolbarButtons; ++i) {
    const ToolbarButton& b = kButtons[static_cast<std::size_t>(i)];
    if (b.row != i / kToolbarColumns || b.column != i % kToolbarColumns) return false;
  }
  return true;
}
static_assert(buttonsInOrder(), "buttons are listed row by row, left column first");

}  // namespace

std::span<const ToolbarButton> ToolbarButtons() {
  return kButtons;
}

void PressToolbarButton(AppState& app, int index) {
  if (index < 0 || index >= kToolbarButtons) return;
  const ToolbarButton& b = kButtons[static_cast<std::size_t>(index)];
  for (int i = 0; i < b.lineCount; ++i) {
    const ToolbarLine& l = b.lines[static_cast<std::size_t>(i)];
    if (!command::RunMenuCommand(app, l.command, l.argument)) return;
  }
}

void StartShowToolbar(AppState& app, std::string_view) {
  if (app.host.showToolWindow(ToolWindow::Toolbar, ToolWindowState::Focused)) {
    app.shell.toolbarExists = true;
    app.shell.toolbarReshow = false;
  }
  command::EndCommand(app);
}

void ReshowToolbar(AppState& app) {
  ShellState& s = app.shell;
  if (!s.toolbarExists || !s.toolbarReshow || app.dispatch.current == kPaintCommand) return;
  s.toolbarReshow = false;
  app.host.showToolWindow(ToolWindow::Toolbar, ToolWindowState::Shown);
}

void NoteFocusLoss(AppState& app, FocusTarget target) {
  ShellState& s = app.shell;
  if (!s.toolbarExists || s.toolbarReshow) return;
  if (target == FocusTarget::Elsewhere) s.toolbarReshow = true;
}

void ToolbarDestroyed(AppState& app) {
  app.shell.toolbarExists = false;
  app.shell.toolbarReshow = true;
}

}  // namespace lav::shell
