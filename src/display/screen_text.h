// Texts of the design and the name labels of placements, drawn with the platform's outline fonts:
// sizes from `Hight` and the view's scale, one character at a time along the text's angle, base
// marks at the origins, labels beside placements, colours by layer, and `FontError` after a
// font failure.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/view_transform.h"
#include "platform/surface.h"

namespace lav::display {

struct SceneState;

// Where screen text is drawn: the device, the view it maps to (a copy while an array bitmap is
// drawn), the walk's depth (0 in the top cell) and `HighlightMode`.
struct TextDevice {
  SceneState& app;
  Surface& surface;
  const ViewState& view;
  int depth = 0;
  bool highlight = false;
};

// A text as read from its record, in its cell's coordinates.
struct ScreenText {
  int layer = 0;
  int reflection = 0;
  std::uint32_t magnification = 1000000;
  std::uint32_t angle = 0;
  std::string_view text;  // Shift-JIS; bytes beyond 512 are not shown
  std::int32_t x = 0, y = 0;
};

// A placement whose base mark and name label are drawn before it is entered.
struct PlacementLabel {
  std::string_view name;      // Shift-JIS
  std::int32_t x = 0, y = 0;  // origin in the containing cell
  std::uint32_t magnification = 1000000;
  std::uint32_t angle = 0;
  int reflection = 0;
  bool array = false;
  const Extent* placedExtent = nullptr;  // the placed cell's stored extent; null: not defined
};

inline constexpr int kMinFontHeight = 3;
inline constexpr int kMaxFontHeight = 16384;

// The font height for a text whose characters are h pixels high (small sizes are corrected so
// that the letters fit their boxes), limited to 3..16384.
int TextFontHeight(int h);

// The height of a name label for a placed cell of extent w x h (design units) at magnification m.
int LabelFontHeight(double w, double h, double m, double scale, int nameLength);

// Escapement in tenths of a degree for an angle in millionths of a degree.
int EscapementOf(std::int64_t angle);

// Half-size of base marks in pixels.
int MarkSizeOf(const SceneState& app);

// The box of a text in its cell: (0, 0)-(Hc/2 * bytes, Hc) reflected and rotated about the origin
// and moved to it; Hc is the character height at the text's own magnification.
Extent ScreenTextExtent(const SceneState& app, const ScreenText& t);

// A text element of the walk: measured and culled in frame, drawn when its layer is visible.
void DrawTextElement(TextDevice& dev, const PlacementTransform& frame, const ScreenText& t);

// A text at origin (design units, already in the top cell's coordinates), with its accumulated
// angle and reflection and total magnification m.
void DrawScreenText(TextDevice& dev, int layer, Point origin, std::int64_t angle, int reflection,
                    double m, std::string_view text);

// The diamond base mark of half-size MarkSize around a window point, with the current pen.
void DrawTextBaseMark(TextDevice& dev, int x0, int y0);

// The placement's base mark and name label (depth is the containing cell's).
void DrawPlacementMarkAndLabel(TextDevice& dev, const PlacementTransform& frame,
                               const PlacementLabel& p);

// The placed cell's name at one array element; (wx, wy) is the element's window point.
void DrawArrayElementLabel(TextDevice& dev, double wx, double wy, std::int64_t angle,
                           int reflection, double m, std::string_view name,
                           const Extent* placedExtent);

// The text colour of a layer or pseudo-layer: its pen's colour, with the background colour for
// the erase layer and the print colour mode's substitutions on paper.
Rgb TextColourForLayer(const SceneState& app, int layer);

// After a drawing: the first font failure of the session is shown as an error box.
void ShowFontFailure(SceneState& app);

}  // namespace lav::display
