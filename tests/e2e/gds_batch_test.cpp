// The real program converts on a server: .CAD to GDSII and back in batch mode, with the
// geometry checked by an independent reader where one is installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class GdsBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("lavinor-gdsbatch-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  int run(const std::string& lines) {
    std::ofstream(dir / "in.txt") << lines;
    const std::string cmd =
        "cd '" + dir.string() + "' && '" LAVINOR_BINARY "' --batch - < in.txt > out.txt 2> err.txt";
    const int raw = std::system(cmd.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  fs::path dir;
};

TEST_F(GdsBatch, DesignToStreamAndBack) {
  ASSERT_EQ(0, run("NEW src\nMKCELL TOP\nCLOSE\n")) << Slurp(dir / "err.txt");
  ASSERT_EQ(0, run("OPEN src\nGDSOUT\nCLOSE 0\n")) << Slurp(dir / "err.txt");
  ASSERT_TRUE(fs::exists(dir / "src.str"));
  fs::rename(dir / "src.str", dir / "back.str");
  ASSERT_EQ(0, run("GDSIN back.str\nCLOSE\n")) << Slurp(dir / "err.txt");
  EXPECT_TRUE(fs::exists(dir / "back.cad"));
  EXPECT_NE(std::string::npos, Slurp(dir / "back.txt").find(" TOP "));
  // A damaged file fails the run.
  std::ofstream(dir / "bad.str", std::ios::binary) << std::string("\x00\x06\x00\x02\x00", 5);
  EXPECT_NE(0, run("GDSIN bad.str\n"));
  EXPECT_FALSE(fs::exists(dir / "bad.cad"));
}

TEST_F(GdsBatch, KLayoutReadsOurStream) {
  if (std::system("command -v klayout > /dev/null 2>&1") != 0) GTEST_SKIP() << "no klayout";
  ASSERT_EQ(0, run("NEW k\nMKCELL LEAF\nMKCELL TOP\nGDSOUT\nCLOSE 0\n")) << Slurp(dir / "err.txt");
  std::ofstream(dir / "check.py") << "import pya\n"
                                     "ly = pya.Layout()\n"
                                     "ly.read(src)\n"
                                     "names = sorted(c.name for c in ly.each_cell())\n"
                                     "open(dst, 'w').write(' '.join(names) + ' %g\\n' % ly.dbu)\n";
  const std::string cmd = "cd '" + dir.string() +
                          "' && klayout -b -r check.py -rd src=k.str -rd dst=cells.txt "
                          "> /dev/null 2>&1";
  ASSERT_EQ(0, std::system(cmd.c_str()));
  EXPECT_EQ("LEAF TOP 0.001\n", Slurp(dir / "cells.txt"));
}

}  // namespace
