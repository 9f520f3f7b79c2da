// The state of one drawing pass over the hierarchy: the device, the view it maps to, the layer
// whose pen is current, the extent of the element being drawn, and the walk's bookkeeping.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "display/pens.h"
#include "display/view_transform.h"
#include "platform/surface.h"

namespace lav::display {

struct SceneState;

// Empty accumulator: any merged extent replaces it.
inline constexpr Extent kEmptyAccumulator{2147483647, 2147483647, -2147483647, -2147483647};

struct DrawContext {
  DrawContext(SceneState& a, Surface& s, ViewState& v) : app(a), surface(s), view(v) {}

  SceneState& app;
  Surface& surface;
  ViewState& view;  // the view being drawn (a copy while drawing into an array bitmap)

  int layer = 0;    // layer or pseudo-layer of the element being drawn
  Extent extent{};  // extent of the element being drawn, in view coordinates
  int depth = 0;    // 0 in the top cell
  bool topLevel = true;
  bool extentPass = false;  // recompute the top cell's extent during this walk
  bool extentOnly = false;  // read and measure every element, draw nothing
  bool highlight = false;   // `HighlightMode`
  bool drawingPreview = false;
  Extent accumulator = kEmptyAccumulator;
  int messageSteps = 0;
  // The pens by index, made on first use for the background they were made for (1 black).
  std::array<Pen, kPenCount> pens{};
  int pensOnBlack = -1;

  // Directory slots of the cells placed so far, by name (the directory does not change while a
  // walk runs). 0: not found.
  std::unordered_map<std::string, std::int32_t> slotByName;
  // Slots of the cells being drawn, from the top: a cell is not entered again inside itself.
  std::vector<std::int32_t> path;
  // Told of every placement the walk expands (the cell tree report): array or single, the
  // placed cell's name, whether the design has that cell, and the placed cell's depth.
  std::function<void(bool array, std::string_view name, bool defined, int depth)> placementVisited;
  // Told of each drawn placement of a cell the design does not have, as its line (Shift-JIS);
  // the commands that draw print it in the transcript.
  std::function<void(const std::string& line)> undefinedPlacement;
  // Records decoded by the walk, reused from element to element (an element is drawn before
  // the walk enters another cell); drawing transforms their vertices in place.
  db::TextRecord text;
  db::AreaRecord area;
  db::LineRecord line;
  std::vector<Point> outline;  // of the wide line being drawn
};

// Grows acc by e.
inline void Merge(Extent& acc, const Extent& e) {
  if (e.xmin < acc.xmin) acc.xmin = e.xmin;
  if (e.ymin < acc.ymin) acc.ymin = e.ymin;
  if (e.xmax > acc.xmax) acc.xmax = e.xmax;
  if (e.ymax > acc.ymax) acc.ymax = e.ymax;
}

// The bounding box of a point list.
Extent BoundingBox(const Point* points, int count);

// The shared message step between units of drawing work; false once the walk must stop.
bool DrawStep(DrawContext& ctx);

}  // namespace lav::display
