// Reading the numbers of a point-file line as scanf reads them in the "C"
// locale, without scanf's cost for the usual case.
//
// ScanTwoNumbers gives exactly what sscanf(text, "%lf %lf", ...) gives, and
// ScanWord what "%s" takes, on the text up to its first NUL byte (where a C
// string would end). Plain decimal numbers ("-12.5", "48", ".5", "1e-3": an
// optional "-", digits with an optional ".", an optional exponent, followed by
// white space or the end) are converted here, correctly rounded like strtod;
// anything else (a leading "+", hexadecimal, "inf", "nan", more than 19
// digits, a number glued to other characters) goes to sscanf itself. White
// space is the "C" locale's: blank, tab, LF, VT, FF and CR. The functions keep
// no state and may run on several threads; the fallback switches the calling
// thread to the "C" locale's numbers for its duration.
#pragma once

#include <cstddef>
#include <string_view>

namespace egm2008 {

/// `text` up to its first NUL byte: what a C function sees of it.
std::string_view CStringPart(std::string_view text);

/// sscanf(text, "%lf %lf", &first, &second) == 2; on false both values are unspecified.
bool ScanTwoNumbers(std::string_view text, double& first, double& second);

/// True when the whole of `text` is a plain decimal number without an exponent
/// ("-12.5", "48", ".5"; no "+", no blanks), converted into `value` as strtod would.
bool ReadPlainDecimal(std::string_view text, double& value);

/// The first run of non-white-space characters after white space, as "%s" takes it:
/// false when there is none; else `start` and `end` delimit it in `text`.
bool ScanWord(std::string_view text, std::size_t& start, std::size_t& end);

}  // namespace egm2008
