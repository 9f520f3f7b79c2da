// How user-unit values are shown and how they become database units: the number formats of
// prompts, messages and the calculator, and the one checked conversion to an int32 coordinate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lav::command {

// Fixed-point text with the given decimals ("%.*f"); trailing '0' characters after the decimal
// point are removed, the point itself stays ("3.000" -> "3."). Text without a point is kept as
// it is, so 10 printed without decimals stays "10".
std::string FormatFixedTrimmed(double value, int decimals);

// Decimals shown for user values: how often the database unit divides by 10 while it is at least
// 10 (1000 gives 3, 1 gives 0).
int UserUnitDecimals(std::int32_t dbPerUserUnit);

// A user-unit value with as many decimals as the database unit resolves, trailing zeros removed.
std::string FormatUserValue(double value, std::int32_t dbPerUserUnit);

// A calculator result: twelve decimals, trailing zeros removed.
std::string FormatCalculatorValue(double value);

// The calculator's output line: every value by FormatCalculatorValue followed by two blanks.
std::string FormatCalculatorLine(const std::vector<double>& values);

// value x dbPerUserUnit rounded to database units; nullopt when the result is not a finite
// number that fits an int32 (a division by zero, or a value beyond the coordinate range).
std::optional<std::int32_t> UserToDb(double value, std::int32_t dbPerUserUnit);

// The refusal for a value too large to store (Shift-JIS), naming the largest magnitude allowed.
std::string RangeRefusal(const std::string& largestText);

// The refusal for a value UserToDb did not take (Shift-JIS), naming the largest allowed size.
std::string UserToDbRefusal(std::int32_t dbPerUserUnit);

}  // namespace lav::command
