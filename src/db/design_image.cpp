#include "db/design_image.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/sjis.h"

namespace lav::db {

std::string_view FileMagic() {
  static constexpr char kMagic[18] = {'#',    'D',    'R',    'A',    'V',    'E',
                                      'L',    ' ',    '\xC3', '\xDE', '\xB0', '\xC0',
                                      '\xCC', '\xA7', '\xB2', '\xD9', '\x1A', '\x0A'};
  return std::string_view(kMagic, sizeof kMagic);
}

bool HasExtension(const DesignImage& image, Extension e) {
  return image.bytes.size() > kExtensionFlagsOffset &&
         (image.bytes[kExtensionFlagsOffset] & static_cast<std::uint8_t>(e)) != 0;
}

void SetExtension(DesignImage& image, Extension e) {
  image.bytes[kExtensionFlagsOffset] |= static_cast<std::uint8_t>(e);
}

void ClearExtension(DesignImage& image, Extension e) {
  image.bytes[kExtensionFlagsOffset] &= static_cast<std::uint8_t>(~static_cast<std::uint8_t>(e));
}

ClassicLimit PassedClassicLimit(const DesignImage& image) {
  if (image.usedSize > kClassicImageSize) return ClassicLimit::Size;
  if (HasExtension(image, Extension::Directory)) return ClassicLimit::Cells;
  if (HasExtension(image, Extension::LongFigures)) return ClassicLimit::Vertices;
  return ClassicLimit::None;
}

bool Reserve(DesignImage& image, std::int64_t end) {
  if (end < 0 || end > image.maxSize) return false;
  const std::int64_t have = static_cast<std::int64_t>(image.bytes.size());
  if (end <= have) return true;
  // Doubling keeps appends cheap; when twice the size cannot be had, exactly `end` may still be.
  const std::int64_t wanted = std::min<std::int64_t>(image.maxSize, std::max(end, 2 * have));
  for (const std::int64_t size : {wanted, end}) {
    try {
      std::vector<std::uint8_t> grown;
      grown.reserve(static_cast<std::size_t>(size));
      grown.assign(image.bytes.begin(), image.bytes.end());
      grown.resize(static_cast<std::size_t>(size), 0);
      image.bytes.swap(grown);
      return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
  }
  return false;
}

void CreateEmptyImage(DesignImage& image) {
  image.bytes.assign(kClassicImageSize, 0);
  auto magic = FileMagic();
  std::memcpy(image.bytes.data(), magic.data(), magic.size());
  image.usedSize = kDataStart;
  image.names = {};
}

std::string CellEntry::nameText() const {
  std::size_t n = 0;
  while (n < kNameBytes && name[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(name.data()), n);
}

void CellEntry::setName(std::string_view text) {
  name.fill(0);
  const std::string_view cut = sjis::cutAt(text, kNameBytes);
  std::memcpy(name.data(), cut.data(), cut.size());
}

std::string CutCellName(std::string_view name) {
  // Never a lead byte without its trail byte at the end.
  return std::string(sjis::cutAt(name, kNameBytes));
}

}  // namespace lav::db
