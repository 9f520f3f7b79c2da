// The last 20 command lines, most recent first, for Up and Down in the Command Window.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace lav::command {

inline constexpr int kRecallEntries = 20;

struct RecallList {
  std::array<std::string, kRecallEntries> entries;  // [0] most recent; each at most 91 bytes
  int count = 0;
  int position = 0;  // 0: not recalling; n: entry n-1 is shown
};

// Files a line: a line already at the front changes nothing, one further back moves to the
// front, a new one pushes the others back (the 20th is dropped). Lines of blanks are not kept.
void RecordLine(RecallList& list, std::string_view line);

// Up: the next older entry, or nullopt when there is none.
std::optional<std::string> RecallOlder(RecallList& list);

// Down: the next newer entry; back at position 0 (or already there) the line becomes empty.
std::string RecallNewer(RecallList& list);

}  // namespace lav::command
