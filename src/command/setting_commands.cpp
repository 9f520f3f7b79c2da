// Commands that set one program setting (through the setter table) or a few related ones.
#include <cstdio>
#include <string>

#include "command/dispatcher.h"
#include "command/entry_commands.h"
#include "command/handlers.h"
#include "command/layer_commands.h"
#include "command/line_expansion.h"
#include "command/setters.h"
#include "command/text_file_commands.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "console/user_value.h"
#include "console/value_parser.h"
#include "db/rounding.h"
#include "macro/preprocess.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {
namespace {

// The setters whose value changes what the Graphics Window shows.
bool redrawsAfter(std::int32_t command) {
  switch (command) {
    case 32:
    case 37:
    case 57:
    case 58:
    case 59:
    case 60:
    case 61:
    case 62:
    case 63:
    case 64:
    case 66:
    case 67:
    case 72:
      return true;
    default:
      return false;
  }
}

void afterSetter(AppState& app, std::int32_t command, SetterOutcome outcome) {
  // A refusal was counted where its box was shown.
  if (outcome == SetterOutcome::Stored && redrawsAfter(command))
    app.host.invalidate(Window::Graphics);
  // Layer, type, width, tip, reflection, angle, magnification: what the entry preview shows.
  if (outcome == SetterOutcome::Stored && command >= 81 && command <= 89) RedrawEntryPreview(app);
  if (outcome == SetterOutcome::Stored && command == 78 && app.settings.showLocation == 0)
    app.host.closeCoordinateWindow();
}

// The usual shape of a one-value command: with a second word it is carried out at once, else
// the prompt asks for the value and the command waits.
template <typename Apply>
void oneValue(AppState& app, std::string_view line, const std::string& prompt, Apply apply) {
  auto words = SplitWords(line);
  if (words.size() >= 2) {
    apply(words[1]);
    EndCommand(app);
    return;
  }
  SetPrompt(app, prompt);
  PrintLine(app, {}, 0);
}

std::string formatUnsigned(const char* format, long v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

}  // namespace

void StartSetter(AppState& app, std::string_view line) {
  const auto n = app.dispatch.current;
  oneValue(app, line, SetterPrompt(app.settings, n),
           [&](std::string_view v) { afterSetter(app, n, ApplySetter(app, n, v)); });
}

void ContinueSetter(AppState& app, std::string_view answer) {
  const auto n = app.dispatch.current;
  afterSetter(app, n, ApplySetter(app, n, answer));
  EndCommand(app);
}

void StartDatabaseUnit(AppState& app, std::string_view line) {
  oneValue(app, line, DatabaseUnitPrompt(app.settings, DatabaseUnit::Design),
           [&](std::string_view v) {
             afterSetter(app, 5, SetDatabaseUnit(app, v, DatabaseUnit::Design));
           });
}

void ContinueDatabaseUnit(AppState& app, std::string_view answer) {
  afterSetter(app, 5, SetDatabaseUnit(app, answer, DatabaseUnit::Design));
  EndCommand(app);
}

void StartStreamUnit(AppState& app, std::string_view line) {
  oneValue(app, line, DatabaseUnitPrompt(app.settings, DatabaseUnit::Stream),
           [&](std::string_view v) {
             afterSetter(app, 119, SetDatabaseUnit(app, v, DatabaseUnit::Stream));
           });
}

void ContinueStreamUnit(AppState& app, std::string_view answer) {
  afterSetter(app, 119, SetDatabaseUnit(app, answer, DatabaseUnit::Stream));
  EndCommand(app);
}

void StartLayerList(AppState& app, std::string_view line) {
  if (RunLayerListCommand(app.settings, app.dispatch.current, RestAfterFirstWord(line)))
    app.host.invalidate(Window::Graphics);
  EndCommand(app);
}

// Command 76: the coordinate mode; mode 3 then asks for the origin (step 576).
void StartCoordinateMode(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  if (words.size() >= 2) {
    ContinueCoordinateMode(app, words[1]);
    return;
  }
  SetPrompt(app, SetterPrompt(app.settings, 76));
  PrintLine(app, {}, 0);
}

void ContinueCoordinateMode(AppState& app, std::string_view answer) {
  if (app.dispatch.current == 76 + kStepOffset) {  // the origin's two numbers
    std::vector<double> v;
    if (ParseAnswerValues(app, answer, v, 2) == 2) {
      auto x = UserToDb(v[0], app.settings.dbPerUserUnit);
      auto y = UserToDb(v[1], app.settings.dbPerUserUnit);
      if (x && y) {
        app.dispatch.originX = *x;
        app.dispatch.originY = *y;
      } else {
        ShowError(app, UserToDbRefusal(app.settings.dbPerUserUnit), "Error");
      }
    }
    EndCommand(app);
    return;
  }
  auto outcome = ApplySetter(app, 76, answer);
  afterSetter(app, 76, outcome);
  if (outcome != SetterOutcome::Stored || app.settings.absMode != 3) {
    EndCommand(app);
    return;
  }
  const auto unit = app.settings.dbPerUserUnit;
  std::string shown = "(" + FormatUserValue(app.dispatch.originX / double(unit), unit) + " " +
                      FormatUserValue(app.dispatch.originY / double(unit), unit) + ")";
  PrintLine(app, shown, 1);
  SetStepPrompt(app, "Origin", 76 + kStepOffset);
  PrintLine(app, {}, 0);
}

// Command 90: columns, rows and the two pitches, from the words of the line or asked in turn.
namespace {

constexpr long kMaxArrayCount = 32767;

std::string arrayPrompt(const AppState& app, int step) {
  const auto& s = app.settings;
  const auto unit = s.dbPerUserUnit;
  switch (step) {
    case 0:
      return formatUnsigned("nX (%lu): ", s.columns);
    case 1:
      return formatUnsigned("nY (%lu): ", s.rows);
    case 2:
      return "pX (" + FormatUserValue(s.pitchX / double(unit), unit) + "): ";
    default:
      return "pY (" + FormatUserValue(s.pitchY / double(unit), unit) + "): ";
  }
}

// Stores one array value; false when it was refused (message shown).
bool storeArrayValue(AppState& app, int step, std::string_view text) {
  std::vector<double> v;
  if (ParseAnswerValues(app, text, v, 1) != 1) return true;  // unreadable: kept
  auto& s = app.settings;
  if (step <= 1) {
    if (v[0] < 1 || v[0] > kMaxArrayCount) {
      std::string msg = sjis::fromUtf8("入力範囲は 1 から 32767 までです。");
      ShowError(app, msg, "Error");
      return false;
    }
    (step == 0 ? s.columns : s.rows) = RoundToInt(v[0]);
    RedrawEntryPreview(app);
    return true;
  }
  auto db = UserToDb(v[0], s.dbPerUserUnit);
  if (!db) {
    ShowError(app, UserToDbRefusal(s.dbPerUserUnit), "Error");
    return false;
  }
  (step == 2 ? s.pitchX : s.pitchY) = *db;
  RedrawEntryPreview(app);
  return true;
}

}  // namespace

void StartArray(AppState& app, std::string_view line) {
  auto words = SplitWords(line);
  if (words.size() >= 2) {
    for (std::size_t i = 1; i < words.size() && i <= 4; ++i)
      if (!storeArrayValue(app, static_cast<int>(i - 1), words[i])) break;
    EndCommand(app);
    return;
  }
  app.dispatch.arrayStep = 0;
  app.dispatch.current = 90 + kStepOffset;
  SetPrompt(app, arrayPrompt(app, 0));
  PrintLine(app, {}, 0);
}

void ContinueArray(AppState& app, std::string_view answer) {
  auto& step = app.dispatch.arrayStep;
  // An empty answer keeps the shown value.
  if (!SplitWords(answer).empty() && !storeArrayValue(app, step, answer)) {
    EndCommand(app);
    return;
  }
  if (++step > 3) {
    EndCommand(app);
    return;
  }
  PrintLine(app, {}, 0);
  SetPrompt(app, arrayPrompt(app, step));
}

void StartGridOn(AppState& app, std::string_view) {
  app.settings.gridOn = 1;
  app.host.invalidate(Window::Graphics);
  EndCommand(app);
}

void StartGridOff(AppState& app, std::string_view) {
  app.settings.gridOn = 0;
  app.host.invalidate(Window::Graphics);
  EndCommand(app);
}

void StartClearTranscript(AppState& app, std::string_view) {
  ClearTranscript(app);
  EndCommand(app);
}

void StartEcho(AppState& app, std::string_view line) {
  PrintLine(app, RestAfterFirstWord(line), 1);
  EndCommand(app);
}

void StartTextFileName(AppState& app, std::string_view line) {
  RunTextFileName(app, RestAfterFirstWord(line));
  EndCommand(app);
}

void StartTextFileRead(AppState& app, std::string_view) {
  // The variable's name is taken from the line as typed: the expansion of the line would have
  // replaced it by its value (or by blanks while it is still unknown).
  RunTextFileRead(app, RestAfterFirstWord(app.dispatch.typedLine));
  EndCommand(app);
}

void StartTextFileWrite(AppState& app, std::string_view line) {
  RunTextFileWrite(app, RestAfterFirstWord(line));
  EndCommand(app);
}

}  // namespace lav::command
