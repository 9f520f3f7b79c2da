#include "db/design_header.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "platform/byte_io.h"

namespace lav::db {
namespace {

// How a value read from a file is brought into its range.
enum class Rule : std::uint8_t {
  Clamp,         // below lo gives lo, above hi gives hi
  OutsideGives,  // outside lo..hi gives other
  Height,        // 0 gives 1, outside 0..hi gives hi
  Raw,           // taken as it is
};

// One setting saved in the header. Fields of designs below version 400 are absent there.
struct Field {
  std::int32_t offset;
  std::uint8_t width;  // 1, 2 (sign-extended) or 4 bytes
  std::int16_t since;
  Rule rule;
  std::int32_t lo, hi, other;
  std::int32_t Settings::*value = nullptr;
  std::uint8_t Settings::*byte = nullptr;  // for the flag bytes
  bool onlyInRange = false;                // written only when inside lo..hi
};

using S = Settings;
constexpr std::int32_t kMax = INT_MAX;
const std::array<Field, 21> kFields = {{
    {18, 2, 0, Rule::Clamp, 30, 2000, 0, &S::fillLines},
    {20, 4, 0, Rule::Clamp, 1, kMax, 0, &S::gscale},
    {24, 2, 0, Rule::OutsideGives, 1, 1, 0, &S::gridOn},
    {26, 2, 0, Rule::Clamp, 1, kMax, 0, &S::grid},
    {28, 2, 0, Rule::OutsideGives, 0, 11, 11, &S::nest},
    {30, 2, 0, Rule::Clamp, 0, 11, 0, &S::showBase},
    {32, 2, 0, Rule::Clamp, 0, 2, 0, &S::showAcell},
    {34, 2, 0, Rule::OutsideGives, 0, 2, 0, &S::fillPaint},
    {36, 2, 0, Rule::OutsideGives, 1, 1, 0, &S::headerFlag36},
    {38, 2, 400, Rule::Clamp, 0, 1, 0, &S::showScell},
    {40, 1, 400, Rule::OutsideGives, 1, 5, 0, &S::printUnit, nullptr, true},
    {44, 4, 400, Rule::Clamp, 1, 1000000, 0, &S::dbPerUserUnit},
    {48, 2, 400, Rule::Clamp, 0, 5, 0, &S::elementType},
    {50, 1, 400, Rule::Raw, 0, 0, 0, nullptr, &S::headerFlags50},
    {51, 1, 400, Rule::Raw, 0, 0, 0, nullptr, &S::headerFlags51},
    {52, 2, 400, Rule::Clamp, 0, 8, 0, &S::position},
    {54, 2, 400, Rule::Height, 0, 32000, 0, &S::hight},
    {56, 2, 400, Rule::Clamp, 0, 12, 0, &S::showTextBase},
    {58, 2, 400, Rule::Clamp, 0, 1, 0, &S::lineTipType},
    {60, 2, 400, Rule::Clamp, 0, 11, 0, &S::showBaseName},
    {62, 2, 400, Rule::Clamp, 0, 1, 0, &S::acuteTip},
}};

// The four per-layer byte tables; a pen byte is taken modulo the number of pens.
struct LayerTable {
  std::int32_t offset;
  std::array<std::uint8_t, kPenLayerCount> Settings::*table;
  int modulo;
};
constexpr std::array<LayerTable, 4> kLayerTables = {{
    {64, &S::layerFlags, 256},
    {128, &S::layerSelectFlags, 256},
    {192, &S::layerFillFlags, 256},
    {256, &S::layerPen, 70},
}};

constexpr std::int32_t kVersionOffset = 42;
constexpr std::uint8_t kBlockPresent = 0xFF;

std::int32_t readField(const DesignImage& img, const Field& f) {
  const std::uint8_t* p = img.at(f.offset);
  return f.width == 1 ? p[0] : f.width == 2 ? le::getI16(p) : le::getI32(p);
}

std::int32_t inRange(const Field& f, std::int32_t v) {
  switch (f.rule) {
    case Rule::Clamp:
      return std::max(f.lo, std::min(f.hi, v));
    case Rule::OutsideGives:
      return v < f.lo || v > f.hi ? f.other : v;
    case Rule::Height:
      return v == 0 ? 1 : (v < f.lo || v > f.hi) ? f.hi : v;
    case Rule::Raw:
      break;
  }
  return v;
}

void writeField(DesignImage& img, const Field& f, std::int32_t v) {
  std::uint8_t* p = img.at(f.offset);
  if (f.width == 1)
    p[0] = static_cast<std::uint8_t>(v);
  else if (f.width == 2)
    le::putI16(p, static_cast<std::int16_t>(v));
  else
    le::putI32(p, v);
}

std::int32_t flagOffset(HeaderBlock which) {
  return which == HeaderBlock::HatchCounts ? kHatchFlagOffset : kLayerNamesFlagOffset;
}

}  // namespace

std::int16_t HeaderVersion(const DesignImage& image) {
  return le::getI16(image.at(kVersionOffset));
}

bool HasHeaderBlock(const DesignImage& image, HeaderBlock which) {
  return image.bytes[flagOffset(which)] == kBlockPresent;
}

std::int32_t HeaderBlockAt(const DesignImage& image, HeaderBlock which) {
  return le::getI32(image.at(flagOffset(which) + 1));
}

void SetHeaderBlock(DesignImage& image, HeaderBlock which, std::int32_t offset) {
  image.bytes[flagOffset(which)] = kBlockPresent;
  le::putI32(image.at(flagOffset(which) + 1), offset);
}

bool ReadHeader(const DesignImage& img, Settings& s) {
  const std::int16_t version = HeaderVersion(img);
  if (version >= kFirstUnreadableVersion) return false;
  Settings t = s;  // taken together, so a refusal leaves everything as it was
  for (const Field& f : kFields) {
    if (version < f.since) continue;  // older designs keep the current values
    const std::int32_t v = inRange(f, readField(img, f));
    if (f.value)
      t.*f.value = v;
    else
      t.*f.byte = static_cast<std::uint8_t>(v);
  }
  for (const LayerTable& table : kLayerTables)
    for (int l = 0; l < kLayerCount; ++l)
      (t.*table.table)[l] = static_cast<std::uint8_t>(img.bytes[table.offset + l] % table.modulo);
  if (version >= 400 && HasHeaderBlock(img, HeaderBlock::HatchCounts)) {
    const std::int32_t at = HeaderBlockAt(img, HeaderBlock::HatchCounts);
    const Field& fillLines = kFields[0];
    for (int l = 0; l < kLayerCount; ++l) {
      const std::int32_t n = le::getI16(img.at(at + 2 * l));
      t.layerHatchCount[l] = static_cast<std::int16_t>(n == 0 ? 0 : inRange(fillLines, n));
    }
  }
  t.gscaleCopy = t.gscale;
  s = t;
  return true;
}

bool WriteHeader(DesignImage& img, const Settings& s, std::int16_t version) {
  const bool hasHatch = HasHeaderBlock(img, HeaderBlock::HatchCounts);
  if (!hasHatch && !Reserve(img, std::int64_t(img.usedSize) + kHatchBlockSize)) return false;
  for (const Field& f : kFields) {
    const std::int32_t v = f.value ? s.*f.value : s.*f.byte;
    if (!f.onlyInRange || (v >= f.lo && v <= f.hi)) writeField(img, f, v);
  }
  le::putI16(img.at(kVersionOffset), version);
  for (const LayerTable& table : kLayerTables)
    for (int l = 0; l < kLayerCount; ++l) img.bytes[table.offset + l] = (s.*table.table)[l];
  if (!hasHatch) {
    SetHeaderBlock(img, HeaderBlock::HatchCounts, img.usedSize);
    img.usedSize += kHatchBlockSize;
  }
  const std::int32_t at = HeaderBlockAt(img, HeaderBlock::HatchCounts);
  for (int l = 0; l < kLayerCount; ++l) le::putI16(img.at(at + 2 * l), s.layerHatchCount[l]);
  return true;
}

}  // namespace lav::db
