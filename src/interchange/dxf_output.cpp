#include "interchange/dxf_output.h"

#include <cstdio>

#include "console/command_steps.h"
#include "db/design_files.h"
#include "db/refusal.h"
#include "db/safe_write.h"
#include "interchange/conversion_log.h"
#include "interchange/converter_frame.h"
#include "interchange/dxf_messages.h"
#include "interchange/exchange_state.h"
#include "interchange/messages.h"

namespace lav::interchange {
DxfOutResult WriteDxfFile(ExchangeState& app, std::string_view arguments,
                          const DxfOutOptions& options) {
  auto& d = app.design;
  const auto chosen = ChooseOutputFile(app, arguments, ".dxf");
  if (!chosen) return DxfOutResult::Refused;
  const std::string& path = chosen->path;
  const std::string logPath = ReplaceExtension(path, ".txt");
  LogFile log;
  // The file takes its name only when complete: a run killed or failed half way leaves nothing.
  db::WorkFile out;
  if (!log.create(logPath) || !out.create(path) || !out.stream()) {
    // The classic converter stopped silently here; a run that wrote nothing must say so.
    command::ShowRefusal(app, {msg::kDxfCreateFailed, path});
    return DxfOutResult::Refused;
  }

  log.print(" LAVINOR DXFOUT Ver %4.2f  DXF output of Lavinor\n\n", 4.5);
  log.print(" Library Name: %s\n", d.path.c_str());
  log.write("    TO\n");
  log.print(" DXF file : %s\n\n", path.c_str());
  log.write(kLogDashes);
  log.write(kLogHeading);
  ShowRunPrompt(app, msg::kRunning);

  const db::CurrentCell saved = d.current;
  app.continueFlag = true;
  DxfWriteOptions wo;
  wo.dbPerUserUnit = d.isOpen() ? app.settings.dbPerUserUnit : 1000;
  wo.host = &app.host;
  wo.continueFlag = &app.continueFlag;
  wo.onCell = [&](const db::CellEntry& e) {
    log.write(CellLogLine(e.nameText(), e.created, e.modified));
  };
  DxfPairWriter writer(options.sink ? options.sink : FileSink(out.stream()));
  const DxfWriteResult r = WriteDxf(d.image, writer, wo);
  const bool stopped = r.end == DxfWriteEnd::Stopped;
  const bool complete = r.end == DxfWriteEnd::Normal;
  const bool closed = complete ? out.commit(false) : (out.discard(), false);
  const bool ok = complete && closed;
  ShowEndPrompt(app, ok);
  EndLog(log, logPath, 8, chosen->column, ok);
  d.current = saved;
  app.host.invalidate(Window::Command);
  app.host.invalidate(Window::Graphics);
  if (ok) return DxfOutResult::Normal;
  if (stopped) return DxfOutResult::Stopped;
  if (r.end == DxfWriteEnd::Broken)
    command::ShowRefusal(app, {msg::kCellBroken, r.brokenCell});
  else
    command::ShowRefusal(app, {msg::kDxfWriteFailed, path});
  return DxfOutResult::Failed;
}

}  // namespace lav::interchange
