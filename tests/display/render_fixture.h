// A design drawn into an offscreen image: cells built through the database's own operations,
// a known view (40 x 30 user units on 400 x 300 pixels, 100 database units per pixel) and helpers
// to read the pixels back.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "command/view_commands.h"
#include "db/cell_directory.h"
#include "db/design_builder.h"
#include "display/redraw.h"
#include "display/view_transform.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "qt/qt_surface.h"
#include "state/app_state.h"
#include "support/qt_application.h"

namespace lav::display::testing {

inline constexpr Rgb kRed = MakeRgb(255, 0, 0);
inline constexpr Rgb kWhite = MakeRgb(255, 255, 255);

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lav::testing::EnsureQtApplication();
    db::testing::NewImage(app.design);
    auto& v = app.display.view;
    v = {.clientWidth = 400, .clientHeight = 300, .screenWidth = 1600, .screenHeight = 1000};
    ZoomToCorners(v, 1000, 0, 0, 40, 30);
    app.display.firstPaintDone = true;
    app.settings.showBase = 0;  // no base marks over the pixels under test
    app.window.transcript.onLine = [this](std::string_view l) {
      lines.push_back(sjis::toUtf8(std::string(l)));
    };
  }

  // Creates a cell and makes it the one new elements go to; the cell left is measured first, as
  // the window's drawing would have done after each new element.
  void cell(const std::string& name) {
    RefreshExtent(app);
    db::testing::AddCell(app.design, name);
  }
  void rect(int layer, int x0, int y0, int x1, int y1) {
    db::testing::Append(app.design,
                        db::EncodeArea(db::ElementType::Rect, static_cast<std::int16_t>(layer),
                                       {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}}));
  }
  void single(const std::string& name, int x, int y, int refl = 0, std::uint32_t angle = 0,
              std::uint32_t mag = 1000000) {
    db::testing::Append(
        app.design, db::EncodeSingle({name, static_cast<std::int16_t>(refl), mag, angle, x, y}));
  }
  void array(const std::string& name, int x, int y, int cols, int rows, int px, int py,
             int refl = 0, std::uint32_t angle = 0) {
    db::testing::Append(app.design, db::EncodeArray({name, static_cast<std::int16_t>(refl), 1000000,
                                                     angle, x, y, cols, rows, px, py}));
  }
  // Opens a cell as the one the window shows.
  void open(const std::string& name) {
    RefreshExtent(app);
    const auto found = db::FindCell(app.design.image, name);
    ASSERT_EQ(found.result, db::FindResult::Found);
    db::MakeCurrent(app.design, found.slotOffset);
  }
  bool draw() { return RedrawGraphics(app, surface); }

  // Window pixel of a design point.
  Rgb at(int x, int y) const {
    return surface.pixel(static_cast<int>(ToWindowX(app.display.view, x)),
                         static_cast<int>(ToWindowY(app.display.view, y)));
  }
  // Pixels of colour c inside the window rectangle [x0, x1) x [y0, y1).
  int count(Rgb c, int x0, int y0, int x1, int y1) const {
    return lav::testing::CountColour(surface.image(), QRect(x0, y0, x1 - x0, y1 - y0), QColor(c));
  }
  int countAll(Rgb c) const { return count(c, 0, 0, surface.width(), surface.height()); }

  bool printed(const std::string& utf8) const {
    for (const auto& l : lines)
      if (l.find(utf8) != std::string::npos) return true;
    return sjis::toUtf8(app.window.transcript.lines[0]).find(utf8) != std::string::npos;
  }

  ScriptedHost host;
  AppState app{host};
  qt::QtSurface surface{400, 300};
  std::vector<std::string> lines;
};

}  // namespace lav::display::testing
