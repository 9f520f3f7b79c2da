// Texts of the DXF converters beyond those shared with the stream converters (UTF-8; converted
// to Shift-JIS where they are shown).
#pragma once

#include "db/messages.h"

namespace lav::interchange::msg {

inline constexpr const char* kOpenDxfTitle = "ＤＸＦファイルを開く";
inline constexpr const char* kDxfFilter = "Files(*.*)|*.*|Files(*.DXF)|*.DXF|";
inline constexpr const char* kLayerListError = db::msg::kErrorLine;

// Our own texts for failures the classic converter did not report.
inline constexpr const char* kDxfWriteFailed =
    "DXFファイル %s の書き込みに失敗しました。ファイルは削除されました。";
inline constexpr const char* kDxfCreateFailed = "DXFファイル %s を作成できません。";
inline constexpr const char* kDxfNotFound = "DXFファイル %s が見つかりません。";
inline constexpr const char* kDxfBinary =
    "DXFファイル %s はバイナリ形式です。ASCII 形式の DXF だけを読み込めます。";
inline constexpr const char* kDxfBroken =
    "DXFファイルの %ld 行目にエラーがあります。読み込みを中止しました。";
inline constexpr const char* kDxfImageFull =
    "メモリーが不足しました。DXFファイルがデザインに収まりません。";

// Log lines of the reader's own warnings (kept apart from errors: reading goes on).
inline constexpr const char* kLogUnmappedLayer = " ***WARNING*** LAYER %s -> 0\n";
inline constexpr const char* kLogLongPolyline =
    " ***WARNING*** POLYLINE > 32767 (cell %s line %ld): split\n";
inline constexpr const char* kLogRenamedBlock = " ***WARNING*** BLOCK %s -> %s\n";
inline constexpr const char* kLogNoSeqend = " ***WARNING*** POLYLINE without SEQEND (line %ld)\n";
inline constexpr const char* kLogBlockCycle = " ***WARNING*** BLOCK cycle %s\n";
inline constexpr const char* kLogSkippedKind = " ***WARNING*** %s: %ld skipped\n";
inline constexpr const char* kLogUndefinedBlock = " ***WARNING*** INSERT of undefined block %s\n";

}  // namespace lav::interchange::msg
