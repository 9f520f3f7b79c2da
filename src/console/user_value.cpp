#include "console/user_value.h"

#include <cstdio>
#include <limits>

#include "console/setter_messages.h"
#include "db/rounding.h"
#include "platform/sjis.h"

namespace lav::command {

std::string FormatFixedTrimmed(double value, int decimals) {
  // Large enough for the widest double in "%f" form (309 digits) plus sign, point and decimals.
  char buffer[400];
  int n = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  if (n < 0) return {};
  std::string text(buffer, static_cast<std::size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
  if (text.find('.') == std::string::npos) return text;
  while (text.size() > 1 && text.back() == '0') text.pop_back();
  return text;
}

int UserUnitDecimals(std::int32_t dbPerUserUnit) {
  int d = 0;
  for (std::int64_t u = dbPerUserUnit; u >= 10; u /= 10) ++d;
  return d;
}

std::string FormatUserValue(double value, std::int32_t dbPerUserUnit) {
  return FormatFixedTrimmed(value, UserUnitDecimals(dbPerUserUnit));
}

std::string FormatCalculatorValue(double value) {
  return FormatFixedTrimmed(value, 12);
}

std::string FormatCalculatorLine(const std::vector<double>& values) {
  std::string line;
  for (double v : values) {
    line += FormatCalculatorValue(v);
    line += "  ";
  }
  return line;
}

std::optional<std::int32_t> UserToDb(double value, std::int32_t dbPerUserUnit) {
  return ToCoordinate(value * static_cast<double>(dbPerUserUnit));
}

std::string RangeRefusal(const std::string& largestText) {
  return sjis::fromUtf8(msg::FillIn(msg::kValueTooLarge, {largestText}));
}

std::string UserToDbRefusal(std::int32_t dbPerUserUnit) {
  if (dbPerUserUnit < 1) dbPerUserUnit = 1;
  const double largest =
      std::numeric_limits<std::int32_t>::max() / static_cast<double>(dbPerUserUnit);
  return RangeRefusal(FormatFixedTrimmed(largest, UserUnitDecimals(dbPerUserUnit)));
}

}  // namespace lav::command
