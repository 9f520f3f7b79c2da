// A session with the shipped command file: lines typed into the Command Window as a user types
// them, in a temporary current directory, with a scripted host.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "command/command_file.h"
#include "command/command_window.h"
#include "command/dispatcher.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "shell/app_state.h"

namespace lav::testing {

class TypingSession : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("lavinor-typing-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    app.programDir = LAVINOR_DATA_DIR;
    ASSERT_TRUE(command::LoadCommandFile(app));
    app.window.transcript.onLine = [this](std::string_view l) {
      lines.push_back(sjis::toUtf8(std::string(l)));
    };
  }
  void TearDown() override {
    std::filesystem::current_path(oldCwd);
    std::filesystem::remove_all(dir);
  }
  // Types a line (UTF-8) and presses Enter.
  void type(const std::string& utf8) {
    app.window.input.clear();
    app.window.caret = 0;
    ASSERT_TRUE(command::AppendToInput(app, sjis::fromUtf8(utf8))) << utf8;
    command::PressEnter(app);
  }
  // The texts of the boxes shown so far (UTF-8), and forgets them.
  std::vector<std::string> takeBoxes() {
    std::vector<std::string> texts;
    for (const auto& b : host.boxes) texts.push_back(b.text);
    host.boxes.clear();
    return texts;
  }
  std::string prompt() const { return sjis::toUtf8(app.window.prompt); }

  std::filesystem::path dir, oldCwd;
  ScriptedHost host;
  AppState app{host};
  std::vector<std::string> lines;
};

}  // namespace lav::testing
