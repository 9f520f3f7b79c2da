// Texts of element entry, output and picking (UTF-8; converted to Shift-JIS where shown).
#pragma once

namespace lav::db::msg {

inline constexpr const char* kNoDestination =
    "ファイル又はセルは開かれていません。出力先がわかりません。";
inline constexpr const char* kTooManyCoordinates = "座標値の数が多すぎます。";
inline constexpr const char* kLayerHoldsData = "仮入力層には図形や座標値がすでに存在しています。";
inline constexpr const char* kOutlineTooLong = "２００頂点を超えてしまいます。";
inline constexpr const char* kFigureTooLongForLayer =
    "頂点が 200 を超える図形は仮入力層に取り込めません。";
inline constexpr const char* kSelectFailedCheckLayers =
    "セレクトできませんでした。選択層の設定を確認して下さい。";
inline constexpr const char* kSelectFailed = "セレクトできませんでした。";
inline constexpr const char* kCaptionCellOpen = "Cell Open";
inline constexpr const char* kCaptionPick = "CKp";

inline constexpr const char* kPromptPoint = "Point: ";
inline constexpr const char* kPromptPointNumber = "Te%d: ";

}  // namespace lav::db::msg
