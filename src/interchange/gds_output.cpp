#include "interchange/gds_output.h"

#include <vector>

#include "console/command_steps.h"
#include "db/design_files.h"
#include "db/directory_walk.h"
#include "db/element_stream.h"
#include "db/refusal.h"
#include "geometry/figure_split.h"
#include "interchange/conversion_log.h"
#include "interchange/converter_frame.h"
#include "interchange/exchange_state.h"
#include "interchange/gds_records.h"
#include "interchange/gds_writer.h"
#include "interchange/messages.h"

namespace lav::interchange {
namespace {

// Writes the elements of one cell; false when its element stream is broken.
struct CellWriter {
  ExchangeState& app;
  gds::StreamWriter& w;
  double dbu;  // database units per user unit
  std::vector<gds::UserPoint> points;
  // Records decoded into the same buffers from element to element.
  db::Placement place{};
  db::TextRecord text{};
  db::AreaRecord area{};
  db::LineRecord line{};

  double user(std::int32_t v) const { return v / dbu; }

  void placementAttributes(const db::Placement& p) {
    w.reflected = p.reflection != 0;
    w.magnification = p.magnification / 1e6;
    w.angle = p.angle / 1e6;
  }

  void vertices(const std::vector<db::Vertex>& v) {
    points.clear();
    for (const db::Vertex& p : v) points.push_back({user(p.x), user(p.y)});
  }

  void element(const db::RecordView& r) {
    switch (r.kind()) {
      case db::ElementType::ACell: {
        if (!db::DecodePlacement(r.bytes, place)) break;
        placementAttributes(place);
        const double mag = w.magnification != 0 ? w.magnification : 1.0;
        w.arrayReference(place.cellName, {user(place.x), user(place.y)}, place.columns, place.rows,
                         user(place.pitchX) / mag, user(place.pitchY) / mag);
        break;
      }
      case db::ElementType::SCell:
        if (!db::DecodePlacement(r.bytes, place)) break;
        placementAttributes(place);
        w.structureReference(place.cellName, {user(place.x), user(place.y)});
        break;
      case db::ElementType::Text: {
        if (!db::DecodeText(r.bytes, text)) break;
        w.layer = text.layer;
        w.width = user(text.size);
        w.reflected = text.reflection != 0;
        w.magnification = text.magnification / 1e6;
        w.angle = text.angle / 1e6;
        w.text({user(text.x), user(text.y)}, std::string_view(text.text).substr(0, db::kTextBytes),
               2);
        break;
      }
      case db::ElementType::Rect:
      case db::ElementType::Polygon: {
        if (!db::DecodeArea(r.bytes, area)) break;
        w.layer = area.layer;
        for (const auto& piece : geometry::SplitPolygon(area.vertices, gds::kMaxXyPoints)) {
          vertices(piece);
          w.boundary(points);
        }
        break;
      }
      case db::ElementType::Line: {
        if (!db::DecodeLine(r.bytes, line)) break;
        w.layer = line.layer;
        w.pathType = line.tip == 1 ? 2 : (line.tip == 2 ? 2 : 0);
        w.angle = 0;
        for (const auto& piece :
             geometry::SplitPath(line.vertices, line.width, gds::kMaxXyPoints)) {
          vertices(piece);
          w.path(points, user(line.width));
        }
        break;
      }
    }
  }
};

}  // namespace

StreamOutResult WriteStreamFile(ExchangeState& app, std::string_view arguments,
                                const StreamOutOptions& options) {
  auto& d = app.design;
  const auto out = ChooseOutputFile(app, arguments, ".str");
  if (!out) return StreamOutResult::Refused;
  const std::string& path = out->path;
  const long cadUnit = app.settings.dbPerUserUnit;
  const long gdsUnit = app.settings.gdsDbUnit;
  if (!ConfirmUnits(app, cadUnit, gdsUnit)) return StreamOutResult::Refused;
  const std::string logPath = ReplaceExtension(path, ".txt");
  LogFile log;
  if (!log.create(logPath)) {
    // A run that wrote nothing must say so.
    command::ShowRefusal(app, {msg::kFileNotCreatable, logPath});
    return StreamOutResult::Refused;
  }
  const LocalTime t = app.host.now();
  const gds::DateTime now = ClockDate(t);
  gds::StreamWriter w;
  if (w.openLibrary(path, 1.0 / static_cast<double>(gdsUnit), now, options.sink) != 0) {
    command::ShowRefusal(app, {msg::kCreateFailed, {}, path});
    return StreamOutResult::Refused;
  }

  log.print(" LAVINOR STROUT Ver %4.2f  GDSII stream output of Lavinor\n\n", 4.5);
  log.print(" Library Name: %s %ld Data Base Unit  %02d/%02d/%02d %02d:%02d:%02d\n", d.path.c_str(),
            gdsUnit, now[0], now[1], now[2], now[3], now[4], now[5]);
  log.write("    TO\n");
  log.print(" Stream file : %s\n\n", path.c_str());
  log.write(kLogDashes);
  log.write(kLogHeading);
  ShowRunPrompt(app, msg::kRunning);

  const db::CurrentCell saved = d.current;
  CellWriter cells{app, w, static_cast<double>(cadUnit), {}};
  app.continueFlag = true;
  std::string failedCell;
  bool broken = false;
  for (const std::int32_t slot : db::DirectorySlots(d.image)) {
    const db::CellEntry e = db::ReadCellEntry(d.image, slot);
    if (e.isFree()) break;
    if (e.isDeleted()) continue;
    const std::string name = e.nameText();
    log.write(CellLogLine(name, e.created, e.modified));
    w.beginStructure(name, e.created, e.modified);
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
  ShowEndPrompt(app, ok);
  EndLog(log, logPath, 8, out->column, ok);
  d.current = saved;
  if (!ok) {
    // A stream that is not the whole design never took the file's name.
    if (stopped) return StreamOutResult::Stopped;
    if (!closed || w.writeFailed())
      command::ShowRefusal(app, {msg::kWriteFailed, path});
    else if (broken)
      command::ShowRefusal(app, {msg::kCellBroken, failedCell});
    else
      command::ShowRefusal(app, {msg::kOutRange, failedCell});
    return StreamOutResult::ErrorEnd;
  }
  app.host.invalidate(Window::Command);
  return StreamOutResult::Normal;
}

}  // namespace lav::interchange
