#include "interchange/dxf_output.h"

#include <cstdio>
#include <filesystem>

#include "command/command_window.h"
#include "command/dispatcher.h"
#include "command/tokens.h"
#include "db/design_files.h"
#include "db/refusal_box.h"
#include "db/safe_write.h"
#include "interchange/conversion_log.h"
#include "interchange/dxf_messages.h"
#include "interchange/messages.h"
#include "platform/paths.h"
#include "platform/sjis.h"
#include "shell/app_state.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;

void promptLine(AppState& app, const char* utf8) {
  command::SetPrompt(app, sjis::fromUtf8(utf8));
  command::RepaintInputLine(app);
}

gds::DateTime dateOf(const db::Stamp& s) {
  return {s[0], s[1], s[2], s[3], s[4], s[5]};
}

}  // namespace

std::string DxfOutputPath(std::string_view fileArgument, std::string_view designPath) {
  return ReplaceExtension(fileArgument.empty() ? designPath : fileArgument, ".dxf");
}

DxfOutResult WriteDxfFile(AppState& app, std::string_view arguments, const DxfOutOptions& options) {
  auto& d = app.design;
  const auto words = command::SplitWords(arguments);
  const std::string path = DxfOutputPath(words.empty() ? std::string_view() : words[0], d.path);
  int column = 0;
  if (words.size() >= 2)
    if (auto v = command::ScanInt(words[1])) column = static_cast<int>(*v);

  if (paths::findCaseInsensitive(path) || fs::exists(path)) {
    db::ShowRefusal(app, msg::kSameFileExists, path);
    return DxfOutResult::Refused;
  }
  const std::string logPath = ReplaceExtension(path, ".txt");
  LogFile log;
  // The file takes its name only when complete: a run killed or failed half way leaves nothing.
  db::WorkFile out;
  if (!log.create(logPath) || !out.create(path) || !out.stream()) {
    // The classic converter stopped silently here; a run that wrote nothing must say so.
    db::ShowRefusal(app, msg::kDxfCreateFailed, path);
    return DxfOutResult::Refused;
  }

  log.print(" LAVINOR DXFOUT Ver %4.2f  DXF output of Lavinor\n\n", 4.5);
  log.print(" Library Name: %s\n", d.path.c_str());
  log.write("    TO\n");
  log.print(" DXF file : %s\n\n", path.c_str());
  log.write(kLogDashes);
  log.write(kLogHeading);
  promptLine(app, msg::kRunning);

  const db::CurrentCell saved = d.current;
  app.continueFlag = true;
  DxfWriteOptions wo;
  wo.dbPerUserUnit = d.isOpen() ? app.settings.dbPerUserUnit : 1000;
  wo.host = &app.host;
  wo.continueFlag = &app.continueFlag;
  wo.onCell = [&](const db::CellEntry& e) {
    log.write(CellLogLine(e.nameText(), dateOf(e.created), dateOf(e.modified)));
  };
  DxfPairWriter writer(options.sink ? options.sink : FileSink(out.stream()));
  const DxfWriteResult r = WriteDxf(d.image, writer, wo);
  const bool stopped = r.end == DxfWriteEnd::Stopped;
  const bool complete = r.end == DxfWriteEnd::Normal;
  const bool closed = complete ? out.commit(false) : (out.discard(), false);
  const bool ok = complete && closed;
  promptLine(app, ok ? msg::kNormalEnd : msg::kErrorEnd);
  log.write(ok ? kLogNormalEnd : kLogErrorEnd);
  log.close();
  SortLog(logPath, 8, 2, column);
  d.current = saved;
  app.host.invalidate(Window::Command);
  app.host.invalidate(Window::Graphics);
  if (ok) return DxfOutResult::Normal;
  if (stopped) return DxfOutResult::Stopped;
  if (r.end == DxfWriteEnd::Broken)
    db::ShowRefusal(app, msg::kCellBroken, r.brokenCell);
  else
    db::ShowRefusal(app, msg::kDxfWriteFailed, path);
  return DxfOutResult::Failed;
}

}  // namespace lav::interchange
