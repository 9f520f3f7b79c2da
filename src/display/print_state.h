// The print settings kept from one print to the next while the program runs.
#pragma once

#include <cstdint>

namespace lav::display {

// The unit radio buttons of the print dialog; one user unit stands for this length. The design
// header keeps the choice as 1 to 5 (button - 600).
inline constexpr int kUnitMicron = 601;
inline constexpr int kUnitKilometre = 605;

struct PrintState {
  // `PrintRect`, database units; unset while x0 == x1.
  std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  // `PrintMagnification`: paper length per design length, design lengths in the chosen unit.
  double magnification = 1.0;
  // `Printing`: 1 while a page is drawn.
  int printing = 0;

  bool rectSet() const { return x0 != x1; }
};

}  // namespace lav::display
