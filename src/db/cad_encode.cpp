// The .CAD body's encoder: bytes equal to the one before them become runs, the others literals,
// eight items behind each flag byte (bit set: literal, clear: run). A large image is cut into
// ranges encoded by several threads at once; the bytes are the same as one pass would make.
#include <algorithm>
#include <array>
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

// Items into groups behind a flag byte, handed to the sink a buffer at a time. The open group
// stays in the buffer until it is complete.
class BodyWriter {
 public:
  // Room a buffer needs beyond its piece: a group and a literal copy's surplus.
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
  // Encodes bytes [from, to) of the n used bytes at p. A range other than the body's last ends
  // just behind a byte that differs from the one before it: there one pass would stand with no
  // run pending, as it does at `from`.
  void encode(const std::uint8_t* p, std::size_t from, std::size_t to, std::size_t n) {
    // The state lives in locals while the loop runs: the stores into the buffer may alias members.
    std::uint8_t* const buf = buf_;
    const std::size_t piece = piece_;
    std::size_t o = o_, flagAt = flagAt_;
    int items = items_;
    bool ok = ok_;
    auto open = [&] {
      if (o >= piece) {
        if (ok) ok = hand(o);
        o = 0;
      }
      flagAt = o;
      buf[o++] = 0xFF;
      items = 0;
    };
    // k literal bytes from src, where at least eight bytes can be read when wide is set.
    auto literals = [&](const std::uint8_t* src, std::size_t k, bool wide) {
      while (k > 0) {
        const std::size_t take = std::min<std::size_t>(k, 8 - items);
        if (wide)
          std::memcpy(buf + o, src, 8);  // one fixed copy; the surplus is overwritten next
        else
          std::memcpy(buf + o, src, take);
        o += take;
        src += take;
        k -= take;
        items += static_cast<int>(take);
        if (items == 8) open();
      }
    };
    auto count = [&](std::uint8_t c) {
      buf[flagAt] &= static_cast<std::uint8_t>(~(0x80u >> items));
      buf[o++] = c;
    };
    auto run = [&](std::uint8_t c, std::uint8_t b) {
      count(c);
      buf[o++] = b;
      if (++items == 8) open();
    };
    std::size_t i = from;
    // Invariant: p[i - 1] is the previous output byte and no run is pending.
    while (i < to && ok) {
      // Bytes that differ from the one before are literals.
      std::size_t k = 0;
      while (i + k + 8 <= to) {
        const int d = firstZeroByte(load64(p + i + k) ^ load64(p + i + k - 1));
        k += static_cast<std::size_t>(d);
        if (d < 8) break;
      }
      if (i + k + 8 > to)
        while (i + k < to && p[i + k] != p[i + k - 1]) ++k;
      literals(p + i, k, i + k + 8 <= n);
      i += k;
      if (i >= to) break;
      // Bytes equal to the previous one: a run item per 252 of them, the rest counted.
      const std::uint8_t prev = p[i - 1];
      const std::uint64_t splat = kOnes * prev;
      std::size_t same = 0;
      if (i + 8 < to) {
        // Mostly a short run with the byte that ends it in the same word.
        const int d = firstNonZeroByte(load64(p + i) ^ splat);
        if (d < 8) {
          i += static_cast<std::size_t>(d);
          run(static_cast<std::uint8_t>(d), p[i]);
          ++i;
          continue;
        }
      }
      while (i + same + 8 <= to) {
        const int d = firstNonZeroByte(load64(p + i + same) ^ splat);
        same += static_cast<std::size_t>(d);
        if (d < 8) break;
      }
      if (i + same + 8 > to)
        while (i + same < to && p[i + same] == prev) ++same;
      for (std::size_t full = same / kRunItemBytes; full > 0; --full) run(kRunItemBytes - 1, prev);
      const auto r = static_cast<std::uint8_t>(same % kRunItemBytes);
      i += same;
      if (i >= to) {
        if (r > 0) count(r);  // the body ends in this run: its count alone
        break;
      }
      if (r > 0) {
        run(r, p[i]);
        ++i;
      }
    }
    o_ = o;
    flagAt_ = flagAt;
    items_ = items;
    ok_ = ok;
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

// The items a range other than the last becomes: every byte that differs from the one before
// ends an item, and a run of equal bytes adds one item per 252 of them.
std::uint64_t countItems(const std::uint8_t* p, std::size_t from, std::size_t to) {
  std::uint64_t differing = 0, runItems = 0;
  std::size_t run = 0, j = from;
  for (; j + 8 <= to; j += 8) {
    const std::uint64_t x = load64(p + j) ^ load64(p + j - 1);
    if (x == 0) {
      run += 8;
      continue;
    }
    differing += static_cast<std::uint64_t>(nonZeroBytes(x));
    runItems += (run + static_cast<std::size_t>(std::countr_zero(x) / 8)) / kRunItemBytes;
    run = static_cast<std::size_t>(std::countl_zero(x) / 8);
  }
  for (; j < to; ++j) {
    if (p[j] == p[j - 1]) {
      ++run;
      continue;
    }
    ++differing;
    runItems += run / kRunItemBytes;
    run = 0;
  }
  return differing + runItems;
}

std::array<std::uint8_t, kPrefixSize> filePrefix(const DesignImage& image) {
  std::array<std::uint8_t, kPrefixSize> prefix;
  std::memcpy(prefix.data(), image.bytes.data(), kPrefixSize);
  prefix[kEncodingFlagOffset] = 0;
  return prefix;
}

// Where ranges of about `size` bytes start: each just behind a byte that differs from the one
// before it.
std::vector<std::size_t> rangeStarts(const std::uint8_t* p, std::size_t n, std::size_t size) {
  std::vector<std::size_t> starts{static_cast<std::size_t>(kPrefixSize)};
  for (;;) {
    std::size_t j = starts.back() + size;
    while (j < n && p[j] == p[j - 1]) ++j;
    if (j + 1 >= n) return starts;
    starts.push_back(j + 1);
  }
}

bool encodeWhole(const DesignImage& image, const EncodeSink& sink) {
  const auto n = static_cast<std::size_t>(image.usedSize);
  std::vector<std::uint8_t> buf(kPieceBytes + BodyWriter::kSlack);
  BodyWriter w(sink, buf, filePrefix(image));
  w.encode(image.bytes.data(), kPrefixSize, n, n);
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
    for (;;) {
      std::size_t r;
      {
        std::unique_lock lock(m_);
        changed_.wait(lock,
                      [&] { return stop_ || next_ < std::min(ranges_.size(), taken_ + ahead_); });
        if (stop_) return;
        r = next_++;
      }
      const std::uint64_t items = last(r) ? 0 : countItems(p_, starts_[r], end(r));
      int phase;
      {
        std::unique_lock lock(m_);
        ranges_[r].items = items;
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
      // The range's output, at most its bytes and one flag per eight of them, fits its buffer.
      const std::size_t size = end(r) - starts_[r];
      const std::size_t need = size + size / 8 + kPrefixSize + 4 * BodyWriter::kSlack;
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
      w.encode(p_, starts_[r], end(r), n_);
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
  constexpr std::size_t kRangeBytes = 4 << 20;
  const auto n = static_cast<std::size_t>(image.usedSize);
  const int threads = static_cast<int>(std::min(8u, std::thread::hardware_concurrency()));
  if (n < 4 * kRangeBytes || threads < 2) return EncodeFileTo(image, sink, 0, 0);
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
