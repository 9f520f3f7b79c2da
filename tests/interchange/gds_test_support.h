// Stream files built record by record for the reader's tests, and records split back out of
// bytes for the writer's tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "interchange/gds_record_stream.h"
#include "interchange/gds_records.h"
#include "support/files.h"

namespace lav::gds::testing {

using lav::testing::ReadFile;
inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& p) {
  const std::string s = ReadFile(p);
  return {s.begin(), s.end()};
}
inline void WriteBytes(const std::filesystem::path& p, const std::vector<std::uint8_t>& b) {
  lav::testing::WriteFile(p, std::string(b.begin(), b.end()));
}

// One record as bytes: type, data type, data.
struct Raw {
  std::uint8_t type = 0, kind = 0;
  std::vector<std::uint8_t> data;
  bool operator==(const Raw&) const = default;
};

// Every record of a stream up to ENDLIB (the zero tail is not a record).
inline std::vector<Raw> SplitRecords(const std::vector<std::uint8_t>& bytes) {
  std::vector<Raw> out;
  RecordReader reader(bytes, 0, 65536);
  Record r;
  while (reader.next(r) == GetResult::Ok) {
    out.push_back({r.type, r.kind, {r.data.begin(), r.data.end()}});
    if (r.type == static_cast<std::uint8_t>(Rec::EndLib)) break;
  }
  return out;
}

inline std::vector<std::uint8_t> Be16(std::initializer_list<int> v) {
  std::vector<std::uint8_t> out;
  for (int x : v) {
    out.push_back(static_cast<std::uint8_t>((x >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(x & 0xFF));
  }
  return out;
}
inline std::vector<std::uint8_t> Be32(std::initializer_list<long long> v) {
  std::vector<std::uint8_t> out;
  for (long long x : v) {
    const auto u = static_cast<std::uint32_t>(x);
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>((u >> s) & 0xFF));
  }
  return out;
}

// Builds a stream file record by record.
class StreamBuilder {
 public:
  StreamBuilder()
      : w_([this](const std::uint8_t* d, std::size_t n) {
          bytes_.insert(bytes_.end(), d, d + n);
          return true;
        }) {}
  RecordWriter& w() { return w_; }
  static constexpr std::uint8_t R(Rec r) { return static_cast<std::uint8_t>(r); }

  // HEADER, BGNLIB, LIBNAME, UNITS (database unit of 1/unit user units, user unit a micron).
  StreamBuilder& library(int unit = 1000) {
    w_.int16s(R(Rec::Header), {600});
    w_.int16s(R(Rec::BgnLib), {126, 12, 6, 1, 2, 3, 126, 12, 6, 1, 2, 3});
    w_.string(R(Rec::LibName), "LIB.DB");
    w_.reals(R(Rec::Units), {1.0 / unit, 1e-6 / unit});
    return *this;
  }
  StreamBuilder& structure(const std::string& name, std::initializer_list<std::int16_t> dates = {
                                                        26, 1, 2, 3, 4, 5, 26, 6, 7, 8, 9, 10}) {
    w_.int16s(R(Rec::BgnStr), dates);
    w_.string(R(Rec::StrName), name);
    return *this;
  }
  StreamBuilder& endStructure() {
    w_.empty(R(Rec::EndStr));
    return *this;
  }
  StreamBuilder& xy(const std::vector<std::int32_t>& v) {
    w_.int32s(R(Rec::Xy), v);
    return *this;
  }
  // An element's first records: its kind, its layer and its data (or text) type 0.
  void begin(Rec kind, int layer, Rec type = Rec::DataType) {
    w_.empty(R(kind));
    w_.int16s(R(Rec::Layer), {static_cast<std::int16_t>(layer)});
    w_.int16s(R(type), {0});
  }
  StreamBuilder& boundary(int layer, const std::vector<std::int32_t>& points) {
    begin(Rec::Boundary, layer);
    xy(points);
    w_.empty(R(Rec::EndEl));
    return *this;
  }
  StreamBuilder& path(int layer, int pathType, int width, const std::vector<std::int32_t>& pts) {
    begin(Rec::Path, layer);
    w_.int16s(R(Rec::PathType), {static_cast<std::int16_t>(pathType)});
    const std::int32_t wd = width;
    w_.int32s(R(Rec::Width), std::span<const std::int32_t>(&wd, 1));
    xy(pts);
    w_.empty(R(Rec::EndEl));
    return *this;
  }
  StreamBuilder& sref(const std::string& name, std::int32_t x, std::int32_t y) {
    w_.empty(R(Rec::Sref));
    w_.string(R(Rec::Sname), name);
    xy({x, y});
    w_.empty(R(Rec::EndEl));
    return *this;
  }
  StreamBuilder& aref(const std::string& name, int cols, int rows,
                      const std::vector<std::int32_t>& pts, std::uint16_t strans = 0,
                      double angle = 0) {
    w_.empty(R(Rec::Aref));
    w_.string(R(Rec::Sname), name);
    w_.bits(R(Rec::Strans), strans);
    if (angle != 0) w_.reals(R(Rec::Angle), {angle});
    w_.int16s(R(Rec::ColRow), {static_cast<std::int16_t>(cols), static_cast<std::int16_t>(rows)});
    w_.int32s(R(Rec::Xy), pts);
    w_.empty(R(Rec::EndEl));
    return *this;
  }
  StreamBuilder& text(int layer, const std::string& s, std::int32_t x, std::int32_t y) {
    begin(Rec::Text, layer, Rec::TextType);
    xy({x, y});
    w_.string(R(Rec::String), s);
    w_.empty(R(Rec::EndEl));
    return *this;
  }
  StreamBuilder& raw(std::uint8_t type, std::uint8_t kind, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> rec = {static_cast<std::uint8_t>((data.size() + 4) >> 8),
                                     static_cast<std::uint8_t>((data.size() + 4) & 0xFF), type,
                                     kind};
    rec.insert(rec.end(), data.begin(), data.end());
    w_.raw(rec);
    return *this;
  }
  StreamBuilder& endLibrary() {
    w_.empty(R(Rec::EndLib));
    return *this;
  }
  std::vector<std::uint8_t> bytes() {
    w_.flush();
    return bytes_;
  }

 private:
  std::vector<std::uint8_t> bytes_;
  RecordWriter w_;
};

}  // namespace lav::gds::testing
