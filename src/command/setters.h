// The setters of the settings that commands ask for with one value ("Nest(11): ", "Width(0.5): "
// ...): each checks the value against its range and stores it, or refuses it with a message box
// and leaves the setting as it was. The rows are data (setter_table.cpp); one function applies
// any of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db/settings.h"

namespace lav {
struct AppState;
}

namespace lav::command {

// Which values a setter takes (compared before rounding, so 11.4 is outside 0..11).
enum class Accept : std::uint8_t {
  Closed,           // low <= v <= high
  BelowHigh,        // low <= v < high
  ZeroOrOne,        // exactly 0 or 1
  Any,              // every number
  ZeroOrMinLength,  // 0, or at least low database units (low / database unit in user units)
};

// How the taken value is stored.
enum class Store : std::uint8_t {
  Round,          // RoundToInt(v)
  Exact,          // v itself (0 or 1)
  AbsRound,       // |RoundToInt(v)|
  Angle,          // millionths of a degree, brought into 0 <= a < 360,000,000
  Magnification,  // RoundToInt(|v| x 1,000,000); a factor of 0 is taken as 1
  DbLength,       // v in database units (checked conversion); a result of 0 stores zeroStores
};

// What fills the "%s" or "%d"s of the refusal message.
enum class MessageArg : std::uint8_t {
  None,
  Bounds,           // low and high as integers
  MinLengthFixed9,  // low / database unit, nine decimals, trailing zeros removed
  MinLengthUser,    // low / database unit by FormatUserValue
};

// How the prompt shows the stored value.
enum class Shown : std::uint8_t {
  Integer,       // "%d"
  UserLength,    // database units shown in user units by FormatUserValue
  Millionths,    // millionths shown as units by FormatUserValue
  LengthFixed3,  // database units shown in user units, three decimals, trailing zeros removed
};

struct SetterRow {
  std::int16_t command;
  std::int32_t Settings::*field;
  Accept accept;
  double low, high;
  Store store;
  std::int32_t zeroStores;  // DbLength: what a value of 0 database units stores
  const char* message;      // refusal text (UTF-8); null: never refused for its range
  MessageArg messageArg;
  const char* caption;  // refusal box title (UTF-8)
  const char* prompt;   // with one "%d" or "%s" for the stored value
  Shown shown;
  bool refreshesStatus;             // the Status Window shows this setting
  std::int32_t Settings::*alsoSet;  // a copy kept equal to the field, or null
};

// The row of a setter command, or null.
const SetterRow* FindSetterRow(std::int32_t command);

enum class SetterOutcome : std::uint8_t {
  NotASetter,  // the command has no setter row
  Empty,       // empty answer: nothing happens
  Unreadable,  // not exactly one value: nothing happens
  Stored,
  Refused,  // out of range: the message box was shown, the setting is unchanged
};

// Refusal text (Shift-JIS) and box title (Shift-JIS) of a value a row does not take.
struct Refusal {
  std::string text;
  std::string caption;
};

// Stores the value v by the row's rule, or returns why it is refused (settings unchanged).
std::optional<Refusal> StoreSetterValue(Settings& settings, const SetterRow& row, double v);

// The setter of a command with the answer text: reads one value (after expansion), stores it or
// shows the refusal box.
SetterOutcome ApplySetter(AppState& app, std::int32_t command, std::string_view answer);

// The command's prompt with its stored value ("Nest(11): "), Shift-JIS; empty for a command
// without a setter row.
std::string SetterPrompt(const Settings& settings, std::int32_t command);

// Command 76's origin step: exactly two values x y become the relative-coordinate origin in
// database units; anything else does nothing; a value beyond the coordinate range is refused.
SetterOutcome SetOrigin(AppState& app, std::string_view answer);

// Which database unit SetDatabaseUnit sets.
enum class DatabaseUnit : std::uint8_t { Design, Stream };

// Commands 5 and 119: reads a leading integer; a non-zero one is stored as its absolute value.
// The design's unit must lie in 1..1,000,000, the stream unit in the int32 range; a value
// outside is refused with a message box. No number, or 0, does nothing.
SetterOutcome SetDatabaseUnit(AppState& app, std::string_view answer, DatabaseUnit which);

// "DataBase(%ld): " or "GDSII DB(%ld): " with the current unit.
std::string DatabaseUnitPrompt(const Settings& settings, DatabaseUnit which);

}  // namespace lav::command
