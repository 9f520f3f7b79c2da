// A surface that keeps what was asked of it: each text with the font and colour it was given,
// each polyline, and a switch that makes every font fail.
#pragma once

#include <string>
#include <vector>

#include "platform/surface.h"

namespace lav::testing {

class RecordingSurface : public Surface {
 public:
  struct Font {
    std::string face;
    int height = 0, weight = 0, escapement = 0;
  };
  struct Text {
    int x = 0, y = 0;
    std::string text;
    Font font;
    Rgb colour = 0;
  };

  bool fontsFail = false;
  int fontCalls = 0;
  std::vector<Text> texts;
  std::vector<std::vector<IntPoint>> polylines;
  std::vector<Pen> polylinePens;

  int width() const override { return 800; }
  int height() const override { return 600; }
  void setPen(const Pen& pen) override { pen_ = pen; }
  void setBrush(const Brush&) override {}
  void setRasterMode(RasterMode) override {}
  void line(int, int, int, int) override {}
  void polyline(const IntPoint* points, int count) override {
    polylines.emplace_back(points, points + count);
    polylinePens.push_back(pen_);
  }
  void polygon(const IntPoint*, int) override {}
  void fillRect(int, int, int, int, Rgb) override {}
  void setPixel(int, int, Rgb) override {}
  Rgb pixel(int, int) const override { return 0xFFFFFF; }
  void floodFillSurface(int, int) override {}
  void setFont(const FontDescription& f) override {
    ++fontCalls;
    font_ = {std::string(f.face), f.height, f.weight, f.escapement};
  }
  void setTextColour(Rgb c) override { colour_ = c; }
  void text(int x, int y, std::string_view t, int) override {
    texts.push_back({x, y, std::string(t), font_, colour_});
  }
  TextExtent textExtent(std::string_view t, int) const override {
    return {static_cast<int>(t.size()) * font_.height / 2, font_.height};
  }
  FontMetrics fontMetrics() const override {
    if (fontsFail) return {};
    return {font_.height * 4 / 5, font_.height / 5, font_.height, font_.height / 2};
  }
  std::unique_ptr<Surface> createCompatible(int, int) override { return nullptr; }
  void blit(int, int, int, int, const Surface&, int, int, BlitOp) override {}

  std::string joinedText() const {
    std::string all;
    for (const Text& t : texts) all += t.text;
    return all;
  }

 private:
  Pen pen_;
  Font font_;
  Rgb colour_ = 0;
};

}  // namespace lav::testing
