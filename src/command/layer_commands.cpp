#include "command/layer_commands.h"

#include <array>
#include <vector>

#include "console/tokens.h"

namespace lav::command {
namespace {

// Colour index set by commands 43..56, in command order.
constexpr std::array<std::uint8_t, 14> kColourOfCommand = {4,  6,  3,  1, 5,  2, 0,
                                                           11, 13, 10, 8, 12, 9, 7};

// The numbers at the start of the argument words, up to the first word that is not a number.
std::vector<long> leadingNumbers(std::string_view arguments) {
  std::vector<long> numbers;
  for (auto word : SplitWords(arguments)) {
    auto n = ScanInt(word);
    if (!n) break;
    numbers.push_back(*n);
  }
  return numbers;
}

bool inRange(long layer) {
  return layer >= 0 && layer < kLayerCount;
}

// The layers a plain list names: all layers when the list is empty.
std::array<bool, kLayerCount> listedLayers(const std::vector<long>& numbers) {
  std::array<bool, kLayerCount> listed{};
  if (numbers.empty()) listed.fill(true);
  for (long n : numbers)
    if (inRange(n)) listed[n] = true;
  return listed;
}

void setBit(std::uint8_t& flags, std::uint8_t bit, bool on) {
  flags = static_cast<std::uint8_t>(on ? flags | bit : flags & ~bit);
}

}  // namespace

bool IsLayerListCommand(int command) {
  return (command >= 23 && command <= 31) || (command >= 38 && command <= 56);
}

bool RunLayerListCommand(Settings& s, int command, std::string_view arguments) {
  const auto numbers = leadingNumbers(arguments);
  const auto listed = listedLayers(numbers);
  switch (command) {
    case 23:  // display set becomes exactly the listed layers
      for (int l = 0; l < kLayerCount; ++l) setBit(s.layerFlags[l], 1, listed[l]);
      return true;
    case 24:  // selection set becomes exactly the listed layers
      for (int l = 0; l < kLayerCount; ++l) setBit(s.layerSelectFlags[l], 1, listed[l]);
      return false;
    case 25:  // hatching on for exactly the listed layers
      for (int l = 0; l < kLayerCount; ++l) setBit(s.layerFillFlags[l], 1, listed[l]);
      return true;
    case 26:
    case 27:  // hatch direction set or cleared for the listed layers
      for (int l = 0; l < kLayerCount; ++l)
        if (listed[l]) setBit(s.layerFillFlags[l], 2, command == 26);
      return true;
    case 28:  // one layer: added to the display set; the caller draws it alone
      if (numbers.empty() || !inRange(numbers.front())) return false;
      setBit(s.layerFlags[numbers.front()], 1, true);
      return true;
    case 29:
    case 30:
    case 31: {  // signed lists: n adds layer n, -n removes it
      for (long n : numbers) {
        long layer = n < 0 ? -n : n;
        if (!inRange(layer)) continue;
        auto& table = command == 29   ? s.layerFlags
                      : command == 30 ? s.layerSelectFlags
                                      : s.layerFillFlags;
        setBit(table[layer], 1, n >= 0);
      }
      return command != 30;
    }
    default:
      break;
  }
  if (command >= 38 && command <= 42) {  // line style, colour kept
    const int style = command - 38;
    for (int l = 0; l < kLayerCount; ++l)
      if (listed[l]) s.layerPen[l] = static_cast<std::uint8_t>(s.layerPen[l] % 14 + 14 * style);
    return true;
  }
  if (command >= 43 && command <= 56) {  // colour, line style kept
    const int colour = kColourOfCommand[command - 43];
    for (int l = 0; l < kLayerCount; ++l)
      if (listed[l]) s.layerPen[l] = static_cast<std::uint8_t>(s.layerPen[l] / 14 * 14 + colour);
    return true;
  }
  return false;
}

}  // namespace lav::command
