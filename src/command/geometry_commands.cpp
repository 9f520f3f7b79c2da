// The command-table side of arcs and figure transformations: prompts, answers, redraws.
#include "command/geometry_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "command/dispatcher.h"
#include "command/line_expansion.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "console/value_parser.h"
#include "db/entry_messages.h"
#include "db/messages.h"
#include "db/rounding.h"
#include "geometry/arc_polygon.h"
#include "geometry/figure_transform.h"
#include "macro/preprocess.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {
namespace {

void redraw(AppState& app) {
  app.display.needsRedraw = true;
  app.host.invalidate(Window::Graphics);
}

void printFailure(AppState& app, const char* text) {
  ++app.dispatch.errorsReported;
  PrintLine(app, text, kPrintMessage);
}

// The answer's values; an empty vector when it does not read as numbers.
std::vector<double> valuesOf(AppState& app, std::string_view answer) {
  std::vector<double> v;
  if (ParseAnswerValues(app, answer, v, 3) == kParseError) v.clear();
  return v;
}

// A typed point made absolute: in the relative coordinate modes the reference point is added.
db::UserPoint absolute(const AppState& app, double x, double y) {
  if (app.settings.absMode == 0) return {x, y};
  const double unit = app.settings.dbPerUserUnit;
  return {x + app.dispatch.originX / unit, y + app.dispatch.originY / unit};
}

geometry::Figure figureOf(const AppState& app) {
  geometry::Figure f;
  f.points.assign(app.temp.used().begin(), app.temp.used().end());
  const Settings& s = app.settings;
  f.type = s.elementType;
  f.angle = s.angle;
  f.reflection = s.reflection;
  f.magnification = s.magnification;
  f.pitchX = s.pitchX;
  f.pitchY = s.pitchY;
  f.width = s.width;
  return f;
}

void storeFigure(AppState& app, const geometry::Figure& f) {
  app.temp.assign(f.points);
  Settings& s = app.settings;
  s.angle = f.angle;
  s.reflection = f.reflection;
  s.magnification = f.magnification;
  s.pitchX = f.pitchX;
  s.pitchY = f.pitchY;
  s.width = f.width;
}

// --- 99 ---

constexpr const char* kTransformLabels[] = {"(V)Mirror1", "(V)Angle", "(V)Magnify", "(V)OverSize"};

void endTransform(AppState& app) {
  app.geometry.transformMode = 0;
  EndCommand(app);
}

void oversizeNow(AppState& app, double distance) {
  geometry::Figure f = figureOf(app);
  switch (
      geometry::OversizeFigure(f, distance, app.settings.dbPerUserUnit, app.settings.acuteTip)) {
    case geometry::OversizeStatus::Changed:
      storeFigure(app, f);
      redraw(app);
      break;
    case geometry::OversizeStatus::TooManyPoints:
      ShowRefusalBox(app.host, sjis::fromUtf8(db::msg::kOutlineTooLong), "Error",
                     Icon::Information);
      break;
    case geometry::OversizeStatus::Unchanged:
      break;
  }
}

// --- 103 ---

std::int32_t* arcSetting(AppState& app, int i) {
  auto& a = app.geometry.arc;
  std::int32_t* all[] = {&a.ellipse, &a.clockwise, &a.segments, &a.tangent};
  return all[i];
}

void storeArcSetting(AppState& app, int i, long v) {
  if (i == 2) {
    long n = v < 0 ? -v : v;
    if (n != 0 && n < 3) n = 3;
    if (n > 1000000) n = 1000000;
    *arcSetting(app, i) = static_cast<std::int32_t>(n);
  } else {
    *arcSetting(app, i) = v != 0 ? 1 : 0;
  }
}

void askArcSetting(AppState& app) {
  static constexpr const char* kPrompts[] = {
      "0=ARC, 1=Ellipse(%d): ", "0=CCW, 1=CW(%d): ", "0=AUTO, ｎ=NO.(%d): ", "0=IN, 1=CIR(%d): "};
  const int i = app.geometry.arcAnswer;
  char buf[64];
  std::snprintf(buf, sizeof buf, kPrompts[i], static_cast<int>(*arcSetting(app, i)));
  // Waiting as 103 itself: the dispatcher passes an empty answer on to the next value.
  app.dispatch.current = 103;
  SetPrompt(app, sjis::fromUtf8(buf));
  PrintLine(app, {}, kPrintEndLine);
}

}  // namespace

void StartTransform(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  int mode = 0;
  if (words.size() >= 2) {
    auto v = ScanInt(words[1]);
    mode = !v ? 3 : (*v >= 0 && *v <= 3 ? static_cast<int>(*v) : 0);
  }
  app.geometry.transformMode = mode;
  SetStepPrompt(app, kTransformLabels[mode], 99);
  PrintLine(app, {}, kPrintEndLine);
}

void ContinueTransform(AppState& app, std::string_view answer) {
  auto& g = app.geometry;
  const std::vector<double> v = valuesOf(app, answer);
  const double unit = app.settings.dbPerUserUnit;
  if (app.dispatch.current == 99) {
    if (g.transformMode == 0) {
      if (v.size() != 2) return endTransform(app);
      const db::UserPoint p = absolute(app, v[0], v[1]);
      g.mirrorFirst = {RoundToInt(unit * p.x), RoundToInt(unit * p.y)};
      SetStepPrompt(app, "(V)Mirror2", 599);
      return PrintLine(app, {}, kPrintEndLine);
    }
    if (v.size() != 1) return endTransform(app);
    if (g.transformMode == 3) {
      oversizeNow(app, v[0]);
      return endTransform(app);
    }
    g.transformValue = v[0];
    SetStepPrompt(app, "(V)Position", 599);
    return PrintLine(app, {}, kPrintEndLine);
  }
  if (v.size() != 2) return endTransform(app);
  const db::UserPoint p = absolute(app, v[0], v[1]);
  geometry::Figure f = figureOf(app);
  bool changed = false;
  const std::int32_t u = app.settings.dbPerUserUnit;
  switch (g.transformMode) {
    case 0:
      changed = geometry::MirrorFigure(f, {g.mirrorFirst.x / unit, g.mirrorFirst.y / unit}, p, u);
      break;
    case 1:
      changed = geometry::RotateFigure(f, g.transformValue, p, u);
      break;
    case 2:
      changed = geometry::MagnifyFigure(f, g.transformValue, p, u);
      break;
    default:
      break;
  }
  if (changed) {
    storeFigure(app, f);
    redraw(app);
  }
  endTransform(app);
}

void StartArc(AppState& app, std::string_view) {
  SetStepPrompt(app, "Start", 102);
  PrintLine(app, {}, kPrintEndLine);
}

void ContinueArc(AppState& app, std::string_view answer) {
  const std::vector<double> v = valuesOf(app, answer);
  if (v.size() != 2) return EndCommand(app);
  auto& g = app.geometry;
  const db::UserPoint p = absolute(app, v[0], v[1]);
  if (app.dispatch.current == 102) {
    g.arcStart = p;
    g.arcHaveCentre = false;
    SetStepPrompt(app, "Cent", 102 + kStepOffset);
    return PrintLine(app, {}, kPrintEndLine);
  }
  if (!g.arcHaveCentre) {
    g.arcCentre = p;
    g.arcHaveCentre = true;
    SetStepPrompt(app, "End", 102 + kStepOffset);
    return PrintLine(app, {}, kPrintEndLine);
  }
  std::vector<db::UserPoint> pts(app.temp.used().begin(), app.temp.used().end());
  const auto status =
      geometry::GenerateArc(g.arc, {g.arcStart, g.arcCentre, p}, app.settings.elementType,
                            app.settings.dbPerUserUnit, pts);
  app.temp.assign(pts);
  if (status == geometry::ArcStatus::Radius) printFailure(app, geometry::kArcRadiusError);
  if (status == geometry::ArcStatus::LayerFull) printFailure(app, geometry::kArcFullError);
  if (!app.temp.empty()) redraw(app);
  EndCommand(app);
}

void StartArcSettings(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  int i = 0;
  for (std::size_t w = 1; w < words.size() && i < 4; ++w, ++i) {
    auto v = ScanInt(words[w]);
    if (!v) break;
    storeArcSetting(app, i, *v);
  }
  if (i >= 4) return EndCommand(app);
  app.geometry.arcAnswer = i;
  askArcSetting(app);
}

void ContinueArcSettings(AppState& app, std::string_view answer) {
  auto& g = app.geometry;
  auto words = SplitWords(answer);
  if (!words.empty()) {
    std::vector<double> v;
    if (ParseAnswerValues(app, answer, v, 1) != 1) {
      printFailure(app, db::msg::kErrorLine);
      return EndCommand(app);
    }
    storeArcSetting(app, g.arcAnswer, RoundToInt(v[0]));
  }
  if (++g.arcAnswer >= 4) return EndCommand(app);
  askArcSetting(app);
}

}  // namespace lav::command
