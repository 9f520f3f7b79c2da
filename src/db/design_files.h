// The life of the one open design: new, open, close with or without writing, and the end of
// the program. Each takes the command's argument text and shows its own messages.
#pragma once

#include <string>
#include <string_view>

namespace lav::db {

struct CoreState;

// Stopped: failed because Escape cut the load short (no message box was shown for it).
enum class OpenResult : int { Opened = 0, Refused = 1, Failed = -1, Stopped = -2 };

// Command 2 with a name: false when nothing was created (the message was shown).
bool NewDesign(CoreState& app, std::string_view name);

// The open operation on a typed name (first word): name and content checks, load, header.
OpenResult OpenDesign(CoreState& app, std::string_view argument);

// Command 3 after the name is known: the open operation with the titles around it. True when
// the open was cut short by Escape (only then does the command print "*** Abortion ***").
bool OpenDesignCommand(CoreState& app, std::string_view argument);

// The close operation: writes the design when save is true. False when the write failed or
// was stopped: the design then stays open (the message was shown for a failure).
bool CloseDesign(CoreState& app, bool save);

// Command 4 (argument "0": without writing).
void CloseDesignCommand(CoreState& app, std::string_view argument);

// Command 1: asks whether to write an open design. True when the program may end.
bool EndProgram(CoreState& app);

// Formats a message text (UTF-8 with one %s) with a Shift-JIS argument into Shift-JIS.
std::string FormatMessage(const char* utf8, std::string_view sjisArgument = {});

}  // namespace lav::db
