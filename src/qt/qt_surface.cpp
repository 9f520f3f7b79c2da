#include "qt/qt_surface.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <cstdlib>
#include <vector>

#include "platform/sjis.h"

namespace lav::qt {
namespace {

// On/off runs in pixels for each dash style, as a one-pixel cosmetic pen shows them.
struct DashPattern {
  int runs[6];
  int count;
};
constexpr DashPattern kPatterns[] = {
    {{1}, 0}, {{18, 6}, 2}, {{3, 3}, 2}, {{9, 6, 3, 6}, 4}, {{9, 3, 3, 3, 3, 3}, 6}};

bool DashOn(DashStyle style, int phase) {
  const DashPattern& p = kPatterns[static_cast<int>(style)];
  if (p.count == 0) return true;
  int period = 0;
  for (int i = 0; i < p.count; ++i) period += p.runs[i];
  int at = phase % period;
  for (int i = 0; i < p.count; ++i) {
    if (at < p.runs[i]) return i % 2 == 0;
    at -= p.runs[i];
  }
  return true;
}

QColor ToQColor(Rgb c) {
  return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

}  // namespace

QtSurface::QtSurface(QImage& image) : image_(&image) {}

QtSurface::QtSurface(int w, int h) : own_(w, h, QImage::Format_RGB32), image_(&own_) {
  own_.fill(Qt::white);
}

void QtSurface::plot(int x, int y) {
  if (x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return;
  auto* row = reinterpret_cast<QRgb*>(image_->scanLine(y));
  if (mode_ == RasterMode::Xor)
    row[x] ^= 0x00FFFFFF;
  else
    row[x] = 0xFF000000u | pen_.colour;
}

// Lines are plotted here rather than by QPainter so that the pixels are the device's: the last
// pixel left out, dashes continuing along a chain, XOR inverting each pixel once.
void QtSurface::plotLine(int x0, int y0, int x1, int y1, bool lastPixel) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  // The pixels are reached once per line, not once per pixel, as plot does.
  auto* bits = reinterpret_cast<QRgb*>(image_->bits());
  const qsizetype stride = image_->bytesPerLine() / qsizetype(sizeof(QRgb));
  const int w = image_->width(), h = image_->height();
  const bool solid = pen_.style == DashStyle::Solid;
  const QRgb colour = 0xFF000000u | pen_.colour;
  // Far-off end points cannot occur after clipping, but keep a bound on the walk.
  for (long steps = 0; steps < 200000; ++steps) {
    const bool atEnd = x0 == x1 && y0 == y1;
    if (atEnd && !lastPixel) break;
    if ((solid || DashOn(pen_.style, dashPhase_)) && x0 >= 0 && y0 >= 0 && x0 < w && y0 < h) {
      QRgb& p = bits[y0 * stride + x0];
      p = mode_ == RasterMode::Xor ? p ^ 0x00FFFFFF : colour;
    }
    ++dashPhase_;
    if (atEnd) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void QtSurface::line(int x0, int y0, int x1, int y1) {
  dashPhase_ = 0;
  plotLine(x0, y0, x1, y1, false);
}

// A solid copy of the four lines sets the rectangle's border pixels (none for a single point),
// each once: written row by row.
void QtSurface::rectangleOutline(int x0, int y0, int x1, int y1) {
  if (pen_.style != DashStyle::Solid || mode_ != RasterMode::Copy || (x0 == x1 && y0 == y1)) {
    Surface::rectangleOutline(x0, y0, x1, y1);
    return;
  }
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  const int w = image_->width(), h = image_->height();
  if (x1 < 0 || y1 < 0 || x0 >= w || y0 >= h) return;
  auto* bits = reinterpret_cast<QRgb*>(image_->bits());
  const qsizetype stride = image_->bytesPerLine() / qsizetype(sizeof(QRgb));
  const QRgb colour = 0xFF000000u | pen_.colour;
  const int left = std::max(x0, 0), right = std::min(x1, w - 1);
  for (const int y : {y0, y1}) {
    if (y >= 0 && y < h) std::fill(bits + y * stride + left, bits + y * stride + right + 1, colour);
  }
  for (int y = std::max(y0 + 1, 0); y <= std::min(y1 - 1, h - 1); ++y) {
    if (x0 >= 0) bits[y * stride + x0] = colour;
    if (x1 < w) bits[y * stride + x1] = colour;
  }
}

void QtSurface::polyline(const IntPoint* points, int count) {
  dashPhase_ = 0;
  for (int i = 0; i + 1 < count; ++i)
    plotLine(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, false);
}

bool QtSurface::brushCovers(int x, int y) const {
  if (brush_.solid) return true;
  switch (brush_.hatch) {
    case HatchStyle::Horizontal:
      return y % 8 == 0;
    case HatchStyle::Vertical:
      return x % 8 == 0;
    case HatchStyle::FDiagonal:
      return (x - y) % 8 == 0;
    case HatchStyle::BDiagonal:
      return (x + y) % 8 == 0;
    case HatchStyle::Cross:
      return x % 8 == 0 || y % 8 == 0;
    case HatchStyle::DiagCross:
      return (x - y) % 8 == 0 || (x + y) % 8 == 0;
  }
  return true;
}

void QtSurface::polygon(const IntPoint* points, int count) {
  if (count < 2) return;
  QPolygon poly;
  for (int i = 0; i < count; ++i) poly << QPoint(points[i].x, points[i].y);
  {
    QPainter p(image_);
    p.setPen(Qt::NoPen);
    Qt::BrushStyle style = Qt::SolidPattern;
    if (!brush_.solid) {
      static constexpr Qt::BrushStyle kHatch[] = {Qt::HorPattern,   Qt::VerPattern,
                                                  Qt::FDiagPattern, Qt::BDiagPattern,
                                                  Qt::CrossPattern, Qt::DiagCrossPattern};
      style = kHatch[static_cast<int>(brush_.hatch)];
    }
    p.setBrush(QBrush(ToQColor(brush_.colour), style));
    if (mode_ == RasterMode::Xor) p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.drawPolygon(poly);
  }
  polyline(points, count);
  plotLine(points[count - 1].x, points[count - 1].y, points[0].x, points[0].y, false);
}

void QtSurface::fillRect(int x, int y, int w, int h, Rgb colour) {
  QPainter p(image_);
  p.fillRect(x, y, w, h, ToQColor(colour));
}

void QtSurface::setPixel(int x, int y, Rgb colour) {
  if (x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return;
  auto* row = reinterpret_cast<QRgb*>(image_->scanLine(y));
  row[x] = mode_ == RasterMode::Xor ? row[x] ^ 0x00FFFFFF : 0xFF000000u | colour;
}

Rgb QtSurface::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return 0xFFFFFFFF;
  return image_->pixel(x, y) & 0x00FFFFFF;
}

void QtSurface::floodFillSurface(int x, int y) {
  const int w = image_->width(), h = image_->height();
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  const QRgb target = image_->pixel(x, y);
  std::vector<char> done(static_cast<std::size_t>(w) * h, 0);
  std::vector<std::pair<int, int>> stack{{x, y}};
  std::vector<std::pair<int, int>> area;
  while (!stack.empty()) {
    auto [px, py] = stack.back();
    stack.pop_back();
    if (px < 0 || py < 0 || px >= w || py >= h) continue;
    char& d = done[static_cast<std::size_t>(py) * w + px];
    if (d || image_->pixel(px, py) != target) continue;
    d = 1;
    area.push_back({px, py});
    stack.push_back({px + 1, py});
    stack.push_back({px - 1, py});
    stack.push_back({px, py + 1});
    stack.push_back({px, py - 1});
  }
  const QRgb c = 0xFF000000u | brush_.colour;
  const QRgb back = 0xFF000000u | brush_.background;
  for (auto [px, py] : area) {
    if (brushCovers(px, py))
      image_->setPixel(px, py, c);
    else if (brush_.opaque)
      image_->setPixel(px, py, back);
  }
}

void QtSurface::setFont(const FontDescription& font) {
  font_ = QFont(QString::fromStdString(sjis::toUtf8(font.face)));
  font_.setPixelSize(std::max(1, std::abs(font.height)));
  font_.setWeight(font.weight >= 700 ? QFont::Bold : QFont::Normal);
  escapement_ = font.escapement;
}

void QtSurface::text(int x, int y, std::string_view text, int extra) {
  QPainter p(image_);
  QFont f = font_;
  f.setLetterSpacing(QFont::AbsoluteSpacing, extra);
  p.setFont(f);
  p.setPen(ToQColor(textColour_));
  p.translate(x, y);
  p.rotate(-escapement_ / 10.0);
  p.drawText(0, QFontMetrics(f).ascent(), QString::fromStdString(sjis::toUtf8(text)));
}

TextExtent QtSurface::textExtent(std::string_view text, int extra) const {
  QFont f = font_;
  f.setLetterSpacing(QFont::AbsoluteSpacing, extra);
  QFontMetrics m(f);
  return {m.horizontalAdvance(QString::fromStdString(sjis::toUtf8(text))), m.height()};
}

FontMetrics QtSurface::fontMetrics() const {
  QFontMetrics m(font_);
  return {m.ascent(), m.descent(), m.height(), m.averageCharWidth()};
}

std::unique_ptr<Surface> QtSurface::createCompatible(int w, int h) {
  if (w <= 0 || h <= 0 || static_cast<long long>(w) * h > 64LL * 1024 * 1024) return nullptr;
  auto s = std::make_unique<QtSurface>(w, h);
  if (s->image().isNull()) return nullptr;
  return s;
}

void QtSurface::blit(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                     BlitOp op) {
  const auto* src = dynamic_cast<const QtSurface*>(&source);
  for (int j = 0; j < h; ++j) {
    const int ty = dy + j, fy = sy + j;
    if (ty < 0 || ty >= image_->height() || fy < 0 || fy >= source.height()) continue;
    auto* row = reinterpret_cast<QRgb*>(image_->scanLine(ty));
    const QRgb* srow =
        src ? reinterpret_cast<const QRgb*>(src->image().constScanLine(fy)) : nullptr;
    for (int i = 0; i < w; ++i) {
      const int tx = dx + i, fx = sx + i;
      if (tx < 0 || tx >= image_->width() || fx < 0 || fx >= source.width()) continue;
      const QRgb s = srow ? srow[fx] : (0xFF000000u | source.pixel(fx, fy));
      switch (op) {
        case BlitOp::Copy:
          row[tx] = s;
          break;
        case BlitOp::And:
          row[tx] = (row[tx] & s) | 0xFF000000u;
          break;
        case BlitOp::Or:
          row[tx] = row[tx] | s;
          break;
      }
    }
  }
}

}  // namespace lav::qt
