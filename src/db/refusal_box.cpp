#include "db/refusal_box.h"

#include "db/design_files.h"
#include "shell/app_state.h"

namespace lav::db {

void ShowRefusal(AppState& app, const char* utf8, std::string_view sjisArgument,
                 std::string_view sjisCaption) {
  ShowRefusalBox(app.host, FormatMessage(utf8, sjisArgument), sjisCaption);
}

}  // namespace lav::db
