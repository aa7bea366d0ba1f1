// Where on disk the routines read: byte offsets of the cell corners, the edge
// nudges at the poles and at 360 degrees, the wrap of the last column, for the
// 10', 2.5' and full-size 1' layouts. Each case pokes four distinct values at
// the byte offsets worked out by hand into a grid file of zeros
// and checks which node the routine asked for and what it got from there.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

using test::NodeRead;
using test::RecordingReader;
using test::Shape;

struct Corner {
    NodeRead node;
    std::int64_t offset;
};

struct OffsetCase {
    const char* name;
    double spacing;
    Shape shape;
    double latitude;
    double longitude;
    std::array<Corner, 4> corners;  // SW, SE, NW, NE
};

class CornerOffsetTest : public testing::TestWithParam<std::tuple<OffsetCase, bool>> {};

TEST_P(CornerOffsetTest, BiLinearReadsTheCornersAtTheirByteOffsets) {
    const auto& [c, bigEndian] = GetParam();
    test::ScratchFolder dir;
    const std::string path = dir.File("grid");
    test::WriteZeroGrid(path, c.shape, bigEndian);
    const float marks[4] = {100.0f, 200.0f, 300.0f, 400.0f};
    for (int k = 0; k < 4; ++k) test::PokeFloat(path, c.corners[k].offset, marks[k], bigEndian);
    const GeoidGrid grid = test::MakeGrid(path, c.spacing, bigEndian);

    for (int mapped = 0; mapped < 2; ++mapped) {
        SCOPED_TRACE(mapped ? "mapped" : "per query");
        test::RecordingNotifier notifier;
        GridFileReader file(notifier);
        MappedGrid map;
        if (mapped) {
            ASSERT_EQ(map.Map(grid, notifier), QueryStatus::StatusOk);
        }
        NodeReader& inner = mapped ? static_cast<NodeReader&>(map) : file;
        RecordingReader reader(inner);
        float result = -1.0f;
        ASSERT_EQ(InterpolateBiLinear(grid, c.latitude, c.longitude, result, reader),
                  QueryStatus::StatusOk);
        ASSERT_EQ(reader.reads.size(), 4u);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(reader.reads[k], c.corners[k].node) << "corner " << k;
            EXPECT_EQ(reader.values[k], marks[k]) << "corner " << k;
        }
        EXPECT_TRUE(notifier.notices.empty());
    }
}

constexpr double k10 = 1.0 / 6.0;
constexpr double k2_5 = 1.0 / 24.0;
constexpr double k1 = 1.0 / 60.0;

// clang-format off
const OffsetCase kOffsetCases[] = {
    {"TenMinutesMidLatitude", k10, test::kShape10, 52.5, 7.25,
     {{{{226, 43}, 1954624}, {{226, 44}, 1954628}, {{225, 43}, 1945976}, {{225, 44}, 1945980}}}},
    // Nudged: i = 1079 and j = 2159, the eastern corners from column 0.
    {"TenMinutesSouthPoleAt360", k10, test::kShape10, -90.0, 360.0,
     {{{{1080, 2159}, 9348480}, {{1080, 0}, 9339844}, {{1079, 2159}, 9339832},
       {{1079, 0}, 9331196}}}},
    {"TenMinutesNorthPoleAt0", k10, test::kShape10, 90.0, 0.0,
     {{{{1, 0}, 8652}, {{1, 1}, 8656}, {{0, 0}, 4}, {{0, 1}, 8}}}},
    {"TenMinutesLastColumnWraps", k10, test::kShape10, 0.0, 359.95,
     {{{{541, 2159}, 4687208}, {{541, 0}, 4678572}, {{540, 2159}, 4678560}, {{540, 0}, 4669924}}}},
    {"TwoAndAHalfSouthPoleAt360", k2_5, test::kShape2_5, -90.0, 360.0,
     {{{{4320, 8639}, 149368320}, {{4320, 0}, 149333764}, {{4319, 8639}, 149333752},
       {{4319, 0}, 149299196}}}},
    {"TwoAndAHalfMidCell", k2_5, test::kShape2_5, 44.875, 180.125,
     {{{{1084, 4323}, 37489008}, {{1084, 4324}, 37489012}, {{1083, 4323}, 37454440},
       {{1083, 4324}, 37454444}}}},
    // The largest offset of any grid: 933,292,800 in the 933,292,808-byte 1' file.
    {"OneMinuteSouthPoleAt360", k1, test::kShape1, -90.0, 360.0,
     {{{{10800, 21599}, 933292800}, {{10800, 0}, 933206404}, {{10799, 21599}, 933206392},
       {{10799, 0}, 933119996}}}},
    {"OneMinuteMidCell", k1, test::kShape1, 44.875, 180.125,
     {{{{2708, 10807}, 234036096}, {{2708, 10808}, 234036100}, {{2707, 10807}, 233949688},
       {{2707, 10808}, 233949692}}}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Cases, CornerOffsetTest,
                         testing::Combine(testing::ValuesIn(kOffsetCases), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<OffsetCase, bool>>& p) {
                             return std::string(std::get<0>(p.param).name) +
                                    (std::get<1>(p.param) ? "BigEndian" : "LittleEndian");
                         });

// The nodes each routine reads, in order, at the poles and the seam of the 10' grid.
struct ReadCase {
    const char* name;
    InterpolationMethod method;
    double latitude;
    double longitude;
    std::vector<NodeRead> reads;
};

class ReadPatternTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadPatternTest, ReadsTheseNodes) {
    const ReadCase& c = GetParam();
    RecordingReader reader([](std::int32_t, std::int32_t) { return 1.0f; });
    float result = 0.0f;
    EXPECT_EQ(ComputeUndulation(GeoidGrid{}, c.method, c.latitude, c.longitude, result, reader),
              QueryStatus::StatusOk);
    EXPECT_EQ(reader.reads, c.reads);
    EXPECT_EQ(reader.opens, 1);
    EXPECT_EQ(reader.closes, 1);
    for (std::int64_t columns : reader.columnCounts) EXPECT_EQ(columns, 2160);
}

constexpr auto kQuad = InterpolationMethod::BiQuadratic;
constexpr auto kLinear = InterpolationMethod::BiLinear;
constexpr auto kTri = InterpolationMethod::Triangulation;
constexpr auto kNearest = InterpolationMethod::NearestNeighbour;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    TenMinutes, ReadPatternTest,
    testing::Values(
        ReadCase{"BiLinearNorthPole", kLinear, 90.0, 0.0, {{1, 0}, {1, 1}, {0, 0}, {0, 1}}},
        ReadCase{"BiLinearSouthPole", kLinear, -90.0, 0.0,
                 {{1080, 0}, {1080, 1}, {1079, 0}, {1079, 1}}},
        ReadCase{"BiLinearAt360", kLinear, 10.0, 360.0,
                 {{481, 2159}, {481, 0}, {480, 2159}, {480, 0}}},
        ReadCase{"BiLinearAt359_9", kLinear, 10.0, 359.9,
                 {{481, 2159}, {481, 0}, {480, 2159}, {480, 0}}},
        ReadCase{"TriangulationNorthPole", kTri, 90.0, 5.0, {{1, 30}, {1, 31}, {0, 30}, {0, 31}}},
        ReadCase{"TriangulationSouthPole", kTri, -90.0, 5.0,
                 {{1080, 30}, {1080, 31}, {1079, 30}, {1079, 31}}},
        ReadCase{"TriangulationAt360", kTri, 10.0, 360.0,
                 {{481, 2159}, {481, 0}, {480, 2159}, {480, 0}}},
        ReadCase{"TriangulationAt359_9", kTri, 10.0, 359.9,
                 {{481, 2159}, {481, 0}, {480, 2159}, {480, 0}}},
        ReadCase{"NearestOnNode", kNearest, 52.5, 7.5, {{225, 45}}},
        ReadCase{"NearestAcrossTheSeam", kNearest, 0.0, 359.95, {{540, 0}}},
        ReadCase{"NearestSouthPole", kNearest, -90.0, 0.0, {{1080, 0}}},
        ReadCase{"NearestNorthPoleAt360", kNearest, 90.0, 360.0, {{0, 0}}},
        // The 3x3 window: rows R+1, R, R-1, columns K-1, K, K+1 each.
        ReadCase{"BiQuadraticWindow", kQuad, 47.3, 8.55,
                 {{257, 50}, {257, 51}, {257, 52}, {256, 50}, {256, 51}, {256, 52},
                  {255, 50}, {255, 51}, {255, 52}}},
        ReadCase{"BiQuadraticNearNorthPole", kQuad, 89.9, 8.55,
                 {{2, 50}, {2, 51}, {2, 52}, {1, 50}, {1, 51}, {1, 52}, {0, 50}, {0, 51}, {0, 52}}},
        ReadCase{"BiQuadraticJustEastOf0", kQuad, 47.3, 0.05,
                 {{257, 2159}, {257, 0}, {257, 1}, {256, 2159}, {256, 0}, {256, 1},
                  {255, 2159}, {255, 0}, {255, 1}}},
        ReadCase{"BiQuadraticJustWestOf360", kQuad, 47.3, 359.95,
                 {{257, 2159}, {257, 0}, {257, 1}, {256, 2159}, {256, 0}, {256, 1},
                  {255, 2159}, {255, 0}, {255, 1}}},
        ReadCase{"BiQuadraticAt360", kQuad, 47.3, 360.0,
                 {{257, 2159}, {257, 0}, {257, 1}, {256, 2159}, {256, 0}, {256, 1},
                  {255, 2159}, {255, 0}, {255, 1}}},
        ReadCase{"BiQuadraticAt359_9", kQuad, 47.3, 359.9,
                 {{257, 2158}, {257, 2159}, {257, 0}, {256, 2158}, {256, 2159}, {256, 0},
                  {255, 2158}, {255, 2159}, {255, 0}}},
        // Inside the polar margin the bi-linear routine answers: four corners.
        ReadCase{"BiQuadraticHandsOverAt89_95", kQuad, 89.95, 8.55,
                 {{1, 51}, {1, 52}, {0, 51}, {0, 52}}},
        ReadCase{"BiQuadraticHandsOverAtNorthPole", kQuad, 90.0, 8.55,
                 {{1, 51}, {1, 52}, {0, 51}, {0, 52}}},
        ReadCase{"BiQuadraticHandsOverAtSouthPole", kQuad, -90.0, 8.55,
                 {{1080, 51}, {1080, 52}, {1079, 51}, {1079, 52}}},
        ReadCase{"BiQuadraticHandsOverAt_89_95", kQuad, -89.95, 8.55,
                 {{1080, 51}, {1080, 52}, {1079, 51}, {1079, 52}}}),
    [](const testing::TestParamInfo<ReadCase>& p) { return std::string(p.param.name); });
// clang-format on

// Fault pinned: a longitude one rounding step below 360 read the record markers as corners.
TEST(RoundingStep, APointAHairInsideABoundIsTheBound) {
    test::ScratchFolder dir;
    const GeoidGrid grid =
        test::WriteTestGrid(dir, 1.0 / 6.0, false, [](std::int32_t r, std::int32_t c) {
            return static_cast<float>(r % 97) + static_cast<float>(c % 89) * 0.25f + 1.0f;
        });
    test::ExpectRoundingStepIsTheBound(grid);
}

}  // namespace
}  // namespace egm2008::engine
