// Texts of the design database's messages, prompts and titles (UTF-8; converted to Shift-JIS
// where they are shown).
#pragma once

namespace lav::db::msg {

inline constexpr const char* kStillOpen = " ファイル %s が開かれたままです。閉じてから行って下さい";
inline constexpr const char* kSameFileExists = "同名のファイル %s が在ります。";
inline constexpr const char* kNoMemoryToCreate =
    "ファイル %s を作成する為のメモリーが不足しています。";
inline constexpr const char* kInUseElsewhere =
    "ファイル %s は他のプログラムで開かれています。そのプログラムで閉じてから開いて下さい。";
inline constexpr const char* kNotCadExtension = "ファイルの拡張子名が .CAD でありません";
inline constexpr const char* kCannotOpen = "ファイル %s を開くことが出来ません。";
inline constexpr const char* kNotDataFile =
    " ファイル %s "
    "の識別が出来ません。このファイルはデーター以外です。コマンドは実行できませんでした。";
inline constexpr const char* kTooManyOpens =
    "このプログラムの実行中に開けるファイルは 100 回までです。プログラムを起動し直して下さい。";
inline constexpr const char* kOutOfMemory = "メモリーが不足しました";
inline constexpr const char* kDamaged =
    "ファイル %s は壊れています（ディレクトリまたはデーターが範囲外を指しています）。";
inline constexpr const char* kNewerVersion =
    "新バージョンのデータです。このままでは続行出来ません。";
inline constexpr const char* kCloseFailed = "ファイルのクローズに失敗しました";
inline constexpr const char* kSaveQuestion =
    "ファイル %s が開かれたままです。ファイルを上書き保存しますか";
inline constexpr const char* kNotOpenYet = "ファイルはまだ開かれていません";
inline constexpr const char* kNotOpenForCommand =
    "ファイルは開かれていません。ファイルを開いた後でなければ %s このコマンドは実行できません。";
inline constexpr const char* kSameCellExists = "同名のセルが在りますので出来ません。";
inline constexpr const char* kTooManyCells = "セルの数が多すぎてこれ以上作成することは出来ません。";
inline constexpr const char* kCellNotFound =
    "セル %s "
    "が見つかりません。セル名では大文字と小文字を区別しますので正確に入力しなければなりません。";
// Once per open design, when it first passes one of the classic limits.
inline constexpr const char* kBeyondClassicSize =
    "設計データーが 5,242,800 バイトを超えました。従来形式のみのプログラムでは全体を開けません。";
inline constexpr const char* kBeyondClassicCells =
    "セルが 800 個を超えました。従来形式のみのプログラムでは全体を開けません。";
inline constexpr const char* kBeyondClassicVertices =
    "頂点が 200 を超える図形を記憶しました。従来形式のみのプログラムでは全体を開けません。";
inline constexpr const char* kCompactionTooLarge =
    "圧縮後のデーターが領域に収まりませんので圧縮できません。";

// Texts that several subsystems show.
inline constexpr const char* kAbortion = "*** Abortion ***";  // an operation stopped by Escape
inline constexpr const char* kErrorLine = "***ERROR***";      // an unreadable numeric argument
inline constexpr const char* kCannotOpenFile = "ファイル %s を開くことが出来ませんでした。";
inline constexpr const char* kNoReadMemory = "のデーターを読み込むメモリが不足しました";
inline constexpr const char* kRedrawing = "再描画中";
inline constexpr const char* kNoCellForCellNames =
    "ファイル又はセルは開かれていませんのでセル名の参照はできませんでした";

inline constexpr const char* kCaptionError = "Error";
inline constexpr const char* kCaptionFileCreate = "File Create Error";
inline constexpr const char* kCaptionCellCreate = "Cell Create Error";
inline constexpr const char* kCaptionClosing = "終了処理";

inline constexpr const char* kTitleOpen = "dravel: %s";
inline constexpr const char* kTitleRunning = "実行中";
inline constexpr const char* kTitleIdle = "Lavinor";

inline constexpr const char* kPromptFileName = "File Name: ";
inline constexpr const char* kPromptCellName = "Cell Name: ";

// Cell dialogs.
inline constexpr const char* kNoFileForCellNames =
    "ファイルは開かれていませんのでセル名の参照はできませんでした";
inline constexpr const char* kSelectFirst = "選択してからボタンを押して下さい";
inline constexpr const char* kTitleCellCopy = "セルのコピーを作る";
inline constexpr const char* kTitleCellRename = "セル名の変更";
inline constexpr const char* kTitleCellDelete = "セルの削除";
inline constexpr const char* kTitleCellRestore = "消したセルの復活";
inline constexpr const char* kTitleCellList = "セル名の一覧";
inline constexpr const char* kTitleCopySourceFile = "コピー元のファイルを開く";
inline constexpr const char* kFieldCopySource = "コピー元の名前";
inline constexpr const char* kFieldNewName = "新しい名前";
inline constexpr const char* kFieldOldName = "元の名前";
inline constexpr const char* kFieldRestoredName = "復活後の名前";
inline constexpr const char* kButtonCreate = "作成";
inline constexpr const char* kButtonChange = "変更";
inline constexpr const char* kButtonDelete = "削除";
inline constexpr const char* kButtonRestore = "復活";
inline constexpr const char* kButtonSelect = "選択";
inline constexpr const char* kButtonEnd = "終了";  // closes the layer and tree dialogs
inline constexpr const char* kListHeaderNarrow = " ------ %s ----";  // list and delete dialogs
inline constexpr const char* kListHeaderWide = "------- %s ----";    // copy, rename, restore
inline constexpr const char* kListTrailer = "------ END ----";
inline constexpr const char* kFilterCad = "Files(*.CAD)|*.CAD|";

}  // namespace lav::db::msg
