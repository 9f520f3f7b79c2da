#include "display/print_dialog.h"

#include <cmath>
#include <cstdlib>
#include <optional>

#include "console/user_value.h"
#include "db/settings.h"

namespace lav::display {
namespace {

constexpr double kFactors[] = {0.001, 1, 10, 1000, 1000000};

// Up to two numbers read as "%lf%lf" reads them.
int ScanNumbers(std::string_view text, double out[2]) {
  const std::string s(text.substr(0, 200));
  const char* p = s.c_str();
  int n = 0;
  while (n < 2) {
    char* end = nullptr;
    const double v = std::strtod(p, &end);
    if (end == p) break;
    out[n++] = v;
    p = end;
  }
  return n;
}

// A typed user-unit coordinate in database units, truncated; nullopt beyond the int32 range.
std::optional<std::int32_t> ToDb(double userValue, std::int32_t dbPerUserUnit) {
  const double v = std::trunc(userValue * dbPerUserUnit);
  if (!std::isfinite(v) || v < -2147483648.0 || v > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(v);
}

std::string Corner(std::int32_t x, std::int32_t y, std::int32_t dbPerUserUnit) {
  return FormatTrimmedNumber(double(x) / dbPerUserUnit, 3) + " " +
         FormatTrimmedNumber(double(y) / dbPerUserUnit, 3);
}

}  // namespace

double UnitFactor(int unitButton) {
  if (unitButton < kUnitMicron || unitButton > kUnitKilometre) return kFactors[0];
  return kFactors[unitButton - kUnitMicron];
}

int UnitButton(const Settings& settings) {
  if (settings.printUnit < 1 || settings.printUnit > 5) return kUnitMicron;
  return kUnitMicron - 1 + settings.printUnit;
}

std::string FormatTrimmedNumber(double value, int decimals) {
  std::string text = command::FormatFixedTrimmed(value, decimals);
  if (text.size() > 1 && text.back() == '.') text.pop_back();
  return text;
}

PrintDialog::PrintDialog(Settings& settings, PrintState& print, const ViewState& view)
    : settings_(settings), print_(print), view_(view) {
  unit = UnitButton(settings);
  refreshCorners();
  magnificationText = FormatTrimmedNumber(print.magnification, 10);
  refreshPaper();
}

void PrintDialog::chooseUnit(int button) {
  if (button < kUnitMicron || button > kUnitKilometre) return;
  unit = button;
  settings_.printUnit = button - (kUnitMicron - 1);
  refreshPaper();
}

void PrintDialog::editUpperRight(std::string_view text) {
  upperRight = std::string(text);
  double v[2];
  if (ScanNumbers(text, v) < 2) return;
  const auto x = ToDb(v[0], settings_.dbPerUserUnit), y = ToDb(v[1], settings_.dbPerUserUnit);
  if (!x || !y) return;
  print_.x1 = *x;
  print_.y1 = *y;
  refreshPaper();
}

void PrintDialog::editLowerLeft(std::string_view text) {
  lowerLeft = std::string(text);
  double v[2];
  if (ScanNumbers(text, v) < 2) return;
  const auto x = ToDb(v[0], settings_.dbPerUserUnit), y = ToDb(v[1], settings_.dbPerUserUnit);
  if (!x || !y) return;
  print_.x0 = *x;
  print_.y0 = *y;
  refreshPaper();
}

void PrintDialog::editMagnification(std::string_view text) {
  magnificationText = std::string(text);
  double v[2];
  if (ScanNumbers(text, v) < 1 || !std::isfinite(v[0])) return;
  print_.magnification = v[0];
  refreshPaper();
}

void PrintDialog::pressGet() {
  print_.x0 = view_.window.xmin;
  print_.y0 = view_.window.ymin;
  print_.x1 = view_.window.xmax;
  print_.y1 = view_.window.ymax;
  refreshCorners();
  refreshPaper();
}

void PrintDialog::pressExecute() {
  ++print_.printing;
  executed = true;
  finished = true;
}

void PrintDialog::cancel() {
  finished = true;
}

void PrintDialog::refreshCorners() {
  upperRight = Corner(print_.x1, print_.y1, settings_.dbPerUserUnit);
  lowerLeft = Corner(print_.x0, print_.y0, settings_.dbPerUserUnit);
}

void PrintDialog::refreshPaper() {
  const double k = print_.magnification / settings_.dbPerUserUnit * UnitFactor(unit);
  paperX = "X " + FormatTrimmedNumber(std::fabs(double(print_.x1) - print_.x0) * k, 3) + "mm";
  paperY = "Y " + FormatTrimmedNumber(std::fabs(double(print_.y1) - print_.y0) * k, 3) + "mm";
}

}  // namespace lav::display
