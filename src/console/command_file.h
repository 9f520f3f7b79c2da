// The command file Lavinor.cmd: the names the user gives to the command numbers and the texts
// of the function keys; and the lookup of a typed word among those names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lav::command {

struct ConsoleState;

inline constexpr int kFunctionKeys = 15;
inline constexpr std::size_t kFunctionKeyBytes = 40;  // one entry with its end: 39 bytes of text
// Command numbers above this are not taken from a command file.
inline constexpr std::int32_t kMaxCommandNumber = 10000;
// Longer names are not taken: a name has to fit the input line with an argument.
inline constexpr std::size_t kMaxNameBytes = 64;
// Only the first bytes of a line are read, as the original line reader did.
inline constexpr std::size_t kCommandFileLineBytes = 199;

using FunctionKeyTable = std::array<std::string, kFunctionKeys>;  // [k-1]: text of key k

// What a command file gives: entry n-1 of names holds the upper-case name of command n
// (commands without a name hold ""), and the texts of the function keys.
struct CommandTable {
  std::vector<std::string> names;
  std::size_t width = 0;  // longest name + 1
  FunctionKeyTable keys;
};

// Reads the bytes of a command file into the table (replaced as a whole).
void ReadCommandFile(std::string_view bytes, CommandTable& table);

// Loads app.programDir + "/Lavinor.cmd" (found without regard to case) into the Command
// Window's table. False when the file cannot be read.
bool LoadCommandFile(ConsoleState& app);

// The upper-case name of a command number, "" when it has none.
std::string CommandName(const CommandTable& table, int number);

struct CommandMatch {
  enum class Kind { None, One, Several } kind = Kind::None;
  int number = 0;               // the command, for Kind::One
  std::vector<int> candidates;  // the command numbers, in table order, for Kind::Several
};

// The commands whose names begin with the token (compared in upper case). Several candidates
// with one equal to the whole token give that one.
CommandMatch MatchCommand(const CommandTable& table, std::string_view token);

// Upper case for the ASCII letters; the bytes of two-byte characters stay as they are.
std::string UpperCase(std::string_view sjis);

// A line read as "%lf%s": the number and the word after it.
struct NumberAndWord {
  double number = 0;
  std::string_view word;
  std::size_t end = 0;  // index after the word
};
bool ScanNumberAndWord(std::string_view line, NumberAndWord& out);

}  // namespace lav::command
