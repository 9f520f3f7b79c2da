#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>

#include "db/cad_file.h"
#include "db/cell_directory.h"
#include "db/design_header.h"
#include "db/directory_walk.h"
#include "db/element_stream.h"

namespace lav::db {
namespace {

bool blockInside(const DesignImage& image, std::int32_t offset, std::int32_t size) {
  return offset >= kDataStart && offset <= image.usedSize - size;
}

}  // namespace

std::string ValidateImage(const DesignImage& image) {
  if (image.usedSize < kDataStart) return "shorter than an empty design";
  if (image.bytes[0] != '#') return "no design magic";
  if (HasHeaderBlock(image, HeaderBlock::HatchCounts) &&
      !blockInside(image, HeaderBlockAt(image, HeaderBlock::HatchCounts), kHatchBlockSize))
    return "hatch table outside the data";
  if (HasHeaderBlock(image, HeaderBlock::LayerNames) &&
      !blockInside(image, HeaderBlockAt(image, HeaderBlock::LayerNames), kLayerNamesBlockSize))
    return "layer names outside the data";
  DirectorySlots::Iterator slot = DirectorySlots(image).begin();
  for (; slot != std::default_sentinel; ++slot) {
    const std::int32_t off = *slot;
    const int k = slot.cursor().number;
    if (image.bytes[off] == kFreeSlotMark) break;
    const CellEntry e = ReadCellEntry(image, off);
    if (e.dataSize < 0) return "slot " + std::to_string(k) + ": negative data size";
    if (e.firstBlock != 0 && !blockInside(image, e.firstBlock, kBlockSize))
      return "slot " + std::to_string(k) + ": first block outside the data";
    if (e.dataSize > 0 && e.firstBlock == 0)
      return "slot " + std::to_string(k) + ": data without a block";
    if (ReadElements(image, e, [](const RecordView&) { return true; }) != ReadEnd::Complete)
      return "slot " + std::to_string(k) + ": broken element stream";
  }
  if (slot.cursor().broken) return "directory extension outside the data";
  // The image was filled whole: the names are read afresh.
  RebuildNameIndex(image);
  return {};
}

LoadError LoadCadFile(const std::string& path, DesignImage& image, Host* host, bool* continueFlag) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return LoadError::CannotOpen;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return LoadError::CannotOpen;
  }
  const auto size = static_cast<std::size_t>(st.st_size);
  // An encoded file never shrinks the image below a ninth of its size; a larger file is
  // refused before it is read.
  if (size > static_cast<std::size_t>(image.maxSize) * 2) {
    ::close(fd);
    return LoadError::TooLarge;
  }
  image.names = {};
  // A large file is decoded where the system keeps it instead of being copied first.
  constexpr std::size_t kMapFrom = 256 << 10;
  if (size >= kMapFrom) {
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (map != MAP_FAILED) {
      ::close(fd);
      const LoadError e =
          DecodeFile({static_cast<const std::uint8_t*>(map), size}, image, host, continueFlag);
      ::munmap(map, size);
      return e;
    }
  }
  // Read once into a buffer that is not cleared first: every byte is overwritten.
  std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size ? size : 1]);
  std::size_t done = 0;
  while (bytes && done < size) {
    const ssize_t n = ::read(fd, bytes.get() + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (!bytes) return LoadError::TooLarge;
  if (done != size) return LoadError::CannotOpen;
  return DecodeFile({bytes.get(), size}, image, host, continueFlag);
}

}  // namespace lav::db
