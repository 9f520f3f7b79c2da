// Taking an element out of a cell into the temporary layer for editing, and putting it back.
#pragma once

#include "db/design_state.h"
#include "db/element_stream.h"
#include "db/temp_layer.h"

namespace lav {
struct Settings;
}

namespace lav::db {

enum class TakeResult : std::uint8_t {
  Taken,
  Unreadable,  // the record cannot be read as an element
  TooLong,     // a figure of more vertices than the layer holds: never taken in part
};

// Marks the record deleted in place, remembers it as the pending pick, and makes its fields the
// current element settings and its points the layer's (in user units). The layer must be empty.
// Nothing changes unless the result is Taken.
TakeResult TakeFigure(DesignImage& image, TempLayer& temp, Settings& settings,
                      const RecordView& record);

// Undoes a pending pick: the record is live again and the layer is emptied. False when there was
// no pending pick. (A pick whose points were all taken back is still put back, so an element is
// never lost without the user clearing the layer.)
bool PutBackPick(DesignImage& image, TempLayer& temp);

}  // namespace lav::db
