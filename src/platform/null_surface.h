// A surface that keeps no pixels: walks that only measure, report and update extents (batch runs
// without a Graphics Window) draw on it.
#pragma once

#include <memory>

#include "platform/surface.h"

namespace lav {

class NullSurface : public Surface {
 public:
  NullSurface(int w, int h) : w_(w), h_(h) {}
  int width() const override { return w_; }
  int height() const override { return h_; }
  void setPen(const Pen&) override {}
  void setBrush(const Brush&) override {}
  void setRasterMode(RasterMode) override {}
  void line(int, int, int, int) override { ++lines; }
  void polyline(const IntPoint*, int) override {}
  void polygon(const IntPoint*, int) override {}
  void fillRect(int, int, int, int, Rgb) override {}
  void setPixel(int, int, Rgb) override {}
  Rgb pixel(int, int) const override { return 0xFFFFFF; }
  void floodFillSurface(int, int) override {}
  void setFont(const FontDescription&) override {}
  void setTextColour(Rgb) override {}
  void text(int, int, std::string_view, int) override {}
  TextExtent textExtent(std::string_view text, int) const override {
    return {static_cast<int>(text.size()) * 8, 16};
  }
  FontMetrics fontMetrics() const override { return {13, 3, 16, 8}; }
  std::unique_ptr<Surface> createCompatible(int w, int h) override {
    return std::make_unique<NullSurface>(w, h);
  }
  void blit(int, int, int, int, const Surface&, int, int, BlitOp) override {}

  long lines = 0;  // lines asked for, for tests and benchmarks

 private:
  int w_, h_;
};

}  // namespace lav
