#include "console/command_window.h"

#include "console/console_state.h"
#include "platform/paths.h"
#include "platform/sjis.h"

namespace lav::command {

void RefuseOverlongText(ConsoleState& app) {
  ShowRefusalBox(app.host, sjis::fromUtf8(winmsg::kDoesNotFit),
                 sjis::fromUtf8(winmsg::kErrorCaption));
}

void PrintLine(ConsoleState& app, std::string_view text, int mode) {
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

void RepaintInputLine(ConsoleState& app) {
  SetLineZero(app.window.transcript, app.window.prompt + app.window.input);
  app.host.invalidate(Window::Command);
}

std::string_view PaintInputLine(ConsoleState& app) {
  Transcript& t = app.window.transcript;
  if (!app.dispatch.busy || t.lines[0].empty())
    SetLineZero(t, app.window.prompt + app.window.input);
  return t.lines[0];
}

bool CreateCommandWindow(ConsoleState& app) {
  CommandWindow& w = app.window;
  w.prompt.assign(winmsg::kIdlePrompt);
  if (!LoadCommandFile(app)) {
    w.closing = true;
    return false;
  }
  RepaintInputLine(app);
  return true;
}

void SizeCommandWindow(ConsoleState& app, int clientHeight, int lineHeight) {
  if (SetClientHeight(app.window.transcript, clientHeight, lineHeight)) return;
  app.host.messageBox(sjis::fromUtf8(winmsg::kWindowTooLarge),
                      sjis::fromUtf8(winmsg::kOutOfMemoryCaption), Icon::Information, Buttons::Ok);
  app.window.closing = true;
}

void ClearTranscript(ConsoleState& app) {
  ClearEarlierLines(app.window.transcript);
  app.host.invalidate(Window::Command);
}

int FunctionKeyNumber(Key key) {
  const int k = static_cast<int>(key) - static_cast<int>(Key::F1) + 1;
  return k >= 1 && k <= kFunctionKeys ? k : 0;
}

Key FunctionKey(int number) {
  return static_cast<Key>(static_cast<int>(Key::F1) + number - 1);
}

void RecordCommandLine(ConsoleState& app) {
  RecordLine(app.window.recall, app.window.input);
}

bool AppendToInput(ConsoleState& app, std::string_view text) {
  InputLine& line = app.window;
  if (!Fits(line, text.size())) {
    RefuseOverlongText(app);
    return false;
  }
  ReplaceInput(line, line.input + std::string(text));
  RepaintInputLine(app);
  return true;
}

bool SetFunctionKey(CommandWindow& window, int k, std::string_view text) {
  if (k < 1 || k > kFunctionKeys || text.size() >= kFunctionKeyBytes) return false;
  window.commands.keys[k - 1] = text;
  return true;
}

void OpenHelp(ConsoleState& app) {
  const std::string path = paths::join(app.programDir, std::string(winmsg::kHelpPath));
  app.host.openWithDefaultHandler(paths::findCaseInsensitive(path).value_or(path));
}

}  // namespace lav::command
