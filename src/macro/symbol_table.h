// The variable table: one block of 2000 bytes that lives for the whole run. Bytes 0..3 hold the
// used size (little-endian); entries follow from byte 4, each a name length, a value length, the
// name (without '&') and the value, ended by a zero byte or by the end of the block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lav::macro {

inline constexpr std::size_t kSymbolTableBytes = 2000;
inline constexpr std::size_t kFirstEntryOffset = 4;
// Both length fields of an entry are one byte.
inline constexpr std::size_t kMaxNameBytes = 255;
inline constexpr std::size_t kMaxValueBytes = 255;

struct SymbolTable {
  std::array<std::uint8_t, kSymbolTableBytes> bytes{};
};

enum class StoreResult : std::uint8_t {
  Stored,
  EmptyName,
  EmptyValue,
  NameTooLong,
  ValueTooLong,
  TableFull,
};

// The used size field (0 in a fresh table, else the end of the last entry).
std::uint32_t UsedSize(const SymbolTable& table);

// Sets a variable (name without '&'). A new name is appended; a known name gets the new value
// and the entries after it move so that the table stays packed. On any refusal the table is
// unchanged.
StoreResult StoreSymbol(SymbolTable& table, std::string_view name, std::string_view value);

// The value of a variable (name without '&'), found without regard to the case of ASCII letters;
// only names of the same length match. The view is valid until the table changes.
std::optional<std::string_view> FindSymbol(const SymbolTable& table, std::string_view name);

}  // namespace lav::macro
