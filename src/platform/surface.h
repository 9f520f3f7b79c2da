// What the drawing code needs of a device context: pens, brushes, raster modes, lines, polygons,
// pixels, flood fill, text, off-screen bitmaps and block transfers. The Qt layer implements it on
// an image; tests and benchmarks may implement it on anything that records or counts.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace lav {

// 0x00RRGGBB.
using Rgb = std::uint32_t;

constexpr Rgb MakeRgb(int r, int g, int b) {
  return (static_cast<Rgb>(r & 0xFF) << 16) | (static_cast<Rgb>(g & 0xFF) << 8) |
         static_cast<Rgb>(b & 0xFF);
}
constexpr int RedOf(Rgb c) {
  return static_cast<int>((c >> 16) & 0xFF);
}
constexpr int GreenOf(Rgb c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Rgb c) {
  return static_cast<int>(c & 0xFF);
}

enum class DashStyle { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4 };

// A pen one pixel wide.
struct Pen {
  DashStyle style = DashStyle::Solid;
  Rgb colour = 0;
};

enum class HatchStyle { Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };

// A solid brush, or a hatch brush drawing its lines in colour; between the lines an opaque hatch
// brush paints the background colour, a transparent one leaves the pixels untouched.
struct Brush {
  bool solid = true;
  HatchStyle hatch = HatchStyle::Horizontal;
  Rgb colour = 0xFFFFFF;
  bool opaque = false;
  Rgb background = 0xFFFFFF;
};

// Copy draws the pen's colour; Xor inverts what is below (overlays drawn twice vanish).
enum class RasterMode { Copy, Xor };

// Block-transfer combination of source and destination pixels.
enum class BlitOp { Copy, And, Or };

struct FontDescription {
  std::string_view face;  // Shift-JIS face name
  int height = 12;        // pixels; negative = character height as with GDI
  int weight = 400;       // 400 normal, 700 bold
  int escapement = 0;     // tenths of a degree, counter-clockwise
};

struct TextExtent {
  int width = 0, height = 0;
};

struct FontMetrics {
  int ascent = 0, descent = 0, height = 0, averageWidth = 0;
};

struct IntPoint {
  int x = 0, y = 0;
};

class Surface {
 public:
  virtual ~Surface() = default;

  virtual int width() const = 0;
  virtual int height() const = 0;

  virtual void setPen(const Pen& pen) = 0;
  virtual void setBrush(const Brush& brush) = 0;
  virtual void setRasterMode(RasterMode mode) = 0;

  // A line from (x0, y0) to (x1, y1) with the current pen; the last pixel is left out.
  virtual void line(int x0, int y0, int x1, int y1) = 0;
  virtual void polyline(const IntPoint* points, int count) = 0;
  // The rectangle with corners (x0, y0) and (x1, y1) outlined by four such lines, corner to
  // corner.
  virtual void rectangleOutline(int x0, int y0, int x1, int y1) {
    line(x0, y0, x1, y0);
    line(x1, y0, x1, y1);
    line(x1, y1, x0, y1);
    line(x0, y1, x0, y0);
  }
  // Outline with the pen and interior with the brush.
  virtual void polygon(const IntPoint* points, int count) = 0;
  virtual void fillRect(int x, int y, int w, int h, Rgb colour) = 0;

  virtual void setPixel(int x, int y, Rgb colour) = 0;
  virtual Rgb pixel(int x, int y) const = 0;
  // Fills the 4-connected area of the colour at (x, y) with the current brush.
  virtual void floodFillSurface(int x, int y) = 0;

  // Text at (x, y) as the text's top-left corner, rotated by the font's escapement; extra is the
  // additional spacing between characters in pixels. Text is Shift-JIS.
  virtual void setFont(const FontDescription& font) = 0;
  virtual void setTextColour(Rgb colour) = 0;
  virtual void text(int x, int y, std::string_view text, int extra) = 0;
  virtual TextExtent textExtent(std::string_view text, int extra) const = 0;
  virtual FontMetrics fontMetrics() const = 0;

  // A surface of the same kind for off-screen drawing; null when it cannot be had.
  virtual std::unique_ptr<Surface> createCompatible(int w, int h) = 0;
  // Copies the w x h area at (sx, sy) of source to (dx, dy) here, combined by op.
  virtual void blit(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                    BlitOp op) = 0;
};

}  // namespace lav
