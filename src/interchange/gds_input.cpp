#include "interchange/gds_input.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "console/command_steps.h"
#include "console/command_window.h"
#include "console/tokens.h"
#include "db/cell_directory.h"
#include "db/design_files.h"
#include "db/element_stream.h"
#include "db/messages.h"
#include "db/record_codec.h"
#include "db/refusal.h"
#include "db/rounding.h"
#include "db/temp_layer.h"
#include "interchange/conversion_log.h"
#include "interchange/converter_frame.h"
#include "interchange/exchange_state.h"
#include "interchange/gds_record_stream.h"
#include "interchange/gds_records.h"
#include "interchange/gds_writer.h"
#include "interchange/messages.h"
#include "platform/byte_io.h"
#include "platform/paths.h"
#include "platform/sjis.h"

namespace lav::interchange {
namespace {

namespace fs = std::filesystem;
using gds::Action;
using gds::Record;

constexpr long kRecordsPerMessageStep = 4096;

void printLine(ExchangeState& app, std::string_view sjisText) {
  command::PrintLine(app, sjisText, command::kPrintEndLine);
}

// The stream file, read in large chunks and never held whole: a file of any size costs the
// run no more memory than one chunk.
class StreamFile {
 public:
  StreamFile() = default;
  StreamFile(const StreamFile&) = delete;
  StreamFile& operator=(const StreamFile&) = delete;
  ~StreamFile() {
    if (f_) std::fclose(f_);
  }
  bool open(const std::string& path) {
    f_ = std::fopen(path.c_str(), "rb");
    if (!f_ || std::fseek(f_, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(f_);
    if (size < 0) return false;
    size_ = static_cast<std::size_t>(size);
    std::setvbuf(f_, nullptr, _IONBF, 0);  // the reader's chunks are the buffer
    return true;
  }
  std::size_t size() const { return size_; }
  // The file's bytes from offset at on; the first call of the source seeks there, so that
  // several sources can take turns.
  gds::ByteSource from(std::size_t at) {
    return [f = f_, at, seek = true](std::uint8_t* data, std::size_t size) mutable -> std::size_t {
      if (seek && std::fseek(f, static_cast<long>(at), SEEK_SET) != 0) return 0;
      seek = false;
      return std::fread(data, 1, size, f);
    };
  }

 private:
  std::FILE* f_ = nullptr;
  std::size_t size_ = 0;
};

// A stream layer as a design layer: outside 0..63 it is layer 0.
std::int16_t StreamLayer(std::int16_t v) {
  return v >= 0 && v <= 63 ? v : 0;
}

// Rotates (x, y) by deg degrees; quarter turns exactly.
std::pair<double, double> rotate(double x, double y, double deg) {
  const double q = deg / 90.0;
  if (q == std::floor(q)) {
    switch (static_cast<long>(std::fmod(std::fmod(q, 4.0) + 4.0, 4.0))) {
      case 0:
        return {x, y};
      case 1:
        return {-y, x};
      case 2:
        return {-x, -y};
      default:
        return {y, -x};
    }
  }
  const double a = deg * 0.017453292519943295;
  return {x * std::cos(a) - y * std::sin(a), x * std::sin(a) + y * std::cos(a)};
}

// A record for the log: its number in the file and its name ("12 (SPACING)").
std::string RecordLabel(long number, std::uint8_t type) {
  std::string name(gds::RecordName(type));
  if (name == "?") {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", type);
    name = std::string("unknown type ") + hex;
  }
  return std::to_string(number) + " (" + name + ")";
}

// Why a run ended early.
enum class Stop : std::uint8_t {
  None,
  Format,         // the file breaks the record rules
  Range,          // a value does not fit the design's integers
  ImageFull,      // the design's data area is full
  DirectoryFull,  // no slot for another cell
  Declined,       // the unit question was answered No
  Escape,
  BadUnits,
};

// The element being built between its opening record and its ENDEL.
struct Building {
  db::ElementType type = db::ElementType::Polygon;
  std::int16_t layer = 0;
  std::int32_t width = 0;  // database units
  std::int16_t pathType = 0;
  std::int16_t reflection = 0;
  std::int32_t magnification = 1000000;
  std::uint32_t angle = 0;
  std::int32_t columns = 0, rows = 0;
  std::string name;  // reference name as the file spells it
  std::string text;
  std::vector<std::int32_t> xy;  // file integers, x and y in turn

  void reset() {
    std::string n = std::move(name), t = std::move(text);
    std::vector<std::int32_t> p = std::move(xy);
    *this = Building{};
    n.clear(), t.clear(), p.clear();
    name = std::move(n), text = std::move(t), xy = std::move(p);
  }
};

class StreamReader {
 public:
  StreamReader(ExchangeState& app, StreamFile& file, std::size_t start,
               const std::string& streamPath, const std::string& warnPath, LogFile& log, bool mac)
      : app_(app),
        records_(file.from(start), start, gds::kMaxRecordData),
        streamPath_(streamPath),
        warnPath_(warnPath),
        log_(log),
        mac_(mac),
        dbu_(app.settings.dbPerUserUnit),
        gdsUnit_(app.settings.gdsDbUnit),
        now_(app.host.now()) {
    planNames(file, start);
  }

  Stop run() {
    const Stop s = readRecords();
    syncEntry();
    return s;
  }
  // Warnings about placements of cells the file never defines and about cycles.
  void checkReferences();
  // The box and the log lines for a run that stopped.
  void reportFailure(Stop why);

 private:
  Stop readRecords();
  // LAYER, DATATYPE, XY and ENDEL right after a BOUNDARY, the way most files write a figure,
  // are taken in one step with the effect of reading them one by one; false, with nothing
  // taken, for any other sequence.
  bool quickBoundary();
  Stop handle(const Record& r, const gds::RecordInfo& info);
  Stop units(const Record& r);
  Stop structureName(const Record& r);
  Stop endElement();
  // A closed boundary that the temporary layer's output would store exactly as read is copied
  // straight into the cell's last block; false, with nothing written, when it must take the
  // general road.
  bool storeBoundary();
  bool appendBoundary();  // vertices_ as they are
  // Writes the current cell's working copy back to its slot after appends that left it out.
  void syncEntry();
  // An AREF's lattice in the design's terms: columns along the placement's own x axis, rows
  // along its y axis; steps in file units.
  struct Lattice {
    bool fits = true;
    bool swapped = false;  // the file's columns are the design's rows
    std::int32_t columns = 1, rows = 1;
    double columnStep = 0, rowStep = 0;
  };
  Lattice lattice() const;
  // True when the array of s, written out again, gives the file's own AREF points (as the
  // design's grid holds them): only then are its members where the file puts them.
  bool writesBack(const db::ElementSettings& s, std::int32_t x, std::int32_t y, bool swapped) const;
  Stop explodeArray(db::ElementSettings s);
  // The points in points_ through the temporary layer's output.
  Stop output(const db::ElementSettings& s);
  // A format error at record r; header is false when not even its header could be read.
  Stop format(const Record& r, std::string detail, bool header = true);
  void finishCell();
  void writeLogHeader();
  void warn(std::string_view cell, const std::string& text);
  void planNames(StreamFile& file, std::size_t start);
  std::string cellNameFor(const std::string& raw) const;
  bool toDb(double fileValue, std::int32_t& out) const;

  ExchangeState& app_;
  gds::RecordReader records_;
  std::string streamPath_, warnPath_;
  LogFile& log_;
  bool mac_;
  std::int32_t dbu_;
  std::int32_t gdsUnit_;
  LocalTime now_;  // the import keeps the file's stamps, so one reading of the clock does
  bool headerWritten_ = false;
  bool unnamed_ = false;  // inside a structure without a name
  std::string libName_;
  std::array<std::int16_t, 12> dates_{};
  Building el_;
  std::vector<db::UserPoint> points_;           // the element's points in user units
  db::TempLayer temp_{db::kMaxRecordVertices};  // an element of any length the file can hold
  std::string cell_;                            // the design's name of the structure being read
  bool cellOpen_ = false;
  bool entryStale_ = false;  // the slot lags behind the working copy
  std::vector<db::Vertex> vertices_, normalized_;
  std::vector<std::uint8_t> record_;
  // Failure details.
  std::size_t failPosition_ = 0, failCurrent_ = 0;
  std::string failRecord_;     // its number and name, for the log
  std::uint8_t lastType_ = 0;  // the type of the record being handled
  std::string failDetail_;
  // Structure names of the file, in file order, with the cells they become.
  std::vector<std::pair<std::string, std::string>> plan_;
  std::map<std::string, std::string> cellOfRaw_;
  std::size_t planIndex_ = 0;
  std::map<std::string, std::set<std::string>> references_;  // cell -> cells it places
};

void StreamReader::planNames(StreamFile& file, std::size_t start) {
  // Only the structure names are looked at ahead, so that a name made unique is known to the
  // references that come before its structure.
  std::set<std::string> used;
  // Hops from header to header; the reading proper checks every record.
  gds::RecordReader hop(file.from(start), start, 0xFFFF);
  for (Record r;
       hop.nextOf(static_cast<std::uint8_t>(gds::Rec::StrName), r) == gds::GetResult::Ok;) {
    if (r.kind != static_cast<std::uint8_t>(gds::DataKind::Ascii)) continue;
    const std::string raw = gds::GetString(r);
    if (raw.empty()) continue;  // a structure without a name is skipped, not renamed
    const std::string clean = CleanCellName(raw);
    std::string cell = clean;
    for (int k = 1; used.count(cell); ++k) {
      const std::string suffix = "$" + std::to_string(k);
      cell = std::string(sjis::cutAt(clean, db::kNameBytes - suffix.size())) + suffix;
    }
    used.insert(cell);
    plan_.emplace_back(raw, cell);
    cellOfRaw_.emplace(raw, cell);
  }
}

std::string StreamReader::cellNameFor(const std::string& raw) const {
  if (auto it = cellOfRaw_.find(raw); it != cellOfRaw_.end()) return it->second;
  return CleanCellName(raw);
}

void StreamReader::warn(std::string_view cell, const std::string& text) {
  std::string line = " ";
  line += cell;
  line += ' ';
  while (line.size() < 34) line += '\xA5';
  line += text;
  line += '\n';
  if (std::FILE* f = std::fopen(warnPath_.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

bool StreamReader::toDb(double fileValue, std::int32_t& out) const {
  const auto v = ToCoordinate(fileValue / gdsUnit_ * dbu_);
  if (!v) return false;
  out = *v;
  return true;
}

Stop StreamReader::format(const Record& r, std::string detail, bool header) {
  failPosition_ = r.position + 2;
  failCurrent_ = records_.position();
  failDetail_ = std::move(detail);
  if (header) {
    failRecord_ = RecordLabel(r.number, r.type);
  } else {
    failRecord_ = std::to_string(records_.records() + 1) + " (no record header)";
  }
  return Stop::Format;
}

void StreamReader::writeLogHeader() {
  if (headerWritten_) return;
  headerWritten_ = true;
  const auto& d = dates_;
  log_.print(" LAVINOR STRIN Ver %4.2f  GDSII stream input of Lavinor\n\n", 4.5);
  log_.print(" Stream file : %s%s", streamPath_.c_str(), mac_ ? "\t (Mac File)\n" : "\n");
  log_.print("               %s %ld Data Base Unit  %02hd/%02hd/%02hd %02hd:%02hd:%02hd\n",
             libName_.c_str(), static_cast<long>(gdsUnit_), d[0], d[1], d[2], d[3], d[4], d[5]);
  log_.write("    TO\n");
  log_.print(" Library Name: %s\n\n", app_.design.path.c_str());
  log_.write(kLogDashes);
  log_.write(kLogHeading);
}

Stop StreamReader::readRecords() {
  Record r;
  long nextStep = kRecordsPerMessageStep;
  for (long n = 1;; ++n) {
    if (n >= nextStep) {
      nextStep += kRecordsPerMessageStep;
      syncEntry();  // a redraw may read the slot
      app_.host.messageStep(app_.continueFlag);
      if (!app_.continueFlag) return Stop::Escape;
    }
    switch (records_.next(r)) {
      case gds::GetResult::Ok:
        break;
      case gds::GetResult::End:
        return format(r, "end of file before ENDLIB", false);
      case gds::GetResult::ShortHeader:
        return format(r, "record header cut short", false);
      case gds::GetResult::BadLength:
        return format(r, "record length");
      case gds::GetResult::ShortData:
        return format(r, "record runs past the end of the file");
    }
    lastType_ = r.type;
    const gds::RecordInfo* info = gds::FindRecord(r.type, r.kind);
    if (!info) return format(r, "unknown record or data type");
    // Value sizes are 1, 2, 4 or 8: a mask, not a division, for every record.
    const auto size = static_cast<std::size_t>(gds::ValueSize(info->kind));
    if (info->kind != gds::DataKind::Ascii && size > 0 && (r.data.size() & (size - 1)) != 0)
      return format(r, "data length");
    if (info->minValues > 0 && r.data.size() < size * static_cast<std::size_t>(info->minValues))
      return format(r, "too few values");
    if (info->action == Action::EndLib) {
      finishCell();
      writeLogHeader();
      log_.write(kLogNormalEnd);
      return Stop::None;
    }
    if (const Stop s = handle(r, *info); s != Stop::None) return s;
    if (r.type == static_cast<std::uint8_t>(gds::Rec::Boundary) && quickBoundary()) {
      n += 4;
      lastType_ = static_cast<std::uint8_t>(gds::Rec::EndEl);
      if (const Stop s = endElement(); s != Stop::None) return s;
    }
  }
}

bool StreamReader::quickBoundary() {
  using gds::Rec;
  auto is = [](const std::uint8_t* p, std::uint8_t length, Rec type, gds::DataKind kind) {
    return p[0] == 0 && p[1] == length && p[2] == static_cast<std::uint8_t>(type) &&
           p[3] == static_cast<std::uint8_t>(kind);
  };
  // The headers of LAYER, DATATYPE and XY, then the whole figure up to its ENDEL.
  const std::uint8_t* p = records_.peek(16);
  if (!p || !is(p, 6, Rec::Layer, gds::DataKind::Int16) ||
      !is(p + 6, 6, Rec::DataType, gds::DataKind::Int16) ||
      p[14] != static_cast<std::uint8_t>(Rec::Xy) ||
      p[15] != static_cast<std::uint8_t>(gds::DataKind::Int32))
    return false;
  const std::size_t xyLength = le::getU16BE(p + 12);
  if (xyLength < 4 || (xyLength - 4) % 8 != 0 ||
      (xyLength - 4) / 8 > static_cast<std::size_t>(db::kTempCapacity))
    return false;
  const std::size_t size = 12 + xyLength + 4;
  p = records_.peek(size);
  if (!p || !is(p + 12 + xyLength, 4, Rec::EndEl, gds::DataKind::None)) return false;
  const std::int16_t layer = le::getI16BE(p + 4);
  el_.layer = StreamLayer(layer);
  el_.xy.resize((xyLength - 4) / 4);
  for (std::size_t i = 0; i < el_.xy.size(); ++i) el_.xy[i] = le::getI32BE(p + 16 + 4 * i);
  records_.skip(size, 4);
  return true;
}

Stop StreamReader::handle(const Record& r, const gds::RecordInfo& info) {
  auto date = [&](std::size_t i) {
    const std::int16_t v = gds::GetInt16(r, i);
    return static_cast<std::int16_t>(v >= 0 && v <= 99 ? v : 0);
  };
  switch (info.action) {
    case Action::Ignore:
    case Action::EndLib:
      return Stop::None;
    case Action::BgnLib:
      for (std::size_t i = 0; i < 6; ++i) dates_[i] = date(i);
      return Stop::None;
    case Action::LibName:
      libName_ = gds::GetString(r);
      return Stop::None;
    case Action::Units:
      return units(r);
    case Action::BgnStr:
      finishCell();
      writeLogHeader();
      for (std::size_t i = 0; i < 12; ++i) dates_[i] = date(i);
      return Stop::None;
    case Action::StrName:
      return structureName(r);
    case Action::EndStr:
      finishCell();
      unnamed_ = false;
      return Stop::None;
    case Action::BeginElement: {
      static constexpr db::ElementType kTypes[5] = {db::ElementType::Polygon, db::ElementType::Line,
                                                    db::ElementType::SCell, db::ElementType::ACell,
                                                    db::ElementType::Text};
      // Every field starts from the format's default, so nothing leaks from the element before;
      // the buffers keep their memory for the next element.
      el_.reset();
      el_.type = kTypes[r.type - static_cast<std::uint8_t>(gds::Rec::Boundary)];
      return Stop::None;
    }
    case Action::NoType:
      el_.xy.clear();
      return Stop::None;
    case Action::Layer: {
      const std::int16_t v = gds::GetInt16(r, 0);
      el_.layer = StreamLayer(v);
      return Stop::None;
    }
    case Action::Width: {
      const double w = std::fabs(static_cast<double>(gds::GetInt32(r, 0)));
      if (!toDb(w, el_.width)) return Stop::Range;
      return Stop::None;
    }
    case Action::Xy: {
      const std::size_t count = r.data.size() / 8;
      el_.xy.resize(2 * count);
      for (std::size_t i = 0; i < 2 * count; ++i) el_.xy[i] = gds::GetInt32(r, i);
      return Stop::None;
    }
    case Action::EndEl:
      return endElement();
    case Action::Sname:
      el_.name = gds::GetString(r);
      return Stop::None;
    case Action::ColRow:
      el_.columns = gds::GetUInt16(r, 0);
      el_.rows = gds::GetUInt16(r, 1);
      return Stop::None;
    case Action::Spacing:
      printLine(app_, msg::kErrorSpacing);
      return format(r, "SPACING");
    case Action::StypTable:
      printLine(app_, msg::kErrorStypTable);
      return format(r, "STYPTABLE");
    case Action::String:
      el_.text = std::string(sjis::cutAt(gds::GetString(r), db::kTextBytes));
      return Stop::None;
    case Action::Strans:
      el_.reflection = static_cast<std::int16_t>(r.data[0] >> 7);
      return Stop::None;
    case Action::Mag: {
      const auto m = ToCoordinate(std::fabs(gds::GetReal(r, 0)) * 1e6);
      if (!m) return Stop::Range;
      el_.magnification = *m;
      return Stop::None;
    }
    case Action::Angle: {
      const double v = gds::GetReal(r, 0) * 1e6;
      if (!std::isfinite(v)) return Stop::Range;
      // Stored angles lie in [0, 360) degrees.
      double a = std::fmod(v, double(db::kFullTurn));
      if (a < 0) a += db::kFullTurn;
      std::int32_t stored = RoundToInt(a);
      if (stored >= db::kFullTurn) stored -= db::kFullTurn;
      el_.angle = static_cast<std::uint32_t>(stored);
      return Stop::None;
    }
    case Action::PathType: {
      const int v = gds::GetInt16(r, 0) & 0xFF;
      if (v > 2) {
        printLine(app_, msg::kErrorPathType);
        el_.pathType = 0;
      } else {
        el_.pathType = static_cast<std::int16_t>(v);
      }
      return Stop::None;
    }
  }
  return Stop::None;
}

Stop StreamReader::units(const Record& r) {
  const std::int32_t unit = StreamDatabaseUnit(gds::GetReal(r, 0), gds::GetReal(r, 1));
  if (unit <= 0) {
    failDetail_ = "UNITS";
    return Stop::BadUnits;
  }
  gdsUnit_ = unit;
  app_.settings.gdsDbUnit = unit;
  if (!ConfirmUnits(app_, dbu_, unit)) return Stop::Declined;
  writeLogHeader();
  return Stop::None;
}

Stop StreamReader::structureName(const Record& r) {
  finishCell();
  writeLogHeader();
  const std::string raw = gds::GetString(r);
  unnamed_ = raw.empty();
  if (unnamed_) {
    // No cell can be made for it: its elements go, with one line that says why.
    warn("-", "***WARNING*** STRUCTURE WITHOUT A NAME SKIPPED");
    return Stop::None;
  }
  std::string cell;
  if (planIndex_ < plan_.size() && plan_[planIndex_].first == raw)
    cell = plan_[planIndex_++].second;
  else
    cell = cellNameFor(raw);
  auto& d = app_.design;
  if (db::FindCell(d.image, cell).result == db::FindResult::Found) {
    // Only a file that differs from its own look-ahead gets here: never mix two structures.
    for (int k = 1; db::FindCell(d.image, cell).result == db::FindResult::Found; ++k) {
      const std::string suffix = "#" + std::to_string(k);
      cell = std::string(sjis::cutAt(CleanCellName(raw), db::kNameBytes - suffix.size())) + suffix;
    }
  }
  if (cell != raw) {
    if (cell != CleanCellName(raw))
      warn(cell, "***WARNING*** RENAMED FROM " + CleanCellName(raw) + " (name used twice)");
  }
  const std::int32_t slot = db::FindSlotForNewCell(d.image, d.version);
  if (slot == 0) {
    failDetail_ = cell;
    return Stop::DirectoryFull;
  }
  db::CellEntry e;
  if (d.image.bytes[slot] == db::kDeletedCellMark)
    e.firstBlock = db::ReadCellEntry(d.image, slot).firstBlock;
  e.setName(cell);
  e.xmin = e.ymin = 2147483647;
  e.xmax = e.ymax = -2147483647 - 1;
  for (int i = 0; i < 6; ++i) {
    e.created[i] = dates_[i];
    e.modified[i] = dates_[6 + i];
  }
  db::WriteCellEntry(d.image, slot, e);
  db::MakeCurrent(d, slot);
  cell_ = cell;
  cellOpen_ = true;
  gds::DateTime c{}, m{};
  for (int i = 0; i < 6; ++i) c[i] = dates_[i], m[i] = dates_[6 + i];
  log_.write(CellLogLine(cell, c, m));
  return Stop::None;
}

void StreamReader::syncEntry() {
  if (!entryStale_) return;
  entryStale_ = false;
  auto& d = app_.design;
  db::WriteCellEntry(d.image, d.current.slotOffset, d.current.entry);
}

void StreamReader::finishCell() {
  syncEntry();
  if (!cellOpen_) return;
  cellOpen_ = false;
  auto& e = app_.design.current.entry;
  if (e.dataSize == 0) db::SetExtent(app_.design, db::kDefaultExtent);
}

StreamReader::Lattice StreamReader::lattice() const {
  const auto& xy = el_.xy;
  const double deg = el_.angle / 1e6;
  // One column's and one row's step in the placement's own axes, before its reflection and
  // rotation; file units.
  auto step = [&](std::size_t at, std::int32_t count) {
    if (count == 0 || xy.size() < at + 2) return std::pair<double, double>{0, 0};
    auto [u, v] =
        rotate(static_cast<double>(xy[at]) - xy[0], static_cast<double>(xy[at + 1]) - xy[1], -deg);
    if (el_.reflection) v = -v;
    return std::pair<double, double>{u / count, v / count};
  };
  const auto [cu, cv] = step(2, el_.columns);
  const auto [ru, rv] = step(4, el_.rows);
  // A writer rounds each step to its integers, so a step may stray from its axis by that much.
  constexpr double kAxisSlack = 0.75;
  auto onAxis = [&](double off, std::int32_t count) {
    return count <= 1 || std::fabs(off) <= kAxisSlack;
  };
  Lattice l;
  l.columns = std::max(el_.columns, std::int32_t{1});
  l.rows = std::max(el_.rows, std::int32_t{1});
  if (onAxis(cv, el_.columns) && onAxis(ru, el_.rows)) {
    l.columnStep = cu, l.rowStep = rv;
  } else if (onAxis(cu, el_.columns) && onAxis(rv, el_.rows)) {
    // Columns that run along the placement's y axis and rows along its x axis (KLayout writes
    // turned arrays so): the same members with columns and rows exchanged.
    std::swap(l.columns, l.rows);
    l.columnStep = ru, l.rowStep = cv;
    l.swapped = true;
  } else {
    l.fits = false;
  }
  return l;
}

bool StreamReader::writesBack(const db::ElementSettings& s, std::int32_t x, std::int32_t y,
                              bool swapped) const {
  // The same sums as the stream output makes of the array.
  const double mag = s.magnification != 0 ? s.magnification / 1e6 : 1.0;
  auto user = [&](double v) { return v / dbu_; };
  const auto written =
      gds::ArrayPoints({user(x), user(y)}, s.columns, s.rows, user(s.pitchX) / mag * mag,
                       user(s.pitchY) / mag * mag, s.angle / 1e6, s.reflection != 0);
  const double u = 1.0 / gdsUnit_;
  for (std::size_t k = 1; k <= 2; ++k) {
    // The file's point for the columns is the second; with columns and rows exchanged, the third.
    const std::size_t at = (k == 1) != swapped ? 2 : 4;
    const std::int32_t count = at == 2 ? el_.columns : el_.rows;
    if (count <= 1 || el_.xy.size() < at + 2) continue;
    std::int32_t fx = 0, fy = 0;
    if (!toDb(el_.xy[at], fx) || !toDb(el_.xy[at + 1], fy)) return false;
    if (gds::FileInteger(written[k].x, u) != gds::FileInteger(user(fx), u) ||
        gds::FileInteger(written[k].y, u) != gds::FileInteger(user(fy), u))
      return false;
  }
  return true;
}

Stop StreamReader::explodeArray(db::ElementSettings s) {
  // A lattice that no array of the design reproduces (slanted, or off the grid): every member
  // becomes a single placement at its exact place.
  const auto& xy = el_.xy;
  const std::int32_t columns = std::max(el_.columns, std::int32_t{1});
  const std::int32_t rows = std::max(el_.rows, std::int32_t{1});
  auto along = [&](std::size_t at, std::int32_t count, std::size_t axis) {
    if (el_.xy.size() < at + 2 || count == 0) return 0.0;
    return (static_cast<double>(xy[at + axis]) - xy[axis]) / count;
  };
  const double cx = along(2, el_.columns, 0), cy = along(2, el_.columns, 1);
  const double rx = along(4, el_.rows, 0), ry = along(4, el_.rows, 1);
  s.elementType = db::TypeCode(db::ElementType::SCell);
  const long members = static_cast<long>(columns) * rows;
  warn(cell_,
       " ***WARNING*** AREF " + s.cellName + " SPLIT INTO " + std::to_string(members) + " SREF");
  points_.clear();
  for (std::int32_t j = 0; j < rows; ++j) {
    for (std::int32_t i = 0; i < columns; ++i) {
      const double x = xy[0] + cx * i + rx * j, y = xy[1] + cy * i + ry * j;
      std::int32_t check = 0;
      if (!toDb(x, check) || !toDb(y, check)) return Stop::Range;
      points_.push_back({x / gdsUnit_, y / gdsUnit_});
      if (points_.size() == static_cast<std::size_t>(db::kTempCapacity)) {
        if (const Stop st = output(s); st != Stop::None) return st;
        app_.host.messageStep(app_.continueFlag);
        if (!app_.continueFlag) return Stop::Escape;
      }
    }
  }
  return points_.empty() ? Stop::None : output(s);
}

Stop StreamReader::output(const db::ElementSettings& s) {
  syncEntry();
  auto& temp = temp_;
  temp.clear();
  temp.pick = {};
  temp.assign(std::span<const db::UserPoint>(points_.data(), points_.size()));
  points_.clear();
  db::OutputOptions options;
  options.keepStamp = true;
  const db::OutputResult out = db::OutputTempLayer(app_.design, temp, s, now_, options);
  temp.clear();
  switch (out.status) {
    case db::OutputStatus::Written:
      return Stop::None;
    case db::OutputStatus::OutOfImage:
      return Stop::ImageFull;
    case db::OutputStatus::Stopped:
      return Stop::Escape;
    case db::OutputStatus::Nothing:
    case db::OutputStatus::TooManyPoints:
    case db::OutputStatus::NoDestination: {
      static constexpr const char* kKinds[6] = {"AREF",     "SREF",     "TEXT",
                                                "BOUNDARY", "BOUNDARY", "PATH"};
      warn(cell_, std::string("***WARNING*** DEGENERATE ") + kKinds[static_cast<int>(el_.type)] +
                      " SKIPPED");
      return Stop::None;
    }
  }
  return Stop::None;
}

Stop StreamReader::endElement() {
  const std::size_t count = el_.xy.size() / 2;
  if (!cellOpen_) {
    if (!unnamed_) warn("-", "***WARNING*** ELEMENT OUTSIDE A STRUCTURE SKIPPED");
    return Stop::None;
  }
  if (count == 0) {
    warn(cell_, "***WARNING*** ELEMENT WITHOUT XY SKIPPED");
    return Stop::None;
  }
  if (el_.type == db::ElementType::Polygon && storeBoundary()) return Stop::None;
  db::ElementSettings s;
  s.dbPerUserUnit = dbu_;
  s.elementType = static_cast<std::int16_t>(el_.type);
  s.layer = el_.layer;
  s.reflection = el_.reflection;
  s.magnification = static_cast<std::uint32_t>(el_.magnification);
  s.angle = el_.angle;
  std::size_t use = count;
  switch (el_.type) {
    case db::ElementType::ACell: {
      if (el_.columns == 0 || el_.rows == 0) {
        printLine(app_, msg::kErrorArray);
        log_.print(" %s\n", msg::kErrorArray);
      }
      s.cellName = cellNameFor(el_.name);
      references_[cell_].insert(s.cellName);
      const Lattice l = lattice();
      if (!l.fits) return explodeArray(s);
      s.columns = l.columns;
      s.rows = l.rows;
      if (!toDb(l.columnStep, s.pitchX) || !toDb(l.rowStep, s.pitchY)) return Stop::Range;
      std::int32_t x = 0, y = 0;
      if (!toDb(el_.xy[0], x) || !toDb(el_.xy[1], y)) return Stop::Range;
      if (!writesBack(s, x, y, l.swapped)) return explodeArray(s);
      use = 1;
      break;
    }
    case db::ElementType::SCell:
      s.cellName = cellNameFor(el_.name);
      references_[cell_].insert(s.cellName);
      use = 1;
      break;
    case db::ElementType::Text:
      s.text = el_.text;
      s.textSize = el_.width;
      break;
    case db::ElementType::Line:
      s.width = el_.width;
      s.lineTipType = 0;
      if (el_.pathType == 2) {
        s.lineTipType = 1;
      } else if (el_.pathType == 1 && el_.width != 0) {
        // Round ends are kept as extended square ends.
        s.lineTipType = 1;
        char buf[120];
        std::snprintf(buf, sizeof buf, " ***WARNING*** LTYPE=1 X:%.3lf Y:%.3lf",
                      static_cast<double>(el_.xy[0]) / gdsUnit_,
                      static_cast<double>(el_.xy[1]) / gdsUnit_);
        std::string line = " " + cell_ + " ";
        while (line.size() < 34) line += '\xA5';
        line += buf;
        line += '\n';
        if (std::FILE* f = std::fopen(warnPath_.c_str(), "ab")) {
          std::fwrite(line.data(), 1, line.size(), f);
          std::fclose(f);
        }
      }
      break;
    case db::ElementType::Rect:
    case db::ElementType::Polygon:
      break;
  }
  auto& pts = points_;
  pts.resize(use);
  for (std::size_t i = 0; i < use; ++i) {
    std::int32_t check = 0;
    if (!toDb(el_.xy[2 * i], check) || !toDb(el_.xy[2 * i + 1], check)) return Stop::Range;
    pts[i] = {static_cast<double>(el_.xy[2 * i]) / gdsUnit_,
              static_cast<double>(el_.xy[2 * i + 1]) / gdsUnit_};
  }
  return output(s);
}

bool StreamReader::storeBoundary() {
  const auto& xy = el_.xy;
  const std::size_t count = xy.size() / 2;
  if (count < 4 || count > static_cast<std::size_t>(db::kTempCapacity) ||
      xy[0] != xy[2 * count - 2] || xy[1] != xy[2 * count - 1])
    return false;
  auto& v = vertices_;
  v.resize(count);
  if (gdsUnit_ == dbu_) {
    // x / unit * unit rounds back to x exactly.
    for (std::size_t i = 0; i < count; ++i) v[i] = {xy[2 * i], xy[2 * i + 1]};
  } else {
    for (std::size_t i = 0; i < count; ++i) {
      const auto x = ToCoordinate(static_cast<double>(xy[2 * i]) / gdsUnit_ * dbu_);
      const auto y = ToCoordinate(static_cast<double>(xy[2 * i + 1]) / gdsUnit_ * dbu_);
      if (!x || !y) return false;
      v[i] = {*x, *y};
    }
  }
  // Only a figure that the output's clean-up leaves as it is: no repeated or straight-through
  // vertices. Edges that turn between horizontal and vertical all the way round (a box, most
  // of a chip) are such a figure.
  bool turns = (count - 1) % 2 == 0;
  for (std::size_t i = 0; turns && i + 1 < count; ++i) {
    const bool flat = v[i].y == v[i + 1].y, upright = v[i].x == v[i + 1].x;
    turns = flat != upright && flat == (i % 2 == (v[0].y == v[1].y ? 0 : 1));
  }
  if (turns) return appendBoundary();
  normalized_ = v;
  db::NormalizePoints(normalized_, db::ElementType::Polygon);
  if (normalized_.size() != count) return false;
  for (std::size_t i = 0; i < count; ++i)
    if (normalized_[i].x != v[i].x || normalized_[i].y != v[i].y) return false;
  return appendBoundary();
}

bool StreamReader::appendBoundary() {
  const auto& v = vertices_;
  auto& d = app_.design;
  db::EncodeArea(db::ElementType::Polygon, el_.layer, v, record_);
  if (!db::AppendInLastBlock(d, record_)) return false;
  auto& e = d.current.entry;
  for (const auto& p : v) {
    e.xmin = std::min(e.xmin, p.x);
    e.ymin = std::min(e.ymin, p.y);
    e.xmax = std::max(e.xmax, p.x);
    e.ymax = std::max(e.ymax, p.y);
  }
  entryStale_ = true;
  return true;
}

void StreamReader::checkReferences() {
  auto& image = app_.design.image;
  std::set<std::string> missing;
  for (const auto& [cell, refs] : references_)
    for (const auto& ref : refs)
      if (db::FindCell(image, ref).result != db::FindResult::Found && missing.insert(ref).second) {
        warn(cell, "***WARNING*** UNDEFINED CELL " + ref);
        printLine(app_, "***WARNING*** UNDEFINED CELL " + ref);
      }
  // Cells that reach themselves through their placements.
  enum class Mark : std::uint8_t { New, Open, Done };
  std::map<std::string, Mark> marks;
  std::set<std::string> reported;
  for (const auto& [root, unused] : references_) {
    (void)unused;
    if (marks[root] != Mark::New) continue;
    std::vector<std::pair<std::string, std::set<std::string>::const_iterator>> stack;
    marks[root] = Mark::Open;
    stack.emplace_back(root, references_[root].cbegin());
    while (!stack.empty()) {
      auto& [cell, it] = stack.back();
      const auto& refs = references_[cell];
      if (it == refs.cend()) {
        marks[cell] = Mark::Done;
        stack.pop_back();
        continue;
      }
      const std::string next = *it++;
      const Mark m = marks[next];
      if (m == Mark::Open) {
        if (reported.insert(next).second) {
          warn(next, "***WARNING*** RECURSIVE PLACEMENT OF " + next);
          printLine(app_, "***WARNING*** RECURSIVE PLACEMENT OF " + next);
        }
      } else if (m == Mark::New) {
        marks[next] = Mark::Open;
        stack.emplace_back(next, references_[next].cbegin());
      }
    }
  }
}

void StreamReader::reportFailure(Stop why) {
  char text[400];
  switch (why) {
    case Stop::Format:
      std::snprintf(text, sizeof text, sjis::fromUtf8(msg::kStreamError).c_str(),
                    static_cast<long>(failPosition_), static_cast<long>(failCurrent_));
      command::ShowError(app_, text, msg::kCaptionError);
      log_.print(" ***ERROR*** %s: record %s at byte %ld, cell %s\n", failDetail_.c_str(),
                 failRecord_.c_str(), static_cast<long>(failPosition_), cell_.c_str());
      break;
    case Stop::Range:
      command::ShowError(app_, db::FormatMessage(msg::kInRange, cell_), msg::kCaptionError);
      log_.print(" ***ERROR*** value out of range, record %s, cell %s\n",
                 RecordLabel(records_.records(), lastType_).c_str(), cell_.c_str());
      break;
    case Stop::ImageFull:
      command::ShowError(app_, db::FormatMessage(msg::kImageFull, cell_), msg::kCaptionError);
      log_.print(" ***ERROR*** design full, record %s, cell %s\n",
                 RecordLabel(records_.records(), lastType_).c_str(), cell_.c_str());
      break;
    case Stop::DirectoryFull:
      command::ShowError(app_, db::FormatMessage(msg::kCannotCreateCell, failDetail_),
                         msg::kCaptionError);
      log_.print(" ***ERROR*** too many cells, record %s, cell %s\n",
                 RecordLabel(records_.records(), lastType_).c_str(), failDetail_.c_str());
      break;
    case Stop::BadUnits:
      command::ShowError(app_, sjis::fromUtf8(msg::kBadUnits), msg::kCaptionError);
      log_.print(" ***ERROR*** UNITS, record %s\n",
                 RecordLabel(records_.records(), lastType_).c_str());
      break;
    case Stop::Escape:
      log_.print(" ***ERROR*** stopped by Escape, record %s, cell %s\n",
                 RecordLabel(records_.records(), lastType_).c_str(), cell_.c_str());
      break;
    case Stop::None:
    case Stop::Declined:
      return;
  }
  log_.write(kLogErrorEnd);
}

}  // namespace

std::string CleanCellName(std::string_view raw) {
  std::string s(sjis::cutAt(raw, db::kNameBytes));
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(s[i]);
    if ((b >= 0x80 && b <= 0x9F) || b >= 0xE0) {
      ++i;  // a two-byte character stays as it is
      continue;
    }
    if (b <= 32 || b == '&' || b == 0xA0) s[i] = '_';
  }
  return s;
}

std::int32_t StreamDatabaseUnit(double uu, double metres) {
  // The file's database unit in metres fixes the scale against our micron user unit.
  if (std::isfinite(metres) && metres > 0) {
    const double perMicron = 1e-6 / metres;
    if (perMicron >= 0.5 && perMicron <= 1e9) return RoundToInt(perMicron);
  }
  if (!(uu > 0) || !std::isfinite(uu)) return 0;
  for (int i = 1; i <= 9; ++i) {
    const double p = std::pow(10.0, i);
    if (p * uu >= 1000.0) {
      const std::int32_t unit = RoundToInt(p / RoundHalfUp(p * uu));
      return unit > 0 ? unit : 0;
    }
  }
  return 0;
}

StreamInResult ReadStreamFile(ExchangeState& app, std::string_view arguments) {
  const auto chosen = ChooseInputFile(
      app, arguments, {msg::kOpenStreamTitle, msg::kStreamFilter, ".str", msg::kStreamNotFound});
  if (!chosen) return StreamInResult::Refused;
  const int column = chosen->column;
  const std::string path = chosen->path;
  StreamFile file;
  if (!file.open(path)) {
    command::ShowError(app, db::FormatMessage(db::msg::kCannotOpen, path), msg::kCaptionError);
    return StreamInResult::Refused;
  }
  db::Refusal refusal;
  if (!db::NewDesign(app, path, refusal)) {
    command::ShowRefusal(app, refusal);
    return StreamInResult::Refused;
  }
  // Most of a stream file becomes design data (a box of 64 bytes becomes a record of 46):
  // taking that room at once spares the image its doublings, each a copy of all it holds.
  auto& image = app.design.image;
  db::Reserve(image, std::min<std::int64_t>(image.maxSize,
                                            db::kDataStart + std::int64_t(file.size() / 4 * 3)));

  const std::string logPath = LogPathFor(path);
  const std::string warnPath = logPath.substr(0, logPath.size() - 4) + ".PH$";
  std::error_code ec;
  fs::remove(warnPath, ec);  // warnings of an earlier run are not this run's
  LogFile log;
  if (!log.create(logPath)) {
    command::ShowError(app, db::FormatMessage(msg::kFileNotCreatable, logPath), msg::kCaptionError);
    DiscardNewDesign(app);
    return StreamInResult::Failed;
  }
  ImportDisplay display(app);

  std::uint8_t head[4] = {};
  const bool mac = file.size() >= 4 && file.from(0)(head, 4) == 4 &&
                   !(head[0] == 0 && head[1] == 6 && head[2] == 0 && head[3] == 2);
  StreamReader reader(app, file, mac ? std::min<std::size_t>(128, file.size()) : 0, path, warnPath,
                      log, mac);
  const Stop stop = reader.run();
  display.restore();

  if (stop == Stop::None) {
    reader.checkReferences();
    log.close();
    SortLog(logPath, 9, 2, column);
    MergeWarnings(logPath, warnPath);
    app.host.setTitle(db::FormatMessage(db::msg::kTitleOpen, app.design.path));
    ShowEndPrompt(app, true);
    app.host.invalidate(Window::Command);
    app.host.invalidate(Window::Status);
    app.host.invalidate(Window::Graphics);
    return StreamInResult::Read;
  }
  if (stop == Stop::Declined) {
    log.close();
    fs::remove(warnPath, ec);
    fs::remove(logPath, ec);
    DiscardNewDesign(app);
    return StreamInResult::Refused;
  }
  reader.reportFailure(stop);
  log.close();
  // The warnings up to the error belong to this run's log, not to a file left beside it.
  MergeWarnings(logPath, warnPath);
  DiscardNewDesign(app);
  return stop == Stop::Escape ? StreamInResult::Stopped : StreamInResult::Failed;
}

}  // namespace lav::interchange
