// Design coordinates to window pixels and back, the view's limits, the placement transform and
// the clipping of segments to the window.
#pragma once

#include <cstdint>

#include "db/record_codec.h"
#include "db/rounding.h"
#include "display/view_state.h"
#include "platform/surface.h"

namespace lav::display {

struct PlacementTransform {
  std::int32_t originX = 0, originY = 0;
  int mirrored = 0;
  std::int32_t rotation = 0;  // millionths of a degree, counter-clockwise
  double magnification = 1.0;
  std::int32_t accumulatedAngle = 0;
  int accumulatedReflection = 0;
};

// A point in design units: the records' own vertex, so decoded vertices are drawn in place.
using Point = db::Vertex;

struct DPoint {
  double x = 0, y = 0;
};

// Inline: every drawn point passes here.
inline double ToWindowX(const ViewState& v, double x) {
  return RoundHalfUp(x * v.scale - v.offsetX);
}
inline double ToWindowY(const ViewState& v, double y) {
  return RoundHalfUp(v.clientHeight - (y * v.scale - v.offsetY));
}
// RoundToInt, quicker for the whole numbers that window points are (ToWindowX/Y give them).
inline int Pixel(double c) {
  if (c > -1e9 && c < 1e9) {
    const auto i = static_cast<std::int32_t>(c);
    if (double(i) == c) return i;
  }
  return RoundToInt(c);
}
DPoint ToDesign(const ViewState& v, double wx, double wy);

// The design rectangle shown by the current offsets.
Extent WindowFromOffsets(const ViewState& v);
// Offsets that centre the window rectangle v.window in the client area.
void RecentreOffsets(ViewState& v);

// Keeps the scale and the window inside the 32-bit range and at least 20 units wide.
void ApplyView(ViewState& v);

// Transforms the points in place; the frame's accumulated angle and reflection are updated.
void TransformPoints(PlacementTransform& frame, Point* points, int count);
// Rotation about (0, 0), used for array pitches.
void RotateVector(std::int32_t& x, std::int32_t& y, std::int32_t angle);
// The extent of the four transformed corners of e.
Extent TransformExtent(const PlacementTransform& frame, const Extent& e);
inline bool ExtentVisible(const ViewState& v, const Extent& e) {
  return !(v.window.xmin > e.xmax || v.window.ymin > e.ymax || v.window.xmax < e.xmin ||
           v.window.ymax < e.ymin);
}

// 1: the closed segments meet in one point (out); 0: they do not; -1: parallel or degenerate.
int SegmentIntersection(DPoint p1, DPoint p2, DPoint p3, DPoint p4, DPoint& out);

// Draws one segment given in window coordinates with the current pen, clipped to the window.
void DrawClippedSegment(const ViewState& v, Surface& s, DPoint p, DPoint q);
// The four sides of the axis-parallel rectangle with window corners p and q, from p round to p,
// each clipped as above.
void DrawClippedRectangle(const ViewState& v, Surface& s, DPoint p, DPoint q);

// The view showing the rectangle between two corners (user units) without a margin; false (view
// unchanged) when the rectangle has no width or no height.
bool ZoomToCorners(ViewState& v, std::int32_t dbPerUserUnit, double x1, double y1, double x2,
                   double y2);

}  // namespace lav::display
