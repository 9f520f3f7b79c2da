// The macro runner: reads a macro file line by line and enters each line into the Command
// Window as if it were typed, so the dispatcher runs it with its prompts. Comments, labels,
// GOTO#x jumps, ECHO$, INKEY$ and assignments are handled here. Macros call macros up to ten
// deep; Escape (the message step clearing the continue flag) stops them.
#pragma once

#include <string>
#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::macro {

// Starts the macro file at path (found already), from the line after startLabel when one is
// given. Called while no macro runs, the macro runs to its end or to an INKEY$ wait before this
// returns; called from a running macro's line, the file is pushed as a nested call and the
// running loop goes on in it.
void StartMacroFile(AppState& app, const std::string& path, std::string_view startLabel);

// Runs AUTO.MAC from the current directory or the program's directory, if there is one (a
// missing file is not an error). Returns true when a macro was started.
bool RunAutoMacro(AppState& app);

// Enter while a macro is active: an INKEY$ wait takes the input line and the macro goes on; a
// running macro ignores the user's Enter. False when no macro claims it and Enter runs the input
// line as usual.
bool TakeEnterForMacro(AppState& app);

// Stops an active macro at once (Escape in the Command Window). Returns true when one was
// active; the caller prints the break line.
bool StopMacro(AppState& app);

bool MacroActive(const AppState& app);

// The macro command: "MACRO name [label]" runs name.MAC. Without a name it asks for one.
void StartMacroCommand(AppState& app, std::string_view line);
void ContinueMacroCommand(AppState& app, std::string_view answer);

// A command number above the built-in ones that the command file names: its name.MAC runs with
// the command line's first argument as the start label. False when there is no such file.
bool RunNamedMacro(AppState& app, const std::string& sjisName, std::string_view line);

}  // namespace lav::macro
