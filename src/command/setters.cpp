#include "command/setters.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "command/dispatcher.h"
#include "command/line_expansion.h"
#include "console/setter_messages.h"
#include "console/user_value.h"
#include "console/value_parser.h"
#include "db/record_codec.h"
#include "db/rounding.h"
#include "macro/preprocess.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {
namespace {

constexpr std::int32_t kMillion = 1'000'000;
constexpr std::int64_t kMaxDesignUnit = 1'000'000;

std::int32_t unitOf(const Settings& s) {
  return s.dbPerUserUnit >= 1 ? s.dbPerUserUnit : 1;
}

Refusal refusal(const char* utf8Text, const char* utf8Caption) {
  return {sjis::fromUtf8(utf8Text), sjis::fromUtf8(utf8Caption)};
}

Refusal rangeRefusal(const SetterRow& row, std::int32_t unit) {
  const double minLength = row.low / unit;
  std::string text;
  switch (row.messageArg) {
    case MessageArg::None:
      text = row.message;
      break;
    case MessageArg::Bounds:
      text = msg::FillIn(row.message, {std::to_string(static_cast<int>(row.low)),
                                       std::to_string(static_cast<int>(row.high))});
      break;
    case MessageArg::MinLengthFixed9:
      text = msg::FillIn(row.message, {FormatFixedTrimmed(minLength, 9)});
      break;
    case MessageArg::MinLengthUser:
      text = msg::FillIn(row.message, {FormatUserValue(minLength, unit)});
      break;
  }
  return {sjis::fromUtf8(text), sjis::fromUtf8(row.caption)};
}

bool accepted(const SetterRow& row, double v, std::int32_t unit) {
  switch (row.accept) {
    case Accept::Closed:
      return row.low <= v && v <= row.high;
    case Accept::BelowHigh:
      return row.low <= v && v < row.high;
    case Accept::ZeroOrOne:
      return v == 0 || v == 1;
    case Accept::Any:
      return true;
    case Accept::ZeroOrMinLength:
      return v == 0 || v >= row.low / unit;
  }
  return false;
}

Refusal tooLarge(std::string largest) {
  return {RangeRefusal(largest), sjis::fromUtf8(msg::kErrorCaption)};
}

// The stored form of a taken value, or its refusal when it cannot be held.
struct Stored {
  std::int32_t value = 0;
  std::optional<Refusal> refused;
};

Stored storedValue(const SetterRow& row, double v, std::int32_t unit) {
  switch (row.store) {
    case Store::Round:
    case Store::Exact: {
      auto r = ToCoordinate(v);
      if (!r) return {0, tooLarge(std::to_string(std::numeric_limits<std::int32_t>::max()))};
      return {*r, std::nullopt};
    }
    case Store::AbsRound: {
      auto r = ToCoordinate(v);
      // |INT32_MIN| has no int32 either.
      if (!r || *r == std::numeric_limits<std::int32_t>::min())
        return {0, tooLarge(std::to_string(std::numeric_limits<std::int32_t>::max()))};
      return {*r < 0 ? -*r : *r, std::nullopt};
    }
    case Store::Angle: {
      // Whole turns taken off first (fmod is exact), so any angle fits; negative angles are
      // counted counter-clockwise from 0 like every stored angle.
      std::int32_t a = RoundToInt(std::fmod(v, 360.0) * kMillion) % db::kFullTurn;
      if (a < 0) a += db::kFullTurn;
      return {a, std::nullopt};
    }
    case Store::Magnification: {
      auto r = ToCoordinate(std::fabs(v) * kMillion);
      if (!r)
        return {0, tooLarge(FormatFixedTrimmed(
                       std::numeric_limits<std::int32_t>::max() / double{kMillion}, 6))};
      // A factor of 0 (also one too small to show in millionths) is taken as 1.
      return {*r == 0 ? kMillion : *r, std::nullopt};
    }
    case Store::DbLength: {
      auto r = UserToDb(v, unit);
      if (!r) return {0, Refusal{UserToDbRefusal(unit), sjis::fromUtf8(msg::kErrorCaption)}};
      return {*r == 0 ? row.zeroStores : *r, std::nullopt};
    }
  }
  return {0, std::nullopt};
}

void showRefusal(AppState& app, const Refusal& r) {
  ShowError(app, r.text, r.caption);
}

bool onlySeparators(std::string_view s) {
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\n') return false;
  return true;
}

// A leading integer as "%ld" reads it, saturated far beyond every accepted unit.
std::optional<std::int64_t> scanLong(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i >= s.size() || s[i] < '0' || s[i] > '9') return std::nullopt;
  std::int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
    v = std::min<std::int64_t>(v * 10 + (s[i] - '0'), std::int64_t{1} << 40);
  return negative ? -v : v;
}

}  // namespace

std::optional<Refusal> StoreSetterValue(Settings& settings, const SetterRow& row, double v) {
  const std::int32_t unit = unitOf(settings);
  if (!accepted(row, v, unit)) return rangeRefusal(row, unit);
  if (!std::isfinite(v)) return refusal(msg::kNotANumber, msg::kErrorCaption);
  Stored s = storedValue(row, v, unit);
  if (s.refused) return s.refused;
  settings.*row.field = s.value;
  if (row.alsoSet) settings.*row.alsoSet = s.value;
  return std::nullopt;
}

SetterOutcome ApplySetter(AppState& app, std::int32_t command, std::string_view answer) {
  const SetterRow* row = FindSetterRow(command);
  if (!row) return SetterOutcome::NotASetter;
  if (onlySeparators(answer)) return SetterOutcome::Empty;
  std::vector<double> values;
  if (ParseAnswerValues(app, answer, values, 1) != 1) return SetterOutcome::Unreadable;
  if (auto r = StoreSetterValue(app.settings, *row, values[0])) {
    showRefusal(app, *r);
    return SetterOutcome::Refused;
  }
  if (row->refreshesStatus) app.host.invalidate(Window::Status);
  return SetterOutcome::Stored;
}

std::string SetterPrompt(const Settings& settings, std::int32_t command) {
  const SetterRow* row = FindSetterRow(command);
  if (!row) return {};
  const std::int32_t unit = unitOf(settings);
  const std::int32_t stored = settings.*row->field;
  std::string shown;
  switch (row->shown) {
    case Shown::Integer:
      shown = std::to_string(stored);
      break;
    case Shown::UserLength:
      shown = FormatUserValue(static_cast<double>(stored) / unit, unit);
      break;
    case Shown::Millionths:
      shown = FormatUserValue(static_cast<double>(stored) / kMillion, unit);
      break;
    case Shown::LengthFixed3:
      shown = FormatFixedTrimmed(static_cast<double>(stored) / unit, 3);
      break;
  }
  return msg::FillIn(row->prompt, {shown});
}

SetterOutcome SetOrigin(AppState& app, std::string_view answer) {
  if (onlySeparators(answer)) return SetterOutcome::Empty;
  std::vector<double> values;
  if (ParseAnswerValues(app, answer, values, 2) != 2) return SetterOutcome::Unreadable;
  const std::int32_t unit = unitOf(app.settings);
  auto x = UserToDb(values[0], unit);
  auto y = UserToDb(values[1], unit);
  if (!x || !y) {
    showRefusal(app, {UserToDbRefusal(unit), sjis::fromUtf8(msg::kErrorCaption)});
    return SetterOutcome::Refused;
  }
  app.dispatch.originX = *x;
  app.dispatch.originY = *y;
  return SetterOutcome::Stored;
}

SetterOutcome SetDatabaseUnit(AppState& app, std::string_view answer, DatabaseUnit which) {
  auto v = scanLong(answer);
  if (!v || *v == 0)
    return onlySeparators(answer) ? SetterOutcome::Empty : SetterOutcome::Unreadable;
  const std::int64_t unit = *v < 0 ? -*v : *v;
  const std::int64_t largest =
      which == DatabaseUnit::Design ? kMaxDesignUnit : std::numeric_limits<std::int32_t>::max();
  if (unit > largest) {
    showRefusal(app, which == DatabaseUnit::Design
                         ? refusal(msg::kDatabaseUnitRange, msg::kErrorCaption)
                         : tooLarge(std::to_string(largest)));
    return SetterOutcome::Refused;
  }
  (which == DatabaseUnit::Design ? app.settings.dbPerUserUnit : app.settings.gdsDbUnit) =
      static_cast<std::int32_t>(unit);
  return SetterOutcome::Stored;
}

std::string DatabaseUnitPrompt(const Settings& settings, DatabaseUnit which) {
  return which == DatabaseUnit::Design
             ? "DataBase(" + std::to_string(settings.dbPerUserUnit) + "): "
             : "GDSII DB(" + std::to_string(settings.gdsDbUnit) + "): ";
}

}  // namespace lav::command
