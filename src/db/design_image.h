// The open design in memory: one zero-filled block whose used prefix is, byte for byte, the
// expanded content of the .CAD file. Records are read and written at offsets inside it.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lav::db {

// The classic image size: a design within it is stored and read exactly as it always was.
inline constexpr std::int32_t kClassicImageSize = 5'242'800;
// Offsets are int32, so the image can never grow beyond this.
inline constexpr std::int32_t kImageMaxSize = 2'147'483'647;
inline constexpr std::int32_t kHeaderSize = 384;
inline constexpr std::int32_t kSlotSize = 80;
inline constexpr int kSlotCount = 800;
inline constexpr int kSlotCountBefore450 = 399;  // designs of format version below 450
inline constexpr std::int32_t kDataStart = kHeaderSize + kSlotSize * kSlotCount;  // 64384
inline constexpr std::int32_t kBlockSize = 2004;
inline constexpr std::int32_t kPayloadSize = 2000;
inline constexpr std::int32_t kHatchBlockSize = 128;
inline constexpr std::int32_t kLayerNamesBlockSize = 1280;
inline constexpr std::size_t kNameBytes = 32;
inline constexpr std::uint8_t kFreeSlotMark = 0;
inline constexpr std::uint8_t kDeletedCellMark = 15;
// Figures of at most this many vertices keep a design in its classic form.
inline constexpr int kMaxVertices = 200;
// What a record's int16 vertex count can hold.
inline constexpr int kMaxRecordVertices = 32767;
// Extent of a cell without elements.
inline constexpr std::array<std::int32_t, 4> kDefaultExtent = {0, 0, 45000, 35000};

// A position in the walk over the directory's slots (directory_walk.h): the slot's offset (0
// once the walk has passed the last slot) and the region it lies in, the classic directory or
// one chunk of the extension, so that the walk can go on into a chunk linked later.
struct SlotCursor {
  std::int32_t offset = 0;
  int number = 1;              // 1 for the first classic slot
  std::int32_t chunk = 0;      // the region's start; 0 for the classic directory
  std::int32_t regionEnd = 0;  // one past the region's last slot, where a chunk keeps its link
  bool broken = false;         // a link left the data area or pointed backwards: the walk ended
};

// Cell names to slots, so that a look-up does not read the directory. Built from the image on
// the first look-up and kept current by every slot write (WriteCellEntry); a damaged file with
// two cells of one name is simply read again after a change.
struct NameIndex {
  bool built = false;
  bool duplicates = false;
  std::unordered_map<std::string, std::int32_t> live;
  std::set<std::int32_t> deleted;  // in walk order, which is offset order
  SlotCursor end;                  // the first free slot, where the walk ends
};

struct DesignImage {
  std::vector<std::uint8_t> bytes;  // at least usedSize bytes while a design is open, else empty;
                                    // zero beyond usedSize
  std::int32_t usedSize = 0;
  std::int32_t maxSize = kImageMaxSize;  // the refusal limit; tests lower it
  mutable NameIndex names;               // a cache of the directory, see NameIndex
  bool allocated() const { return !bytes.empty(); }
  std::uint8_t* at(std::int32_t offset) { return bytes.data() + offset; }
  const std::uint8_t* at(std::int32_t offset) const { return bytes.data() + offset; }
};

// The extended form. A design beyond the classic limits says so in the header's reserved bytes
// (330..383, zero in every classic design): byte 330 holds one flag per extension, the bytes
// after it what the extensions need to be found.
inline constexpr std::int32_t kExtensionFlagsOffset = 330;
enum class Extension : std::uint8_t {
  Directory = 0x01,    // cells beyond the 800 directory slots
  LongFigures = 0x02,  // figures of more than 200 vertices
};
bool HasExtension(const DesignImage& image, Extension e);
void SetExtension(DesignImage& image, Extension e);
void ClearExtension(DesignImage& image, Extension e);

// The directory extension: chunks of slots in the data area, each the slots followed by the
// int32 offset of the next chunk (0: the last), like the element blocks. The header keeps the
// offset of the first chunk and the number of slots per chunk. A chunk never moves, so slot
// offsets stay valid while the design is open; the next chunk always lies behind the one before.
inline constexpr std::int32_t kFirstChunkOffset = 331;     // int32
inline constexpr std::int32_t kSlotsPerChunkOffset = 335;  // int32
inline constexpr std::int32_t kSlotsPerChunk = 800;
inline constexpr std::int64_t ChunkBytes(std::int64_t count) {
  return count * kSlotSize + 4;
}

// The first classic limit a design has passed, if any; a program that knows only the classic
// form cannot open such a design whole.
enum class ClassicLimit : std::uint8_t { None, Size, Cells, Vertices };
ClassicLimit PassedClassicLimit(const DesignImage& image);

// The 18-byte file magic at the start of every design.
std::string_view FileMagic();

// Makes the image hold at least `end` bytes, growing it zero-filled and geometrically. False,
// with the image unchanged, when `end` passes maxSize or memory runs out.
bool Reserve(DesignImage& image, std::int64_t end);

// Allocates a zero-filled image with the magic; usedSize becomes the empty design's 64384.
void CreateEmptyImage(DesignImage& image);

// Offset of classic directory slot k (1..800); directory_walk.h walks all slots.
inline std::int32_t SlotOffset(int k) {
  return kHeaderSize + kSlotSize * (k - 1);
}

// Date and time as the directory keeps it: two-digit year, month, day, hour, minute, second.
using Stamp = std::array<std::int16_t, 6>;

// A directory slot as a plain value.
struct CellEntry {
  std::array<std::uint8_t, kNameBytes> name{};
  std::int32_t xmin = 0, ymin = 0, xmax = 45000, ymax = 35000;
  std::int32_t dataSize = 0;
  std::int32_t firstBlock = 0;
  Stamp created{};
  Stamp modified{};

  // The name as bytes: at most 32, up to the first NUL.
  std::string nameText() const;
  void setName(std::string_view name);  // cut to 32 bytes, NUL-padded
  bool isFree() const { return name[0] == kFreeSlotMark; }
  bool isDeleted() const { return name[0] == kDeletedCellMark; }
  bool isLive() const { return !isFree() && !isDeleted(); }
};

// The cell entry's codec (with the element records' in record_codec.cpp).
CellEntry ReadCellEntry(const DesignImage& image, std::int32_t slotOffset);
void WriteCellEntry(DesignImage& image, std::int32_t slotOffset, const CellEntry& entry);

// Name bytes as a cell name: the first word is not taken here, only the 32-byte cut.
std::string CutCellName(std::string_view name);

}  // namespace lav::db
