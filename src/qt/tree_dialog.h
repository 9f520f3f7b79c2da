// The dialogs of the cell tree report on Qt widgets: the tree of one report with its open-cell
// button, and the chooser of an earlier report.
#pragma once

#include <QWidget>

#include "platform/host.h"

namespace lav {
struct AppState;
}

namespace lav::qt {

// Shows model when it is one of the tree report's dialogs and relays the user's actions to it.
// False for any other model.
bool RunTreeReportDialog(QWidget* parent, AppState& app, DialogModel& model);

}  // namespace lav::qt
