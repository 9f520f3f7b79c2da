#include <algorithm>
#include <array>
#include <cstring>

#include "db/byte_words.h"
#include "db/cad_file.h"

namespace lav::db {
namespace {

constexpr std::size_t kStepEvery = 1 << 16;  // input bytes between message steps
constexpr std::size_t kMaxGroupOutput = 8 * 252;
constexpr std::size_t kMaxGroupInput = 17;
// A short run is written as 16 copies, the surplus overwritten by what follows.
constexpr std::size_t kSplat = 16;

// A group seen from its flag byte: its run items, each after a stretch of literal items (whose
// bytes are copied as they stand), the literals after the last run, and the input bytes of all
// eight items with the flag byte.
struct GroupShape {
  std::uint8_t runs = 0;
  std::array<std::uint8_t, 9> literals{};  // before each run, then after the last
  std::array<std::uint8_t, 8> countAt{};   // offset of each run's count from the flag byte
  std::uint8_t size = 1;
};

constexpr std::array<GroupShape, 256> MakeShapes() {
  std::array<GroupShape, 256> shapes{};
  for (int f = 0; f < 256; ++f) {
    GroupShape& s = shapes[f];
    int at = 1, stretch = 0;
    for (int k = 0; k < 8; ++k) {
      if (f & (0x80 >> k)) {
        ++stretch, ++at;
      } else {
        s.literals[s.runs] = static_cast<std::uint8_t>(stretch);
        s.countAt[s.runs++] = static_cast<std::uint8_t>(at);
        stretch = 0;
        at += 2;
      }
    }
    s.literals[s.runs] = static_cast<std::uint8_t>(stretch);
    s.size = static_cast<std::uint8_t>(at);
  }
  return shapes;
}
constexpr std::array<GroupShape, 256> kShapes = MakeShapes();

// The expanded length of a file's encoded body, counted over its first `upTo` bytes; items cut
// short by the end counted as the decoder takes them.
std::int64_t ExpandedLength(std::span<const std::uint8_t> file, std::size_t upTo) {
  const std::uint8_t* in = file.data();
  const std::size_t n = std::min(file.size(), upTo);
  std::int64_t length = kPrefixSize;
  std::size_t i = kPrefixSize;
  while (i < n) {
    const GroupShape& s = kShapes[in[i]];
    if (i + s.size <= n) {
      const std::uint8_t* g = in + i;
      std::int64_t counts = 0;
      for (int k = 0; k < s.runs; ++k) counts += g[s.countAt[k]];
      length += 8 + counts;
      i += s.size;
      continue;
    }
    const std::uint8_t flags = in[i++];
    for (int bit = 0; bit < 8 && i < n; ++bit) {
      if (flags & (0x80u >> bit)) {
        ++length, ++i;
      } else {
        length += in[i++];
        if (i >= n) break;
        ++length, ++i;
      }
    }
  }
  return length;
}

// The expanded length of a file: exact for a small one, from its first megabytes for a large
// one (with a margin; the image grows if it was still too little).
std::int64_t EstimatedLength(std::span<const std::uint8_t> file) {
  constexpr std::size_t kSample = 4 << 20;
  if (file.size() <= 2 * kSample) return ExpandedLength(file, file.size());
  const double ratio =
      double(ExpandedLength(file, kSample) - kPrefixSize) / (kSample - kPrefixSize);
  return kPrefixSize + static_cast<std::int64_t>(double(file.size() - kPrefixSize) * ratio * 1.1);
}

// Makes bytes n zero bytes; false when memory runs out.
bool TakeZeroed(std::vector<std::uint8_t>& bytes, std::size_t n) {
  try {
    std::vector<std::uint8_t>().swap(bytes);
    bytes.resize(n);
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  std::vector<std::uint8_t>().swap(bytes);
  return false;
}

}  // namespace

LoadError DecodeFile(std::span<const std::uint8_t> file, DesignImage& image, Host* host,
                     bool* continueFlag) {
  image.usedSize = 0;
  auto fail = [&](LoadError e) {
    image.bytes.clear();
    image.bytes.shrink_to_fit();
    image.usedSize = 0;
    return e;
  };
  if (file.size() < static_cast<std::size_t>(kPrefixSize)) return fail(LoadError::Damaged);
  const bool plain = file[kEncodingFlagOffset] != 0 || file[0] != '#';
  // The image is taken once at the size the file will have, with room for the short runs'
  // surplus copies; it grows only when that was too small.
  const std::int64_t size =
      plain ? std::int64_t(file.size()) : EstimatedLength(file) + kMaxGroupOutput + 2 * kSplat;
  if (plain && size > image.maxSize) return fail(LoadError::TooLarge);
  if (!TakeZeroed(image.bytes,
                  static_cast<std::size_t>(std::min<std::int64_t>(
                      image.maxSize, std::max<std::int64_t>(kClassicImageSize, size)))))
    return fail(LoadError::TooLarge);
  std::uint8_t* out = image.bytes.data();
  std::size_t cap = image.bytes.size();
  // Makes room for output up to `end`; false past the image's largest size or when memory runs
  // out.
  auto room = [&](std::size_t end) {
    if (end <= cap) return true;
    if (!Reserve(image, static_cast<std::int64_t>(end))) return false;
    out = image.bytes.data();
    cap = image.bytes.size();
    return true;
  };
  std::memcpy(out, file.data(), kPrefixSize);
  out[kEncodingFlagOffset] = kInMemoryEncodingFlag;
  auto step = [&](std::size_t done, std::size_t& nextStep) {
    if (!host || !continueFlag || done < nextStep) return true;
    nextStep = done + kStepEvery;
    host->messageStep(*continueFlag);
    return *continueFlag;
  };
  std::size_t nextStep = kStepEvery;
  std::size_t length = kPrefixSize;
  if (plain) {
    std::memcpy(out + kPrefixSize, file.data() + kPrefixSize, file.size() - kPrefixSize);
    length = file.size();
    if (!step(nextStep, nextStep)) return fail(LoadError::Stopped);
  } else {
    const std::uint8_t* in = file.data();
    std::uint8_t prev = out[kPrefixSize - 1];
    std::size_t i = kPrefixSize;
    const std::size_t n = file.size();
    constexpr std::size_t kGroupRoom = kMaxGroupOutput + kSplat;
    while (i < n) {
      const bool wholeGroup = i + kMaxGroupInput + 8 <= n;
      if (wholeGroup && length + kGroupRoom > cap &&
          length + kGroupRoom <= std::size_t(image.maxSize))
        room(std::min(std::max(length + kGroupRoom, cap + cap / 4), std::size_t(image.maxSize)));
      if (wholeGroup && length + kGroupRoom <= cap) {
        // A whole group with room behind it: literal stretches are copied eight bytes at a time
        // (the surplus overwritten next), runs written sixteen copies at a time.
        const GroupShape& s = kShapes[in[i]];
        const std::uint8_t* src = in + i + 1;
        std::uint8_t* o = out + length;
        for (int k = 0; k < s.runs; ++k) {
          std::memcpy(o, src, 8);
          o += s.literals[k];
          src += s.literals[k];
          const std::size_t c = src[0];
          const std::uint64_t copies = kOnes * o[-1];
          std::memcpy(o, &copies, 8);
          std::memcpy(o + 8, &copies, 8);
          if (c > kSplat) std::memset(o + kSplat, o[-1], c - kSplat);
          o += c;
          *o++ = src[1];
          src += 2;
        }
        std::memcpy(o, src, 8);
        o += s.literals[s.runs];
        i += s.size;
        prev = o[-1];
        length = static_cast<std::size_t>(o - out);
      } else {
        // Item by item, exactly as far as the file and the image go.
        const std::uint8_t flags = in[i++];
        for (int bit = 0; bit < 8 && i < n; ++bit) {
          if (flags & (0x80u >> bit)) {
            if (!room(length + 1)) return fail(LoadError::TooLarge);
            out[length++] = prev = in[i++];
          } else {
            const std::size_t count = in[i++];
            if (!room(length + count)) return fail(LoadError::TooLarge);
            std::memset(out + length, prev, count);
            length += count;
            if (i >= n) break;  // a run cut short by the end still gives its copies
            if (!room(length + 1)) return fail(LoadError::TooLarge);
            out[length++] = prev = in[i++];
          }
        }
      }
      if (!step(i, nextStep)) return fail(LoadError::Stopped);
    }
    // The surplus copies beyond the end are zero again.
    std::memset(out + length, 0, std::min(cap - length, kGroupRoom + kSplat));
  }
  image.usedSize = static_cast<std::int32_t>(length);
  if (!ValidateImage(image).empty()) return fail(LoadError::Damaged);
  return LoadError::None;
}

}  // namespace lav::db
