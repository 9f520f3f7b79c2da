// Texts of the display's messages (UTF-8; converted to Shift-JIS where they are shown).
#pragma once

#include "db/messages.h"

namespace lav::display::msg {

inline constexpr const char* kZoomOutLimit = "値が小さすぎます。これ以上の縮小は出来ません。";
inline constexpr const char* kZoomInLimit = "値が大きすぎます。これ以上の拡大は出来ません。";
inline constexpr const char* kUndefinedArray = "*UNDEFIND*( %s )ACell";
inline constexpr const char* kUndefinedSingle = "*UNDEFIND*( %s )SCell";
using db::msg::kAbortion;
using db::msg::kNoReadMemory;
using db::msg::kRedrawing;
inline constexpr const char* kErrorCaption = "Error";

}  // namespace lav::display::msg
