// Surface on a QImage, drawn with QPainter's raster engine.
#pragma once

#include <QFont>
#include <QImage>

#include "platform/surface.h"

namespace lav::qt {

class QtSurface : public Surface {
 public:
  // Draws on image, which must outlive the surface (32-bit RGB formats).
  explicit QtSurface(QImage& image);
  // An off-screen surface owning its own image.
  QtSurface(int w, int h);

  int width() const override { return image_->width(); }
  int height() const override { return image_->height(); }
  const QImage& image() const { return *image_; }

  void setPen(const Pen& pen) override { pen_ = pen; }
  void setBrush(const Brush& brush) override { brush_ = brush; }
  void setRasterMode(RasterMode mode) override { mode_ = mode; }
  void line(int x0, int y0, int x1, int y1) override;
  void polyline(const IntPoint* points, int count) override;
  void rectangleOutline(int x0, int y0, int x1, int y1) override;
  void polygon(const IntPoint* points, int count) override;
  void fillRect(int x, int y, int w, int h, Rgb colour) override;
  void setPixel(int x, int y, Rgb colour) override;
  Rgb pixel(int x, int y) const override;
  void floodFillSurface(int x, int y) override;
  void setFont(const FontDescription& font) override;
  void setTextColour(Rgb colour) override { textColour_ = colour; }
  void text(int x, int y, std::string_view text, int extra) override;
  TextExtent textExtent(std::string_view text, int extra) const override;
  FontMetrics fontMetrics() const override;
  std::unique_ptr<Surface> createCompatible(int w, int h) override;
  void blit(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
            BlitOp op) override;

 private:
  void plot(int x, int y);
  void plotLine(int x0, int y0, int x1, int y1, bool lastPixel);
  bool brushCovers(int x, int y) const;

  QImage own_;
  QImage* image_;
  Pen pen_;
  Brush brush_;
  RasterMode mode_ = RasterMode::Copy;
  Rgb textColour_ = 0;
  QFont font_;
  int escapement_ = 0;
  int dashPhase_ = 0;  // continues a dash pattern along a polyline
};

}  // namespace lav::qt
