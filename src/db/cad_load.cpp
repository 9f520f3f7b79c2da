#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>

#include "db/cad_file.h"
#include "db/design_header.h"
#include "db/element_stream.h"

namespace lav::db {
namespace {

bool blockInside(const DesignImage& image, std::int32_t offset, std::int32_t size) {
  return offset >= kDataStart && offset <= image.usedSize - size;
}

}  // namespace

std::string ValidateImage(const DesignImage& image) {
  if (image.usedSize < kDataStart) return "shorter than an empty design";
  if (image.bytes[0] != '#') return "no design magic";
  if (HasHeaderBlock(image, HeaderBlock::HatchCounts) &&
      !blockInside(image, HeaderBlockAt(image, HeaderBlock::HatchCounts), kHatchBlockSize))
    return "hatch table outside the data";
  if (HasHeaderBlock(image, HeaderBlock::LayerNames) &&
      !blockInside(image, HeaderBlockAt(image, HeaderBlock::LayerNames), kLayerNamesBlockSize))
    return "layer names outside the data";
  for (int k = 1; k <= kSlotCount; ++k) {
    const std::int32_t off = SlotOffset(k);
    if (image.bytes[off] == kFreeSlotMark) break;
    const CellEntry e = ReadCellEntry(image, off);
    if (e.dataSize < 0) return "slot " + std::to_string(k) + ": negative data size";
    if (e.firstBlock != 0 && !blockInside(image, e.firstBlock, kBlockSize))
      return "slot " + std::to_string(k) + ": first block outside the data";
    if (e.dataSize > 0 && e.firstBlock == 0)
      return "slot " + std::to_string(k) + ": data without a block";
    if (ReadElements(image, e, [](const RecordView&) { return true; }) != ReadEnd::Complete)
      return "slot " + std::to_string(k) + ": broken element stream";
  }
  return {};
}

LoadError LoadCadFile(const std::string& path, DesignImage& image, Host* host, bool* continueFlag) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return LoadError::CannotOpen;
  in.seekg(0, std::ios::end);
  const auto size = static_cast<std::size_t>(in.tellg());
  in.seekg(0);
  // An encoded file never shrinks the image below a ninth of its size; a larger file is
  // refused before it is read.
  if (size > static_cast<std::size_t>(image.maxSize) * 2) return LoadError::TooLarge;
  // Read once into a buffer that is not cleared first: every byte is overwritten.
  std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size ? size : 1]);
  if (!bytes) return LoadError::TooLarge;
  if (size && !in.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(size)))
    return LoadError::CannotOpen;
  return DecodeFile({bytes.get(), size}, image, host, continueFlag);
}

}  // namespace lav::db
