// The modal dialogs of the core's dialog models on Qt widgets: the cell dialogs, the command
// list, the one-line text and text-list dialogs, and the version information.
#pragma once

#include <QWidget>

#include "platform/host.h"

class QListWidget;

namespace lav {
struct AppState;
}

namespace lav::qt {

// Shows the dialog for model and relays the user's actions to it until it is finished or
// closed. A model without a dialog here is refused on standard error and finished unchanged,
// which its command takes as a cancel.
void RunModelDialog(QWidget* parent, AppState& app, DialogModel& model);

// The row the user picked in list, -1 for none. The row Qt makes current when the list gets the
// focus is no choice.
int PickedRow(const QListWidget* list);

// Menu item 1104 and Alt+? : the program's name and version, closed by OK.
void ShowVersionDialog(QWidget* parent);

}  // namespace lav::qt
