// Numbers typed on the command line, read strictly in the "C" conventions:
// an optional sign, digits with "." as the decimal point, an optional
// exponent, and nothing else. "12,5", "abc", "", " 1", "nan", "inf" and "0x10"
// are refused rather than read as 12 or 0 as the window's fields would.
#pragma once

#include <optional>
#include <string_view>

namespace egm2008::cli {

/// The decimal number `text` spells, or nothing when it is not exactly one (or overflows).
std::optional<double> ParseStrictDouble(std::string_view text);

/// The decimal integer `text` spells (optional sign, digits only), or nothing.
std::optional<int> ParseStrictInt(std::string_view text);

}  // namespace egm2008::cli
