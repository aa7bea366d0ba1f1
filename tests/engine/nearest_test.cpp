// LookupNearest: which node wins (by byte offset on the 10' grid, and the ties
// on a 0.5-degree grid whose coordinates are exact in binary) and the strict
// plausibility bound.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/query_routines.hpp"
#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

using test::NodeRead;
using test::RecordingNotifier;

struct OffsetCase {
    const char* name;
    double latitude;
    double longitude;
    std::int64_t offset;
};

class NearestOffsetTest : public testing::TestWithParam<std::tuple<OffsetCase, bool>> {};

TEST_P(NearestOffsetTest, ReadsTheNearestNodeAtItsByteOffset) {
    const auto& [c, bigEndian] = GetParam();
    test::ScratchFolder dir;
    const std::string path = dir.File("grid");
    test::WriteZeroGrid(path, test::kShape10, bigEndian);
    test::PokeFloat(path, c.offset, -27.125f, bigEndian);
    RecordingNotifier notifier;
    float result = 0.0f;
    EXPECT_EQ(
        LookupNearest(test::MakeGrid10(path, bigEndian), c.latitude, c.longitude, result, notifier),
        QueryStatus::StatusOk);
    EXPECT_EQ(result, -27.125f);
}

INSTANTIATE_TEST_SUITE_P(
    TenMinutes, NearestOffsetTest,
    testing::Combine(testing::Values(OffsetCase{"OnNode", 52.5, 7.5, 1945984},
                                     OffsetCase{"EastNeighbourAcrossTheSeam", 0.0, 359.95, 4669924},
                                     OffsetCase{"SouthPole", -90.0, 0.0, 9339844},
                                     OffsetCase{"NorthPoleAt360", 90.0, 360.0, 4}),
                     testing::Bool()),
    [](const testing::TestParamInfo<std::tuple<OffsetCase, bool>>& p) {
        return std::string(std::get<0>(p.param).name) +
               (std::get<1>(p.param) ? "BigEndian" : "LittleEndian");
    });

TEST(NearestByteOrder, BigEndianBytesC1200000ReadAsMinusTen) {
    test::ScratchFolder dir;
    const std::string path = dir.File("grid");
    test::WriteZeroGrid(path, test::kShape10, true);
    test::PokeBytes(path, 1945984, {0xC1, 0x20, 0x00, 0x00});  // node (225, 45)
    RecordingNotifier notifier;
    float result = 0.0f;
    EXPECT_EQ(LookupNearest(test::MakeGrid10(path, true), 52.5, 7.5, result, notifier),
              QueryStatus::StatusOk);
    EXPECT_EQ(result, -10.0f);
}

// On the 0.5-degree grid, node (r, c) holds r + c/1024, so the value names the node.
float NodeName(std::int32_t r, std::int32_t c) {
    return static_cast<float>(r) + static_cast<float>(c) / 1024.0f;
}

struct TieCase {
    const char* name;
    double latitude;
    double longitude;
    NodeRead node;
};

class NearestTieTest : public testing::TestWithParam<std::tuple<TieCase, bool>> {};

TEST_P(NearestTieTest, EqualDistancesGoToTheFirstOfSwSeNwNe) {
    const auto& [c, bigEndian] = GetParam();
    test::ScratchFolder dir;
    const GeoidGrid grid = test::WriteTestGrid(dir, 0.5, bigEndian, NodeName);
    RecordingNotifier notifier;
    float result = 0.0f;
    EXPECT_EQ(LookupNearest(grid, c.latitude, c.longitude, result, notifier),
              QueryStatus::StatusOk);
    EXPECT_EQ(result, NodeName(c.node.row, c.node.column));
}

// The cell of rows 89 (45.5 N) and 90 (45 N), columns 20 (10 E) and 21 (10.5 E).
INSTANTIATE_TEST_SUITE_P(
    HalfDegree, NearestTieTest,
    testing::Combine(
        testing::Values(TieCase{"CentreGoesSouthWest", 45.25, 10.25, {90, 20}},
                        TieCase{"RowMidlineEastHalfGoesSouthEast", 45.25, 10.375, {90, 21}},
                        TieCase{"RowMidlineWestHalfGoesSouthWest", 45.25, 10.125, {90, 20}},
                        TieCase{"ColumnMidlineNorthHalfGoesNorthWest", 45.375, 10.25, {89, 20}},
                        TieCase{"ColumnMidlineSouthHalfGoesSouthWest", 45.125, 10.25, {90, 20}},
                        TieCase{"NearNorthEast", 45.375, 10.375, {89, 21}},
                        TieCase{"NearNorthWest", 45.375, 10.125, {89, 20}},
                        TieCase{"NearSouthEast", 45.125, 10.375, {90, 21}},
                        TieCase{"OnNode", 45.5, 10.5, {89, 21}},
                        TieCase{"CentreOfTheLastColumnGoesSouthWest", 45.25, 359.75, {90, 719}},
                        TieCase{"EastHalfOfTheLastColumnWraps", 45.375, 359.875, {89, 0}}),
        testing::Bool()),
    [](const testing::TestParamInfo<std::tuple<TieCase, bool>>& p) {
        return std::string(std::get<0>(p.param).name) +
               (std::get<1>(p.param) ? "BigEndian" : "LittleEndian");
    });

struct PlausibilityCase {
    const char* name;
    float stored;
    QueryStatus status;
    float result;
};

class NearestPlausibilityTest : public testing::TestWithParam<PlausibilityCase> {};

TEST_P(NearestPlausibilityTest, AcceptsOnlyMagnitudesBelow1000) {
    const PlausibilityCase& c = GetParam();
    test::RecordingReader reader([&c](std::int32_t, std::int32_t) { return c.stored; });
    float result = -8888.0f;
    EXPECT_EQ(LookupNearest(GeoidGrid{}, 10.0, 10.0, result, reader), c.status);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(reader.closes, 1);
}

constexpr auto kOk = QueryStatus::StatusOk;
constexpr auto kOutside = QueryStatus::StatusOutside;

INSTANTIATE_TEST_SUITE_P(
    Bounds, NearestPlausibilityTest,
    testing::Values(PlausibilityCase{"JustBelow1000", 999.99f, kOk, 999.99f},
                    PlausibilityCase{"JustAboveMinus1000", -999.99f, kOk, -999.99f},
                    PlausibilityCase{"Zero", 0.0f, kOk, 0.0f},
                    PlausibilityCase{"Exactly1000", 1000.0f, kOutside, 9999.999f},
                    PlausibilityCase{"ExactlyMinus1000", -1000.0f, kOutside, 9999.999f},
                    PlausibilityCase{"Above1000", 1000.5f, kOutside, 9999.999f},
                    PlausibilityCase{"Infinite", std::numeric_limits<float>::infinity(), kOutside,
                                     9999.999f},
                    PlausibilityCase{"NotANumber", std::numeric_limits<float>::quiet_NaN(),
                                     kOutside, 9999.999f}),
    [](const testing::TestParamInfo<PlausibilityCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace egm2008::engine
