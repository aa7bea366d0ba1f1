// Fuzz target: the reading of a page's field text.
//
// Any bytes are read as a latitude, a longitude and a spacing field: a value,
// when there is one, is finite; the same text with a hemisphere letter of the
// other axis is refused; and a text of plain decimal digits with one "." or
// "," is held against an independent reading: the C library's strtod in the
// "C" locale. When the input holds at least eight bytes, its first eight are
// also taken as a double and written back as "%.<n>f" (n from the ninth
// byte), held against snprintf.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "tasks/common/field_text.hpp"

using namespace egm2008;
using namespace egm2008::engine;

namespace {

// Same value, the sign of zero included; NaN never matches.
bool Same(double a, double b) { return a == b && std::signbit(a) == std::signbit(b); }

// Optional sign, digits, at most one decimal mark, at least one digit.
bool IsPlainDecimal(std::string_view text) {
    std::size_t at = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
    int marks = 0, digits = 0;
    for (; at < text.size(); ++at) {
        if (text[at] >= '0' && text[at] <= '9') {
            ++digits;
        } else if (text[at] == '.' || text[at] == ',') {
            ++marks;
        } else {
            return false;
        }
    }
    return marks <= 1 && digits > 0;
}

void CheckReading(std::string_view text) {
    for (FieldKind kind : {FieldKind::Latitude, FieldKind::Longitude, FieldKind::Spacing}) {
        const std::optional<double> value = ParseFieldNumber(text, kind);
        if (value && !std::isfinite(*value)) std::abort();
    }
    // A latitude with a longitude's letter, and the reverse, is no number.
    if (ParseFieldNumber(std::string(text) + " E", FieldKind::Latitude)) std::abort();
    if (ParseFieldNumber(std::string(text) + " N", FieldKind::Longitude)) std::abort();

    if (!IsPlainDecimal(text) || text.size() > 300) return;
    std::string decimal(text);
    for (char& c : decimal) {
        if (c == ',') c = '.';
    }
    const double expected = std::strtod(decimal.c_str(), nullptr);
    const std::optional<double> value = ParseFieldNumber(text, FieldKind::Spacing);
    if (!value || !Same(*value, expected)) {
        std::fprintf(stderr, "\"%s\": strtod %.17g\n", decimal.c_str(), expected);
        std::abort();
    }
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
        const std::optional<double> back = ParseFieldNumber(expected, FieldKind::Spacing);
        if (!back || !Same(*back, std::strtod(expected, nullptr))) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CNumericScope numbers;  // strtod and snprintf in the "C" locale
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckReading(text);
    CheckFormat(data, size);
    return 0;
}
