// Fuzz target: the conversion of a page's field text.
//
// Any bytes go through the 31-character cut and the `_wtof`-like reading; the
// reading is held against an independent one: the C library's strtod in the
// "C" locale, given the text only up to the first character that cannot be
// part of a decimal number (so that strtod's own extras, hexadecimal floats,
// "inf" and "nan", never come into play). When the input holds at least eight
// bytes, its first eight are also taken as a double and written back as
// "%.<n>f" (n from the ninth byte), held against snprintf.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "tasks/field_text.hpp"

using namespace egm2008;

namespace {

bool MayBeInNumber(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E' ||
           c == ' ' || (c >= '\t' && c <= '\r');
}

// Same value, the sign of zero included; NaN never matches.
bool Same(double a, double b) { return a == b && std::signbit(a) == std::signbit(b); }

void CheckReading(std::string_view text) {
    const double value = ParseFieldNumber(text);
    if (std::isnan(value)) std::abort();

    std::string decimal;
    for (const char c : text) {
        if (!MayBeInNumber(c)) break;
        decimal.push_back(c);
    }
    const double expected = std::strtod(decimal.c_str(), nullptr);
    if (!Same(value, expected)) {
        std::fprintf(stderr, "\"%s\": read %.17g, strtod %.17g\n", decimal.c_str(), value,
                     expected);
        std::abort();
    }
}

void CheckCut(std::string_view text) {
    const std::string cut = CutFieldText(text);
    // A prefix of the text, of at most 31 characters of up to four bytes each,
    // the whole text when it has no more than 31 bytes, and cut once for all.
    if (text.substr(0, cut.size()) != cut) std::abort();
    if (cut.size() > 4 * kFieldTextLimit) std::abort();
    if (text.size() <= kFieldTextLimit && cut != text) std::abort();
    if (CutFieldText(cut) != cut) std::abort();
    CheckReading(cut);
}

void CheckFormat(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return;
    double value;
    std::memcpy(&value, data, sizeof value);
    const int decimals = data[8] % 18;
    char expected[400];
    std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
    if (FormatFixed(value, decimals) != expected) std::abort();
    if (decimals == 8 && FormatFieldNumber(value) != expected) std::abort();
    // What a field shows reads back as the value rounded to its decimals.
    if (std::isfinite(value)) {
        const double back = ParseFieldNumber(expected);
        if (!Same(back, std::strtod(expected, nullptr))) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CNumericScope numbers;  // strtod and snprintf in the "C" locale
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckReading(text);
    CheckCut(text);
    CheckFormat(data, size);
    return 0;
}
