// Commands 13 (make the cell tree report and show it) and 14 (show an earlier report).
#pragma once

#include <string_view>

namespace lav {
struct AppState;
}

namespace lav::interchange {

void StartTreeReport(AppState& app, std::string_view line);
void StartEarlierTreeReport(AppState& app, std::string_view line);

}  // namespace lav::interchange
