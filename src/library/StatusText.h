#pragma once
// The count and size text of the status bar: "(N枚、画像サイズ合計S MB)".
// Portable and in UTF-16 (std::u16string), the form the status bar takes; the
// separators come from the caller, which asks the user's locale for them.
#include <cstddef>
#include <cstdint>
#include <string>

namespace mirulo::library {

// totalBytes in mebibytes (1,048,576 bytes), rounded half-to-even first to four
// decimals and that result again to three, written as "###,###,###,##0.##0":
// grouped every three digits, at least one integer digit, exactly three
// decimals. Exact for every int64 value: the arithmetic stays in integers.
// A negative total (never produced by a listing) is written with a leading '-'.
std::u16string FormatMegabytes(std::int64_t totalBytes, char16_t thousandsSeparator,
                               char16_t decimalSeparator);

// "(" + count + "枚、画像サイズ合計" + FormatMegabytes(totalBytes) + "MB)".
std::u16string StatusText(std::size_t count, std::int64_t totalBytes, char16_t thousandsSeparator,
                          char16_t decimalSeparator);

} // namespace mirulo::library
