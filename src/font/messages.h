// Texts of the vector-text command (UTF-8; converted to Shift-JIS where they are shown).
#pragma once

namespace lav::font::msg {

inline constexpr const char* kFontFileName = "MOJIDATA.DAT";
inline constexpr const char* kCannotOpenFont = "ファイル %s を開くことが出来ません。";
inline constexpr const char* kNoOutputCell =
    "ファイル又はセルは開かれていません。出力先がわかりません。";
inline constexpr const char* kTempLayerInUse = "仮入力層には図形や座標値がすでに存在しています。";

// Lines in the Command Window while a text is laid out.
inline constexpr const char* kUnfinishedKana = "***ERROR*** Moji";
inline constexpr const char* kNoSuchGlyph = "***ERROR*** moji>su";
inline constexpr const char* kShortRecordHeader = "*ERROR*2";
inline constexpr const char* kShortRecordPoints = "*ERROR*3";
inline constexpr const char* kBadNumber = "***ERROR***";

inline constexpr const char* kPromptStrings = "Strings: ";
inline constexpr const char* kLabelPosition = "Position";

inline constexpr const char* kCaptionError = "Error";

}  // namespace lav::font::msg
