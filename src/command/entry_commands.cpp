// The command-table side of element entry: prompts, answers, and the refusals they show.
#include "command/entry_commands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "command/dispatcher.h"
#include "command/line_expansion.h"
#include "console/command_file.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "console/user_value.h"
#include "console/value_parser.h"
#include "db/entry_messages.h"
#include "db/figure_edits.h"
#include "db/figure_pick_back.h"
#include "db/messages.h"
#include "geometry/figure_transform.h"
#include "geometry/selection.h"
#include "macro/preprocess.h"
#include "platform/sjis.h"
#include "state/app_state.h"
#include "state/pointer_modes.h"

namespace lav::command {
namespace {

constexpr int kPointPickMode = 10;
// Odd resume markers name the point step a view command interrupted (see the dispatcher).
constexpr int kResumeEntry = 1;
constexpr int kResumeQuery = 3;
constexpr int kResumeEdgeFirst = 5;
constexpr int kResumeEdgeSecond = 7;
constexpr int kResumeVertexFirst = 9;
constexpr int kResumeVertexSecond = 11;

void invalidateGraphics(AppState& app) {
  app.display.needsRedraw = true;
  app.host.invalidate(Window::Graphics);
}

void box(AppState& app, const char* utf8, std::string_view caption, Icon icon) {
  ShowRefusalBox(app.host, sjis::fromUtf8(utf8), caption, icon);
}

void printError(AppState& app) {
  ++app.dispatch.errorsReported;
  PrintLine(app, db::msg::kErrorLine, kPrintMessage);
}

void printAbort(AppState& app) {
  PrintLine(app, db::msg::kAbortion, kPrintMessage);
}

std::int32_t unitOf(const AppState& app) {
  return app.settings.dbPerUserUnit;
}

db::EntryModes modesOf(const AppState& app) {
  return {app.settings.absMode, app.settings.lock,
          static_cast<std::int16_t>(app.settings.elementType), unitOf(app)};
}

// Shows what an output refused; true when records were written.
bool reportOutput(AppState& app, db::OutputStatus status) {
  switch (status) {
    case db::OutputStatus::Written:
      return true;
    case db::OutputStatus::Nothing:
      return false;
    case db::OutputStatus::NoDestination:
      box(app, db::msg::kNoDestination, db::msg::kCaptionCellOpen, Icon::Exclamation);
      break;
    case db::OutputStatus::TooManyPoints:
      box(app, db::msg::kTooManyCoordinates, "Error", Icon::Warning);
      break;
    case db::OutputStatus::OutOfImage:
      box(app, db::msg::kOutOfMemory, "Error", Icon::Exclamation);
      break;
    case db::OutputStatus::Stopped:
      printAbort(app);
      break;
  }
  app.continueFlag = false;
  return false;
}

db::OutputOptions optionsFor(AppState& app, bool keep) {
  db::OutputOptions o;
  o.keepPoints = keep;
  o.host = &app.host;
  o.continueFlag = &app.continueFlag;
  return o;
}

bool outputNow(AppState& app, bool keep) {
  app.continueFlag = true;
  const auto r = db::OutputTempLayer(app.design, app.temp, db::ElementSettingsOf(app.settings),
                                     app.host.now(), optionsFor(app, keep));
  invalidateGraphics(app);
  return reportOutput(app, r.status);
}

std::string pointText(const AppState& app, double x, double y) {
  return FormatUserValue(x, unitOf(app)) + " " + FormatUserValue(y, unitOf(app));
}

std::string numbered(const char* format, long n) {
  char buf[48];
  std::snprintf(buf, sizeof buf, format, static_cast<int>(n));
  return buf;
}

void promptNextPoint(AppState& app) {
  app.dispatch.current = 91;
  app.dispatch.pickMode = 0;
  SetPrompt(app, numbered(db::msg::kPromptPointNumber, app.temp.count + 1));
  PrintLine(app, {}, kPrintEndLine);
  shell::StartKeyboardCursor(app);
}

bool startsWord(std::string_view answer) {
  auto words = SplitWords(answer);
  if (words.empty()) return false;
  const unsigned char c = static_cast<unsigned char>(words[0][0]);
  return std::isalpha(c) || c == '_' || c >= 0x80;
}

// A command word typed at a point prompt: view commands run inside the waiting command and
// return to it through the resume marker. Returns true when the word was one of them; the
// waiting command has then been resumed or continues by itself.
bool runViewCommandInside(AppState& app, std::string_view answer, int marker) {
  auto words = SplitWords(answer);
  const auto match = MatchCommand(app.window.commands, words[0]);
  if (match.kind != CommandMatch::Kind::One) return false;
  const int n = match.number;
  auto& d = app.dispatch;
  if (n == 17 || n == 18 || n == 19 || n == 21) {
    d.resumeMarker = marker;
    d.current = n;
    StartCommand(app, answer);
    // A view command that ended without resuming the point step leaves it to us.
    if (d.current == kIdle && d.resumeMarker == marker) ResumeInterruptedCommand(app);
    return true;
  }
  if (n == 20) {
    d.resumeMarker = marker;
    d.current = n;
    StartCommand(app, answer);
    if (d.current == kIdle && d.resumeMarker == marker) ResumeInterruptedCommand(app);
    return true;
  }
  return false;
}

// Any other command word typed at a point prompt ends the waiting command without running:
// only the view commands (and, in coordinate entry, clear, take back and output) work inside.
void abandonPointInput(AppState& app) {
  CancelPick(app);
  shell::ReleasePointer(app);
  EndCommand(app);
}

// A resumed command (even marker) starts again without a marker.
int takeResume(AppState& app) {
  const int m = app.dispatch.resumeMarker;
  if (m != 0 && m % 2 == 0) {
    app.dispatch.resumeMarker = 0;
    return m;
  }
  return 0;
}

void clearTemp(AppState& app) {
  app.temp.clear();
  app.temp.pick = {};  // the picked element stays deleted
  invalidateGraphics(app);
}

void takeBack(AppState& app, std::string_view arguments) {
  auto words = SplitWords(arguments);
  long n = 1;
  if (!words.empty())
    if (auto v = ScanInt(words[0])) n = *v;
  db::TakeBackPoints(app.temp, static_cast<int>(std::clamp<long>(n, -1000, 1000)));
  invalidateGraphics(app);
}

// Adds the typed pairs to a copy of the layer; false (the layer and the reference untouched) when
// a point would lie beyond the coordinate range.
bool addPairsTrial(AppState& app, const std::vector<double>& v, bool applyLock,
                   db::TempLayer& trial, std::int32_t& refX, std::int32_t& refY) {
  trial = app.temp;
  refX = app.dispatch.originX;
  refY = app.dispatch.originY;
  for (std::size_t i = 0; i + 1 < v.size() && !trial.full(); i += 2)
    if (db::AddTypedPoint(trial, modesOf(app), refX, refY, v[i], v[i + 1], applyLock) ==
        db::kPointOutOfRange)
      return false;
  return true;
}

void refuseOutOfRange(AppState& app) {
  ShowError(app, UserToDbRefusal(unitOf(app)), "Error");
}

// Adds typed pairs at the point prompt, with Lock and the rectangle rule. A line with a point
// beyond the coordinate range is refused whole.
void addPointsAtPrompt(AppState& app, const std::vector<double>& v) {
  auto& d = app.dispatch;
  db::TempLayer trial;
  std::int32_t refX = 0, refY = 0;
  if (!addPairsTrial(app, v, true, trial, refX, refY)) return refuseOutOfRange(app);
  for (std::size_t i = 0; i + 1 < v.size() && !app.temp.full(); i += 2) {
    if (db::AddTypedPoint(app.temp, modesOf(app), d.originX, d.originY, v[i], v[i + 1], true) ==
        db::kPointOutOfRange) {
      refuseOutOfRange(app);  // only after a rectangle went out and the next pair turned absolute
      break;
    }
    if (app.settings.elementType == db::ElementType::Rect && app.temp.count == 2) {
      const auto& a = app.temp.points[0];
      const auto& b = app.temp.points[1];
      if (a.x == b.x || a.y == b.y) {
        app.temp.count = 1;  // no area: the second corner is not taken
      } else if (outputNow(app, false) && app.settings.absMode != 3) {
        d.originX = d.originY = 0;
      }
    }
  }
  invalidateGraphics(app);
}

}  // namespace

// --- 91: coordinate entry ---

void StartEnterPoints(AppState& app, std::string_view line) {
  takeResume(app);
  if (app.temp.full()) return EndCommand(app);
  const std::string_view args = RestAfterFirstWord(line);
  auto& d = app.dispatch;
  if (!SplitWords(args).empty()) {
    std::vector<double> v;
    const int n = ParseAnswerValues(app, args, v);
    if (n <= 0 || n % 2 != 0) {
      printError(app);
      return EndCommand(app);
    }
    db::TempLayer trial;
    std::int32_t refX = 0, refY = 0;
    if (!addPairsTrial(app, v, false, trial, refX, refY)) {
      refuseOutOfRange(app);
      return EndCommand(app);
    }
    app.temp = trial;
    d.originX = refX;
    d.originY = refY;
    invalidateGraphics(app);
    return EndCommand(app);
  }
  db::StartEntryReference(app.temp, modesOf(app), d.originX, d.originY);
  promptNextPoint(app);
}

void ContinueEnterPoints(AppState& app, std::string_view answer) {
  if (SplitWords(answer).empty()) return EndCommand(app);
  if (startsWord(answer)) {
    if (runViewCommandInside(app, answer, kResumeEntry)) return;
    const auto match = MatchCommand(app.window.commands, SplitWords(answer)[0]);
    const int n = match.kind == CommandMatch::Kind::One ? match.number : 0;
    if (n == 92) {
      clearTemp(app);
    } else if (n == 93) {
      takeBack(app, RestAfterFirstWord(answer));
    } else if (n == 94) {
      if (!app.temp.empty()) outputNow(app, false);
    } else {
      return abandonPointInput(app);
    }
    return promptNextPoint(app);
  }
  std::vector<double> v;
  const int n = ParseAnswerValues(app, answer, v);
  if (n <= 0 || n % 2 != 0) {
    printError(app);
    return promptNextPoint(app);
  }
  addPointsAtPrompt(app, v);
  if (app.temp.full()) return EndCommand(app);
  promptNextPoint(app);
}

// --- 92, 93: clearing and taking back ---

void StartClearTemp(AppState& app, std::string_view) {
  clearTemp(app);
  EndCommand(app);
}

void StartTakeBack(AppState& app, std::string_view line) {
  takeBack(app, RestAfterFirstWord(line));
  EndCommand(app);
}

// --- 94, 100, 109: output ---

void StartOutput(AppState& app, std::string_view) {
  if (!app.temp.empty()) outputNow(app, false);
  EndCommand(app);
}

void StartOutputKeep(AppState& app, std::string_view) {
  if (!app.temp.empty()) outputNow(app, true);
  EndCommand(app);
}

void StartOutputToCell(AppState& app, std::string_view line) {
  if (app.temp.empty()) return EndCommand(app);
  auto words = SplitWords(line);
  if (words.size() < 2) {
    SetPrompt(app, db::msg::kPromptCellName);
    PrintLine(app, {}, kPrintEndLine);
    return;
  }
  ContinueOutputToCell(app, words[1]);
}

void ContinueOutputToCell(AppState& app, std::string_view answer) {
  auto words = SplitWords(answer);
  if (!words.empty() && !app.temp.empty()) {
    app.continueFlag = true;
    const auto r =
        db::OutputTempLayerToCell(app.design, app.temp, db::ElementSettingsOf(app.settings),
                                  words[0], app.host.now(), optionsFor(app, true));
    reportOutput(app, r.status);
    invalidateGraphics(app);
  }
  EndCommand(app);
}

// --- 95, 79, 77: picking in the cell ---

namespace {

// Runs the pick at the answer's point; false when the answer is not a point.
bool pickInCell(AppState& app, std::string_view answer, int onlyType) {
  auto pt = PointAnswer(app, answer);
  if (!pt) return false;
  geometry::PreparePick(app.pick, pt->x, pt->y, unitOf(app), app.display.view.scale);
  if (app.design.hasCell()) {
    app.continueFlag = true;
    geometry::PickFilter f;
    f.elementTypeMask = app.display.elementTypeMask;
    f.onlyLayer = app.display.onlyLayer;
    f.onlyType = onlyType;
    geometry::PickInCell(app.pick, app.design.image, app.design.current.entry, app.settings, f,
                         &app.host, &app.continueFlag);
    if (app.pick.stopped) printAbort(app);
  }
  return true;
}

void selectionFailed(AppState& app, const char* utf8) {
  box(app, utf8, db::msg::kCaptionPick, Icon::Information);
}

// Takes the picked record into the layer, or shows why nothing was picked.
void takePicked(AppState& app) {
  invalidateGraphics(app);
  if (app.pick.stopped) return;
  if (!app.pick.found()) return selectionFailed(app, db::msg::kSelectFailedCheckLayers);
  db::RecordView rec;
  rec.type = app.pick.element.type;
  rec.typeOffset = app.pick.element.typeOffset;
  rec.bytes = app.pick.record;
  switch (db::TakeFigure(app.design.image, app.temp, app.settings, rec)) {
    case db::TakeResult::Taken:
      break;
    case db::TakeResult::Unreadable:
      selectionFailed(app, db::msg::kSelectFailedCheckLayers);
      break;
    case db::TakeResult::TooLong:
      box(app, db::msg::kFigureTooLongForLayer, "Error", Icon::Warning);
      break;
  }
}

void askPoint(AppState& app, const char* prompt) {
  app.dispatch.pickMode = kPointPickMode;
  SetPrompt(app, prompt);
  PrintLine(app, {}, kPrintEndLine);
}

}  // namespace

void StartPickFigure(AppState& app, std::string_view) {
  if (!app.temp.empty()) {
    box(app, db::msg::kLayerHoldsData, "Error", Icon::Warning);
    return EndCommand(app);
  }
  askPoint(app, db::msg::kPromptPoint);
}

void ContinuePickFigure(AppState& app, std::string_view answer) {
  if (app.temp.empty() && pickInCell(app, answer, -1)) takePicked(app);
  EndCommand(app);
}

void StartPickLine(AppState& app, std::string_view) {
  if (!app.temp.empty()) return EndCommand(app);
  askPoint(app, "Select Line: ");
}

void ContinuePickLine(AppState& app, std::string_view answer) {
  if (app.temp.empty() && pickInCell(app, answer, static_cast<int>(db::ElementType::Line)))
    takePicked(app);
  EndCommand(app);
}

void StartCoordinateQuery(AppState& app, std::string_view) {
  takeResume(app);
  askPoint(app, "Cp: ");
}

void ContinueCoordinateQuery(AppState& app, std::string_view answer) {
  if (startsWord(answer)) {
    if (runViewCommandInside(app, answer, kResumeQuery)) return;
    return abandonPointInput(app);
  }
  if (!pickInCell(app, answer, -1)) return EndCommand(app);
  if (app.pick.found()) {
    const double u = unitOf(app);
    const std::string text = pointText(app, app.pick.nearEnd.x / u, app.pick.nearEnd.y / u);
    if (app.settings.showLocation != 1 || !app.host.showCoordinates(text))
      PrintLine(app, text, kPrintMessage);
  } else if (!app.pick.stopped) {
    selectionFailed(app, db::msg::kSelectFailedCheckLayers);
  }
  askPoint(app, "Cp: ");
}

// --- putting a picked figure back ---

void PutBackBeforeCellChange(AppState& app) {
  if (app.design.isOpen() && db::PutBackPick(app.design.image, app.temp)) invalidateGraphics(app);
}

// --- 97, 98: edge and vertex moves on the figure ---

namespace {

// The nearest edge or vertex of the layer's figure to the answer's point.
bool pickInFigure(AppState& app, std::string_view answer, geometry::PickState& pick) {
  auto pt = PointAnswer(app, answer);
  if (!pt) return false;
  geometry::PreparePick(pick, pt->x, pt->y, unitOf(app), app.display.view.scale);
  auto v = db::TempToDb(app.temp, unitOf(app));
  if (v.size() == 1) v.push_back(v[0]);
  geometry::OfferVertexList(pick, v, {static_cast<std::int16_t>(app.settings.elementType)});
  return true;
}

void askStep(AppState& app, std::string_view label, std::int32_t step) {
  app.dispatch.pickMode = kPointPickMode;
  SetStepPrompt(app, label, step);
  PrintLine(app, {}, kPrintEndLine);
}

bool edgeFigure(const AppState& app) {
  return !app.temp.empty() && (app.settings.elementType == db::ElementType::Polygon ||
                               app.settings.elementType == db::ElementType::Line);
}

}  // namespace

void StartMoveEdge(AppState& app, std::string_view) {
  const int resumed = takeResume(app);
  if (!edgeFigure(app)) return EndCommand(app);
  if (resumed == kResumeEdgeSecond + 1 && app.pick.found()) return askStep(app, "To", 597);
  askStep(app, "St", 97);
}

void ContinueMoveEdge(AppState& app, std::string_view answer) {
  const bool second = app.dispatch.current == 97 + kStepOffset;
  if (startsWord(answer)) {
    if (runViewCommandInside(app, answer, second ? kResumeEdgeSecond : kResumeEdgeFirst)) return;
    return abandonPointInput(app);
  }
  if (!edgeFigure(app)) return EndCommand(app);
  if (!second) {
    if (!pickInFigure(app, answer, app.pick)) return EndCommand(app);
    if (!app.pick.found() || app.pick.bestSegment < 1) {
      selectionFailed(app, db::msg::kSelectFailed);
      return EndCommand(app);
    }
    invalidateGraphics(app);
    return askStep(app, "To", 597);
  }
  auto pt = PointAnswer(app, answer);
  if (pt) {
    geometry::Figure f;
    f.points.assign(app.temp.used().begin(), app.temp.used().end());
    f.type = app.settings.elementType;
    f.width = app.settings.width;
    if (geometry::MoveEdge(f, app.pick.bestSegment, {pt->x, pt->y}, unitOf(app)))
      app.temp.assign(f.points);
    invalidateGraphics(app);
  }
  EndCommand(app);
}

void StartMoveVertex(AppState& app, std::string_view line) {
  const int resumed = takeResume(app);
  if (app.temp.empty()) return EndCommand(app);
  if (resumed == kResumeVertexSecond + 1 && app.pick.found()) return askStep(app, "Mp", 598);
  if (resumed == 0) {
    auto words = SplitWords(line);
    long mode = 0;
    if (words.size() >= 2)
      if (auto v = ScanInt(words[1])) mode = *v;
    app.pick.editMode = mode >= 0 && mode <= 4 ? static_cast<int>(mode) : 0;
  }
  askStep(app, app.pick.editMode == 1 ? "Md" : "Ms", 98);
}

void ContinueMoveVertex(AppState& app, std::string_view answer) {
  const bool second = app.dispatch.current == 98 + kStepOffset;
  if (startsWord(answer)) {
    if (runViewCommandInside(app, answer, second ? kResumeVertexSecond : kResumeVertexFirst))
      return;
    return abandonPointInput(app);
  }
  if (app.temp.empty()) return EndCommand(app);
  const std::int32_t unit = unitOf(app);
  if (!second) {
    if (!pickInFigure(app, answer, app.pick)) return EndCommand(app);
    if (!app.pick.found()) {
      selectionFailed(app, db::msg::kSelectFailed);
      return EndCommand(app);
    }
    invalidateGraphics(app);
    if (app.pick.editMode != 4) return askStep(app, "Mp", 598);
    // Mode 4: the picked vertex goes to the point that picked it.
    const auto v = app.pick.nearEnd;
    db::MoveVertices(app.temp, 4, v, (app.pick.point.x - v.x) / double(unit),
                     (app.pick.point.y - v.y) / double(unit), unit);
    invalidateGraphics(app);
    return EndCommand(app);
  }
  auto pt = PointAnswer(app, answer);
  if (pt) {
    const auto v = app.pick.nearEnd;
    db::MoveVertices(app.temp, app.pick.editMode, v, pt->x - v.x / double(unit),
                     pt->y - v.y / double(unit), unit);
    invalidateGraphics(app);
  }
  EndCommand(app);
}

// --- 107, 110: reordering, exploding, outlining ---

void StartReorderVertices(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  std::optional<long> n;
  if (words.size() >= 2) n = ScanInt(words[1]);
  db::ReorderVertices(app.temp, app.settings.elementType, n);
  invalidateGraphics(app);
  EndCommand(app);
}

void StartExplodeOrOutline(AppState& app, std::string_view) {
  if (app.temp.empty()) return EndCommand(app);
  if (app.settings.elementType == db::ElementType::Line) {
    if (db::LineToOutline(app.temp, app.settings) == db::OutlineResult::TooManyVertices)
      box(app, db::msg::kOutlineTooLong, "Error", Icon::Exclamation);
  } else if (app.settings.elementType == db::ElementType::ACell) {
    app.continueFlag = true;
    const auto r = db::ExplodeArray(app.design, app.temp, app.settings, app.host.now(), &app.host,
                                    &app.continueFlag);
    reportOutput(app, r.status);
  }
  invalidateGraphics(app);
  EndCommand(app);
}

// --- 75: listing the points ---

void StartListPoints(AppState& app, std::string_view line) {
  std::string args(RestAfterFirstWord(line));
  bool relative = false;
  if (!args.empty() && (args[0] == 'C' || args[0] == 'c')) {
    relative = true;
    args.erase(0, 1);
  }
  std::vector<double> v;
  const int n = SplitWords(args).empty() ? 0 : ParseAnswerValues(app, args, v, 2);
  if (n < 0) {
    printError(app);
    return EndCommand(app);
  }
  const int count = app.temp.count;
  int from = 1, to = count;
  if (n == 1 && v[0] > 0) {
    from = to = static_cast<int>(v[0]);
  } else if (n == 1 && v[0] < 0) {
    from = std::max(1, count + 1 + static_cast<int>(v[0]));
  } else if (n == 2) {
    from = std::max(1, static_cast<int>(v[0]));
    to = std::min(count, static_cast<int>(v[1]));
  }
  for (int i = std::max(from, 1); i <= std::min(to, count); ++i) {
    auto p = app.temp.points[static_cast<std::size_t>(i - 1)];
    if (relative && i > 1) {
      const auto& q = app.temp.points[static_cast<std::size_t>(i - 2)];
      p = {p.x - q.x, p.y - q.y};
    }
    PrintLine(app, numbered("Te%d: ", i) + pointText(app, p.x, p.y), kPrintMessage);
  }
  EndCommand(app);
}

void RedrawEntryPreview(AppState& app) {
  if (!app.temp.empty()) invalidateGraphics(app);
}

}  // namespace lav::command
