#include "tasks/common/field_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/fake_platform.hpp"
#include "tests/support/process_state.hpp"

namespace egm2008 {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr auto kLat = FieldKind::Latitude;
constexpr auto kLon = FieldKind::Longitude;
constexpr auto kSpacing = FieldKind::Spacing;

struct ParseCase {
    std::string text;
    FieldKind kind;
    std::optional<double> value;  ///< nothing: refused
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseFieldNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST(ParseFieldNumberMark, FileNumbersTakeOnlyTheirOwnDecimalMark) {
    EXPECT_EQ(ParseFieldNumber("48.5", kLat, DecimalMark::Point), 48.5);
    EXPECT_FALSE(ParseFieldNumber("48,5", kLat, DecimalMark::Point));
    EXPECT_EQ(ParseFieldNumber("48,5 N", kLat, DecimalMark::Comma), 48.5);
    EXPECT_FALSE(ParseFieldNumber("48.5", kLat, DecimalMark::Comma));
    EXPECT_EQ(ParseFieldNumber("-12,25", kSpacing, DecimalMark::Comma), -12.25);
}

TEST_P(ParseFieldNumberTest, ReadsTheWholeTextOrRefusesIt) {
    const ParseCase& c = GetParam();
    const std::optional<double> got = ParseFieldNumber(c.text, c.kind);
    ASSERT_EQ(got.has_value(), c.value.has_value());
    if (got) {
        EXPECT_EQ(*got, *c.value);
        EXPECT_EQ(std::signbit(*got), std::signbit(*c.value));
    }
}

const std::optional<double> kRefused;

INSTANTIATE_TEST_SUITE_P(
    Decimal, ParseFieldNumberTest,
    ::testing::Values(ParseCase{"52.5", kLat, 52.5}, ParseCase{"52,5", kLat, 52.5},
                      ParseCase{"  \t-7.25\n", kLon, -7.25}, ParseCase{"+3", kLat, 3.0},
                      ParseCase{".5", kLat, 0.5}, ParseCase{"5.", kLat, 5.0},
                      ParseCase{"-0", kLat, -0.0}, ParseCase{"90°", kLat, 90.0},
                      ParseCase{"48.5°", kLon, 48.5}, ParseCase{"0.1", kLon, 0.1},
                      ParseCase{"9007199254740993", kLon, 9007199254740992.0},
                      ParseCase{"0." + std::string(400, '0') + "1", kLat, 0.0},
                      ParseCase{"12,5", kSpacing, 12.5}, ParseCase{"-1", kSpacing, -1.0}));

INSTANTIATE_TEST_SUITE_P(
    DegreesMinutesSeconds, ParseFieldNumberTest,
    ::testing::Values(ParseCase{"48°30'15.5\"", kLat, 48.0 + 30.0 / 60 + 15.5 / 3600},
                      ParseCase{"48 30 15.5", kLat, 48.0 + 30.0 / 60 + 15.5 / 3600},
                      ParseCase{"48:30:15,5", kLat, 48.0 + 30.0 / 60 + 15.5 / 3600},
                      ParseCase{"48°30'", kLat, 48.5}, ParseCase{"48 30", kLon, 48.5},
                      ParseCase{"48:30", kLon, 48.5},
                      ParseCase{"48° 30.5'", kLat, 48.0 + 30.5 / 60},
                      ParseCase{"-48°30'00\"", kLon, -48.5},
                      ParseCase{"48\u00b030\u203215\u2033", kLat, 48.0 + 30.0 / 60 + 15.0 / 3600},
                      ParseCase{"0 59 59.999", kLat, 59.0 / 60 + 59.999 / 3600},
                      // letters as signs; their closing "s" is no hemisphere
                      ParseCase{"48d30m15.5s", kLat, 48.0 + 30.0 / 60 + 15.5 / 3600},
                      ParseCase{"48d30m15.5s S", kLat, -(48.0 + 30.0 / 60 + 15.5 / 3600)},
                      ParseCase{"48d30m", kLon, 48.5}));

INSTANTIATE_TEST_SUITE_P(Hemispheres, ParseFieldNumberTest,
                         ::testing::Values(ParseCase{"52.5 N", kLat, 52.5},
                                           ParseCase{"s 33°52'", kLat, -(33.0 + 52.0 / 60)},
                                           ParseCase{"33 52 S", kLat, -(33.0 + 52.0 / 60)},
                                           ParseCase{"W77.04", kLon, -77.04},
                                           ParseCase{"13.4e", kLon, 13.4},
                                           ParseCase{"52.5N", kLat, 52.5}));

INSTANTIATE_TEST_SUITE_P(
    Refused, ParseFieldNumberTest,
    ::testing::Values(
        ParseCase{"", kLat, kRefused}, ParseCase{"   ", kLat, kRefused},
        ParseCase{"abc", kLat, kRefused}, ParseCase{"52.5x", kLat, kRefused},
        ParseCase{"nan", kLat, kRefused}, ParseCase{"inf", kLon, kRefused},
        ParseCase{"1e1", kLat, kRefused}, ParseCase{"0x10", kLon, kRefused},
        ParseCase{"1,2,3", kLat, kRefused}, ParseCase{"12.5.6", kLat, kRefused},
        ParseCase{".", kLat, kRefused}, ParseCase{"-", kLat, kRefused},
        ParseCase{"+-1", kLat, kRefused}, ParseCase{"- 1", kLat, kRefused},
        ParseCase{"1" + std::string(400, '0'), kLon, kRefused},
        // Minutes and seconds under 60; a fraction only on the last part.
        ParseCase{"48 60", kLat, kRefused}, ParseCase{"48 30 60", kLat, kRefused},
        ParseCase{"48.5 30", kLat, kRefused}, ParseCase{"48 30.5 15", kLat, kRefused},
        ParseCase{"48 30 15 2", kLat, kRefused}, ParseCase{"48:30:", kLat, kRefused},
        ParseCase{"48°30 15", kLat, kRefused}, ParseCase{"48 30'", kLat, kRefused},
        ParseCase{"48:30 15", kLat, kRefused}, ParseCase{"48'", kLat, kRefused},
        // Letters of the other axis, two letters, a letter with a sign, a letter alone.
        ParseCase{"52.5 E", kLat, kRefused}, ParseCase{"13.4 N", kLon, kRefused},
        ParseCase{"N 52 S", kLat, kRefused}, ParseCase{"-52.5 S", kLat, kRefused},
        ParseCase{"N -52.5", kLat, kRefused}, ParseCase{"N", kLat, kRefused},
        // Spacings are plain numbers.
        ParseCase{"2°30'", kSpacing, kRefused}, ParseCase{"2 30", kSpacing, kRefused},
        ParseCase{"2.5 N", kSpacing, kRefused}, ParseCase{"2.5'", kSpacing, kRefused}));

// Plain decimal text must read bit for bit as the C library's strtod reads it.
TEST(ParseFieldNumber, AgreesWithStrtodOnDecimalText) {
    std::mt19937 random(20080101);
    for (int n = 0; n < 100000; ++n) {
        std::string text = random() % 2 ? "-" : "";
        const int whole = static_cast<int>(random() % 12),
                  fraction = static_cast<int>(random() % 20);
        for (int k = 0; k < whole; ++k) text.push_back(static_cast<char>('0' + random() % 10));
        text.push_back('.');
        for (int k = 0; k < fraction; ++k) text.push_back(static_cast<char>('0' + random() % 10));
        if (whole + fraction == 0) text.push_back('7');
        const double expected = std::strtod(text.c_str(), nullptr);
        const std::optional<double> got = ParseFieldNumber(text, kLon);
        ASSERT_TRUE(got && *got == expected && std::signbit(*got) == std::signbit(expected))
            << "text \"" << text << "\": strtod " << expected;
    }
}

TEST(ParseFieldNumber, AnyBytesAreSafe) {
    std::mt19937 random(7);
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        const int length = static_cast<int>(random() % 64);
        for (int k = 0; k < length; ++k) text.push_back(static_cast<char>(random() % 256));
        for (FieldKind kind : {kLat, kLon, kSpacing}) {
            const std::optional<double> value = ParseFieldNumber(text, kind);
            EXPECT_TRUE(!value || std::isfinite(*value));
        }
    }
}

// Fields were once cut to 31 characters, which read a 32-digit number as a tenth of itself.
TEST(ParseFieldNumber, ReadsPastThirtyOneCharacters) {
    EXPECT_EQ(ParseFieldNumber("1" + std::string(31, '0'), kLon), 1e31);
    EXPECT_EQ(ParseFieldNumber("0." + std::string(30, '0') + "5", kLat), 5e-31);
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
    FieldRefusals refusals(platform);
    EXPECT_EQ(refusals.Read(1000, kLat, "Latitude"), 48.5);
    EXPECT_FALSE(refusals.Finish());
    EXPECT_TRUE(platform.notices.empty() && platform.fieldErrors.empty());
    EXPECT_TRUE(platform.statuses.empty() && platform.focused.empty());
    WriteFieldNumber(platform, 1000, 48.5);
    EXPECT_EQ(platform.Field(1000), "48.50000000");
}

// Every refused field is marked beside itself at once, named and quoted; the focus
// goes into the first, and the status line gives its reason and the count.
TEST(FieldNumbers, RefusedFieldsAreMarkedAtOnceAndTheFirstFocused) {
    test::FakePlatform platform;
    platform.fields[1000] = "52.5x";
    platform.fields[1009] = "10";
    platform.fields[1013] = "2°";
    // Quoted up to 60 bytes; the degree sign across that mark is left out whole.
    platform.fields[1001] = std::string(59, '7') + "°°";
    FieldRefusals refusals(platform);
    EXPECT_FALSE(refusals.Read(1000, kLat, "Latitude"));
    EXPECT_EQ(refusals.Read(1009, kLat, "Latitude 1"), 10.0);
    EXPECT_FALSE(refusals.Read(1013, kSpacing, "Lat. spacing"));
    EXPECT_FALSE(refusals.Read(1001, kLon, "Longitude"));
    refusals.Refuse(1009, "Error: Latitude outside valid range of -90° to +90°.");
    const std::string degrees =
        " is not a number.\nType decimal degrees (52.5 or 52,5) or degrees, minutes and seconds "
        "(52°30'00\").";
    const std::map<int, std::string> expected = {
        {1000, "Latitude: \"52.5x\"" + degrees},
        {1001, "Longitude: \"" + std::string(59, '7') + "...\"" + degrees},
        {1009, "Error: Latitude outside valid range of -90° to +90°."},
        {1013,
         "Lat. spacing: \"2°\" is not a number.\nType arc minutes as a decimal number "
         "(2.5 or 2,5)."}};
    EXPECT_EQ(platform.fieldErrors, expected);
    EXPECT_TRUE(platform.notices.empty());
    EXPECT_TRUE(platform.focused.empty());
    EXPECT_TRUE(refusals.Finish());
    EXPECT_EQ(platform.focused, (std::vector<int>{1000}));
    EXPECT_EQ(platform.statuses,
              (std::vector<std::string>{"4 fields refused. Latitude: \"52.5x\" is not a number. "
                                        "Type decimal degrees (52.5 or 52,5) or degrees, minutes "
                                        "and seconds (52°30'00\")."}));
}

// Without marks of its own a platform tells a refusal as an error message.
TEST(FieldNumbers, APlatformWithoutMarksTellsTheRefusal) {
    struct Plain : PagePlatform {
        std::vector<test::Notice> notices;
        std::string FieldText(int) override { return "abc"; }
        void SetFieldText(int, const std::string&) override {}
        void SetCursor(CursorShape) override {}
        std::string OpenFileDialog() override { return {}; }
        std::string SaveFileDialog() override { return {}; }
        void StartEditor(const std::string&, bool) override {}
        void Notify(const std::string& text, NoticeIcon icon) override {
            notices.push_back({text, icon});
        }
    } plain;
    FieldRefusals refusals(plain);
    EXPECT_FALSE(refusals.Read(1013, kSpacing, "Lat. spacing"));
    ASSERT_EQ(plain.notices.size(), 1u);
    EXPECT_EQ(plain.notices[0].icon, NoticeIcon::Error);
    EXPECT_EQ(plain.notices[0].text.rfind("Lat. spacing: \"abc\" is not a number.", 0), 0u);
}

// A user locale whose decimal separator is a comma changes neither direction.
TEST(FieldNumbers, IgnoreTheProcessLocale) {
    const test::CommaLocale comma;
    if (comma.name().empty()) GTEST_SKIP() << "no locale with a decimal comma is installed";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << comma.name();
    EXPECT_EQ(ParseFieldNumber("52.5", kLat), 52.5);
    EXPECT_EQ(ParseFieldNumber("52,5", kLat), 52.5);
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
