// Texts of the merge and join commands (UTF-8; converted to Shift-JIS where shown).
#pragma once

#include "db/entry_messages.h"

namespace lav::geometry::msg {

inline constexpr const char* kTooManyVertices = db::msg::kOutlineTooLong;
inline constexpr const char* kDataTooLarge = "データが大きすぎます。";
inline constexpr const char* kMergeImpossible = "合成は不可能です。";

}  // namespace lav::geometry::msg
