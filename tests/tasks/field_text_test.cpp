#include "tasks/field_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "tests/support/fake_platform.hpp"
#include "tests/support/process_state.hpp"

namespace egm2008 {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ParseCase {
    std::string text;
    double value;
};

class ParseFieldNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseFieldNumberTest, ReadsAsWtofDoes) {
    const ParseCase& c = GetParam();
    const double got = ParseFieldNumber(c.text);
    EXPECT_EQ(got, c.value) << "text \"" << c.text << "\"";
    EXPECT_EQ(std::signbit(got), std::signbit(c.value)) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParseFieldNumberTest,
    ::testing::Values(ParseCase{"52,5", 52.0}, ParseCase{"12,5", 12.0}, ParseCase{"1e1", 10.0},
                      ParseCase{"", 0.0}, ParseCase{"  \t\n-7.5xyz", -7.5}, ParseCase{"+3", 3.0},
                      ParseCase{".5", 0.5}, ParseCase{"5.", 5.0}, ParseCase{"-.25", -0.25},
                      ParseCase{".", 0.0}, ParseCase{"-", 0.0}, ParseCase{"+-1", 0.0},
                      ParseCase{" - 1", 0.0}, ParseCase{"e5", 0.0}, ParseCase{".e5", 0.0},
                      ParseCase{"1e", 1.0}, ParseCase{"1e+", 1.0}, ParseCase{"1e-x", 1.0},
                      ParseCase{"1E2", 100.0}, ParseCase{"1e-2", 0.01}, ParseCase{"2.5e+1", 25.0},
                      ParseCase{"1.5e3.2", 1500.0}, ParseCase{"12.5.6", 12.5},
                      ParseCase{"90°", 90.0}, ParseCase{"abc", 0.0},
                      // Not decimal numbers to _wtof: only what fits is read.
                      ParseCase{"inf", 0.0}, ParseCase{"-infinity", 0.0}, ParseCase{"nan", 0.0},
                      ParseCase{"0x10", 0.0}, ParseCase{"1d2", 1.0}, ParseCase{"-0", -0.0},
                      ParseCase{"-0.0e7", -0.0}, ParseCase{"0000000000000000000000000001", 1.0},
                      ParseCase{"0.1", 0.1}, ParseCase{"9007199254740993", 9007199254740992.0},
                      ParseCase{"123456789012345678901234567890", 1.2345678901234568e29},
                      ParseCase{"4.9406564584124654e-324", 4.9406564584124654e-324},
                      ParseCase{"1e308", 1e308}, ParseCase{"1e309", kInf},
                      ParseCase{"-1e999", -kInf}, ParseCase{"1e-400", 0.0},
                      ParseCase{"-1e-400", -0.0}, ParseCase{"1e99999999999999999999999999", kInf},
                      ParseCase{"1e-99999999999999999999999999", 0.0},
                      ParseCase{"0." + std::string(399, '0') + "1e400", 1.0},
                      ParseCase{"1" + std::string(400, '0') + "e-400", 1.0}));

// Strings over the characters of the grammar, where _wtof and the C library's
// strtod in the "C" locale agree, must read bit for bit as strtod reads them.
TEST(ParseFieldNumber, AgreesWithStrtodOnDecimalText) {
    const std::string alphabet = " +-.0123456789eE,9";
    std::mt19937 random(20080101);
    for (int n = 0; n < 200000; ++n) {
        std::string text;
        const int length = static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k) text.push_back(alphabet[random() % alphabet.size()]);
        if (random() % 8 == 0) text += "e" + std::to_string(static_cast<int>(random() % 700) - 350);
        const double expected = std::strtod(text.c_str(), nullptr);
        const double got = ParseFieldNumber(text);
        ASSERT_TRUE(got == expected && std::signbit(got) == std::signbit(expected))
            << "text \"" << text << "\": strtod " << expected << ", got " << got;
    }
}

TEST(ParseFieldNumber, AnyBytesAreSafe) {
    std::mt19937 random(7);
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        const int length = static_cast<int>(random() % 64);
        for (int k = 0; k < length; ++k) text.push_back(static_cast<char>(random() % 256));
        const double value = ParseFieldNumber(text);
        EXPECT_FALSE(std::isnan(value));
    }
}

TEST(CutFieldText, KeepsThirtyOneCharacters) {
    EXPECT_EQ(CutFieldText(std::string(40, '7')), std::string(31, '7'));
    EXPECT_EQ(CutFieldText(std::string(31, '7')), std::string(31, '7'));
    EXPECT_EQ(CutFieldText("52.5"), "52.5");
    EXPECT_EQ(CutFieldText(""), "");
    // "°" is two bytes: 31 of them are 62 bytes, and no sequence is split.
    std::string degrees;
    for (int k = 0; k < 40; ++k) degrees += "°";
    EXPECT_EQ(CutFieldText(degrees).size(), 62u);
    // Stray continuation bytes count one each.
    EXPECT_EQ(CutFieldText(std::string(40, '\x80')).size(), 31u);
}

TEST(CutFieldText, DigitsPastTheCutAreNotRead) {
    // 31 characters, then the digit that is cut off.
    const std::string text = "1" + std::string(30, '0') + "5";
    EXPECT_EQ(ParseFieldNumber(CutFieldText(text)), 1e30);
}

TEST(FormatFieldNumber, FixedPointWithEightDecimals) {
    EXPECT_EQ(FormatFieldNumber(52.0), "52.00000000");
    EXPECT_EQ(FormatFieldNumber(-7.5), "-7.50000000");
    EXPECT_EQ(FormatFieldNumber(0.0), "0.00000000");
    EXPECT_EQ(FormatFieldNumber(-0.0), "-0.00000000");
    EXPECT_EQ(FormatFieldNumber(1.0 / 3.0), "0.33333333");
    EXPECT_EQ(FormatFieldNumber(0.000000005), "0.00000001");
    EXPECT_EQ(FormatFieldNumber(1e20), "100000000000000000000.00000000");
    EXPECT_EQ(FormatFieldNumber(kInf), "inf");
    EXPECT_EQ(FormatFieldNumber(-std::numeric_limits<double>::max()).size(), 1u + 309u + 9u);
    EXPECT_EQ(FormatFixed(-3.5, 4), "-3.5000");
    EXPECT_EQ(FormatFixed(static_cast<double>(52.1234f), 3), "52.123");
}

TEST(FormatFieldNumber, MatchesPrintf) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> value(-400.0, 400.0);
    for (int n = 0; n < 20000; ++n) {
        const double v = value(random);
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.8lf", v);
        ASSERT_EQ(FormatFieldNumber(v), expected);
    }
}

TEST(FieldNumbers, ReadAndWriteThroughThePlatform) {
    test::FakePlatform platform;
    platform.fields[1000] = "  48.5 N";
    EXPECT_EQ(ReadFieldNumber(platform, 1000), 48.5);
    WriteFieldNumber(platform, 1000, 48.5);
    EXPECT_EQ(platform.Field(1000), "48.50000000");
}

// A user locale whose decimal separator is a comma changes neither direction.
TEST(FieldNumbers, IgnoreTheProcessLocale) {
    const test::CommaLocale comma;
    if (comma.name().empty()) GTEST_SKIP() << "no locale with a decimal comma is installed";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << comma.name();
    EXPECT_EQ(ParseFieldNumber("52.5"), 52.5);
    EXPECT_EQ(ParseFieldNumber("52,5"), 52.0);
    EXPECT_EQ(FormatFieldNumber(-7.5), "-7.50000000");
    {
        const CNumericScope numbers;
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        EXPECT_STREQ(probe, "1.5");
    }
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5");
}

}  // namespace
}  // namespace egm2008
