// Command 123: the Graphics Window's pixels saved as a 24-bit .BMP file, never over an existing
// file and never left half written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/surface.h"

namespace lav::display {

struct SceneState;

// The bitmap's name: the extension (from the last '.' of the file's own name) replaced by
// ".BMP", or ".BMP" appended.
std::string BitmapFileName(std::string_view name);

// Bytes in a row of 24-bit pixels, padded to a multiple of 4.
inline std::uint32_t BitmapRowSize(std::uint32_t width) {
  return ((width * 24 + 7) / 8 + 3) / 4 * 4;
}

// The whole file for the w x h pixels at the top-left of surface: the 14-byte file header, the
// 40-byte information header and the rows bottom-up, blue-green-red.
std::vector<std::uint8_t> EncodeBitmap(const Surface& surface, int width, int height);

enum class BitmapResult : std::uint8_t { Written, Exists, CannotCreate };

struct BitmapExport {
  BitmapResult result = BitmapResult::Written;
  std::string name;  // the bitmap's name as shown in messages (Shift-JIS)
  std::string path;  // the file system's name of it
};

// The write call; tests replace it to play a full disk. Returns bytes written or -1.
using BitmapWriteCall = std::function<long(int fd, const std::uint8_t* data, std::size_t size)>;

// Saves the Graphics Window's client area (without a window: an empty image of the client
// size) under the name argument (Shift-JIS; empty: the design file's name). A failed create or
// write leaves no file behind.
BitmapExport ExportBitmap(SceneState& app, std::string_view argument,
                          const BitmapWriteCall& write = {});

}  // namespace lav::display
