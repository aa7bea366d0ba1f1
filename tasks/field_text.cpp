#include "tasks/field_text.hpp"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace egm2008 {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The white space of the "C" locale.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Bytes a UTF-8 sequence with this lead byte should have; 1 for ASCII and stray bytes.
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// An exponent this large in magnitude already makes any mantissa overflow or vanish.
constexpr std::int64_t kExponentCap = 1'000'000'000;

}  // namespace

std::string CutFieldText(std::string_view text) {
    std::size_t at = 0;
    for (std::size_t characters = 0; characters < kFieldTextLimit && at < text.size();
         ++characters) {
        const std::size_t length = SequenceLength(static_cast<unsigned char>(text[at]));
        ++at;
        for (std::size_t k = 1;
             k < length && at < text.size() && IsContinuation(static_cast<unsigned char>(text[at]));
             ++k) {
            ++at;
        }
    }
    return std::string(text.substr(0, at));
}

namespace {

// The exponent written from `at` on ("e", a sign, digits, capped); 0 unless at
// least one digit follows the "e" and its sign.
std::int64_t WrittenExponent(std::string_view text, std::size_t at) {
    if (at >= text.size() || (text[at] != 'e' && text[at] != 'E')) return 0;
    std::size_t look = at + 1;
    bool negative = false;
    if (look < text.size() && (text[look] == '+' || text[look] == '-')) {
        negative = text[look] == '-';
        ++look;
    }
    std::int64_t written = 0;
    for (; look < text.size() && IsDigit(text[look]); ++look) {
        if (written < kExponentCap) written = written * 10 + (text[look] - '0');
    }
    return negative ? -written : written;
}

}  // namespace

double ParseFieldNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsSpace(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }

    // The value is digits x 10^exponent, digits taken without the point.
    std::string digits;
    std::int64_t exponent = 0;
    bool anyDigit = false;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        anyDigit = true;
        if (!digits.empty() || text[at] != '0') digits.push_back(text[at]);
    }
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && IsDigit(text[at]); ++at) {
            anyDigit = true;
            if (!digits.empty() || text[at] != '0') digits.push_back(text[at]);
            --exponent;
        }
    }
    if (!anyDigit) return 0.0;

    exponent += WrittenExponent(text, at);

    const double zero = negative ? -0.0 : 0.0;
    if (digits.empty()) return zero;
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }
    // The value lies in [10^(magnitude-1), 10^magnitude).
    const std::int64_t magnitude = static_cast<std::int64_t>(digits.size()) + exponent;
    const double infinity = negative ? -std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::infinity();
    if (magnitude > 400) return infinity;
    if (magnitude < -400) return zero;

    digits.push_back('e');
    digits += std::to_string(exponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) return magnitude > 0 ? infinity : zero;
    if (error != std::errc()) return zero;
    return negative ? -value : value;
}

std::string FormatFixed(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 17) decimals = 17;
    // Room for the 309 integer digits of the largest double, a sign, a point and the decimals.
    char buffer[360];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc()) return {};
    return std::string(buffer, end);
}

std::string FormatFieldNumber(double value) { return FormatFixed(value, 8); }

double ReadFieldNumber(PagePlatform& platform, int id) {
    return ParseFieldNumber(CutFieldText(platform.FieldText(id)));
}

void WriteFieldNumber(PagePlatform& platform, int id, double value) {
    platform.SetFieldText(id, FormatFieldNumber(value));
}

CNumericScope::CNumericScope() {
    static const locale_t numbers = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    if (numbers != locale_t{}) previous_ = ::uselocale(numbers);
}

CNumericScope::~CNumericScope() {
    if (previous_ != locale_t{}) ::uselocale(previous_);
}

}  // namespace egm2008
