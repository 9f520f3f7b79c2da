// The real program in batch mode, as a user runs it on a server: command lines in, transcript
// on standard output, boxes on standard error, files on disk and the exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "db/cad_file.h"
#include "db/design_builder.h"
#include "db/design_files.h"
#include "db/messages.h"
#include "interchange/gds_test_support.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"
#include "support/batch_program.h"
#include "support/short_forms.h"

namespace {

namespace fs = std::filesystem;

using lav::testing::RunResult;
using lav::testing::Split;

class Batch : public lav::testing::BatchProgramTest {
 protected:
  // Runs the program in dir with the given lines on standard input.
  RunResult run(const std::string& lines, const std::string& options = "") {
    return runBatch("- " + options, lines);
  }
  // A run that must succeed.
  void ok(const std::string& lines) {
    const RunResult r = run(lines);
    ASSERT_EQ(r.status, 0) << lines << r.out << r.err;
  }
  // A macro file in dir; lines end with CR LF as the program's own files do.
  void writeMacro(const std::string& name, const std::vector<std::string>& lines) {
    std::ofstream out(dir / name, std::ios::binary);
    for (const auto& l : lines) out << l << "\r\n";
  }
  static bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

TEST_F(Batch, RefusalsFailTheRunDialogCommandsTakeWordsOrLinesAndTheEndOfInputAsks) {
  struct Case {
    const char* lines;
    const char* onStderrOrOut;  // a part of the message the user must see
  } cases[] = {
      {"LAYER 99\n", "入力の範囲は０層から６３層までです。"},
      {"MKCELL A\n", "ファイルはまだ開かれていません"},
      {"NEW a\nMKCELL A\nXY 99999999999 0 5 5 0 5\nOUTPUT\nCLOSE 0\n", "入力値が範囲外です。"},
      {"9999999999999999999999999999999999999999999999999"
       "99999999999999999999999999999999999999999999999999\n",  // beyond the 91-byte input line
       "入力行に入りきりません。"},
      {"NEW a\nMKCELL A\nGDSOUT a.str\nGDSOUT a.str\nCLOSE 0\n", "同名のファイル"},
      {"DXFIN nosuch\n", "nosuch.DXF"},
      {"DXFIN bin.dxf\n", "バイナリ形式"},
  };
  std::ofstream(dir / "bin.dxf") << std::string("AutoCAD Binary DXF\r\n\x1a\0", 22);
  for (const auto& c : cases) {
    const RunResult r = run(c.lines);
    EXPECT_EQ(r.status, 1) << c.lines << r.out << r.err;
    // One refusal is one error, whichever path showed it.
    EXPECT_NE(r.err.find(", 1 error(s)\n"), std::string::npos) << c.lines << r.err;
    EXPECT_NE((r.err + r.out).find(c.onStderrOrOut), std::string::npos) << c.lines << "\n--- out\n"
                                                                        << r.out << "--- err\n"
                                                                        << r.err;
  }
  // Dialog commands take words or the following lines, and never fail silently.
  struct Dialog {
    const char* lines;
    int status;
    const char* inStream;  // bytes the design written as out.str holds, or null
    const char* onStderr;  // or null
  } dialogs[] = {
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
  for (const auto& c : dialogs) {
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
  // The end of the input with a design open asks, and the answer decides.
  struct Ending {
    const char* answer;
    bool written;
    const char* more = "";  // lines before the end
    int status = 0;
  } endings[] = {{"", true},
                 {"--answer no", false},
                 // An OK-only error box asks nothing and leaves the answer to the save question.
                 {"--answer no", false, "LAYER 99\n", 1}};
  for (const auto& c : endings) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    const RunResult r = run(std::string("NEW keep\nMKCELL A\n") + c.more, c.answer);
    EXPECT_EQ(r.status, c.status) << c.answer << r.err;
    EXPECT_EQ(fs::exists(dir / "keep.cad"), c.written) << c.answer;
    EXPECT_NE(r.err.find("終了処理"), std::string::npos) << c.answer << r.err;  // the box
  }
}

// The records of a stream that are not the day or the library's name.
std::vector<lav::gds::testing::Raw> Content(const fs::path& p) {
  using lav::gds::Rec;
  auto records = lav::gds::testing::SplitRecords(lav::gds::testing::ReadBytes(p));
  std::erase_if(records, [](const auto& r) {
    return r.type == static_cast<std::uint8_t>(Rec::BgnLib) ||
           r.type == static_cast<std::uint8_t>(Rec::BgnStr) ||
           r.type == static_cast<std::uint8_t>(Rec::LibName);
  });
  return records;
}

// Field for field, every element kind's trip is the stream tests'; here the batch runs and the
// files they leave.
TEST_F(Batch, ADesignGoesToStreamAndDxfAndComesBack) {
  // A name of any length goes out, comes in and goes out again, each log and design beside it.
  const std::string name = "photonics_back_layout";
  ok("NEW src\nMKCELL LEAF\nLAYER 3\nETYPE 3\nXY 0 0 10 10\nOUTPUT\nETYPE 2\nTEXT hello\nXY 1 2\n"
     "OUTPUT\nMKCELL TOP\nETYPE 0\nPLACECELL LEAF\nARRAY 3 2 40 60\nXY 100 100\nOUTPUT\n"
     "MKCELL EMPTY\nGDSOUT " +
     name + "\nCLOSE\n");
  ok("GDSIN " + name + ".str\nGDSOUT " + name + "_again\nDXFOUT " + name + "_mech\nCLOSE\nDXFIN " +
     name + "_mech.dxf\nCLOSE\n");
  for (const char* file :
       {".str", ".txt", ".cad", "_again.str", "_again.txt", "_mech.dxf", "_mech.txt", "_mech.cad"})
    EXPECT_TRUE(fs::exists(dir / (name + file))) << file;
  const std::string log = slurp(dir / (name + ".txt"));
  for (const char* cell : {" TOP ", " LEAF ", " EMPTY "})
    EXPECT_NE(std::string::npos, log.find(cell)) << cell << log;
  // Written again from what was read, the stream says the same, element for element.
  const auto first = Content(dir / (name + ".str"));
  EXPECT_GT(first.size(), 15u);
  EXPECT_TRUE(Content(dir / (name + "_again.str")) == first);
  EXPECT_NE(slurp(dir / (name + "_mech.txt")).find("nomal end"), std::string::npos);
  // A damaged file fails the run.
  std::ofstream(dir / "bad.str", std::ios::binary) << std::string("\x00\x06\x00\x02\x00", 5);
  EXPECT_NE(0, run("GDSIN bad.str\n").status);
  EXPECT_FALSE(fs::exists(dir / "bad.cad"));
}

// How often the run printed a line: the notices beyond the classic limits come once.
std::size_t Occurrences(const std::string& out, const std::string& text) {
  std::size_t n = 0;
  for (auto at = out.find(text); at != std::string::npos; at = out.find(text, at + 1)) ++n;
  return n;
}

TEST_F(Batch, PastTheClassicSizeOrCellCountTheRunTellsOnceAndTheDesignComesBackWhole) {
  // About 8 MB of stream: 140,000 boundaries in four cells, more than the classic image holds.
  lav::gds::testing::StreamBuilder b;
  b.library();
  for (int cell = 0; cell < 4; ++cell) {
    b.structure("C" + std::to_string(cell));
    for (std::int32_t i = 0; i < 35000; ++i) {
      const std::int32_t x = i * 7 + cell, y = i % 1000;
      b.boundary(cell + 1, {x, y, x + 5, y, x + 5, y + 3 + cell, x, y + 3 + cell, x, y});
    }
    b.endStructure();
  }
  lav::gds::testing::WriteBytes(dir / "big.str", b.endLibrary().bytes());
  auto told = [](const RunResult& r) {
    return Occurrences(r.out, lav::db::msg::kBeyondClassicSize);
  };
  RunResult r = run("GDSIN big.str\nMKCELL MORE\nLAYER 1\nGDSOUT first\nCLOSE\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(told(r), 1u) << r.out;
  lav::db::DesignImage image;
  ASSERT_EQ(lav::db::DecodeFile(lav::gds::testing::ReadBytes(dir / "big.cad"), image),
            lav::db::LoadError::None);
  EXPECT_GT(image.usedSize, lav::db::kClassicImageSize);
  // Reopened, the design writes the same stream; closed again and compacted, it still holds
  // every element.
  r = run("OPEN big\nGDSOUT second\nCLOSE\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(told(r), 1u) << r.out;
  EXPECT_TRUE(Content(dir / "first.str") == Content(dir / "second.str"));
  ASSERT_EQ(run("OPEN big\nCOMPACT 1\nGDSOUT third\nCLOSE 0\n").status, 0);
  EXPECT_TRUE(Content(dir / "first.str") == Content(dir / "third.str"));
  // 800 cells stay classic; the 801st is told once, when made and when opened.
  std::string cells;
  for (int i = 0; i < 800; ++i) cells += "MKCELL C" + std::to_string(i) + "\n";
  ok("NEW many\n" + cells + "CLOSE\n");
  lav::db::DesignImage many;
  ASSERT_EQ(lav::db::DecodeFile(lav::gds::testing::ReadBytes(dir / "many.cad"), many),
            lav::db::LoadError::None);
  // The classic form: the directory, the hatch table written at the first close, nothing else.
  EXPECT_EQ(many.usedSize, lav::db::kDataStart + lav::db::kHatchBlockSize);
  EXPECT_TRUE(std::all_of(many.at(lav::db::kExtensionFlagsOffset), many.at(lav::db::kHeaderSize),
                          [](std::uint8_t b) { return b == 0; }));
  auto toldCells = [](const RunResult& r) {
    return Occurrences(r.out, lav::db::msg::kBeyondClassicCells);
  };
  r = run("OPEN many\nMKCELL C800\nMKCELL C801\nCLOSE\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(toldCells(r), 1u) << r.out;
  r = run("OPEN many\nOCELL C801\nOCELL C0\nCLOSE 0\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(toldCells(r), 1u) << r.out;
}

// Printing and bitmap export: the printer is a PDF file, the bitmap the empty client area, and
// neither ever replaces what the user did not ask to replace.
TEST_F(Batch, PrintBitmapAndTreeReportFilesOfARun) {
  const std::string design = "NEW chip\nMKCELL TOP\nLAYER 4\nETYPE 3\nXY 0 0 10 10\nOUTPUT\nFIT\n";
  const RunResult r = run(design + "PRINT 1\nBMP\nCLOSE 0\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  const std::string pdf = slurp(dir / "Lavinor.pdf");
  ASSERT_GT(pdf.size(), 100u) << r.err;
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  // The bitmap's bytes are the display's tests'; here the batch run's client area is not empty.
  const std::string bmp = slurp(dir / "chip.BMP");
  EXPECT_GT(bmp.size(), 54u + 3 * 100 * 100);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
  // The environment names the PDF; a second bitmap of one name is refused.
  fs::remove(dir / "Lavinor.pdf");
  const RunResult s = runProgram("LAVINOR_PRINT_PDF=sheet.pdf", "--batch -",
                                 design + "PRINT\nBMP pic.v1\nBMP pic.cad\nCLOSE 0\n");
  EXPECT_EQ(s.status, 1);  // the refused second bitmap
  EXPECT_TRUE(fs::exists(dir / "sheet.pdf"));
  EXPECT_FALSE(fs::exists(dir / "Lavinor.pdf"));
  EXPECT_TRUE(fs::exists(dir / "pic.BMP"));
  EXPECT_NE(s.err.find("同名のファイル pic.BMP が在ります。"), std::string::npos) << s.err;
  // The day of the run on a cell made in it, from the real clock; the report's bytes, its
  // connectors, numbering and work files are the tree report's tests.
  const std::time_t before = std::time(nullptr);
  ok("NEW stamp\nMKCELL TOP\nOCELL TOP\nTREE\nCLOSE\n");
  const std::time_t after = std::time(nullptr);
  const auto report = Split(slurp(dir / "TREE000.TXT"), '\n');
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
TEST_F(Batch, AKilledExportOrAFullDiskLeaveNoCutOffFileNoWorkFileAndNoEmptyLog) {
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
  // A full disk (here a file size limit of 0) leaves neither a cut-off output nor an empty log;
  // input converters whose log cannot be created say which file it was.
  ok("NEW d\nMKCELL TOP\nCLOSE\nNEW s\nMKCELL TOP\nGDSOUT s.str\nDXFOUT s.dxf\nCLOSE 0\n");
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
  fs::remove(dir / "s.txt");
  fs::create_directories(dir / "s.txt");  // the log's name is taken by a folder
  for (const char* command : {"GDSIN s.str", "DXFIN s.dxf"}) {
    const RunResult r = run(std::string(command) + "\n");
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_NE(r.err.find("s.txt を作成できません"), std::string::npos) << command << r.err;
    EXPECT_FALSE(fs::exists(dir / "s.cad")) << command;
  }
}

// Two programs working on one design at the same moment: one is refused (by name: the design's
// tests), or they take turns; no edit is ever lost. 6 races of two runs took about a second.
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
}

// --version works anywhere; without a display the windowed program says in one line to use
// --batch and exits with 2, whether no display is named or the named one does not answer.
TEST_F(Batch, VersionAnswersNoDisplayPointsToTheBatchRunnerAndMacroRefusalsFailTheRun) {
  const std::string noDisplay = "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
  const char* version = "Lavinor [0-9]+\\.[0-9]+\n";
  const char* oneLine = "lavinor: [^\n]*--batch[^\n]*\n";
  struct Case {
    std::string environment, arguments;
    int status;
    const char *out, *err;  // whole-stream patterns
  };
  const Case cases[] = {
      {noDisplay, "/S --version", 0, version, ""},
      {noDisplay, "--help", 0, "", "usage: lavinor [\\s\\S]*"},
      {noDisplay, "", 2, "", oneLine},
      {noDisplay + " DISPLAY=:7391", "/S", 2, "", oneLine},
      // Bad arguments are usage errors.
      {"", "--batch - --answer maybe", 2, "[\\s\\S]*", "[\\s\\S]*"},
      {"", "--batch - --frobnicate", 2, "[\\s\\S]*", "[\\s\\S]*"},
  };
  for (const auto& c : cases) {
    const RunResult r = runProgram(c.environment, c.arguments, "");
    const std::string what = c.environment + " lavinor " + c.arguments;
    EXPECT_EQ(r.status, c.status) << what << "\n" << r.err;
    EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out))) << what << "\n" << r.out;
    EXPECT_TRUE(std::regex_match(r.err, std::regex(c.err))) << what << "\n" << r.err;
  }
  // Macro refusals make the run fail; a bad target or option is a usage error.
  struct Refusal {
    const char *target, *input, *options;
    int status;  // 2 for a usage error
    const char* message;
  } refusals[] = {
      {"-", "MACRO ABSENT\n", "", 1, "ファイル ABSENT.MAC を開くことが出来ませんでした。"},
      {"ASK.MAC", "", "", 1, "the input ended while a macro waited for an INKEY$ answer"},
      {"NOFILE.MAC", "", "", 2, "cannot open NOFILE.MAC"},
      {"-", "", "--max-macro-lines ten", 2, "--max-macro-lines needs a positive number"}};
  writeMacro("ASK.MAC", {"INKEY$ \"Size\" &S", "ECHO$ never"});
  for (const auto& c : refusals) {
    const RunResult r = runBatch(std::string(c.target) + " " + c.options, c.input);
    EXPECT_EQ(r.status, c.status) << c.target << r.err;
    EXPECT_TRUE(has(r.err, c.message)) << r.err;
    EXPECT_FALSE(has(r.out, "never")) << r.out;
  }
}

// Macros through the real program in batch mode: macro files written to disk and run with
// --batch, their INKEY$ answers on standard input, AUTO.MAC at start and the limits that stop
// an endless loop.
TEST_F(Batch, MacroFileBuildsADesignWithALoopAnswersFromInputAndAutoMacRunsFirst) {
  writeMacro("build.mac", {"# cells named by a counter", "INKEY$ \"How many cells\" &N", "NEW ring",
                           "&I = 0", "$NEXT", "&I = &I + 1", "MKCELL C&I", "GOTO#- &I - &N $NEXT",
                           "ECHO$ made &I cells", "CLOSE"});
  const RunResult r = runBatch("BUILD.MAC", "3\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "How many cells\n")) << r.out;
  EXPECT_TRUE(has(r.out, "made 3. cells\n")) << r.out;
  EXPECT_EQ(r.err, "");
  ok("OPEN ring\nOCELL C1.\nOCELL C3.\nCLOSE 0\n");  // the cells are in the written design
  // Macros called from macros are the macro runner's tests.
  writeMacro("AUTO.MAC", {"&GREETING = 42", "ECHO$ auto ran"});
  RunResult a = run("&GREETING + 1\n");
  EXPECT_EQ(a.status, 0) << a.err;
  EXPECT_TRUE(has(a.out, "auto ran\n")) << a.out;
  EXPECT_TRUE(has(a.out, "43.  ")) << a.out;  // its variables stay for the typed lines
  a = run("ECHO alone\n", "--no-auto-macro");
  EXPECT_FALSE(has(a.out, "auto ran")) << a.out;
}

TEST_F(Batch, MacroLimitsEndAnEndlessLoopTheDesignSurvivesStopSignalsWriteNothing) {
  writeMacro("SPIN.MAC", {"$L", "&K = &K + 1", "GOTO#! $L"});
  RunResult r = run("NEW keep\nMKCELL TOP\nMACRO SPIN\nMKCELL NEVER\n", "--max-macro-lines 3000");
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_TRUE(has(r.err, "マクロが 3000 行を実行したので中止しました")) << r.err;
  EXPECT_TRUE(has(r.out, "***BREAK MACRO***")) << r.out;
  // The run stopped there; the end of the run wrote the design as it was.
  ok("OPEN keep\nOCELL TOP\nCLOSE 0\n");
  EXPECT_EQ(run("OPEN keep\nOCELL NEVER\nCLOSE 0\n").status, 1);

  const RunResult t = runBatch("SPIN.MAC --max-macro-seconds 0.2", "");
  EXPECT_EQ(t.status, 1) << t.err;
  EXPECT_TRUE(has(t.err, "秒を超えて実行されたので中止しました")) << t.err;
  // Stop signals act as Escape, and nothing is written.
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
    ok("NEW keep\nMKCELL A\nCLOSE\n");
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

}  // namespace
