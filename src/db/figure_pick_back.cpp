#include "db/figure_pick_back.h"

#include <algorithm>

#include "db/settings.h"

namespace lav::db {
TakeResult TakeFigure(DesignImage& image, TempLayer& temp, Settings& s, const RecordView& rec) {
  const auto& b = rec.bytes;
  if (rec.deleted() || b.size() < 2 || rec.typeOffset < 0 ||
      rec.typeOffset >= static_cast<std::int32_t>(image.bytes.size()))
    return TakeResult::Unreadable;
  if (RecordVertexCount(b) > temp.capacity) return TakeResult::TooLong;
  const double unit = s.dbPerUserUnit;
  std::vector<UserPoint> pts;
  auto vertices = [&](const std::vector<Vertex>& v) {
    for (const Vertex& p : v) pts.push_back({p.x / unit, p.y / unit});
  };
  const auto type = rec.kind();
  switch (type) {
    case ElementType::ACell:
    case ElementType::SCell: {
      Placement p;
      if (!DecodePlacement(b, p)) return TakeResult::Unreadable;
      s.reflection = p.reflection;
      s.magnification = static_cast<std::int32_t>(p.magnification);
      s.angle = static_cast<std::int32_t>(p.angle);
      if (type == ElementType::ACell) {
        s.columns = p.columns;
        s.rows = p.rows;
        s.pitchX = p.pitchX;
        s.pitchY = p.pitchY;
      }
      s.cellName = std::move(p.cellName);
      vertices({{p.x, p.y}});
      break;
    }
    case ElementType::Text: {
      TextRecord t;
      if (!DecodeText(b, t)) return TakeResult::Unreadable;
      s.layer = t.layer;
      s.textKind = t.kind;
      s.textSize = t.size;
      s.reflection = t.reflection;
      s.magnification = static_cast<std::int32_t>(t.magnification);
      s.angle = static_cast<std::int32_t>(t.angle);
      s.text.assign(t.text, 0, kTextBytes);
      vertices({{t.x, t.y}});
      break;
    }
    case ElementType::Rect:
    case ElementType::Polygon: {
      AreaRecord a;
      if (!DecodeArea(b, a)) return TakeResult::Unreadable;
      vertices(a.vertices);
      s.layer = a.layer;
      break;
    }
    case ElementType::Line: {
      LineRecord l;
      if (!DecodeLine(b, l)) return TakeResult::Unreadable;
      vertices(l.vertices);
      s.layer = l.layer;
      s.lineTipType = l.tip;
      s.width = l.width;
      break;
    }
  }
  if (pts.empty()) return TakeResult::Unreadable;
  s.elementType = type == ElementType::Rect ? 4 : static_cast<std::int32_t>(type);
  temp.assign(pts);
  temp.pick.savedLow = MarkDeleted(image, rec.typeOffset);
  temp.pick.typeOffset = rec.typeOffset;
  temp.pick.type = static_cast<std::int16_t>(type);
  temp.pick.active = true;
  return TakeResult::Taken;
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
