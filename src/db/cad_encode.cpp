// The .CAD body's encoder: bytes equal to the one before them become runs, the others literals,
// eight items behind each flag byte (bit set: literal, clear: run). A large image is cut into
// ranges encoded by several threads at once; the bytes are the same as one pass would make.
#include <algorithm>
#include <array>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "db/byte_words.h"
#include "db/cad_file.h"

namespace lav::db {
namespace {

constexpr std::size_t kRunItemBytes = 252;  // one run item: 251 copies and the byte itself
constexpr std::size_t kNoOpenGroup = static_cast<std::size_t>(-1);
constexpr std::size_t kPieceBytes = 20'060;  // what one pass hands the writer at a time
// A range keeps its whole output in its buffer: nothing is handed over while it is made.
const EncodeSink kNoSink = [](std::span<const std::uint8_t>) { return false; };

// Items as they are made, before they are put into groups: each item's bytes (a run's count, then
// the byte) and one bit per item, set for a literal, in item order from the lowest bit on.
struct Items {
  std::uint8_t* bytes;
  std::uint8_t* literal;  // zero from bit `count` on
  std::size_t size = 0, count = 0;
};

// How the items of one word of eight bytes are made, for each mask of the bytes that differ from
// the one before (bit k for byte k) and whether its first item is a run: the byte picks from a
// lane vector holding the word's bytes (0-7), the counts 1-7 (lanes 8-14) and the first item's
// count (lane 15).
struct WordPlan {
  std::array<std::uint8_t, 16> pick{};
  std::uint8_t size = 0, items = 0, literal = 0;
};
constexpr std::uint8_t kFirstCountLane = 15;
constexpr std::uint64_t kCountLanes = 0x0007060504030201ull;  // lanes 8-15; lane 15 set per word

constexpr std::array<WordPlan, 512> makeWordPlans() {
  std::array<WordPlan, 512> plans{};
  for (unsigned index = 0; index < 512; ++index) {
    WordPlan& w = plans[index];
    const unsigned differ = index & 0xFF;
    const bool firstIsRun = index >= 256;
    int before = -1;  // the byte of the word's last item so far
    for (int k = 0; k < 8; ++k) {
      if (!(differ & (1u << k))) continue;
      const int equal = k - before - 1;
      bool run = equal > 0;
      if (before < 0) {
        run = firstIsRun;
        if (run) w.pick[w.size++] = kFirstCountLane;
      } else if (run) {
        w.pick[w.size++] = static_cast<std::uint8_t>(8 + equal - 1);
      }
      if (!run) w.literal |= static_cast<std::uint8_t>(1u << w.items);
      w.pick[w.size++] = static_cast<std::uint8_t>(k);
      ++w.items;
      before = k;
    }
  }
  return plans;
}
constexpr std::array<WordPlan, 512> kWordPlans = makeWordPlans();

constexpr std::array<std::uint8_t, 256> makeReversed() {
  std::array<std::uint8_t, 256> r{};
  for (unsigned v = 0; v < 256; ++v)
    for (int b = 0; b < 8; ++b)
      if (v & (1u << b)) r[v] |= static_cast<std::uint8_t>(0x80u >> b);
  return r;
}
constexpr std::array<std::uint8_t, 256> kReversed = makeReversed();

// The bytes of eight items by their literal bits: two for a run, one for a literal.
constexpr std::array<std::uint8_t, 256> makeGroupBytes() {
  std::array<std::uint8_t, 256> r{};
  for (unsigned v = 0; v < 256; ++v) r[v] = static_cast<std::uint8_t>(16 - std::popcount(v));
  return r;
}
constexpr std::array<std::uint8_t, 256> kGroupBytes = makeGroupBytes();

// The bytes of one word that differ from the one before, one bit per byte.
inline unsigned differingBytes(const std::uint8_t* p) {
  const std::uint64_t x = load64(p) ^ load64(p - 1);
  const std::uint64_t marks = ((((x & ~kHighs) + ~kHighs) | x) & kHighs) >> 7;
  return static_cast<unsigned>((marks * 0x0102040810204080ull) >> 56);
}

// One version of the word loop with the byte shuffle instruction, one without.
#if defined(__x86_64__) && !defined(__clang__)
#define LAV_BYTE_SHUFFLE_CLONES __attribute__((target_clones("ssse3", "default")))
#else
#define LAV_BYTE_SHUFFLE_CLONES
#endif

// Appends the items of bytes [from, to) to out. `equal` counts the bytes equal to the one before
// since the last item, across calls; every 252 of them make a run item of their own. A run's
// count cannot reach 252 within a word, so only the word's first item can take the full items
// before it. Words are made by one byte shuffle each where the processor has it.
LAV_BYTE_SHUFFLE_CLONES void expandItems(const std::uint8_t* p, std::size_t from, std::size_t to,
                                         std::size_t& equal, Items& out) {
  using Lanes = std::uint8_t __attribute__((vector_size(16)));
  using Halves = std::uint64_t __attribute__((vector_size(16)));
  std::uint8_t* bytes = out.bytes + out.size;
  std::uint8_t* bits = out.literal + out.count / 8;
  std::uint64_t pending = out.literal[out.count / 8];  // literal bits from the byte's first on
  unsigned pendingBits = static_cast<unsigned>(out.count % 8);
  std::size_t count = out.count;
  auto putBits = [&](unsigned value, unsigned n) {
    pending |= std::uint64_t(value) << pendingBits;
    pendingBits += n;
    std::memcpy(bits, &pending, 8);
    const unsigned whole = pendingBits / 8;
    bits += whole;
    pending >>= 8 * whole;
    pendingBits %= 8;
    count += n;
  };
  auto fullRun = [&](std::uint8_t b) {
    *bytes++ = kRunItemBytes - 1;
    *bytes++ = b;
    putBits(0, 1);
  };
  std::size_t j = from;
  for (; j + 8 <= to; j += 8) {
    const unsigned differ = differingBytes(p + j);
    const std::size_t lead = differ ? static_cast<std::size_t>(std::countr_zero(differ)) : 8;
    std::size_t first = equal + lead;  // the equal bytes before the word's first item
    for (; first >= kRunItemBytes; first -= kRunItemBytes) fullRun(p[j - 1]);
    const WordPlan& plan = kWordPlans[differ | (first > 0 ? 256u : 0u)];
    Lanes pick;
    std::memcpy(&pick, plan.pick.data(), 16);
    const Halves lanes = {load64(p + j), kCountLanes | (std::uint64_t(first) << 56)};
#if defined(__GNUC__) && !defined(__clang__)
    const Lanes made = __builtin_shuffle(std::bit_cast<Lanes>(lanes), pick);
#else
    const auto from = std::bit_cast<std::array<std::uint8_t, 16> >(lanes);
    Lanes made;
    for (int k = 0; k < 16; ++k) made[k] = from[pick[k] & 15];
#endif
    std::memcpy(bytes, &made, 16);
    bytes += plan.size;
    putBits(plan.literal, plan.items);
    equal = differ ? static_cast<std::size_t>(std::countl_zero(static_cast<std::uint8_t>(differ)))
                   : first;
  }
  for (; j < to; ++j) {
    if (p[j] == p[j - 1]) {
      if (++equal == kRunItemBytes) {
        fullRun(p[j]);
        equal = 0;
      }
      continue;
    }
    if (equal > 0) *bytes++ = static_cast<std::uint8_t>(equal);
    *bytes++ = p[j];
    putBits(equal == 0, 1);
    equal = 0;
  }
  out.size = static_cast<std::size_t>(bytes - out.bytes);
  out.count = count;
}

// The items of a stretch of the body, made a block at a time into buffers that grow as needed
// and are kept from stretch to stretch.
class ItemStream {
 public:
  // Appends the items of bytes [from, to); false when memory runs out.
  bool expand(const std::uint8_t* p, std::size_t from, std::size_t to) {
    for (std::size_t at = from; at < to; at += kBlockBytes) {
      const std::size_t end = std::min(to, at + kBlockBytes);
      if (!reserve(end - at)) return false;
      Items made{bytes_.data(), literal_.data(), size_, count_};
      expandItems(p, at, end, equal_, made);
      size_ = made.size;
      count_ = made.count;
    }
    return true;
  }
  // Forgets the items made so far (they have been placed); a run under way goes on.
  void clear() {
    if (!literal_.empty())
      std::memset(literal_.data(), 0, std::min(literal_.size(), count_ / 8 + 1));
    size_ = count_ = 0;
  }
  const std::uint8_t* bytes() const { return bytes_.data(); }
  const std::uint8_t* literal() const { return literal_.data(); }
  std::size_t size() const { return size_; }
  std::size_t count() const { return count_; }
  // The bytes equal to the one before since the last item: a stretch that ends in a run.
  std::size_t trailingRun() const { return equal_; }

  // Input bytes made into items at a time: the items stay in a near cache until they are placed.
  static constexpr std::size_t kBlockBytes = 8192;

 private:
  // Room for the items of n more bytes: one per byte and a full run per 252, each at most two
  // bytes; a word's shuffle writes sixteen.
  bool reserve(std::size_t n) {
    const std::size_t bytes = size_ + n + n / 4 + 64, bits = (count_ + n) / 8 + 64;
    try {
      if (bytes_.size() < bytes) bytes_.resize(std::max(bytes, 2 * bytes_.size()));
      if (literal_.size() < bits) literal_.resize(std::max(bits, 2 * literal_.size()));
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }
  std::vector<std::uint8_t> bytes_, literal_;
  std::size_t size_ = 0, count_ = 0, equal_ = 0;
};

// Items into groups behind a flag byte, handed to the sink a buffer at a time. The open group
// stays in the buffer until it is complete.
class BodyWriter {
 public:
  // Room a buffer needs beyond its piece: a group and a wide copy's surplus.
  static constexpr std::size_t kSlack = 64;
  // Writes into buf, handing each piece of buf.size() - kSlack bytes to the sink. A range's
  // whole output fits its buffer: it starts with the file's first bytes (prefix) or inside a
  // group whose first `phase` items came before it, its first byte then being that group's flag
  // for the items from here on.
  BodyWriter(const EncodeSink& sink, std::span<std::uint8_t> buf,
             std::span<const std::uint8_t> prefix, int phase = 0)
      : sink_(sink), buf_(buf.data()), piece_(buf.size() - kSlack) {
    if (!prefix.empty()) std::memcpy(buf_, prefix.data(), prefix.size());
    flagAt_ = prefix.size();
    buf_[flagAt_] = 0xFF;
    o_ = flagAt_ + 1;
    items_ = phase;
  }
  bool ok() const { return ok_; }
  // Puts the stream's items into groups: one by one up to a group's start, then eight at a time.
  void place(const ItemStream& items) {
    std::uint8_t* const buf = buf_;
    const std::uint8_t* const bytes = items.bytes();
    const std::uint8_t* const literal = items.literal();
    const std::size_t count = items.count();
    std::size_t o = o_, flagAt = flagAt_, s = 0, k = 0;
    int inGroup = items_;
    auto open = [&] {
      if (o >= piece_) {
        if (ok_) ok_ = hand(o);
        o = 0;
      }
      flagAt = o;
      buf[o++] = 0xFF;
      inGroup = 0;
    };
    auto one = [&] {
      if (!((literal[k / 8] >> (k % 8)) & 1)) {
        buf[flagAt] &= static_cast<std::uint8_t>(~(0x80u >> inGroup));
        buf[o++] = bytes[s++];
      }
      buf[o++] = bytes[s++];
      ++k;
      if (++inGroup == 8) open();
    };
    while (inGroup != 0 && k < count) one();
    for (; k + 8 <= count; k += 8) {
      std::uint16_t two;
      std::memcpy(&two, literal + k / 8, 2);
      const unsigned bits = (two >> (k % 8)) & 0xFFu;
      buf[flagAt] = kReversed[bits];
      std::memcpy(buf + o, bytes + s, 16);  // eight items are at most sixteen bytes
      o += kGroupBytes[bits];
      s += kGroupBytes[bits];
      open();
    }
    while (k < count) one();
    o_ = o;
    flagAt_ = flagAt;
    items_ = inGroup;
  }
  // The body ends in a run of `equal` bytes without a full item: its count alone.
  void endRun(std::size_t equal) {
    if (equal == 0) return;
    buf_[flagAt_] &= static_cast<std::uint8_t>(~(0x80u >> items_));
    buf_[o_++] = static_cast<std::uint8_t>(equal);
  }
  bool finish() {
    if (ok_ && o_ > 0) ok_ = hand(o_);
    return ok_;
  }
  // Ends a range in its buffer: a group no item has entered yet is left to the next range unless
  // this is the body's last. Returns where the open group's flag byte lies, or kNoOpenGroup.
  std::size_t finishRange(bool last) {
    if (last) return kNoOpenGroup;
    if (items_ == 0) o_ = flagAt_;
    return items_ == 0 ? kNoOpenGroup : flagAt_;
  }
  std::size_t size() const { return o_; }

 private:
  bool hand(std::size_t n) { return sink_(std::span<const std::uint8_t>(buf_, n)); }
  const EncodeSink& sink_;
  std::uint8_t* buf_;
  std::size_t piece_;
  std::size_t o_ = 0, flagAt_ = 0;
  int items_ = 0;
  bool ok_ = true;
};

std::array<std::uint8_t, kPrefixSize> filePrefix(const DesignImage& image) {
  std::array<std::uint8_t, kPrefixSize> prefix;
  std::memcpy(prefix.data(), image.bytes.data(), kPrefixSize);
  prefix[kEncodingFlagOffset] = 0;
  return prefix;
}

// Where ranges of about `size` bytes start: each just behind a byte that differs from the one
// before it. The first ones are smaller, so that the writing starts soon.
std::vector<std::size_t> rangeStarts(const std::uint8_t* p, std::size_t n, std::size_t size) {
  constexpr std::size_t kFirstRangeBytes = 256 << 10;
  std::vector<std::size_t> starts{static_cast<std::size_t>(kPrefixSize)};
  for (std::size_t step = std::min(size, kFirstRangeBytes);; step = std::min(size, 2 * step)) {
    std::size_t j = starts.back() + step;
    while (j < n && p[j] == p[j - 1]) ++j;
    if (j + 1 >= n) return starts;
    starts.push_back(j + 1);
  }
}

bool encodeWhole(const DesignImage& image, const EncodeSink& sink) {
  const auto n = static_cast<std::size_t>(image.usedSize);
  std::vector<std::uint8_t> buf(kPieceBytes + BodyWriter::kSlack);
  BodyWriter w(sink, buf, filePrefix(image));
  ItemStream items;
  for (std::size_t at = kPrefixSize; at < n && w.ok(); at += ItemStream::kBlockBytes) {
    items.clear();
    if (!items.expand(image.bytes.data(), at, std::min(n, at + ItemStream::kBlockBytes)))
      return false;
    w.place(items);
  }
  w.endRun(items.trailingRun());
  return w.finish();
}

// The ranges encoded by worker threads, handed to the sink in order by the calling thread.
class RangeEncoder {
 public:
  RangeEncoder(const DesignImage& image, const EncodeSink& sink, std::size_t rangeBytes)
      : image_(image),
        p_(image.bytes.data()),
        n_(static_cast<std::size_t>(image.usedSize)),
        prefix_(filePrefix(image)),
        sink_(sink),
        starts_(rangeStarts(p_, n_, rangeBytes)),
        ranges_(starts_.size()) {}

  bool run(int threads) {
    // Each worker may be two ranges ahead of the writer, so that none waits while it writes.
    ahead_ = 2 * static_cast<std::size_t>(threads) + 2;
    std::vector<std::thread> workers;
    try {
      for (int t = 0; t < threads; ++t) workers.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
      if (workers.empty()) return encodeWhole(image_, sink_);
    }
    const bool ok = handOver();
    {
      std::lock_guard lock(m_);
      stop_ = true;
    }
    changed_.notify_all();
    for (auto& w : workers) w.join();
    return ok;
  }

 private:
  // Uninitialised bytes, reused from range to range: no page is cleared twice.
  static constexpr std::size_t kBufferRounding = 1 << 20;
  struct Buffer {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t capacity = 0;
  };
  struct Range {
    Buffer buffer;
    std::size_t size = 0;
    std::size_t openAt = kNoOpenGroup;
    std::uint64_t items = 0;
    int phase = 0;
    bool counted = false, done = false;
  };

  std::size_t end(std::size_t r) const { return r + 1 < starts_.size() ? starts_[r + 1] : n_; }
  bool last(std::size_t r) const { return r + 1 == starts_.size(); }

  void work() {
    // This worker's items, range after range; a range other than the last ends with no run.
    ItemStream items;
    for (;;) {
      std::size_t r;
      {
        std::unique_lock lock(m_);
        changed_.wait(lock,
                      [&] { return stop_ || next_ < std::min(ranges_.size(), taken_ + ahead_); });
        if (stop_) return;
        r = next_++;
      }
      items.clear();
      const bool made = items.expand(p_, starts_[r], end(r));
      int phase;
      {
        std::unique_lock lock(m_);
        if (!made) {
          failed_ = stop_ = true;
          changed_.notify_all();
          return;
        }
        ranges_[r].items = items.count();
        ranges_[r].counted = true;
        // The group position at each range's start follows from the counts before it.
        for (; phased_ + 1 < ranges_.size() && ranges_[phased_].counted; ++phased_)
          ranges_[phased_ + 1].phase =
              static_cast<int>((ranges_[phased_].phase + ranges_[phased_].items) % 8);
        changed_.notify_all();
        changed_.wait(lock, [&] { return stop_ || phased_ >= r; });
        if (stop_) return;
        phase = ranges_[r].phase;
      }
      // The range's output: its items' bytes, a flag per eight and a run's count alone. Sizes
      // are rounded up so that the next range can take the buffer again.
      const std::size_t need =
          (items.size() + items.count() / 8 + kPrefixSize + 4 * BodyWriter::kSlack) /
              kBufferRounding * kBufferRounding +
          kBufferRounding;
      Buffer buffer = spare(need);
      if (!buffer.bytes) {
        std::lock_guard lock(m_);
        failed_ = stop_ = true;
        changed_.notify_all();
        return;
      }
      const std::span<const std::uint8_t> prefix =
          r == 0 ? std::span<const std::uint8_t>(prefix_) : std::span<const std::uint8_t>();
      BodyWriter w(kNoSink, {buffer.bytes.get(), need}, prefix, phase);
      w.place(items);
      if (last(r)) w.endRun(items.trailingRun());
      const std::size_t openAt = w.finishRange(last(r));
      std::lock_guard lock(m_);
      if (!w.ok()) failed_ = stop_ = true;  // never: the buffer holds the range's largest output
      ranges_[r].buffer = std::move(buffer);
      ranges_[r].size = w.size();
      ranges_[r].openAt = openAt;
      ranges_[r].done = true;
      changed_.notify_all();
    }
  }

  // A buffer of at least `need` bytes, a used one where one is large enough; empty when memory
  // runs out.
  Buffer spare(std::size_t need) {
    {
      std::lock_guard lock(m_);
      for (auto& b : spares_)
        if (b.capacity >= need) {
          Buffer found = std::move(b);
          b = std::move(spares_.back());
          spares_.pop_back();
          return found;
        }
    }
    try {
      return {std::unique_ptr<std::uint8_t[]>(new std::uint8_t[need]), need};
    } catch (const std::bad_alloc&) {
      return {};
    }
  }

  bool give(std::span<const std::uint8_t> bytes) { return bytes.empty() || sink_(bytes); }

  // A range's flag byte for the group the range before it left open joins that group's flag;
  // the bytes from a range's own open group on wait for the next range.
  bool handOver() {
    std::vector<std::uint8_t> open;
    for (std::size_t r = 0; r < ranges_.size(); ++r) {
      Range range;
      {
        std::unique_lock lock(m_);
        changed_.wait(lock, [&] { return failed_ || ranges_[r].done; });
        if (failed_) return false;
        range = std::move(ranges_[r]);
        taken_ = r + 1;
      }
      changed_.notify_all();
      const std::uint8_t* b = range.buffer.bytes.get();
      std::size_t from = 0;
      if (range.phase > 0) {
        if (open.empty() || range.size == 0) return false;  // the counts went wrong: no file
        open[0] &= b[0];
        from = 1;
      }
      const std::size_t hold = range.openAt == kNoOpenGroup ? range.size : range.openAt;
      if (hold < from) {
        open.insert(open.end(), b + from, b + range.size);
      } else {
        if (!give(open) || !give({b + from, hold - from})) return false;
        open.assign(b + hold, b + range.size);
      }
      std::lock_guard lock(m_);
      spares_.push_back(std::move(range.buffer));
    }
    return give(open);
  }

  const DesignImage& image_;
  const std::uint8_t* p_;
  const std::size_t n_;
  const std::array<std::uint8_t, kPrefixSize> prefix_;
  const EncodeSink& sink_;
  const std::vector<std::size_t> starts_;
  std::vector<Range> ranges_;
  std::vector<Buffer> spares_;
  std::mutex m_;
  std::condition_variable changed_;
  std::size_t next_ = 0, taken_ = 0, phased_ = 0, ahead_ = 0;
  bool stop_ = false, failed_ = false;
};

}  // namespace

bool EncodeFileTo(const DesignImage& image, const EncodeSink& sink, std::size_t rangeBytes,
                  int threads) {
  const auto n = static_cast<std::size_t>(image.usedSize);
  if (rangeBytes > 0 && threads > 0 && n > kPrefixSize + rangeBytes)
    return RangeEncoder(image, sink, rangeBytes).run(threads);
  return encodeWhole(image, sink);
}

bool EncodeFileTo(const DesignImage& image, const EncodeSink& sink) {
  constexpr std::size_t kRangeBytes = 1 << 20, kThreadsFrom = 16 << 20;
  const auto n = static_cast<std::size_t>(image.usedSize);
  const int threads = static_cast<int>(std::min(8u, std::thread::hardware_concurrency()));
  if (n < kThreadsFrom || threads < 2) return EncodeFileTo(image, sink, 0, 0);
  return EncodeFileTo(image, sink, kRangeBytes, threads);
}

std::vector<std::uint8_t> EncodeFile(const DesignImage& image) {
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(image.usedSize) / 2 + 64);
  EncodeFileTo(image, [&](std::span<const std::uint8_t> piece) {
    out.insert(out.end(), piece.begin(), piece.end());
    return true;
  });
  return out;
}

}  // namespace lav::db
