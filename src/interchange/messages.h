// Texts of the converters' messages, prompts and log lines (UTF-8; converted to Shift-JIS
// where they are shown).
#pragma once

#include "db/messages.h"

namespace lav::interchange::msg {

using db::msg::kSameFileExists;
inline constexpr const char* kUnitsDiffer =
    "データベースが違いますがこのまま実行しますか。\nCAD: %ld  GDSII: %ld ";
inline constexpr const char* kCaptionNotice = "お知らせ";
inline constexpr const char* kCreateFailed = "ファイルの作成に失敗しました。";
inline constexpr const char* kFileNotCreatable = "ファイル %s を作成できません。";
using db::msg::kTooManyCells;
inline constexpr const char* kNoMemoryForCell = db::msg::kNoReadMemory;
inline constexpr const char* kRunning = db::msg::kTitleRunning;
inline constexpr const char* kNormalEnd = "----- nomal end -----";
inline constexpr const char* kErrorEnd = "----- Error end -----";
using db::msg::kAbortion;
inline constexpr const char* kStreamError = "ストリームファイルにエラー(%ld)-(%ld)があります。";
inline constexpr const char* kOpenStreamTitle = "ストリームファイルを開く";
inline constexpr const char* kStreamFilter = "Files(*.*)|*.*|Files(*.STR)|*.STR|";
using db::msg::kCaptionError;
using db::msg::kOutOfMemory;

// Our own texts for failures the converters report beyond the classic ones.
inline constexpr const char* kWriteFailed =
    "ストリームファイル %s の書き込みに失敗しました。ファイルは削除されました。";
inline constexpr const char* kOutRange =
    "座標値がストリームファイルの範囲を超えています (セル %s)。ファイルは削除されました。";
inline constexpr const char* kStreamNotFound = "ストリームファイル %s が見つかりません。";
inline constexpr const char* kInRange =
    "ストリームファイルの座標値がデータベースの範囲を超えています (セル %s)。";
inline constexpr const char* kImageFull =
    "メモリーが不足しました。ストリームファイルがデザインに収まりません (セル %s)。";
inline constexpr const char* kCannotCreateCell = "セル %s を作成できません。セルの数が多すぎます。";
inline constexpr const char* kCellBroken = "セル %s のデーターが壊れています。";
inline constexpr const char* kBadUnits = "ストリームファイルの UNITS が不正です。";

// Command window lines.
inline constexpr const char* kErrorSpacing = "***ERROR*** SPACING";
inline constexpr const char* kErrorStypTable = "***ERROR*** STYPTABLE";
inline constexpr const char* kErrorPathType = "***ERROR*** PATHTYPE";
inline constexpr const char* kErrorArray = "***ERROR*** ARRAY";

}  // namespace lav::interchange::msg
