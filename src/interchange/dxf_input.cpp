#include "interchange/dxf_input.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/command_steps.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "db/cell_directory.h"
#include "db/design_files.h"
#include "db/messages.h"
#include "db/refusal.h"
#include "interchange/conversion_log.h"
#include "interchange/converter_frame.h"
#include "interchange/dxf_messages.h"
#include "interchange/dxf_reader.h"
#include "interchange/exchange_state.h"
#include "interchange/messages.h"
#include "platform/paths.h"
#include "platform/sjis.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMacPrefix = 128;

bool slurp(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream s;
  s << in.rdbuf();
  if (in.bad()) return false;
  out = std::move(s).str();
  return true;
}

// The log again with the layer table after its first five lines.
void insertLayerTable(const std::string& logPath, const std::vector<MappedLayer>& layers) {
  std::string log;
  if (!slurp(logPath, log)) return;
  std::size_t at = 0;
  for (int i = 0; i < 5 && at != std::string::npos; ++i) {
    at = log.find('\n', at);
    if (at != std::string::npos) ++at;
  }
  if (at == std::string::npos) at = log.size();
  std::string table = "\n" + sjis::fromUtf8(" LAYER ----- DXF(画層)") + "\n";
  char line[64];
  for (const MappedLayer& m : layers) {
    std::snprintf(line, sizeof line, "   %2d  -----  ", m.layer);
    table += line + m.name + "\n";
  }
  log.insert(at, table);
  const std::string tmp = logPath + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << log;
    if (!out.flush()) {
      std::error_code ec;
      fs::remove(tmp, ec);
      return;
    }
  }
  std::error_code ec;
  fs::rename(tmp, logPath, ec);
}

}  // namespace

DxfInResult ReadDxfFile(ExchangeState& app, std::string_view arguments) {
  const auto chosen = ChooseInputFile(
      app, arguments, {msg::kOpenDxfTitle, msg::kDxfFilter, ".DXF", msg::kDxfNotFound});
  if (!chosen) return DxfInResult::Refused;
  const int column = chosen->column;
  const std::string path = paths::absolute(chosen->path);
  std::string text;
  if (!slurp(path, text)) {
    command::ShowError(app, db::FormatMessage(db::msg::kCannotOpen, path), msg::kCaptionError);
    return DxfInResult::Refused;
  }
  if (IsBinaryDxf(text)) {
    command::ShowError(app, db::FormatMessage(msg::kDxfBinary, path), msg::kCaptionError);
    return DxfInResult::Refused;
  }
  if (text.size() < 4) {
    char m[200];
    std::snprintf(m, sizeof m, sjis::fromUtf8(msg::kStreamError).c_str(), 0L,
                  static_cast<long>(text.size()));
    command::ShowError(app, m, msg::kCaptionError);
    return DxfInResult::Refused;
  }
  db::Refusal refusal;
  if (!db::NewDesign(app, path, refusal)) {
    command::ShowRefusal(app, refusal);
    return DxfInResult::Refused;
  }

  const std::string logPath = LogPathFor(path);
  LogFile log;
  if (!log.create(logPath)) {
    command::ShowError(app, db::FormatMessage(msg::kFileNotCreatable, logPath), msg::kCaptionError);
    DiscardNewDesign(app);
    return DxfInResult::Refused;
  }
  ImportDisplay display(app);

  // A file that does not start like DXF text carries a 128-byte Macintosh prefix.
  const bool mac = text[0] != ' ' && text[0] != '0';
  std::string_view body(text);
  if (mac) body.remove_prefix(std::min(kMacPrefix, body.size()));

  log.print(" LAVINOR DXFIN Ver %4.2f  DXF input of Lavinor\n\n", 4.5);
  log.print(" DXF file : %s%s", path.c_str(), mac ? "\t (Mac File)\n" : "\n");
  log.write("    TO\n");
  log.print(" Library Name: %s\n", app.design.path.c_str());
  log.write("\n");
  bool headed = false;
  const gds::DateTime today = ClockDate(app.host.now());

  std::FILE* layerList = nullptr;
  DxfReadHooks hooks;
  hooks.onCell = [&](const std::string& cell) {
    if (!headed) {
      log.write(kLogDashes);
      log.write(kLogHeading);
      headed = true;
    }
    log.write(CellLogLine(cell, today, today));
  };
  hooks.onLayer = [&](const MappedLayer& m) {
    if (!layerList && !(layerList = std::fopen(kLayerListFile, "w"))) return false;
    const std::string lines = LayerListLines(m);
    return std::fwrite(lines.data(), 1, lines.size(), layerList) == lines.size();
  };
  DxfReader reader(app, body, hooks);
  const DxfStop stop = reader.run();
  if (layerList) std::fclose(layerList);
  display.restore();

  if (stop == DxfStop::LayerList) {
    command::PrintMessageLine(app, msg::kLayerListError);
    ++app.dispatch.errorsReported;
    log.close();
    std::error_code ec;
    fs::remove(kLayerListFile, ec);
    DiscardNewDesign(app);
    return DxfInResult::Refused;
  }
  if (!headed) {
    log.write(kLogDashes);
    log.write(kLogHeading);
  }
  const bool ok = stop == DxfStop::None;
  EndLog(log, logPath, 8, column, ok);
  if (reader.layers().tableRead()) insertLayerTable(logPath, reader.layers().entries());
  std::vector<std::string> notes = reader.warnings();
  if (stop == DxfStop::Syntax) {
    char m[300];
    std::snprintf(m, sizeof m, sjis::fromUtf8(msg::kDxfBroken).c_str(),
                  reader.errorLine() + (mac ? 0L : 0L));
    notes.push_back(std::string(" ***ERROR*** ") + m + "\n");
    command::ShowError(app, m, msg::kCaptionError);
  } else if (stop == DxfStop::ImageFull) {
    command::ShowError(app, sjis::fromUtf8(msg::kDxfImageFull), msg::kCaptionError);
  }
  MergeWarnings(logPath, notes);
  std::error_code ec;
  fs::remove(kLayerListFile, ec);

  if (app.design.isOpen())
    app.host.setTitle(db::FormatMessage(db::msg::kTitleOpen, app.design.path));
  ShowEndPrompt(app, ok);
  app.host.invalidate(Window::Command);
  app.host.invalidate(Window::Status);
  app.host.invalidate(Window::Graphics);
  if (ok) return DxfInResult::Read;
  return stop == DxfStop::Escape ? DxfInResult::Stopped : DxfInResult::ErrorEnd;
}

}  // namespace lav::interchange
