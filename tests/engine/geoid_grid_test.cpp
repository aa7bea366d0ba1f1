// The descriptor's defaults, the spacing check and the byte-order decoding.
#include "engine/geoid_grid.hpp"

#include <gtest/gtest.h>

#include <string>

#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

using test::RecordingNotifier;

TEST(GeoidGrid, DefaultsDescribeTheInternalDatabase) {
    const GeoidGrid grid;
    EXPECT_EQ(grid.path, "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE");
    EXPECT_EQ(grid.latMin, -90.0);
    EXPECT_EQ(grid.latMax, 90.0);
    EXPECT_EQ(grid.lonMin, 0.0);
    EXPECT_EQ(grid.lonMax, 360.0);
    EXPECT_EQ(grid.latSpacing, 1.0 / 6.0);
    EXPECT_EQ(grid.lonSpacing, 1.0 / 6.0);
    EXPECT_FALSE(grid.bigEndian);
    EXPECT_EQ(grid.gridSize, GridSize::Grid10x10);
    EXPECT_EQ(grid.lastColumn, 2159);
}

struct ValidateCase {
    const char* name;
    GridSize gridSize;
    bool bigEndian;
    double latSpacing;
    double lonSpacing;
    QueryStatus status;
    std::int32_t lastColumn;  // after the call; the grid starts with 1234
    const char* message;      // nullptr: none
};

class ValidateGridTest : public testing::TestWithParam<ValidateCase> {};

TEST_P(ValidateGridTest, StoresSpacingsAndChecksThemAgainstTheGridSize) {
    const ValidateCase& c = GetParam();
    GeoidGrid grid;
    grid.gridSize = c.gridSize;
    grid.lastColumn = 1234;
    grid.bigEndian = !c.bigEndian;
    RecordingNotifier notifier;

    EXPECT_EQ(ValidateGrid(grid, c.bigEndian, c.latSpacing, c.lonSpacing, notifier), c.status);
    // Stored before the check, and kept when it fails.
    EXPECT_EQ(grid.latSpacing, c.latSpacing);
    EXPECT_EQ(grid.lonSpacing, c.lonSpacing);
    EXPECT_EQ(grid.bigEndian, c.bigEndian);
    EXPECT_EQ(grid.gridSize, c.gridSize);
    EXPECT_EQ(grid.lastColumn, c.lastColumn);
    if (c.message == nullptr) {
        EXPECT_TRUE(notifier.notices.empty());
    } else {
        ASSERT_EQ(notifier.notices.size(), 1u);
        EXPECT_EQ(notifier.notices[0].text, c.message);
        EXPECT_EQ(notifier.notices[0].icon, NoticeIcon::Error);
    }
}

constexpr double k10 = 1.0 / 6.0;
constexpr double k2_5 = 1.0 / 24.0;
constexpr double k1 = 1.0 / 60.0;
constexpr auto kOk = QueryStatus::StatusOk;
constexpr auto kError = QueryStatus::StatusError;

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidateGridTest,
    testing::Values(
        ValidateCase{"TenMinutes", GridSize::Grid10x10, false, k10, k10, kOk, 2159, nullptr},
        ValidateCase{"TenMinutesBigEndian", GridSize::Grid10x10, true, k10, k10, kOk, 2159,
                     nullptr},
        ValidateCase{"TwoAndAHalf", GridSize::Grid2_5x2_5, true, k2_5, k2_5, kOk, 8639, nullptr},
        ValidateCase{"OneMinute", GridSize::Grid1x1, false, k1, k1, kOk, 21599, nullptr},
        ValidateCase{"TenMinutesOnOneMinuteSize", GridSize::Grid1x1, false, k10, k10, kError, 1234,
                     "Error in grid spacing! Space Lat = 10.0\n Space Lon = 10.0"},
        ValidateCase{"TwoAndAHalfOnTenMinuteSize", GridSize::Grid10x10, true, k2_5, k2_5, kError,
                     1234, "Error in grid spacing! Space Lat = 2.5\n Space Lon = 2.5"},
        ValidateCase{"OneMinuteOnTwoAndAHalfSize", GridSize::Grid2_5x2_5, false, k1, k1, kError,
                     1234, "Error in grid spacing! Space Lat = 1.0\n Space Lon = 1.0"},
        // Within the 1e-8 tolerance a spacing is the known one...
        ValidateCase{"NearlyTenMinutesOnOneMinuteSize", GridSize::Grid1x1, false, k10 + 9e-9,
                     k10 - 9e-9, kError, 1234,
                     "Error in grid spacing! Space Lat = 10.0\n Space Lon = 10.0"},
        // ... beyond it, it is no known spacing and passes.
        ValidateCase{"JustNotTenMinutes", GridSize::Grid1x1, false, k10 + 2e-8, k10, kOk, 21599,
                     nullptr},
        ValidateCase{"UnknownSpacingPasses", GridSize::Grid10x10, false, 0.5, 0.5, kOk, 2159,
                     nullptr},
        ValidateCase{"MixedSpacingsPass", GridSize::Grid10x10, false, k10, k2_5, kOk, 2159,
                     nullptr},
        ValidateCase{"UnknownGridSizeKeepsLastColumn", static_cast<GridSize>(7), false, 0.5, 0.5,
                     kOk, 1234, nullptr},
        ValidateCase{"UnknownGridSizeWithKnownSpacing", static_cast<GridSize>(7), false, k10, k10,
                     kError, 1234, "Error in grid spacing! Space Lat = 10.0\n Space Lon = 10.0"}),
    [](const testing::TestParamInfo<ValidateCase>& p) { return std::string(p.param.name); });

TEST(SwapFloat32, TakesTheFileBytesAsBigEndian) {
    const unsigned char hundred[4] = {0x42, 0xC8, 0x00, 0x00};
    const unsigned char minusTen[4] = {0xC1, 0x20, 0x00, 0x00};
    EXPECT_EQ(SwapFloat32(hundred), 100.0f);
    EXPECT_EQ(SwapFloat32(minusTen), -10.0f);
    const unsigned char hundredLittle[4] = {0x00, 0x00, 0xC8, 0x42};
    EXPECT_EQ(DecodeFloat32(hundredLittle, false), 100.0f);
    EXPECT_EQ(DecodeFloat32(hundred, true), 100.0f);
    // Asymmetric bytes: a swap of the wrong halves would show.
    const unsigned char pattern[4] = {0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(DecodeWord32(pattern, true), 0x01020304u);
    EXPECT_EQ(DecodeWord32(pattern, false), 0x04030201u);
}

TEST(GridLayout, OffsetsAndLengthOfTheTenMinuteGrid) {
    EXPECT_EQ(NodeOffset(2160, 0, 0), 4);
    EXPECT_EQ(NodeOffset(2160, 1, 0), 8652);
    EXPECT_EQ(NodeOffset(2160, 1080, 2159), 9348480);
    EXPECT_EQ(NodeOffset(21600, 10800, 21599), 933292800);
    const GeoidGrid grid;
    EXPECT_EQ(StoredColumns(grid), 2160);
    EXPECT_EQ(StoredRows(grid), 1081);
    EXPECT_EQ((StoredColumns(grid) + 2) * 4 * StoredRows(grid), 9348488);
    const GeoidGrid one = test::MakeGrid("x", 1.0 / 60.0, false);
    EXPECT_EQ((StoredColumns(one) + 2) * 4 * StoredRows(one), 933292808);
    const GeoidGrid half = test::MakeGrid("x", 0.5, false);
    EXPECT_EQ(StoredColumns(half), 720);
    EXPECT_EQ(StoredRows(half), 361);
    EXPECT_EQ(half.lastColumn, 719);
}

}  // namespace
}  // namespace egm2008::engine
