#include "command/window_input.h"

#include <algorithm>

#include "command/dispatcher.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::command {
namespace {

constexpr int kEnter = 13;

bool fitsAfterPrompt(const InputLine& line, std::size_t bytes) {
  return line.prompt.size() + bytes <= kInputLineMax;
}

void pressEnter(AppState& app) {
  CommandWindow& w = app.window;
  w.recall.position = 0;
  // The line as the user saw it becomes line 0, so it enters the transcript when it ends.
  RepaintInputLine(app);
  if (!w.macroRunning) RecordCommandLine(app);
  w.trailPending = w.dropTrail = false;
  PressEnter(app);
}

// The word of a transcript line under a column: none when the column is on a blank.
std::string_view wordAt(std::string_view line, std::size_t column) {
  if (column < line.size() && line[column] == ' ') return {};
  // Cut after the character under the pointer, then back to the blank before it.
  std::size_t cut = line.size();
  if (column < line.size()) {
    const std::size_t start = PreviousCharStart(line, column + 1);
    cut = start + CharWidthAt(line, start);
  }
  const std::size_t blank = line.substr(0, cut).rfind(' ');
  const std::size_t begin = blank == std::string_view::npos ? 0 : blank + 1;
  const std::size_t end = std::min(line.find(' ', begin), line.size());
  return line.substr(begin, end - begin);
}

// Keys typed while a command works on an entered line leave that line in line 0.
void showTypedInput(AppState& app) {
  PaintInputLine(app);
  app.host.invalidate(Window::Command);
}

}  // namespace

void TypeCharacter(AppState& app, int code) {
  if (code < 0 || code > 255) return;
  InputLine& line = app.window;
  switch (code) {
    case 8:
      EraseBeforeCaret(line);
      break;
    case kEnter:
      pressEnter(app);
      break;
    case 27:
      line.trailPending = line.dropTrail = false;
      AbortCommand(app);
      break;
    case 9:
      InsertTypedByte(line, ' ');
      break;
    default:
      InsertTypedByte(line, static_cast<std::uint8_t>(code));
      break;
  }
  showTypedInput(app);
}

void PressKey(AppState& app, Key key) {
  CommandWindow& w = app.window;
  switch (key) {
    case Key::Up:
    case Key::PageUp:
      if (auto entry = RecallOlder(w.recall)) {
        if (fitsAfterPrompt(w, entry->size())) {
          ReplaceInput(w, *entry);
        } else {
          RefuseOverlongText(app);
        }
      }
      break;
    case Key::Down:
    case Key::PageDown: {
      const std::string entry = RecallNewer(w.recall);
      if (fitsAfterPrompt(w, entry.size())) {
        ReplaceInput(w, entry);
      } else {
        RefuseOverlongText(app);
      }
      break;
    }
    case Key::End:
      OpenHelp(app);
      return;
    case Key::Home:
      ReplaceInput(w, winmsg::kHomeLine);
      pressEnter(app);
      w.caret = 0;
      break;
    case Key::Left:
      CaretLeft(w);
      break;
    case Key::Right:
      CaretRight(w);
      break;
    case Key::Delete:
      EraseAtCaret(w);
      break;
    default:
      if (int k = FunctionKeyNumber(key)) RunFunctionKey(app, k);
      return;
  }
  showTypedInput(app);
}

bool TypeText(AppState& app, std::string_view text) {
  InputLine& line = app.window;
  line.trailPending = line.dropTrail = false;
  if (!Fits(line, text.size())) {
    RefuseOverlongText(app);
    return false;
  }
  for (char c : text) TypeCharacter(app, static_cast<std::uint8_t>(c));
  return true;
}

bool RunMenuCommand(AppState& app, std::int32_t number, std::string_view argument) {
  std::string text;
  if (number == 0) {
    text = " ";
  } else {
    const std::string name = CommandName(app.window.commands, number);
    if (name.empty()) {
      // An unnamed command would enter only the argument, which is a different line.
      ShowRefusalBox(app.host, sjis::fromUtf8(winmsg::kCommandHasNoName),
                     sjis::fromUtf8(winmsg::kErrorCaption));
      return false;
    }
    text = name;
    if (!argument.empty()) text += " " + std::string(argument);
  }
  if (!AppendToInput(app, text)) return false;
  TypeCharacter(app, kEnter);
  return true;
}

bool ClickTranscriptLine(AppState& app, int n, std::size_t column) {
  const Transcript& t = app.window.transcript;
  if (n < 1 || n > t.count) return false;
  const std::string word(wordAt(LineAt(t, n), column));
  if (word.empty()) return false;
  return TypeText(app, word + " ");
}

void RunFunctionKey(AppState& app, int k) {
  if (k < 1 || k > kFunctionKeys) return;
  const std::string text = app.window.commands.keys[k - 1];
  if (text.empty()) return;  // a key without a text does not press Enter
  std::size_t begin = 0;
  while (begin <= text.size()) {
    const std::size_t end = std::min(text.find('\\', begin), text.size());
    std::string_view piece = std::string_view(text).substr(begin, end - begin);
    begin = end + 1;
    if (piece.ends_with('?')) {
      // Left on the line for the user to complete.
      piece.remove_suffix(1);
      if (!AppendToInput(app, piece)) return;
      continue;
    }
    if (!AppendToInput(app, piece)) return;
    TypeCharacter(app, kEnter);
  }
  app.window.caret = app.window.input.size();
  RepaintInputLine(app);
}

}  // namespace lav::command
