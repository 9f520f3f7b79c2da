// Texts of the cell tree report and its dialogs (UTF-8; converted to Shift-JIS where they are
// shown or written).
#pragma once

#include "db/messages.h"

namespace lav::interchange::treemsg {

inline constexpr const char* kNoFileOrCell = db::msg::kNoCellForCellNames;
using db::msg::kSelectFirst;
inline constexpr const char* kTitleTree = "セルの木構造";
inline constexpr const char* kTitleChooser = "以前の木構造ファイルを選択";
inline constexpr const char* kButtonOpenCell = "ｾﾙ ｵｰﾌﾟﾝ";
inline constexpr const char* kButtonOpenChild = "子ｾﾙ ｵｰﾌﾟﾝ";
inline constexpr const char* kButtonChoose = db::msg::kButtonSelect;
inline constexpr const char* kButtonClose = db::msg::kButtonEnd;
inline constexpr const char* kRunning = db::msg::kTitleRunning;
using db::msg::kAbortion;
inline constexpr const char* kCaptionError = "Error";

// Our own texts for failures the classic program passed over in silence.
inline constexpr const char* kWriteFailed =
    "木構造ファイル %s を書き込めませんでした。作業ファイルは削除されました。";
inline constexpr const char* kCannotRead = "木構造ファイル %s を開くことが出来ませんでした。";
inline constexpr const char* kNoFreeNumber =
    "木構造ファイルの番号 TREE000.TXT から TREE999.TXT はすべて使われています。";

}  // namespace lav::interchange::treemsg
