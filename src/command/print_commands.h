// Commands 111 (print) and 123 (save the Graphics Window as a bitmap).
#pragma once

#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::command {

// Optional print colour mode 0, 1 or 2 (kept for later prints), then printing.
void StartPrint(AppState& app, std::string_view line);
// Optional file name (default: the design file's); the bitmap never replaces a file.
void StartExportBitmap(AppState& app, std::string_view line);

}  // namespace lav::command
