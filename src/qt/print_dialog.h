// Dialog 700 "印刷の設定" on Qt widgets, over the core's print dialog model.
#pragma once

#include <QWidget>

namespace lav::display {
class PrintDialog;
}

namespace lav::qt {

// Shows the dialog modally until 実行 or キャンセル; each control's object name is
// "control-<number>".
void RunPrintDialog(QWidget* parent, display::PrintDialog& model);

}  // namespace lav::qt
