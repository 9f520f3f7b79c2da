// Texts of the display's messages (UTF-8; converted to Shift-JIS where they are shown).
#pragma once

namespace lav::display::msg {

inline constexpr const char* kZoomOutLimit = "値が小さすぎます。これ以上の縮小は出来ません。";
inline constexpr const char* kZoomInLimit = "値が大きすぎます。これ以上の拡大は出来ません。";
inline constexpr const char* kUndefinedArray = "*UNDEFIND*( %s )ACell";
inline constexpr const char* kUndefinedSingle = "*UNDEFIND*( %s )SCell";
inline constexpr const char* kNoReadMemory = "のデーターを読み込むメモリが不足しました";
inline constexpr const char* kAbortion = "*** Abortion ***";
inline constexpr const char* kRedrawing = "再描画中";
inline constexpr const char* kErrorCaption = "Error";

}  // namespace lav::display::msg
