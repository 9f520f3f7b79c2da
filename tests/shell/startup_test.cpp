#include "shell/startup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/ini_file.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "state/app_state.h"
#include "support/short_forms.h"

namespace lav::shell {
namespace {

namespace fs = std::filesystem;

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "prog");
    app.programDir = (dir / "prog").string();
    app.shell.settingsPath = ini;
  }
  void touch(const std::string& name) { std::ofstream(dir / "prog" / name) << "x"; }
  std::string value(const char* section, const char* key) {
    return sjis::toUtf8(
        ini::ReadProfileString(ini, sjis::fromUtf8(section), sjis::fromUtf8(key), "<none>"));
  }
  void store(const char* section, const char* key, const char* v) {
    ini::WriteProfileString(ini, sjis::fromUtf8(section), sjis::fromUtf8(key), sjis::fromUtf8(v));
  }

  testing::ScratchFolder folder;
  fs::path dir = folder.dir;
  std::string ini = (dir / "cfg" / "Lavinor.ini").string();
  ScriptedHost host;
  AppState app{host};
};

TEST_F(StartupTest, RequiredFilesAreFoundOneInstanceRunsAndOneClosedMainWindowTakesTheOthers) {
  const struct Case {
    bool font, commands;
    const char* missing;  // name in the message
  } cases[] = {{false, true, "MOJIDATA.DAT"}, {true, false, "Lavinor.cmd"}};
  for (const auto& c : cases) {
    fs::remove_all(dir / "prog");
    fs::create_directories(dir / "prog");
    fs::remove_all(dir / "cfg");
    if (c.font) touch("MOJIDATA.DAT");
    if (c.commands) touch("lavinor.CMD");  // found without regard to case
    host.boxes.clear();
    EXPECT_EQ(CheckStart(app), StartOutcome::MissingFile) << c.missing;
    EXPECT_TRUE(testing::OneBox(
        host, "ファイル " + (dir / "prog" / c.missing).string() + " を開くことが出来ませんでした。",
        "Lavinor"));
    EXPECT_FALSE(fs::exists(ini)) << "the settings file must not be touched";
  }
  // A build tree keeps the files beside the program; an installed one in PREFIX/share/lavinor
  // beside PREFIX/bin.
  const struct Place {
    const char *beside, *shared;  // a required file placed there, or null
    const char* want;
  } places[] = {{nullptr, "MOJIDATA.DAT", "share/lavinor"},
                {nullptr, "lavinor.CMD", "share/lavinor"},
                {"mojidata.dat", "Lavinor.cmd", "bin"},
                {nullptr, nullptr, "bin"}};
  for (const auto& c : places) {
    const fs::path prefix = dir / "prefix";
    fs::remove_all(prefix);
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "lavinor");
    if (c.beside) std::ofstream(prefix / "bin" / c.beside) << "x";
    if (c.shared) std::ofstream(prefix / "share" / "lavinor" / c.shared) << "x";
    EXPECT_EQ(DataDirectory((prefix / "bin").string()), (prefix / c.want).string())
        << (c.beside ? c.beside : "-") << " " << (c.shared ? c.shared : "-");
  }
  // With both files, one instance runs unless started with /S, even when two start at once.
  touch("MOJIDATA.DAT");
  touch("lavinor.CMD");  // found without regard to case
  ASSERT_EQ(CheckStart(app), StartOutcome::Run);
  EXPECT_EQ(value("起動状態", "OPEN"), "1");

  ScriptedHost host2;
  AppState second(host2);
  second.programDir = app.programDir;
  second.shell.settingsPath = ini;
  EXPECT_EQ(CheckStart(second), StartOutcome::AlreadyRunning);
  EXPECT_TRUE(testing::OneBox(host2, "すでに起動されています", "Lavinor", Icon::Information));
  EXPECT_EQ(value("起動状態", "OPEN"), "1") << "the first instance keeps its mark";

  for (const char* s : {"/S", "-s"}) {
    host2.boxes.clear();
    second.shell.arguments = {s};
    EXPECT_EQ(CheckStart(second), StartOutcome::Run) << s;
    EXPECT_TRUE(host2.boxes.empty());
  }
  // The end of the program clears the mark; the next start runs.
  SetRunningMark(ini, "0");
  second.shell.arguments.clear();
  EXPECT_EQ(CheckStart(second), StartOutcome::Run);
  // Two programs started at the same moment: exactly one of them runs. Each trial races two
  // starts released together; 40 trials took under a second.
  for (int trial = 0; trial < 40; ++trial) {
    fs::remove_all(dir / "cfg");
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    bool othersRunning[2] = {};
    auto start = [&](int i) {
      ++ready;
      while (!go) std::this_thread::yield();
      othersRunning[i] = SetRunningMark(ini, "1");
    };
    std::thread a(start, 0), b(start, 1);
    while (ready < 2) std::this_thread::yield();
    go = true;
    a.join();
    b.join();
    ASSERT_NE(othersRunning[0], othersRunning[1]) << "trial " << trial;
  }
  // At the end, one main window closed takes the others.
  struct Closing {
    MainWindow first;
    std::vector<MainWindow> takenByFirst;
    int flag;
    std::vector<MainWindow> takenByCommand;
  };
  using W = MainWindow;
  const Closing closings[] = {{W::Status, {W::Command}, kClosingStatusFirst, {W::Graphics}},
                              {W::Graphics, {W::Command}, kClosingGraphicsFirst, {W::Status}},
                              {W::Command, {W::Status, W::Graphics}, kClosingCommand, {}}};
  for (const auto& c : closings) {
    ShellState s;
    EXPECT_EQ(WindowDestroyed(s, c.first), c.takenByFirst);
    EXPECT_EQ(s.closing, c.flag);
    if (c.first == W::Command) continue;
    EXPECT_EQ(WindowDestroyed(s, W::Command), c.takenByCommand);
    // The windows destroyed by the Command Window do not start a second round.
    EXPECT_TRUE(WindowDestroyed(s, c.takenByCommand.front()).empty());
  }
}

TEST_F(StartupTest, BackgroundToolbarAndTheDefaultLayoutThatUnusableRectanglesGiveWayTo) {
  const struct Case {
    const char* stored;  // null: missing
    std::vector<std::string> args;
    bool white;
    const char* written;
  } cases[] = {{nullptr, {}, false, "黒色"},
               {"黒色", {}, false, "黒色"},
               {"blue", {}, true, "白色"},
               {"黒色", {"/W"}, true, "白色"},
               {"白色", {"-b"}, false, "黒色"},
               {nullptr, {"/B", "/W"}, true, "白色"},
               {nullptr, {"x.cad", "/w", "/S"}, true, "白色"}};
  for (const auto& c : cases) {
    fs::remove_all(dir / "cfg");
    if (c.stored) store("BackGround", "背景の色", c.stored);
    EXPECT_EQ(FixBackground(ini, c.args), c.white) << (c.stored ? c.stored : "(missing)");
    EXPECT_EQ(value("BackGround", "背景の色"), c.written);
  }
  // The Toolbar at the next start.
  EXPECT_TRUE(ToolbarWanted(ini));
  SaveToolbarState(ini, false);
  EXPECT_EQ(value("Toolbar", "Toolbar"), "FALSE");
  EXPECT_FALSE(ToolbarWanted(ini));
  SaveToolbarState(ini, true);
  EXPECT_TRUE(ToolbarWanted(ini));
  store("Toolbar", "Toolbar", "yes");
  EXPECT_FALSE(ToolbarWanted(ini)) << "only TRUE is wanted";
  // A rectangle that cannot be read or could hide a window (no size, inverted, off every screen,
  // beyond an int) is replaced by the default, which is written back for the next start.
  const struct Stored {
    const char* text;
    bool used;
  } stored[] = {{"410 10 1600 890", true},
                {"5 6 700 800 9", true},  // what follows the fourth number is left
                {"1 2 3", false},
                {"400 0 400 890", false},        // zero width
                {"1600 890 400 0", false},       // inverted
                {"400 10 1600 10", false},       // zero height
                {"5000 5000 6000 6000", false},  // off the screen
                {"-2147483648 0 2147483647 800", false},
                {"0 -2147483648 800 2147483647", false},
                {"0 0 99999999999 800", false},
                {"1590 980 2000 1200", false},  // a corner too small to take hold of
                {"1580 950 2000 1200", true}};
  const WindowLayout def = DefaultLayout(1600, 1000, 18);
  // 4.5 lines of 18 pixels are 81 pixels. (Stored rectangles come back at the next start: with
  // the windowed program.)
  EXPECT_EQ(def.command, (WindowRect{0, 0, 401, 970}));
  EXPECT_EQ(def.status, (WindowRect{400, 889, 1600, 970}));
  EXPECT_EQ(def.graphics, (WindowRect{400, 0, 1600, 890}));
  for (const auto& c : stored) {
    store("WindowSize", "Graphics Window", c.text);
    const WindowRect got = StoredLayout(ini, 1600, 1000, 18).graphics;
    if (c.used) {
      EXPECT_NE(got, def.graphics) << c.text;
      EXPECT_EQ(value("WindowSize", "Graphics Window"), c.text);
    } else {
      EXPECT_EQ(got, def.graphics) << c.text;
      EXPECT_EQ(value("WindowSize", "Graphics Window"), "400 0 1600 890") << c.text;
    }
  }
  // A Command Window rectangle under 40 pixels high gives the full-height column at (0, 0).
  SaveWindowRect(ini, "Command Window", {100, 100, 500, 130});
  EXPECT_EQ(StoredLayout(ini, 1600, 1000, 18).command, (WindowRect{0, 0, 402, 1000}));
  // A second screen to the right holds what the first does not.
  store("WindowSize", "Status Window", "2000 100 2500 300");
  EXPECT_EQ(StoredLayout(ini, 1600, 1000, 18, {{0, 0, 1600, 1000}, {1600, 0, 3520, 1080}}).status,
            (WindowRect{2000, 100, 2500, 300}));
  EXPECT_EQ(StoredLayout(ini, 1600, 1000, 18).status, def.status);
}

}  // namespace
}  // namespace lav::shell
