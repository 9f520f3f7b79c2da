// The working settings kept in a design's first 384 bytes: moved into the program's settings
// when a design is opened and back before it is written.
#pragma once

#include <cstdint>

#include "db/design_image.h"
#include "db/settings.h"

namespace lav::db {

inline constexpr std::int32_t kVersionOffset = 42;
inline constexpr std::int32_t kHatchFlagOffset = 320;
inline constexpr std::int32_t kLayerNamesFlagOffset = 325;
inline constexpr std::int16_t kCurrentVersion = 450;
inline constexpr std::int16_t kFirstUnreadableVersion = 500;

// The format version stored in the header.
std::int16_t HeaderVersion(const DesignImage& image);

// Takes the header's settings (by the version's rules, every value brought into its range).
// False, with nothing taken, for a version of 500 or more.
bool ReadHeader(const DesignImage& image, Settings& settings);

// Writes the settings into the header and the layer hatch table (appending the table the first
// time). False when the table does not fit the image.
bool WriteHeader(DesignImage& image, const Settings& settings, std::int16_t version);

}  // namespace lav::db
