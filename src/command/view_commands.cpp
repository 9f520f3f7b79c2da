#include "command/view_commands.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "command/dispatcher.h"
#include "command/layer_commands.h"
#include "command/line_expansion.h"
#include "console/command_window.h"
#include "console/dispatch_state.h"
#include "console/tokens.h"
#include "console/value_parser.h"
#include "db/messages.h"
#include "db/rounding.h"
#include "display/messages.h"
#include "display/redraw.h"
#include "display/view_transform.h"
#include "macro/preprocess.h"
#include "platform/sjis.h"
#include "state/app_state.h"
#include "state/pointer_modes.h"

namespace lav::display {
namespace {

constexpr std::int32_t kSecondCornerStep = 18 + command::kStepOffset;
constexpr double kLowest = -2147483648.0, kHighest = 2147483647.0;

void RefuseZoom(AppState& app, ZoomOutcome outcome) {
  const char* text = outcome == ZoomOutcome::TooSmall ? msg::kZoomOutLimit : msg::kZoomInLimit;
  command::ShowError(app, sjis::fromUtf8(text), msg::kErrorCaption);
}

// Ends a view command and goes back to the point input it interrupted, if any.
void EndViewCommand(AppState& app) {
  command::EndCommand(app);
  command::ResumeInterruptedCommand(app);
}

void RestoreSnapStep(AppState& app) {
  RestoreGraphicsStep(app);
  shell::ReleasePointer(app);
}

void BadNumber(AppState& app) {
  command::PrintLine(app, db::msg::kErrorLine, command::kPrintMessage);
  ++app.dispatch.errorsReported;
}

}  // namespace

void RestoreGraphicsStep(AppState& app) {
  auto& d = app.display;
  if (d.savedGscale > 0) {
    app.settings.gscale = d.savedGscale;
    app.settings.gscaleCopy = d.savedGscale;
  }
  d.savedGscale = 0;
}

ZoomOutcome ZoomByFactor(ViewState& v, double f) {
  if (!std::isfinite(f) || f == 0) return ZoomOutcome::Ignored;
  f = std::fabs(f);
  const double w = double(v.window.xmax) - v.window.xmin;
  const double h = double(v.window.ymax) - v.window.ymin;
  const double mx = RoundHalfUp((w - w / f) / 2), my = RoundHalfUp((h - h / f) / 2);
  const double p[4] = {v.window.xmin + mx, v.window.ymin + my, v.window.xmax - mx,
                       v.window.ymax - my};
  for (double c : p)
    if (!(c >= kLowest && c < kHighest))
      return f < 1 ? ZoomOutcome::TooSmall : ZoomOutcome::TooLarge;
  v.window = {static_cast<std::int32_t>(p[0]), static_cast<std::int32_t>(p[1]),
              static_cast<std::int32_t>(p[2]), static_cast<std::int32_t>(p[3])};
  v.scale *= f;
  RecentreOffsets(v);
  ApplyView(v);
  return ZoomOutcome::Zoomed;
}

void CentreAt(ViewState& v, std::int32_t dbu, double px, double py, int k) {
  const double x = dbu * px * v.scale, y = dbu * py * v.scale;
  const double w = v.clientWidth, h = v.clientHeight;
  // Offsets for the nine places, in the order of the positions.
  const double ox[9] = {x - w / 2, x, x - w / 2, x - w, x - w, x - w, x - w / 2, x, x};
  const double oy[9] = {y - h / 2, y, y, y, y - h / 2, y - h, y - h, y - h, y - h / 2};
  if (k >= 0 && k <= 8 && std::isfinite(x) && std::isfinite(y)) {
    v.offsetX = ox[k];
    v.offsetY = oy[k];
  }
  v.window = WindowFromOffsets(v);
  ApplyView(v);
}

void FitToCell(AppState& app) {
  if (!app.design.hasCell()) return;
  RefreshExtent(app);
  const auto& e = app.design.current.entry;
  ViewState& v = app.display.view;
  // A cell as thin as a line still gets a view: ApplyView widens it to the smallest one.
  const double w = std::max(1.0, double(e.xmax) - e.xmin);
  const double h = std::max(1.0, double(e.ymax) - e.ymin);
  v.scale = std::min(v.clientWidth / w, v.clientHeight / h) * 0.93;
  v.offsetX = (double(e.xmin) + e.xmax) / 2 * v.scale - v.clientWidth / 2.0;
  v.offsetY = (double(e.ymin) + e.ymax) / 2 * v.scale - v.clientHeight / 2.0;
  v.window = WindowFromOffsets(v);
  ApplyView(v);
}

std::int32_t WindowZoomStep(const ViewState& v) {
  const double width = double(v.window.xmax) - v.window.xmin;
  const double s = width * v.screenWidth / std::max(1, v.clientWidth) / 20;
  double r;
  if (s > 10000)
    r = RoundHalfUp(s / 1000) * 1000;
  else if (s > 1000)
    r = RoundHalfUp(s / 100) * 100;
  else if (s > 100)
    r = RoundHalfUp(s / 10) * 10;
  else
    r = std::trunc(s);
  if (r < 1) r = 1;
  return r > 2147483647.0 ? 2147483647 : static_cast<std::int32_t>(r);
}

void FitAndRedraw(AppState& app) {
  if (!app.design.hasCell()) return;
  FitToCell(app);
  app.continueFlag = true;
  RedrawNow(app);
}

void RedrawCommand(AppState& app) {
  app.continueFlag = true;
  app.display.extentPass = true;
  RedrawNow(app);
}

void StartFitAll(AppState& app, std::string_view) {
  FitAndRedraw(app);
  command::EndCommand(app);
}

void StartRedraw(AppState& app, std::string_view) {
  RedrawCommand(app);
  command::EndCommand(app);
}

void StartWindowZoom(AppState& app, std::string_view) {
  auto& d = app.display;
  if (d.savedGscale == 0) d.savedGscale = app.settings.gscale;
  const std::int32_t step = WindowZoomStep(d.view);
  app.settings.gscale = step;
  app.settings.gscaleCopy = step;
  app.dispatch.pickMode = 10;
  auto& p = app.shell.pointer;
  if (!p.captured) {
    p.captured = true;
    app.host.capturePointer(true);
  }
  command::SetPrompt(app, "Win1: ");
  command::PrintLine(app, {}, command::kPrintEndLine);
}

void ContinueWindowZoom(AppState& app, std::string_view answer) {
  auto& d = app.display;
  const auto point = PointAnswer(app, answer);
  if (!point) {
    BadNumber(app);
    RestoreSnapStep(app);
    command::EndCommand(app);
    return;
  }
  if (app.dispatch.current != kSecondCornerStep) {
    d.firstCornerX = point->x;
    d.firstCornerY = point->y;
    auto& p = app.shell.pointer;
    p.rectangle = 1;
    p.anchorX = point->x * app.settings.dbPerUserUnit;
    p.anchorY = point->y * app.settings.dbPerUserUnit;
    command::SetStepPrompt(app, "Win2", kSecondCornerStep);
    return;
  }
  RestoreSnapStep(app);
  if (ZoomToCorners(d.view, app.settings.dbPerUserUnit, d.firstCornerX, d.firstCornerY, point->x,
                    point->y)) {
    app.continueFlag = true;
    RedrawNow(app);
  }
  EndViewCommand(app);
}

void StartZoom(AppState& app, std::string_view line) {
  const std::string_view rest = command::RestAfterFirstWord(line);
  if (command::SplitWords(rest).empty()) {
    command::SetPrompt(app, "Zoom Up: ");
    command::PrintLine(app, {}, command::kPrintEndLine);
    return;
  }
  ContinueZoom(app, rest);
}

void ContinueZoom(AppState& app, std::string_view answer) {
  std::vector<double> v;
  if (ParseAnswerValues(app, answer, v, 1) == 1) {
    const ZoomOutcome z = ZoomByFactor(app.display.view, v[0]);
    if (z == ZoomOutcome::Zoomed) {
      app.continueFlag = true;
      RedrawNow(app);
    } else if (z != ZoomOutcome::Ignored) {
      RefuseZoom(app, z);
    }
  }
  EndViewCommand(app);
}

void StartCentre(AppState& app, std::string_view line) {
  auto words = command::SplitWords(line);
  int k = app.settings.position;
  if (words.size() >= 2) {
    if (auto n = command::ScanInt(words[1])) k = static_cast<int>(std::clamp(*n, 0L, 8L));
  }
  app.display.centrePosition = k;
  app.dispatch.pickMode = 10;
  command::SetPrompt(app, "Point: ");
  command::PrintLine(app, {}, command::kPrintEndLine);
}

void ContinueCentre(AppState& app, std::string_view answer) {
  const auto point = PointAnswer(app, answer);
  if (!point) {
    BadNumber(app);
    command::EndCommand(app);
    return;
  }
  CentreAt(app.display.view, app.settings.dbPerUserUnit, point->x, point->y,
           app.display.centrePosition);
  command::CancelPick(app);
  app.continueFlag = true;
  RedrawNow(app);
  EndViewCommand(app);
}

void StartDisplaySetRedraw(AppState& app, std::string_view line) {
  if (command::RunLayerListCommand(app.settings, app.dispatch.current,
                                   command::RestAfterFirstWord(line)))
    RedrawNow(app);
  command::EndCommand(app);
}

void StartShowOneLayer(AppState& app, std::string_view line) {
  const std::string_view rest = command::RestAfterFirstWord(line);
  if (command::RunLayerListCommand(app.settings, 28, rest)) {
    const auto words = command::SplitWords(rest);
    const auto layer = command::ScanInt(words.front());
    app.display.onlyLayer = static_cast<int>(*layer);
    app.continueFlag = true;
    RedrawNow(app);
    app.display.onlyLayer = -1;
  }
  command::EndCommand(app);
}

}  // namespace lav::display
