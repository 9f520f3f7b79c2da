// The working settings kept in a design's first 384 bytes: moved into the program's settings
// when a design is opened and back before it is written. The header's part of the record codec.
#pragma once

#include <cstdint>

#include "db/design_image.h"
#include "db/settings.h"

namespace lav::db {

inline constexpr std::int32_t kHatchFlagOffset = 320;
inline constexpr std::int32_t kLayerNamesFlagOffset = 325;
inline constexpr std::int16_t kCurrentVersion = 450;
inline constexpr std::int16_t kFirstUnreadableVersion = 500;

// The format version stored in the header.
std::int16_t HeaderVersion(const DesignImage& image);

// The blocks of the data area that the header points to, each with a presence flag.
enum class HeaderBlock : std::uint8_t { HatchCounts, LayerNames };
bool HasHeaderBlock(const DesignImage& image, HeaderBlock which);
// The block's image offset as stored (meaningful only when the block is present).
std::int32_t HeaderBlockAt(const DesignImage& image, HeaderBlock which);
// Marks the block present at offset.
void SetHeaderBlock(DesignImage& image, HeaderBlock which, std::int32_t offset);

// Takes the header's settings (by the version's rules, every value brought into its range). The
// settings are one table of fields (offset, width, first version, range) that both directions
// loop over.
// False, with nothing taken, for a version of 500 or more.
bool ReadHeader(const DesignImage& image, Settings& settings);

// Writes the settings into the header and the layer hatch table (appending the table the first
// time). False when the table does not fit the image.
bool WriteHeader(DesignImage& image, const Settings& settings, std::int16_t version);

}  // namespace lav::db
