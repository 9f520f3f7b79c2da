#include "command/print_commands.h"

#include "command/dispatcher.h"
#include "console/tokens.h"
#include "db/design_files.h"
#include "display/bitmap_export.h"
#include "display/print_messages.h"
#include "display/print_view.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {

void StartPrint(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  if (words.size() >= 2 && words[1].size() == 1 && words[1][0] >= '0' && words[1][0] <= '2')
    app.settings.printMode = words[1][0] - '0';
  display::PrintView(app);
  EndCommand(app);
}

void StartExportBitmap(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  const std::string_view name = words.size() >= 2 ? words[1] : std::string_view{};
  const display::BitmapExport done = display::ExportBitmap(app, name);
  switch (done.result) {
    case display::BitmapResult::Written:
      break;
    case display::BitmapResult::Exists:
      ShowError(app, db::FormatMessage(display::msg::kBitmapExists, done.name),
                sjis::fromUtf8(display::msg::kBitmapExistsCaption));
      break;
    case display::BitmapResult::CannotCreate:
      ShowRefusalBox(app.host, sjis::fromUtf8(display::msg::kBitmapCannotCreate),
                     sjis::fromUtf8(display::msg::kBitmapErrorCaption), Icon::Information);
      break;
  }
  EndCommand(app);
}

}  // namespace lav::command
