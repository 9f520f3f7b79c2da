// Texts of the vector-text command (UTF-8; converted to Shift-JIS where they are shown).
#pragma once

#include "db/entry_messages.h"
#include "db/messages.h"

namespace lav::font::msg {

inline constexpr const char* kFontFileName = "MOJIDATA.DAT";
inline constexpr const char* kCannotOpenFont = db::msg::kCannotOpen;
inline constexpr const char* kNoOutputCell = db::msg::kNoDestination;
inline constexpr const char* kTempLayerInUse = db::msg::kLayerHoldsData;

// Lines in the Command Window while a text is laid out.
inline constexpr const char* kUnfinishedKana = "***ERROR*** Moji";
inline constexpr const char* kNoSuchGlyph = "***ERROR*** moji>su";
inline constexpr const char* kShortRecordHeader = "*ERROR*2";
inline constexpr const char* kShortRecordPoints = "*ERROR*3";
inline constexpr const char* kBadNumber = db::msg::kErrorLine;

inline constexpr const char* kPromptStrings = "Strings: ";
inline constexpr const char* kLabelPosition = "Position";

inline constexpr const char* kCaptionError = "Error";

}  // namespace lav::font::msg
