// Layer names kept in the design: one 20-byte slot per layer in a block that is appended to the
// data area the first time any layer is named.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lav::db {

struct DesignImage;

inline constexpr std::size_t kLayerNameBytes = 20;

// The name of layer 0..63 (Shift-JIS); empty when unnamed, out of range or without the block.
std::string LayerName(const DesignImage& image, int layer);

enum class LayerNameResult : std::uint8_t { Stored, BadLayer, NoRoom };

// Writes one slot: the name cut to 20 bytes without splitting a two-byte character, NUL-padded.
// Appends the block first when the design has none; NoRoom leaves the image untouched.
LayerNameResult SetLayerName(DesignImage& image, int layer, std::string_view name);

}  // namespace lav::db
