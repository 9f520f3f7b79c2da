#include <algorithm>
#include <cstring>

#include "db/element_stream.h"
#include "platform/byte_io.h"
#include "platform/sjis.h"

namespace lav::db {
namespace {

void putName(std::uint8_t* p, const std::string& name) {
  std::memset(p, 0, kNameBytes);
  const std::string_view cut = sjis::cutAt(name, kNameBytes);
  std::memcpy(p, cut.data(), cut.size());
}

void putVertices(std::uint8_t* p, const std::vector<Vertex>& v) {
  for (std::size_t i = 0; i < v.size(); ++i) {
    le::putI32(p + 8 * i, v[i].x);
    le::putI32(p + 8 * i + 4, v[i].y);
  }
}

}  // namespace

std::int32_t RecordLength(std::span<const std::uint8_t> head) {
  if (head.size() < 2) return -1;
  const int type = le::getI16(head.data()) % kDeletedOffset;
  const int raw = le::getI16(head.data());
  if (raw < 0 || raw > 105 || (raw > 5 && raw < 100)) return -1;
  switch (type) {
    case 0:
      return 68;
    case 1:
      return 52;
    case 2: {
      if (head.size() < 22) return -1;
      const int n = le::getI16(head.data() + 20);
      return n < 0 ? -1 : 30 + n;
    }
    case 3:
    case 4: {
      if (head.size() < 6) return -1;
      const int m = le::getI16(head.data() + 4);
      return m < 0 || m > kMaxVertices ? -1 : 6 + 8 * m;
    }
    default: {
      if (head.size() < 12) return -1;
      const int m = le::getI16(head.data() + 10);
      return m < 0 || m > kMaxVertices ? -1 : 12 + 8 * m;
    }
  }
}

std::vector<std::uint8_t> EncodeArray(const Placement& p) {
  std::vector<std::uint8_t> r(68, 0);
  le::putI16(&r[0], 0);
  le::putI16(&r[2], p.reflection);
  le::putU32(&r[4], p.magnification);
  le::putU32(&r[8], p.angle);
  le::putI32(&r[12], p.columns);
  le::putI32(&r[16], p.rows);
  le::putI32(&r[20], p.pitchX);
  le::putI32(&r[24], p.pitchY);
  putName(&r[28], p.cellName);
  le::putI32(&r[60], p.x);
  le::putI32(&r[64], p.y);
  return r;
}

std::vector<std::uint8_t> EncodeSingle(const Placement& p) {
  std::vector<std::uint8_t> r(52, 0);
  le::putI16(&r[0], 1);
  le::putI16(&r[2], p.reflection);
  le::putU32(&r[4], p.magnification);
  le::putU32(&r[8], p.angle);
  putName(&r[12], p.cellName);
  le::putI32(&r[44], p.x);
  le::putI32(&r[48], p.y);
  return r;
}

std::vector<std::uint8_t> EncodeText(const TextRecord& t) {
  const std::size_t n = sjis::cutAt(t.text, kPayloadSize - 30).size();
  std::vector<std::uint8_t> r(30 + n, 0);
  le::putI16(&r[0], 2);
  le::putI16(&r[2], t.layer);
  le::putI16(&r[4], t.kind);
  le::putI32(&r[6], t.size);
  le::putI16(&r[10], t.reflection);
  le::putU32(&r[12], t.magnification);
  le::putU32(&r[16], t.angle);
  le::putI16(&r[20], static_cast<std::int16_t>(n));
  std::memcpy(&r[22], t.text.data(), n);
  le::putI32(&r[22 + n], t.x);
  le::putI32(&r[26 + n], t.y);
  return r;
}

std::vector<std::uint8_t> EncodeArea(ElementType type, std::int16_t layer,
                                     const std::vector<Vertex>& v) {
  std::vector<std::uint8_t> r(6 + 8 * v.size(), 0);
  le::putI16(&r[0], static_cast<std::int16_t>(type));
  le::putI16(&r[2], layer);
  le::putI16(&r[4], static_cast<std::int16_t>(v.size()));
  putVertices(&r[6], v);
  return r;
}

std::vector<std::uint8_t> EncodeLine(std::int16_t layer, std::int16_t tip, std::int32_t width,
                                     const std::vector<Vertex>& v) {
  std::vector<std::uint8_t> r(12 + 8 * v.size(), 0);
  le::putI16(&r[0], 5);
  le::putI16(&r[2], layer);
  le::putI16(&r[4], tip);
  le::putI32(&r[6], width);
  le::putI16(&r[10], static_cast<std::int16_t>(v.size()));
  putVertices(&r[12], v);
  return r;
}

}  // namespace lav::db
