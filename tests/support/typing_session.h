// A session with the shipped command file: lines typed into the Command Window as a user types
// them, in a temporary current directory, with a scripted host.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "command/dispatcher.h"
#include "console/command_file.h"
#include "console/command_window.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "state/app_state.h"
#include "support/files.h"

namespace lav::testing {

class TypingSession : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = EnterTestFolder("typing", oldCwd) / "work";
    app.programDir = LAVINOR_DATA_DIR;
    ASSERT_TRUE(command::LoadCommandFile(app));
    app.window.transcript.onLine = [this](std::string_view l) {
      lines.push_back(sjis::toUtf8(std::string(l)));
    };
  }
  void TearDown() override { LeaveTestFolder(dir.parent_path(), oldCwd); }
  // Types a line (UTF-8) and presses Enter.
  void type(const std::string& utf8) {
    app.window.input.clear();
    app.window.caret = 0;
    ASSERT_TRUE(command::AppendToInput(app, sjis::fromUtf8(utf8))) << utf8;
    command::PressEnter(app);
  }
  // Types each line in turn.
  void typeAll(std::initializer_list<std::string> utf8Lines) {
    for (const auto& l : utf8Lines) type(l);
  }
  // Types each line in turn and checks the prompt each leaves (UTF-8).
  void typeExpectingPrompts(std::initializer_list<std::pair<std::string, std::string>> steps) {
    for (const auto& [typed, shown] : steps) {
      type(typed);
      EXPECT_EQ(prompt(), shown) << "after typing " << typed;
    }
  }
  // Whether the transcript shows the line (UTF-8).
  bool printed(const std::string& utf8) const {
    return std::find(lines.begin(), lines.end(), utf8) != lines.end();
  }
  // The texts of the boxes shown so far (UTF-8), and forgets them.
  std::vector<std::string> takeBoxes() {
    std::vector<std::string> texts;
    for (const auto& b : host.boxes) texts.push_back(b.text);
    host.boxes.clear();
    return texts;
  }
  // A file in the test's folder: its bytes, or written with them.
  std::string read(const std::string& name) const { return ReadFile(dir / name); }
  void write(const std::string& name, const std::string& bytes) const {
    WriteFile(dir / name, bytes);
  }
  std::string prompt() const { return sjis::toUtf8(app.window.prompt); }

  std::filesystem::path dir, oldCwd;
  ScriptedHost host;
  AppState app{host};
  std::vector<std::string> lines;
};

}  // namespace lav::testing
