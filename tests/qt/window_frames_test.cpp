// The main windows on a real X server (Xvfb), under a window manager (openbox) and without one:
// each window's frame stands where the layout puts the window, its client area inside, and the
// rectangle saved at the end is the frame's, so that the next start puts the frame back there.
// The test program runs itself again on its own X server for each case.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QWindow>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/ini_file.h"
#include "platform/sjis.h"
#include "qt/command_window_widget.h"
#include "qt/graphics_window_widget.h"
#include "qt/main_windows.h"
#include "qt/status_window_widget.h"
#include "shell/startup.h"
#include "support/qt_application.h"

namespace lav::qt {
namespace {

namespace fs = std::filesystem;
constexpr const char* kChildVariable = "LAVINOR_FRAMES_CHILD";

QRect toQRect(const shell::WindowRect& r) {
  return {r.left, r.top, static_cast<int>(r.width()), static_cast<int>(r.height())};
}

// The Command, Status and Graphics windows, in the order the layout names them.
std::array<QWidget*, 3> mainWindowsOf(MainWindows& p) {
  return {p.command.data(), p.status.data(), p.graphics.data()};
}

TEST(WindowFrames, PlacedAndSavedWithAndWithoutAWindowManager) {
  for (const char* tool : {"Xvfb", "openbox", "xprop"})
    if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0)
      GTEST_SKIP() << "no " << tool;
  fs::path oldCwd;
  const fs::path dir = lav::testing::EnterTestFolder("frames", oldCwd);
  const fs::path self = fs::read_symlink("/proc/self/exe");
  // $1: "wm" or "bare". A display of its own; openbox up (it owns the WM check window) before
  // the program starts.
  std::ofstream(dir / "run.sh") << R"(
rm -f "display-$1.txt"
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp > "display-$1.txt" 2>/dev/null & xvfb=$!
i=0; while [ ! -s "display-$1.txt" ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done
export DISPLAY=:$(head -n 1 "display-$1.txt")
wm=
if [ "$1" = wm ]; then
  openbox --sm-disable >/dev/null 2>&1 & wm=$!
  i=0; while ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && [ $i -lt 200 ]
  do sleep 0.05; i=$((i+1)); done
  sleep 0.5
fi
XDG_CONFIG_HOME="$PWD/cfg-$1" QT_QPA_PLATFORM=xcb )"
                                << kChildVariable << R"(="$1" ")" << self.string() << R"(" \
  --gtest_filter=WindowFramesChild.* > "child-$1.txt" 2>&1
rc=$?
[ -n "$wm" ] && kill $wm
kill $xvfb
wait
exit $rc
)";
  for (const char* kind : {"wm", "bare"}) {
    SCOPED_TRACE(kind);
    const int raw = std::system((std::string("sh ../run.sh ") + kind).c_str());
    std::ifstream log(dir / "work" / (std::string("child-") + kind + ".txt"));
    const std::string out{std::istreambuf_iterator<char>(log), {}};
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << out;
    EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
  }
  lav::testing::LeaveTestFolder(dir, oldCwd);
}

// The case itself, which exists only in the test program run on its own X server.
class FramesChild : public ::testing::Test {
 public:
  void TestBody() override;
};

const bool childRegistered = [] {
  if (!std::getenv(kChildVariable)) return false;
  ::testing::RegisterTest("WindowFramesChild", "FramesStandWhereTheLayoutPutsThem", nullptr,
                          nullptr, __FILE__, __LINE__,
                          []() -> ::testing::Test* { return new FramesChild; });
  return true;
}();

void FramesChild::TestBody() {
  const bool managed = std::string(std::getenv(kChildVariable)) == "wm";
  lav::testing::EnsureQtApplication();
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  const std::string programDir = fs::path(LAVINOR_BINARY).parent_path().string();
  const std::string ini = ini::SettingsFilePath();
  auto run = [&](const std::function<void(MainWindows&)>& check) {
    MainWindows program(programDir, {}, ini);
    program.host.boxHook = [](std::string_view text, std::string_view, Icon, Buttons) {
      ADD_FAILURE() << sjis::toUtf8(std::string(text));
      return Answer::No;
    };
    ASSERT_TRUE(program.start());
    for (QWidget* w : mainWindowsOf(program))
      ASSERT_TRUE(QTest::qWaitForWindowExposed(w)) << w->windowTitle().toStdString();
    check(program);
    program.command->close();
    lav::testing::SettleEvents();
    ASSERT_TRUE(program.ended());
    program.finish();
  };
  struct Expected {
    const char* key;
    QRect frame;
  };
  std::vector<Expected> expected;
  // Each frame on its rectangle; under the window manager the title bar is inside it.
  auto framesInPlace = [&](MainWindows& p) {
    for (std::size_t i = 0; i < 3; ++i) {
      QWidget* w = mainWindowsOf(p)[i];
      const Expected& e = expected[i];
      if (managed) {
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !w->windowHandle()->frameMargins().isNull(); }, 5000))
            << e.key << ": not framed";
      }
      const bool placed = QTest::qWaitFor(
          [&] { return w->frameGeometry() == e.frame && e.frame.contains(w->geometry()); }, 5000);
      const QRect f = w->frameGeometry(), c = w->geometry();
      EXPECT_TRUE(placed) << e.key << ": frame " << f.x() << "," << f.y() << " " << f.width() << "x"
                          << f.height() << ", client " << c.x() << "," << c.y() << " " << c.width()
                          << "x" << c.height();
      EXPECT_EQ(c.top() > f.top(), managed) << e.key << ": the title bar above the client";
    }
  };

  // First start: the default layout of the screen.
  run([&](MainWindows& p) {
    const auto d = shell::DefaultLayout(p.app.shell.screenWidth, p.app.shell.screenHeight,
                                        p.app.window.lineHeight);
    expected = {{"Command Window", toQRect(d.command)},
                {"Status Window", toQRect(d.status)},
                {"Graphics Window", toQRect(d.graphics)}};
    framesInPlace(p);
    // The user moves the Graphics Window: its frame goes where it is put.
    expected[2].frame = QRect(400, 30, 700, 500);
    p.graphics->move(expected[2].frame.topLeft());
    p.graphics->resize(p.graphics->size() - (p.graphics->frameGeometry().size() - QSize(700, 500)));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return p.graphics->frameGeometry() == expected[2].frame; }, 5000));
  });
  ASSERT_FALSE(HasFatalFailure());
  // The saved rectangles are the frames; the next start puts the frames back on them.
  for (const auto& e : expected) {
    const QRect& f = e.frame;
    EXPECT_EQ(sjis::toUtf8(ini::ReadProfileString(ini, "WindowSize", e.key, "")),
              std::to_string(f.left()) + " " + std::to_string(f.top()) + " " +
                  std::to_string(f.right() + 1) + " " + std::to_string(f.bottom() + 1))
        << e.key;
  }
  run(framesInPlace);
}

}  // namespace
}  // namespace lav::qt
