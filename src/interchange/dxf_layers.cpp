#include "interchange/dxf_layers.h"

#include <charconv>

#include "db/layer_names.h"
#include "platform/sjis.h"

namespace lav::interchange {

std::string DxfLayerName(const db::DesignImage& image, int layer) {
  const std::string name = db::LayerName(image, layer);
  if (!name.empty()) return std::string(sjis::cutAt(name, db::kLayerNameBytes - 1));
  return std::to_string(layer);
}

std::optional<long> PlainDecimal(std::string_view text) {
  long v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
  if (std::to_string(v) != text) return std::nullopt;  // "05", "+5", "-0" are names
  return v;
}

std::vector<std::optional<int>> DxfLayerMap::addTable(const std::vector<std::string>& names) {
  for (const auto& name : names)
    if (auto n = PlainDecimal(name); n && *n >= 0 && *n <= 63) used_[static_cast<int>(*n)] = true;
  std::vector<std::optional<int>> mapped;
  mapped.reserve(names.size());
  for (const auto& name : names) mapped.push_back(add(name));
  return mapped;
}

std::optional<int> DxfLayerMap::add(std::string_view name) {
  std::optional<int> mapped;
  if (auto n = PlainDecimal(name); n && *n >= 0 && *n <= 63) {
    mapped = static_cast<int>(*n);
  } else {
    // From the counter up; past 63, the numbers below it that are still free.
    for (int k = counter_; k < 64 && !mapped; ++k)
      if (!used_[k]) mapped = k;
    for (int k = 1; k < counter_ && k < 64 && !mapped; ++k)
      if (!used_[k]) mapped = k;
  }
  ++counter_;
  if (!mapped) return std::nullopt;
  used_[*mapped] = true;
  // A name listed twice keeps its first number.
  if (byName_.emplace(std::string(name), *mapped).second)
    entries_.push_back({*mapped, std::string(name)});
  return mapped;
}

int DxfLayerMap::layerOf(std::string_view name) const {
  if (tableRead_) {
    if (auto it = byName_.find(name); it != byName_.end()) return it->second;
  }
  long v = 0;
  std::size_t b = name.find_first_not_of(" \t");
  if (b == std::string_view::npos) return 0;
  auto r = std::from_chars(name.data() + b, name.data() + name.size(), v);
  if (r.ec != std::errc() || v < 0 || v > 63) return 0;
  return static_cast<int>(v);
}

bool DxfLayerMap::known(std::string_view name) const {
  if (tableRead_ && byName_.find(name) != byName_.end()) return true;
  const auto n = PlainDecimal(name);
  return n && *n >= 0 && *n <= 63;
}

std::string LayerListLines(const MappedLayer& m) {
  return std::to_string(m.layer) + "\n" + m.name + "\n";
}

}  // namespace lav::interchange
