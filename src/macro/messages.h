// The texts of variables and expressions, in UTF-8; they become Shift-JIS where they enter a
// message box (sjis::fromUtf8).
#pragma once

namespace lav::macro::msg {

inline constexpr const char* kErrorCaption = "Error";
inline constexpr const char* kSymbolMemoryFull = "シンボル用のメモリーが不足しました。";
inline constexpr const char* kNameTooLong = "変数名が長すぎます。変数名は２５５バイトまでです。";
inline constexpr const char* kValueTooLong = "変数の値が長すぎます。値は２５５バイトまでです。";
inline constexpr const char* kLineTooLong =
    "行が長すぎます。変数と関数を展開した行は２９９文字までです。";

// The result of a function that has no value (TAN at a multiple of 90 degrees, a power that is
// not a number); it is not a number, so reading the line as values fails.
inline constexpr const char* kNoResult = "ERROR";

}  // namespace lav::macro::msg
