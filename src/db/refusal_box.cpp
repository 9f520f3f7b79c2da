#include "db/refusal_box.h"

#include "db/core_state.h"
#include "db/design_files.h"

namespace lav::db {

void ShowRefusal(CoreState& app, const char* utf8, std::string_view sjisArgument,
                 std::string_view sjisCaption) {
  ShowRefusalBox(app.host, FormatMessage(utf8, sjisArgument), sjisCaption);
}

}  // namespace lav::db
