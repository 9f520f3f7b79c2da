// DXF conversions through the real program in batch mode: a design sent to DXF and read back,
// and the refusals that must fail the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/batch_program.h"

namespace {

namespace fs = std::filesystem;

class DxfBatch : public lav::testing::BatchProgramTest {
 protected:
  // The run's exit status; its standard output and error in out.
  int run(const std::string& lines) {
    const auto r = runBatch("-", lines);
    out = r.out + r.err;
    return r.status;
  }
  std::string out;
};

TEST_F(DxfBatch, ADesignGoesToDxfAndComesBack) {
  ASSERT_EQ(run("NEW chip\nLNAME 3 METAL1\nMKCELL ENTITIES\nLAYER 3\nETYPE 4\n"
                "XY 0 0 10 0 10 10 0 10\nOUTPUT\nDXFOUT\nCLOSE 0\n"),
            0)
      << out;
  const std::string dxf = slurp(dir / "chip.dxf");
  EXPECT_NE(dxf.find("  8\nMETAL1\n"), std::string::npos) << dxf;
  EXPECT_TRUE(dxf.ends_with("  0\nEOF\n"));
  fs::rename(dir / "chip.dxf", dir / "back.dxf");
  ASSERT_EQ(run("DXFIN back.dxf\nOCELL ENTITIES\nCLOSE\n"), 0) << out;
  EXPECT_TRUE(fs::exists(dir / "back.cad"));
  const std::string log = slurp(dir / "back.txt");
  EXPECT_NE(log.find("METAL1"), std::string::npos) << log;
  EXPECT_NE(log.find("nomal end"), std::string::npos) << log;
}

TEST_F(DxfBatch, RefusalsFailTheRun) {
  std::ofstream(dir / "bin.dxf") << std::string("AutoCAD Binary DXF\r\n\x1a\0", 22);
  struct Case {
    const char* lines;
    const char* seen;
  } cases[] = {{"DXFOUT\n", "ファイルはまだ開かれていません"},
               {"NEW a\nDXFOUT\nDXFOUT\nCLOSE 0\n", "同名のファイル"},
               {"DXFIN bin.dxf\n", "バイナリ形式"},
               {"DXFIN none\n", "none.DXF"}};
  for (const Case& c : cases) {
    EXPECT_NE(run(c.lines), 0) << c.lines << out;
    EXPECT_NE(out.find(c.seen), std::string::npos) << c.lines << out;
  }
}

}  // namespace
