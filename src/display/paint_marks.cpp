#include "display/paint_marks.h"

#include <array>
#include <fstream>

#include "db/rounding.h"
#include "display/scene_state.h"
#include "display/view_transform.h"
#include "platform/byte_io.h"
#include "platform/paths.h"

namespace lav::display {
namespace {

constexpr std::size_t kRecordBytes = 16;
constexpr const char* kPaintFile = "PAINTDAT.DAT";

constexpr Rgb kSolid[] = {MakeRgb(255, 255, 255), MakeRgb(255, 0, 0),   MakeRgb(0, 255, 0),
                          MakeRgb(0, 0, 255),     MakeRgb(255, 0, 255), MakeRgb(0, 255, 255),
                          MakeRgb(255, 255, 0),   MakeRgb(0, 0, 0),     MakeRgb(128, 128, 128),
                          MakeRgb(0, 128, 128),   MakeRgb(128, 0, 128), MakeRgb(128, 128, 0),
                          MakeRgb(0, 128, 0),     MakeRgb(128, 0, 0),   MakeRgb(0, 0, 128)};

void Fill(Surface& s, const ViewState& v, const Brush& brush, std::int32_t x, std::int32_t y) {
  const int wx = RoundToInt(ToWindowX(v, x)), wy = RoundToInt(ToWindowY(v, y));
  if (wx < 0 || wy < 0 || wx >= s.width() || wy >= s.height()) return;
  s.setBrush(brush);
  s.floodFillSurface(wx, wy);
}

}  // namespace

Brush BrushByIndex(int index, Rgb paintColour) {
  Brush b;
  if (index >= 1 && index <= 6) {
    b.solid = false;
    b.hatch = static_cast<HatchStyle>(index - 1);
    b.colour = MakeRgb(0, 0, 0);
    b.opaque = true;
    b.background = paintColour;
  } else if (index >= 7 && index <= 21) {
    b.colour = kSolid[index - 7];
  } else {
    b.colour = paintColour;
  }
  return b;
}

std::string PaintFilePath(const SceneState& app) {
  const std::string path = paths::join(app.programDir, kPaintFile);
  if (auto found = paths::findCaseInsensitive(path)) return *found;
  return path;
}

std::vector<PaintMark> ReadPaintMarks(const SceneState& app) {
  std::vector<PaintMark> marks;
  std::ifstream in(PaintFilePath(app), std::ios::binary);
  std::array<std::uint8_t, kRecordBytes> r{};
  while (in.read(reinterpret_cast<char*>(r.data()), kRecordBytes)) {
    marks.push_back({le::getU32(r.data()) & 0xFFFFFF, le::getU32(r.data() + 4),
                     le::getI32(r.data() + 8), le::getI32(r.data() + 12)});
  }
  return marks;
}

bool PaintAt(SceneState& app, Surface& surface, double ux, double uy) {
  const auto& d = app.display;
  PaintMark m;
  m.colour = d.paintColour & 0xFFFFFF;
  m.brush = static_cast<std::uint32_t>(d.paintBrush);
  m.x = RoundToInt(ux * app.settings.dbPerUserUnit);
  m.y = RoundToInt(uy * app.settings.dbPerUserUnit);
  Fill(surface, d.view, BrushByIndex(d.paintBrush, m.colour), m.x, m.y);
  std::array<std::uint8_t, kRecordBytes> r{};
  le::putU32(r.data(), m.colour);
  le::putU32(r.data() + 4, m.brush);
  le::putI32(r.data() + 8, m.x);
  le::putI32(r.data() + 12, m.y);
  std::ofstream out(PaintFilePath(app), std::ios::binary | std::ios::app);
  out.write(reinterpret_cast<const char*>(r.data()), kRecordBytes);
  return static_cast<bool>(out.flush());
}

void ReplayPaint(SceneState& app, Surface& surface) {
  for (const PaintMark& m : ReadPaintMarks(app)) {
    app.host.messageStep(app.continueFlag);
    if (!app.continueFlag) return;
    Fill(surface, app.display.view, BrushByIndex(static_cast<int>(m.brush), m.colour), m.x, m.y);
  }
}

bool ClearPaintMarks(SceneState& app) {
  std::ofstream out(PaintFilePath(app), std::ios::binary | std::ios::trunc);
  return static_cast<bool>(out);
}

}  // namespace lav::display
