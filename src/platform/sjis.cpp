#include "platform/sjis.h"

#include <iconv.h>

#include <cerrno>

namespace lav::sjis {
namespace {

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
      // EILSEQ or EINVAL: replace one input unit and go on.
      out.append(replacement);
      size_t skip = 1;
      if (std::string_view(from) == "UTF-8") {
        auto c = static_cast<unsigned char>(*src);
        skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      } else if (isLeadByte(static_cast<std::uint8_t>(*src)) && srcLeft >= 2) {
        skip = 2;
      }
      if (skip > srcLeft) skip = srcLeft;
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
