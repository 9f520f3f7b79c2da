#include "db/cell_commands.h"

#include <vector>

#include "db/cell_directory.h"
#include "db/core_state.h"
#include "db/design_files.h"
#include "db/design_header.h"
#include "db/element_stream.h"
#include "db/messages.h"
#include "db/refusal.h"
#include "platform/byte_io.h"
#include "platform/sjis.h"

namespace lav::db {
namespace {

std::vector<std::string_view> words(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n')) ++i;
    std::size_t j = i;
    while (j < s.size() && s[j] != ' ' && s[j] != '\t' && s[j] != '\n') ++j;
    if (j > i) out.push_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

}  // namespace

bool CreateCell(CoreState& app, std::string_view nameText, Refusal& refusal) {
  auto& d = app.design;
  if (!d.isOpen()) {
    refusal = {msg::kNotOpenYet};
    app.continueFlag = false;
    return false;
  }
  auto w = words(nameText);
  if (w.empty()) return false;
  const std::string name = CutCellName(w[0]);
  // Only a check: the current cell stays as it is.
  if (FindCell(d.image, name).result == FindResult::Found) {
    refusal = {msg::kSameCellExists};
    app.continueFlag = false;
    return false;
  }
  const std::int32_t slot = FindSlotForNewCell(d.image, d.version);
  if (slot == 0) {
    refusal = {msg::kTooManyCells, {}, sjis::fromUtf8(msg::kCaptionCellCreate)};
    return false;
  }
  CellEntry e;
  if (d.image.bytes[slot] == kDeletedCellMark) {
    e.firstBlock = ReadCellEntry(d.image, slot).firstBlock;  // its old chain is reused
  }
  e.setName(name);
  e.created = e.modified = StampOf(app.host.now());
  WriteCellEntry(d.image, slot, e);
  MakeCurrent(d, slot);
  app.host.invalidate(Window::Status);
  app.host.invalidate(Window::Graphics);
  return true;
}

bool OpenCell(CoreState& app, std::string_view arguments, bool& needsName, Refusal& refusal) {
  auto& d = app.design;
  needsName = false;
  // The dispatcher shows the no-design message with the command's name before calling.
  if (!d.isOpen()) {
    app.continueFlag = false;
    return false;
  }
  auto w = words(arguments);
  int option = 0;
  std::size_t nameIndex = 0;
  if (!w.empty()) {
    const std::string first(w[0]);
    char* end = nullptr;
    const long v = std::strtol(first.c_str(), &end, 10);
    if (end != first.c_str() && (v == 0 || v == 1) && *end == '\0') {
      option = static_cast<int>(v);
      nameIndex = 1;
    }
  }
  if (nameIndex >= w.size()) {
    needsName = true;
    return false;
  }
  const std::string name = CutCellName(w[nameIndex]);
  const FindOutcome found = FindCell(d.image, name);
  if (found.result != FindResult::Found) {
    // Also when all 800 slots are in use: a silent refusal would look like success.
    refusal = {msg::kCellNotFound, name};
    app.continueFlag = false;
    return false;
  }
  MakeCurrent(d, found.slotOffset);  // also invalidates the append cursor
  // The cell is drawn to its full depth once, which also stores its real extent.
  const std::int32_t savedNest = app.settings.nest;
  app.settings.nest = 11;
  d.presentLayers.fill(0);
  app.host.setTitle(sjis::fromUtf8(msg::kTitleRunning));
  app.settings.headerFlags50 |= 1;
  if (option == 1) {
    app.settings.showAcell = 0;
    app.settings.showScell = 0;
    app.settings.headerFlags51 |= 1;
  }
  app.host.invalidate(Window::Status);
  app.host.invalidate(Window::Graphics);
  app.settings.nest = savedNest;
  app.host.setTitle(FormatMessage(msg::kTitleOpen, d.path));
  return true;
}

}  // namespace lav::db
