#include "tasks/common/number_scan.hpp"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include "tasks/common/field_text.hpp"

namespace egm2008 {

namespace {

// The white space of the "C" locale, as isspace sees it.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// More significant digits than this go to sscanf.
constexpr int kMaxDigits = 19;
// Exponents written with more digits than this go to sscanf.
constexpr int kMaxExponentDigits = 4;

// Converts a plain decimal number at text[at], which must end at white space or
// at the end of `text`; false (nothing decided) for anything else, and for an
// exponent unless `allowExponent`.
bool PlainNumber(std::string_view text, std::size_t& at, double& value, bool allowExponent = true) {
    const std::size_t start = at;
    std::size_t i = at;
    const std::size_t size = text.size();
    bool negative = false;
    if (i < size && text[i] == '-') {
        negative = true;
        ++i;
    }
    std::uint64_t digits = 0;
    int count = 0;  // digits taken into `digits`, leading zeros not counted
    int scale = 0;  // power of ten the digits are to be multiplied by
    bool anyDigit = false;
    for (; i < size && IsDigit(text[i]); ++i) {
        anyDigit = true;
        if (digits == 0 && text[i] == '0') continue;
        if (++count > kMaxDigits) return false;
        digits = digits * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    if (i < size && text[i] == '.') {
        for (++i; i < size && IsDigit(text[i]); ++i) {
            anyDigit = true;
            --scale;
            if (digits == 0 && text[i] == '0') continue;
            if (++count > kMaxDigits) return false;
            digits = digits * 10 + static_cast<std::uint64_t>(text[i] - '0');
        }
    }
    if (!anyDigit) return false;
    if (i < size && (text[i] == 'e' || text[i] == 'E')) {
        if (!allowExponent) return false;
        ++i;
        bool negativeExponent = false;
        if (i < size && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
        int exponent = 0;
        int exponentDigits = 0;
        for (; i < size && IsDigit(text[i]); ++i) {
            if (++exponentDigits > kMaxExponentDigits) return false;
            exponent = exponent * 10 + (text[i] - '0');
        }
        if (exponentDigits == 0) return false;
        scale += negativeExponent ? -exponent : exponent;
    }
    if (i < size && !IsSpace(text[i])) return false;

    // Digits and power both exact as doubles: one correctly rounded operation
    // gives the correctly rounded value, as strtod does.
    if (digits <= (std::uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
        const auto exact = static_cast<double>(digits);
        double magnitude = scale < 0 ? exact / kExactPowers[-scale] : exact * kExactPowers[scale];
        value = negative ? -magnitude : magnitude;
        at = i;
        return true;
    }
    // Otherwise a correctly rounding conversion; out of range goes to sscanf.
    const auto [end, error] =
        std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + i) return false;
    at = i;
    return true;
}

void SkipSpace(std::string_view text, std::size_t& at) {
    while (at < text.size() && IsSpace(text[at])) ++at;
}

}  // namespace

std::string_view CStringPart(std::string_view text) {
    const void* nul = std::memchr(text.data(), '\0', text.size());
    if (nul == nullptr) return text;
    return text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
}

bool ScanTwoNumbers(std::string_view text, double& first, double& second) {
    text = CStringPart(text);
    std::size_t at = 0;
    SkipSpace(text, at);
    if (PlainNumber(text, at, first)) {
        SkipSpace(text, at);
        if (PlainNumber(text, at, second)) return true;
    }
    // Anything unusual: scanf itself, on a C string of the same text.
    thread_local std::string copy;
    copy.assign(text);
    const CNumericScope numbers;
    return std::sscanf(copy.c_str(), "%lf %lf", &first, &second) == 2;
}

bool ReadPlainDecimal(std::string_view text, double& value) {
    std::size_t at = 0;
    return PlainNumber(text, at, value, /*exponent=*/false) && at == text.size();
}

bool ScanWord(std::string_view text, std::size_t& start, std::size_t& end) {
    text = CStringPart(text);
    std::size_t at = 0;
    SkipSpace(text, at);
    if (at == text.size()) return false;
    start = at;
    while (at < text.size() && !IsSpace(text[at])) ++at;
    end = at;
    return true;
}

}  // namespace egm2008
