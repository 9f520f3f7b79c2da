// The pen table of the Graphics Window: five line styles times fourteen colours, and the erase
// pen, with the colours following the background choice.
#pragma once

#include <cstdint>

#include "platform/surface.h"

namespace lav {
struct Settings;
}

namespace lav::display {

inline constexpr int kPenCount = 71;
inline constexpr int kErasePen = 70;
inline constexpr int kColourCount = 14;

// Pseudo-layers the display draws its own marks on.
inline constexpr int kArrayFrameLayer = 64;
inline constexpr int kSingleFrameLayer = 65;
inline constexpr int kMarkLayer = 66;
inline constexpr int kGridLayer = 68;
inline constexpr int kHighlightLayer = 69;
inline constexpr int kEraseLayer = 70;

Rgb BackgroundColour(bool black);
// Colour index 0..13 of the palette; 0 is the foreground.
Rgb PaletteColour(int index, bool blackBackground);
// Pen 0..70 (index = style * 14 + colour; 70 erases).
Pen PenByIndex(int index, bool blackBackground);
// The pen index of a layer or pseudo-layer (0..70).
int LayerPenIndex(const Settings& s, int layer);
// The pen a layer or pseudo-layer (0..70) is drawn with.
Pen LayerPen(const Settings& s, int layer, bool blackBackground);
// The layer's colour in a solid line, as hatching uses it.
Pen LayerSolidPen(const Settings& s, int layer, bool blackBackground);

}  // namespace lav::display
