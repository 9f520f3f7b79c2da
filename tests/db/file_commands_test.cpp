// The design file commands around the disk: the safe write, the end of the program, the names
// a new design may not take, the paint-marks file, and the refusals an open must show.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "command/handlers.h"
#include "db/cell_commands.h"
#include "db/design_builder.h"
#include "db/design_files.h"
#include "db/safe_write.h"
#include "platform/file_lock.h"
#include "platform/scripted_host.h"
#include "state/app_state.h"
#include "support/short_forms.h"

namespace lav::db {
namespace {

namespace fs = std::filesystem;

using lav::testing::ReadFile;
using lav::testing::WriteFile;

class FileCommands : public ::testing::Test {
 protected:
  bool tempLeft() const {
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().filename().string().rfind("BUF$BUFF.88B", 0) == 0) return true;
    return false;
  }
  lav::testing::ScratchFolder folder;
  const fs::path dir = folder.dir;
  ScriptedHost host;
  AppState app{host};
};

// A design closed and opened again is identical; the paint-marks file beside the program is
// emptied by an open but never created; new designs get absolute names, never any case of an
// existing one.
TEST_F(FileCommands, ClosedAndReopenedDesignIsIdenticalAndNewNamesAreAbsolute) {
  fs::create_directories(dir / "prog");
  app.programDir = (dir / "prog").string();
  ASSERT_TRUE(NewDesign(app, "round"));
  EXPECT_FALSE(fs::exists(dir / "prog" / "PAINTDAT.DAT"));
  ASSERT_TRUE(CreateCell(app, "TOP"));
  testing::Append(app.design, EncodeArea(ElementType::Polygon, 1, testing::Square(0, 0, 10)));
  app.settings.nest = 7;
  ASSERT_TRUE(CloseDesign(app, true));
  EXPECT_FALSE(tempLeft());
  app.settings.nest = 11;
  WriteFile(dir / "prog" / "PAINTDAT.DAT", "marks");
  host.titles.clear();
  command::ContinueOpenDesign(app, "round");
  ASSERT_TRUE(app.design.isOpen());
  EXPECT_EQ(fs::file_size(dir / "prog" / "PAINTDAT.DAT"), 0u);
  EXPECT_EQ(host.titles.front(), "実行中");
  EXPECT_EQ(host.titles.back(), "dravel: " + (dir / "round.cad").string());
  EXPECT_EQ(app.settings.nest, 7);
  bool needsName = false;
  ASSERT_TRUE(OpenCell(app, "TOP", needsName));
  EXPECT_EQ(app.design.current.entry.dataSize, 46);
  ASSERT_TRUE(CloseDesign(app, true));
  // Once the header's values are in their ranges, open and close leave the file unchanged.
  const auto second = ReadFile("round.cad");
  ASSERT_EQ(OpenDesign(app, "round"), OpenResult::Opened);
  ASSERT_TRUE(CloseDesign(app, true));
  EXPECT_EQ(ReadFile("round.cad"), second);
  // The names a new design takes.
  struct Case {
    const char* typed;
    const char* created;  // null: nothing is created
  } cases[] = {
      {"work", "work.cad"}, {"plan.old", "plan.cad"}, {".x", nullptr}, {"a.b.c", "a.b.cad"}};
  for (const auto& c : cases) {
    ASSERT_FALSE(app.design.isOpen());
    const bool made = NewDesign(app, c.typed);
    EXPECT_EQ(made, c.created != nullptr) << c.typed;
    if (made) {
      EXPECT_EQ(app.design.path, (dir / c.created).string()) << c.typed;
      ASSERT_TRUE(CloseDesign(app, true));
      EXPECT_TRUE(fs::exists(dir / c.created));
    }
  }
  // Any case of an existing name is refused.
  EXPECT_FALSE(NewDesign(app, "WORK"));
  ASSERT_TRUE(
      lav::testing::OneBox(host, "同名のファイル " + (dir / "work.cad").string() + " が在ります。",
                           "File Create Error"));
  EXPECT_FALSE(app.continueFlag);
  app.continueFlag = true;
  // The path is absolute: a change of folder (the file dialog does that) does not move the close.
  ASSERT_TRUE(NewDesign(app, "here"));
  fs::create_directories(dir / "elsewhere");
  fs::current_path(dir / "elsewhere");
  ASSERT_TRUE(CloseDesign(app, true));
  EXPECT_TRUE(fs::exists(dir / "here.cad"));
  EXPECT_FALSE(fs::exists(dir / "elsewhere" / "here.cad"));
}

TEST_F(FileCommands, SafeWritesAndClosesLoseNothingOnFailureAndWorkFilesOfEndedProgramsGo) {
  // An escaped or failed close keeps the design and the old file, and ends no program.
  ASSERT_TRUE(NewDesign(app, "big"));
  ASSERT_TRUE(CloseDesign(app, true));
  const auto original = ReadFile("big.cad");
  ASSERT_EQ(OpenDesign(app, "big"), OpenResult::Opened);
  testing::FillRealistic(app.design, 40, 300);  // several megabytes: a write of many chunks
  const auto image = app.design.image.bytes;
  int steps = 0;
  host.onMessageStep = [&](bool& f) {
    if (++steps == 5) f = false;  // a few chunks into the write
  };
  host.titles.clear();
  command::StartCloseDesign(app, "CLOSE");
  EXPECT_GE(steps, 5);
  EXPECT_TRUE(app.design.isOpen());
  EXPECT_FALSE(app.continueFlag);
  EXPECT_EQ(ReadFile("big.cad"), original);
  EXPECT_FALSE(tempLeft());
  EXPECT_EQ(host.titles.back(), "dravel: " + app.design.path);
  // The design file's folder vanished: the write fails, nothing is lost, and the exit question's
  // "Yes" does not end the program.
  host.onMessageStep = nullptr;
  const std::string path = app.design.path;
  app.design.path = (dir / "gone" / "big.cad").string();
  host.boxes.clear();
  app.continueFlag = true;
  EXPECT_FALSE(CloseDesign(app, true));
  ASSERT_TRUE(lav::testing::OneBox(host, "ファイルのクローズに失敗しました"));
  host.answers.push_back(Answer::Yes);
  command::StartExit(app, "EXIT");
  EXPECT_FALSE(app.dispatch.endRequested);
  EXPECT_TRUE(app.design.isOpen());
  EXPECT_EQ(ReadFile("big.cad"), original);
  // The design is still whole: a later close writes all of it.
  app.design.path = path;
  command::StartCloseDesign(app, "CLOSE");
  EXPECT_FALSE(app.design.isOpen());
  ASSERT_EQ(OpenDesign(app, "big"), OpenResult::Opened);
  EXPECT_TRUE(
      std::equal(image.begin() + 49, image.begin() + 64384, app.design.image.bytes.begin() + 49));
  // The end of the program comes only after a real close.
  ASSERT_TRUE(CloseDesign(app, false));
  struct Exit {
    Answer answer;
    bool ends, written;
  } answers[] = {
      {Answer::Cancel, false, false},
      {Answer::No, true, false},
      {Answer::Yes, true, true},
  };
  for (const auto& c : answers) {
    ASSERT_TRUE(NewDesign(app, "exit")) << static_cast<int>(c.answer);
    host.answers.push_back(c.answer);
    host.boxes.clear();
    app.dispatch.endRequested = false;
    command::StartExit(app, "EXIT");
    EXPECT_EQ(app.dispatch.endRequested, c.ends);
    ASSERT_TRUE(lav::testing::OneBox(host,
                                     "ファイル " + (dir / "exit.cad").string() +
                                         " が開かれたままです。ファイルを上書き保存しますか",
                                     "終了処理"));
    EXPECT_EQ(host.boxes[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(app.design.isOpen(), !c.ends);
    EXPECT_EQ(fs::exists("exit.cad"), c.written);
    if (app.design.isOpen()) CloseDesign(app, false);
  }
  app.dispatch.endRequested = false;
  command::StartExit(app, "EXIT");  // nothing open: no question
  EXPECT_TRUE(app.dispatch.endRequested);
  // The safe write leaves the old file on every failure.
  const fs::path target = dir / "t.cad";
  WriteFile(target, "old content");
  ::chmod(target.c_str(), 0640);
  // Whole bytes, made in pieces of assorted sizes, or made and written around the page cache
  // (whole blocks, then the rest): more than two full buffers and an odd tail.
  std::vector<std::uint8_t> data(17'000'001);
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
  const std::string written(data.begin(), data.end());
  const ByteSource made = [&](const PieceSink& put) {
    const std::size_t sizes[] = {1, 5000, 20'060, 3'000'000};
    for (std::size_t at = 0, k = 0; at < data.size(); ++k) {
      const std::size_t n = std::min(data.size() - at, sizes[k % 4]);
      if (!put({data.data() + at, n})) return false;
      at += n;
    }
    return true;
  };
  struct Case {
    const char* what;
    int failAtCall;   // the write call that fails (0: none)
    int shortAtCall;  // the write call that writes only part (0: none)
    int stopAtStep;   // the message step that plays Escape (0: none)
    SafeWriteResult result;
  } cases[] = {
      {"disk full at once", 1, 0, 0, SafeWriteResult::Failed},
      {"disk full later", 3, 0, 0, SafeWriteResult::Failed},
      {"Escape between chunks", 0, 0, 2, SafeWriteResult::Stopped},
      {"a short write", 0, 1, 0, SafeWriteResult::Written},
      {"written", 0, 0, 0, SafeWriteResult::Written},
  };
  for (const char* way : {"whole", "made", "made, direct"}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(way) + ": " + c.what);
      int calls = 0, steps = 0;
      bool flag = true;
      const auto write = [&](int fd, const std::uint8_t* p, std::size_t n) -> long {
        if (++calls == c.failAtCall) {
          errno = ENOSPC;
          return -1;
        }
        return static_cast<long>(::write(fd, p, calls == c.shortAtCall ? n / 2 + 1 : n));
      };
      const SafeWriteOptions o{.host = &host,
                               .continueFlag = &flag,
                               .write = write,
                               .direct = std::string(way) == "made, direct"};
      host.onMessageStep = [&](bool& f) {
        if (++steps == c.stopAtStep) f = false;
      };
      std::string error;
      const SafeWriteResult r = std::string(way) == "whole"
                                    ? WriteFileSafely(target.string(), data, o, error)
                                    : WriteFileSafely(target.string(), made, o, error);
      EXPECT_EQ(r, c.result);
      EXPECT_FALSE(tempLeft());
      if (c.result == SafeWriteResult::Written) {
        EXPECT_TRUE(ReadFile(target) == written);
        struct stat st {};
        ::stat(target.c_str(), &st);
        EXPECT_EQ(st.st_mode & 0777, 0640u) << "permissions kept";
        WriteFile(target, "old content");
      } else {
        EXPECT_EQ(ReadFile(target), "old content");
      }
    }
  }
  host.onMessageStep = nullptr;
  // A temporary left by a crashed run with the same process id does not block the write.
  WriteFile(SafeWriteTempName(target.string()), "stale");
  std::string error;
  EXPECT_EQ(WriteFileSafely(target.string(), data, {}, error), SafeWriteResult::Written);
  EXPECT_EQ(ReadFile(target), written);
  // Work files of programs that ended (killed mid-save) go with the next save in their folder;
  // those of running programs, locked ones and other names stay.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);  // its pid now names no process
  const std::string dead = std::to_string(child);
  const std::string live = std::to_string(::getppid());
  struct Left {
    std::string name;
    bool stays;
  } left[] = {{"BUF$BUFF.88B." + dead, false},
              {"BUF$BUFF.88B." + dead + "-3", false},
              {"BUF$BUFF.88B." + live, true},
              {"BUF$BUFF.88B." + dead + "-x", true},
              {"BUF$BUFF.88B." + dead + "0", true},  // the lock below holds it
              {"BUF$BUFF.88B", true},
              {"notes.txt", true}};
  for (const auto& c : left) WriteFile(c.name, "left over");
  filelock::Lock held;  // a writer of another pid namespace holds its work file locked
  ASSERT_TRUE(held.acquire((dir / ("BUF$BUFF.88B." + dead + "0")).string(), false, false));
  const std::vector<std::uint8_t> ten(10, 1);
  ASSERT_EQ(WriteFileSafely((dir / "x.cad").string(), ten, {}, error), SafeWriteResult::Written);
  for (const auto& c : left) EXPECT_EQ(fs::exists(c.name), c.stays) << c.name;
}

// A design open in one program is refused to a second one, by name, until the first closes it;
// the second's refusal leaves the first's work alone.
TEST_F(FileCommands, ADesignOpenElsewhereIsRefusedByName) {
  ASSERT_TRUE(NewDesign(app, "shared"));
  ASSERT_TRUE(CloseDesign(app, true));
  ASSERT_EQ(OpenDesign(app, "shared"), OpenResult::Opened);
  ScriptedHost otherHost;
  AppState other{otherHost};
  EXPECT_EQ(OpenDesign(other, "shared"), OpenResult::Refused);
  ASSERT_TRUE(lav::testing::OneBox(
      otherHost,
      "ファイル " + (dir / "shared.cad").string() +
          " は他のプログラムで開かれています。そのプログラムで閉じてから開いて下さい。"));
  EXPECT_FALSE(other.design.isOpen());
  EXPECT_TRUE(app.design.isOpen());
  ASSERT_TRUE(CloseDesign(app, true));
  EXPECT_EQ(OpenDesign(other, "shared"), OpenResult::Opened);
  EXPECT_EQ(OpenDesign(app, "shared"), OpenResult::Refused);
  ASSERT_TRUE(CloseDesign(other, false));
}

TEST_F(FileCommands, EveryRefusedOpenShowsWhy) {
  ASSERT_TRUE(NewDesign(app, "test"));
  ASSERT_TRUE(CloseDesign(app, true));
  WriteFile("junk.cad", "not a design at all, longer than forty-two bytes....");
  WriteFile("SHORT.CAD", "#" + std::string(40, 'x'));  // 41 bytes
  WriteFile("EXACT.CAD", "#" + std::string(41, 'x'));  // 42 bytes: checks pass
  WriteFile("BUF$BUFF.00D", "left from another run");
  struct Case {
    const char* typed;
    OpenResult result;
    const char* box;                                        // start of the message, or null
  } cases[] = {{"exact", OpenResult::Failed, "ファイル "},  // the load finds it damaged
               {"test", OpenResult::Opened, nullptr},
               {"TeSt.CaD", OpenResult::Opened, nullptr},
               {"test.dat", OpenResult::Refused, "ファイルの拡張子名が .CAD でありません"},
               {"a.b.cad", OpenResult::Refused, "ファイルの拡張子名が .CAD でありません"},
               {"missing", OpenResult::Refused, "ファイル MISSING.CAD を開くことが出来ません。"},
               {"junk", OpenResult::Refused, " ファイル "},
               {"short", OpenResult::Refused, " ファイル "}};
  for (const auto& c : cases) {
    host.boxes.clear();
    app.continueFlag = true;  // as every command starts
    EXPECT_EQ(OpenDesign(app, c.typed), c.result) << c.typed;
    EXPECT_EQ(app.design.isOpen(), !c.box) << c.typed;
    if (c.box) {
      ASSERT_EQ(host.boxes.size(), 1u) << c.typed;
      EXPECT_EQ(host.boxes[0].text.rfind(c.box, 0), 0u) << host.boxes[0].text;
    }
    if (app.design.isOpen()) CloseDesign(app, false);
  }
  EXPECT_FALSE(fs::exists("BUF$BUFF.00D"));  // the failed load's auxiliary name is cleared
  EXPECT_EQ(app.design.auxCounter, 3);
  app.design.auxCounter = 100;  // no auxiliary name left
  host.boxes.clear();
  app.continueFlag = true;
  EXPECT_EQ(OpenDesign(app, "test"), OpenResult::Failed);
  EXPECT_EQ(host.boxes.size(), 1u);  // never silent
  if (::geteuid() != 0) {            // root reads and writes everything
    ::chmod("test.cad", 0444);
    host.boxes.clear();
    EXPECT_EQ(OpenDesign(app, "test"), OpenResult::Refused);
    ASSERT_TRUE(lav::testing::OneBox(host, "ファイル TEST.CAD を開くことが出来ません。"));
  }
}

}  // namespace
}  // namespace lav::db
