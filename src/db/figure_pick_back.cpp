#include "db/figure_pick_back.h"

#include <algorithm>

#include "db/settings.h"
#include "platform/byte_io.h"

namespace lav::db {
namespace {

std::string nameField(const std::uint8_t* p) {
  std::size_t n = 0;
  while (n < kNameBytes && p[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace

bool TakeFigure(DesignImage& image, TempLayer& temp, Settings& s, const RecordView& rec) {
  const auto& b = rec.bytes;
  const std::size_t n = b.size();
  if (rec.deleted() || n < 2 || rec.typeOffset < 0 ||
      rec.typeOffset >= static_cast<std::int32_t>(image.bytes.size()))
    return false;
  const double unit = s.dbPerUserUnit;
  std::vector<UserPoint> pts;
  auto vertices = [&](std::size_t at, std::size_t count) {
    if (at + 8 * count > n) return false;
    for (std::size_t i = 0; i < count && i < kTempCapacity; ++i)
      pts.push_back({le::getI32(&b[at + 8 * i]) / unit, le::getI32(&b[at + 8 * i + 4]) / unit});
    return true;
  };
  const auto type = rec.kind();
  switch (type) {
    case ElementType::ACell:
      if (n < 68) return false;
      s.reflection = le::getI16(&b[2]);
      s.magnification = static_cast<std::int32_t>(le::getU32(&b[4]));
      s.angle = static_cast<std::int32_t>(le::getU32(&b[8]));
      s.columns = le::getI32(&b[12]);
      s.rows = le::getI32(&b[16]);
      s.pitchX = le::getI32(&b[20]);
      s.pitchY = le::getI32(&b[24]);
      s.cellName = nameField(&b[28]);
      vertices(60, 1);
      break;
    case ElementType::SCell:
      if (n < 52) return false;
      s.reflection = le::getI16(&b[2]);
      s.magnification = static_cast<std::int32_t>(le::getU32(&b[4]));
      s.angle = static_cast<std::int32_t>(le::getU32(&b[8]));
      s.cellName = nameField(&b[12]);
      vertices(44, 1);
      break;
    case ElementType::Text: {
      if (n < 30) return false;
      const std::size_t len = static_cast<std::uint16_t>(le::getI16(&b[20]));
      if (22 + len + 8 > n) return false;
      s.layer = le::getI16(&b[2]);
      s.textKind = le::getI16(&b[4]);
      s.textSize = le::getI32(&b[6]);
      s.reflection = le::getI16(&b[10]);
      s.magnification = static_cast<std::int32_t>(le::getU32(&b[12]));
      s.angle = static_cast<std::int32_t>(le::getU32(&b[16]));
      s.text.assign(reinterpret_cast<const char*>(&b[22]), std::min<std::size_t>(len, 512));
      vertices(22 + len, 1);
      break;
    }
    case ElementType::Rect:
    case ElementType::Polygon: {
      if (n < 6) return false;
      const auto m = static_cast<std::size_t>(std::max<std::int16_t>(le::getI16(&b[4]), 0));
      if (!vertices(6, m)) return false;
      s.layer = le::getI16(&b[2]);
      break;
    }
    case ElementType::Line: {
      if (n < 12) return false;
      const auto m = static_cast<std::size_t>(std::max<std::int16_t>(le::getI16(&b[10]), 0));
      if (!vertices(12, m)) return false;
      s.layer = le::getI16(&b[2]);
      s.lineTipType = le::getI16(&b[4]);
      s.width = le::getI32(&b[6]);
      break;
    }
  }
  if (pts.empty()) return false;
  s.elementType = type == ElementType::Rect ? 4 : static_cast<std::int32_t>(type);
  temp.assign(pts);
  temp.pick.savedLow = MarkDeleted(image, rec.typeOffset);
  temp.pick.typeOffset = rec.typeOffset;
  temp.pick.type = static_cast<std::int16_t>(type);
  temp.pick.active = true;
  return true;
}

bool PutBackPick(DesignImage& image, TempLayer& temp) {
  if (!temp.pick.active) return false;
  if (image.allocated() && temp.pick.typeOffset >= 0 &&
      temp.pick.typeOffset < static_cast<std::int32_t>(image.bytes.size()))
    UndoMarkDeleted(image, temp.pick.typeOffset, temp.pick.savedLow);
  temp.pick = {};
  temp.clear();
  return true;
}

}  // namespace lav::db
