// DXF conversions through the real program in batch mode: a design sent to DXF and read back,
// and the refusals that must fail the run.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class DxfBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("lavinor-dxf-e2e-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  int run(const std::string& lines) {
    std::ofstream(dir / "in.mac") << lines;
    const std::string cmd = "cd '" + dir.string() + "' && '" LAVINOR_BINARY
                            "' --batch - < in.mac > out.txt 2> err.txt";
    const int raw = std::system(cmd.c_str());
    out = slurp(dir / "out.txt") + slurp(dir / "err.txt");
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  static std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir;
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
  } cases[] = {
      {"DXFOUT\n", "ファイルはまだ開かれていません"},
      {"NEW a\nDXFOUT\nDXFOUT\nCLOSE 0\n", "同名のファイル"},
      {"DXFIN bin.dxf\n", "バイナリ形式"},
      {"DXFIN none\n", "none.DXF"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(run(c.lines), 0) << c.lines << out;
    EXPECT_NE(out.find(c.seen), std::string::npos) << c.lines << out;
  }
}

}  // namespace
