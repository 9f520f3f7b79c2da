// Texts of printing and bitmap export (UTF-8; converted to Shift-JIS where they are shown).
#pragma once

#include "db/messages.h"

namespace lav::display::msg {

inline constexpr const char* kPrintError = "プリントエラー No. %d  %d  \n %d ";
inline constexpr const char* kPrintErrorSeparator = "･";
inline constexpr const char* kPrintCaption = "Lavinor";
inline constexpr const char* kPrintDocumentName = "Lavinor";
inline constexpr const char* kBitmapExists = db::msg::kSameFileExists;
inline constexpr const char* kBitmapCannotCreate = "ファイルが作成できません。";
inline constexpr const char* kBitmapErrorCaption = "エラー";
inline constexpr const char* kBitmapExistsCaption = "Error";

}  // namespace lav::display::msg
