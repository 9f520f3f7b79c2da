// The command-table side of joining and merging: picking the second figure, writing the result,
// and putting everything back when the work cannot be done.
#include "command/merge_join_commands.h"

#include <optional>
#include <string>
#include <vector>

#include "command/dispatcher.h"
#include "command/entry_commands.h"
#include "command/line_expansion.h"
#include "console/command_steps.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "console/value_parser.h"
#include "db/design_image.h"
#include "db/entry_messages.h"
#include "db/line_outline.h"
#include "db/messages.h"
#include "db/refusal.h"
#include "db/rounding.h"
#include "geometry/figure_join.h"
#include "geometry/figure_merge.h"
#include "geometry/messages.h"
#include "geometry/selection.h"
#include "macro/preprocess.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {
namespace {

constexpr int kPointPickMode = 10;

void redraw(AppState& app) {
  app.display.needsRedraw = true;
  app.host.invalidate(Window::Graphics);
}

void refuse(AppState& app, const char* utf8) {
  app.continueFlag = false;
  command::ShowRefusal(app, {utf8});
}

// A picked record's figure: its type, its vertices and, for a line, its width and tip.
struct PickedFigure {
  std::int16_t type = -1;
  std::vector<db::Vertex> vertices;
  std::int32_t width = 0;
  std::int16_t tip = 0;
};

std::optional<PickedFigure> decode(std::span<const std::uint8_t> r) {
  PickedFigure f;
  db::AreaRecord area;
  db::LineRecord line;
  if (db::DecodeArea(r, area)) {
    f.type = static_cast<std::int16_t>(area.type);
    f.vertices = std::move(area.vertices);
  } else if (db::DecodeLine(r, line)) {
    f.type = db::TypeCode(db::ElementType::Line);
    f.tip = line.tip;
    f.width = line.width;
    f.vertices = std::move(line.vertices);
  } else {
    return std::nullopt;
  }
  if (f.vertices.empty()) return std::nullopt;
  return f;
}

std::vector<db::Vertex> layerInDb(const AppState& app) {
  std::vector<db::Vertex> v;
  const double unit = app.settings.dbPerUserUnit;
  for (const db::UserPoint& p : app.temp.used())
    v.push_back({RoundToInt(unit * p.x), RoundToInt(unit * p.y)});
  return v;
}

void toLayer(db::TempLayer& temp, const std::vector<db::Vertex>& v, double unit) {
  std::vector<db::UserPoint> pts;
  for (const db::Vertex& p : v) pts.push_back({p.x / unit, p.y / unit});
  temp.assign(pts);
}

// The closed outline a figure covers: a wide line becomes its outline, a rectangle's or
// polygon's vertex list is closed. Empty when the figure encloses nothing.
std::vector<db::Vertex> outlineOf(std::vector<db::Vertex> v, int type, std::int32_t width, int tip,
                                  int acuteTip) {
  if (type == db::ElementType::Line) {
    db::NormalizePoints(v, db::ElementType::Line);
    if (width <= 0 || v.size() < 2) return {};
    return db::BuildPathOutline(v, width, tip, acuteTip);
  }
  if (type == db::ElementType::Rect && v.size() == 2)
    v = {{v[0].x, v[0].y}, {v[1].x, v[0].y}, {v[1].x, v[1].y}, {v[0].x, v[1].y}, {v[0].x, v[0].y}};
  if (type != db::ElementType::Rect && type != db::ElementType::Polygon) return {};
  db::NormalizePoints(v, db::ElementType::Polygon);
  return v;
}

// Runs the pick at the answer's point in the current cell; the best figure, if any.
std::optional<PickedFigure> pickSecond(AppState& app, std::string_view answer) {
  auto pt = PointAnswer(app, answer);
  if (!pt || !app.design.hasCell()) return std::nullopt;
  geometry::PreparePick(app.pick, pt->x, pt->y, app.settings.dbPerUserUnit, app.display.view.scale);
  app.continueFlag = true;
  geometry::PickFilter filter;
  filter.elementTypeMask = app.display.elementTypeMask;
  filter.onlyLayer = app.display.onlyLayer;
  geometry::PickInCell(app.pick, app.design.image, app.design.current.entry, app.settings, filter,
                       &app.host, &app.continueFlag);
  redraw(app);
  if (app.pick.stopped) {
    PrintLine(app, db::msg::kAbortion, kPrintMessage);
    return std::nullopt;
  }
  if (!app.pick.found()) {
    ShowRefusalBox(app.host, sjis::fromUtf8(db::msg::kSelectFailedCheckLayers),
                   db::msg::kCaptionPick, Icon::Information);
    return std::nullopt;
  }
  return decode(app.pick.record);
}

void join(AppState& app, const PickedFigure& g) {
  const int type = app.settings.elementType;
  if (type != db::ElementType::Polygon && type != db::ElementType::Line) return;
  const double unit = app.settings.dbPerUserUnit;
  std::vector<db::Vertex> f = layerInDb(app);
  db::NormalizePoints(f, db::ElementType::Line);
  std::vector<db::Vertex> joined;
  switch (geometry::JoinFigures(f, g.vertices, type == db::ElementType::Line, joined)) {
    case geometry::JoinStatus::TooManyPoints:
      ++app.dispatch.errorsReported;
      PrintLine(app, geometry::kJoinTooManyPoints, kPrintMessage);
      return;
    case geometry::JoinStatus::Empty:
      return;
    case geometry::JoinStatus::Joined:
      break;
  }
  // F is kept for the undo; G leaves its cell as a pick would take it.
  auto& before = app.geometry.beforeJoin;
  before = {};
  before.active = app.temp.count < db::kTempCapacity;
  before.points.assign(app.temp.used().begin(), app.temp.used().end());
  before.elementType = type;
  before.width = app.settings.width;
  before.acuteTip = app.settings.acuteTip;
  before.pickOfFigure = app.temp.pick;
  const std::int32_t at = app.pick.element.typeOffset;
  before.joinedTypeOffset = at;
  const std::uint8_t low = db::MarkDeleted(app.design.image, at);
  app.temp.pick = {true, at, low, g.type};
  const auto kind = static_cast<db::ElementType>(type);
  db::NormalizePoints(joined, kind);
  db::NormalizePoints(joined, kind);
  toLayer(app.temp, joined, unit);
  redraw(app);
}

void merge(AppState& app, const PickedFigure& g) {
  const Settings& s = app.settings;
  const std::vector<db::Vertex> gOutline =
      outlineOf(g.vertices, g.type, g.width, g.tip, s.acuteTip);
  const std::vector<db::Vertex> fOutline =
      outlineOf(layerInDb(app), s.elementType, s.width, s.lineTipType, s.acuteTip);
  if (gOutline.size() >= 200 || fOutline.size() >= 200)
    return refuse(app, geometry::msg::kTooManyVertices);
  if (gOutline.empty() || fOutline.empty()) return refuse(app, geometry::msg::kMergeImpossible);
  const auto op = geometry::MergeOpFromChar(app.geometry.mergeOperation);
  const geometry::FigureMergeResult r =
      geometry::MergeFigures(gOutline, fOutline, op.value_or(geometry::MergeOp::Union));
  switch (r.status) {
    case geometry::FigureMergeStatus::TooManyVertices:
      return refuse(app, geometry::msg::kTooManyVertices);
    case geometry::FigureMergeStatus::TooLarge:
      return refuse(app, geometry::msg::kDataTooLarge);
    case geometry::FigureMergeStatus::Impossible:
      return refuse(app, geometry::msg::kMergeImpossible);
    case geometry::FigureMergeStatus::Unchanged:
      return;
    case geometry::FigureMergeStatus::Done:
      break;
  }
  // Everything is traced: write the results, and only then take G out of its cell. Each record
  // needs at most one new block, so this check means no result can be left half written.
  const std::size_t worstCase = r.polygons.size() * std::size_t(db::kBlockSize);
  if (!db::Reserve(app.design.image,
                   std::int64_t(app.design.image.usedSize) + std::int64_t(worstCase)))
    return refuse(app, db::OutputMessage(db::OutputStatus::OutOfImage));
  db::ElementSettings es = db::ElementSettingsOf(s);
  es.elementType = db::TypeCode(db::ElementType::Polygon);
  const double unit = s.dbPerUserUnit;
  db::OutputOptions options;
  options.host = &app.host;
  options.continueFlag = &app.continueFlag;
  for (const auto& polygon : r.polygons) {
    db::TempLayer scratch;
    toLayer(scratch, polygon, unit);
    const db::OutputResult out =
        db::OutputTempLayer(app.design, scratch, es, app.host.now(), options);
    // After the first record the stream's end is known, so only the first write can stop.
    options.host = nullptr;
    options.continueFlag = nullptr;
    if (!out.written() && out.status != db::OutputStatus::Nothing) {
      if (const char* m = db::OutputMessage(out.status)) refuse(app, m);
      redraw(app);
      return;
    }
  }
  db::MarkDeleted(app.design.image, app.pick.element.typeOffset);
  app.temp.clear();
  app.temp.pick = {};  // F was consumed; a cell's original of it stays deleted
  app.geometry.beforeJoin = {};
  redraw(app);
}

void askSecondFigure(AppState& app, std::int32_t command) {
  app.dispatch.current = command;
  app.dispatch.pickMode = kPointPickMode;
  SetPrompt(app, db::msg::kPromptPoint);
  PrintLine(app, {}, kPrintEndLine);
}

}  // namespace

void StartJoin(AppState& app, std::string_view) {
  if (app.temp.empty()) return EndCommand(app);
  app.geometry.pickForMerge = false;
  askSecondFigure(app, 104);
}

void StartMerge(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  char c = '+';
  if (words.size() >= 2) c = words[1][0];
  auto op = geometry::MergeOpFromChar(c);
  if (!op || app.temp.empty()) return EndCommand(app);
  app.geometry.mergeOperation = static_cast<char>(*op);
  app.geometry.pickForMerge = true;
  askSecondFigure(app, 105);
}

void ContinueJoinOrMerge(AppState& app, std::string_view answer) {
  if (!app.temp.empty()) {
    if (auto g = pickSecond(app, answer)) {
      // The result goes to the layer: a figure longer than it holds is never taken in part.
      if (g->vertices.size() > static_cast<std::size_t>(app.temp.capacity))
        refuse(app, db::msg::kFigureTooLongForLayer);
      else if (app.geometry.pickForMerge)
        merge(app, *g);
      else
        join(app, *g);
    }
  }
  EndCommand(app);
}

void StartUndoPickOrJoin(AppState& app, std::string_view) {
  auto before = std::move(app.geometry.beforeJoin);
  app.geometry.beforeJoin = {};
  // Only the join's own pick brings the earlier figure back.
  const bool joinPending =
      before.active && app.temp.pick.active && app.temp.pick.typeOffset == before.joinedTypeOffset;
  PutBackBeforeCellChange(app);
  if (joinPending && app.design.isOpen() && app.temp.empty()) {
    app.temp.assign(before.points);
    app.temp.pick = before.pickOfFigure;
    app.settings.elementType = before.elementType;
    app.settings.width = before.width;
    redraw(app);
  }
  EndCommand(app);
}

}  // namespace lav::command
