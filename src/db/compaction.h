// Packing a design (command 106): directory slots without gaps, each cell's live records in
// consecutive blocks, the layer tables first, optionally without the deleted cells.
#pragma once

#include <cstdint>
#include <optional>

#include "db/design_image.h"
#include "platform/host.h"

namespace lav::db {

struct CoreState;
struct Refusal;

enum class PackError : std::uint8_t { None, TooLarge, Damaged, Stopped };

// The packed form of image, or nullopt with the reason; image itself is never changed.
std::optional<DesignImage> PackImage(const DesignImage& image, bool dropDeleted, PackError& error,
                                     Host* host = nullptr, bool* continueFlag = nullptr);

// Command 106: replaces the design by its packed form; dropDeleted also removes deleted cells.
// Afterwards no cell is open. False when refused (refusal says why) or stopped; the design
// is then unchanged.
bool CompactDesign(CoreState& app, bool dropDeleted, Refusal& refusal);

}  // namespace lav::db
