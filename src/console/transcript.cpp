#include "console/transcript.h"

#include <algorithm>

#include "platform/sjis.h"

namespace lav::command {

std::string_view CutToLine(std::string_view text) {
  return sjis::cutAt(text, kLineTextMax);
}

bool SetClientHeight(Transcript& t, int clientHeight, int lineHeight) {
  if (lineHeight <= 0) return true;
  const int rows = std::max(clientHeight, 0) / lineHeight;
  if (t.capacity == 0) {
    if (rows > kMaxTranscriptLines) return false;
    // A window first sized smaller than a line still keeps one line.
    SetFixedCapacity(t, std::max(rows, 1));
  }
  t.visible = std::clamp(rows - 1, 0, t.capacity - 1);
  return true;
}

void SetFixedCapacity(Transcript& t, int capacity) {
  if (t.capacity != 0 || capacity <= 0) return;
  t.capacity = std::min(capacity, kMaxTranscriptLines);
  t.lines.resize(static_cast<std::size_t>(t.capacity) + 1);
}

void ScrollIn(Transcript& t, std::string_view text) {
  const std::string line(CutToLine(text));  // a copy: text may be one of the lines
  if (t.onLine) t.onLine(line);
  if (t.capacity == 0) return;
  // Line n moves to n + 1; the oldest falls off at the capacity.
  const int last = std::min(t.count + 1, t.capacity);
  for (int n = last; n > 1; --n) t.lines[n] = std::move(t.lines[n - 1]);
  t.lines[1].assign(line);
  t.count = last;
}

void SetLineZero(Transcript& t, std::string_view text) {
  t.lines[0].assign(CutToLine(text));
}

void ClearEarlierLines(Transcript& t) {
  for (std::size_t n = 1; n < t.lines.size(); ++n) t.lines[n].clear();
  t.count = 0;
}

std::string_view LineAt(const Transcript& t, int n) {
  if (n < 0 || n > t.count) return {};
  return t.lines[n];
}

}  // namespace lav::command
