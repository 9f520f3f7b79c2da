#include "interchange/gds_records.h"

#include <array>

namespace lav::gds {
namespace {

using K = DataKind;
using A = Action;

constexpr std::array<RecordInfo, 60> kTable = {{
    {0x00, K::Int16, "HEADER", A::Ignore, 0},
    {0x01, K::Int16, "BGNLIB", A::BgnLib, 6},
    {0x02, K::Ascii, "LIBNAME", A::LibName, 0},
    {0x03, K::Real8, "UNITS", A::Units, 2},
    {0x04, K::None, "ENDLIB", A::EndLib, 0},
    {0x05, K::Int16, "BGNSTR", A::BgnStr, 12},
    {0x06, K::Ascii, "STRNAME", A::StrName, 0},
    {0x07, K::None, "ENDSTR", A::EndStr, 0},
    {0x08, K::None, "BOUNDARY", A::BeginElement, 0},
    {0x09, K::None, "PATH", A::BeginElement, 0},
    {0x0A, K::None, "SREF", A::BeginElement, 0},
    {0x0B, K::None, "AREF", A::BeginElement, 0},
    {0x0C, K::None, "TEXT", A::BeginElement, 0},
    {0x0D, K::Int16, "LAYER", A::Layer, 1},
    {0x0E, K::Int16, "DATATYPE", A::Ignore, 0},
    {0x0F, K::Int32, "WIDTH", A::Width, 1},
    {0x10, K::Int32, "XY", A::Xy, 0},
    {0x11, K::None, "ENDEL", A::EndEl, 0},
    {0x12, K::Ascii, "SNAME", A::Sname, 0},
    {0x13, K::Int16, "COLROW", A::ColRow, 2},
    {0x14, K::None, "TEXTNODE", A::NoType, 0},
    {0x15, K::None, "NODE", A::NoType, 0},
    {0x16, K::Int16, "TEXTTYPE", A::Ignore, 0},
    {0x17, K::BitArray, "PRESENTATION", A::Ignore, 0},
    {0x18, K::None, "SPACING", A::Spacing, 0},
    {0x19, K::Ascii, "STRING", A::String, 0},
    {0x1A, K::BitArray, "STRANS", A::Strans, 1},
    {0x1B, K::Real8, "MAG", A::Mag, 1},
    {0x1C, K::Real8, "ANGLE", A::Angle, 1},
    {0x1D, K::Int16, "UINTEGER", A::Ignore, 0},
    {0x1E, K::Ascii, "USTRING", A::Ignore, 0},
    {0x1F, K::Ascii, "REFLIBS", A::Ignore, 0},
    {0x20, K::Ascii, "FONTS", A::Ignore, 0},
    {0x21, K::Int16, "PATHTYPE", A::PathType, 1},
    {0x22, K::Int16, "GENERATIONS", A::Ignore, 0},
    {0x23, K::Ascii, "ATTRTABLE", A::Ignore, 0},
    {0x24, K::Ascii, "STYPTABLE", A::StypTable, 0},
    {0x25, K::Int16, "STRTYPE", A::Ignore, 0},
    {0x26, K::BitArray, "ELFLAGS", A::Ignore, 0},
    {0x27, K::Int32, "ELKEY", A::Ignore, 0},
    {0x28, K::Int16, "LINKTYPE", A::Ignore, 0},
    {0x29, K::Int32, "LINKKEYS", A::Ignore, 0},
    {0x2A, K::Int16, "NODETYPE", A::Ignore, 0},
    {0x2B, K::Int16, "PROPATTR", A::Ignore, 0},
    {0x2C, K::Ascii, "PROPVALUE", A::Ignore, 0},
    {0x2D, K::None, "BOX", A::NoType, 0},
    {0x2E, K::Int16, "BOXTYPE", A::Ignore, 0},
    {0x2F, K::Int32, "PLEX", A::Ignore, 0},
    {0x30, K::Int32, "BGNEXTN", A::Ignore, 0},
    {0x31, K::Int32, "ENDEXTN", A::Ignore, 0},
    {0x32, K::Int16, "TAPENUM", A::Ignore, 0},
    {0x33, K::Int16, "TAPECODE", A::Ignore, 0},
    {0x34, K::BitArray, "STRCLASS", A::Ignore, 0},
    {0x35, K::Int32, "RESERVED", A::Ignore, 0},
    {0x36, K::Int16, "FORMAT", A::Ignore, 0},
    {0x37, K::Ascii, "MASK", A::Ignore, 0},
    {0x38, K::None, "ENDMASKS", A::Ignore, 0},
    {0x39, K::Int16, "LIBDIRSIZE", A::Ignore, 0},
    {0x3A, K::Ascii, "SRFNAME", A::Ignore, 0},
    {0x3B, K::Int16, "LIBSECUR", A::Ignore, 0},
}};

// Index by record type: the table is in type order without gaps.
constexpr bool inTypeOrder() {
  for (std::size_t i = 0; i < kTable.size(); ++i)
    if (kTable[i].type != i) return false;
  return true;
}
static_assert(inTypeOrder(), "row k holds record type k");

}  // namespace

const RecordInfo* FindRecord(std::uint8_t type, std::uint8_t kind) {
  if (type >= kTable.size()) return nullptr;
  const RecordInfo& r = kTable[type];
  return static_cast<std::uint8_t>(r.kind) == kind ? &r : nullptr;
}

std::string_view RecordName(std::uint8_t type) {
  return type < kTable.size() ? kTable[type].name : std::string_view("?");
}

}  // namespace lav::gds
