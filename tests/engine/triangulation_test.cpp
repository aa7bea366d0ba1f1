// InterpolateTriangulation and EvaluatePlane: the four triangles of a cell,
// the jump across a mid-line, ties, the plausibility bound that also covers the
// dropped corner, and planes reproduced exactly.
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

// SW 10, SE 20, NW 30, NE 100 in the cell of rows 480 (10 N) / 481 and columns 30 (5 E) / 31
// of the 10' grid, or rows 89 (45.5 N) / 90 and columns 20 (10 E) / 21 of the 0.5-degree grid.
test::NodeFunction CellCorners(std::int32_t north, std::int32_t west) {
    return [north, west](std::int32_t r, std::int32_t c) {
        if (r == north + 1 && c == west) return 10.0f;
        if (r == north + 1 && c == west + 1) return 20.0f;
        if (r == north && c == west) return 30.0f;
        if (r == north && c == west + 1) return 100.0f;
        return 0.0f;
    };
}

struct TriangleCase {
    const char* name;
    double latitude;
    double longitude;
    float expected;
};

class TriangleTest : public testing::TestWithParam<bool> {
protected:
    void Check(const GeoidGrid& grid, const TriangleCase& c) {
        SCOPED_TRACE(c.name);
        RecordingNotifier notifier;
        float result = -8888.0f;
        ASSERT_EQ(InterpolateTriangulation(grid, c.latitude, c.longitude, result, notifier),
                  QueryStatus::StatusOk);
        EXPECT_EQ(result, c.expected);
        EXPECT_TRUE(notifier.notices.empty());
    }
    test::ScratchFolder dir_;
};

TEST_P(TriangleTest, EachQuarterOfTheCellHasItsOwnTriangle) {
    const GeoidGrid grid = test::WriteTestGrid(dir_, 1.0 / 6.0, GetParam(), CellCorners(480, 30));
    const TriangleCase cases[] = {
        {"near SW: NE dropped", 9.875, 5.0 + 1.0 / 24.0, 17.5f},
        {"near SE: NW dropped", 9.875, 5.125, 37.5f},
        {"near NW: SE dropped", 10.0 - 1.0 / 24.0, 5.0 + 1.0 / 24.0, 42.5f},
        {"near NE: SW dropped", 10.0 - 1.0 / 24.0, 5.125, 62.5f},
        {"on the NW node", 10.0, 5.0, 30.0f},
    };
    for (const TriangleCase& c : cases) Check(grid, c);
}

TEST_P(TriangleTest, JumpsAcrossTheMidlineBetweenTheColumns) {
    const GeoidGrid grid = test::WriteTestGrid(dir_, 1.0 / 6.0, GetParam(), CellCorners(480, 30));
    RecordingNotifier notifier;
    const double midline = 5.0 + 1.0 / 12.0;
    float west = 0.0f;
    float east = 0.0f;
    ASSERT_EQ(InterpolateTriangulation(grid, 9.875, midline - 1e-9, west, notifier),
              QueryStatus::StatusOk);
    ASSERT_EQ(InterpolateTriangulation(grid, 9.875, midline + 1e-9, east, notifier),
              QueryStatus::StatusOk);
    EXPECT_NEAR(west, 20.0f, 1e-4);
    EXPECT_NEAR(east, 35.0f, 1e-4);
}

TEST_P(TriangleTest, TheSeamCellReachesTo360) {
    // Column 2159 holds 3 and column 0 holds 7 in every row; the cell's east edge is at 360.
    const GeoidGrid grid =
        test::WriteTestGrid(dir_, 1.0 / 6.0, GetParam(), [](std::int32_t, std::int32_t c) {
            return c == 0 ? 7.0f : c == 2159 ? 3.0f : 0.0f;
        });
    RecordingNotifier notifier;
    float result = 0.0f;
    ASSERT_EQ(InterpolateTriangulation(grid, 10.1, 360.0, result, notifier), QueryStatus::StatusOk);
    EXPECT_NEAR(result, 7.0f, 1e-6);
    ASSERT_EQ(InterpolateTriangulation(grid, 10.1, 359.9, result, notifier), QueryStatus::StatusOk);
    EXPECT_NEAR(result, 3.0f + 0.4f * 4.0f, 1e-5);
}

// Ties on the 0.5-degree grid, where the midlines are exact: the first of NE, NW, SE, SW
// among the farthest corners is dropped.
TEST_P(TriangleTest, EqualDistancesDropTheFirstOfNeNwSeSw) {
    const GeoidGrid grid = test::WriteTestGrid(dir_, 0.5, GetParam(), CellCorners(89, 20));
    const TriangleCase cases[] = {
        {"centre: NE dropped", 45.25, 10.25, 25.0f},
        {"row midline, east half: NW dropped (not SW)", 45.25, 10.375, 57.5f},
        {"row midline, west half: NE dropped (not SE)", 45.25, 10.125, 22.5f},
        {"column midline, north half: SE dropped (not SW)", 45.375, 10.25, 60.0f},
        {"column midline, south half: NE dropped (not NW)", 45.125, 10.25, 20.0f},
    };
    for (const TriangleCase& c : cases) Check(grid, c);
}

// A plane in row and column, exact in binary on an eighth-degree lattice: every triangle
// reproduces it, so the result is exact wherever the point lies.
double Plane(double r, double c) { return 1.0 + r / 2.0 - c / 4.0; }

TEST_P(TriangleTest, ReproducesAPlane) {
    const GeoidGrid grid = test::WriteTestGrid(
        dir_, 0.5, GetParam(),
        [](std::int32_t r, std::int32_t c) { return static_cast<float>(Plane(r, c)); });
    std::mt19937 random(20240603);
    std::uniform_int_distribution<int> eighthsOfLatitude(-719, 720);
    std::uniform_int_distribution<int> eighthsOfLongitude(0, 2872);
    RecordingNotifier notifier;
    for (int k = 0; k < 500; ++k) {
        const double latitude = eighthsOfLatitude(random) / 8.0;
        const double longitude = eighthsOfLongitude(random) / 8.0;
        float result = 0.0f;
        ASSERT_EQ(InterpolateTriangulation(grid, latitude, longitude, result, notifier),
                  QueryStatus::StatusOk);
        EXPECT_EQ(result, static_cast<float>(Plane((90.0 - latitude) * 2.0, longitude * 2.0)))
            << latitude << ", " << longitude;
    }
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, TriangleTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& p) {
                             return std::string(p.param ? "BigEndian" : "LittleEndian");
                         });

struct PlausibilityCase {
    const char* name;
    int corner;  // 0 SW, 1 SE, 2 NW, 3 NE
    float stored;
    QueryStatus status;
};

class TriangulationPlausibilityTest : public testing::TestWithParam<PlausibilityCase> {};

TEST_P(TriangulationPlausibilityTest, AllFourCornersAreCheckedTheDroppedOneToo) {
    const PlausibilityCase& c = GetParam();
    const test::NodeRead corners[4] = {{481, 30}, {481, 31}, {480, 30}, {480, 31}};
    test::RecordingReader reader([&](std::int32_t r, std::int32_t col) {
        return test::NodeRead{r, col} == corners[c.corner] ? c.stored : 1.0f;
    });
    float result = -8888.0f;
    // Near SW: NE is the dropped corner.
    EXPECT_EQ(InterpolateTriangulation(GeoidGrid{}, 9.875, 5.0 + 1.0 / 24.0, result, reader),
              c.status);
    EXPECT_EQ(reader.reads.size(), 4u);
    EXPECT_EQ(reader.closes, 1);
    EXPECT_EQ(result, c.status == QueryStatus::StatusOk ? 1.0f : -8888.0f);
}

constexpr auto kOk = QueryStatus::StatusOk;
constexpr auto kOutside = QueryStatus::StatusOutside;

INSTANTIATE_TEST_SUITE_P(
    Bounds, TriangulationPlausibilityTest,
    testing::Values(PlausibilityCase{"DroppedCorner1000_5", 3, 1000.5f, kOutside},
                    PlausibilityCase{"DroppedCornerMinus1000_5", 3, -1000.5f, kOutside},
                    PlausibilityCase{"SouthWest1000_5", 0, 1000.5f, kOutside},
                    PlausibilityCase{"SouthEastMinus1000_5", 1, -1000.5f, kOutside},
                    PlausibilityCase{"NorthWest1000_5", 2, 1000.5f, kOutside},
                    PlausibilityCase{"DroppedCorner1000", 3, 1000.0f, kOk},
                    PlausibilityCase{"DroppedCornerMinus1000", 3, -1000.0f, kOk},
                    // A NaN passes the check and, dropped, does not touch the result.
                    PlausibilityCase{"DroppedCornerNotANumber", 3,
                                     std::numeric_limits<float>::quiet_NaN(), kOk},
                    // A NaN in a used corner gives no undulation.
                    PlausibilityCase{"UsedCornerNotANumber", 0,
                                     std::numeric_limits<float>::quiet_NaN(), kOutside}),
    [](const testing::TestParamInfo<PlausibilityCase>& p) { return std::string(p.param.name); });

TEST(TriangulationPlausibility, ExactBoundsInTheUsedCornersAreAccepted) {
    test::RecordingReader reader(
        [](std::int32_t r, std::int32_t c) { return (r + c) % 2 == 0 ? 1000.0f : -1000.0f; });
    float result = -8888.0f;
    EXPECT_EQ(InterpolateTriangulation(GeoidGrid{}, 10.0, 5.0, result, reader),
              QueryStatus::StatusOk);
    EXPECT_EQ(result, 1000.0f);  // on node (480, 30)
}

TEST(EvaluatePlane, PassesThroughItsThreeCorners) {
    const auto at = [](double lat, double lon) {
        return EvaluatePlane(1.0, 2.0, 3.5, 2.25, 1.25, 7.0, lat, lon, 10.0, -20.0, 5.0);
    };
    EXPECT_EQ(at(1.0, 2.0), 10.0f);
    EXPECT_EQ(at(3.5, 2.25), -20.0f);
    EXPECT_EQ(at(1.25, 7.0), 5.0f);
    // Linear in between: the centroid takes the mean of the three values.
    EXPECT_NEAR(at((1.0 + 3.5 + 1.25) / 3.0, (2.0 + 2.25 + 7.0) / 3.0), -5.0f / 3.0f, 1e-5);
}

}  // namespace
}  // namespace egm2008::engine
