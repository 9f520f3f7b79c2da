// The input line of the Command Window: a prompt and the typed text after it, with a caret.
// Editing steps over two-byte characters as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lav::command {

// Prompt and input together fill at most this many bytes (one 92-byte line with its end).
inline constexpr std::size_t kInputLineMax = 91;
inline constexpr std::size_t kPromptMax = 40;

struct InputLine {
  std::string prompt;     // Shift-JIS, at most kPromptMax bytes
  std::string input;      // Shift-JIS, typed after the prompt
  std::size_t caret = 0;  // byte index into input
  // A typed first byte of a two-byte character waits for its second byte (room is reserved).
  bool trailPending = false;
  // A refused first byte: its second byte must not be taken on its own.
  bool dropTrail = false;
};

// The window's own double-byte rule: a byte below 32, from 127 to 160, or from 224 up starts a
// two-byte character.
bool IsDoubleByteStart(std::uint8_t b);

// Bytes of the character starting at pos (2 for a double-byte start with a byte after it).
std::size_t CharWidthAt(std::string_view s, std::size_t pos);

// Start of the character before pos, walking from the start of s.
std::size_t PreviousCharStart(std::string_view s, std::size_t pos);

// True when extra more bytes of input keep prompt and input within kInputLineMax.
bool Fits(const InputLine& line, std::size_t extra);

// A typed byte inserted at the caret; false when the line is full (the byte is dropped).
bool InsertTypedByte(InputLine& line, std::uint8_t b);

// Backspace: the character before the caret goes.
void EraseBeforeCaret(InputLine& line);
// Delete: the character at the caret goes; at the end, the last character.
void EraseAtCaret(InputLine& line);
void CaretLeft(InputLine& line);
void CaretRight(InputLine& line);

// The input replaced by text, caret at its end.
void ReplaceInput(InputLine& line, std::string_view text);

// True when the caret stands on the first byte of a two-byte character (the caret is drawn
// two characters wide).
bool CaretOnDoubleByte(const InputLine& line);

}  // namespace lav::command
