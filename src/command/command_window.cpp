#include "command/command_window.h"

#include "command/dispatcher.h"
#include "platform/paths.h"
#include "platform/sjis.h"
#include "shell/app_state.h"

namespace lav::command {
namespace {

constexpr int kEnter = 13;

void refuseText(AppState& app) {
  ShowRefusalBox(app.host, sjis::fromUtf8(winmsg::kDoesNotFit),
                 sjis::fromUtf8(winmsg::kErrorCaption));
}

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

void PrintLine(AppState& app, std::string_view text, int mode) {
  CommandWindow& w = app.window;
  if (w.macroRunning && mode != kPrintMacro) return;
  Transcript& t = w.transcript;
  if (mode == kPrintInPlace) {
    SetLineZero(t, text);
  } else if (mode == kPrintMessage && text.empty()) {
    // only a repaint of the input line
  } else if (mode == kPrintTranscript) {
    // The text goes straight into the transcript; line 0 keeps the input line, which is what
    // the next paint shows there anyway.
    ScrollIn(t, text);
    SetLineZero(t, w.prompt + w.input);
  } else {
    const std::string old(t.lines[0]);
    ScrollIn(t, old);
    SetLineZero(t, text);
    if (mode == kPrintEndLine && !text.empty()) PrintLine(app, {}, kPrintEndLine);
  }
  app.host.invalidate(Window::Command);
}

void RepaintInputLine(AppState& app) {
  SetLineZero(app.window.transcript, app.window.prompt + app.window.input);
  app.host.invalidate(Window::Command);
}

std::string_view PaintInputLine(AppState& app) {
  Transcript& t = app.window.transcript;
  if (!app.dispatch.busy || t.lines[0].empty())
    SetLineZero(t, app.window.prompt + app.window.input);
  return t.lines[0];
}

bool CreateCommandWindow(AppState& app) {
  CommandWindow& w = app.window;
  w.prompt.assign(winmsg::kIdlePrompt);
  if (!LoadCommandFile(app)) {
    w.closing = true;
    return false;
  }
  RepaintInputLine(app);
  return true;
}

void SizeCommandWindow(AppState& app, int clientHeight, int lineHeight) {
  if (SetClientHeight(app.window.transcript, clientHeight, lineHeight)) return;
  app.host.messageBox(sjis::fromUtf8(winmsg::kWindowTooLarge),
                      sjis::fromUtf8(winmsg::kOutOfMemoryCaption), Icon::Information, Buttons::Ok);
  app.window.closing = true;
}

void ClearTranscript(AppState& app) {
  ClearEarlierLines(app.window.transcript);
  app.host.invalidate(Window::Command);
}

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

int FunctionKeyNumber(Key key) {
  const int k = static_cast<int>(key) - static_cast<int>(Key::F1) + 1;
  return k >= 1 && k <= kFunctionKeys ? k : 0;
}

Key FunctionKey(int number) {
  return static_cast<Key>(static_cast<int>(Key::F1) + number - 1);
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
          refuseText(app);
        }
      }
      break;
    case Key::Down:
    case Key::PageDown: {
      const std::string entry = RecallNewer(w.recall);
      if (fitsAfterPrompt(w, entry.size())) {
        ReplaceInput(w, entry);
      } else {
        refuseText(app);
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

void RecordCommandLine(AppState& app) {
  RecordLine(app.window.recall, app.window.input);
}

bool AppendToInput(AppState& app, std::string_view text) {
  InputLine& line = app.window;
  if (!Fits(line, text.size())) {
    refuseText(app);
    return false;
  }
  ReplaceInput(line, line.input + std::string(text));
  RepaintInputLine(app);
  return true;
}

bool TypeText(AppState& app, std::string_view text) {
  InputLine& line = app.window;
  line.trailPending = line.dropTrail = false;
  if (!Fits(line, text.size())) {
    refuseText(app);
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

bool SetFunctionKey(CommandWindow& window, int k, std::string_view text) {
  if (k < 1 || k > kFunctionKeys || text.size() >= kFunctionKeyBytes) return false;
  window.commands.keys[k - 1] = text;
  return true;
}

void OpenHelp(AppState& app) {
  const std::string path = paths::join(app.programDir, std::string(winmsg::kHelpPath));
  app.host.openWithDefaultHandler(paths::findCaseInsensitive(path).value_or(path));
}

}  // namespace lav::command
