#include "db/design_header.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_io.h"

namespace lav::db {
namespace {

std::int32_t clampTo(std::int32_t v, std::int32_t lo, std::int32_t hi) {
  return std::max(lo, std::min(hi, v));
}

std::int32_t i16(const DesignImage& img, std::int32_t off) {
  return le::getI16(img.at(off));
}

}  // namespace

std::int16_t HeaderVersion(const DesignImage& image) {
  return le::getI16(image.at(kVersionOffset));
}

bool ReadHeader(const DesignImage& img, Settings& s) {
  const std::int16_t version = HeaderVersion(img);
  if (version >= kFirstUnreadableVersion) return false;
  Settings t = s;  // taken together, so a refusal leaves everything as it was
  t.fillLines = clampTo(i16(img, 18), 30, 2000);
  t.gscale = std::max<std::int32_t>(1, le::getI32(img.at(20)));
  t.gridOn = i16(img, 24) == 1 ? 1 : 0;
  t.grid = std::max<std::int32_t>(1, i16(img, 26));
  const std::int32_t nest = i16(img, 28);
  t.nest = nest < 0 || nest > 11 ? 11 : nest;
  t.showBase = clampTo(i16(img, 30), 0, 11);
  t.showAcell = clampTo(i16(img, 32), 0, 2);
  const std::int32_t fill = i16(img, 34);
  t.fillPaint = fill < 0 || fill > 2 ? 0 : fill;
  t.headerFlag36 = i16(img, 36) == 1 ? 1 : 0;
  for (int l = 0; l < kLayerCount; ++l) {
    t.layerFlags[l] = img.bytes[64 + l];
    t.layerSelectFlags[l] = img.bytes[128 + l];
    t.layerFillFlags[l] = img.bytes[192 + l];
    t.layerPen[l] = static_cast<std::uint8_t>(img.bytes[256 + l] % 70);
  }
  if (version >= 400) {
    t.showScell = clampTo(i16(img, 38), 0, 1);
    const int unit = img.bytes[40];
    t.printUnit = unit >= 1 && unit <= 5 ? unit : 0;
    t.dbPerUserUnit = clampTo(le::getI32(img.at(44)), 1, 1000000);
    t.elementType = clampTo(i16(img, 48), 0, 5);
    t.headerFlags50 = img.bytes[50];
    t.headerFlags51 = img.bytes[51];
    t.position = clampTo(i16(img, 52), 0, 8);
    const std::int32_t hight = i16(img, 54);
    t.hight = hight == 0 ? 1 : (hight > 32000 || hight < 0) ? 32000 : hight;
    t.showTextBase = clampTo(i16(img, 56), 0, 12);
    t.lineTipType = clampTo(i16(img, 58), 0, 1);
    t.showBaseName = clampTo(i16(img, 60), 0, 11);
    t.acuteTip = clampTo(i16(img, 62), 0, 1);
    if (img.bytes[kHatchFlagOffset] == 0xFF) {
      const std::int32_t at = le::getI32(img.at(kHatchFlagOffset + 1));
      for (int l = 0; l < kLayerCount; ++l) {
        const std::int32_t n = le::getI16(img.at(at + 2 * l));
        t.layerHatchCount[l] = static_cast<std::int16_t>(n == 0 ? 0 : clampTo(n, 30, 2000));
      }
    }
  }
  t.gscaleCopy = t.gscale;
  s = t;
  return true;
}

bool WriteHeader(DesignImage& img, const Settings& s, std::int16_t version) {
  std::int32_t hatchAt = le::getI32(img.at(kHatchFlagOffset + 1));
  if (img.bytes[kHatchFlagOffset] != 0xFF) {
    if (img.usedSize > kImageSize - kHatchBlockSize) return false;
    hatchAt = img.usedSize;
  }
  auto put16 = [&](std::int32_t off, std::int32_t v) {
    le::putI16(img.at(off), static_cast<std::int16_t>(v));
  };
  put16(18, s.fillLines);
  le::putI32(img.at(20), s.gscale);
  put16(24, s.gridOn);
  put16(26, s.grid);
  put16(28, s.nest);
  put16(30, s.showBase);
  put16(32, s.showAcell);
  put16(34, s.fillPaint);
  put16(36, s.headerFlag36);
  put16(38, s.showScell);
  if (s.printUnit >= 1 && s.printUnit <= 5) img.bytes[40] = static_cast<std::uint8_t>(s.printUnit);
  put16(kVersionOffset, version);
  le::putI32(img.at(44), s.dbPerUserUnit);
  put16(48, s.elementType);
  img.bytes[50] = s.headerFlags50;
  img.bytes[51] = s.headerFlags51;
  put16(52, s.position);
  put16(54, s.hight);
  put16(56, s.showTextBase);
  put16(58, s.lineTipType);
  put16(60, s.showBaseName);
  put16(62, s.acuteTip);
  for (int l = 0; l < kLayerCount; ++l) {
    img.bytes[64 + l] = s.layerFlags[l];
    img.bytes[128 + l] = s.layerSelectFlags[l];
    img.bytes[192 + l] = s.layerFillFlags[l];
    img.bytes[256 + l] = s.layerPen[l];
  }
  if (img.bytes[kHatchFlagOffset] != 0xFF) {
    img.bytes[kHatchFlagOffset] = 0xFF;
    le::putI32(img.at(kHatchFlagOffset + 1), hatchAt);
    img.usedSize += kHatchBlockSize;
  }
  for (int l = 0; l < kLayerCount; ++l) le::putI16(img.at(hatchAt + 2 * l), s.layerHatchCount[l]);
  return true;
}

}  // namespace lav::db
