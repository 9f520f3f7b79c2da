// The cell tree report from the real program in batch mode: the report files on disk, the work
// files gone, and a run that succeeds.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/batch_program.h"

namespace {

namespace fs = std::filesystem;

class TreeBatch : public lav::testing::BatchProgramTest {};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

TEST_F(TreeBatch, TwoRunsWriteTwoNumberedReportsOfTheSampleChip) {
  fs::copy_file(fs::path(LAVINOR_DATA_DIR) / "samples" / "sample.cad", dir / "sample.cad");
  const auto r = runBatch("-", "OPEN sample\nOCELL TOP\nTREE\nTREE\nCLOSE 0\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  for (const char* work : {"TREE.$$$", "TREE.$1$"}) EXPECT_FALSE(fs::exists(dir / work)) << work;
  const auto first = Lines(slurp(dir / "TREE000.TXT"));
  const auto second = Lines(slurp(dir / "TREE001.TXT"));
  ASSERT_EQ(first.size(), 5u);
  EXPECT_EQ(first[0].rfind(" ------ " + (dir / "sample.cad").string() + " ----", 0), 0u)
      << first[0];
  EXPECT_EQ(first[1].rfind(" TOP ", 0), 0u);
  // The array of pads and the core with its array of transistors, in Shift-JIS connectors.
  EXPECT_EQ(first[2].rfind(" \x84\xA5PAD ", 0), 0u);
  EXPECT_EQ(first[3].rfind(" \x84\xA4"
                           "CORE ",
                           0),
            0u);
  EXPECT_EQ(first[4].rfind("   \x84\xA4"
                           "FET ",
                           0),
            0u);
  EXPECT_NE(first[4].find(" 2(Array)"), std::string::npos);
  EXPECT_EQ(std::vector(first.begin() + 2, first.end()),
            std::vector(second.begin() + 2, second.end()));
}

TEST_F(TreeBatch, CellsMadeInABatchRunCarryTheDayOfTheRun) {
  const std::time_t before = std::time(nullptr);
  const auto r = runBatch("-", "NEW stamp\nMKCELL TOP\nOCELL TOP\nTREE\nCLOSE\n");
  const std::time_t after = std::time(nullptr);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const auto report = Lines(slurp(dir / "TREE000.TXT"));
  ASSERT_GE(report.size(), 2u);
  // The root line shows the cell's creation stamp as (hh:mm:ss mm/dd/yy).
  bool found = false;
  for (std::time_t t : {before, after}) {
    std::tm local{};
    localtime_r(&t, &local);
    char day[16];
    std::strftime(day, sizeof day, " %m/%d/%y)", &local);
    found |= report[1].find(day) != std::string::npos;
  }
  EXPECT_TRUE(found) << report[1];
}

}  // namespace
