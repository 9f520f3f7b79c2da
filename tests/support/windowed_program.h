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
    program = std::make_unique<qt::MainWindows>(programDir, arguments, ini());
    program->host.boxHook = [this](std::string_view t, std::string_view, Icon, Buttons b) {
      boxes.push_back(sjis::toUtf8(std::string(t)));
      return b == Buttons::YesNo || b == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    };
    ASSERT_TRUE(program->start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(program->graphics));
    settle();
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

  std::filesystem::path dir, oldCwd;
  std::unique_ptr<qt::MainWindows> program;
  std::vector<std::string> boxes;

 private:
  std::string what_;
  int rounds_;
};

}  // namespace lav::testing
