// Writing numbers as printf's "%<width>.<precision>f" writes them in the "C"
// locale, without printf's cost for the usual case.
//
// The digits are those of the exact binary value rounded to `precision`
// decimals, halfway cases to even, as glibc's printf rounds in the default
// rounding mode; a negative value, negative zero included, keeps its "-"
// also when it rounds to zero; the text is padded with blanks on the left to
// `width` characters and never cut. Values of 2^52 and above, infinities and
// NaNs are handed to snprintf itself (in the "C" locale), so every double gives
// exactly printf's text. No state; safe on several threads.
#pragma once

#include <cstddef>
#include <string>

namespace egm2008 {

/// Longest text WriteFixed writes for a precision of at most 9 (the largest
/// double has 309 integer digits) and a width of at most 64.
inline constexpr std::size_t kFixedTextLimit = 384;

/// Writes `value` as "%<width>.<precision>f" to `at` (room for kFixedTextLimit
/// characters, no NUL written) and returns the end. 0 <= precision <= 9, 0 <= width <= 64.
char* WriteFixed(char* at, double value, int width, int precision);

/// Appends `value` as "%<width>.<precision>f" to `out`.
void AppendFixed(std::string& out, double value, int width, int precision);

}  // namespace egm2008
