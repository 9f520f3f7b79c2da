// Macros through the real program in batch mode: macro files written to disk and run with
// --batch, their INKEY$ answers on standard input, AUTO.MAC at start and the limits that stop
// an endless loop.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/batch_program.h"

namespace {

namespace fs = std::filesystem;

using lav::testing::RunResult;

class MacroBatch : public lav::testing::BatchProgramTest {
 protected:
  // A macro file in dir; lines end with CR LF as the program's own files do.
  void writeMacro(const std::string& name, const std::vector<std::string>& lines) {
    std::ofstream out(dir / name, std::ios::binary);
    for (const auto& l : lines) out << l << "\r\n";
  }
  // Runs the program in dir: "--batch " + target, the given standard input and options.
  RunResult run(const std::string& target, const std::string& input,
                const std::string& options = "") {
    return runBatch(target + " " + options, input);
  }
  static bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

TEST_F(MacroBatch, AMacroFileBuildsADesignWithALoopAndAnswersFromInput) {
  writeMacro("build.mac", {"# cells named by a counter", "INKEY$ \"How many cells\" &N", "NEW ring",
                           "&I = 0", "$NEXT", "&I = &I + 1", "MKCELL C&I", "GOTO#- &I - &N $NEXT",
                           "ECHO$ made &I cells", "CLOSE"});
  RunResult r = run("BUILD.MAC", "3\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "How many cells\n")) << r.out;
  EXPECT_TRUE(has(r.out, "made 3. cells\n")) << r.out;
  EXPECT_EQ(r.err, "");
  ASSERT_TRUE(fs::exists(dir / "ring.cad")) << r.out;

  // The cells are in the written design: each opens, a fourth does not exist.
  r = run("-", "OPEN ring\nOCELL C1.\nOCELL C3.\nCLOSE 0\n", "--no-auto-macro");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  r = run("-", "OPEN ring\nOCELL C4.\nCLOSE 0\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "セル C4. が見つかりません。")) << r.err;
}

TEST_F(MacroBatch, TypedLinesRunMacrosNestedOnesAndAutoMacroFirst) {
  writeMacro("OUTER.MAC", {"ECHO$ outer", "MACRO INNER", "ECHO$ back &X"});
  writeMacro("INNER.MAC", {"&X = 7", "ECHO$ inner"});
  const RunResult r = run("-", "MACRO outer\n&X * 2\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_LT(r.out.find("outer\n"), r.out.find("inner\n"));
  EXPECT_LT(r.out.find("inner\n"), r.out.find("back 7.\n"));
  EXPECT_TRUE(has(r.out, "14.  ")) << r.out;  // the variable outlives the macro
  // AUTO.MAC runs first unless turned off.
  writeMacro("AUTO.MAC", {"&GREETING = 42", "ECHO$ auto ran"});
  RunResult a = run("-", "&GREETING + 1\n");
  EXPECT_EQ(a.status, 0) << a.err;
  EXPECT_TRUE(has(a.out, "auto ran\n")) << a.out;
  EXPECT_TRUE(has(a.out, "43.  ")) << a.out;
  a = run("-", "ECHO alone\n", "--no-auto-macro");
  EXPECT_FALSE(has(a.out, "auto ran")) << a.out;
}

TEST_F(MacroBatch, ALineLimitEndsAnEndlessLoopAndTheDesignSurvives) {
  writeMacro("SPIN.MAC", {"$L", "&K = &K + 1", "GOTO#! $L"});
  RunResult r =
      run("-", "NEW keep\nMKCELL TOP\nMACRO SPIN\nMKCELL NEVER\n", "--max-macro-lines 3000");
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_TRUE(has(r.err, "マクロが 3000 行を実行したので中止しました")) << r.err;
  EXPECT_TRUE(has(r.out, "***BREAK MACRO***")) << r.out;
  // The run stopped there; the end of the run wrote the design as it was.
  r = run("-", "OPEN keep\nOCELL TOP\nCLOSE 0\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  r = run("-", "OPEN keep\nOCELL NEVER\nCLOSE 0\n");
  EXPECT_EQ(r.status, 1);

  const RunResult t = run("SPIN.MAC", "", "--max-macro-seconds 0.2");
  EXPECT_EQ(t.status, 1) << t.err;
  EXPECT_TRUE(has(t.err, "秒を超えて実行されたので中止しました")) << t.err;
}

TEST_F(MacroBatch, StopSignalsActAsEscapeAndNothingIsWritten) {
  writeMacro("SPIN.MAC",
             {"TFILE started.txt", "TWRITE go", "&K = 0", "$L", "&K = &K + 1", "GOTO#! $L"});
  writeMacro("WAIT.MAC", {"TFILE started.txt", "TWRITE go"});
  struct Case {
    int signal;
    const char* macro;  // SPIN loops for ever; after WAIT the run waits for more input
    bool breaks;        // "***BREAK MACRO***"
  } cases[] = {{SIGINT, "SPIN", true}, {SIGTERM, "SPIN", true}, {SIGINT, "WAIT", false}};
  std::signal(SIGPIPE, SIG_IGN);  // a program that ended early must not end the test too
  for (const auto& c : cases) {
    fs::remove(dir / "started.txt");
    fs::remove(dir / "keep.cad");
    ASSERT_EQ(run("-", "NEW keep\nMKCELL A\nCLOSE\n").status, 0);
    const std::string saved = slurp(dir / "keep.cad");
    int input[2];
    ASSERT_EQ(::pipe(input), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::dup2(input[0], 0);
      ::close(input[1]);
      if (::chdir(dir.c_str()) != 0) ::_exit(3);
      ::dup2(::open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
      ::dup2(::open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
      ::execl(LAVINOR_BINARY, LAVINOR_BINARY, "--batch", "-", static_cast<char*>(nullptr));
      ::_exit(3);
    }
    ::close(input[0]);
    // After SPIN the last lines stay unread; after WAIT the run waits for a line that never
    // comes.
    const std::string lines = std::string("OPEN keep\nMKCELL B\nMACRO ") + c.macro + "\n" +
                              (c.breaks ? "MKCELL C\nCLOSE\n" : "");
    ASSERT_EQ(::write(input[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    for (int i = 0; i < 400 && slurp(dir / "started.txt").empty(); ++i) ::usleep(25000);
    ::usleep(100000);  // into the loop, or waiting for input
    ::kill(pid, c.signal);
    int raw = 0;
    pid_t ended = 0;
    for (int i = 0; i < 400 && (ended = ::waitpid(pid, &raw, WNOHANG)) == 0; ++i) ::usleep(25000);
    ::close(input[1]);
    if (ended == 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &raw, 0);
      ADD_FAILURE() << c.macro << ": the run did not stop";
    }
    const std::string out = slurp(dir / "out.txt"), err = slurp(dir / "err.txt");
    ASSERT_TRUE(WIFEXITED(raw)) << c.macro << err;
    EXPECT_EQ(WEXITSTATUS(raw), 1) << c.macro << err;
    EXPECT_EQ(has(out, "***BREAK MACRO***"), c.breaks) << c.macro << out;
    EXPECT_TRUE(has(err, std::string("stopped by ") + (c.signal == SIGINT ? "SIGINT" : "SIGTERM") +
                             "; the open design is closed without writing"))
        << err;
    EXPECT_FALSE(has(err, "終了処理")) << err;             // no save question
    EXPECT_EQ(slurp(dir / "keep.cad"), saved) << c.macro;  // B was never written
  }
}

TEST_F(MacroBatch, RefusalsMakeTheRunFail) {
  struct Case {
    const char *target, *input, *options;
    int status;  // 2 for a usage error
    const char* message;
  } cases[] = {{"-", "MACRO ABSENT\n", "", 1, "ファイル ABSENT.MAC を開くことが出来ませんでした。"},
               {"ASK.MAC", "", "", 1, "the input ended while a macro waited for an INKEY$ answer"},
               {"JUMP.MAC", "", "", 1, "にラベル $NOWHERE が見つかりません。"},
               {"NOFILE.MAC", "", "", 2, "cannot open NOFILE.MAC"},
               {"-", "", "--max-macro-lines ten", 2, "--max-macro-lines needs a positive number"}};
  writeMacro("ASK.MAC", {"INKEY$ \"Size\" &S", "ECHO$ never"});
  writeMacro("JUMP.MAC", {"GOTO#! $NOWHERE", "ECHO$ never"});
  for (const auto& c : cases) {
    const RunResult r = run(c.target, c.input, c.options);
    EXPECT_EQ(r.status, c.status) << c.target << r.err;
    EXPECT_TRUE(has(r.err, c.message)) << r.err;
    EXPECT_FALSE(has(r.out, "never")) << r.out;
  }
}

}  // namespace
