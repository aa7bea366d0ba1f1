// InterpolateBiQuadratic: the window examples on node-function grids, the
// reproduction of quadratics, the centring of points midway between nodes, the
// hand-over to the bi-linear routine inside the polar margin, and its own
// plausibility rule (floor only, StatusError).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "engine/query_routines.hpp"
#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

using test::NodeRead;
using test::RecordingNotifier;

class BiQuadraticFileTest : public testing::TestWithParam<bool> {
protected:
    float Query(const GeoidGrid& grid, double latitude, double longitude) {
        RecordingNotifier notifier;
        float result = 0.0f;
        EXPECT_EQ(InterpolateBiQuadratic(grid, latitude, longitude, result, notifier),
                  QueryStatus::StatusOk);
        EXPECT_TRUE(notifier.notices.empty());
        return result;
    }
    test::ScratchFolder dir_;
};

struct WindowExample {
    const char* name;
    test::NodeFunction node;
    float expected;
};

// 47.3 N, 8.55 E on the 10' grid: centre node row 256, column 51; p = 0.3, q = 0.2.
TEST_P(BiQuadraticFileTest, WindowExamplesAt47_3North8_55East) {
    const WindowExample examples[] = {
        {"column number", [](std::int32_t, std::int32_t c) { return static_cast<float>(c); },
         51.3f},
        {"row number", [](std::int32_t r, std::int32_t) { return static_cast<float>(r); }, 256.2f},
        {"(row - 256)^2",
         [](std::int32_t r, std::int32_t) { return static_cast<float>((r - 256) * (r - 256)); },
         0.04f},
        {"(column - 51) x (row - 256)",
         [](std::int32_t r, std::int32_t c) { return static_cast<float>((c - 51) * (r - 256)); },
         0.06f},
    };
    for (const WindowExample& example : examples) {
        SCOPED_TRACE(example.name);
        const GeoidGrid grid = test::WriteTestGrid(dir_, 1.0 / 6.0, GetParam(), example.node);
        EXPECT_EQ(Query(grid, 47.3, 8.55), example.expected);
    }
    // 89.9 N: centre row 1, q = -0.4, so a grid of row numbers gives 0.6.
    const GeoidGrid rows = test::WriteTestGrid(dir_, 1.0 / 6.0, GetParam(), examples[1].node);
    EXPECT_FLOAT_EQ(Query(rows, 89.9, 8.55), 0.6f);
}

TEST_P(BiQuadraticFileTest, APointOnANodeGivesItsValue) {
    const GeoidGrid grid =
        test::WriteTestGrid(dir_, 1.0 / 6.0, GetParam(), [](std::int32_t r, std::int32_t c) {
            return std::sin(static_cast<float>(r) * 0.37f) * 40.0f + static_cast<float>(c % 13);
        });
    // 47.5 N is row 255, 8.5 E column 51; 10 N row 480, 5 E column 30.
    EXPECT_EQ(Query(grid, 47.5, 8.5), std::sin(255.0f * 0.37f) * 40.0f + 12.0f);
    EXPECT_EQ(Query(grid, 10.0, 5.0), std::sin(480.0f * 0.37f) * 40.0f + 4.0f);
}

// Over rows 80..100 (50 N to 40 N) and columns 10..30 (5 E to 15 E) of the 0.5-degree
// grid: every product of 1, y, y^2 with 1, x, x^2 (y, x from the region's centre node),
// so each window inside the region holds a function that the interpolation reproduces.
// Exact in binary at the nodes and at points on an eighth-degree lattice. Zero elsewhere.
double Quadratic(double r, double c) {
    const double y = r - 90.0;
    const double x = c - 20.0;
    return 11.0 + 5.0 * y - 7.0 * x + 3.0 * y * y + 2.0 * x * x + x * y + y * y * x / 4.0 +
           x * x * y / 8.0 + y * y * x * x / 16.0;
}

float QuadraticNode(std::int32_t r, std::int32_t c) {
    return r >= 80 && r <= 100 && c >= 10 && c <= 30 ? static_cast<float>(Quadratic(r, c)) : 0.0f;
}

TEST_P(BiQuadraticFileTest, ReproducesAFunctionQuadraticInRowAndColumn) {
    const GeoidGrid grid = test::WriteTestGrid(dir_, 0.5, GetParam(), QuadraticNode);
    std::mt19937 random(20240602);
    // Points whose window lies inside the region: 40.75..49.25 N, 5.75..14.25 E.
    std::uniform_int_distribution<int> eighthsOfLatitude(326, 394);
    std::uniform_int_distribution<int> eighthsOfLongitude(46, 114);
    for (int k = 0; k < 500; ++k) {
        const double latitude = eighthsOfLatitude(random) / 8.0;
        const double longitude = eighthsOfLongitude(random) / 8.0;
        EXPECT_EQ(Query(grid, latitude, longitude),
                  static_cast<float>(Quadratic((90.0 - latitude) * 2.0, longitude * 2.0)))
            << latitude << ", " << longitude;
    }
}

TEST_P(BiQuadraticFileTest, MidwayBetweenNodesCentresSouthAndWest) {
    const GeoidGrid grid = test::WriteTestGrid(dir_, 0.5, GetParam(), QuadraticNode);
    RecordingNotifier notifier;
    GridFileReader file(notifier);
    test::RecordingReader reader(file);
    float result = 0.0f;
    // Midway between rows 89 and 90 and between columns 20 and 21: centre (90, 20), q = -0.5, p =
    // 0.5.
    ASSERT_EQ(InterpolateBiQuadratic(grid, 45.25, 10.25, result, reader), QueryStatus::StatusOk);
    const std::vector<NodeRead> window = {{91, 19}, {91, 20}, {91, 21}, {90, 19}, {90, 20},
                                          {90, 21}, {89, 19}, {89, 20}, {89, 21}};
    EXPECT_EQ(reader.reads, window);
    EXPECT_EQ(result, static_cast<float>(Quadratic(89.5, 20.5)));
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, BiQuadraticFileTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& p) {
                             return std::string(p.param ? "BigEndian" : "LittleEndian");
                         });

float Smooth(std::int32_t r, std::int32_t c) {
    return static_cast<float>(std::cos(r * 0.05) * 30.0 + std::sin(c * 0.02) * 20.0);
}

TEST(BiQuadraticPolarMargin, InsideTheMarginTheBiLinearRoutineAnswers) {
    const GeoidGrid grid;
    const double margin = grid.latSpacing / 1.9;
    struct Point {
        double latitude;
        bool handedOver;
    };
    const Point points[] = {
        {90.0, true},
        {89.95, true},
        {std::nextafter(grid.latMax - margin, 90.0), true},
        {grid.latMax - margin, false},  // the margin's own edge stays
        {89.9, false},
        {-90.0, true},
        {-89.95, true},
        {std::nextafter(grid.latMin + margin, -90.0), true},
        {grid.latMin + margin, false},
        {-89.9, false},
    };
    for (const Point& point : points) {
        SCOPED_TRACE(testing::Message() << "latitude " << point.latitude);
        test::RecordingReader quadReader(Smooth);
        test::RecordingReader linearReader(Smooth);
        float quad = 0.0f;
        float linear = 0.0f;
        ASSERT_EQ(InterpolateBiQuadratic(grid, point.latitude, 123.4, quad, quadReader),
                  QueryStatus::StatusOk);
        ASSERT_EQ(InterpolateBiLinear(grid, point.latitude, 123.4, linear, linearReader),
                  QueryStatus::StatusOk);
        EXPECT_EQ(quadReader.reads.size(), point.handedOver ? 4u : 9u);
        if (point.handedOver) {
            EXPECT_EQ(quadReader.reads, linearReader.reads);
            EXPECT_EQ(test::Bits(quad), test::Bits(linear));
        }
        EXPECT_EQ(quadReader.opens, 1);
        EXPECT_EQ(quadReader.closes, 1);
    }
}

TEST(BiQuadraticPolarMargin, HandOverFailureKeepsThePreset) {
    test::ScratchFolder dir;
    const GeoidGrid grid = test::MakeGrid10(dir.File("missing"));
    RecordingNotifier notifier;
    float result = -8888.0f;
    EXPECT_EQ(InterpolateBiQuadratic(grid, 90.0, 10.0, result, notifier), QueryStatus::StatusError);
    EXPECT_EQ(result, 9999.999f);
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(notifier.notices[0].text, "\nGeoidfile \"" + grid.path + "\" could not be opened!\n");
}

TEST(BiQuadraticPolarMargin, HandOverPassesTheCoordinatesUnchanged) {
    // 360 is nudged by the bi-linear routine itself; the result is in effect the 0 meridian's.
    const GeoidGrid grid;
    test::RecordingReader reader(Smooth);
    float quad = 0.0f;
    float linear = 0.0f;
    ASSERT_EQ(InterpolateBiQuadratic(grid, 89.95, 360.0, quad, reader), QueryStatus::StatusOk);
    ASSERT_EQ(InterpolateBiLinear(grid, 89.95, 360.0, linear, reader), QueryStatus::StatusOk);
    EXPECT_EQ(test::Bits(quad), test::Bits(linear));
}

struct PlausibilityCase {
    const char* name;
    int position;  // 0..8 in the read order SW, S, SE, W, C, E, NW, N, NE; -1 none
    float stored;
    QueryStatus status;
};

class BiQuadraticPlausibilityTest : public testing::TestWithParam<PlausibilityCase> {};

TEST_P(BiQuadraticPlausibilityTest, AWindowValueBelowMinus1000IsAnError) {
    const PlausibilityCase& c = GetParam();
    int read = 0;
    test::RecordingReader reader(
        [&](std::int32_t, std::int32_t) { return read++ == c.position ? c.stored : 5.0f; });
    float result = -8888.0f;
    EXPECT_EQ(InterpolateBiQuadratic(GeoidGrid{}, 47.3, 8.55, result, reader), c.status);
    EXPECT_EQ(reader.reads.size(), 9u);
    EXPECT_EQ(reader.closes, 1);
    if (c.status != QueryStatus::StatusOk) {
        EXPECT_EQ(result, 9999.999f);
    } else {
        EXPECT_NE(result, 9999.999f);
    }
}

constexpr auto kOk = QueryStatus::StatusOk;
constexpr auto kError = QueryStatus::StatusError;
constexpr auto kOutside = QueryStatus::StatusOutside;

INSTANTIATE_TEST_SUITE_P(
    Bounds, BiQuadraticPlausibilityTest,
    testing::Values(PlausibilityCase{"SouthWestBelowFloor", 0, -1000.5f, kError},
                    PlausibilityCase{"SouthBelowFloor", 1, -1000.5f, kError},
                    PlausibilityCase{"SouthEastBelowFloor", 2, -1000.5f, kError},
                    PlausibilityCase{"WestBelowFloor", 3, -1000.5f, kError},
                    PlausibilityCase{"CentreBelowFloor", 4, -1000.5f, kError},
                    PlausibilityCase{"EastBelowFloor", 5, -1000.5f, kError},
                    PlausibilityCase{"NorthWestBelowFloor", 6, -1000.5f, kError},
                    PlausibilityCase{"NorthBelowFloor", 7, -1000.5f, kError},
                    PlausibilityCase{"NorthEastBelowFloor", 8, -1000.5f, kError},
                    PlausibilityCase{"ExactlyTheFloor", 4, -1000.0f, kOk},
                    PlausibilityCase{"LargePositive", 8, 1.0e6f, kOk},
                    // A NaN passes the floor but gives no undulation.
                    PlausibilityCase{"NotANumberFails", 2, std::numeric_limits<float>::quiet_NaN(),
                                     kOutside}),
    [](const testing::TestParamInfo<PlausibilityCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace egm2008::engine
