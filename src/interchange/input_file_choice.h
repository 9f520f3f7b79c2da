// The file a converter reads: the first word of the command's arguments or, without one, the
// file-open dialog; the second word is the log's sort column.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::interchange {

struct InputFileKind {
  const char* dialogTitle;       // UTF-8
  const char* filter;            // "Files(*.X)|*.X|" form
  const char* defaultExtension;  // added when the name has none
  const char* notFound;          // message with one %s for the name
};

struct InputFile {
  std::string path;  // as found on disk, letter case ignored
  int column = 0;
};

// Nothing when the dialog was cancelled or the file is missing (the message box was shown).
std::optional<InputFile> ChooseInputFile(AppState& app, std::string_view arguments,
                                         const InputFileKind& kind);

}  // namespace lav::interchange
