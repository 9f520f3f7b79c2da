#include "shell/graphics_pointer.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "command/dispatcher.h"
#include "command/macro_runner.h"
#include "command/window_input.h"
#include "console/command_window.h"
#include "console/user_value.h"
#include "db/design_files.h"
#include "display/paint_marks.h"
#include "platform/paths.h"
#include "platform/sjis.h"
#include "shell/messages.h"
#include "shell/status_window.h"
#include "state/app_state.h"

namespace lav::shell {
namespace {

// Nearest multiple of step, halves rounded up.
double snap(double v, double step) {
  if (!(step > 0)) return v;
  return std::floor(v / step + 0.5) * step;
}

bool endsWithCad(const std::string& arg) {
  if (arg.size() < 4) return false;
  std::string tail = arg.substr(arg.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return tail == ".CAD";
}

// Switches are "/W"-like or begin with '-'. A longer argument that begins with '/' is an absolute
// path here, not a switch.
bool isSwitch(const std::string& arg) {
  return !arg.empty() && (arg[0] == '-' || (arg[0] == '/' && arg.size() == 2));
}

constexpr std::int32_t kEntryCommand = 91;  // coordinate entry
constexpr double kFarPixel = 1e6;

int toPixel(double v) {
  return static_cast<int>(std::lround(std::clamp(v, -kFarPixel, kFarPixel)));
}

}  // namespace

UserPoint PixelToUser(const AppState& app, int x, int y) {
  const auto& v = app.display.view;
  const double dbu = app.settings.dbPerUserUnit > 0 ? app.settings.dbPerUserUnit : 1;
  const double s = v.scale > 0 ? v.scale : 1;
  return {(x + v.offsetX) / s / dbu, ((v.clientHeight - y) + v.offsetY) / s / dbu};
}

UserPoint PointerPoint(const AppState& app, int x, int y) {
  UserPoint p = PixelToUser(app, x, y);
  if (app.dispatch.pickMode == 0 && !app.shell.paletteShown) {
    const double dbu = app.settings.dbPerUserUnit > 0 ? app.settings.dbPerUserUnit : 1;
    const double step = app.settings.gscale / dbu;
    p.x = snap(p.x, step);
    p.y = snap(p.y, step);
  }
  return p;
}

std::string ClickText(const AppState& app, UserPoint p) {
  const int d = command::UserUnitDecimals(app.settings.dbPerUserUnit);
  if (app.settings.absMode != 0 && app.shell.pointer.keyboardCursor == 1) {
    const double dbu = app.settings.dbPerUserUnit > 0 ? app.settings.dbPerUserUnit : 1;
    p.x -= app.dispatch.originX / dbu;
    p.y -= app.dispatch.originY / dbu;
  }
  char text[128];
  std::snprintf(text, sizeof text, " %.*f %.*f ", d, p.x, d, p.y);
  return text;
}

bool PointerMoved(AppState& app, int x, int y) {
  PointerState& ptr = app.shell.pointer;
  ptr.pixelX = x;
  ptr.pixelY = y;
  const UserPoint p = PointerPoint(app, x, y);
  if (p.x != ptr.userX || p.y != ptr.userY) {
    ptr.userX = p.x;
    ptr.userY = p.y;
    InvalidateStatus(app, kStatusX | kStatusY);
  }
  return ptr.keyboardCursor != 0 || ptr.rectangle != 0;
}

bool LeftClick(AppState& app, int x, int y) {
  if (app.display.redrawing) return false;
  PointerState& ptr = app.shell.pointer;
  if (ptr.clickActivates) {
    ptr.clickActivates = false;
    if (app.dispatch.current <= command::kIdle) return false;
  }
  const std::string text = ClickText(app, PointerPoint(app, x, y));
  auto& w = app.window;
  // Cut so that prompt and input stay within one input line.
  const std::size_t room = command::kInputLineMax > w.prompt.size() + w.input.size()
                               ? command::kInputLineMax - w.prompt.size() - w.input.size()
                               : 0;
  w.input += text.substr(0, room);
  w.caret = w.input.size();
  command::TypeCharacter(app, 13);
  return true;
}

bool RightClick(AppState& app, int x, int y) {
  if (app.display.redrawing) return false;
  app.shell.pointer.clickActivates = false;
  const std::string text = ClickText(app, PointerPoint(app, x, y));
  auto& w = app.window;
  if (!command::Fits(w, text.size())) return false;
  w.input += text;
  w.caret = w.input.size();
  command::RepaintInputLine(app);
  return true;
}

std::vector<PixelSegment> RubberBand(const AppState& app) {
  const PointerState& ptr = app.shell.pointer;
  const auto& temp = app.temp;
  const int type = app.settings.elementType;
  if (ptr.keyboardCursor != 1 || app.dispatch.current != kEntryCommand || temp.empty()) return {};
  if (type == db::ElementType::Rect
          ? temp.count != 1
          : type != db::ElementType::Polygon && type != db::ElementType::Line)
    return {};
  const auto& v = app.display.view;
  const double dbu = app.settings.dbPerUserUnit > 0 ? app.settings.dbPerUserUnit : 1;
  // Far outside the window the pixels are pulled in, so that the device never overflows.
  auto px = [&](double ux) { return toPixel(ux * dbu * v.scale - v.offsetX); };
  auto py = [&](double uy) { return toPixel(v.clientHeight - (uy * dbu * v.scale - v.offsetY)); };
  const auto& last = temp.points[static_cast<std::size_t>(temp.count - 1)];
  const UserPoint to = PointerPoint(app, ptr.pixelX, ptr.pixelY);
  const int x0 = px(last.x), y0 = py(last.y), x1 = px(to.x), y1 = py(to.y);
  if (x0 == x1 && y0 == y1) return {};
  if (type != db::ElementType::Rect) return {{x0, y0, x1, y1}};
  return {{x0, y0, x1, y0}, {x1, y0, x1, y1}, {x1, y1, x0, y1}, {x0, y1, x0, y0}};
}

void RunStartupActions(AppState& app) {
  for (const std::string& arg : app.shell.arguments) {
    if (isSwitch(arg) || !endsWithCad(arg)) continue;
    const std::string full = paths::absolute(arg);
    const auto slash = full.rfind('/');
    const std::string dir = full.substr(0, slash == std::string::npos ? 0 : slash);
    const std::string name = full.substr(slash == std::string::npos ? 0 : slash + 1);
    if (!dir.empty() && ::chdir(dir.c_str()) != 0) continue;
    command::RunMenuCommand(app, 3, sjis::fromUtf8(name));
  }
  // Marks of an earlier run are not this run's.
  display::ClearPaintMarks(app);
  macro::RunAutoMacro(app);
}

}  // namespace lav::shell
