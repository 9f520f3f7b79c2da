// The .CAD file: the first 49 bytes of the image as they are, then the rest of the used image,
// normally in a byte-oriented run-length encoding; reading accepts a plain rest too.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "db/design_image.h"
#include "platform/host.h"

namespace lav::db {

inline constexpr std::int32_t kPrefixSize = 49;
inline constexpr std::int32_t kEncodingFlagOffset = 41;
inline constexpr std::uint8_t kInMemoryEncodingFlag = 10;

// The whole file of an image: prefix with byte 41 = 0, then the encoded body.
std::vector<std::uint8_t> EncodeFile(const DesignImage& image);

// Receives the file in order, in pieces of about 20 KB; false stops the encoding.
using EncodeSink = std::function<bool(std::span<const std::uint8_t> piece)>;
// The same file handed to sink piece by piece; false when the sink stopped it.
// A large image is encoded by as many threads as the machine has, eight at most.
bool EncodeFileTo(const DesignImage& image, const EncodeSink& sink);
// The same bytes, made in ranges of about rangeBytes by `threads` threads (0: in one pass).
bool EncodeFileTo(const DesignImage& image, const EncodeSink& sink, std::size_t rangeBytes,
                  int threads);

enum class LoadError : std::uint8_t {
  None,
  CannotOpen,
  TooLarge,  // expands beyond the image
  Damaged,   // shorter than an empty design, or its directory or chains point outside it
  Stopped,   // Escape
};

// Fills image (allocated here) from the file's bytes. On failure the image is released.
LoadError DecodeFile(std::span<const std::uint8_t> file, DesignImage& image, Host* host = nullptr,
                     bool* continueFlag = nullptr);

// Reads and decodes a design file.
LoadError LoadCadFile(const std::string& path, DesignImage& image, Host* host = nullptr,
                      bool* continueFlag = nullptr);

// Empty when the image's directory, chains, records and layer tables all lie inside its used
// data; otherwise what is wrong.
std::string ValidateImage(const DesignImage& image);

}  // namespace lav::db
