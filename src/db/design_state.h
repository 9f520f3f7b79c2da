// The open design and the working state around it: its file, its current cell with the append
// position, and the second, read-only design that cells are copied from.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "db/design_image.h"
#include "platform/file_lock.h"

namespace lav::db {

// Where the next record of the current cell goes: its last block and the bytes used there.
struct AppendCursor {
  std::int32_t block = 0;
  std::int32_t used = 0;
  bool valid = false;
};

struct CurrentCell {
  std::string name;  // empty: no cell open
  CellEntry entry;   // working copy of the slot, the authority while the cell is open
  std::int32_t slotOffset = 0;
  AppendCursor cursor;
};

struct DesignState {
  DesignImage image;
  std::string path;            // current file path; empty: no design open
  filelock::Lock lock;         // held on the opened file, so no other program opens it too
  std::int16_t version = 450;  // format version, kept when the design is written again
  int auxCounter = 0;          // opens in this run, at most 100
  bool saveOnClose = false;
  bool beyondClassicTold = false;  // the design passed the classic image size and was told so
  std::array<std::uint8_t, 64> presentLayers{};
  CurrentCell current;
  bool cellDialogOpen = false;
  DesignImage source;  // read-only design cells are copied from
  std::string sourcePath;

  bool isOpen() const { return !path.empty() && image.allocated(); }
  bool hasCell() const { return isOpen() && !current.name.empty(); }
};

}  // namespace lav::db
