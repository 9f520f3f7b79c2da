#include "macro/symbol_table.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_io.h"
#include "platform/sjis.h"

namespace lav::macro {
namespace {

std::uint8_t upper(std::uint8_t c) {
  return c >= 'a' && c <= 'z' ? static_cast<std::uint8_t>(c - 'a' + 'A') : c;
}

// Case-insensitive for ASCII letters; the trail byte of a two-byte character is compared as it
// is (it may look like a letter).
bool sameName(const std::uint8_t* stored, std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    auto c = static_cast<std::uint8_t>(name[i]);
    if (sjis::isLeadByte(c) && i + 1 < name.size()) {
      if (stored[i] != c || stored[i + 1] != static_cast<std::uint8_t>(name[i + 1])) return false;
      ++i;
      continue;
    }
    if (upper(stored[i]) != upper(c)) return false;
  }
  return true;
}

struct Entry {
  std::size_t offset;  // of the name length byte; the end of the entries when not found
  bool found;
};

Entry findEntry(const SymbolTable& t, std::string_view name) {
  std::size_t off = kFirstEntryOffset;
  while (off + 2 <= kSymbolTableBytes && t.bytes[off] != 0) {
    std::size_t n = t.bytes[off];
    std::size_t v = t.bytes[off + 1];
    if (off + 2 + n + v > kSymbolTableBytes) break;  // a damaged entry ends the table
    if (n == name.size() && sameName(&t.bytes[off + 2], name)) return {off, true};
    off += 2 + n + v;
  }
  return {std::min(off, kSymbolTableBytes), false};
}

void setUsed(SymbolTable& t, std::size_t used) {
  le::putU32(t.bytes.data(), static_cast<std::uint32_t>(used));
}

}  // namespace

std::uint32_t UsedSize(const SymbolTable& table) {
  return le::getU32(table.bytes.data());
}

StoreResult StoreSymbol(SymbolTable& t, std::string_view name, std::string_view value) {
  if (name.empty()) return StoreResult::EmptyName;
  if (value.empty()) return StoreResult::EmptyValue;
  if (name.size() > kMaxNameBytes) return StoreResult::NameTooLong;
  if (value.size() > kMaxValueBytes) return StoreResult::ValueTooLong;

  Entry e = findEntry(t, name);
  std::uint8_t* base = t.bytes.data();
  if (e.found) {
    const std::size_t n = base[e.offset];
    const std::size_t oldLength = base[e.offset + 1];
    const std::size_t valueAt = e.offset + 2 + n;
    const std::size_t oldEnd = valueAt + oldLength;
    const std::size_t used = std::max<std::size_t>(UsedSize(t), oldEnd);
    const std::size_t newUsed = used - oldLength + value.size();
    if (newUsed > kSymbolTableBytes) return StoreResult::TableFull;
    // Move the later entries so the new value fits exactly, whether it grew or shrank, and clear
    // what a shrink leaves behind: stale bytes there would be read as entries.
    std::memmove(base + valueAt + value.size(), base + oldEnd, used - oldEnd);
    if (newUsed < used) std::memset(base + newUsed, 0, used - newUsed);
    base[e.offset + 1] = static_cast<std::uint8_t>(value.size());
    std::memcpy(base + valueAt, value.data(), value.size());
    setUsed(t, newUsed);
    return StoreResult::Stored;
  }

  const std::size_t end = e.offset + 2 + name.size() + value.size();
  if (end > kSymbolTableBytes) return StoreResult::TableFull;
  base[e.offset] = static_cast<std::uint8_t>(name.size());
  base[e.offset + 1] = static_cast<std::uint8_t>(value.size());
  std::memcpy(base + e.offset + 2, name.data(), name.size());
  std::memcpy(base + e.offset + 2 + name.size(), value.data(), value.size());
  setUsed(t, end);
  return StoreResult::Stored;
}

std::optional<std::string_view> FindSymbol(const SymbolTable& t, std::string_view name) {
  if (name.empty() || name.size() > kMaxNameBytes) return std::nullopt;
  Entry e = findEntry(t, name);
  if (!e.found) return std::nullopt;
  const std::size_t n = t.bytes[e.offset];
  const std::size_t v = t.bytes[e.offset + 1];
  return std::string_view(reinterpret_cast<const char*>(&t.bytes[e.offset + 2 + n]), v);
}

}  // namespace lav::macro
