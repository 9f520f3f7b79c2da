#include "console/recall_list.h"

#include <algorithm>

#include "console/transcript.h"

namespace lav::command {

void RecordLine(RecallList& list, std::string_view line) {
  if (line.find_first_not_of(" \t\n") == std::string_view::npos) return;
  const std::string entry(CutToLine(line));
  const auto begin = list.entries.begin();
  const auto end = begin + list.count;
  const auto found = std::find(begin, end, entry);
  if (found != end) {
    std::rotate(begin, found, found + 1);  // nothing moves when it is already the first
    return;
  }
  std::move_backward(begin, begin + std::min(list.count, kRecallEntries - 1),
                     begin + std::min(list.count + 1, kRecallEntries));
  list.entries[0] = entry;
  list.count = std::min(list.count + 1, kRecallEntries);
}

std::optional<std::string> RecallOlder(RecallList& list) {
  if (list.position >= list.count) return std::nullopt;
  return list.entries[list.position++];
}

std::string RecallNewer(RecallList& list) {
  if (list.position > 0) --list.position;
  if (list.position == 0) return {};
  return list.entries[list.position - 1];
}

}  // namespace lav::command
