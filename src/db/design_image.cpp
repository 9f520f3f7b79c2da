#include "db/design_image.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_io.h"
#include "platform/sjis.h"

namespace lav::db {

std::string_view FileMagic() {
  static constexpr char kMagic[18] = {'#',    'D',    'R',    'A',    'V',    'E',
                                      'L',    ' ',    '\xC3', '\xDE', '\xB0', '\xC0',
                                      '\xCC', '\xA7', '\xB2', '\xD9', '\x1A', '\x0A'};
  return std::string_view(kMagic, sizeof kMagic);
}

void CreateEmptyImage(DesignImage& image) {
  image.bytes.assign(kImageSize, 0);
  auto magic = FileMagic();
  std::memcpy(image.bytes.data(), magic.data(), magic.size());
  image.usedSize = kDataStart;
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

CellEntry ReadCellEntry(const DesignImage& image, std::int32_t off) {
  CellEntry e;
  const std::uint8_t* p = image.at(off);
  std::memcpy(e.name.data(), p, kNameBytes);
  e.xmin = le::getI32(p + 32);
  e.ymin = le::getI32(p + 36);
  e.xmax = le::getI32(p + 40);
  e.ymax = le::getI32(p + 44);
  e.dataSize = le::getI32(p + 48);
  e.firstBlock = le::getI32(p + 52);
  for (int i = 0; i < 6; ++i) {
    e.created[i] = le::getI16(p + 56 + 2 * i);
    e.modified[i] = le::getI16(p + 68 + 2 * i);
  }
  return e;
}

void WriteCellEntry(DesignImage& image, std::int32_t off, const CellEntry& e) {
  std::uint8_t* p = image.at(off);
  std::memcpy(p, e.name.data(), kNameBytes);
  le::putI32(p + 32, e.xmin);
  le::putI32(p + 36, e.ymin);
  le::putI32(p + 40, e.xmax);
  le::putI32(p + 44, e.ymax);
  le::putI32(p + 48, e.dataSize);
  le::putI32(p + 52, e.firstBlock);
  for (int i = 0; i < 6; ++i) {
    le::putI16(p + 56 + 2 * i, e.created[i]);
    le::putI16(p + 68 + 2 * i, e.modified[i]);
  }
}

}  // namespace lav::db
