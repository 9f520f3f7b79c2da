#include "display/screen_text.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "console/command_steps.h"
#include "db/rounding.h"
#include "display/pens.h"
#include "display/scene_state.h"
#include "platform/sjis.h"

namespace lav::display {
namespace {

constexpr const char* kFontFailed = "フォントエラー発生";
constexpr const char* kErrorCaption = "Error";
constexpr std::string_view kLabelFallbackFace = "Arial";
constexpr std::string_view kArraySuffix = " (Array)";
constexpr std::size_t kLabelNameLimit = 32;
constexpr int kTextReferenceLimit = 30000;
constexpr int kLabelReferenceLimit = 3000;
constexpr int kTextTypeBit = 0x80;
constexpr int kTextPickBit = 0x04;
constexpr int kArrayPickBit = 0x01;
constexpr int kSinglePickBit = 0x02;

const std::string& MinchoFace() {
  static const std::string face = sjis::fromUtf8("ＭＳ 明朝");
  return face;
}

bool LayerShown(const SceneState& app, int layer) {
  if (layer < 0 || layer >= kPenLayerCount) return false;
  return (app.settings.layerFlags[layer] & 1) != 0;
}

// Our platform reports a font it could not make by giving it no height.
bool SelectFont(Surface& s, std::string_view face, int height, int escapement) {
  FontDescription font;
  font.face = face;
  font.height = height;
  font.weight = 400;
  font.escapement = escapement;
  s.setFont(font);
  return s.fontMetrics().height > 0;
}

void FontFailure(SceneState& app) {
  app.screenText.fontError = true;
}

// The point d pixels from (x, y) toward the direction (escapement + turn) / 1800 * pi, with the
// window's y axis pointing down.
void MoveToward(double x, double y, double d, int escapement, int turn, double& rx, double& ry) {
  const double phi = (escapement + turn) / 1800.0 * std::numbers::pi;
  rx = RoundHalfUp(x + d * std::cos(phi));
  ry = RoundHalfUp(y - d * std::sin(phi));
}

bool Inside(double v, int limit) {
  return v > -limit && v < limit;
}

bool Picking(const SceneState& app) {
  return app.display.pickMode != 0;
}

void Offer(SceneState& app, Point origin) {
  if (app.screenText.pickOffer) app.screenText.pickOffer(origin.x, origin.y);
}

// Origin and accumulated angle and reflection of an element placed at (x, y) with its own angle
// and reflection, seen through frame.
Point ThroughFrame(const PlacementTransform& frame, std::int32_t x, std::int32_t y,
                   std::uint32_t angle, int reflection, std::int64_t& accAngle,
                   int& accReflection) {
  PlacementTransform f = frame;
  f.accumulatedAngle = static_cast<std::int32_t>(angle % db::kFullTurn);
  f.accumulatedReflection = reflection & 1;
  Point o{x, y};
  TransformPoints(f, &o, 1);
  accAngle = f.accumulatedAngle;
  accReflection = f.accumulatedReflection;
  return o;
}

// A name label beside a placement's window point: the font is measured upright, then made again
// with the escapement; the label sits above the mark, or below it when mirrored.
void DrawLabel(TextDevice& dev, double x0, double y0, std::string_view text, int fontHeight,
               std::int64_t angle, int reflection, int colourLayer) {
  Surface& s = dev.surface;
  if (!SelectFont(s, MinchoFace(), fontHeight, 0) &&
      !SelectFont(s, kLabelFallbackFace, fontHeight, 0)) {
    FontFailure(dev.app);
    return;
  }
  const int t = s.fontMetrics().height;
  const int escapement = EscapementOf(angle);
  if (!SelectFont(s, MinchoFace(), fontHeight, escapement) &&
      !SelectFont(s, kLabelFallbackFace, fontHeight, escapement)) {
    FontFailure(dev.app);
    return;
  }
  const int mark = MarkSizeOf(dev.app);
  double rx = 0, ry = 0;
  if (reflection == 0)
    MoveToward(x0, y0, mark + 2 + t, escapement, 850, rx, ry);
  else
    MoveToward(x0, y0, mark + 2, escapement, 2650, rx, ry);
  if (!Inside(rx, kLabelReferenceLimit) || !Inside(ry, kLabelReferenceLimit)) return;
  s.setRasterMode(RasterMode::Copy);
  s.setTextColour(TextColourForLayer(dev.app, colourLayer));
  s.text(static_cast<int>(rx), static_cast<int>(ry), text, 0);
}

int SingleLabelHeight(const TextDevice& dev, std::string_view name, const Extent* placed,
                      double m) {
  const int length = static_cast<int>(name.size());
  const double line = dev.app.window.lineHeight;
  double w = length * line, h = 2 * line;
  if (placed) {
    w = double(placed->xmax) - placed->xmin;
    h = double(placed->ymax) - placed->ymin;
  }
  return LabelFontHeight(w, h, m, dev.view.scale, length);
}

}  // namespace

int TextFontHeight(int h) {
  int f;
  if (h < 6)
    f = 3;
  else if (h <= 8)
    f = h - 2;
  else if (h <= 11)
    f = h - 1;
  else if (h <= 25)
    f = h - 2;
  else if (h <= 27)
    f = h - 1;
  else
    f = h;
  return std::clamp(f, kMinFontHeight, kMaxFontHeight);
}

int LabelFontHeight(double w, double h, double m, double scale, int nameLength) {
  if (nameLength <= 0) return kMinFontHeight;
  const std::int32_t byWidth = RoundToInt(w * m / nameLength * scale);
  const std::int32_t byHeight = RoundToInt(h * m * scale);
  const std::int32_t f = std::min(byWidth, byHeight);
  if (f < 4) return kMinFontHeight;
  return std::min<std::int32_t>(f, kMaxFontHeight);
}

int EscapementOf(std::int64_t angle) {
  return RoundToInt(static_cast<double>(angle % db::kFullTurn) / 100000.0);
}

int MarkSizeOf(const SceneState& app) {
  if (app.screenText.markSize > 0) return app.screenText.markSize;
  return std::max(1, app.display.view.screenWidth / 128);
}

Rgb TextColourForLayer(const SceneState& app, int layer) {
  const bool black = app.display.blackBackground;
  if (layer == kEraseLayer) return BackgroundColour(black);
  const int clamped = std::clamp(layer, 0, kPenLayerCount - 1);
  const int colour = app.settings.layerPen[clamped] % kColourCount;
  const int printMode = app.screenText.printColourMode;
  if (printMode >= 1 && colour == 0) return MakeRgb(0, 0, 0);
  if (printMode == 2 && colour == 7) return MakeRgb(0, 0, 0);
  return PaletteColour(colour, black);
}

Extent ScreenTextExtent(const SceneState& app, const ScreenText& t) {
  const std::size_t bytes = std::min(t.text.size(), db::kTextBytes);
  const double hc =
      double(app.settings.hight) * app.settings.dbPerUserUnit * (t.magnification / 1e6);
  PlacementTransform f;
  f.originX = t.x;
  f.originY = t.y;
  f.mirrored = t.reflection & 1;
  f.rotation = static_cast<std::int32_t>(t.angle % db::kFullTurn);
  f.magnification = 1.0;
  const std::int32_t w = RoundToInt(hc / 2 * double(bytes)), h = RoundToInt(hc);
  Point c[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
  TransformPoints(f, c, 4);
  Extent e{c[0].x, c[0].y, c[0].x, c[0].y};
  for (const Point& p : c) {
    e.xmin = std::min(e.xmin, p.x);
    e.ymin = std::min(e.ymin, p.y);
    e.xmax = std::max(e.xmax, p.x);
    e.ymax = std::max(e.ymax, p.y);
  }
  return e;
}

void DrawTextElement(TextDevice& dev, const PlacementTransform& frame, const ScreenText& t) {
  SceneState& app = dev.app;
  if (!(app.display.elementTypeMask & kTextTypeBit)) return;
  const Extent box = TransformExtent(frame, ScreenTextExtent(app, t));
  if (!ExtentVisible(dev.view, box) || !LayerShown(app, t.layer)) return;
  std::int64_t angle = 0;
  int reflection = 0;
  const Point origin = ThroughFrame(frame, t.x, t.y, t.angle, t.reflection, angle, reflection);
  const double m = t.magnification / 1e6 * frame.magnification;
  DrawScreenText(dev, t.layer, origin, angle, reflection, m, sjis::cutAt(t.text, db::kTextBytes));
}

void DrawTextBaseMark(TextDevice& dev, int x0, int y0) {
  const int r = MarkSizeOf(dev.app);
  const IntPoint diamond[5] = {
      {x0 + r - 1, y0}, {x0, y0 + r - 1}, {x0 - r + 1, y0}, {x0, y0 - r + 1}, {x0 + r - 1, y0}};
  dev.surface.polyline(diamond, 5);
}

void DrawScreenText(TextDevice& dev, int layer, Point origin, std::int64_t angle, int reflection,
                    double m, std::string_view text) {
  SceneState& app = dev.app;
  const Settings& settings = app.settings;
  const int only = app.display.onlyLayer;
  if (layer < kLayerCount && only >= 0 && only != layer) return;
  if (Picking(app)) {
    const bool wanted =
        dev.depth < settings.showTextBase || (dev.depth == 0 && app.display.pickMode == 2);
    if ((app.display.elementTypeMask & kTextPickBit) && wanted) Offer(app, origin);
    return;
  }
  Surface& s = dev.surface;
  const ViewState& view = dev.view;
  const int x0 = static_cast<int>(ToWindowX(view, origin.x));
  const int y0 = static_cast<int>(ToWindowY(view, origin.y));
  s.setRasterMode(RasterMode::Copy);
  const int drawLayer = dev.highlight ? kHighlightLayer : layer;
  const bool black = app.display.blackBackground;
  s.setPen(LayerPen(settings, drawLayer < kLayerCount ? kMarkLayer : drawLayer, black));
  if (dev.depth < settings.showTextBase) DrawTextBaseMark(dev, x0, y0);

  const bool shown = drawLayer >= kLayerCount || LayerShown(app, layer);
  if (!shown || app.screenText.fontError || text.empty()) return;
  const double hc = double(settings.hight) * settings.dbPerUserUnit * m;
  const int fontHeight = TextFontHeight(RoundToInt(hc * view.scale));
  const int escapement = EscapementOf(angle);
  if (!SelectFont(s, MinchoFace(), fontHeight, escapement)) {
    FontFailure(app);
    return;
  }
  s.setTextColour(TextColourForLayer(app, drawLayer));

  const double theta = static_cast<double>(angle) * std::numbers::pi / 180.0 / 1e6;
  const double cosT = std::cos(theta), sinT = std::sin(theta);
  const double margin = 4 / view.scale;
  PlacementTransform box;
  box.mirrored = reflection & 1;
  box.rotation = static_cast<std::int32_t>(angle % db::kFullTurn);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t bytes =
        sjis::isLeadByte(static_cast<std::uint8_t>(text[i])) && i + 1 < text.size() ? 2 : 1;
    const double along = hc / 2 * double(i);
    const double px = origin.x + cosT * along, py = origin.y + sinT * along;
    // The character's box, a little larger than its cell, turned about its lower-left corner.
    const std::int32_t x1 = RoundToInt(px - margin), y1 = RoundToInt(py - margin);
    const std::int32_t x2 = RoundToInt(px + hc / 2 * double(bytes) + margin);
    const std::int32_t y2 = RoundToInt(py + hc + margin);
    box.originX = x1;
    box.originY = y1;
    Point corners[4] = {{0, 0}, {x2 - x1, 0}, {x2 - x1, y2 - y1}, {0, y2 - y1}};
    TransformPoints(box, corners, 4);
    Extent e{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
    for (const Point& c : corners) {
      e.xmin = std::min(e.xmin, c.x);
      e.ymin = std::min(e.ymin, c.y);
      e.xmax = std::max(e.xmax, c.x);
      e.ymax = std::max(e.ymax, c.y);
    }
    if (ExtentVisible(view, e)) {
      double rx = 0, ry = 0;
      const double wx = ToWindowX(view, px), wy = ToWindowY(view, py);
      if (box.mirrored == 0)
        MoveToward(wx, wy, fontHeight + 2, escapement, 900, rx, ry);
      else
        MoveToward(wx, wy, 2, escapement, 2700, rx, ry);
      if (Inside(rx, kTextReferenceLimit) && Inside(ry, kTextReferenceLimit))
        s.text(static_cast<int>(rx), static_cast<int>(ry), text.substr(i, bytes), 0);
    }
    i += bytes;
  }
}

void DrawPlacementMarkAndLabel(TextDevice& dev, const PlacementTransform& frame,
                               const PlacementLabel& p) {
  SceneState& app = dev.app;
  const Settings& settings = app.settings;
  std::int64_t angle = 0;
  int reflection = 0;
  const Point origin = ThroughFrame(frame, p.x, p.y, p.angle, p.reflection, angle, reflection);
  const double m = p.magnification / 1e6 * frame.magnification;
  if (Picking(app)) {
    const int kind = app.display.pickMode;
    const int bit = p.array ? kArrayPickBit : kSinglePickBit;
    const bool wanted =
        (kind == 1 && dev.depth < settings.showBase) || (kind == 2 && dev.depth == 0);
    if (wanted && (app.display.elementTypeMask & bit)) Offer(app, origin);
    return;
  }
  Surface& s = dev.surface;
  const int x0 = static_cast<int>(ToWindowX(dev.view, origin.x));
  const int y0 = static_cast<int>(ToWindowY(dev.view, origin.y));
  const bool black = app.display.blackBackground;
  if (dev.depth < settings.showBase) {
    s.setRasterMode(RasterMode::Copy);
    s.setPen(LayerPen(settings, dev.highlight ? kHighlightLayer : kMarkLayer, black));
    DrawTextBaseMark(dev, x0, y0);
  }
  if (app.screenText.fontError || p.name.empty() || dev.depth >= settings.showBaseName) return;
  const int colourLayer =
      dev.highlight ? kHighlightLayer : (p.array ? kArrayFrameLayer : kSingleFrameLayer);
  if (p.array) {
    std::string text(p.name);
    text += kArraySuffix;
    DrawLabel(dev, x0, y0, text, std::clamp(app.window.lineHeight, kMinFontHeight, kMaxFontHeight),
              angle, reflection, colourLayer);
    return;
  }
  DrawLabel(dev, x0, y0, p.name, SingleLabelHeight(dev, p.name, p.placedExtent, m), angle,
            reflection, colourLayer);
}

void DrawArrayElementLabel(TextDevice& dev, double wx, double wy, std::int64_t angle,
                           int reflection, double m, std::string_view name,
                           const Extent* placedExtent) {
  if (dev.app.screenText.fontError || name.empty() || Picking(dev.app)) return;
  name = sjis::cutAt(name, kLabelNameLimit);
  DrawLabel(dev, wx, wy, name, SingleLabelHeight(dev, name, placedExtent, m), angle, reflection & 1,
            dev.highlight ? kHighlightLayer : kArrayFrameLayer);
}

void ShowFontFailure(SceneState& app) {
  auto& st = app.screenText;
  if (!st.fontError || st.fontErrorShown) return;
  st.fontErrorShown = true;
  command::ShowError(app, sjis::fromUtf8(kFontFailed), kErrorCaption);
}

}  // namespace lav::display
