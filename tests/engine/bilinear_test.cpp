// InterpolateBiLinear: the surface through the four corners, at the poles and
// the seam, and the inclusive plausibility bound.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "engine/query_routines.hpp"
#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

using test::RecordingNotifier;

class BiLinearFileTest : public testing::TestWithParam<bool> {
protected:
    test::ScratchFolder dir_;
};

// SW 1, SE 2, NW 3, NE 5 in the cell of rows 480 (10 N) / 481 and columns 30 (5 E) / 31.
float SpecCell(std::int32_t r, std::int32_t c) {
    if (r == 481 && c == 30) return 1.0f;
    if (r == 481 && c == 31) return 2.0f;
    if (r == 480 && c == 30) return 3.0f;
    if (r == 480 && c == 31) return 5.0f;
    return 0.0f;
}

TEST_P(BiLinearFileTest, HalfwayNorthAndAQuarterEast) {
    const GeoidGrid grid = test::WriteTestGrid(dir_, 1.0 / 6.0, GetParam(), SpecCell);
    RecordingNotifier notifier;
    float result = 0.0f;
    // u = 0.5, t = 0.25
    ASSERT_EQ(InterpolateBiLinear(grid, 10.0 - 1.0 / 12.0, 5.0 + 1.0 / 24.0, result, notifier),
              QueryStatus::StatusOk);
    EXPECT_EQ(result, 2.375f);
    // On the node of row 480, column 30.
    ASSERT_EQ(InterpolateBiLinear(grid, 10.0, 5.0, result, notifier), QueryStatus::StatusOk);
    EXPECT_EQ(result, 3.0f);
    EXPECT_TRUE(notifier.notices.empty());
}

// Bi-linear in row and column, exact in binary at nodes and at points on an
// eighth-degree lattice of the 0.5-degree grid; the interpolation reproduces it exactly.
double Bilinear(double r, double c) { return 3.0 + 0.5 * r - 0.25 * c + r * c / 512.0; }

TEST_P(BiLinearFileTest, ReproducesABilinearFunctionOfRowAndColumn) {
    const GeoidGrid grid = test::WriteTestGrid(
        dir_, 0.5, GetParam(),
        [](std::int32_t r, std::int32_t c) { return static_cast<float>(Bilinear(r, c)); });
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> eighthsOfLatitude(-719, 720);  // 90 S excluded: it is nudged
    std::uniform_int_distribution<int> eighthsOfLongitude(0, 2872);   // the seam cell is excluded
    RecordingNotifier notifier;
    for (int k = 0; k < 500; ++k) {
        const double latitude = eighthsOfLatitude(random) / 8.0;
        const double longitude = eighthsOfLongitude(random) / 8.0;
        float result = 0.0f;
        ASSERT_EQ(InterpolateBiLinear(grid, latitude, longitude, result, notifier),
                  QueryStatus::StatusOk);
        EXPECT_EQ(result, static_cast<float>(Bilinear((90.0 - latitude) * 2.0, longitude * 2.0)))
            << latitude << ", " << longitude;
    }
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_P(BiLinearFileTest, PolesAndSeamInterpolateAlongTheEdgeRowsAndColumns) {
    const GeoidGrid grid =
        test::WriteTestGrid(dir_, 1.0 / 6.0, GetParam(), [](std::int32_t r, std::int32_t c) {
            return static_cast<float>(r % 7) - static_cast<float>(c % 5) * 0.5f;
        });
    RecordingNotifier notifier;
    float result = 0.0f;
    // 90 N: row 0 is the northern row of the cell with u = 1; halfway between columns 30 and 31.
    ASSERT_EQ(InterpolateBiLinear(grid, 90.0, 5.0 + 1.0 / 12.0, result, notifier),
              QueryStatus::StatusOk);
    EXPECT_FLOAT_EQ(result, 0.5f * (0.0f + -0.5f));
    // 90 S, nudged: in effect row 1080 (1080 % 7 = 2), between columns 30 and 31.
    ASSERT_EQ(InterpolateBiLinear(grid, -90.0, 5.0 + 1.0 / 12.0, result, notifier),
              QueryStatus::StatusOk);
    EXPECT_NEAR(result, 2.0f - 0.25f, 1e-6);
    // 360, nudged: in effect the value on the 0 meridian (column 0) of row 480 (480 % 7 = 4).
    ASSERT_EQ(InterpolateBiLinear(grid, 10.0, 360.0, result, notifier), QueryStatus::StatusOk);
    EXPECT_NEAR(result, 4.0f, 1e-6);
    // Halfway across the seam cell: columns 2159 (2159 % 5 = 4) and 0.
    ASSERT_EQ(InterpolateBiLinear(grid, 10.0, 360.0 - 1.0 / 12.0, result, notifier),
              QueryStatus::StatusOk);
    EXPECT_FLOAT_EQ(result, 4.0f - 0.5f * 2.0f);
    EXPECT_TRUE(notifier.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, BiLinearFileTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& p) {
                             return std::string(p.param ? "BigEndian" : "LittleEndian");
                         });

struct PlausibilityCase {
    const char* name;
    int corner;  // 0 SW, 1 SE, 2 NW, 3 NE
    float stored;
    QueryStatus status;
};

class BiLinearPlausibilityTest : public testing::TestWithParam<PlausibilityCase> {};

TEST_P(BiLinearPlausibilityTest, EachCornerMustLieWithinPlusMinus1000Inclusive) {
    const PlausibilityCase& c = GetParam();
    // The cell of rows 480/481 and columns 30/31; corners in the read order SW, SE, NW, NE.
    const test::NodeRead corners[4] = {{481, 30}, {481, 31}, {480, 30}, {480, 31}};
    test::RecordingReader reader([&](std::int32_t r, std::int32_t col) {
        return test::NodeRead{r, col} == corners[c.corner] ? c.stored : 1.0f;
    });
    float result = -8888.0f;
    EXPECT_EQ(InterpolateBiLinear(GeoidGrid{}, 9.9, 5.1, result, reader), c.status);
    EXPECT_EQ(reader.reads.size(), 4u);  // all four are read before any is checked
    EXPECT_EQ(reader.closes, 1);
    if (c.status != QueryStatus::StatusOk) {
        EXPECT_EQ(result, -8888.0f);
    } else {
        EXPECT_NE(result, -8888.0f);
    }
}

constexpr auto kOk = QueryStatus::StatusOk;
constexpr auto kOutside = QueryStatus::StatusOutside;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Bounds, BiLinearPlausibilityTest,
    testing::Values(PlausibilityCase{"SouthWest1000", 0, 1000.0f, kOk},
                    PlausibilityCase{"SouthEastMinus1000", 1, -1000.0f, kOk},
                    PlausibilityCase{"NorthWest1000", 2, 1000.0f, kOk},
                    PlausibilityCase{"NorthEastMinus1000", 3, -1000.0f, kOk},
                    PlausibilityCase{"SouthWest1000_5", 0, 1000.5f, kOutside},
                    PlausibilityCase{"SouthEast1000_5", 1, 1000.5f, kOutside},
                    PlausibilityCase{"NorthWest1000_5", 2, 1000.5f, kOutside},
                    PlausibilityCase{"NorthEast1000_5", 3, 1000.5f, kOutside},
                    PlausibilityCase{"NorthEastMinus1000_5", 3, -1000.5f, kOutside},
                    // A NaN corner passes the bounds but gives no undulation.
                    PlausibilityCase{"NotANumberFails", 1, kNaN, kOutside}),
    [](const testing::TestParamInfo<PlausibilityCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace egm2008::engine
