// The stream writer: each operation emits one complete GDSII element, or the frame of the
// library or of a structure, into the open stream file. Lengths arrive in user units and are
// written in the file's database units.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/safe_write.h"
#include "interchange/gds_record_stream.h"

namespace lav::gds {

// Two-digit year, month, day, hour, minute, second.
using DateTime = std::array<std::int16_t, 6>;

struct UserPoint {
  double x = 0, y = 0;
};

// A user-unit value as a file integer for a database unit of u user units (halves away from
// zero), or nullopt when it does not fit.
std::optional<std::int32_t> FileInteger(double userValue, double u);

// The three XY points of an AREF as the writer forms them (user units): the origin, the end of
// the columns and the end of the rows. The steps are whole pitches, magnification included.
std::array<UserPoint, 3> ArrayPoints(UserPoint at, int columns, int rows, double columnStep,
                                     double rowStep, double angle, bool reflected);

class StreamWriter {
 public:
  StreamWriter() = default;
  StreamWriter(const StreamWriter&) = delete;
  StreamWriter& operator=(const StreamWriter&) = delete;
  ~StreamWriter();

  // Creates the work file for path and writes HEADER, BGNLIB, LIBNAME and UNITS. u is the size of
  // the file's database unit in user units. A given sink receives the bytes instead of the file
  // (the file is still created). The file name may have any length. -1 library open, -3 file not
  // creatable.
  int openLibrary(const std::string& path, double u, const DateTime& now, ByteSink sink = {});
  // -1 no library open, -2 name equal to the previous structure's.
  int beginStructure(std::string_view name, const DateTime& created, const DateTime& modified);
  void endStructure();

  // Elements; -1 no structure open, -2 layer outside 0..63 (boundary, path, text), -3 more
  // points than one XY record holds (boundary, path).
  int boundary(std::span<const UserPoint> points);
  int path(std::span<const UserPoint> points, double width);
  int structureReference(std::string_view name, UserPoint at);
  int arrayReference(std::string_view name, UserPoint at, int columns, int rows, double columnPitch,
                     double rowPitch);
  int text(UserPoint at, std::string_view text, int justification);

  // Ends an open structure, writes ENDLIB and its 2048 zero bytes and closes the file. With keep
  // the file takes its name (never over an existing file); without, it is removed. False when
  // any byte of the run could not be written or the file could not take its name.
  bool closeLibrary(bool keep = true);

  // Element attributes, set before each element.
  double layer = 0;
  std::int16_t pathType = 0;
  double width = 0;
  bool reflected = false;
  double magnification = 1.0;
  double angle = 0;  // degrees

  // Set when a value did not fit a four-byte integer of the file (it was written clamped).
  bool rangeError = false;
  bool writeFailed() const { return out_ && out_->failed(); }
  std::uint64_t bytesWritten() const { return out_ ? out_->written() : 0; }

 private:
  std::int32_t toFile(double userValue);
  void transformation();
  bool layerOk() const { return layer >= 0 && layer <= 63; }

  bool libraryOpen_ = false, structureOpen_ = false;
  std::string lastStructure_;
  double u_ = 0.001;
  db::WorkFile file_;
  std::unique_ptr<RecordWriter> out_;
  std::vector<std::int32_t> xy_;
};

}  // namespace lav::gds
