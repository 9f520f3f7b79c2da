// Commands 117 (GDSII stream input) and 118 (GDSII stream output).
#pragma once

#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::interchange {

void StartStreamInput(AppState& app, std::string_view line);
void StartStreamOutput(AppState& app, std::string_view line);

}  // namespace lav::interchange
