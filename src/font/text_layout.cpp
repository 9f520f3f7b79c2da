#include "font/text_layout.h"

#include <cmath>
#include <numbers>
#include <string>

#include "font/glyph_key.h"
#include "font/messages.h"

namespace lav::font {
namespace {

void Rotate(UserPoint& p, double ox, double oy, double radians) {
  const double dx = p.x - ox, dy = p.y - oy;
  const double r = std::hypot(dx, dy);
  const double a = std::atan2(dy, dx) + radians;
  p.x = ox + r * std::cos(a);
  p.y = oy + r * std::sin(a);
}

}  // namespace

void LayOutText(FontFile& font, std::string_view text, const TextPlacement& placement,
                const PolygonSink& polygon, const LineSink& report) {
  const double sx = placement.width / kGlyphCell;
  const double sy = placement.height / kGlyphCell * (placement.reflect ? -1.0 : 1.0);
  const double radians = placement.angle / 1e6 * std::numbers::pi / 180.0;
  const double ox = placement.originX, oy = placement.originY;
  double advance = 0;

  std::size_t pos = 0;
  std::string key;
  std::vector<UserPoint> points;
  for (;;) {
    const KeyResult next = GlyphKeyForNext(text, pos, key);
    if (next == KeyResult::TextEnd) return;
    if (next == KeyResult::InsideKana) {
      report(msg::kUnfinishedKana);
      return;
    }
    const std::optional<std::uint32_t> offset = font.FindGlyph(key);
    if (!offset) {
      report(msg::kNoSuchGlyph);
      continue;  // skipped without advance
    }
    const Glyph glyph = font.ReadGlyph(*offset, placement.set);
    for (const GlyphPolygon& g : glyph.polygons) {
      points.clear();
      for (const GlyphPoint& gp : g) {
        UserPoint p{sx * gp.x + ox + advance, sy * gp.y + oy};
        if (placement.angle != 0) Rotate(p, ox, oy, radians);
        points.push_back(p);
      }
      if (!polygon(points)) return;
    }
    if (glyph.error == GlyphError::ShortHeader) report(msg::kShortRecordHeader);
    if (glyph.error == GlyphError::ShortPoints) report(msg::kShortRecordPoints);
    advance += placement.width;
  }
}

}  // namespace lav::font
