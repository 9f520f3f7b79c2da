// The Command Window's logic: the transcript, the input line, typed characters and keys, the
// recall list, function keys and the text that menus, clicks and dialogs put on the input line.
// The window itself (painting, pixels) maps its events onto these functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/command_file.h"
#include "console/line_editor.h"
#include "console/recall_list.h"
#include "console/transcript.h"
#include "console/window_messages.h"

namespace lav::command {

struct ConsoleState;

// The window is its input line (prompt, input, caret: the editing functions of line_editor.h
// take it as that) with the transcript, the recall list and the command file's table.
struct CommandWindow : InputLine {
  CommandWindow() { prompt.assign(winmsg::kIdlePrompt); }

  Transcript transcript;
  RecallList recall;
  CommandTable commands;      // the names of the commands and the function-key texts
  bool macroRunning = false;  // while a macro runs only mode-5 lines are printed
  bool closing = false;       // set when creation failed: the window closes at its first paint
  int lineHeight = 16;        // L: the height of one line, which other windows are laid out by
};

// Modes of PrintLine.
inline constexpr int kPrintEndLine = 0;      // with text: the text becomes a transcript line
inline constexpr int kPrintMessage = 1;      // text into line 0; without text only a repaint
inline constexpr int kPrintMacro = 5;        // printed even while a macro runs
inline constexpr int kPrintTranscript = 10;  // text straight into the transcript
inline constexpr int kPrintInPlace = -1;     // text into line 0 without scrolling

// The box for a text that does not fit on the input line.
void RefuseOverlongText(ConsoleState& app);

// The one way to add to the transcript. Text is Shift-JIS and is cut to one line.
void PrintLine(ConsoleState& app, std::string_view text, int mode);

// Line 0 shows the prompt and the input again (what painting the input line stores).
void RepaintInputLine(ConsoleState& app);

// What a paint of the input line shows and stores as line 0: the prompt and the input, except
// while an entered line is carried out. Line 0 then keeps that line (or what the command printed
// into it) until the command ends it, so that a paint during the command's work (a redraw steps
// the window messages) does not take the line out of the transcript.
std::string_view PaintInputLine(ConsoleState& app);

// Creation: idle prompt and the command file. False when the command file cannot be read
// (the closing flag is then set).
bool CreateCommandWindow(ConsoleState& app);

// Size of the client area; the first call fixes the transcript capacity. A size too large for
// the transcript shows a box and sets the closing flag.
void SizeCommandWindow(ConsoleState& app, int clientHeight, int lineHeight);

// Command 16: every earlier line is emptied.
void ClearTranscript(ConsoleState& app);

enum class Key {
  Up,
  Down,
  PageUp,
  PageDown,
  Home,
  End,
  Left,
  Right,
  Delete,
  F1,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
  F13,
  F14,
  F15,
};

// The function key number 1..15 of a key, 0 for other keys.
int FunctionKeyNumber(Key key);
Key FunctionKey(int number);  // number 1..15

// Files the input line in the recall list (Enter does this while no macro runs).
void RecordCommandLine(ConsoleState& app);

// Appends text (Shift-JIS) to the input, caret at the end. A text that does not fit is refused
// with a message and the input stays as it was.
bool AppendToInput(ConsoleState& app, std::string_view text);

// Command 73: the text of key k (1..15). False for a bad key or a text over 39 bytes.
bool SetFunctionKey(CommandWindow& window, int k, std::string_view text);

// Opens HLP/LAVINOR.html under the program's directory with the default handler.
void OpenHelp(ConsoleState& app);

}  // namespace lav::command
