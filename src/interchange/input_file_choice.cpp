#include "interchange/input_file_choice.h"

#include <filesystem>

#include "command/dispatcher.h"
#include "command/tokens.h"
#include "db/design_files.h"
#include "interchange/messages.h"
#include "platform/paths.h"
#include "shell/app_state.h"

namespace lav::interchange {

std::optional<InputFile> ChooseInputFile(AppState& app, std::string_view arguments,
                                         const InputFileKind& kind) {
  const auto words = command::SplitWords(arguments);
  std::string name = words.empty() ? std::string() : std::string(words[0]);
  InputFile file;
  if (words.size() >= 2)
    if (auto v = command::ScanInt(words[1])) file.column = static_cast<int>(*v);
  if (name.empty()) {
    FileDialogRequest request;
    request.title = kind.dialogTitle;
    request.filter = kind.filter;
    request.filterIndex = 2;
    request.mustExist = true;
    auto chosen = app.host.openFileDialog(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    name = *chosen;
  }
  const std::size_t slash = name.find_last_of('/');
  if (name.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos)
    name += kind.defaultExtension;
  const auto found = paths::findCaseInsensitive(name);
  if (!found || std::filesystem::is_directory(*found)) {
    command::ShowError(app, db::FormatMessage(kind.notFound, name), msg::kCaptionError);
    return std::nullopt;
  }
  file.path = *found;
  return file;
}

}  // namespace lav::interchange
