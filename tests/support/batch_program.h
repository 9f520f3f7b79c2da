// Runs the real program in batch mode inside a fresh temporary folder per test.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/files.h"

namespace lav::testing {

struct RunResult {
  int status = -1;
  std::string out, err;
};

class BatchProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("lavinor-e2e-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // "lavinor --batch " + arguments in dir, with input on standard input.
  RunResult runBatch(const std::string& arguments, const std::string& input) {
    return runProgram("", "--batch " + arguments, input);
  }
  // "env " + environment + " lavinor " + arguments in dir, with input on standard input.
  RunResult runProgram(const std::string& environment, const std::string& arguments,
                       const std::string& input) {
    std::ofstream(dir / "in.txt") << input;
    const std::string cmd = "cd '" + dir.string() + "' && env " + environment +
                            " '" LAVINOR_BINARY "' " + arguments + " < in.txt > out.txt 2> err.txt";
    RunResult r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(dir / "out.txt");
    r.err = slurp(dir / "err.txt");
    return r;
  }
  static std::string slurp(const std::filesystem::path& p) { return ReadFile(p); }

  std::filesystem::path dir;
};

}  // namespace lav::testing
