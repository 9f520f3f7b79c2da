// Layer names between designs and DXF files: the name a design layer gets in a DXF file, and the
// mapping of a DXF file's layer names to design layers 0..63 (kept in LAYERS$$.LIS while reading).
#pragma once

#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lav::db {
struct DesignImage;
}

namespace lav::interchange {

// The layer's name from the design's layer names (at most 19 bytes), or its number in decimal.
std::string DxfLayerName(const db::DesignImage& image, int layer);

// The name of the mapping file, created in the current directory while a file is read.
inline constexpr const char* kLayerListFile = "LAYERS$$.LIS";

// One mapped table entry, in file order, for the log's layer table.
struct MappedLayer {
  int layer = 0;
  std::string name;
};

// Maps DXF layer names to design layers: a plain decimal 0..63 keeps its number, any other name
// takes the lowest free number from a counter that moves on after every entry.
class DxfLayerMap {
 public:
  // Maps the entries of a layer table, in file order. The numbers that numeric names spell are
  // reserved first, so no other name takes them. nullopt for a name that found no free number.
  std::vector<std::optional<int>> addTable(const std::vector<std::string>& names);

  // The layer an entity on the named layer goes to: its mapping, else the name read as a
  // decimal number when it lies in 0..63, else 0.
  int layerOf(std::string_view name) const;

  // True when the name has a mapping or is a plain decimal 0..63.
  bool known(std::string_view name) const;

  bool tableRead() const { return tableRead_; }
  void setTableRead() { tableRead_ = true; }
  const std::vector<MappedLayer>& entries() const { return entries_; }

 private:
  std::optional<int> add(std::string_view name);

  std::map<std::string, int, std::less<>> byName_;
  std::vector<MappedLayer> entries_;
  std::array<bool, 64> used_{};
  int counter_ = 1;
  bool tableRead_ = false;
};

// A decimal number written in its plain form ("%d" of its value gives it back), or nullopt.
std::optional<long> PlainDecimal(std::string_view text);

// The lines of LAYERS$$.LIS for one entry: the number, then the name.
std::string LayerListLines(const MappedLayer& m);

}  // namespace lav::interchange
