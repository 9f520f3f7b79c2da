#include "platform/sjis.h"

#include <gtest/gtest.h>

namespace lav {
namespace {

TEST(Sjis, RoundTripsJapaneseAndAscii) {
  struct Case {
    const char* utf8;
    const char* sjis;
  } cases[] = {
      {"abc", "abc"},
      {"ﾃﾞｰﾀﾌｧｲﾙ", "\xC3\xDE\xB0\xC0\xCC\xA7\xB2\xD9"},
      {"f･", "f\xA5"},
      {"実行中", "\x8E\xC0\x8D\x73\x92\x86"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sjis::fromUtf8(c.utf8), c.sjis) << c.utf8;
    EXPECT_EQ(sjis::toUtf8(c.sjis), c.utf8) << c.utf8;
  }
}

TEST(Sjis, CutNeverSplitsATwoByteCharacter) {
  std::string s = sjis::fromUtf8("aあい");  // 1 + 2 + 2 bytes
  EXPECT_EQ(sjis::cutAt(s, 5), s);
  EXPECT_EQ(sjis::cutAt(s, 4), s.substr(0, 3));
  EXPECT_EQ(sjis::cutAt(s, 2), "a");
  EXPECT_EQ(sjis::cutAt(s, 0), "");
}

}  // namespace
}  // namespace lav
