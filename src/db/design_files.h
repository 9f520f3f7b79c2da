// The life of the one open design: new, open, close with or without writing. Each returns what
// refused it; the commands show that.
#pragma once

#include <string>
#include <string_view>

namespace lav::db {

struct CoreState;

struct Refusal;

// Stopped: failed because Escape cut the load short (nothing to show for it).
enum class OpenResult : int { Opened = 0, Refused = 1, Failed = -1, Stopped = -2 };

// Command 2 with a name: false when nothing was created; refusal says why, if there is
// anything to say.
bool NewDesign(CoreState& app, std::string_view name, Refusal& refusal);

// The open operation on a typed name (first word): name and content checks, load, header.
OpenResult OpenDesign(CoreState& app, std::string_view argument, Refusal& refusal);

// The close operation: writes the design when save is true. False when the write failed or
// was stopped: the design then stays open (refusal says why a write failed).
bool CloseDesign(CoreState& app, bool save, Refusal& refusal);

// Closes the open design without writing it (a figure taken out for editing is put back first).
void DiscardDesign(CoreState& app);

// Forgets the design and its file lock; the image is freed.
void ReleaseDesign(CoreState& app);

// The paint marks belong to one run of one design: the file is emptied when a design starts.
void ClearPaintMarks(CoreState& app);

// Formats a message text (UTF-8 with one %s) with a Shift-JIS argument into Shift-JIS.
std::string FormatMessage(const char* utf8, std::string_view sjisArgument = {});

}  // namespace lav::db
