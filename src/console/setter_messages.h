// The texts of the setters and of value entry, in UTF-8; they become Shift-JIS where they enter a
// message box (sjis::fromUtf8). "%d" and "%s" mark where FillIn puts its arguments.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace lav::command::msg {

inline constexpr const char* kErrorCaption = "Error";

inline constexpr const char* kRangeFromTo = "入力範囲は %d から %d までです。";
inline constexpr const char* kRangeZeroToTwo = "入力範囲は０から２までです。";
inline constexpr const char* kRangeZeroOrOneSpaced = "入力範囲は ０ か １ です。";
inline constexpr const char* kInputZeroOrOne = "入力の範囲は ０ か １ です。";
inline constexpr const char* kRangeZeroToThree = "入力範囲は０から３です。";
inline constexpr const char* kGscaleMinimum = "グラフィックススケースの最小値は %s です。";
inline constexpr const char* kGridAtLeastOne = "１以上の値でなければ゛いけません。";
inline constexpr const char* kLayerRange = "入力の範囲は０層から６３層までです。";
inline constexpr const char* kElementTypeRange = "入力の範囲は ０ から ５ までです。";
inline constexpr const char* kWidthRange = "入力の範囲は 0 または %s 以上です。";

inline constexpr const char* kHatchLinesCaption = "斜線塗り線数の範囲";
inline constexpr const char* kHatchFillCaption = "斜線塗り有効化";
inline constexpr const char* kSingleCellCaption = "シングル セルの表示";
inline constexpr const char* kArrayFrameCaption = "アレイ セルの枠表示";
inline constexpr const char* kNestCaption = "階層の範囲";

// A value that cannot be held (beyond the int32 range of the stored setting, or not a number).
inline constexpr const char* kValueTooLarge =
    "入力値が範囲外です。絶対値が %s 以下の値を入力して下さい。";
// A value that is no finite number (a division by zero on the way).
inline constexpr const char* kNotANumber = "入力値を数値として扱えません。";
// The design's database unit outside 1..1,000,000.
inline constexpr const char* kDatabaseUnitRange =
    "データベース単位の範囲は 1 から 1000000 までです。";

// The template with each "%d" or "%s" replaced by the next argument, in order.
inline std::string FillIn(std::string_view utf8Template,
                          std::initializer_list<std::string_view> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < utf8Template.size(); ++i) {
    if (utf8Template[i] == '%' && i + 1 < utf8Template.size() &&
        (utf8Template[i + 1] == 'd' || utf8Template[i + 1] == 's') && next != args.end()) {
      out += *next++;
      ++i;
    } else {
      out += utf8Template[i];
    }
  }
  return out;
}

}  // namespace lav::command::msg
