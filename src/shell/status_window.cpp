#include "shell/status_window.h"

#include <cstdio>

#include "console/user_value.h"
#include "display/pens.h"
#include "platform/sjis.h"
#include "state/app_state.h"

namespace lav::shell {
namespace {

constexpr Rgb kLabelColour = MakeRgb(0, 0, 0);
constexpr Rgb kLabelBackground = MakeRgb(0, 255, 0);
constexpr Rgb kDetailColour = MakeRgb(255, 0, 0);

// The window's texts, converted once to the program's inner encoding.
struct Labels {
  std::string cell = " CEL:", layer = " LAY:", element = " EL:", xy = " XY:";
  std::string name = " Name:", width = " Width:", area = " Window Area:";
  std::string upperRight = sjis::fromUtf8("右上 :");
  std::string lowerLeft = sjis::fromUtf8("左下 :");
  std::string shown = sjis::fromUtf8(" 表示:");
  std::string selected = sjis::fromUtf8(" 選択:");
};
const Labels& labels() {
  static const Labels l;
  return l;
}

double dbUnit(const AppState& app) {
  return app.settings.dbPerUserUnit > 0 ? app.settings.dbPerUserUnit : 1;
}

std::string fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string integer(int v) {
  return std::to_string(v);
}

}  // namespace

StatusLayout LayoutStatus(int w, int h, int L, const TextWidth& measure) {
  StatusLayout s;
  s.width = w;
  s.height = h;
  s.lineHeight = L;
  s.bottomRow = h - L;
  s.cellValueX = measure(" CEL:0");
  s.layerLabelX = w / 3;
  s.layerValueX = w / 3 + measure(" LAY:0");
  s.elementLabelX = w / 2 - 12;
  s.elementValueX = w / 2 + measure(" EL:0") - 12;
  s.coordLabelX = s.elementValueX + measure("9.00");
  s.xRight = s.coordLabelX + measure(" XY:") + measure("-XXXXXXX.XXX");
  s.yRight = s.xRight + measure("0") + measure("-XXXXXXX.XXX");
  s.layerListsX = measure("Window Area: XXXXXXX.XXX XXXXXXXX.XXX");
  return s;
}

StatusRect StatusFieldRect(const StatusLayout& s, StatusField field) {
  const int L = s.lineHeight, row = s.bottomRow;
  switch (field) {
    case kStatusCell:
      return {s.cellValueX, row, s.layerLabelX - s.cellValueX, L};
    case kStatusLayer:
      return {s.layerValueX, row, s.elementLabelX - s.layerValueX, L};
    case kStatusElement:
      return {s.elementValueX, row, s.coordLabelX - s.elementValueX, L};
    case kStatusX:
      return {s.coordLabelX, row, s.xRight - s.coordLabelX, L};
    case kStatusY:
      return {s.xRight, row, s.yRight - s.xRight, L};
    case kStatusDetail:
      return {s.elementLabelX, s.height - 2 * L, s.width - s.elementLabelX, L};
    case kStatusView:
      return {0, s.height - 4 * L, s.width, 3 * L};
    case kStatusLayerLists:
      return {s.layerListsX, 0, s.width - s.layerListsX, 2 * L};
  }
  return {0, 0, s.width, s.height};
}

std::string StatusCoordinate(const AppState& app, bool y) {
  const PointerState& ptr = app.shell.pointer;
  double v = y ? ptr.userY : ptr.userX;
  if (app.settings.absMode != 0 && ptr.keyboardCursor == 1)
    v -= (y ? app.dispatch.originY : app.dispatch.originX) / dbUnit(app);
  return fixed(v, command::UserUnitDecimals(app.settings.dbPerUserUnit));
}

std::vector<StatusText> StatusTexts(const AppState& app, const StatusLayout& s,
                                    const TextWidth& measure) {
  const Labels& lab = labels();
  const bool black = !app.shell.whiteBackground;
  const Rgb back = display::BackgroundColour(black);
  const Rgb fore = display::PaletteColour(0, black);
  const Settings& set = app.settings;
  const int L = s.lineHeight, h = s.height, row = s.bottomRow;
  const int type = set.elementType;
  const int d = command::UserUnitDecimals(set.dbPerUserUnit);
  const double dbu = dbUnit(app);
  auto layerColour = [&](int layer) { return display::LayerSolidPen(set, layer, black).colour; };

  std::vector<StatusText> out;
  auto label = [&](StatusField f, int x, int y, const std::string& text) {
    out.push_back({f, true, x, y, text, kLabelColour, kLabelBackground});
  };
  auto value = [&](StatusField f, int x, int y, std::string text, Rgb colour) {
    out.push_back({f, false, x, y, std::move(text), colour, back});
  };

  // 1. The element detail's label, where the window is tall enough.
  const bool detail =
      s.showsDetail() && (type == db::ElementType::ACell || type == db::ElementType::SCell ||
                          type == db::ElementType::Line);
  if (detail)
    label(kStatusDetail, s.elementLabelX, h - 2 * L,
          type == db::ElementType::Line ? lab.width : lab.name);

  // 2. The labels.
  label(kStatusCell, 0, row, lab.cell);
  label(kStatusLayer, s.layerLabelX, row, lab.layer);
  label(kStatusElement, s.elementLabelX, row, lab.element);
  label(kStatusX, s.coordLabelX, row, lab.xy);
  label(kStatusView, 0, h - 4 * L, lab.area);
  label(kStatusLayerLists, s.layerListsX, 0, lab.shown);
  label(kStatusLayerLists, s.layerListsX, L - 1, lab.selected);

  // 3. The element detail's value, in red.
  if (detail && type == db::ElementType::Line)
    value(kStatusDetail, s.elementValueX + L + 10, h - 2 * L,
          command::FormatUserValue(set.width / dbu, set.dbPerUserUnit), kDetailColour);
  else if (detail)
    value(kStatusDetail, s.elementValueX + L, h - 2 * L, set.cellName, kDetailColour);

  // 4 to 6. Cell, layer and element type.
  value(kStatusCell, s.cellValueX, row, app.design.current.name, fore);
  value(kStatusLayer, s.layerValueX, row, integer(set.layer), layerColour(set.layer));
  value(kStatusElement, s.elementValueX, row,
        type == db::ElementType::Line ? integer(type) + "." + integer(set.lineTipType)
                                      : integer(type),
        layerColour(display::kHighlightLayer));

  // 7. The pointer, each coordinate right-aligned at its edge.
  const std::string x = StatusCoordinate(app, false), y = StatusCoordinate(app, true);
  value(kStatusX, s.xRight - measure(x), row, x, fore);
  value(kStatusY, s.yRight - measure(y), row, y, fore);

  // 8. The view window: upper right, lower left, then its size after " Window Area:".
  const auto& win = app.display.view.window;
  // "右上 :" and "左下 :" are plain text; " Window Area:" is the label drawn above.
  auto pair = [&](int top, const std::string& text, bool drawText, double a, double b) {
    if (drawText) value(kStatusView, 0, top, text, fore);
    int at = measure(text) + L / 2;
    const std::string first = fixed(a, d), second = fixed(b, d);
    value(kStatusView, at, top, first, fore);
    at += measure(first) + L;
    value(kStatusView, at, top, second, fore);
  };
  pair(h - 3 * L, lab.upperRight, true, win.xmax / dbu, win.ymax / dbu);
  pair(h - 2 * L, lab.lowerLeft, true, win.xmin / dbu, win.ymin / dbu);
  pair(h - 4 * L, lab.area, false, (double(win.xmax) - win.xmin) / dbu,
       (double(win.ymax) - win.ymin) / dbu);

  // 9. The layers drawn since the cell was opened: displayed ones, then selectable ones.
  auto list = [&](int top, const auto& flags) {
    int at = s.layerListsX + 3 * L;
    for (int layer = 0; layer < kLayerCount; ++layer) {
      if (!app.design.presentLayers[layer] || !(flags[layer] & 1)) continue;
      std::string text = integer(layer) + " ";
      const int advance = measure(text);
      value(kStatusLayerLists, at, top, std::move(text), layerColour(layer));
      at += advance;
    }
  };
  list(0, set.layerFlags);
  list(L, set.layerSelectFlags);
  return out;
}

}  // namespace lav::shell
