// ScanGrid: counts every wrong record marker, keeps implausible values out of
// the range, finds where the extremes lie, and refuses a file of another length.
#include "engine/grid_scan.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "engine/geoid_grid.hpp"
#include "engine/known_grids.hpp"
#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

constexpr std::int64_t kColumns = 2160;
constexpr std::int64_t kRecord = (kColumns + 2) * 4;

TEST(GridScan, MarkersRangeAndImplausibleValues) {
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        test::ScratchFolder dir;
        const GeoidGrid grid = test::WriteTestGrid(dir, 1.0 / 6.0, bigEndian, [](auto r, auto c) {
            if (r == 10 && c == 20) return -120.5f;
            if (r == 1000 && c == 2159) return 85.25f;
            if (r == 3 && c == 3) return std::numeric_limits<float>::quiet_NaN();
            if (r == 4 && c == 4) return 1000.5f;
            return 1.0f;
        });
        test::PokeBytes(grid.path, 7 * kRecord - 4, {1, 2, 3, 4});  // end marker of row 6
        test::PokeBytes(grid.path, 9 * kRecord, {1, 2, 3, 4});      // start marker of row 9

        GridReport report;
        std::int64_t lastDone = 0;
        ASSERT_TRUE(ScanGrid(grid, report, [&](std::int64_t done, std::int64_t rows) {
            EXPECT_EQ(done, lastDone + 1);
            EXPECT_EQ(rows, 1081);
            lastDone = done;
        }));
        EXPECT_EQ(lastDone, 1081);
        EXPECT_EQ(report.markers, 2 * 1081);
        EXPECT_EQ(report.badMarkers, 2);
        EXPECT_EQ(report.firstBadRow, 6);
        EXPECT_EQ(report.implausible, 2);
        EXPECT_EQ(report.plausible, 1081 * kColumns - 2);
        EXPECT_EQ(report.minimum.value, -120.5f);
        EXPECT_DOUBLE_EQ(report.minimum.latitude, 90.0 - 10.0 / 6.0);
        EXPECT_DOUBLE_EQ(report.minimum.longitude, 20.0 / 6.0);
        EXPECT_EQ(report.maximum.value, 85.25f);
        EXPECT_DOUBLE_EQ(report.maximum.latitude, 90.0 - 1000.0 / 6.0);
        EXPECT_DOUBLE_EQ(report.maximum.longitude, 2159.0 / 6.0);
        EXPECT_EQ(report.sha256.size(), 64u);
        EXPECT_EQ(KnownGridWithDigest(report.sha256), nullptr);
    }
}

TEST(GridScan, RefusesAFileOfAnotherLength) {
    test::ScratchFolder dir;
    const GeoidGrid grid =
        test::WriteTestGrid(dir, 1.0 / 6.0, false, [](auto, auto) { return 0.0f; });
    std::filesystem::resize_file(grid.path, std::filesystem::file_size(grid.path) - 4);
    GridReport report;
    EXPECT_FALSE(ScanGrid(grid, report));
}

}  // namespace
}  // namespace egm2008::engine
