#include "interchange/converter_frame.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "console/command_steps.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "db/cell_directory.h"
#include "db/design_files.h"
#include "db/messages.h"
#include "db/refusal.h"
#include "display/view_transform.h"
#include "interchange/exchange_state.h"
#include "interchange/messages.h"
#include "platform/paths.h"
#include "platform/sjis.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;

int sortColumn(const std::vector<std::string_view>& words) {
  if (words.size() >= 2)
    if (auto v = command::ScanInt(words[1])) return static_cast<int>(*v);
  return 0;
}

}  // namespace

std::optional<ConverterFile> ChooseInputFile(ExchangeState& app, std::string_view arguments,
                                             const InputFileKind& kind) {
  const auto words = command::SplitWords(arguments);
  std::string name = words.empty() ? std::string() : std::string(words[0]);
  ConverterFile file;
  file.column = sortColumn(words);
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
  if (!found || fs::is_directory(*found)) {
    command::ShowError(app, db::FormatMessage(kind.notFound, name), msg::kCaptionError);
    return std::nullopt;
  }
  file.path = *found;
  return file;
}

std::optional<ConverterFile> ChooseOutputFile(ExchangeState& app, std::string_view arguments,
                                              std::string_view extension) {
  const auto words = command::SplitWords(arguments);
  ConverterFile file;
  file.path =
      ReplaceExtension(words.empty() ? std::string_view(app.design.path) : words[0], extension);
  file.column = sortColumn(words);
  if (paths::findCaseInsensitive(file.path) || fs::exists(file.path)) {
    command::ShowRefusal(app, {msg::kSameFileExists, file.path});
    return std::nullopt;
  }
  return file;
}

bool ConfirmUnits(ExchangeState& app, long cadUnit, long gdsUnit) {
  if (cadUnit == gdsUnit) return true;
  char text[300];
  std::snprintf(text, sizeof text, sjis::fromUtf8(msg::kUnitsDiffer).c_str(), cadUnit, gdsUnit);
  return app.host.messageBox(text, sjis::fromUtf8(msg::kCaptionNotice), Icon::Information,
                             Buttons::YesNo) == Answer::Yes;
}

std::string LogPathFor(const std::string& path) {
  std::string logPath = ReplaceExtension(path, ".txt");
  if (logPath == path) logPath += ".txt";  // never write the log over the file being read
  return logPath;
}

void ShowRunPrompt(ExchangeState& app, const char* utf8) {
  command::SetPrompt(app, sjis::fromUtf8(utf8));
  command::RepaintInputLine(app);
}

void ShowEndPrompt(ExchangeState& app, bool normalEnd) {
  ShowRunPrompt(app, normalEnd ? msg::kNormalEnd : msg::kErrorEnd);
}

void EndLog(LogFile& log, const std::string& logPath, int headerLines, int column, bool normalEnd) {
  log.write(normalEnd ? kLogNormalEnd : kLogErrorEnd);
  log.close();
  SortLog(logPath, headerLines, 2, column);
}

void MergeWarnings(const std::string& logPath, const std::string& warningFile) {
  if (std::ifstream in(warningFile, std::ios::binary); in) {
    std::ofstream out(logPath, std::ios::binary | std::ios::app);
    out << in.rdbuf();
  }
  std::error_code ec;
  fs::remove(warningFile, ec);
}

void MergeWarnings(const std::string& logPath, const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::ofstream out(logPath, std::ios::binary | std::ios::app);
  for (const std::string& l : lines) out << l;
}

gds::DateTime ClockDate(const LocalTime& t) {
  return {static_cast<std::int16_t>(t.year % 100), static_cast<std::int16_t>(t.month),
          static_cast<std::int16_t>(t.day),        static_cast<std::int16_t>(t.hour),
          static_cast<std::int16_t>(t.minute),     static_cast<std::int16_t>(t.second)};
}

ImportDisplay::ImportDisplay(ExchangeState& app)
    : app_(app),
      saved_{app.settings.showScell, app.settings.showAcell, app.settings.nest,
             app.settings.showBase} {
  auto& st = app.settings;
  st.showScell = st.showAcell = st.nest = st.showBase = 0;
  display::ZoomToCorners(app.display.view, st.dbPerUserUnit, -1000, -1000, 5000, 5000);
  app.host.setTitle(sjis::fromUtf8(msg::kRunning));
  ShowRunPrompt(app, msg::kRunning);
  app.continueFlag = true;
}

void ImportDisplay::restore() {
  if (restored_) return;
  restored_ = true;
  auto& st = app_.settings;
  st.showScell = saved_[0], st.showAcell = saved_[1], st.nest = saved_[2], st.showBase = saved_[3];
}

void DiscardNewDesign(ExchangeState& app) {
  db::DiscardDesign(app);
  db::ClearCurrent(app.design);
  app.temp.clear();
  app.host.setTitle(db::msg::kTitleIdle);
}

void EndConverterCommand(ExchangeState& app, bool stopped) {
  if (stopped) command::PrintLine(app, msg::kAbortion, command::kPrintMessage);
  command::EndCommand(app);
  if (stopped) ++app.dispatch.errorsReported;
}

}  // namespace lav::interchange
