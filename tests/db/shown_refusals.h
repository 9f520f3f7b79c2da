// The operations that may refuse, with the refusal shown on the host as a command shows it, so
// that tests find it among the host's boxes.
#pragma once

#include <string_view>

#include "console/command_steps.h"
#include "console/console_state.h"
#include "db/cell_commands.h"
#include "db/design_files.h"
#include "db/refusal.h"

namespace lav::db {

inline bool Shown(command::ConsoleState& app, bool done, const Refusal& refusal) {
  command::ShowRefusal(app, refusal);
  return done;
}
inline bool NewDesign(command::ConsoleState& app, std::string_view name) {
  Refusal r;
  return Shown(app, NewDesign(app, name, r), r);
}
inline OpenResult OpenDesign(command::ConsoleState& app, std::string_view name) {
  Refusal r;
  const OpenResult result = OpenDesign(app, name, r);
  Shown(app, true, r);
  return result;
}
inline bool CloseDesign(command::ConsoleState& app, bool save) {
  Refusal r;
  return Shown(app, CloseDesign(app, save, r), r);
}
inline bool CreateCell(command::ConsoleState& app, std::string_view name) {
  Refusal r;
  return Shown(app, CreateCell(app, name, r), r);
}
inline bool OpenCell(command::ConsoleState& app, std::string_view arguments, bool& needsName) {
  Refusal r;
  return Shown(app, OpenCell(app, arguments, needsName, r), r);
}
inline bool CompactDesign(command::ConsoleState& app, bool dropDeleted) {
  Refusal r;
  return Shown(app, CompactDesign(app, dropDeleted, r), r);
}

}  // namespace lav::db
