#include "command/vector_text.h"

#include <cmath>
#include <string>
#include <vector>

#include "command/dispatcher.h"
#include "command/line_expansion.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "console/value_parser.h"
#include "db/messages.h"
#include "db/temp_layer.h"
#include "font/messages.h"
#include "font/text_layout.h"
#include "macro/preprocess.h"
#include "platform/paths.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::font {
namespace {

constexpr std::int32_t kVectorTextCommand = 101;
constexpr std::int32_t kPositionStep = 601;
constexpr int kPointWanted = 10;

void ShowFontError(AppState& app, const std::string& utf8) {
  command::ShowError(app, sjis::fromUtf8(utf8), msg::kCaptionError);
}

void ReportLine(AppState& app, const char* utf8) {
  ++app.dispatch.errorsReported;
  command::PrintMessageLine(app, utf8);
}

std::string WithPath(const char* format, const std::string& path) {
  std::string text(format);
  const auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path);
  return text;
}

// What a polygon's output did to the text: go on, skip the glyph's polygon, or stop the text.
enum class Outcome { Next, Stop };

Outcome WritePolygon(AppState& app, const std::vector<UserPoint>& points) {
  if (points.size() > static_cast<std::size_t>(db::kTempCapacity)) {
    ReportLine(app, msg::kShortRecordPoints);
    return Outcome::Next;
  }
  std::vector<db::UserPoint> pts;
  pts.reserve(points.size());
  for (const UserPoint& p : points) pts.push_back({p.x, p.y});
  app.temp.clear();
  app.temp.assign(pts);
  db::ElementSettings s = db::ElementSettingsOf(app.settings);
  s.elementType = db::TypeCode(db::ElementType::Polygon);
  db::OutputOptions options;
  options.host = &app.host;
  options.continueFlag = &app.continueFlag;
  const db::OutputResult r = db::OutputTempLayer(app.design, app.temp, s, app.host.now(), options);
  app.temp.clear();
  switch (r.status) {
    case db::OutputStatus::Written:
    case db::OutputStatus::Nothing:
      return Outcome::Next;
    case db::OutputStatus::TooManyPoints:
      ReportLine(app, msg::kShortRecordPoints);
      return Outcome::Next;
    case db::OutputStatus::Stopped:
      return Outcome::Stop;
    case db::OutputStatus::NoDestination:
    case db::OutputStatus::OutOfImage:
      if (const char* m = db::OutputMessage(r.status)) ShowFontError(app, m);
      return Outcome::Stop;
  }
  return Outcome::Stop;
}

// "%s%lf%lf%s": the text, then height, width and set as far as they read; the rest keep their
// last values.
void ReadArguments(VectorTextState& v, std::string_view arguments) {
  const auto words = command::SplitWords(arguments);
  if (words.empty()) return;
  v.text.assign(words[0]);
  if (words.size() < 2) return;
  const auto h = command::ScanDouble(words[1]);
  if (!h || !std::isfinite(*h)) return;
  v.height = *h;
  if (words.size() < 3) return;
  const auto w = command::ScanDouble(words[2]);
  if (!w || !std::isfinite(*w)) return;
  v.width = *w;
  if (words.size() < 4) return;
  v.set = words[3][0];
}

void AskForPosition(AppState& app) {
  command::SetStepPrompt(app, msg::kLabelPosition, kPositionStep);
  app.dispatch.pickMode = kPointWanted;
  command::PrintLine(app, {}, command::kPrintEndLine);
}

}  // namespace

void VectorText(AppState& app, std::string_view text, double height, double width, char set,
                double originX, double originY) {
  const std::string wanted = paths::join(app.programDir, msg::kFontFileName);
  const auto found = paths::findCaseInsensitive(wanted);
  if (!found) {
    ShowFontError(app, WithPath(msg::kCannotOpenFont, wanted));
    return;
  }
  if (!app.design.isOpen() || !app.design.hasCell()) {
    ShowFontError(app, msg::kNoOutputCell);
    return;
  }
  auto font = FontFile::Open(*found);
  if (!font || text.empty()) return;

  TextPlacement placement;
  placement.height = height;
  placement.width = width;
  placement.set = (set == 'N' || set == 'n') ? GlyphSet::N : GlyphSet::P;
  placement.originX = originX;
  placement.originY = originY;
  placement.reflect = app.settings.reflection == 1;
  placement.angle = app.settings.angle;

  app.continueFlag = true;
  LayOutText(
      *font, text, placement,
      [&](const std::vector<UserPoint>& points) {
        return WritePolygon(app, points) == Outcome::Next;
      },
      [&](const char* line) { ReportLine(app, line); });
  app.temp.clear();
  if (!app.continueFlag) command::PrintLine(app, db::msg::kAbortion, command::kPrintMessage);
  app.display.needsRedraw = true;
  app.host.invalidate(Window::Graphics);
}

void StartVectorText(AppState& app, std::string_view line) {
  if (!app.temp.empty()) {
    ShowRefusalBox(app.host, sjis::fromUtf8(msg::kTempLayerInUse), msg::kCaptionError,
                   Icon::Warning);
    command::EndCommand(app);
    return;
  }
  const std::string_view arguments = command::RestAfterFirstWord(line);
  if (command::SplitWords(arguments).empty()) {
    command::SetPrompt(app, msg::kPromptStrings);
    command::PrintLine(app, {}, command::kPrintEndLine);
    return;
  }
  ReadArguments(app.vectorText, arguments);
  AskForPosition(app);
}

void ContinueVectorText(AppState& app, std::string_view answer) {
  if (app.dispatch.current == kVectorTextCommand) {
    if (command::SplitWords(answer).empty()) return command::EndCommand(app);
    ReadArguments(app.vectorText, answer);
    AskForPosition(app);
    return;
  }
  app.dispatch.pickMode = 0;
  const auto point = PointAnswer(app, answer);
  if (point) {
    const VectorTextState& v = app.vectorText;
    VectorText(app, v.text, v.height, v.width, v.set, point->x, point->y);
  }
  command::EndCommand(app);
}

}  // namespace lav::font
