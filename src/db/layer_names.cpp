#include "db/layer_names.h"

#include <algorithm>
#include <cstring>

#include "db/design_header.h"
#include "db/design_image.h"
#include "platform/sjis.h"

namespace lav::db {
namespace {

constexpr int kLayers = 64;

bool hasBlock(const DesignImage& image) {
  return image.allocated() && HasHeaderBlock(image, HeaderBlock::LayerNames);
}

std::int32_t blockAt(const DesignImage& image) {
  return HeaderBlockAt(image, HeaderBlock::LayerNames);
}

}  // namespace

std::string LayerName(const DesignImage& image, int layer) {
  if (layer < 0 || layer >= kLayers || !hasBlock(image)) return {};
  const std::int32_t at = blockAt(image) + static_cast<std::int32_t>(layer * kLayerNameBytes);
  if (at < kDataStart || at + static_cast<std::int32_t>(kLayerNameBytes) > image.usedSize)
    return {};
  const char* p = reinterpret_cast<const char*>(image.at(at));
  return std::string(p, strnlen(p, kLayerNameBytes));
}

LayerNameResult SetLayerName(DesignImage& image, int layer, std::string_view name) {
  if (layer < 0 || layer >= kLayers || !image.allocated()) return LayerNameResult::BadLayer;
  if (!hasBlock(image)) {
    if (!Reserve(image, std::int64_t(image.usedSize) + kLayerNamesBlockSize))
      return LayerNameResult::NoRoom;
    const std::int32_t at = image.usedSize;
    std::fill_n(image.at(at), kLayerNamesBlockSize, std::uint8_t{0});
    SetHeaderBlock(image, HeaderBlock::LayerNames, at);
    image.usedSize += kLayerNamesBlockSize;
  }
  const std::string_view cut = sjis::cutAt(name, kLayerNameBytes);
  std::uint8_t* slot =
      image.at(blockAt(image) + static_cast<std::int32_t>(layer * kLayerNameBytes));
  std::fill_n(slot, kLayerNameBytes, std::uint8_t{0});
  std::memcpy(slot, cut.data(), cut.size());
  return LayerNameResult::Stored;
}

}  // namespace lav::db
