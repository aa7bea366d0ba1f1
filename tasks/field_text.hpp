// Numbers in a page's edit fields.
//
// A field read delivers at most the first 31 characters of the field's text.
// The text is converted as the Windows runtime's `_wtof` converts it: leading
// white space is skipped, then an optional sign, decimal digits with "." as
// the separator and an optional exponent ("e" or "E", optional sign, digits)
// are taken up to the first character that does not fit. Text that does not
// begin with such a number reads as 0: "52,5" is 52, "1e1" is 10, "" is 0,
// and "inf", "nan" and "0x10" (not decimal numbers to `_wtof`) read 0 as far
// as they do not fit. A value too large for a double reads as +-infinity, one
// too small as 0. A value goes back into its field as "%.8lf" does it.
//
// Both directions use "." whatever the process locale; no input is undefined.
#pragma once

#include <locale.h>
#include <string>
#include <string_view>

#include "tasks/page_platform.hpp"

namespace egm2008 {

/// Characters a field read delivers; the rest of the text is cut off.
inline constexpr std::size_t kFieldTextLimit = 31;

/// The first 31 characters of `text` (UTF-8; a stray byte counts as one character).
std::string CutFieldText(std::string_view text);

/// The number at the start of `text`, as `_wtof` reads it; 0 when there is none.
double ParseFieldNumber(std::string_view text);

/// `value` as "%.8lf" in the "C" locale: 52 gives "52.00000000", -7.5 "-7.50000000".
std::string FormatFieldNumber(double value);

/// `value` as "%.<decimals>f" in the "C" locale (0 <= decimals <= 17).
std::string FormatFixed(double value, int decimals);

/// Reads field `id` (cut to 31 characters) and converts it.
double ReadFieldNumber(PagePlatform& platform, int id);

/// Writes `value` into field `id` as "%.8lf".
void WriteFieldNumber(PagePlatform& platform, int id, double value);

/// Makes printf and scanf of the current thread use the "C" locale's numbers
/// while the object lives, whatever locale the program has set (a desktop
/// program takes the user's, whose decimal separator may be a comma).
class CNumericScope {
public:
    CNumericScope();
    ~CNumericScope();
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;

private:
    locale_t previous_ = nullptr;
};

}  // namespace egm2008
