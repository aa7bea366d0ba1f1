#include "tasks/common/fixed_format.hpp"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "tasks/common/field_text.hpp"

namespace egm2008 {

namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t kPowers[] = {1,      10,      100,      1000,      10000,
                                     100000, 1000000, 10000000, 100000000, 1000000000};

// Scaled values up to this are written here; larger ones go to snprintf.
constexpr std::uint64_t kScaledLimit = 1'000'000'000'000'000'000ULL;

// |value| * 10^precision rounded to an integer, halfway cases to even, computed
// exactly from the value's bits. False for non-finite values, for |value| >= 2^52
// (no fractional bits left to round) and for results beyond kScaledLimit.
bool ScaledMagnitude(std::uint64_t bits, int precision, std::uint64_t& scaled) {
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0x7FF) return false;
    int exponent = -1074;  // the value is mantissa * 2^exponent
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biased - 1075;
    }
    if (mantissa == 0) {
        scaled = 0;
        return true;
    }
    if (exponent >= 0) return false;
    const int shift = -exponent;
    // Below 2^83: 53 bits of mantissa times at most 10^9.
    const Wide product = static_cast<Wide>(mantissa) * kPowers[precision];
    if (shift >= 128) {  // the product is far below one half
        scaled = 0;
        return true;
    }
    Wide quotient = product >> shift;
    const Wide remainder = product - (quotient << shift);
    const Wide half = static_cast<Wide>(1) << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0)) ++quotient;
    if (quotient > kScaledLimit) return false;
    scaled = static_cast<std::uint64_t>(quotient);
    return true;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes `n` in decimal ending just before `end`, at least `minimum` digits
// (zeros in front); returns where the digits begin.
char* DigitsBackwards(char* end, std::uint64_t n, int minimum) {
    char* at = end;
    while (n >= 100) {
        const auto pair = static_cast<std::size_t>(n % 100) * 2;
        n /= 100;
        *--at = kDigitPairs[pair + 1];
        *--at = kDigitPairs[pair];
    }
    if (n >= 10) {
        const auto pair = static_cast<std::size_t>(n) * 2;
        *--at = kDigitPairs[pair + 1];
        *--at = kDigitPairs[pair];
    } else {
        *--at = static_cast<char>('0' + n);
    }
    while (end - at < minimum) *--at = '0';
    return at;
}

char* WriteBySnprintf(char* at, double value, int width, int precision) {
    const CNumericScope numbers;
    char text[kFixedTextLimit + 1];
    const int n = std::snprintf(text, sizeof text, "%*.*f", width, precision, value);
    if (n <= 0) return at;
    const auto length =
        static_cast<std::size_t>(n) < sizeof text ? static_cast<std::size_t>(n) : sizeof text - 1;
    std::memcpy(at, text, length);
    return at + length;
}

}  // namespace

char* WriteFixed(char* at, double value, int width, int precision) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    std::uint64_t scaled = 0;
    if (!ScaledMagnitude(bits, precision, scaled))
        return WriteBySnprintf(at, value, width, precision);

    // Built right to left: decimals, point, integer digits, sign.
    char text[48];
    char* const end = text + sizeof text;
    char* begin = end;
    if (precision > 0) {
        begin = DigitsBackwards(end, scaled % kPowers[precision], precision);
        *--begin = '.';
    }
    begin = DigitsBackwards(begin, scaled / kPowers[precision], 1);
    if ((bits >> 63) != 0) *--begin = '-';
    const auto length = static_cast<int>(end - begin);
    for (int pad = width - length; pad > 0; --pad) *at++ = ' ';
    std::memcpy(at, begin, static_cast<std::size_t>(length));
    return at + length;
}

void AppendFixed(std::string& out, double value, int width, int precision) {
    char text[kFixedTextLimit];
    out.append(text, static_cast<std::size_t>(WriteFixed(text, value, width, precision) - text));
}

}  // namespace egm2008
