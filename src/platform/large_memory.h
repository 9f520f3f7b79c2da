// Memory for buffers of many megabytes, such as a large design's image: taken straight from the
// system, in huge pages where it allows them, so that filling and freeing half a gigabyte costs a
// few hundred page operations instead of more than a hundred thousand.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace lav::platform {

// From this size on a buffer is mapped on its own.
inline constexpr std::size_t kLargeBufferBytes = 16 << 20;

// Zero-filled memory of at least `bytes`; nullptr when the system refuses it.
void* MapLarge(std::size_t bytes);
void UnmapLarge(void* p, std::size_t bytes);

// An allocator that maps large buffers on their own and leaves small ones to the heap.
template <class T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <class U>
  LargeAllocator(const LargeAllocator<U>&) {}
  T* allocate(std::size_t n) {
    if (n * sizeof(T) < kLargeBufferBytes) return std::allocator<T>().allocate(n);
    if (void* p = MapLarge(n * sizeof(T))) return static_cast<T*>(p);
    throw std::bad_alloc();
  }
  void deallocate(T* p, std::size_t n) {
    if (n * sizeof(T) < kLargeBufferBytes)
      std::allocator<T>().deallocate(p, n);
    else
      UnmapLarge(p, n * sizeof(T));
  }
  friend bool operator==(LargeAllocator, LargeAllocator) { return true; }
};

}  // namespace lav::platform
