// The whole windowed program on Qt's offscreen platform, in a fresh folder per test, driven by
// lines typed into the Command Window.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "console/transcript.h"
#include "platform/ini_file.h"
#include "platform/sjis.h"
#include "qt/command_window_widget.h"
#include "qt/graphics_window_widget.h"
#include "qt/main_windows.h"
#include "support/qt_application.h"

namespace lav::testing {

class WindowedProgram : public ::testing::Test {
 protected:
  explicit WindowedProgram(const char* what, int settleRounds = 5)
      : what_(what), rounds_(settleRounds) {}
  void SetUp() override {
    EnsureQtApplication();
    dir = EnterTestFolder(what_, oldCwd);
  }
  void TearDown() override {
    if (program) program->finish();
    program.reset();
    settle();
    LeaveTestFolder(dir, oldCwd);
  }
  // Starts the program from programDir with its settings in dir/cfg. Message boxes are kept in
  // boxes (UTF-8) and answered Yes, or OK where that is the only button.
  void startProgram(const std::string& programDir, const std::vector<std::string>& arguments) {
    ASSERT_TRUE(tryStart(programDir, arguments));
  }
  // The same, false when the program refused to start.
  bool tryStart(const std::string& programDir, const std::vector<std::string>& arguments) {
    program = std::make_unique<qt::MainWindows>(programDir, arguments, ini());
    program->host.boxHook = [this](std::string_view t, std::string_view, Icon, Buttons b) {
      boxes.push_back(sjis::toUtf8(std::string(t)));
      return b == Buttons::YesNo || b == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    };
    if (!program->start()) return false;
    EXPECT_TRUE(QTest::qWaitForWindowExposed(program->graphics));
    settle();
    return true;
  }
  // The program folder of the build, with the shipped files beside the program.
  static std::string builtProgramDir() {
    return std::filesystem::path(LAVINOR_BINARY).parent_path().string();
  }
  std::string ini() const { return (dir / "cfg" / "Lavinor.ini").string(); }
  void settle() { SettleEvents(rounds_); }
  void typeLine(const QString& text) {
    QWidget* v = program->command->view();
    QTest::keyClicks(v, text);
    QTest::keyClick(v, Qt::Key_Return);
    settle();
  }
  void typeLines(std::initializer_list<const char*> lines) {
    for (const char* l : lines) typeLine(QString::fromUtf8(l));
  }
  std::string prompt() const { return sjis::toUtf8(program->app.window.prompt); }
  // A value of the settings file (UTF-8), "<none>" when it is not there.
  std::string setting(const char* section, const char* key) const {
    return sjis::toUtf8(
        ini::ReadProfileString(ini(), sjis::fromUtf8(section), sjis::fromUtf8(key), "<none>"));
  }
  // The Command Window's transcript (UTF-8), oldest line first.
  std::vector<std::string> transcript() const {
    std::vector<std::string> out;
    const auto& t = program->app.window.transcript;
    for (int n = t.count; n >= 1; --n)
      out.push_back(sjis::toUtf8(std::string(command::LineAt(t, n))));
    return out;
  }
  // Whether a line of the transcript contains text (UTF-8).
  bool transcriptHas(const std::string& text) const {
    for (const auto& l : transcript())
      if (l.find(text) != std::string::npos) return true;
    return false;
  }

  std::filesystem::path dir, oldCwd;
  std::unique_ptr<qt::MainWindows> program;
  std::vector<std::string> boxes;

 private:
  std::string what_;
  int rounds_;
};

}  // namespace lav::testing
