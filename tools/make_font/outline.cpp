#include "outline.h"

#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

namespace make_font {
namespace {

// Half-width characters are widened by this much so that they fill more of the square cell.
constexpr double kHalfWidthStretch = 1.5;
constexpr double kCellMargin = 1.0;

struct Mapping {
  double scaleX, scaleY, offsetX, offsetY;
  PointD apply(const FT_Vector* v) const {
    return {v->x * scaleX + offsetX, v->y * scaleY + offsetY};
  }
};

struct Flattener {
  Mapping map;
  double tolerance;
  std::vector<ContourD> contours;
  PointD last{0, 0};

  void lineTo(PointD p) {
    contours.back().push_back(p);
    last = p;
  }
  // Enough chords that the deviation of a curve with this control polygon stays in tolerance.
  int segmentsFor(double controlSpan) const {
    return std::clamp(static_cast<int>(std::ceil(std::sqrt(controlSpan / (4 * tolerance)))), 1, 64);
  }
};

double Span(PointD a, PointD b, PointD c) {
  return std::hypot(a.x - 2 * b.x + c.x, a.y - 2 * b.y + c.y);
}

int MoveTo(const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattener*>(user);
  f->contours.emplace_back();
  f->lineTo(f->map.apply(to));
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattener*>(user);
  f->lineTo(f->map.apply(to));
  return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattener*>(user);
  PointD p0 = f->last, p1 = f->map.apply(control), p2 = f->map.apply(to);
  int n = f->segmentsFor(2 * Span(p0, p1, p2));
  for (int i = 1; i <= n; ++i) {
    double t = static_cast<double>(i) / n, u = 1 - t;
    f->lineTo({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
               u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
  }
  return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattener*>(user);
  PointD p0 = f->last, p1 = f->map.apply(c1), p2 = f->map.apply(c2), p3 = f->map.apply(to);
  int n = f->segmentsFor(3 * std::max(Span(p0, p1, p2), Span(p1, p2, p3)));
  for (int i = 1; i <= n; ++i) {
    double t = static_cast<double>(i) / n, u = 1 - t;
    double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    f->lineTo(
        {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
  }
  return 0;
}

// The em square fills the cell height; the advance box is centred in the cell width. The result
// is shrunk about the cell centre if the ink would reach beyond the margin.
Mapping CellMapping(FT_Face face, const FT_Outline& outline) {
  double em = face->ascender - face->descender;
  double s = kCellSize / em;
  double advance = face->glyph->advance.x > 0 ? face->glyph->advance.x : em;
  double sx = advance * 2 <= em * 1.01 ? s * kHalfWidthStretch : s;
  Mapping m{sx, s, kCellSize / 2 - advance / 2 * sx, -face->descender * s};

  FT_BBox box;
  FT_Outline_Get_CBox(&outline, &box);
  double lo = kCellMargin, hi = kCellSize - kCellMargin, c = kCellSize / 2;
  double fit = 1.0;
  auto limit = [&](double v) {
    if (v > hi) fit = std::min(fit, (hi - c) / (v - c));
    if (v < lo) fit = std::min(fit, (c - lo) / (c - v));
  };
  limit(box.xMin * m.scaleX + m.offsetX);
  limit(box.xMax * m.scaleX + m.offsetX);
  limit(box.yMin * m.scaleY + m.offsetY);
  limit(box.yMax * m.scaleY + m.offsetY);
  if (fit < 1.0) {
    m.scaleX *= fit;
    m.scaleY *= fit;
    m.offsetX = c + (m.offsetX - c) * fit;
    m.offsetY = c + (m.offsetY - c) * fit;
  }
  return m;
}

}  // namespace

std::vector<ContourD> FlattenedGlyph(FT_Face face, char32_t codePoint, double tolerance) {
  if (codePoint == 0) return {};
  FT_UInt index = FT_Get_Char_Index(face, codePoint);
  if (index == 0) return {};
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
    return {};
  if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return {};
  FT_Outline& outline = face->glyph->outline;
  if (outline.n_points == 0) return {};

  Flattener f{CellMapping(face, outline), tolerance, {}, {0, 0}};
  FT_Outline_Funcs funcs{};
  funcs.move_to = MoveTo;
  funcs.line_to = LineTo;
  funcs.conic_to = ConicTo;
  funcs.cubic_to = CubicTo;
  if (FT_Outline_Decompose(&outline, &funcs, &f) != 0) return {};
  return f.contours;
}

}  // namespace make_font
