// The command list dialog (command 80): the lines of the command file, and a run button that
// puts the chosen command's name on the input line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace lav {
struct AppState;
}

namespace lav::command {

// What the run button leaves for the input line.
struct CommandListChoice {
  std::string text;          // the command's name and a blank
  bool enterFollows = true;  // false when the command wants arguments typed ('{' pattern)
};

class CommandListDialog : public DialogModel {
 public:
  std::string_view kind() const override { return "command-list"; }

  // The list box: one line per line of the command file, columns separated by tabs.
  std::vector<std::string> lines;
  // Tab stops of the list box, in dialog units.
  static constexpr int kTabStops[] = {14, 35, 38, 41, 44, 47, 50, 53, 56, 59};
  static constexpr int kRunButton = 512;

  int selected = -1;  // index into lines, -1 for none
  std::optional<CommandListChoice> choice;

  // OK and Cancel close the dialog and change nothing.
  void pressOk() { finished = true; }
  void pressCancel() { finished = true; }
  // The run button: a box without a chosen line; a comment does nothing; a command line closes
  // the dialog with its choice.
  void pressRun(Host& host);
};

// A command-file line as the list shows it: the line end dropped, column blanks made tabs.
std::string ListLineOf(std::string_view fileLine);

// The lines of a command file, as the list shows them.
std::vector<std::string> ListLinesOf(std::string_view fileBytes);

// Command 80: shows the dialog over LAVINOR.CMD (current directory first, then the program's
// directory) and puts the chosen command on the input line, entering it unless it wants
// arguments.
void RunCommandListDialog(AppState& app);

}  // namespace lav::command
