#include "interchange/gds_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>

#include "interchange/gds_records.h"

namespace lav::gds {
namespace {

constexpr std::uint8_t R(Rec r) {
  return static_cast<std::uint8_t>(r);
}

// Date and time values go out as a zero high byte and the value's low byte.
std::array<std::int16_t, 12> dates(const DateTime& a, const DateTime& b) {
  std::array<std::int16_t, 12> v{};
  for (int i = 0; i < 6; ++i) {
    v[i] = static_cast<std::int16_t>(a[i] & 0xFF);
    v[6 + i] = static_cast<std::int16_t>(b[i] & 0xFF);
  }
  return v;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Rotates v by deg degrees counter-clockwise. Quarter turns are exact; other angles go
// through polar form.
UserPoint rotate(UserPoint v, double deg) {
  const double quarter = deg / 90.0;
  if (quarter == std::floor(quarter)) {
    switch (static_cast<long>(std::fmod(std::fmod(quarter, 4.0) + 4.0, 4.0))) {
      case 0:
        return v;
      case 1:
        return {-v.y, v.x};
      case 2:
        return {-v.x, -v.y};
      default:
        return {v.y, -v.x};
    }
  }
  const double radius = std::sqrt(v.x * v.x + v.y * v.y);
  double a;
  if (v.x == 0)
    a = v.y > 0 ? 1.5707963265 : (v.y < 0 ? -1.5707963265 : 0);
  else
    a = std::atan2(v.y, v.x);
  a += deg * 0.017453292516666667;
  return {radius * std::cos(a), radius * std::sin(a)};
}

}  // namespace

StreamWriter::~StreamWriter() = default;

std::optional<std::int32_t> FileInteger(double userValue, double u) {
  const double q = userValue / u;
  // The fraction is added before truncation: halves go away from zero.
  const double r = std::trunc(q + (q - std::trunc(q)));
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return std::nullopt;
  return static_cast<std::int32_t>(r);
}

std::array<UserPoint, 3> ArrayPoints(UserPoint at, int columns, int rows, double columnStep,
                                     double rowStep, double angle, bool reflected) {
  UserPoint along{columns * columnStep, 0};
  UserPoint across{0, rows * rowStep};
  if (reflected) across.y = -across.y;
  if (angle != 0) {
    along = rotate(along, angle);
    across = rotate(across, angle);
  }
  return {at, UserPoint{at.x + along.x, at.y + along.y},
          UserPoint{at.x + across.x, at.y + across.y}};
}

std::int32_t StreamWriter::toFile(double userValue) {
  if (const auto v = FileInteger(userValue, u_)) return *v;
  rangeError = true;
  return userValue > 0 ? 2147483647 : -2147483647 - 1;
}

int StreamWriter::openLibrary(const std::string& path, double u, const DateTime& now,
                              ByteSink sink) {
  if (libraryOpen_) return -1;
  const std::size_t cut = path.find_last_of(":\\/");
  // The library is named after the file: its name from the first '.' on becomes ".DB".
  std::string libName = path;
  const std::size_t nameStart = cut == std::string::npos ? 0 : cut + 1;
  if (auto dot = libName.find('.', nameStart); dot != std::string::npos) libName.resize(dot);
  libName += ".DB";
  // Only a complete stream takes the name: a run killed or failed half way leaves nothing there.
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0 || !file_.create(path)) return -3;
  if (!sink)
    sink = [this](const std::uint8_t* d, std::size_t n) { return writeAll(file_.fd(), d, n); };
  out_ = std::make_unique<RecordWriter>(std::move(sink));
  u_ = u;
  libraryOpen_ = true;
  structureOpen_ = false;
  lastStructure_.clear();
  rangeError = false;
  out_->int16s(R(Rec::Header), {3});
  out_->int16s(R(Rec::BgnLib), dates(now, now));
  out_->string(R(Rec::LibName), libName);
  out_->reals(R(Rec::Units), {u, u * 1e-6});
  return 0;
}

int StreamWriter::beginStructure(std::string_view name, const DateTime& created,
                                 const DateTime& modified) {
  if (!libraryOpen_) return -1;
  endStructure();
  if (name == lastStructure_) return -2;
  lastStructure_ = name;
  out_->int16s(R(Rec::BgnStr), dates(created, modified));
  out_->string(R(Rec::StrName), name);
  structureOpen_ = true;
  return 0;
}

void StreamWriter::endStructure() {
  if (!structureOpen_) return;
  out_->empty(R(Rec::EndStr));
  structureOpen_ = false;
}

int StreamWriter::boundary(std::span<const UserPoint> points) {
  if (!structureOpen_) return -1;
  if (!layerOk()) return -2;
  if (points.size() > kMaxXyPoints) return -3;
  out_->empty(R(Rec::Boundary));
  out_->int16s(R(Rec::Layer), {static_cast<std::int16_t>(layer)});
  out_->int16s(R(Rec::DataType), {0});
  xy_.clear();
  for (const auto& p : points) {
    xy_.push_back(toFile(p.x));
    xy_.push_back(toFile(p.y));
  }
  out_->int32s(R(Rec::Xy), xy_);
  out_->empty(R(Rec::EndEl));
  return 0;
}

int StreamWriter::path(std::span<const UserPoint> points, double w) {
  if (!structureOpen_) return -1;
  if (!layerOk()) return -2;
  if (points.size() > kMaxXyPoints) return -3;
  out_->empty(R(Rec::Path));
  out_->int16s(R(Rec::Layer), {static_cast<std::int16_t>(layer)});
  out_->int16s(R(Rec::DataType), {0});
  out_->int16s(R(Rec::PathType), {pathType});
  const std::int32_t fileWidth = toFile(w);
  out_->int32s(R(Rec::Width), std::span<const std::int32_t>(&fileWidth, 1));
  xy_.clear();
  for (const auto& p : points) {
    xy_.push_back(toFile(p.x));
    xy_.push_back(toFile(p.y));
  }
  out_->int32s(R(Rec::Xy), xy_);
  out_->empty(R(Rec::EndEl));
  return 0;
}

void StreamWriter::transformation() {
  out_->bits(R(Rec::Strans), reflected ? 0x8000 : 0x0000);
  if (magnification != 1.0) out_->reals(R(Rec::Mag), {magnification});
  if (angle != 0) out_->reals(R(Rec::Angle), {angle});
}

int StreamWriter::structureReference(std::string_view name, UserPoint at) {
  if (!structureOpen_) return -1;
  out_->empty(R(Rec::Sref));
  out_->string(R(Rec::Sname), name);
  transformation();
  const std::int32_t xy[2] = {toFile(at.x), toFile(at.y)};
  out_->int32s(R(Rec::Xy), xy);
  out_->empty(R(Rec::EndEl));
  return 0;
}

int StreamWriter::arrayReference(std::string_view name, UserPoint at, int columns, int rows,
                                 double columnPitch, double rowPitch) {
  if (!structureOpen_) return -1;
  // COLROW holds two 16-bit counts.
  if (columns < 1 || columns > 32767 || rows < 1 || rows > 32767) rangeError = true;
  out_->empty(R(Rec::Aref));
  out_->string(R(Rec::Sname), name);
  transformation();
  out_->int16s(R(Rec::ColRow),
               {static_cast<std::int16_t>(columns), static_cast<std::int16_t>(rows)});
  const auto p = ArrayPoints(at, columns, rows, columnPitch * magnification,
                             rowPitch * magnification, angle, reflected);
  const std::int32_t xy[6] = {toFile(p[0].x), toFile(p[0].y), toFile(p[1].x),
                              toFile(p[1].y), toFile(p[2].x), toFile(p[2].y)};
  out_->int32s(R(Rec::Xy), xy);
  out_->empty(R(Rec::EndEl));
  return 0;
}

int StreamWriter::text(UserPoint at, std::string_view s, int justification) {
  if (!structureOpen_) return -1;
  if (!layerOk()) return -2;
  static constexpr std::uint16_t kPresentation[9] = {8, 4, 0, 9, 5, 1, 10, 6, 2};
  const std::uint16_t presentation =
      justification >= 0 && justification <= 8 ? kPresentation[justification] : 8;
  out_->empty(R(Rec::Text));
  out_->int16s(R(Rec::Layer), {static_cast<std::int16_t>(layer)});
  out_->int16s(R(Rec::TextType), {0});
  out_->bits(R(Rec::Presentation), presentation);
  out_->int16s(R(Rec::PathType), {pathType});
  const std::int32_t fileWidth = toFile(width);
  out_->int32s(R(Rec::Width), std::span<const std::int32_t>(&fileWidth, 1));
  transformation();
  const std::int32_t xy[2] = {toFile(at.x), toFile(at.y)};
  out_->int32s(R(Rec::Xy), xy);
  out_->string(R(Rec::String), s);
  out_->empty(R(Rec::EndEl));
  return 0;
}

bool StreamWriter::closeLibrary(bool keep) {
  if (!libraryOpen_) return false;
  endStructure();
  out_->empty(R(Rec::EndLib));
  static const std::array<std::uint8_t, 2048> kTail{};
  out_->raw(kTail);
  bool ok = out_->flush();
  if (ok && keep)
    ok = file_.commit(false);
  else
    file_.discard();
  libraryOpen_ = false;
  return ok;
}

}  // namespace lav::gds
