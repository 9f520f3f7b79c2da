// The real program converts on a server: .CAD to GDSII and back in batch mode, with the
// geometry checked by an independent reader where one is installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "interchange/gds_test_support.h"
#include "support/batch_program.h"

namespace {

namespace fs = std::filesystem;
using lav::gds::Rec;
using lav::gds::testing::ReadBytes;
using lav::gds::testing::SplitRecords;

class GdsBatch : public lav::testing::BatchProgramTest {
 protected:
  void ok(const std::string& lines) {
    const auto r = runBatch("-", lines);
    ASSERT_EQ(r.status, 0) << lines << r.out << r.err;
  }
};

// Every element kind, in a leaf and in a top cell that places it singly and as an array.
constexpr const char* kCells =
    "MKCELL LEAF\nLAYER 3\nETYPE 3\nXY 0 0 10 10\nOUTPUT\n"
    "ETYPE 4\nXY 0 0 20 0 20 5\nOUTPUT\n"
    "LAYER 7\nETYPE 5\nXY 0 0 30 30 30 40\nOUTPUT\n"
    "ETYPE 2\nTEXT hello\nXY 1 2\nOUTPUT\n"
    "MKCELL TOP\nETYPE 1\nPLACECELL LEAF\nANGLE 90\nXY 50 50\nOUTPUT\n"
    "ETYPE 0\nPLACECELL LEAF\nARRAY 3 2 40 60\nXY 100 100\nOUTPUT\n";

// The records of a stream that are not the day or the library's name.
std::vector<lav::gds::testing::Raw> Content(const fs::path& p) {
  auto records = SplitRecords(ReadBytes(p));
  std::erase_if(records, [](const auto& r) {
    return r.type == static_cast<std::uint8_t>(Rec::BgnLib) ||
           r.type == static_cast<std::uint8_t>(Rec::BgnStr) ||
           r.type == static_cast<std::uint8_t>(Rec::LibName);
  });
  return records;
}

TEST_F(GdsBatch, DesignToStreamAndBack) {
  ok(std::string("NEW src\n") + kCells + "MKCELL EMPTY\nCLOSE\n");
  ok("OPEN src\nGDSOUT\nCLOSE 0\n");
  ASSERT_TRUE(fs::exists(dir / "src.str"));
  fs::rename(dir / "src.str", dir / "back.str");
  ok("GDSIN back.str\nCLOSE\n");
  EXPECT_TRUE(fs::exists(dir / "back.cad"));
  const std::string log = slurp(dir / "back.txt");
  for (const char* cell : {" TOP ", " LEAF ", " EMPTY "})
    EXPECT_NE(std::string::npos, log.find(cell)) << cell << log;
  // Written again from what was read, the stream says the same, element for element.
  fs::rename(dir / "back.str", dir / "first.str");
  ok("OPEN back\nGDSOUT\nCLOSE 0\n");
  const auto first = Content(dir / "first.str"), again = Content(dir / "back.str");
  EXPECT_GT(first.size(), 30u);
  EXPECT_TRUE(first == again);
  // A damaged file fails the run.
  std::ofstream(dir / "bad.str", std::ios::binary) << std::string("\x00\x06\x00\x02\x00", 5);
  EXPECT_NE(0, runBatch("-", "GDSIN bad.str\n").status);
  EXPECT_FALSE(fs::exists(dir / "bad.cad"));
}

TEST_F(GdsBatch, KLayoutReadsOurStream) {
  if (std::system("command -v klayout > /dev/null 2>&1") != 0) GTEST_SKIP() << "no klayout";
  ok(std::string("NEW k\n") + kCells + "GDSOUT\nCLOSE 0\n");
  std::ofstream(dir / "check.py") << "import pya\n"
                                     "ly = pya.Layout()\n"
                                     "ly.read(src)\n"
                                     "top = ly.cell('TOP')\n"
                                     "names = sorted(c.name for c in ly.each_cell())\n"
                                     "n = sum(1 for _ in top.begin_shapes_rec(ly.layer(3, 0)))\n"
                                     "open(dst, 'w').write(' '.join(names) + ' %g %d\\n' % "
                                     "(ly.dbu, n))\n";
  const std::string cmd = "cd '" + dir.string() +
                          "' && klayout -b -r check.py -rd src=k.str -rd dst=cells.txt "
                          "> /dev/null 2>&1";
  ASSERT_EQ(0, std::system(cmd.c_str()));
  // Layer 3 holds the rectangle and the polygon, in 1 + 6 placements of the leaf.
  EXPECT_EQ("LEAF TOP 0.001 14\n", slurp(dir / "cells.txt"));
}

}  // namespace
