// The real program in batch mode, as a user runs it on a server: command lines in, transcript
// on standard output, boxes on standard error, files on disk and the exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "support/batch_program.h"

namespace {

namespace fs = std::filesystem;

using lav::testing::RunResult;

class Batch : public lav::testing::BatchProgramTest {
 protected:
  // Runs the program in dir with the given lines on standard input.
  RunResult run(const std::string& lines, const std::string& options = "") {
    return runBatch("- " + options, lines);
  }
  bool designExists(const std::string& stem) const {
    for (const auto& e : fs::directory_iterator(dir)) {
      std::string name = e.path().filename().string();
      for (auto& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (name == stem + ".CAD") return true;
    }
    return false;
  }
};

TEST_F(Batch, ADesignIsWrittenReopenedAndTheRunSucceeds) {
  const RunResult r =
      run("NEW chip\nMKCELL PAD\nMKCELL TOP\nLAYER 5\nNEST 3\nCLOSE\n"
          "OPEN chip\nOCELL TOP\nNEST\n\nHYP(3 4)\nCLOSE 0\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_TRUE(designExists("CHIP"));
  EXPECT_NE(r.out.find("Nest(3): "), std::string::npos) << r.out;  // the setting came back
  EXPECT_NE(r.out.find("5.  "), std::string::npos) << r.out;       // the calculator
  EXPECT_EQ(r.err, "");
}

TEST_F(Batch, RefusalsAndUnbuiltCommandsMakeTheRunFail) {
  struct Case {
    const char* lines;
    const char* onStderrOrOut;  // a part of the message the user must see
  } cases[] = {
      {"LAYER 99\n", "入力の範囲は０層から６３層までです。"},
      {"MKCELL A\n", "ファイルはまだ開かれていません"},
      {"NEW a\nMKCELL A\nMKCELL A\nCLOSE 0\n", "同名のセルが在りますので出来ません。"},
      {"OPEN nosuch\n", "nosuch"},
      {"NEW a\nMKCELL A\nXY 99999999999 0 5 5 0 5\nOUTPUT\nCLOSE 0\n", "入力値が範囲外です。"},
  };
  for (const auto& c : cases) {
    const RunResult r = run(c.lines);
    EXPECT_EQ(r.status, 1) << c.lines << r.out << r.err;
    EXPECT_NE((r.err + r.out).find(c.onStderrOrOut), std::string::npos) << c.lines << "\n--- out\n"
                                                                        << r.out << "--- err\n"
                                                                        << r.err;
  }
}

TEST_F(Batch, TheEndOfInputWithAnOpenDesignAsksAndTheAnswerDecides) {
  struct Case {
    const char* answer;
    bool written;
    const char* more = "";  // lines before the end
    int status = 0;
  } cases[] = {{"", true},
               {"--answer yes", true},
               {"--answer no", false},
               // An OK-only error box asks nothing and leaves the answer to the save question.
               {"--answer no", false, "LAYER 99\n", 1}};
  for (const auto& c : cases) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    const RunResult r = run(std::string("NEW keep\nMKCELL A\n") + c.more, c.answer);
    EXPECT_EQ(r.status, c.status) << c.answer << r.err;
    EXPECT_EQ(designExists("KEEP"), c.written) << c.answer;
    EXPECT_NE(r.err.find("終了処理"), std::string::npos) << c.answer << r.err;  // the box
  }
}

TEST_F(Batch, DialogCommandsTakeWordsOrTheFollowingLinesAndNeverFailSilently) {
  struct Case {
    const char* lines;
    int status;
    const char* inStream;  // bytes the design written as out.str holds, or null
    const char* onStderr;  // or null
  } cases[] = {
      {"NEW d\nMKCELL A\nRENCELL A CORE\nETYPE 2\nTEXT hello world\nXY 1 1\nOUTPUT\n"
       "GDSOUT out\nCLOSE\n",
       0, "hello world", nullptr},
      {"NEW d\nMKCELL A\nRENCELL\nA\nPADRING\nOCELL PADRING\nETYPE 2\nTEXT\nfields  read\n"
       "XY 1 1\nOUTPUT\nGDSOUT out\nCLOSE\n",
       0, "fields  read", nullptr},
      {"NEW d\nMKCELL A\nCOPYCELL\nA\nA2\nDELCELL A\nCLOSE\nOPEN\nd\nOCELL A2\nGDSOUT out\nCLOSE\n",
       0, "A2", nullptr},
      {"NEW lib\nMKCELL PAD\nCLOSE\nNEW d\nMKCELL A\nIMPCELL\nlib\nPAD\nPAD2\nOCELL PAD2\n"
       "GDSOUT out\nCLOSE\n",
       0, "PAD2", nullptr},  // the file dialog's line, then the copy dialog's two fields
      {"NEW d\nMKCELL A\nDLGPEN\nCLOSE 0\n", 1, nullptr, "cannot be answered in a batch run"},
      {"NEW d\nMKCELL A\nRENCELL\nA\n", 1, nullptr, "the input ended before the fields"},
      {"NEW d\nMKCELL A\nRENCELL NOSUCH B\nCLOSE 0\n", 1, nullptr, "NOSUCH"},
  };
  for (const auto& c : cases) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    const RunResult r = run(c.lines);
    EXPECT_EQ(r.status, c.status) << c.lines << r.out << r.err;
    if (c.inStream) {
      EXPECT_NE(slurp(dir / "out.str").find(c.inStream), std::string::npos) << c.lines;
    }
    if (c.onStderr) {
      EXPECT_NE(r.err.find(c.onStderr), std::string::npos) << c.lines << r.err;
    }
  }
}

TEST_F(Batch, BadArgumentsAreUsageErrors) {
  for (const char* options : {"--answer maybe", "--frobnicate"}) {
    const RunResult r = run("", options);
    EXPECT_EQ(r.status, 2) << options;
  }
}

// --version works anywhere; without a display the windowed program says in one line to use
// --batch and exits with 2, whether no display is named or the named one does not answer.
TEST_F(Batch, VersionAnswersAndNoDisplayPointsToTheBatchRunner) {
  const std::string noDisplay = "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
  const char* version = "Lavinor [0-9]+\\.[0-9]+\n";
  const char* oneLine = "lavinor: [^\n]*--batch[^\n]*\n";
  struct Case {
    std::string environment, arguments;
    int status;
    const char *out, *err;  // whole-stream patterns
  };
  const Case cases[] = {
      {"", "--version", 0, version, ""},
      {noDisplay, "--version", 0, version, ""},
      {noDisplay, "/S --version", 0, version, ""},
      {noDisplay, "--help", 0, "", "usage: lavinor [\\s\\S]*"},
      {noDisplay, "", 2, "", oneLine},
      {noDisplay, "/S design.cad", 2, "", oneLine},
      {noDisplay + " DISPLAY=:7391", "/S", 2, "", oneLine},
      {"-u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb", "/S", 2, "", oneLine},
  };
  for (const auto& c : cases) {
    const RunResult r = runProgram(c.environment, c.arguments, "");
    const std::string what = c.environment + " lavinor " + c.arguments;
    EXPECT_EQ(r.status, c.status) << what << "\n" << r.err;
    EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out))) << what << "\n" << r.out;
    EXPECT_TRUE(std::regex_match(r.err, std::regex(c.err))) << what << "\n" << r.err;
  }
}

}  // namespace
