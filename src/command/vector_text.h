// Lettering as geometry: a text becomes closed polygons on the current layer, glyph by glyph from
// the font file beside the program, written through the temporary input layer's output.
#pragma once

#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::font {

// Writes text (Shift-JIS) at origin (user units) with the glyph cell height by width user units
// and glyph set 'N' or otherwise 'P'; the current layer, `Angle` and `Reflection` apply.
// Glyphs written before an error stay in the design.
void VectorText(AppState& app, std::string_view text, double height, double width, char set,
                double originX, double originY);

// The command: "name text [height [width [set]]]", or the text at the "Strings: " prompt, then
// the origin at the "Position" prompt.
void StartVectorText(AppState& app, std::string_view line);
void ContinueVectorText(AppState& app, std::string_view answer);

}  // namespace lav::font
