#include "console/line_editor.h"

#include <algorithm>

namespace lav::command {
namespace {

void clampCaret(InputLine& line) {
  line.caret = std::min(line.caret, line.input.size());
}

void forgetPendingByte(InputLine& line) {
  line.trailPending = false;
  line.dropTrail = false;
}

}  // namespace

bool IsDoubleByteStart(std::uint8_t b) {
  return b < 32 || (b >= 127 && b <= 160) || b >= 224;
}

std::size_t CharWidthAt(std::string_view s, std::size_t pos) {
  if (pos >= s.size()) return 0;
  const bool pair = IsDoubleByteStart(static_cast<std::uint8_t>(s[pos])) && pos + 1 < s.size();
  return pair ? 2 : 1;
}

std::size_t PreviousCharStart(std::string_view s, std::size_t pos) {
  pos = std::min(pos, s.size());
  std::size_t i = 0, last = 0;
  while (i < pos) {
    last = i;
    i += CharWidthAt(s, i);
  }
  return last;
}

bool Fits(const InputLine& line, std::size_t extra) {
  return line.prompt.size() + line.input.size() + extra <= kInputLineMax;
}

bool InsertTypedByte(InputLine& line, std::uint8_t b) {
  clampCaret(line);
  if (line.trailPending) {
    line.trailPending = false;  // its room was reserved with the first byte
  } else if (line.dropTrail) {
    line.dropTrail = false;
    return false;
  } else {
    const bool first = IsDoubleByteStart(b);
    if (!Fits(line, first ? 2 : 1)) {
      line.dropTrail = first;  // never half a character on the line
      return false;
    }
    line.trailPending = first;
  }
  line.input.insert(line.caret, 1, static_cast<char>(b));
  ++line.caret;
  return true;
}

void EraseBeforeCaret(InputLine& line) {
  forgetPendingByte(line);
  clampCaret(line);
  if (line.caret == 0) return;
  const std::size_t start = PreviousCharStart(line.input, line.caret);
  line.input.erase(start, line.caret - start);
  line.caret = start;
}

void EraseAtCaret(InputLine& line) {
  forgetPendingByte(line);
  clampCaret(line);
  if (line.input.empty()) return;
  if (line.caret == line.input.size()) {
    line.input.erase(PreviousCharStart(line.input, line.caret));
    line.caret = line.input.size();
    return;
  }
  const std::size_t start = PreviousCharStart(line.input, line.caret + 1);
  line.input.erase(start, CharWidthAt(line.input, start));
  line.caret = start;
}

void CaretLeft(InputLine& line) {
  forgetPendingByte(line);
  clampCaret(line);
  line.caret = PreviousCharStart(line.input, line.caret);
}

void CaretRight(InputLine& line) {
  forgetPendingByte(line);
  clampCaret(line);
  line.caret += CharWidthAt(line.input, line.caret);
}

void ReplaceInput(InputLine& line, std::string_view text) {
  forgetPendingByte(line);
  line.input.assign(text);
  line.caret = line.input.size();
}

bool CaretOnDoubleByte(const InputLine& line) {
  return line.caret < line.input.size() && CharWidthAt(line.input, line.caret) == 2;
}

}  // namespace lav::command
