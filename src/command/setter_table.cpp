// The setter rows: command, setting, accepted values, storage, refusal and prompt.
#include <array>

#include "command/setters.h"
#include "console/setter_messages.h"

namespace lav::command {
namespace {

using S = Settings;
using A = Accept;
using St = Store;
using M = MessageArg;
using Sh = Shown;
constexpr const char* kError = msg::kErrorCaption;

constexpr std::array<SetterRow, 26> kRows = {{
    {22, &S::position, A::Closed, 0, 8, St::Round, 0, msg::kRangeFromTo, M::Bounds, kError,
     "Position(%d): ", Sh::Integer, false, nullptr},
    {32, &S::fillLines, A::Closed, 30, 2000, St::Round, 0, msg::kRangeFromTo, M::Bounds,
     msg::kHatchLinesCaption, "Fill Lines(%d): ", Sh::Integer, false, nullptr},
    {37, &S::fillPaint, A::Closed, 0, 2, St::Round, 0, msg::kRangeZeroToTwo, M::None,
     msg::kHatchFillCaption, "Fill Paint(%d): ", Sh::Integer, false, nullptr},
    {57, &S::showScell, A::Closed, 0, 1, St::Round, 0, msg::kRangeZeroOrOneSpaced, M::None,
     msg::kSingleCellCaption, "Show Scell(%d): ", Sh::Integer, false, nullptr},
    {58, &S::showAcell, A::Closed, 0, 2, St::Round, 0, msg::kRangeZeroToTwo, M::None,
     msg::kArrayFrameCaption, "Show Acell(%d): ", Sh::Integer, false, nullptr},
    {59, &S::arrayMap, A::ZeroOrOne, 0, 1, St::Exact, 0, msg::kInputZeroOrOne, M::None, kError,
     "ArrayMap(%d): ", Sh::Integer, false, nullptr},
    {60, &S::showBase, A::Closed, 0, 11, St::Round, 0, msg::kRangeFromTo, M::Bounds, kError,
     "Show Base(%d): ", Sh::Integer, false, nullptr},
    {61, &S::showBaseName, A::Closed, 0, 11, St::Round, 0, msg::kRangeFromTo, M::Bounds, kError,
     "Show BaseName(%d): ", Sh::Integer, false, nullptr},
    {62, &S::showTextBase, A::Closed, 0, 12, St::Round, 0, msg::kRangeFromTo, M::Bounds, kError,
     "Show TextBase(%d): ", Sh::Integer, false, nullptr},
    {63, &S::lineMode, A::Closed, 0, 2, St::Round, 0, msg::kRangeFromTo, M::Bounds, kError,
     "Line(%d): ", Sh::Integer, false, nullptr},
    {64, &S::nest, A::Closed, 0, 11, St::Round, 0, msg::kRangeFromTo, M::Bounds, msg::kNestCaption,
     "Nest(%d): ", Sh::Integer, false, nullptr},
    {66, &S::gscale, A::ZeroOrMinLength, 1, 0, St::DbLength, 1, msg::kGscaleMinimum,
     M::MinLengthFixed9, kError, "Gscale(%s): ", Sh::LengthFixed3, false, &S::gscaleCopy},
    {67, &S::grid, A::BelowHigh, 0, 32767, St::Round, 0, msg::kGridAtLeastOne, M::None, kError,
     "Grid(%d): ", Sh::Integer, false, nullptr},
    {70, &S::cursorSize, A::Any, 0, 0, St::AbsRound, 0, nullptr, M::None, kError,
     "Cursor(%d): ", Sh::Integer, false, nullptr},
    {71, &S::hight, A::Closed, 1, 32000, St::Round, 0, msg::kRangeFromTo, M::Bounds, kError,
     "Hight(%d): ", Sh::Integer, false, nullptr},
    {72, &S::acuteTip, A::Closed, 0, 1, St::Round, 0, msg::kInputZeroOrOne, M::None, kError,
     "Acute tip(%d): ", Sh::Integer, false, nullptr},
    {76, &S::absMode, A::Closed, 0, 3, St::Round, 0, msg::kRangeZeroToThree, M::None, kError,
     "Abs(%d): ", Sh::Integer, false, nullptr},
    {78, &S::showLocation, A::Closed, 0, 1, St::Round, 0, msg::kInputZeroOrOne, M::None, kError,
     "Show location(%d): ", Sh::Integer, false, nullptr},
    {81, &S::layer, A::Closed, 0, 63, St::Round, 0, msg::kLayerRange, M::None, kError,
     "Layer(%d): ", Sh::Integer, true, nullptr},
    {82, &S::elementType, A::Closed, 0, 5, St::Round, 0, msg::kElementTypeRange, M::None, kError,
     "Element Type(%d): ", Sh::Integer, true, nullptr},
    {83, &S::width, A::ZeroOrMinLength, 2, 0, St::DbLength, 0, msg::kWidthRange, M::MinLengthUser,
     kError, "Width(%s): ", Sh::UserLength, false, nullptr},
    {84, &S::lineTipType, A::ZeroOrOne, 0, 1, St::Exact, 0, msg::kInputZeroOrOne, M::None, kError,
     "Line tip Type(%d): ", Sh::Integer, true, nullptr},
    {87, &S::reflection, A::ZeroOrOne, 0, 1, St::Exact, 0, msg::kInputZeroOrOne, M::None, kError,
     "Reflection(%d): ", Sh::Integer, false, nullptr},
    {88, &S::angle, A::Any, 0, 0, St::Angle, 0, nullptr, M::None, kError,
     "Angle(%s): ", Sh::Millionths, false, nullptr},
    {89, &S::magnification, A::Any, 0, 0, St::Magnification, 0, nullptr, M::None, kError,
     "Magnify(%s): ", Sh::Millionths, false, nullptr},
    {108, &S::lock, A::Closed, 0, 3, St::Round, 0, msg::kRangeFromTo, M::Bounds, kError,
     "Lock(%d): ", Sh::Integer, false, nullptr},
}};

}  // namespace

const SetterRow* FindSetterRow(std::int32_t command) {
  for (const auto& row : kRows)
    if (row.command == command) return &row;
  return nullptr;
}

}  // namespace lav::command
