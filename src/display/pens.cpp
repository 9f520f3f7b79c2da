#include "display/pens.h"

#include "db/settings.h"

namespace lav::display {
namespace {

constexpr Rgb kPalette[kColourCount] = {
    MakeRgb(0, 0, 0),     MakeRgb(0, 255, 255), MakeRgb(255, 0, 255), MakeRgb(255, 255, 0),
    MakeRgb(255, 0, 0),   MakeRgb(0, 255, 0),   MakeRgb(0, 0, 255),   MakeRgb(127, 127, 127),
    MakeRgb(0, 127, 127), MakeRgb(127, 0, 127), MakeRgb(127, 127, 0), MakeRgb(127, 0, 0),
    MakeRgb(0, 127, 0),   MakeRgb(0, 0, 127)};

int ClampLayer(int layer) {
  return layer < 0 ? 0 : (layer >= kPenCount ? kPenCount - 1 : layer);
}

}  // namespace

Rgb BackgroundColour(bool black) {
  return black ? MakeRgb(0, 0, 0) : MakeRgb(255, 255, 255);
}

Rgb PaletteColour(int index, bool blackBackground) {
  index = ((index % kColourCount) + kColourCount) % kColourCount;
  if (index == 0) return blackBackground ? MakeRgb(255, 255, 255) : MakeRgb(0, 0, 0);
  return kPalette[index];
}

Pen PenByIndex(int index, bool blackBackground) {
  if (index < 0 || index >= kErasePen) return {DashStyle::Solid, BackgroundColour(blackBackground)};
  return {static_cast<DashStyle>(index / kColourCount),
          PaletteColour(index % kColourCount, blackBackground)};
}

int LayerPenIndex(const Settings& s, int layer) {
  return s.layerPen[ClampLayer(layer)];
}

Pen LayerPen(const Settings& s, int layer, bool blackBackground) {
  return PenByIndex(LayerPenIndex(s, layer), blackBackground);
}

Pen LayerSolidPen(const Settings& s, int layer, bool blackBackground) {
  const int index = s.layerPen[ClampLayer(layer)];
  if (index >= kErasePen) return PenByIndex(kErasePen, blackBackground);
  return {DashStyle::Solid, PaletteColour(index % kColourCount, blackBackground)};
}

}  // namespace lav::display
