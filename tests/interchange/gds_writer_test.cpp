// The stream writer's records, byte for byte, for every element kind and the library frame.
#include "interchange/gds_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "gds_test_support.h"
#include "interchange/gds_real.h"
#include "support/short_forms.h"

namespace lav::gds {
namespace {

namespace fs = std::filesystem;
using testing::Be16;
using testing::Be32;
using testing::Raw;

std::vector<std::uint8_t> Real(double v) {
  std::vector<std::uint8_t> b(8);
  PutReal8(b.data(), v);
  return b;
}
std::vector<std::uint8_t> Str(const std::string& s) {
  std::vector<std::uint8_t> b(s.begin(), s.end());
  if (b.size() % 2) b.push_back(0);
  return b;
}
constexpr std::uint8_t T(Rec r) {
  return static_cast<std::uint8_t>(r);
}
// Records by their data type: none, bits, 2-byte and 4-byte integers, 8-byte real, string.
const auto E = [](Rec r) { return Raw{T(r), 0, {}}; };
const auto Bits = [](Rec r, int v) { return Raw{T(r), 1, Be16({v})}; };
const auto I16 = [](Rec r, std::initializer_list<int> v) { return Raw{T(r), 2, Be16(v)}; };
const auto I32 = [](Rec r, std::initializer_list<long long> v) { return Raw{T(r), 3, Be32(v)}; };
const auto R8 = [](Rec r, double v) { return Raw{T(r), 5, Real(v)}; };
const auto S = [](Rec r, const std::string& s) { return Raw{T(r), 6, Str(s)}; };

class StreamWriterTest : public ::testing::Test {
 protected:
  // Runs body inside one structure and returns the records between STRNAME and ENDSTR.
  std::vector<Raw> element(const std::function<void(StreamWriter&)>& body) {
    std::vector<std::uint8_t> bytes;
    StreamWriter w;
    fs::remove(dir / "e.str");
    EXPECT_EQ(0, w.openLibrary((dir / "e.str").string(), 0.001, {26, 12, 6, 1, 2, 3},
                               [&](const std::uint8_t* d, std::size_t n) {
                                 bytes.insert(bytes.end(), d, d + n);
                                 return true;
                               }));
    EXPECT_EQ(0, w.beginStructure("C", {1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}));
    body(w);
    EXPECT_TRUE(w.closeLibrary());
    auto all = testing::SplitRecords(bytes);
    std::vector<Raw> inner;
    bool in = false;
    for (const auto& r : all) {
      if (r.type == T(Rec::EndStr)) break;
      if (in) inner.push_back(r);
      if (r.type == T(Rec::StrName)) in = true;
    }
    return inner;
  }
  lav::testing::ScratchFolder scratch;
  fs::path dir = scratch.dir;
};

TEST(StreamReal, KnownEncodingsAndRoundTrip) {
  struct Case {
    double v;
    const char* hex;
  };
  // Values as other writers of the format encode them.
  const Case cases[] = {{1.0, "4110000000000000"},  {0.5, "4080000000000000"},
                        {-2.0, "c120000000000000"}, {0.001, "3e4189374bc6a7f0"},
                        {1e-9, "3944b82fa09b5a54"}, {90.0, "425a000000000000"},
                        {2.5, "4128000000000000"},  {0.0, "0000000000000000"}};
  for (const auto& c : cases) {
    std::uint8_t b[8];
    PutReal8(b, c.v);
    char hex[17];
    for (int i = 0; i < 8; ++i) std::snprintf(hex + 2 * i, 3, "%02x", b[i]);
    EXPECT_STREQ(c.hex, hex) << c.v;
    EXPECT_DOUBLE_EQ(c.v, GetReal8(b));
  }
  for (double v : {1e-3, 1e-9, 123456.789, -0.0625, 359.999999, 1e70, 1e-70}) {
    std::uint8_t b[8];
    PutReal8(b, v);
    EXPECT_NEAR(v, GetReal8(b), std::fabs(v) * 1e-15) << v;
  }
}

TEST_F(StreamWriterTest, LibraryFrameBytes) {
  std::vector<std::uint8_t> bytes;
  StreamWriter w;
  const std::string path = (dir / "lib.str").string();
  ASSERT_EQ(0, w.openLibrary(path, 0.001, {26, 12, 6, 13, 45, 30},
                             [&](const std::uint8_t* d, std::size_t n) {
                               bytes.insert(bytes.end(), d, d + n);
                               return true;
                             }));
  ASSERT_TRUE(w.closeLibrary());
  const std::vector<Raw> expected = {
      I16(Rec::Header, {3}),
      I16(Rec::BgnLib, {26, 12, 6, 13, 45, 30, 26, 12, 6, 13, 45, 30}),
      S(Rec::LibName, (dir / "lib.DB").string()),
      {T(Rec::Units), 5,
       [] {
         auto a = Real(0.001), b = Real(1e-9);
         a.insert(a.end(), b.begin(), b.end());
         return a;
       }()},
      E(Rec::EndLib)};
  EXPECT_EQ(expected, testing::SplitRecords(bytes));
  // 2048 zero bytes follow ENDLIB.
  ASSERT_GE(bytes.size(), 2048u);
  EXPECT_EQ(std::vector<std::uint8_t>(2048, 0),
            std::vector<std::uint8_t>(bytes.end() - 2048, bytes.end()));
  EXPECT_EQ(std::vector<std::uint8_t>({0, 6, 0, 2, 0, 3}),
            std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 6));
}

TEST_F(StreamWriterTest, EveryElementKind) {
  struct Case {
    const char* what;
    std::function<void(StreamWriter&)> body;
    std::vector<Raw> expected;
  };
  const std::vector<UserPoint> tri = {{0, 0}, {1, 0}, {1, 1}, {0, 0}};
  const std::vector<Case> cases = {
      {"boundary",
       [&](StreamWriter& w) {
         w.layer = 5;
         w.boundary(tri);
       },
       {E(Rec::Boundary), I16(Rec::Layer, {5}), I16(Rec::DataType, {0}),
        I32(Rec::Xy, {0, 0, 1000, 0, 1000, 1000, 0, 0}), E(Rec::EndEl)}},
      {"path with extended ends",
       [&](StreamWriter& w) {
         w.layer = 63;
         w.pathType = 2;
         w.path(std::vector<UserPoint>{{0, 0}, {-2, 0}}, 0.25);
       },
       {E(Rec::Path), I16(Rec::Layer, {63}), I16(Rec::DataType, {0}), I16(Rec::PathType, {2}),
        I32(Rec::Width, {250}), I32(Rec::Xy, {0, 0, -2000, 0}), E(Rec::EndEl)}},
      {"plain placement: no MAG, no ANGLE",
       [&](StreamWriter& w) {
         w.structureReference("AB", {1.5, -2});
       },
       {E(Rec::Sref), S(Rec::Sname, "AB"), Bits(Rec::Strans, 0), I32(Rec::Xy, {1500, -2000}),
        E(Rec::EndEl)}},
      {"reflected, magnified, rotated placement",
       [&](StreamWriter& w) {
         w.reflected = true;
         w.magnification = 2.0;
         w.angle = 90;
         w.structureReference("ABC", {0, 0});
       },
       {E(Rec::Sref), S(Rec::Sname, "ABC"), Bits(Rec::Strans, 0x8000), R8(Rec::Mag, 2.0),
        R8(Rec::Angle, 90), I32(Rec::Xy, {0, 0}), E(Rec::EndEl)}},
      {"array 3 x 2",
       [&](StreamWriter& w) {
         w.arrayReference("A", {0, 0}, 3, 2, 10, 5);
       },
       {E(Rec::Aref), S(Rec::Sname, "A"), Bits(Rec::Strans, 0), I16(Rec::ColRow, {3, 2}),
        I32(Rec::Xy, {0, 0, 30000, 0, 0, 10000}), E(Rec::EndEl)}},
      {"reflected array: rows below the origin",
       [&](StreamWriter& w) {
         w.reflected = true;
         w.arrayReference("A", {1, 1}, 3, 2, 10, 5);
       },
       {E(Rec::Aref), S(Rec::Sname, "A"), Bits(Rec::Strans, 0x8000), I16(Rec::ColRow, {3, 2}),
        I32(Rec::Xy, {1000, 1000, 31000, 1000, 1000, -9000}), E(Rec::EndEl)}},
      {"array at a quarter turn with magnification",
       [&](StreamWriter& w) {
         w.angle = 90;
         w.magnification = 2.0;
         w.arrayReference("A", {0, 0}, 3, 2, 10.0 / 2, 5.0 / 2);
       },
       {E(Rec::Aref), S(Rec::Sname, "A"), Bits(Rec::Strans, 0), R8(Rec::Mag, 2.0),
        R8(Rec::Angle, 90), I16(Rec::ColRow, {3, 2}), I32(Rec::Xy, {0, 0, 0, 30000, -10000, 0}),
        E(Rec::EndEl)}},
      {"text carries the last path type",
       [&](StreamWriter& w) {
         w.pathType = 2;
         w.layer = 3;
         w.width = 0.5;
         w.text({2, 3}, "HELLO", 2);
       },
       {E(Rec::Text), I16(Rec::Layer, {3}), I16(Rec::TextType, {0}), Bits(Rec::Presentation, 0),
        I16(Rec::PathType, {2}), I32(Rec::Width, {500}), Bits(Rec::Strans, 0),
        I32(Rec::Xy, {2000, 3000}), S(Rec::String, "HELLO"), E(Rec::EndEl)}},
      {"halves away from zero",
       [&](StreamWriter& w) {
         w.boundary(std::vector<UserPoint>{{0.0025, -0.0025}, {0.0024, -0.0026}});
       },
       {E(Rec::Boundary), I16(Rec::Layer, {0}), I16(Rec::DataType, {0}),
        I32(Rec::Xy, {3, -3, 2, -3}), E(Rec::EndEl)}},
      {"layers outside 0..63 write nothing",
       [&](StreamWriter& w) {
         w.layer = 64;
         EXPECT_EQ(-2, w.boundary(tri));
         EXPECT_EQ(-2, w.text({0, 0}, "X", 2));
         w.layer = -1;
         EXPECT_EQ(-2, w.path(tri, 1));
       },
       {}}
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, element(c.body)) << c.what;
}

TEST_F(StreamWriterTest, StringLengthsArePaddedToEven) {
  for (const std::string& name :
       std::vector<std::string>{"A", "AB", std::string(31, 'x'), std::string(32, 'y')}) {
    const auto recs = element([&](StreamWriter& w) { w.structureReference(name, {0, 0}); });
    ASSERT_FALSE(recs.empty());
    EXPECT_EQ(name.size() + (name.size() % 2), recs[1].data.size()) << name;
    if (name.size() % 2) {
      EXPECT_EQ(0, recs[1].data.back());
    }
  }
}

TEST_F(StreamWriterTest, RefusalsOfTheFrame) {
  StreamWriter w;
  EXPECT_EQ(-1, w.beginStructure("A", {}, {}));
  EXPECT_EQ(-3, w.openLibrary((dir / "no" / "abcdefghij.str").string(), 0.001, {}));
  ASSERT_EQ(0, w.openLibrary((dir / "abcdefghi.str").string(), 0.001, {}));
  EXPECT_EQ(-1, w.openLibrary((dir / "x.str").string(), 0.001, {}));
  EXPECT_EQ(-1, w.boundary(std::vector<UserPoint>{{0, 0}}));
  EXPECT_EQ(0, w.beginStructure("A", {}, {}));
  EXPECT_EQ(-2, w.beginStructure("A", {}, {}));  // the same name twice in a row
  EXPECT_EQ(-1, w.structureReference("B", {0, 0}));
  EXPECT_TRUE(w.closeLibrary());
  // An existing file is never written over.
  StreamWriter again;
  EXPECT_EQ(-3, again.openLibrary((dir / "abcdefghi.str").string(), 0.001, {}));
}

TEST_F(StreamWriterTest, ValuesBeyondTheFileRangeAreFlagged) {
  StreamWriter w;
  ASSERT_EQ(0, w.openLibrary((dir / "big.str").string(), 0.0001, {}));
  w.beginStructure("A", {}, {});
  w.boundary(std::vector<UserPoint>{{300000, 0}});  // 3e9 file units
  EXPECT_TRUE(w.rangeError);
  w.closeLibrary();
}

}  // namespace
}  // namespace lav::gds
