#include "platform/large_memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace lav::platform {
namespace {

constexpr std::size_t kHugePage = 2 << 20;

std::size_t mappedSize(std::size_t bytes) {
  return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

}  // namespace

void* MapLarge(std::size_t bytes) {
  const std::size_t size = mappedSize(bytes);
  if (size < bytes) return nullptr;
  // A huge page needs an aligned address: map a page more and give back what lies outside.
  void* raw = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) ::munmap(raw, aligned - start);
  if (const std::size_t after = kHugePage - (aligned - start); after > 0)
    ::munmap(reinterpret_cast<void*>(aligned + size), after);
  void* p = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);  // a hint only: without it the pages are small
#endif
  return p;
}

void UnmapLarge(void* p, std::size_t bytes) {
  if (p) ::munmap(p, mappedSize(bytes));
}

}  // namespace lav::platform
