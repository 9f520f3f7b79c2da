// Commands 120 (DXF input) and 121 (DXF output).
#pragma once

#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::interchange {

void StartDxfInput(AppState& app, std::string_view line);
void StartDxfOutput(AppState& app, std::string_view line);

}  // namespace lav::interchange
