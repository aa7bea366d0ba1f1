// WriteFixed against glibc's snprintf, byte for byte, over millions of values:
// random bit patterns, the coordinate and undulation ranges, exact binary
// fractions (true halfway cases), decimal halfway neighbours, values that
// round up across a digit boundary (9.9999995), negative zero, subnormals,
// values beyond 2^52, infinities and NaNs, at every width and precision.
#include "tasks/common/fixed_format.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tests/support/process_state.hpp"

namespace egm2008 {
namespace {

struct Format {
    int width;
    int precision;
};

// The three conversions of a point line, then every precision WriteFixed takes.
constexpr Format kLineFormats[] = {{10, 6}, {11, 6}, {8, 3}};

std::string Printf(double value, Format f) {
    char text[512];
    const int n = std::snprintf(text, sizeof text, "%*.*f", f.width, f.precision, value);
    return std::string(text, static_cast<std::size_t>(n));
}

std::string Fixed(double value, Format f) {
    char text[kFixedTextLimit];
    return std::string(text, WriteFixed(text, value, f.width, f.precision));
}

// Counts and shows the first few values whose texts differ.
class Mismatches {
public:
    void Check(double value, Format f) {
        const std::string expected = Printf(value, f);
        const std::string actual = Fixed(value, f);
        if (expected == actual) return;
        if (++count_ <= 10) {
            ADD_FAILURE() << "%" << f.width << "." << f.precision << "f of " << std::hexfloat
                          << value << ": printf \"" << expected << "\", WriteFixed \"" << actual
                          << "\"";
        }
    }
    int count() const { return count_; }

private:
    int count_ = 0;
};

// A value of the kind a run writes, chosen by `kind` from the generator.
double Sample(std::mt19937_64& random, int kind) {
    switch (kind) {
        case 0:  // any bit pattern: huge, tiny, subnormal, infinite, NaN
            return std::bit_cast<double>(random());
        case 1:  // latitudes and longitudes
            return std::uniform_real_distribution<double>(-400.0, 400.0)(random);
        case 2: {  // undulations: floats widened to double
            return static_cast<double>(
                std::uniform_real_distribution<float>(-1000.0f, 1000.0f)(random));
        }
        case 3: {  // exact binary fractions: true halfway cases at 3 and 6 decimals
            const auto m = static_cast<std::int64_t>(random() % 4'000'001) - 2'000'000;
            return std::ldexp(static_cast<double>(m), -static_cast<int>(random() % 24));
        }
        case 4: {  // the doubles nearest to decimal halfway points m + 0.5 units of the last place
            const auto m = static_cast<std::int64_t>(random() % 2'000'000'001) - 1'000'000'000;
            const double unit = (random() & 1) != 0 ? 1e-3 : 1e-6;
            const double v = (static_cast<double>(m) + 0.5) * unit;
            const int step = static_cast<int>(random() % 3) - 1;  // the neighbours too
            return step == 0 ? v
                             : std::nextafter(v, step * std::numeric_limits<double>::infinity());
        }
        case 5: {  // 9.9999995, 99.9999995, ...: a carry into a new digit, around it
            const double v = 9.9999995 * std::pow(10.0, static_cast<int>(random() % 12) - 4);
            const int steps = static_cast<int>(random() % 5) - 2;
            double w = v;
            for (int k = 0; k < std::abs(steps); ++k)
                w = std::nextafter(w, steps < 0 ? 0.0 : 1e300);
            return (random() & 1) != 0 ? -w : w;
        }
        case 6: {  // beyond 2^52 and near it, where the fast path hands over
            return std::ldexp(1.0 + std::uniform_real_distribution<double>(0.0, 1.0)(random),
                              48 + static_cast<int>(random() % 20)) *
                   ((random() & 1) != 0 ? -1.0 : 1.0);
        }
        default: {  // tiny values that round to zero, or to one unit, with their signs
            const double v = std::ldexp(std::uniform_real_distribution<double>(0.5, 1.0)(random),
                                        -static_cast<int>(random() % 40));
            return (random() & 1) != 0 ? -v : v;
        }
    }
}

TEST(WriteFixed, MatchesPrintfForMillionsOfValues) {
    std::mt19937_64 random(20080808);
    Mismatches mismatches;
    for (int k = 0; k < 2'400'000; ++k) {
        const double value = Sample(random, k % 8);
        for (const Format f : kLineFormats) mismatches.Check(value, f);
        mismatches.Check(value, {static_cast<int>(random() % 20), static_cast<int>(random() % 10)});
    }
    EXPECT_EQ(mismatches.count(), 0);
}

TEST(WriteFixed, MatchesPrintfForSpecialValues) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> values = {0.0,
                                        -0.0,
                                        0.5,
                                        -0.5,
                                        1.5,
                                        2.5,
                                        0.0005,
                                        0.0015,
                                        0.0025,
                                        -0.0005,
                                        0.0000005,
                                        0.0000015,
                                        0.0000025,
                                        9.9999995,
                                        99.9999995,
                                        999.9995,
                                        9999.9995,
                                        0.9999995,
                                        -9.9999995,
                                        999.999,
                                        9999.999,
                                        static_cast<double>(9999.999f),
                                        static_cast<double>(kResultPreset),
                                        4503599627370496.0,
                                        4503599627370495.5,
                                        -4503599627370495.5,
                                        9007199254740993.0,
                                        1e18,
                                        1e19,
                                        1e300,
                                        -1e300,
                                        std::numeric_limits<double>::max(),
                                        std::numeric_limits<double>::min(),
                                        std::numeric_limits<double>::denorm_min(),
                                        -std::numeric_limits<double>::denorm_min(),
                                        inf,
                                        -inf,
                                        nan,
                                        -nan,
                                        90.0,
                                        -90.0,
                                        360.0,
                                        -180.0,
                                        359.99999949999998,
                                        0.30000000000000004};
    Mismatches mismatches;
    for (const double value : values) {
        for (int precision = 0; precision <= 9; ++precision) {
            for (const int width : {0, 1, 8, 10, 11, 20, 64})
                mismatches.Check(value, {width, precision});
        }
    }
    EXPECT_EQ(mismatches.count(), 0);
}

// Every float an undulation can be, near the plausibility bound and below it.
TEST(WriteFixed, MatchesPrintfForFloatsAroundOneMetre) {
    Mismatches mismatches;
    for (float f = 1.0f; f < 1.0f + 2e-3f; f = std::nextafter(f, 2.0f)) {
        mismatches.Check(static_cast<double>(f), {8, 3});
        mismatches.Check(static_cast<double>(-f), {8, 3});
    }
    for (float f = 999.0f; f <= 1000.0f; f = std::nextafter(f, 2000.0f)) {
        mismatches.Check(static_cast<double>(f), {8, 3});
    }
    EXPECT_EQ(mismatches.count(), 0);
}

// The user's decimal comma must not reach the file, on either path.
TEST(WriteFixed, KeepsThePointInACommaLocale) {
    const test::CommaLocale comma;
    if (comma.name().empty()) GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(Fixed(48.5, {10, 6}), " 48.500000");
    EXPECT_EQ(Fixed(-1e300, {8, 3}).substr(0, 5), "-1000");
    EXPECT_EQ(Fixed(1e300, {8, 3}).find(','), std::string::npos);
    EXPECT_EQ(Fixed(std::numeric_limits<double>::quiet_NaN(), {8, 3}), "     nan");
}

TEST(AppendFixed, AppendsToWhatIsThere) {
    std::string text = "x";
    AppendFixed(text, -0.0, 8, 3);
    AppendFixed(text, 1.0005, 0, 3);
    EXPECT_EQ(text, "x" + Printf(-0.0, {8, 3}) + Printf(1.0005, {0, 3}));
    EXPECT_EQ(text.substr(0, 9), "x  -0.000");
}

}  // namespace
}  // namespace egm2008
