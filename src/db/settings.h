// The program's settings: every value a command sets and the drawing reads. Those saved with a
// design move to and from its header when it is written and read.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "db/record_codec.h"

namespace lav {

// Layers 0..63 are the design's; 64..70 are the display's pseudo-layers (frames, marks, grid
// dots, highlight, erase).
inline constexpr int kLayerCount = 64;
inline constexpr int kPenLayerCount = 71;

struct Settings {
  // --- saved in the design header ---
  std::int32_t fillLines = 100;       // `Fill Lines`, default hatch line count
  std::int32_t gscale = 1000;         // `Gscale`, graphics-scale step in database units
  std::int32_t gscaleCopy = 1000;     // second copy of the grid pitch kept equal to gscale on read
  std::int32_t gridOn = 1;            // grid display 1 on, 0 off
  std::int32_t grid = 0;              // `Grid`, grid multiplier
  std::int32_t nest = 11;             // `Nest`
  std::int32_t showBase = 1;          // `Show Base`
  std::int32_t showAcell = 1;         // `Show Acell`
  std::int32_t fillPaint = 1;         // `Fill Paint`
  std::int32_t headerFlag36 = 0;      // carried through, not interpreted
  std::int32_t showScell = 1;         // `Show Scell`
  std::int32_t printUnit = 0;         // 1 um, 2 mm, 3 cm, 4 m, 5 km; 0 = none chosen
  std::int32_t dbPerUserUnit = 1000;  // `DbPerUserUnit`
  std::int32_t elementType = db::TypeCode(db::ElementType::Polygon);  // `Element Type`
  std::uint8_t headerFlags50 = 0;                                     // bit 0: a cell was opened
  std::uint8_t headerFlags51 = 0;  // bit 0: a cell was opened with its placements hidden
  std::int32_t position = 0;       // `Position`, default window position
  std::int32_t hight = 1;          // `Hight`, text height
  std::int32_t showTextBase = 1;   // `Show TextBase`
  std::int32_t lineTipType = 0;    // `Line tip Type`
  std::int32_t showBaseName = 0;   // `Show BaseName`
  std::int32_t acuteTip = 1;       // `Acute tip`
  std::array<std::uint8_t, kPenLayerCount> layerFlags{};        // bit 0 visible
  std::array<std::uint8_t, kPenLayerCount> layerSelectFlags{};  // bit 0 selectable
  std::array<std::uint8_t, kPenLayerCount> layerFillFlags{};    // bit 0 hatch, bit 1 direction
  std::array<std::uint8_t, kPenLayerCount> layerPen{};          // colour + 14 * line style
  std::array<std::int16_t, kLayerCount> layerHatchCount{};      // 0 = use fillLines

  // --- program settings not saved with the design ---
  std::int32_t arrayMap = 1;             // command 59
  std::int32_t lineMode = 0;             // command 63
  std::int32_t cursorSize = 1000;        // command 70
  std::int32_t showLocation = 0;         // command 78
  std::int32_t layer = 1;                // current layer for new elements
  std::int32_t width = 0;                // line width, database units
  std::int32_t reflection = 0;           // 0 or 1
  std::int32_t angle = 0;                // millionths of a degree
  std::int32_t magnification = 1000000;  // millionths
  std::int32_t columns = 1, rows = 1;    // array counts
  std::int32_t pitchX = 0, pitchY = 0;   // array pitches, database units
  std::string cellName;                  // placed cell name (Shift-JIS, at most 32 bytes)
  std::string text;                      // text of new texts (Shift-JIS, at most 512 bytes)
  std::int32_t textKind = 0;
  std::int32_t textSize = 0;
  std::int32_t lock = 0;          // `Lock` 0..3
  std::int32_t absMode = 0;       // `Abs` 0..3
  std::int32_t gdsDbUnit = 1000;  // command 119
  std::int32_t printMode = 2;     // command 111

  Settings();
};

inline Settings::Settings() {
  for (int l = 0; l < kPenLayerCount; ++l) {
    layerFlags[l] = 1;
    layerSelectFlags[l] = 1;
    layerFillFlags[l] = 1;
    layerPen[l] = static_cast<std::uint8_t>(l % 14);
  }
  layerFlags[65] = 0;  // single-placement frames hidden until switched on
  layerPen[64] = 35;
  layerPen[65] = 35;
  layerPen[66] = 0;
  layerPen[67] = 35;
  layerPen[68] = 40;  // 33 on a black background, set by the shell at start
  layerPen[69] = 4;
  layerPen[70] = 70;
}

}  // namespace lav
