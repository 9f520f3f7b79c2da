#include "command/command_list_dialog.h"

#include <fstream>
#include <iterator>

#include "command/window_input.h"
#include "console/command_file.h"
#include "console/command_window.h"
#include "console/window_messages.h"
#include "platform/paths.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {
namespace {

void tabAt(std::string& s, std::size_t i) {
  if (i < s.size() && s[i] == ' ') s[i] = '\t';
}

bool allBlank(std::string_view s, std::size_t from, std::size_t to) {
  if (to >= s.size()) return false;
  for (std::size_t i = from; i <= to; ++i)
    if (s[i] != ' ') return false;
  return true;
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<std::string> findCommandList(const AppState& app) {
  const std::string name(winmsg::kCommandListFileName);
  if (auto here = paths::findCaseInsensitive(name)) return here;
  return paths::findCaseInsensitive(paths::join(app.programDir, name));
}

}  // namespace

std::string ListLineOf(std::string_view fileLine) {
  // Only a real line end goes: a last line without one keeps its last character.
  if (fileLine.ends_with('\n')) fileLine.remove_suffix(1);
  if (fileLine.ends_with('\r')) fileLine.remove_suffix(1);
  std::string s(fileLine);
  NumberAndWord nw;
  if (ScanNumberAndWord(s, nw)) {
    const bool noPattern = allBlank(s, 18, 29);
    tabAt(s, 7);
    if (noPattern) tabAt(s, 29);
    tabAt(s, 30);
    tabAt(s, 36);
  } else if (s.starts_with('#')) {
    for (std::size_t i : {15, 20, 30, 32, 36}) tabAt(s, i);
  }
  return s;
}

std::vector<std::string> ListLinesOf(std::string_view bytes) {
  std::vector<std::string> lines;
  while (!bytes.empty()) {
    const std::size_t nl = bytes.find('\n');
    const std::size_t take = nl == std::string_view::npos ? bytes.size() : nl + 1;
    lines.push_back(ListLineOf(bytes.substr(0, take)));
    bytes.remove_prefix(take);
  }
  return lines;
}

void CommandListDialog::pressRun(Host& host) {
  if (selected < 0 || selected >= static_cast<int>(lines.size()) || lines[selected].empty()) {
    host.messageBox(sjis::fromUtf8(winmsg::kSelectFirst), sjis::fromUtf8(winmsg::kErrorCaption),
                    Icon::Information, Buttons::Ok);
    return;
  }
  const std::string_view line = lines[selected];
  if (line.starts_with('#')) return;
  NumberAndWord nw;
  if (!ScanNumberAndWord(line, nw)) return;
  // The third column: a pattern starting with '{' means arguments are to be typed.
  std::string_view rest = line.substr(nw.end);
  const std::size_t third = rest.find_first_not_of(" \t\r\n");
  const bool wantsArguments = third != std::string_view::npos && rest[third] == '{';
  choice = CommandListChoice{std::string(nw.word) + " ", !wantsArguments};
  finished = true;
}

void RunCommandListDialog(AppState& app) {
  auto path = findCommandList(app);
  auto bytes = path ? readFile(*path) : std::nullopt;
  if (!bytes) {
    std::string text = sjis::fromUtf8(winmsg::kCannotOpenFile);
    text.replace(text.find("%s"), 2, winmsg::kCommandListFileName);
    ShowRefusalBox(app.host, text, sjis::fromUtf8(winmsg::kErrorCaption));
    return;
  }
  CommandListDialog dialog;
  dialog.lines = ListLinesOf(*bytes);
  const bool wasOpen = app.dispatch.dialogOpen;
  app.dispatch.dialogOpen = true;
  app.host.runDialog(dialog);
  app.dispatch.dialogOpen = wasOpen;
  if (!dialog.choice) return;
  if (AppendToInput(app, dialog.choice->text) && dialog.choice->enterFollows) {
    TypeCharacter(app, 13);
  }
}

}  // namespace lav::command
