// The user's flood-fill paint marks: each click fills the area of the clicked pixel's colour and
// is recorded in PAINTDAT.DAT beside the program, so that it is replayed after every repaint.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/surface.h"

namespace lav::display {

struct SceneState;

inline constexpr int kBrushCount = 22;  // 0 the current brush, 1..6 hatch, 7..21 solid

// One 16-byte record of the paint file.
struct PaintMark {
  std::uint32_t colour = 0xFFFFFF;  // 0x00RRGGBB
  std::uint32_t brush = 7;
  std::int32_t x = 0, y = 0;  // database units
};

// Brush 1..21 (anything else: the current paint brush and colour).
Brush BrushByIndex(int index, Rgb paintColour);

std::string PaintFilePath(const SceneState& app);

// The records of the paint file in order; empty when it is missing or unreadable. A short
// last record is ignored.
std::vector<PaintMark> ReadPaintMarks(const SceneState& app);

// A paint click at a point in user units: fills the area around its pixel with the current
// brush and appends its record. False when the record could not be written.
bool PaintAt(SceneState& app, Surface& surface, double ux, double uy);

// Replays every recorded fill (after a repaint, while the paint mode is on).
void ReplayPaint(SceneState& app, Surface& surface);

// Empties the paint file. False when it could not be written.
bool ClearPaintMarks(SceneState& app);

}  // namespace lav::display
