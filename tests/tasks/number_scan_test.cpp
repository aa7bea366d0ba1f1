// ScanTwoNumbers and ScanWord against glibc's sscanf ("%lf %lf", " %n%*s%n")
// in the "C" locale, over millions of generated lines and a table of the
// unusual: signs, hexadecimal, inf and nan, overlong digit strings,
// exponents out of range, numbers glued to other characters, NUL bytes and
// every kind of white space.
#include "tasks/common/number_scan.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/process_state.hpp"
#include "tasks/common/field_text.hpp"

namespace egm2008 {
namespace {

struct Scan {
    bool read = false;
    std::uint64_t first = 0;  // the bits of the values, so that -0 and NaNs compare exactly
    std::uint64_t second = 0;
    bool operator==(const Scan&) const = default;
};

Scan BySscanf(const std::string& line) {
    const CNumericScope numbers;
    double a = 0.0;
    double b = 0.0;
    Scan s;
    s.read = std::sscanf(line.c_str(), "%lf %lf", &a, &b) == 2;
    if (s.read) {
        s.first = std::bit_cast<std::uint64_t>(a);
        s.second = std::bit_cast<std::uint64_t>(b);
    }
    return s;
}

Scan ByScanner(const std::string& line) {
    double a = 0.0;
    double b = 0.0;
    Scan s;
    s.read = ScanTwoNumbers(line, a, b);
    if (s.read) {
        s.first = std::bit_cast<std::uint64_t>(a);
        s.second = std::bit_cast<std::uint64_t>(b);
    }
    return s;
}

class Mismatches {
public:
    void Check(const std::string& line) {
        const Scan expected = BySscanf(line);
        const Scan actual = ByScanner(line);
        if (expected == actual) return;
        if (++count_ <= 10) {
            ADD_FAILURE() << ::testing::PrintToString(line) << ": sscanf " << expected.read << " "
                          << std::hexfloat << std::bit_cast<double>(expected.first) << " "
                          << std::bit_cast<double>(expected.second) << ", scanner " << actual.read
                          << " " << std::bit_cast<double>(actual.first) << " "
                          << std::bit_cast<double>(actual.second);
        }
    }
    int count() const { return count_; }

private:
    int count_ = 0;
};

std::string Printed(const char* format, double value, int precision) {
    char text[512];
    const int n = std::snprintf(text, sizeof text, format, precision, value);
    return std::string(text, static_cast<std::size_t>(n));
}

// One number as a point file may hold it.
std::string NumberText(std::mt19937_64& random) {
    const double coordinate = std::uniform_real_distribution<double>(-400.0, 400.0)(random);
    const int precision = static_cast<int>(random() % 24);
    switch (random() % 10) {
        case 0: return Printed("%.*f", coordinate, precision);
        case 1: return Printed("%.*e", coordinate, precision);
        case 2: return Printed("%.*g", std::bit_cast<double>(random()), 1 + precision % 18);
        case 3: return Printed("%.*g", coordinate, 17);
        case 4: {  // integers, with leading zeros sometimes
            const std::string digits = std::to_string(random() % 100000);
            return (random() % 3 == 0 ? "000" : "") + digits;
        }
        case 5: {  // ".5" and "5." forms
            const std::string digits = std::to_string(random() % 1000);
            return (random() & 1) != 0 ? "." + digits : digits + ".";
        }
        case 6: {  // the decimal halfway points between neighbouring doubles
            const double v = std::nextafter(coordinate, 1e9);
            return Printed("%.*f", (coordinate + v) / 2, 25);
        }
        case 7: {  // long mantissas: 19, 20 and more significant digits
            std::string digits = std::to_string(random() % 10) + ".";
            const int length = 15 + static_cast<int>(random() % 10);
            for (int k = 0; k < length; ++k) digits += static_cast<char>('0' + random() % 10);
            return digits;
        }
        case 8: {  // exponents at the edges of the exact fast path and of the range
            const int exponent = static_cast<int>(random() % 700) - 350;
            return std::to_string(random() % 100000) + "e" + std::to_string(exponent);
        }
        default: return Printed("%.*f", -coordinate, precision % 7);
    }
}

const char* const kSpaces[] = {" ", "  ", "\t", " \t ", "\v", "\f", "\r"};

TEST(ScanTwoNumbers, MatchesSscanfForMillionsOfLines) {
    std::mt19937_64 random(2008);
    Mismatches mismatches;
    for (int k = 0; k < 2'000'000; ++k) {
        std::string line;
        if (random() % 4 == 0) line += kSpaces[random() % 7];
        line += NumberText(random);
        line += kSpaces[random() % 7];
        line += NumberText(random);
        switch (random() % 4) {
            case 0: line += "\n"; break;
            case 1: line += " 512.3 extra\n"; break;
            case 2: break;
            default: line += "\r\n"; break;
        }
        mismatches.Check(line);
    }
    EXPECT_EQ(mismatches.count(), 0);
}

TEST(ScanTwoNumbers, MatchesSscanfForUnusualText) {
    const std::vector<std::string> lines = {"48.5 11.25\n",
                                            "+48.5 +11.25",
                                            "-0 -0.0",
                                            "0x1p3 2",
                                            "0X1.8P1 -0x.8",
                                            "inf 5",
                                            "-infinity nan",
                                            "nan(123) 1",
                                            "nan( 5",
                                            "INF NAN",
                                            "1e 5",
                                            "1e+ 5",
                                            "1e- 5",
                                            "1ee 2",
                                            "1.5e5x 3",
                                            "1.5.3 2",
                                            "0x 5",
                                            "- 5",
                                            ". 5",
                                            "-. 5",
                                            "1,5 2",
                                            "1 2,",
                                            "48.5,11.25",
                                            "48.5;11.25",
                                            "1e5000 2",
                                            "-1e5000 2",
                                            "1e-400 3",
                                            "4.9e-324 1",
                                            "2.4e-324 1",
                                            "2.4703282292062328e-324 1",
                                            "2.2250738585072011e-308 1",
                                            "1.7976931348623157e308 1.7976931348623159e308",
                                            "9007199254740993 1",
                                            "9007199254740992 1",
                                            "9007199254740993.0000000000000001 1",
                                            "123456789012345678901234567890 1e-22",
                                            "0.1e23 2",
                                            "1e22 1e23",
                                            "1e-22 1e-23",
                                            "00000000000000000000000000000000001.5 2",
                                            "0.000000000000000000000000000000001 1",
                                            "10000000000000000000 1",
                                            "9999999999999999999 1",
                                            "18446744073709551616 3",
                                            "-.5 -5.",
                                            "5. .5",
                                            "1\v2",
                                            "1\f2",
                                            "1\r2",
                                            "",
                                            " ",
                                            "\n",
                                            "1",
                                            "1 ",
                                            "1\n",
                                            "  \t 7 \t 8 9",
                                            "1e0000005 2",
                                            "1e00000000000000000005 2",
                                            "5 1e99999999999999999999",
                                            std::string("48.5\0 11.25\n", 12),
                                            std::string("48.5 11.2\0 5\n", 13),
                                            std::string("\0 48.5 11.25", 12),
                                            "48.5\xA0"
                                            "11.25",
                                            "\xEF\xBB\xBF"
                                            "48.5 11.25",
                                            "１ 2",
                                            "48.5e 11.25e",
                                            "48.5E+2 11.25E-2",
                                            "0.0 -0.0",
                                            "0e999999 1",
                                            "-0e-999999 1"};
    Mismatches mismatches;
    for (const std::string& line : lines) mismatches.Check(line);
    EXPECT_EQ(mismatches.count(), 0);
}

// The fallback to sscanf runs in the "C" locale whatever the process's locale.
TEST(ScanTwoNumbers, ReadsPointsInACommaLocale) {
    const test::CommaLocale comma;
    if (comma.name().empty()) GTEST_SKIP() << "no locale with a decimal comma is installed";
    double a = 0.0;
    double b = 0.0;
    ASSERT_TRUE(ScanTwoNumbers("48.5 11.25", a, b));
    EXPECT_EQ(a, 48.5);
    EXPECT_EQ(b, 11.25);
    ASSERT_TRUE(ScanTwoNumbers("+48.5 +11.25", a, b));  // through sscanf
    EXPECT_EQ(a, 48.5);
    EXPECT_EQ(b, 11.25);
    // In the user's locale this would read 48,5 and 11,25; in the "C" locale it stops at ",".
    EXPECT_FALSE(ScanTwoNumbers("48,5 11,25", a, b));
}

TEST(ScanWord, TakesWhatPercentSTakes) {
    const std::vector<std::string> lines = {"P17 48.5 11.25",
                                            "  \tP17\t48.5",
                                            "P17",
                                            "",
                                            "   ",
                                            "\n",
                                            "\xC3\xA4x 1 2",
                                            std::string("P1\0 7 1 2", 9),
                                            std::string("\0P1 1 2", 7),
                                            "a,b,c 1 2",
                                            "\v\fX\r"};
    for (const std::string& line : lines) {
        int start = -1;
        int end = -1;
        std::sscanf(line.c_str(), " %n%*s%n", &start, &end);
        const bool expected = start >= 0 && end >= start;
        std::size_t s = 0;
        std::size_t e = 0;
        ASSERT_EQ(ScanWord(line, s, e), expected) << ::testing::PrintToString(line);
        if (!expected) continue;
        EXPECT_EQ(s, static_cast<std::size_t>(start)) << ::testing::PrintToString(line);
        EXPECT_EQ(e, static_cast<std::size_t>(end)) << ::testing::PrintToString(line);
    }
}

TEST(CStringPart, EndsAtTheFirstNul) {
    EXPECT_EQ(CStringPart(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(CStringPart("abc"), "abc");
    EXPECT_EQ(CStringPart(std::string("\0", 1)), "");
}

}  // namespace
}  // namespace egm2008
