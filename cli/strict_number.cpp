#include "cli/strict_number.hpp"

#include <charconv>
#include <cmath>
#include <system_error>

namespace egm2008::cli {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of digits at `pos`.
std::size_t Digits(std::string_view text, std::size_t pos) {
    std::size_t n = 0;
    while (pos + n < text.size() && IsDigit(text[pos + n])) ++n;
    return n;
}

}  // namespace

std::optional<double> ParseStrictDouble(std::string_view text) {
    // Check the shape first: from_chars alone would take "inf", "nan" and hex digits.
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    const std::size_t whole = Digits(text, pos);
    pos += whole;
    std::size_t fraction = 0;
    if (pos < text.size() && text[pos] == '.') {
        fraction = Digits(text, pos + 1);
        pos += 1 + fraction;
    }
    if (whole + fraction == 0) return std::nullopt;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t p = pos + 1;
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
        const std::size_t exponent = Digits(text, p);
        if (exponent == 0) return std::nullopt;
        pos = p + exponent;
    }
    if (pos != text.size()) return std::nullopt;

    // from_chars takes no leading '+'.
    std::string_view body = text;
    if (!body.empty() && body.front() == '+') body.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec != std::errc{} || end != body.data() + body.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseStrictInt(std::string_view text) {
    const std::size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const std::size_t digits = Digits(text, sign);
    if (digits == 0 || sign + digits != text.size()) return std::nullopt;
    std::string_view body = text;
    if (body.front() == '+') body.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec != std::errc{} || end != body.data() + body.size()) return std::nullopt;
    return value;
}

}  // namespace egm2008::cli
