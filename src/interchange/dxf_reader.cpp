#include "interchange/dxf_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "console/command_steps.h"
#include "console/command_window.h"
#include "db/cell_commands.h"
#include "db/cell_directory.h"
#include "db/refusal.h"
#include "db/rounding.h"
#include "geometry/arc_polygon.h"
#include "interchange/dxf_messages.h"
#include "interchange/exchange_state.h"
#include "interchange/gds_input.h"
#include "platform/sjis.h"

namespace lav::interchange {
namespace {

constexpr std::size_t kMaxReferenceName = 32;
constexpr long kPairsPerMessageStep = 512;
constexpr std::size_t kArcCapacity = 100000;  // a generated arc, before it is cut into pieces
constexpr double kMaxDb = 2147483647.0;

std::string_view trimmed(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  const std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::string format(const char* utf8, std::string_view a, std::string_view b = {}) {
  // The log is Shift-JIS like every text of the program; names from the file stay as bytes.
  const std::string f = sjis::fromUtf8(utf8);
  std::string out;
  int arg = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    // Numbers come in already formatted, so "%ld" takes its text like "%s".
    const std::size_t n = f.compare(i, 2, "%s") == 0 ? 2 : f.compare(i, 3, "%ld") == 0 ? 3 : 0;
    if (n != 0) {
      out += arg++ == 0 ? a : b;
      i += n - 1;
    } else {
      out += f[i];
    }
  }
  return out;
}

std::uint32_t angleMillionths(double degrees) {
  std::int64_t a = RoundToInt(std::fmod(degrees, 360.0) * 1e6);
  a %= db::kFullTurn;
  if (a < 0) a += db::kFullTurn;
  return static_cast<std::uint32_t>(a);
}

// Snaps a user value to 0.001 user units, rounding halves up.
double snapMilli(double v) {
  return RoundHalfUp(v * 1000.0) / 1000.0;
}

std::string cleanName(std::string_view raw) {
  std::string s = CleanCellName(raw);
  // A blank after a lead byte is no character; a cell name must stay one word.
  for (char& c : s)
    if (static_cast<unsigned char>(c) <= 32) c = '_';
  return s.empty() ? "_" : s;
}

// name, or name with "$k" in its last bytes when a cell of that name exists.
std::string uniqueIn(const db::DesignImage& image, const std::string& name) {
  std::string cell = name;
  for (int k = 1; db::FindCell(image, cell).result == db::FindResult::Found; ++k) {
    const std::string suffix = "$" + std::to_string(k);
    cell = std::string(sjis::cutAt(name, db::kNameBytes - suffix.size())) + suffix;
  }
  return cell;
}

// The bytes of one character of the basic plane in UTF-8.
std::string utf8Of(unsigned cp) {
  std::string u;
  if (cp < 0x80) {
    u += static_cast<char>(cp);
  } else if (cp < 0x800) {
    u += static_cast<char>(0xC0 | (cp >> 6));
    u += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    u += static_cast<char>(0xE0 | (cp >> 12));
    u += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    u += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return u;
}

// A value with its "\U+XXXX" escapes replaced, in Shift-JIS; the rest of a UTF-8 value is
// converted too, that of a code-page value kept as it is.
std::string unescaped(std::string_view v, bool utf8) {
  std::string out;
  for (std::size_t i = 0; i < v.size();) {
    unsigned cp = 0;
    const bool escape =
        v.compare(i, 3, "\\U+") == 0 && i + 7 <= v.size() &&
        std::from_chars(v.data() + i + 3, v.data() + i + 7, cp, 16).ptr == v.data() + i + 7 &&
        cp != 0 && (cp < 0xD800 || cp > 0xDFFF);
    if (!escape) {
      out += v[i++];
      continue;
    }
    out += utf8 ? utf8Of(cp) : sjis::fromUtf8(utf8Of(cp));
    i += 7;
  }
  return utf8 ? sjis::fromUtf8(out) : out;
}

}  // namespace

DxfReader::DxfReader(ExchangeState& app, std::string_view text, DxfReadHooks hooks)
    : app_(app),
      pairs_(text),
      text_(text),
      hooks_(std::move(hooks)),
      dbu_(app.settings.dbPerUserUnit > 0 ? app.settings.dbPerUserUnit : 1000) {}

// Block names are read ahead so that a name made unique is known to inserts that come before
// its block, and every definition of one name gets a cell of its own.
void DxfReader::planBlockNames() {
  DxfPairReader scan(text_);
  DxfPair p;
  std::set<std::string> used;
  bool wantName = false, wantSection = false;
  std::vector<std::string> raws;
  bool entities = false, wantVersion = false;
  while (scan.next(p) == PairStatus::Ok) {
    if (p.code == 9) {
      wantVersion = p.value == "$ACADVER";
    } else if (wantVersion && p.code == 1) {
      // From AC1021 on, DXF text is UTF-8; the program's texts are Shift-JIS. From AC1015 on,
      // "\U+XXXX" stands for a character the file's code page lacks.
      utf8_ = trimmed(p.value) >= "AC1021";
      escapes_ = trimmed(p.value) >= "AC1015";
      wantVersion = false;
    }
    decode(p);
    if (p.code == 0) {
      wantName = p.value == "BLOCK";
      wantSection = p.value == "SECTION";
      if (wantName) raws.emplace_back();
    } else if (wantName && (p.code == 2 || p.code == 3)) {
      raws.back() = p.value;
      wantName = false;
    } else if (wantSection && p.code == 2) {
      entities = entities || p.value == "ENTITIES";
      wantSection = false;
    }
  }
  if (entities) used.insert("ENTITIES");  // the drawing keeps its name
  for (const std::string& raw : raws) {
    const std::string clean = cleanName(raw);
    std::string cell = clean;
    for (int k = 1; used.count(cell); ++k) {
      const std::string suffix = "$" + std::to_string(k);
      cell = std::string(sjis::cutAt(clean, db::kNameBytes - suffix.size())) + suffix;
    }
    used.insert(cell);
    if (cell != raw) warn(format(msg::kLogRenamedBlock, raw, cell));
    plan_.push_back(cell);
    cellOfBlock_.emplace(raw, cell);
  }
}

void DxfReader::decode(DxfPair& p) const {
  const bool named = p.code == 1 || p.code == 2 || p.code == 3 || p.code == 8;
  if (!named) return;
  if (escapes_ && p.value.find("\\U+") != std::string::npos)
    p.value = unescaped(p.value, utf8_);
  else if (utf8_ && std::any_of(p.value.begin(), p.value.end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
    p.value = sjis::fromUtf8(p.value);
}

std::string DxfReader::cellNameFor(const std::string& raw) const {
  if (auto it = cellOfBlock_.find(raw); it != cellOfBlock_.end()) return it->second;
  return cleanName(std::string(sjis::cutAt(raw, kMaxReferenceName)));
}

DxfStop DxfReader::run() {
  now_ = app_.host.now();
  planBlockNames();
  DxfPair p;
  bool ended = false;
  while (stop_ == DxfStop::None && !ended) {
    const PairStatus s = pairs_.next(p);
    if (s == PairStatus::End) break;
    if (s != PairStatus::Ok) {
      stop_ = DxfStop::Syntax;
      errorLine_ = pairs_.line();
      break;
    }
    decode(p);
    if (++pairsRead_ % kPairsPerMessageStep == 0) {
      messageStep();
      if (stop_ != DxfStop::None) break;
    }
    switch (section_) {
      case Section::Outside:
        ended = !outside(p);
        break;
      case Section::LayerTable:
        layerTable(p);
        break;
      case Section::Entities:
        ended = !entities(p);
        break;
    }
  }
  if (section_ == Section::LayerTable && stop_ == DxfStop::None) endLayerTable();
  if (stop_ == DxfStop::None) finish();
  // What was complete before a stop is kept; a design that is full takes nothing more.
  if (stop_ != DxfStop::ImageFull && stop_ != DxfStop::TooManyCells) {
    if (polyline_) {
      warn(format(msg::kLogNoSeqend, std::to_string(polyLine_)));
      seqend();
    }
    flush();
  }
  checkReferences();
  for (const auto& [kind, count] : skipped_)
    warn(format(msg::kLogSkippedKind, kind, std::to_string(count)));
  return stop_;
}

bool DxfReader::outside(const DxfPair& p) {
  if (p.code == 0) {
    wantSectionName_ = p.value == "SECTION";
    if (p.value == "EOF") return false;
    if (p.value == "LAYER") {
      section_ = Section::LayerTable;
      layers_.setTableRead();
    }
    return true;
  }
  if (p.code == 2 && wantSectionName_) {
    wantSectionName_ = false;
    if (p.value == "ENTITIES") {
      section_ = Section::Entities;
      createCell("ENTITIES");
    } else if (p.value == "BLOCKS") {
      section_ = Section::Entities;
      cell_.clear();  // entities before the first BLOCK have no cell
    }
  }
  return true;
}

bool DxfReader::layerTable(const DxfPair& p) {
  if (p.code == 0) {
    if (p.value == "ENDTAB" || p.value == "ENDSEC") endLayerTable();
    return true;
  }
  if (p.code != 2) return true;
  lastLayerValid_ = false;
  tableNames_.push_back(p.value);
  return true;
}

void DxfReader::endLayerTable() {
  section_ = Section::Outside;
  // The whole table is known before any name gets a number: a named layer must not take the
  // number of a numeric name further down.
  const auto mapped = layers_.addTable(tableNames_);
  for (std::size_t i = 0; i < mapped.size() && stop_ == DxfStop::None; ++i) {
    if (!mapped[i]) {
      warn(format(msg::kLogUnmappedLayer, tableNames_[i]));
    } else if (hooks_.onLayer && !hooks_.onLayer({*mapped[i], tableNames_[i]})) {
      stop_ = DxfStop::LayerList;
    }
  }
  tableNames_.clear();
}

bool DxfReader::entities(const DxfPair& p) {
  if (p.code != 0) return group(p);
  finish();
  if (stop_ != DxfStop::None) return true;
  if (p.value == "ENDSEC" || p.value == "EOF") {
    if (polyline_) {
      warn(format(msg::kLogNoSeqend, std::to_string(polyLine_)));
      seqend();
    }
    flush();
    collect_ = Collect::Nothing;
    section_ = Section::Outside;
    return p.value != "EOF";
  }
  begin(p.value);
  return true;
}

void DxfReader::begin(std::string_view name) {
  static const std::pair<std::string_view, Kind> kKinds[] = {
      {"INSERT", Kind::Insert},         {"BLOCK", Kind::Block}, {"POLYLINE", Kind::Polyline},
      {"VERTEX", Kind::Vertex},         {"LINE", Kind::Line},   {"SOLID", Kind::Solid},
      {"CIRCLE", Kind::Circle},         {"ARC", Kind::Arc},     {"TEXT", Kind::Text},
      {"LWPOLYLINE", Kind::LwPolyline},
  };
  Kind kind = Kind::Other;
  for (const auto& [n, k] : kKinds)
    if (name == n) kind = k;
  // Every entity that is not read is counted for the log, never dropped unseen.
  if (kind == Kind::Other && name != "ENDBLK" && name != "SEQEND") ++skipped_[std::string(name)];
  if (name == "SEQEND") {
    seqend();
    kind = Kind::None;
  }
  if (polyline_ && kind != Kind::Vertex && kind != Kind::None) {
    warn(format(msg::kLogNoSeqend, std::to_string(polyLine_)));
    seqend();
  }
  if (name == "ENDBLK") {
    flush();
    collect_ = Collect::Nothing;
    cell_.clear();  // nothing between blocks belongs to the last one
  }
  // A chain of LINEs and ARCs is broken by anything else that makes an element.
  if (kind != Kind::Line && kind != Kind::Arc && kind != Kind::Other && kind != Kind::None &&
      collect_ == Collect::Lines) {
    flush();
    collect_ = Collect::Nothing;
  }
  f_ = Fields{};
  f_.kind = kind;
  f_.line = pairs_.line() - 1;
}

bool DxfReader::number(const DxfPair& p, double& out) {
  std::string_view s = trimmed(p.value);
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) {
    stop_ = DxfStop::Syntax;
    errorLine_ = pairs_.line();
    return false;
  }
  out = v;
  return true;
}

bool DxfReader::coordinate(const DxfPair& p, double& out) {
  if (!number(p, out)) return false;
  if (!(std::fabs(out * dbu_) < kMaxDb)) f_.bad = true;
  return true;
}

bool DxfReader::integer(const DxfPair& p, long& out) {
  double v = 0;
  if (!number(p, v)) return false;
  out = v > 2147483647.0 ? 2147483647L : v < -2147483648.0 ? -2147483648L : static_cast<long>(v);
  return true;
}

bool DxfReader::group(const DxfPair& p) {
  // Groups of entities that are not read are not even parsed: their values are not ours to judge.
  if (f_.kind == Kind::None || f_.kind == Kind::Other) return true;
  if (f_.kind == Kind::LwPolyline && !lwGroup(p)) return true;
  Fields& f = f_;
  switch (p.code) {
    case 1:
      f.text = p.value;
      f.hasText = true;
      break;
    case 2:
    case 3:
      if (f.kind == Kind::Insert && p.code == 2) {
        f.name = p.value;
        f.named = true;
      } else if (f.kind == Kind::Block && !f.named) {
        f.name = p.value;
        f.named = true;
      }
      break;
    case 8:
      // Entities mostly repeat the layer of the one before.
      if (!lastLayerValid_ || p.value != lastLayerName_) {
        lastLayerValid_ = true;
        lastLayerName_ = p.value;
        lastLayer_ = layers_.layerOf(p.value);
        if (!layers_.known(p.value) && unmappedWarned_.insert(p.value).second)
          warn(format(msg::kLogUnmappedLayer, p.value));
      }
      f.layer = lastLayer_;
      break;
    case 10:
    case 11:
    case 12:
    case 13:
      if (!coordinate(p, f.x[p.code - 10])) return true;
      f.point[p.code - 10] = true;
      break;
    case 20:
    case 21:
    case 22:
    case 23:
      if (!coordinate(p, f.y[p.code - 20])) return true;
      break;
    case 40:
      f.has40 = number(p, f.g40);
      break;
    case 41:
      f.has41 = number(p, f.g41);
      break;
    case 42:
      f.has42 = number(p, f.g42);
      break;
    case 44:
      f.has44 = number(p, f.g44);
      break;
    case 45:
      f.has45 = number(p, f.g45);
      break;
    case 50:
      f.has50 = number(p, f.g50);
      break;
    case 51:
      f.has51 = number(p, f.g51);
      break;
    case 70:
      f.has70 = integer(p, f.g70);
      break;
    case 71:
      f.has71 = integer(p, f.g71);
      break;
    default:
      break;
  }
  return true;
}

// The groups in which a LWPOLYLINE differs: each 10 starts a vertex, and the groups after it
// until the next 10 belong to that vertex. False when the group was taken here.
bool DxfReader::lwGroup(const DxfPair& p) {
  Fields& f = f_;
  double v = 0;
  switch (p.code) {
    case 10:
      if (coordinate(p, v)) f.vertices.push_back({{v, 0}, 0});
      return false;
    case 20:
      if (coordinate(p, v) && !f.vertices.empty()) f.vertices.back().p.y = v;
      return false;
    case 42:
      if (number(p, v) && !f.vertices.empty()) f.vertices.back().bulge = v;
      return false;
    case 43:  // the constant width
      if (number(p, v)) f.width = v, f.hasWidth = true;
      return false;
    case 40:  // a vertex's own widths: the first vertex's start width stands for the line
    case 41:
      if (number(p, v) && f.vertices.size() == 1 && !f.hasWidth && p.code == 40)
        f.width = v, f.hasWidth = true;
      return false;
    case 11:
    case 12:
    case 13:
    case 21:
    case 22:
    case 23:
      return false;
    default:
      return true;
  }
}

void DxfReader::finish() {
  if (f_.bad && f_.kind != Kind::Other && f_.kind != Kind::None)
    warn(format(" ***WARNING*** coordinate out of range (line %s): entity skipped\n",
                std::to_string(f_.line)));
  switch (f_.kind) {
    case Kind::Insert:
      insertEntity();
      break;
    case Kind::Block:
      blockEntity();
      break;
    case Kind::Polyline:
      polylineEntity();
      break;
    case Kind::LwPolyline:
      lwPolylineEntity();
      break;
    case Kind::Vertex:
      vertexEntity();
      break;
    case Kind::Line:
      lineEntity();
      break;
    case Kind::Solid:
      solidEntity();
      break;
    case Kind::Circle:
      circleEntity();
      break;
    case Kind::Arc:
      arcEntity();
      break;
    case Kind::Text:
      textEntity();
      break;
    case Kind::None:
    case Kind::Other:
      break;
  }
  f_ = Fields{};
}

// --- entities ---

void DxfReader::insertEntity() {
  const Fields& f = f_;
  if (f.bad || !f.named || f.name.empty()) return;
  db::ElementSettings s;
  bool reflect = false;
  double angle = 0, mag = 1.0;
  const double ax = std::fabs(f.g41), ay = std::fabs(f.g42);
  bool dropped = false;
  if (f.has41 && f.has42) {
    if (ax != ay) {
      dropped = true;
    } else {
      mag = ax;
      if (f.g41 >= 0 && f.g42 < 0) reflect = true;
      if (f.g41 < 0 && f.g42 >= 0) angle = 180, reflect = true;
      if (f.g41 < 0 && f.g42 < 0) angle = 180;
    }
  } else if (f.has42) {
    dropped = ay != 1.0;
    reflect = f.g42 < 0;
  } else if (f.has41) {
    dropped = ax != 1.0;
    if (f.g41 < 0) angle = 180, reflect = true;
  }
  const std::int32_t m = RoundToInt(mag * 1e6);
  if (dropped || m <= 0 || !(mag * 1e6 < kMaxDb)) {
    warn(format(" ***WARNING*** INSERT %s: scales %s dropped\n", f.name,
                TrimmedNumber(f.g41, 8) + " " + TrimmedNumber(f.g42, 8)));
    return;
  }
  s.reflection = reflect ? 1 : 0;
  s.magnification = static_cast<std::uint32_t>(m);
  s.angle = angleMillionths(angle + (f.has50 ? f.g50 : 0));
  // Every INSERT is an array of its own counts, never of the previous one's.
  auto count = [](bool has, long v) -> std::int32_t {
    return has ? static_cast<std::int32_t>(std::clamp<long>(v, 1, 32767)) : 1;
  };
  s.columns = count(f.has70, f.g70);
  s.rows = count(f.has71, f.g71);
  auto pitch = [&](bool has, double v) -> std::int32_t {
    if (!has) return 0;
    const double d = std::fabs(v) * dbu_;
    return d < kMaxDb ? RoundToInt(d) : 0;
  };
  s.pitchX = pitch(f.has44, f.g44);
  s.pitchY = pitch(f.has45, f.g45);
  s.cellName = cellNameFor(f.name);
  const bool array = f.has70 || f.has71 || f.has44 || f.has45;
  if (!cell_.empty()) placements_[cell_].insert(s.cellName);
  temp_.clear();
  temp_.push({f.x[0], f.y[0]});
  store(array ? 0 : 1, 0, 0, std::move(s));
}

void DxfReader::blockEntity() {
  flush();
  collect_ = Collect::Nothing;
  const std::string name = planIndex_ < plan_.size() ? plan_[planIndex_] : cleanName(f_.name);
  ++planIndex_;
  createCell(name);
}

bool DxfReader::createCell(const std::string& planned) {
  flush();
  collect_ = Collect::Nothing;
  // The plan already made names unique; a file whose sections repeat still gets new cells.
  const std::string name = uniqueIn(app_.design.image, planned);
  if (name != planned) warn(format(msg::kLogRenamedBlock, planned, name));
  db::Refusal refusal;
  if (!db::CreateCell(app_, name, refusal)) {
    command::ShowRefusal(app_, refusal);
    stop_ = DxfStop::TooManyCells;
    cell_.clear();
    return false;
  }
  cell_ = name;
  cells_.insert(name);
  if (hooks_.onCell) hooks_.onCell(name);
  return true;
}

void DxfReader::polylineEntity() {
  startPolyline(f_.has70 && (f_.g70 & 1), f_.has41 ? f_.g41 : f_.has40 ? f_.g40 : 0);
  // Meshes and polyface meshes keep faces, not outlines, in their vertices.
  polySkip_ = f_.has70 && (f_.g70 & (16 | 64));
  if (polySkip_)
    warn(format(" ***WARNING*** POLYLINE mesh (line %s) skipped\n", std::to_string(f_.line)));
}

// A light-weight polyline is a POLYLINE with its vertices inside: it becomes the same elements.
void DxfReader::lwPolylineEntity() {
  if (f_.bad) return;
  startPolyline(f_.has70 && (f_.g70 & 1), f_.width);
  for (const LwVertex& v : f_.vertices) polylineVertex(v.p, v.bulge);
  seqend();
}

void DxfReader::startPolyline(bool closed, double width) {
  flush();
  polyline_ = true;
  polyClosed_ = closed;
  polySkip_ = false;
  polyHasFirst_ = false;
  lastBulge_ = 0;
  polyLine_ = f_.line;
  splitWarned_ = false;
  collect_ = Collect::Polyline;
  collectLayer_ = f_.layer;
  const double wd = std::fabs(width) * dbu_;
  collectWidth_ = wd < kMaxDb ? RoundToInt(wd) : 0;
}

void DxfReader::vertexEntity() {
  if (!polyline_ || polySkip_) return;
  if (f_.bad) return;
  polylineVertex({f_.x[0], f_.y[0]}, f_.has42 ? f_.g42 : 0);
}

void DxfReader::polylineVertex(db::UserPoint p, double bulge) {
  if (!polyHasFirst_) {
    appendPoint(p);
    polyFirst_ = p;
    polyHasFirst_ = true;
  } else if (lastBulge_ != 0) {
    appendBulge(polyLast_, p, lastBulge_);
  } else {
    appendPoint(p);
  }
  polyLast_ = p;
  lastBulge_ = bulge;
}

void DxfReader::seqend() {
  if (!polyline_) return;
  if (polyClosed_ && polyHasFirst_ && !polySkip_) {
    if (lastBulge_ != 0)
      appendBulge(polyLast_, polyFirst_, lastBulge_);
    else if (!sameDb(polyLast_, polyFirst_))
      appendPoint(polyFirst_);
  }
  flush();
  polyline_ = false;
  polySkip_ = false;
  collect_ = Collect::Nothing;
}

void DxfReader::lineEntity() {
  if (f_.bad) return;
  const db::UserPoint a{f_.x[0], f_.y[0]}, b{f_.x[1], f_.y[1]};
  if (collect_ == Collect::Lines && collectLayer_ == f_.layer && lastPointIs(a)) {
    appendPoint(b);
    return;
  }
  flush();
  startLines();
  appendPoint(a);
  appendPoint(b);
}

void DxfReader::solidEntity() {
  flush();
  collect_ = Collect::Nothing;
  if (f_.bad) return;
  // A SOLID lists its corners in zigzag order: first, second, fourth, third around.
  const int order[4] = {0, 1, 3, 2};
  temp_.clear();
  for (int i : order) {
    const int k = (i == 3 && !f_.point[3]) ? 2 : i;
    temp_.push({f_.x[k], f_.y[k]});
  }
  store(4, f_.layer, 0, {});
}

void DxfReader::circleEntity() {
  flush();
  collect_ = Collect::Nothing;
  if (f_.bad || !f_.has40) return;
  const db::UserPoint c{f_.x[0], f_.y[0]};
  const db::UserPoint s{c.x + std::fabs(f_.g40), c.y};
  std::vector<db::UserPoint> pts;
  const geometry::ArcStatus st =
      geometry::GenerateArc(arcSettings(false), {s, c, s}, 4, dbu_, pts, db::kTempCapacity);
  if (st == geometry::ArcStatus::Radius) {
    command::PrintMessageLine(app_, geometry::kArcRadiusError);
    return;
  }
  temp_.assign(pts);
  store(4, f_.layer, 0, {});
}

void DxfReader::arcEntity() {
  if (f_.bad || !f_.has40 || !f_.has50 || !f_.has51) return;
  const double r = std::fabs(f_.g40);
  const db::UserPoint c{f_.x[0], f_.y[0]};
  const double a1 = f_.g50 * std::numbers::pi / 180, a2 = f_.g51 * std::numbers::pi / 180;
  const db::UserPoint s{snapMilli(c.x + r * std::cos(a1)), snapMilli(c.y + r * std::sin(a1))};
  const db::UserPoint e{snapMilli(c.x + r * std::cos(a2)), snapMilli(c.y + r * std::sin(a2))};
  if (!(collect_ == Collect::Lines && collectLayer_ == f_.layer && lastPointIs(s))) {
    flush();
    startLines();
  }
  appendArc(s, c, e, false);
}

void DxfReader::textEntity() {
  if (f_.bad || !f_.hasText) return;
  db::ElementSettings s;
  s.text = std::string(sjis::cutAt(f_.text, db::kTextBytes));
  const double h = f_.has40 ? std::fabs(f_.g40) * 1e6 : 1e6;
  s.magnification = static_cast<std::uint32_t>(h < kMaxDb ? RoundToInt(h) : 1000000);
  s.angle = f_.has50 ? angleMillionths(f_.g50) : 0;
  temp_.clear();
  temp_.push({f_.x[0], f_.y[0]});
  store(2, f_.layer, 0, std::move(s));
}

// --- points and output ---

geometry::ArcSettings DxfReader::arcSettings(bool clockwise) const {
  // The user's segment count and placement shape the curves; the file fixes the direction, and a
  // DXF arc is circular even when its rounded end lies a little off the radius.
  geometry::ArcSettings a = app_.geometry.arc;
  a.ellipse = 0;
  a.clockwise = clockwise ? 1 : 0;
  return a;
}

void DxfReader::startLines() {
  collect_ = Collect::Lines;
  collectLayer_ = f_.layer;
  collectWidth_ = 0;
  splitWarned_ = false;
}

bool DxfReader::sameDb(db::UserPoint a, db::UserPoint b) const {
  return RoundToInt(a.x * dbu_) == RoundToInt(b.x * dbu_) &&
         RoundToInt(a.y * dbu_) == RoundToInt(b.y * dbu_);
}

bool DxfReader::lastPointIs(db::UserPoint p) const {
  return !temp_.empty() && sameDb(temp_.points[static_cast<std::size_t>(temp_.count - 1)], p);
}

void DxfReader::appendPoint(db::UserPoint p) {
  if (temp_.full()) {
    // A figure longer than the temporary layer holds goes on as a further line from the
    // point where the last piece ended.
    if (!splitWarned_) {
      warn(format(msg::kLogLongPolyline, cell_,
                  std::to_string(collect_ == Collect::Polyline ? polyLine_ : f_.line)));
      splitWarned_ = true;
    }
    const db::UserPoint last = temp_.points[static_cast<std::size_t>(temp_.count - 1)];
    flush();
    temp_.push(last);
  }
  temp_.push(p);
}

void DxfReader::appendArc(db::UserPoint s, db::UserPoint c, db::UserPoint e, bool clockwise) {
  std::vector<db::UserPoint> pts;
  const bool seeded = !temp_.empty();
  if (seeded) pts.push_back(temp_.points[static_cast<std::size_t>(temp_.count - 1)]);
  const geometry::ArcStatus st =
      geometry::GenerateArc(arcSettings(clockwise), {s, c, e}, 5, dbu_, pts, kArcCapacity);
  if (st == geometry::ArcStatus::Radius) {
    command::PrintMessageLine(app_, geometry::kArcRadiusError);
    if (!lastPointIs(e)) appendPoint(e);  // the chain goes on along the chord
    return;
  }
  for (std::size_t i = seeded ? 1 : 0; i < pts.size(); ++i) appendPoint(pts[i]);
}

// The arc of a bulged polyline segment from a to b: bulge = tan(included angle / 4), positive
// counter-clockwise; the centre lies on the chord's perpendicular bisector.
void DxfReader::appendBulge(db::UserPoint a, db::UserPoint b, double bulge) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double d = std::hypot(dx, dy);
  if (d == 0 || std::fabs(bulge) < 1e-9 || !std::isfinite(bulge)) {
    appendPoint(b);
    return;
  }
  const double theta = 4 * std::atan(bulge);
  const double h = (d / 2) / std::tan(theta / 2);
  const db::UserPoint c{(a.x + b.x) / 2 - dy / d * h, (a.y + b.y) / 2 + dx / d * h};
  appendArc(a, c, b, bulge < 0);
}

void DxfReader::flush() {
  if (temp_.empty()) return;
  const auto pts = temp_.used();
  std::int16_t type = 5;
  if (collectWidth_ == 0 && pts.size() >= 3 && sameDb(pts.front(), pts.back())) type = 4;
  store(type, collectLayer_, collectWidth_, {});
}

void DxfReader::store(std::int16_t type, int layer, std::int32_t width, db::ElementSettings s) {
  if (cell_.empty() || stop_ == DxfStop::ImageFull) {
    temp_.clear();
    return;
  }
  s.elementType = type;
  s.layer = static_cast<std::int16_t>(layer);
  s.width = width;
  s.lineTipType = 0;
  s.dbPerUserUnit = dbu_;
  db::OutputOptions o;
  o.host = &app_.host;
  o.continueFlag = &app_.continueFlag;
  const db::OutputResult r = db::OutputTempLayer(app_.design, temp_, s, now_, o);
  temp_.clear();
  switch (r.status) {
    case db::OutputStatus::Written:
      stored_ += r.records;
      break;
    case db::OutputStatus::OutOfImage:
      stop_ = DxfStop::ImageFull;
      break;
    case db::OutputStatus::Stopped:
      stop_ = DxfStop::Escape;
      break;
    default:
      break;
  }
}

void DxfReader::warn(std::string text) {
  warnings_.push_back(std::move(text));
}

void DxfReader::messageStep() {
  app_.host.messageStep(app_.continueFlag);
  if (!app_.continueFlag && stop_ == DxfStop::None) stop_ = DxfStop::Escape;
}

// Placements of blocks the file never defines, and blocks that place each other in a cycle, are
// kept as read (the drawing stops at its nesting depth) but named in the log.
void DxfReader::checkReferences() {
  std::set<std::string> missing;
  for (const auto& [cell, placed] : placements_)
    for (const std::string& name : placed)
      if (!cells_.count(name) && missing.insert(name).second)
        warn(format(msg::kLogUndefinedBlock, name));
  std::map<std::string, int> state;  // 1 on the path, 2 done
  std::function<bool(const std::string&, std::vector<std::string>&)> visit =
      [&](const std::string& cell, std::vector<std::string>& path) {
        state[cell] = 1;
        path.push_back(cell);
        if (auto it = placements_.find(cell); it != placements_.end()) {
          for (const std::string& next : it->second) {
            if (state[next] == 1) {
              std::string chain;
              for (auto i = std::find(path.begin(), path.end(), next); i != path.end(); ++i)
                chain += *i + " -> ";
              warn(format(msg::kLogBlockCycle, chain + next));
              return true;
            }
            if (state[next] == 0 && placements_.count(next) && visit(next, path)) return true;
          }
        }
        path.pop_back();
        state[cell] = 2;
        return false;
      };
  for (const auto& [cell, placed] : placements_) {
    std::vector<std::string> path;
    if (state[cell] == 0 && visit(cell, path)) break;  // one cycle named is enough
  }
}

}  // namespace lav::interchange
