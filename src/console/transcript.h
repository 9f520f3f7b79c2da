// The Command Window's transcript: fixed 92-byte lines, line 0 the input line as last shown,
// lines 1..count the earlier lines, 1 the most recent.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lav::command {

inline constexpr std::size_t kLineBytes = 92;
inline constexpr std::size_t kLineTextMax = kLineBytes - 1;  // the rest is the line's end
// A window that would hold more lines than this is refused as too large.
inline constexpr int kMaxTranscriptLines = 20000;

struct Transcript {
  std::vector<std::string> lines = std::vector<std::string>(1);  // capacity + 1 once sized
  int capacity = 0;  // fixed at the first size; 0 before it (only line 0 is kept)
  int count = 0;     // earlier lines held, at most capacity
  int visible = 0;   // earlier lines the window shows, at most capacity - 1
  // Called with every line that becomes a transcript line (Shift-JIS), held or not.
  std::function<void(std::string_view)> onLine;
};

// The first call fixes the capacity (client height / line height, at least 1); every call sets
// the visible count. False when the first size asks for more than kMaxTranscriptLines.
bool SetClientHeight(Transcript& t, int clientHeight, int lineHeight);

// A capacity for a transcript without a window (the batch runner); ignored once fixed.
void SetFixedCapacity(Transcript& t, int capacity);

// Lines move up by one and text becomes line 1 (cut to a line).
void ScrollIn(Transcript& t, std::string_view text);

// Line 0 becomes text (cut to a line), without scrolling.
void SetLineZero(Transcript& t, std::string_view text);

// Empties every earlier line.
void ClearEarlierLines(Transcript& t);

// Line n (0 the input line), empty beyond count.
std::string_view LineAt(const Transcript& t, int n);

// Text cut to one line without splitting a two-byte character.
std::string_view CutToLine(std::string_view text);

}  // namespace lav::command
