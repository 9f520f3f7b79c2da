#include "interchange/gds_output.h"

#include <filesystem>
#include <vector>

#include "command/command_window.h"
#include "command/dispatcher.h"
#include "command/tokens.h"
#include "db/design_files.h"
#include "db/element_stream.h"
#include "db/refusal_box.h"
#include "interchange/conversion_log.h"
#include "interchange/gds_writer.h"
#include "interchange/messages.h"
#include "platform/byte_io.h"
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

std::string nameOf(const std::uint8_t* p) {
  std::size_t n = 0;
  while (n < db::kNameBytes && p[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

// Writes the elements of one cell; false when its element stream is broken.
struct CellWriter {
  AppState& app;
  gds::StreamWriter& w;
  double dbu;  // database units per user unit
  std::vector<gds::UserPoint> points;

  double user(std::int32_t v) const { return v / dbu; }

  void placementAttributes(const std::uint8_t* p) {
    w.reflected = le::getI16(p + 2) != 0;
    w.magnification = le::getU32(p + 4) / 1e6;
    w.angle = le::getU32(p + 8) / 1e6;
  }

  void vertices(const std::uint8_t* p, std::size_t count) {
    points.clear();
    for (std::size_t i = 0; i < count; ++i, p += 8)
      points.push_back({user(le::getI32(p)), user(le::getI32(p + 4))});
  }

  void element(const db::RecordView& r) {
    const std::uint8_t* p = r.bytes.data();
    const std::size_t size = r.bytes.size();
    switch (r.kind()) {
      case db::ElementType::ACell: {
        placementAttributes(p);
        const double mag = w.magnification != 0 ? w.magnification : 1.0;
        w.arrayReference(nameOf(p + 28), {user(le::getI32(p + 60)), user(le::getI32(p + 64))},
                         le::getI32(p + 12), le::getI32(p + 16), user(le::getI32(p + 20)) / mag,
                         user(le::getI32(p + 24)) / mag);
        break;
      }
      case db::ElementType::SCell:
        placementAttributes(p);
        w.structureReference(nameOf(p + 12), {user(le::getI32(p + 44)), user(le::getI32(p + 48))});
        break;
      case db::ElementType::Text: {
        w.layer = le::getI16(p + 2);
        w.width = user(le::getI32(p + 6));
        w.reflected = le::getI16(p + 10) != 0;
        w.magnification = le::getU32(p + 12) / 1e6;
        w.angle = le::getU32(p + 16) / 1e6;
        const std::size_t n = static_cast<std::uint16_t>(le::getI16(p + 20));
        const std::string_view text(reinterpret_cast<const char*>(p + 22),
                                    std::min<std::size_t>(n, 512));
        w.text({user(le::getI32(p + 22 + n)), user(le::getI32(p + 26 + n))}, text, 2);
        break;
      }
      case db::ElementType::Rect:
      case db::ElementType::Polygon: {
        w.layer = le::getI16(p + 2);
        const std::size_t m =
            std::min<std::size_t>(static_cast<std::uint16_t>(le::getI16(p + 4)), (size - 6) / 8);
        vertices(p + 6, m);
        w.boundary(points);
        break;
      }
      case db::ElementType::Line: {
        w.layer = le::getI16(p + 2);
        const std::int16_t tip = le::getI16(p + 4);
        w.pathType = tip == 1 ? 2 : (tip == 2 ? 2 : 0);
        w.angle = 0;
        const std::size_t m =
            std::min<std::size_t>(static_cast<std::uint16_t>(le::getI16(p + 10)), (size - 12) / 8);
        vertices(p + 12, m);
        w.path(points, user(le::getI32(p + 6)));
        break;
      }
    }
  }
};

}  // namespace

std::string StreamOutputPath(std::string_view fileArgument, std::string_view designPath) {
  return ReplaceExtension(fileArgument.empty() ? designPath : fileArgument, ".str");
}

StreamOutResult WriteStreamFile(AppState& app, std::string_view arguments,
                                const StreamOutOptions& options) {
  auto& d = app.design;
  const auto words = command::SplitWords(arguments);
  const std::string path = StreamOutputPath(words.empty() ? std::string_view() : words[0], d.path);
  int column = 0;
  if (words.size() >= 2)
    if (auto v = command::ScanInt(words[1])) column = static_cast<int>(*v);

  if (paths::findCaseInsensitive(path) || fs::exists(path)) {
    db::ShowRefusal(app, msg::kSameFileExists, path);
    return StreamOutResult::Refused;
  }
  const long cadUnit = app.settings.dbPerUserUnit;
  const long gdsUnit = app.settings.gdsDbUnit;
  if (cadUnit != gdsUnit) {
    char text[300];
    std::snprintf(text, sizeof text, sjis::fromUtf8(msg::kUnitsDiffer).c_str(), cadUnit, gdsUnit);
    if (app.host.messageBox(text, sjis::fromUtf8(msg::kCaptionNotice), Icon::Information,
                            Buttons::YesNo) != Answer::Yes)
      return StreamOutResult::Refused;
  }
  const std::string logPath = ReplaceExtension(path, ".txt");
  LogFile log;
  if (!log.create(logPath)) {
    ++app.dispatch.errorsReported;
    return StreamOutResult::Refused;
  }
  const LocalTime t = app.host.now();
  const gds::DateTime now = {
      static_cast<std::int16_t>(t.year % 100), static_cast<std::int16_t>(t.month),
      static_cast<std::int16_t>(t.day),        static_cast<std::int16_t>(t.hour),
      static_cast<std::int16_t>(t.minute),     static_cast<std::int16_t>(t.second)};
  gds::StreamWriter w;
  if (w.openLibrary(path, 1.0 / static_cast<double>(gdsUnit), now, options.sink) != 0) {
    db::ShowRefusal(app, msg::kCreateFailed, {}, path);
    return StreamOutResult::Refused;
  }

  log.print(" LAVINOR STROUT Ver %4.2f  GDSII stream output of Lavinor\n\n", 4.5);
  log.print(" Library Name: %s %ld Data Base Unit  %02d/%02d/%02d %02d:%02d:%02d\n", d.path.c_str(),
            gdsUnit, now[0], now[1], now[2], now[3], now[4], now[5]);
  log.write("    TO\n");
  log.print(" Stream file : %s\n\n", path.c_str());
  log.write(kLogDashes);
  log.write(kLogHeading);
  promptLine(app, msg::kRunning);

  const db::CurrentCell saved = d.current;
  CellWriter cells{app, w, static_cast<double>(cadUnit), {}};
  app.continueFlag = true;
  std::string failedCell;
  bool broken = false;
  for (int k = 1; k <= db::kSlotCount; ++k) {
    const db::CellEntry e = db::ReadCellEntry(d.image, db::SlotOffset(k));
    if (e.isFree()) break;
    if (e.isDeleted()) continue;
    const std::string name = e.nameText();
    log.write(CellLogLine(name, dateOf(e.created), dateOf(e.modified)));
    w.beginStructure(name, dateOf(e.created), dateOf(e.modified));
    if (e.dataSize > 0) {
      const db::ReadEnd end = db::ReadElements(
          d.image, e,
          [&](const db::RecordView& r) {
            if (!r.deleted()) cells.element(r);
            return !w.writeFailed();
          },
          &app.host, &app.continueFlag);
      if (end == db::ReadEnd::Broken) broken = true;
    }
    w.endStructure();
    if (w.rangeError || w.writeFailed() || broken) {
      failedCell = name;
      break;
    }
    app.host.messageStep(app.continueFlag);
    if (!app.continueFlag) break;
  }
  const bool stopped = !app.continueFlag;
  const bool complete = failedCell.empty() && !stopped;
  const bool closed = w.closeLibrary(complete);
  const bool ok = closed && complete;
  promptLine(app, ok ? msg::kNormalEnd : msg::kErrorEnd);
  log.write(ok ? kLogNormalEnd : kLogErrorEnd);
  log.close();
  SortLog(logPath, 8, 2, column);
  d.current = saved;
  if (!ok) {
    // A stream that is not the whole design never took the file's name.
    if (stopped) return StreamOutResult::Stopped;
    if (!closed || w.writeFailed())
      db::ShowRefusal(app, msg::kWriteFailed, path);
    else if (broken)
      db::ShowRefusal(app, msg::kCellBroken, failedCell);
    else
      db::ShowRefusal(app, msg::kOutRange, failedCell);
    return StreamOutResult::ErrorEnd;
  }
  app.host.invalidate(Window::Command);
  return StreamOutResult::Normal;
}

}  // namespace lav::interchange
