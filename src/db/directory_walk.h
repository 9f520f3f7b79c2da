// The one walk over the cell directory: the 800 classic slots, then the slots of the extension's
// chunks in the order of their links. Every reader of the directory walks it through here.
#pragma once

#include <cstdint>
#include <iterator>

#include "db/design_image.h"

namespace lav::db {

// The first slot of the walk.
SlotCursor FirstSlot();

// Moves to the next slot; past the last one the offset becomes 0. A cursor at the end moves on
// again once a chunk has been linked behind the last region. A link that leaves the data area
// or does not lie behind its chunk ends the walk with broken set, so a damaged file can never
// send a walk astray.
void NextSlot(const DesignImage& image, SlotCursor& cursor);

// For range-for: `for (std::int32_t slot : DirectorySlots(image))` visits every slot offset,
// free ones included; the walks stop at the first free slot themselves.
class DirectorySlots {
 public:
  explicit DirectorySlots(const DesignImage& image) : image_(image) {}

  class Iterator {
   public:
    using difference_type = std::ptrdiff_t;
    using value_type = std::int32_t;
    Iterator() = default;
    Iterator(const DesignImage* image, SlotCursor c) : image_(image), c_(c) {}
    std::int32_t operator*() const { return c_.offset; }
    Iterator& operator++() {
      NextSlot(*image_, c_);
      return *this;
    }
    void operator++(int) { ++*this; }
    bool operator==(std::default_sentinel_t) const { return c_.offset == 0; }
    const SlotCursor& cursor() const { return c_; }

   private:
    const DesignImage* image_ = nullptr;
    SlotCursor c_;
  };

  Iterator begin() const { return {&image_, FirstSlot()}; }
  std::default_sentinel_t end() const { return {}; }

 private:
  const DesignImage& image_;
};

}  // namespace lav::db
