// The macro runner's texts, in UTF-8; they become Shift-JIS where they enter a message box or
// the transcript (sjis::fromUtf8). printf-style fields are filled in UTF-8 before conversion.
#pragma once

#include "db/messages.h"

namespace lav::macro::runmsg {

inline constexpr const char* kErrorCaption = "Error";
inline constexpr const char* kBreakMacro = "***BREAK MACRO***";
// The input line's prompt while an INKEY$ line waits.
inline constexpr const char* kInputPrompt = "?: ";
inline constexpr const char* kIdlePrompt = "? ";
// The macro command without a name.
inline constexpr const char* kPromptMacroName = "Macro Name: ";

// %s: the file name as the macro command formed it.
using db::msg::kCannotOpenFile;

// The runner's refusals; each stops the macro. %s is the macro file, %ld the line number.
inline constexpr const char* kLineTooLong =
    "マクロ %s の %ld 行目は長すぎます。一行は %zu バイトまでです。マクロを中止しました。";
inline constexpr const char* kLineDoesNotFit =
    "マクロ %s の %ld 行目は入力行に入りきりません。マクロを中止しました。";
inline constexpr const char* kLabelNotFound =
    "マクロ %s にラベル %s が見つかりません。マクロを中止しました。";
// A jump to a missing label ends only the file that jumps; a calling macro goes on.
inline constexpr const char* kJumpLabelNotFound =
    "マクロ %s にラベル %s が見つかりません。このマクロファイルはここで終わります。";
inline constexpr const char* kUnclosedQuote =
    "マクロ %s の %ld 行目の INKEY$ の引用符 \" が閉じていません。マクロを中止しました。";
inline constexpr const char* kCannotReread =
    "マクロファイル %s を読み直せませんでした。マクロを中止しました。";
// A call beyond the deepest nesting is ignored; the calling macro goes on. %zu the depth.
inline constexpr const char* kTooDeep =
    "マクロの呼び出しは %zu 段までです。%s は呼び出されませんでした。";
// Limits of a batch run.
inline constexpr const char* kLineLimit =
    "マクロが %ld 行を実行したので中止しました（実行行数の上限）。";
inline constexpr const char* kTimeLimit =
    "マクロが %ld 秒を超えて実行されたので中止しました（実行時間の上限）。";

}  // namespace lav::macro::runmsg
