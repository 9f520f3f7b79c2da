#include "platform/sjis.h"

#include <gtest/gtest.h>

namespace lav {
namespace {

TEST(Sjis, RoundTripsCutsWholeCharactersAndReplacesWhatItCannotConvert) {
  struct Case {
    const char *utf8, *sjis;
  } cases[] = {
      {"ﾃﾞｰﾀﾌｧｲﾙ", "\xC3\xDE\xB0\xC0\xCC\xA7\xB2\xD9"},
      {"f･", "f\xA5"},
      {"実行中", "\x8E\xC0\x8D\x73\x92\x86"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sjis::fromUtf8(c.utf8), c.sjis) << c.utf8;
    EXPECT_EQ(sjis::toUtf8(c.sjis), c.utf8) << c.utf8;
  }
  // A cut never splits a two-byte character.
  std::string s = sjis::fromUtf8("aあい");  // 1 + 2 + 2 bytes
  EXPECT_EQ(sjis::cutAt(s, 5), s);
  EXPECT_EQ(sjis::cutAt(s, 4), s.substr(0, 3));
  EXPECT_EQ(sjis::cutAt(s, 2), "a");
  EXPECT_EQ(sjis::cutAt(s, 0), "");
  // What has no counterpart becomes one '?' (to Shift-JIS) or one U+FFFD (to UTF-8), and never
  // takes the characters after it along.
  struct Fallback {
    bool toSjis;
    const char *in, *out;
  } fallbacks[] = {
      // Octal escapes: a byte, then the next character.
      {true, "a€b", "a?b"},           // not in CP932
      {true, "a😀b한", "a?b?"},        // four- and three-byte characters CP932 lacks
      {true, "a\377b", "a?b"},        // not UTF-8 at all
      {true, "a\200b", "a?b"},        // a continuation byte alone
      {true, "a\343bc", "a?bc"},      // a lead byte without its continuation
      {true, "a\343\201", "a?"},      // cut at the end
      {false, "a\200b", "a\uFFFDb"},  // single bytes CP932 leaves unassigned
      {false, "a\240\375b", "a\uFFFD\uFFFDb"},
      {false, "a\205@b", "a\uFFFDb"},   // an unassigned pair is one character
      {false, "a\202 b", "a\uFFFD b"},  // a lead byte before a byte that cannot trail
      {false, "a\202\177b", "a\uFFFD\177b"},
      {false, "a\202", "a\uFFFD"},  // a lead byte at the end
  };
  for (const auto& c : fallbacks)
    EXPECT_EQ(c.toSjis ? sjis::fromUtf8(c.in) : sjis::toUtf8(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace lav
