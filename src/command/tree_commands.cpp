#include "command/tree_commands.h"

#include "command/dispatcher.h"
#include "command/tree_dialogs.h"
#include "console/command_window.h"
#include "interchange/tree_messages.h"
#include "interchange/tree_report.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::interchange {

void StartTreeReport(AppState& app, std::string_view) {
  const TreeOutcome outcome = WriteTreeReport(app);
  if (outcome == TreeOutcome::Stopped) {
    ++app.dispatch.errorsReported;
    command::PrintLine(app, sjis::fromUtf8(treemsg::kAbortion), command::kPrintMessage);
  }
  // The command has ended before the dialog, so that its open-cell button finds an idle line.
  command::EndCommand(app);
  if (outcome == TreeOutcome::Written) RunTreeDialog(app, app.tree.reportNumber);
}

void StartEarlierTreeReport(AppState& app, std::string_view) {
  command::EndCommand(app);
  RunEarlierTreeReport(app);
}

}  // namespace lav::interchange
