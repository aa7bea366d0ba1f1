// The rules maps and plots are drawn by: the colour limits and the legend's
// ticks (fitted to the data, or symmetric about 0), the axes of plots, the
// labels of ticks, the even sample of a long run and the box of a point map.
#include "tasks/maps/colour_legend.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tasks/maps/even_sample.hpp"
#include "tasks/maps/point_map.hpp"

namespace egm2008 {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct LegendCase {
    const char* name;
    std::vector<double> values;
    ColourFit fit;
    double lower, upper, step;
    std::vector<std::string> labels;
};

void PrintTo(const LegendCase& c, std::ostream* os) { *os << c.name; }

class FitColourLegendTest : public ::testing::TestWithParam<LegendCase> {};

TEST_P(FitColourLegendTest, LimitsAndTicks) {
    const LegendCase& c = GetParam();
    ValueRange range;
    for (const double v : c.values) range.Add(v);
    const ColourLegend legend = FitColourLegend(range, c.fit);
    EXPECT_EQ(legend.fit, c.fit);
    EXPECT_NEAR(legend.ticks.lower, c.lower, 1e-9);
    EXPECT_NEAR(legend.ticks.upper, c.upper, 1e-9);
    EXPECT_DOUBLE_EQ(legend.ticks.step, c.step);
    EXPECT_EQ(legend.ticks.labels, c.labels);
    ASSERT_EQ(legend.ticks.values.size(), c.labels.size());
    EXPECT_EQ(legend.ticks.values.front(), legend.ticks.lower);
    // The data lie within the limits.
    if (!range.empty()) {
        EXPECT_LE(legend.ticks.lower, range.least);
        EXPECT_GE(legend.ticks.upper, range.most);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, FitColourLegendTest,
    ::testing::Values(
        // Fault pinned: N of 40 to 50 m drawn on a scale of -60 to 60 m, all one red.
        LegendCase{"FittedFortyToFifty",
                   {40.3, 44.0, 49.6},
                   ColourFit::Fitted,
                   40,
                   50,
                   2,
                   {"40", "42", "44", "46", "48", "50"}},
        LegendCase{"FittedEndsOnTicksStay",
                   {40.0, 50.0},
                   ColourFit::Fitted,
                   40,
                   50,
                   2,
                   {"40", "42", "44", "46", "48", "50"}},
        // Rounded outward to 50 m: -150 and 100, five steps.
        LegendCase{"FittedGlobe",
                   {-106.9, 85.8},
                   ColourFit::Fitted,
                   -150,
                   100,
                   50,
                   {"-150", "-100", "-50", "0", "50", "100"}},
        // 0.2 m steps would take seven intervals (-30.4 to -29.0 is six, -30.2 too): six kept.
        LegendCase{"FittedNegative",
                   {-30.2, -29.1},
                   ColourFit::Fitted,
                   -30.2,
                   -29.0,
                   0.2,
                   {"-30.2", "-30.0", "-29.8", "-29.6", "-29.4", "-29.2", "-29.0"}},
        // Steps of 1 rounded outward would make seven intervals (0 to 7): steps of 2.
        LegendCase{"FittedTooManyIntervalsTakesTheNextStep",
                   {0.1, 6.05},
                   ColourFit::Fitted,
                   0,
                   8,
                   2,
                   {"0", "2", "4", "6", "8"}},
        // A constant lattice: widened to 0.1 m about its value.
        LegendCase{"FittedConstant",
                   {47.3, 47.3, 47.3},
                   ColourFit::Fitted,
                   47.24,
                   47.36,
                   0.02,
                   {"47.24", "47.26", "47.28", "47.30", "47.32", "47.34", "47.36"}},
        // Nodes outside the grid are NaN; infinities are no data either.
        LegendCase{"FittedIgnoresNanAndInfinity",
                   {kNaN, 41.0, kInfinity, 49.0, -kInfinity, kNaN},
                   ColourFit::Fitted,
                   40,
                   50,
                   2,
                   {"40", "42", "44", "46", "48", "50"}},
        LegendCase{"FittedEmpty",
                   {kNaN},
                   ColourFit::Fitted,
                   -1,
                   1,
                   0.5,
                   {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
        LegendCase{"SymmetricFortyToFifty",
                   {40.3, 49.6},
                   ColourFit::Symmetric,
                   -60,
                   60,
                   20,
                   {"-60", "-40", "-20", "0", "20", "40", "60"}},
        // The largest |N| on either side sets the limit.
        LegendCase{"SymmetricLargestBelowZero",
                   {-107.0, 85.0},
                   ColourFit::Symmetric,
                   -150,
                   150,
                   50,
                   {"-150", "-100", "-50", "0", "50", "100", "150"}},
        LegendCase{"SymmetricSmall",
                   {0.3, -0.1},
                   ColourFit::Symmetric,
                   -0.3,
                   0.3,
                   0.1,
                   {"-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2", "0.3"}},
        LegendCase{"SymmetricConstantZero",
                   {0.0, 0.0},
                   ColourFit::Symmetric,
                   -1,
                   1,
                   0.5,
                   {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
        LegendCase{"SymmetricIgnoresNan",
                   {kNaN, -3.0, kNaN},
                   ColourFit::Symmetric,
                   -3,
                   3,
                   1,
                   {"-3", "-2", "-1", "0", "1", "2", "3"}},
        LegendCase{"SymmetricEmpty",
                   {},
                   ColourFit::Symmetric,
                   -1,
                   1,
                   0.5,
                   {"-1.0", "-0.5", "0.0", "0.5", "1.0"}}),
    [](const ::testing::TestParamInfo<LegendCase>& p) { return std::string(p.param.name); });

TEST(FitAxis, WidensANarrowRangeToTheLeastSpan) {
    ValueRange range;
    range.Add(0.0);
    const AxisTicks ticks = FitAxis(range, 1.0);
    EXPECT_NEAR(ticks.lower, -0.6, 1e-12);
    EXPECT_NEAR(ticks.upper, 0.6, 1e-12);
    EXPECT_DOUBLE_EQ(ticks.step, 0.2);
    EXPECT_EQ(ticks.labels.size(), 7u);
}

TEST(TickLabel, HasTheDecimalsOfItsStepAndNoNegativeZero) {
    const struct {
        double value, step;
        const char* label;
    } cases[] = {{0.30000000000000004, 0.1, "0.3"},
                 {-3e-13, 50.0, "0"},
                 {-1e-17, 0.5, "0.0"},
                 {47.24, 0.02, "47.24"},
                 {1500.0, 500.0, "1500"},
                 {-2.5, 0.5, "-2.5"}};
    for (const auto& c : cases) EXPECT_EQ(TickLabel(c.value, c.step), c.label) << c.value;
}

TEST(EvenSample, KeepsEveryItemUntilFullThenAnEvenStrideInOrder) {
    EvenSample<int> sample(8);
    for (int k = 0; k < 5; ++k) sample.Add(k);
    EXPECT_EQ(sample.items(), (std::vector<int>{0, 1, 2, 3, 4}));
    for (int k = 5; k < 100; ++k) sample.Add(k);
    EXPECT_EQ(sample.seen(), 100u);
    // Full at 8, halved to every 2nd, then every 4th, 8th, 16th: what is left is even.
    EXPECT_EQ(sample.items(), (std::vector<int>{0, 16, 32, 48, 64, 80, 96}));
}

struct PointMapCase {
    const char* name;
    std::vector<PlacedValue> points;
    std::vector<double> longitudes;  ///< of the points, in the map's frame
    GeoBox box;
};

TEST(PointMapOf, PutsThePointsInTheFrameThatKeepsThemTogether) {
    const PointMapCase cases[] = {
        {"Europe", {{10, -5, 1}, {11, 365, 2}}, {-5, 5}, {9.5, 11.5, -5.5, 5.5}},
        // Fiji and Samoa: 0..360 keeps them 9 degrees apart.
        {"AcrossTheAntimeridian",
         {{-17, 178, 1}, {-14, -172, 2}},
         {178, 188},
         {-17.5, -13.5, 177.5, 188.5}},
        // One point: a box of the least margin about it.
        {"OnePoint", {{52, 13, 40}}, {13}, {51.98, 52.02, 12.98, 13.02}},
        // Near the pole the box stops at 90 N.
        {"Pole", {{89.9, 0, 1}, {80, 10, 2}}, {0, 10}, {79.5, 90, -0.5, 10.5}},
    };
    for (const PointMapCase& c : cases) {
        const PointMap map = PointMapOf(c.points);
        ASSERT_EQ(map.points.size(), c.longitudes.size()) << c.name;
        for (std::size_t k = 0; k < c.longitudes.size(); ++k)
            EXPECT_DOUBLE_EQ(map.points[k].longitude, c.longitudes[k]) << c.name;
        EXPECT_NEAR(map.box.south, c.box.south, 1e-9) << c.name;
        EXPECT_NEAR(map.box.north, c.box.north, 1e-9) << c.name;
        EXPECT_NEAR(map.box.west, c.box.west, 1e-9) << c.name;
        EXPECT_NEAR(map.box.east, c.box.east, 1e-9) << c.name;
    }
}

TEST(WrapLongitude, MovesByWholeTurnsIntoMinus180To180) {
    const std::pair<double, double> cases[] = {{190, -170}, {-180, -180}, {180, -180},
                                               {540, -180}, {-360, 0},    {179.5, 179.5}};
    for (const auto& [from, to] : cases) EXPECT_DOUBLE_EQ(WrapLongitude(from), to) << from;
}

}  // namespace
}  // namespace egm2008
