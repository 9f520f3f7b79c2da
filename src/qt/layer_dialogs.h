// The five layer display dialogs on Qt widgets. Every control carries the object name
// "control-<number>" of the model's control, so that tests can find it.
#pragma once

#include <QWidget>

#include "platform/host.h"

namespace lav {
struct AppState;
}

namespace lav::qt {

// Shows model modally when it is one of the layer dialogs and returns true; false otherwise.
bool RunLayerDialog(QWidget* parent, AppState& app, DialogModel& model);

}  // namespace lav::qt
