#include "platform/sjis.h"

#include <iconv.h>

#include <cerrno>

namespace lav::sjis {
namespace {

// The bytes of the UTF-8 character at p: its lead byte and the continuation bytes that follow
// it, at most as many as the lead byte announces.
size_t utf8Unit(const char* p, size_t left) {
  const auto c = static_cast<unsigned char>(p[0]);
  const size_t want = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  size_t n = 1;
  while (n < want && n < left && (static_cast<unsigned char>(p[n]) & 0xC0) == 0x80) ++n;
  return n;
}

// Two bytes for a lead byte (0x81..0x9F, 0xE0..0xFC) followed by a trail byte (0x40..0xFC but
// 0x7F), else one.
size_t cp932Unit(const char* p, size_t left) {
  const auto c = static_cast<unsigned char>(p[0]);
  if (left < 2 || !isLeadByte(c) || c > 0xFC) return 1;
  const auto t = static_cast<unsigned char>(p[1]);
  return t >= 0x40 && t <= 0xFC && t != 0x7F ? 2 : 1;
}

std::string convert(std::string_view in, const char* to, const char* from,
                    std::string_view replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.reserve(in.size() * 2 + 4);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buf[512];
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, static_cast<size_t>(dst - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: replace one input unit and go on. A unit is a whole character only
      // where its bytes are well formed; a broken one is a single byte, so that the characters
      // after it survive.
      out.append(replacement);
      const size_t skip =
          std::string_view(from) == "UTF-8" ? utf8Unit(src, srcLeft) : cp932Unit(src, srcLeft);
      src += skip;
      srcLeft -= skip;
    }
  }
  iconv_close(cd);
  return out;
}

bool isAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string fromUtf8(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  return convert(utf8, "CP932", "UTF-8", "?");
}

std::string toUtf8(std::string_view sjisBytes) {
  if (isAscii(sjisBytes)) return std::string(sjisBytes);
  return convert(sjisBytes, "UTF-8", "CP932", "\xEF\xBF\xBD");
}

std::string_view cutAt(std::string_view s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  std::size_t i = 0;
  while (i < maxBytes) {
    std::size_t w = isLeadByte(static_cast<std::uint8_t>(s[i])) ? 2 : 1;
    if (i + w > maxBytes) break;
    i += w;
  }
  return s.substr(0, i);
}

}  // namespace lav::sjis
