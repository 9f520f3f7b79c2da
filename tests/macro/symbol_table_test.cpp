#include "macro/symbol_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macro/variables.h"
#include "platform/byte_io.h"
#include "platform/scripted_host.h"
#include "support/short_forms.h"

namespace lav::macro {
namespace {

// The bytes of the table from offset 4 up to the used size, as name=value pairs read back
// by walking the entries the way the table is laid out.
std::vector<std::string> entries(const SymbolTable& t) {
  std::vector<std::string> out;
  std::size_t off = kFirstEntryOffset;
  while (off + 2 <= kSymbolTableBytes && t.bytes[off] != 0) {
    std::size_t n = t.bytes[off], v = t.bytes[off + 1];
    std::string name(reinterpret_cast<const char*>(&t.bytes[off + 2]), n);
    std::string value(reinterpret_cast<const char*>(&t.bytes[off + 2 + n]), v);
    out.push_back(name + "=" + value);
    off += 2 + n + v;
  }
  return out;
}

bool zeroFrom(const SymbolTable& t, std::size_t from) {
  for (std::size_t i = from; i < kSymbolTableBytes; ++i)
    if (t.bytes[i] != 0) return false;
  return true;
}

TEST(SymbolTable, LayoutAfterAssignments) {
  SymbolTable t;
  EXPECT_EQ(UsedSize(t), 0u);
  ASSERT_EQ(StoreSymbol(t, "X", "3."), StoreResult::Stored);
  // used size, then: name length, value length, name, value
  const std::uint8_t expected[] = {9, 0, 0, 0, 1, 2, 'X', '3', '.', 0};
  for (std::size_t i = 0; i < sizeof expected; ++i) EXPECT_EQ(t.bytes[i], expected[i]) << i;
  ASSERT_EQ(StoreSymbol(t, "AB", "10.  20."), StoreResult::Stored);
  EXPECT_EQ(UsedSize(t), 9u + 2 + 2 + 8);
  EXPECT_EQ(t.bytes[9], 2);
  EXPECT_EQ(t.bytes[10], 8);
  EXPECT_EQ(entries(t), (std::vector<std::string>{"X=3.", "AB=10.  20."}));
}

TEST(SymbolTable, ReplacementsMoveTheLaterEntries) {
  struct {
    const char* newValue;
    std::uint32_t used;
  } cases[] = {
      {"12345.", 27},  // longer: the later entries move back
      {"1.", 23},      // shorter: they move forward and nothing stale is left behind
      {"123.", 25},    // same length as the old value
  };
  for (const auto& c : cases) {
    SymbolTable t;
    ASSERT_EQ(StoreSymbol(t, "A", "123."), StoreResult::Stored);
    ASSERT_EQ(StoreSymbol(t, "B", "4."), StoreResult::Stored);
    ASSERT_EQ(StoreSymbol(t, "C", "5.  6."), StoreResult::Stored);
    ASSERT_EQ(UsedSize(t), 25u);
    ASSERT_EQ(StoreSymbol(t, "a", c.newValue), StoreResult::Stored) << c.newValue;
    EXPECT_EQ(UsedSize(t), c.used) << c.newValue;
    EXPECT_EQ(entries(t),
              (std::vector<std::string>{std::string("A=") + c.newValue, "B=4.", "C=5.  6."}))
        << c.newValue;
    EXPECT_TRUE(zeroFrom(t, c.used)) << c.newValue;
    EXPECT_EQ(FindSymbol(t, "C").value_or("?"), "5.  6.") << c.newValue;
  }
  // Shrinking, then adding, leaves no stale entry.
  SymbolTable t;
  StoreSymbol(t, "LONG", std::string(100, '7'));
  StoreSymbol(t, "NEXT", "1.");
  StoreSymbol(t, "LONG", "2.");
  StoreSymbol(t, "NEW", "3.");
  EXPECT_EQ(entries(t), (std::vector<std::string>{"LONG=2.", "NEXT=1.", "NEW=3."}));
  EXPECT_TRUE(zeroFrom(t, UsedSize(t)));
}

TEST(SymbolTable, NamesMatchWithoutCaseAndOnlyAtEqualLength) {
  SymbolTable t;
  StoreSymbol(t, "abc", "1.");
  StoreSymbol(t, "AB", "2.");
  struct {
    const char* name;
    const char* value;  // null: not found
  } cases[] = {{"ABC", "1."},  {"abc", "1."},     {"aBc", "1."}, {"ab", "2."},
               {"A", nullptr}, {"ABCD", nullptr}, {"", nullptr}};
  for (const auto& c : cases) {
    auto v = FindSymbol(t, c.name);
    ASSERT_EQ(v.has_value(), c.value != nullptr) << c.name;
    if (v) {
      EXPECT_EQ(*v, c.value) << c.name;
    }
  }
  // The trail byte of a two-byte character is no letter: 0x83 0x61 and 0x83 0x41 differ.
  StoreSymbol(t, "\x83\x61", "5.");
  EXPECT_FALSE(FindSymbol(t, "\x83\x41").has_value());
  EXPECT_EQ(FindSymbol(t, "\x83\x61").value_or(""), "5.");
}

TEST(SymbolTable, RefusalsLeaveTheTableUnchanged) {
  SymbolTable t;
  StoreSymbol(t, "X", "1.");
  struct {
    std::string name, value;
    StoreResult result;
  } cases[] = {
      {"", "1.", StoreResult::EmptyName},
      {"Y", "", StoreResult::EmptyValue},
      {std::string(256, 'N'), "1.", StoreResult::NameTooLong},
      {"Y", std::string(256, '1'), StoreResult::ValueTooLong},
      {"X", std::string(256, '1'), StoreResult::ValueTooLong},
  };
  for (const auto& c : cases) {
    const SymbolTable before = t;
    EXPECT_EQ(StoreSymbol(t, c.name, c.value), c.result) << c.name.size() << " " << c.value;
    EXPECT_EQ(t.bytes, before.bytes) << c.name.size();
  }
  EXPECT_EQ(StoreSymbol(t, std::string(255, 'N'), std::string(255, 'V')), StoreResult::Stored);
}

TEST(SymbolTable, FullTable) {
  SymbolTable t;
  // Seven entries of 2 + 5 + 255 = 262 bytes: 4 + 1834 = 1838 used, 162 bytes left.
  for (int i = 0; i < 7; ++i)
    ASSERT_EQ(StoreSymbol(t, "NAME" + std::to_string(i), std::string(255, 'v')),
              StoreResult::Stored);
  ASSERT_EQ(UsedSize(t), 1838u);
  const SymbolTable before = t;
  EXPECT_EQ(StoreSymbol(t, "BIG", std::string(158, 'v')), StoreResult::TableFull);
  EXPECT_EQ(t.bytes, before.bytes);
  // Ending exactly at 2000 bytes fits.
  EXPECT_EQ(StoreSymbol(t, "BIG", std::string(157, 'v')), StoreResult::Stored);
  EXPECT_EQ(UsedSize(t), 2000u);
  EXPECT_EQ(StoreSymbol(t, "Z", "1."), StoreResult::TableFull);
  // A longer value for a known name that would not fit is refused; a shorter one frees room.
  EXPECT_EQ(StoreSymbol(t, "BIG", std::string(158, 'v')), StoreResult::TableFull);
  EXPECT_EQ(StoreSymbol(t, "NAME0", "1."), StoreResult::Stored);
  EXPECT_EQ(StoreSymbol(t, "Z", "1."), StoreResult::Stored);
  EXPECT_EQ(FindSymbol(t, "BIG").value_or("").size(), 157u);
}

TEST(Assign, StoresCanonicalNumbersOrText) {
  SymbolTable t;
  ScriptedHost host;
  struct {
    const char* expression;
    const char* value;
  } cases[] = {
      {"3", "3."},
      {"0.5", "0.5"},
      {"1 + 2", "3."},
      {"(1 2) * 2", "2.  4."},
      {"1/3", "0.33333333333333"},
      {"-0.25", "-0.25"},
      {"HELLO  WORLD", "HELLO WORLD"},  // not numbers: the expanded text
      {"TAN(90)", "ERROR"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Assign(t, host, "&V", c.expression)) << c.expression;
    EXPECT_EQ(LookUp(t, "&v").value_or("?"), c.value) << c.expression;
  }
  EXPECT_FALSE(Assign(t, host, "&", "1"));
  EXPECT_FALSE(Assign(t, host, "&W", "   "));
  EXPECT_FALSE(LookUp(t, "&W").has_value());
  EXPECT_TRUE(host.boxes.empty());
}

TEST(Assign, RefusalsShowTheirMessage) {
  struct {
    std::string name, expression, message;
  } cases[] = {
      {"&" + std::string(256, 'N'), "1", "変数名が長すぎます。変数名は２５５バイトまでです。"},
      {"&V", std::string(256, 'x'), "変数の値が長すぎます。値は２５５バイトまでです。"},
  };
  for (const auto& c : cases) {
    SymbolTable t;
    ScriptedHost host;
    EXPECT_FALSE(Assign(t, host, c.name, c.expression));
    ASSERT_TRUE(testing::OneBox(host, c.message, "Error", Icon::Exclamation)) << c.message;
    EXPECT_EQ(UsedSize(t), 0u);
  }
  // A full table: with the line it cuts, in the preprocessor's tests.
}

}  // namespace
}  // namespace lav::macro
