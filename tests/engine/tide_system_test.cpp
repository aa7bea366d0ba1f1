// TideCorrection and InTideSystem: Ekman's corrections held against their
// values at the equator, the poles and the zero-tide crossing, the same for
// north and south, and tide-free leaving N untouched to the bit.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "engine/tide_system.hpp"

namespace egm2008::engine {
namespace {

struct CorrectionCase {
    const char* name;
    TideSystem system;
    double latitude;
    double metres;     // the formula's value
    double tolerance;  // metres
};

const CorrectionCase kCorrections[] = {
    {"MeanAtEquator", TideSystem::MeanTide, 0.0, 0.1287, 1e-12},
    {"MeanAtNorthPole", TideSystem::MeanTide, 90.0, -0.2561, 1e-12},
    {"MeanAtSouthPole", TideSystem::MeanTide, -90.0, -0.2561, 1e-12},
    {"MeanNearNorthPole", TideSystem::MeanTide, 89.999999, -0.2561, 1e-9},
    {"ZeroAtEquator", TideSystem::ZeroTide, 0.0, 0.0297, 1e-12},
    {"ZeroAtNorthPole", TideSystem::ZeroTide, 90.0, -0.0591, 1e-12},
    {"ZeroAtSouthPole", TideSystem::ZeroTide, -90.0, -0.0591, 1e-12},
    {"ZeroNearItsCrossingNorth", TideSystem::ZeroTide, 35.26, 0.0, 1e-3},
    {"ZeroNearItsCrossingSouth", TideSystem::ZeroTide, -35.26, 0.0, 1e-3},
    // At 45 degrees geodetic the geocentric latitude is 44.8076: sin^2 = 0.4966416.
    {"MeanAt45North", TideSystem::MeanTide, 45.0, 1.3 * (0.099 - 0.296 * 0.4966416), 1e-7},
    {"TideFreeAtEquator", TideSystem::TideFree, 0.0, 0.0, 0.0},
    {"TideFreeAtPole", TideSystem::TideFree, -90.0, 0.0, 0.0},
};

void PrintTo(const CorrectionCase& c, std::ostream* os) { *os << c.name; }

class TideCorrectionTest : public testing::TestWithParam<CorrectionCase> {};

TEST_P(TideCorrectionTest, GivesEkmansCorrection) {
    const CorrectionCase& c = GetParam();
    EXPECT_NEAR(TideCorrection(c.system, c.latitude), c.metres, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Table, TideCorrectionTest, testing::ValuesIn(kCorrections),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(TideCorrectionSignTest, IsTheSameNorthAndSouth) {
    for (const TideSystem system : {TideSystem::MeanTide, TideSystem::ZeroTide}) {
        for (const double latitude : {0.5, 12.25, 35.26, 47.0, 60.125, 89.75, 90.0}) {
            EXPECT_EQ(TideCorrection(system, latitude), TideCorrection(system, -latitude))
                << TideSystemName(system) << " at " << latitude;
        }
    }
}

TEST(TideCorrectionSignTest, MeanTideIsOnePointThreeOverKTimesZeroTide) {
    for (const double latitude : {-70.0, -20.0, 10.0, 52.5}) {
        EXPECT_NEAR(TideCorrection(TideSystem::MeanTide, latitude),
                    TideCorrection(TideSystem::ZeroTide, latitude) * 1.3 / 0.3, 1e-15);
    }
}

// Pins the fault of adding 0.0 for tide-free, which turns -0.0 into +0.0.
TEST(InTideSystemTest, TideFreeLeavesEveryBitOfN) {
    const double values[] = {-0.0, 0.0, 47.123456789f, -106.9f,
                             std::numeric_limits<double>::quiet_NaN()};
    for (const double n : values) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(InTideSystem(TideSystem::TideFree, 12.0, n)),
                  std::bit_cast<std::uint64_t>(n));
    }
}

TEST(InTideSystemTest, AddsTheCorrectionInDouble) {
    // Through float the sum would be off by up to 1e-6 m.
    const double n = 17.1625;
    EXPECT_NEAR(InTideSystem(TideSystem::MeanTide, 0.0, n) - n, 0.1287, 1e-13);
}

TEST(TideSystemNameTest, NamesAndBackAgain) {
    for (const TideSystem system :
         {TideSystem::TideFree, TideSystem::MeanTide, TideSystem::ZeroTide}) {
        EXPECT_EQ(TideSystemNamed(TideSystemName(system)), system);
    }
    EXPECT_EQ(TideSystemNamed("mean"), std::nullopt);
    EXPECT_EQ(TideSystemNamed("Mean-Tide"), std::nullopt);
}

}  // namespace
}  // namespace egm2008::engine
