// The Command Window's own texts and file names, as UTF-8; they are converted to Shift-JIS with
// lav::sjis::fromUtf8 where they enter a buffer or a message box.
#pragma once

#include <string_view>

#include "db/messages.h"

namespace lav::command::winmsg {

inline constexpr std::string_view kIdlePrompt = "? ";
inline constexpr std::string_view kErrorCaption = "Error";

// Command list dialog: the run button without a chosen line.
inline constexpr std::string_view kSelectFirst = db::msg::kSelectFirst;
// A file (the command list) that cannot be read; %s is its name.
inline constexpr std::string_view kCannotOpenFile = db::msg::kCannotOpenFile;

// The first size of the window asks for a transcript we will not hold.
inline constexpr std::string_view kWindowTooLarge = "ウインドウが大きすぎる。";
inline constexpr std::string_view kOutOfMemoryCaption = "メモリー不足";

// A text (function key, click, dialog, menu) that does not fit the input line is refused
// rather than cut into a different command.
inline constexpr std::string_view kDoesNotFit =
    "入力行に入りきりません。入力行を短くしてから行って下さい。";
// A menu item or toolbar button whose command has no name in the command file.
inline constexpr std::string_view kCommandHasNoName =
    "このコマンドにはコマンドファイルで名前が付けられていません。";

// Files beside the program.
inline constexpr std::string_view kCommandFileName = "Lavinor.cmd";
inline constexpr std::string_view kCommandListFileName = "LAVINOR.CMD";
inline constexpr std::string_view kHelpPath = "HLP/LAVINOR.html";

// The typed line the Home key enters (command 16 in the shipped command file).
inline constexpr std::string_view kHomeLine = "CLS";

// The file commands as the main menu and the Toolbar name them.
inline constexpr const char* kLabelNewFile = "新規作成";
inline constexpr const char* kLabelOpenFile = "開く";
inline constexpr const char* kLabelSaveClose = "上書き保存して閉じる";
inline constexpr const char* kLabelDiscardClose = "破棄して閉じる";

}  // namespace lav::command::winmsg
