// The real program in batch mode, as a user runs it on a server: command lines in, transcript
// on standard output, boxes on standard error, files on disk and the exit status.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "db/cad_file.h"
#include "db/design_builder.h"
#include "db/design_files.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"
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
      {"9999999999999999999999999999999999999999999999999"
       "99999999999999999999999999999999999999999999999999\n",  // beyond the 91-byte input line
       "入力行に入りきりません。"},
      {"NEW a\nMKCELL A\nGDSOUT a.str\nGDSOUT a.str\nCLOSE 0\n", "同名のファイル"},
      {"GDSIN nosuch.str\n", "nosuch.str"},
      {"DXFIN nosuch\n", "nosuch.DXF"},
  };
  for (const auto& c : cases) {
    const RunResult r = run(c.lines);
    EXPECT_EQ(r.status, 1) << c.lines << r.out << r.err;
    // One refusal is one error, whichever path showed it.
    EXPECT_NE(r.err.find(", 1 error(s)\n"), std::string::npos) << c.lines << r.err;
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

// Starts the program in dir with input on its standard input; returns its pid.
pid_t StartBatch(const fs::path& dir, const std::string& input, int tag = 0) {
  const std::string in = "in" + std::to_string(tag) + ".txt";
  std::ofstream(dir / in) << input;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(99);
    const std::string cmd = "exec '" LAVINOR_BINARY "' --batch - < " + in + " > /dev/null 2>&1";
    ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
    ::_exit(99);
  }
  return pid;
}

std::string WorkFilesIn(const fs::path& dir) {
  std::string names;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind("BUF$BUFF.88B", 0) == 0)
      names += e.path().filename().string() + " ";
  return names;
}

// A kill at any moment of an export leaves either the whole file or none under its name, and
// the next run in the folder clears the killed run's work file. 2 x 8 kills spread over the
// run's length took about 2 s.
TEST_F(Batch, AKilledExportLeavesNoCutOffFileAndNoWorkFile) {
  {
    lav::ScriptedHost host;
    lav::AppState app{host};
    lav::db::testing::NewImage(app.design);
    lav::db::testing::FillRealistic(app.design, 12, 300);
    app.design.path = (dir / "big.cad").string();
    ASSERT_TRUE(lav::db::CloseDesign(app, true));
  }
  struct Case {
    const char* command;
    const char* file;
    std::string ending;  // the bytes a complete file ends with
  } cases[] = {
      {"GDSOUT k.str", "k.str", std::string("\x00\x04\x04\x00", 4) + std::string(2048, '\0')},
      {"DXFOUT k.dxf", "k.dxf", "EOF\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const std::string lines = std::string("OPEN big\n") + c.command + "\nCLOSE 0\n";
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(run(lines).status, 0);
    const auto full = std::chrono::steady_clock::now() - t0;
    const std::string whole = slurp(dir / c.file);
    ASSERT_TRUE(whole.ends_with(c.ending));
    int none = 0;
    for (int k = 0; k < 8; ++k) {
      fs::remove(dir / c.file);
      const pid_t pid = StartBatch(dir, lines);
      std::this_thread::sleep_for(full * (k + 1) / 9);
      ::kill(pid, SIGKILL);
      int status = 0;
      ::waitpid(pid, &status, 0);
      if (fs::exists(dir / c.file)) {
        // Whole: the dates inside may differ, the length and the end may not.
        const std::string left = slurp(dir / c.file);
        EXPECT_TRUE(left.size() == whole.size() && left.ends_with(c.ending)) << "kill " << k;
      } else {
        ++none;
      }
    }
    EXPECT_GT(none, 0) << "no kill landed inside the export";
    // The next run removes what the killed ones left, and finds the name free.
    fs::remove(dir / c.file);
    EXPECT_EQ(run(lines).status, 0);
    EXPECT_EQ(WorkFilesIn(dir), "");
    EXPECT_EQ(slurp(dir / c.file).size(), whole.size());
    fs::remove(dir / c.file);
  }
}

// Two programs working on one design at the same moment: one is refused with the file's name,
// or they take turns; no edit is ever lost. 6 races of two runs took about a second.
TEST_F(Batch, TwoRunsOnOneDesignLoseNoEdit) {
  ASSERT_EQ(run("NEW both\nMKCELL TOP\nCLOSE\n").status, 0);
  std::string padding;
  for (int i = 0; i < 300; ++i) padding += "1+" + std::to_string(i) + "\n";
  for (int trial = 0; trial < 6; ++trial) {
    pid_t pids[2];
    for (int i = 0; i < 2; ++i)
      pids[i] =
          StartBatch(dir,
                     "OPEN " + (dir / "both").string() + "\nMKCELL C" + std::to_string(trial) +
                         "_" + std::to_string(i) + "\n" + padding + "CLOSE\n",
                     i);
    int status[2];
    for (int i = 0; i < 2; ++i) ::waitpid(pids[i], &status[i], 0);
    lav::db::DesignImage design;
    ASSERT_EQ(lav::db::LoadCadFile((dir / "both.cad").string(), design), lav::db::LoadError::None);
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(WIFEXITED(status[i]));
      const std::string cell = "C" + std::to_string(trial) + "_" + std::to_string(i);
      if (WEXITSTATUS(status[i]) == 0) {
        EXPECT_EQ(lav::db::FindCell(design, cell).result, lav::db::FindResult::Found)
            << cell << " was lost";
      }
    }
  }
  // A design held open by another program is refused by name.
  const pid_t holder = StartBatch(dir, "OPEN both\n" + padding + padding + padding + "CLOSE 0\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const RunResult r = run("OPEN both\nCLOSE 0\n");
  ::waitpid(holder, nullptr, 0);
  if (r.status != 0) {
    EXPECT_NE(r.err.find("他のプログラムで開かれています"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("both"), std::string::npos) << r.err;
  }
}

// A full disk (here a file size limit of 0) leaves neither a cut-off output nor an empty log.
TEST_F(Batch, AFullDiskLeavesNoEmptyLogBehind) {
  ASSERT_EQ(run("NEW d\nMKCELL TOP\nCLOSE\n").status, 0);
  for (const char* command : {"GDSOUT f.str", "DXFOUT f.dxf"}) {
    std::ofstream(dir / "in.txt") << "OPEN d\n" << command << "\nCLOSE 0\n";
    const std::string cmd = "cd '" + dir.string() + "' && trap '' XFSZ && (ulimit -f 0; exec '" +
                            LAVINOR_BINARY "' --batch - < in.txt > /dev/null 2>&1)";
    const int raw = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << command;
    EXPECT_FALSE(fs::exists(dir / "f.str")) << command;
    EXPECT_FALSE(fs::exists(dir / "f.dxf")) << command;
    EXPECT_FALSE(fs::exists(dir / "f.txt")) << command;
    EXPECT_EQ(WorkFilesIn(dir), "") << command;
  }
}

// Input converters whose log cannot be created say which file it was.
TEST_F(Batch, AConverterThatCannotCreateItsLogNamesIt) {
  ASSERT_EQ(run("NEW s\nMKCELL TOP\nGDSOUT s.str\nDXFOUT s.dxf\nCLOSE 0\n").status, 0);
  fs::remove(dir / "s.txt");
  fs::create_directories(dir / "s.txt");  // the log's name is taken by a folder
  for (const char* command : {"GDSIN s.str", "DXFIN s.dxf"}) {
    const RunResult r = run(std::string(command) + "\n");
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_NE(r.err.find("s.txt を作成できません"), std::string::npos) << command << r.err;
    EXPECT_FALSE(designExists("S")) << command;
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
