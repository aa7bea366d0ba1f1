// MappedGrid: a run's mapping gives bit for bit the results of the per-query
// file access, and a grid that cannot be mapped is reported once per run.
#include "engine/mapped_grid.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "engine/query_routines.hpp"
#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

using test::RecordingNotifier;

// Rough, signed, with values of every magnitude the plausibility bounds care about.
float Rough(std::int32_t r, std::int32_t c) {
    const std::uint32_t h =
        static_cast<std::uint32_t>(r) * 2654435761u ^ static_cast<std::uint32_t>(c) * 40503u;
    if (h % 997 == 0) return 1000.0f;
    if (h % 991 == 0) return -1000.5f;
    return static_cast<float>(std::sin(r * 0.013) * 60.0 + std::cos(c * 0.007) * 40.0) +
           static_cast<float>(h % 1000) * 1e-3f;
}

std::vector<std::pair<double, double>> QueryPoints(double spacing) {
    std::vector<std::pair<double, double>> points = {
        {90.0, 0.0},    {-90.0, 0.0},        {90.0, 360.0},
        {-90.0, 360.0}, {0.0, 359.95},       {45.0, -0.1},
        {45.0, -360.0}, {89.95, 12.0},       {-89.95, 12.0},
        {10.0, 5.0},    {90.1, 0.0},         {0.0, 360.1},
        {0.0, -400.0},  {std::nan(""), 1.0}, {45.0 + spacing / 2.0, 10.0 + spacing / 2.0},
    };
    std::mt19937 random(20240605);
    std::uniform_real_distribution<double> latitudes(-90.0, 90.0);
    std::uniform_real_distribution<double> longitudes(-180.0, 360.0);
    for (int k = 0; k < 2000; ++k) points.emplace_back(latitudes(random), longitudes(random));
    return points;
}

struct SameCase {
    const char* name;
    double spacing;
    bool bigEndian;
};

class MappedSameResultsTest : public testing::TestWithParam<SameCase> {};

TEST_P(MappedSameResultsTest, BitIdenticalToThePerQueryPath) {
    const SameCase& c = GetParam();
    test::ScratchFolder dir;
    const GeoidGrid grid = test::WriteTestGrid(dir, c.spacing, c.bigEndian, Rough);
    RecordingNotifier notifier;
    MappedGrid map;
    ASSERT_EQ(map.Map(grid, notifier), QueryStatus::StatusOk);

    int compared = 0;
    for (const auto& [latitude, longitude] : QueryPoints(c.spacing)) {
        for (std::int32_t method : {0, 1, 2, 3, 4}) {
            const auto m = static_cast<InterpolationMethod>(method);
            float perQuery = -8888.0f;
            float mapped = -8888.0f;
            const QueryStatus a =
                ComputeUndulation(grid, m, latitude, longitude, perQuery, notifier);
            const QueryStatus b = ComputeUndulation(grid, m, latitude, longitude, mapped, map);
            ASSERT_EQ(a, b) << method << " at " << latitude << ", " << longitude;
            ASSERT_EQ(test::Bits(perQuery), test::Bits(mapped))
                << method << " at " << latitude << ", " << longitude;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 5 * 2015);
    EXPECT_TRUE(notifier.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(Grids, MappedSameResultsTest,
                         testing::Values(SameCase{"TenMinutesLittleEndian", 1.0 / 6.0, false},
                                         SameCase{"TenMinutesBigEndian", 1.0 / 6.0, true},
                                         SameCase{"HalfDegreeLittleEndian", 0.5, false},
                                         SameCase{"HalfDegreeBigEndian", 0.5, true}),
                         [](const testing::TestParamInfo<SameCase>& p) {
                             return std::string(p.param.name);
                         });

struct MapFailureCase {
    const char* name;
    bool missing;  // else: a file of the wrong byte order
};

class MapFailureTest : public testing::TestWithParam<MapFailureCase> {};

TEST_P(MapFailureTest, ToldOnceThenEveryQueryIsAnErrorWithoutAMessage) {
    test::ScratchFolder dir;
    GeoidGrid grid = test::MakeGrid10(dir.File("grid"));
    std::string expected = "\nGeoidfile \"" + grid.path + "\" could not be opened!\n";
    if (!GetParam().missing) {
        test::WriteZeroGrid(grid.path, test::kShape10, true);
        expected = "\nGeoidfile \"" + grid.path +
                   "\" does not match the chosen grid size and byte order!\nThe file is a 10' x "
                   "10' grid in big-endian byte order.\n";
    }
    RecordingNotifier notifier;
    MappedGrid map;
    EXPECT_EQ(map.Map(grid, notifier), QueryStatus::StatusError);
    EXPECT_EQ(map.status(), QueryStatus::StatusError);
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(notifier.notices[0].text, expected);
    EXPECT_EQ(notifier.notices[0].icon, NoticeIcon::Error);

    for (InterpolationMethod method : test::kMethods) {
        for (int k = 0; k < 10; ++k) {
            float result = -8888.0f;
            EXPECT_EQ(ComputeUndulation(grid, method, 10.0 + k, 20.0, result, map),
                      QueryStatus::StatusError);
            EXPECT_EQ(result, test::ResultAfterFailure(method, -8888.0f));
        }
        // A point outside the grid is still outside, not an error.
        float result = -8888.0f;
        EXPECT_EQ(ComputeUndulation(grid, method, 95.0, 20.0, result, map),
                  QueryStatus::StatusOutside);
    }
    EXPECT_EQ(notifier.notices.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, MapFailureTest,
                         testing::Values(MapFailureCase{"MissingFile", true},
                                         MapFailureCase{"WrongByteOrder", false}),
                         [](const testing::TestParamInfo<MapFailureCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(MappedGrid, UnmappedAnswersStatusErrorAndARemapWorksAgain) {
    test::ScratchFolder dir;
    const GeoidGrid grid = test::WriteTestGrid(dir, 1.0 / 6.0, false, Rough);
    RecordingNotifier notifier;
    MappedGrid map;
    float result = 0.0f;
    EXPECT_EQ(ComputeUndulation(grid, InterpolationMethod::BiLinear, 10.1, 20.1, result, map),
              QueryStatus::StatusError);  // before any Map
    ASSERT_EQ(map.Map(grid, notifier), QueryStatus::StatusOk);
    EXPECT_EQ(ComputeUndulation(grid, InterpolationMethod::BiLinear, 10.1, 20.1, result, map),
              QueryStatus::StatusOk);
    map.Unmap();
    EXPECT_EQ(ComputeUndulation(grid, InterpolationMethod::BiLinear, 10.1, 20.1, result, map),
              QueryStatus::StatusError);
    ASSERT_EQ(map.Map(grid, notifier), QueryStatus::StatusOk);
    EXPECT_EQ(ComputeUndulation(grid, InterpolationMethod::BiLinear, 10.1, 20.1, result, map),
              QueryStatus::StatusOk);
    EXPECT_TRUE(notifier.notices.empty());
}

TEST(MappedGrid, ARemapOfAMissingFileDropsTheOldMapping) {
    test::ScratchFolder dir;
    GeoidGrid grid = test::WriteTestGrid(dir, 1.0 / 6.0, false, Rough);
    RecordingNotifier notifier;
    MappedGrid map;
    ASSERT_EQ(map.Map(grid, notifier), QueryStatus::StatusOk);
    grid.path = dir.File("missing");
    EXPECT_EQ(map.Map(grid, notifier), QueryStatus::StatusError);
    float result = 0.0f;
    EXPECT_EQ(ComputeUndulation(grid, InterpolationMethod::BiLinear, 10.1, 20.1, result, map),
              QueryStatus::StatusError);
    EXPECT_EQ(notifier.notices.size(), 1u);
}

}  // namespace
}  // namespace egm2008::engine
