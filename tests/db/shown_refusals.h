// The operations that may refuse, with the refusal shown on the host as a command shows it, so
// that tests find it among the host's boxes.
#pragma once

#include <string_view>

#include "db/cell_commands.h"
#include "db/core_state.h"
#include "db/design_files.h"
#include "db/refusal.h"

namespace lav::db {

inline bool Shown(CoreState& app, bool done, const Refusal& refusal) {
  if (refusal.utf8)
    ShowRefusalBox(app.host, FormatMessage(refusal.utf8, refusal.argument), refusal.caption);
  return done;
}
inline bool NewDesign(CoreState& app, std::string_view name) {
  Refusal r;
  return Shown(app, NewDesign(app, name, r), r);
}
inline OpenResult OpenDesign(CoreState& app, std::string_view name) {
  Refusal r;
  const OpenResult result = OpenDesign(app, name, r);
  Shown(app, true, r);
  return result;
}
inline bool CloseDesign(CoreState& app, bool save) {
  Refusal r;
  return Shown(app, CloseDesign(app, save, r), r);
}
inline bool CreateCell(CoreState& app, std::string_view name) {
  Refusal r;
  return Shown(app, CreateCell(app, name, r), r);
}
inline bool OpenCell(CoreState& app, std::string_view arguments, bool& needsName) {
  Refusal r;
  return Shown(app, OpenCell(app, arguments, needsName, r), r);
}
inline bool CompactDesign(CoreState& app, bool dropDeleted) {
  Refusal r;
  return Shown(app, CompactDesign(app, dropDeleted, r), r);
}

}  // namespace lav::db
