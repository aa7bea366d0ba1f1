// The GeoTIFF writer's own rules: how a lattice is laid out in the file, and
// a failed write reaching the run. What GDAL reads back is tested through the
// command line (tests/cli/grid_formats_test.cpp).
#include "tasks/lattice/formats/geotiff_output.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <vector>

namespace egm2008 {
namespace {

struct LayoutCase {
    const char* name;
    std::uint64_t rows;
    std::uint64_t columns;
    bool holds;
    std::uint32_t tileHeight;
    bool bigTiff;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class GeotiffLayoutRule : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(GeotiffLayoutRule, TilesAndBigTiff) {
    const LayoutCase& c = GetParam();
    const GeotiffLayout layout = GeotiffLayoutOf(c.rows, c.columns);
    EXPECT_EQ(layout.holds, c.holds);
    if (!c.holds) return;
    EXPECT_EQ(layout.tileWidth, 256u);
    EXPECT_EQ(layout.tileHeight, c.tileHeight);
    EXPECT_EQ(layout.bigTiff, c.bigTiff);
}

INSTANTIATE_TEST_SUITE_P(
    Lattices, GeotiffLayoutRule,
    ::testing::Values(LayoutCase{"OneNode", 1, 1, true, 256, false},
                      LayoutCase{"GlobeAt2_5Minutes", 4321, 8641, true, 256, false},
                      LayoutCase{"GlobeAt1Minute", 10801, 21601, true, 256, false},
                      // 32768^2 floats are 4 GiB before compression.
                      LayoutCase{"JustClassic", 30000, 30000, true, 256, false},
                      LayoutCase{"FourGigabytes", 32768, 32768, true, 256, true},
                      // A row of tiles stays within 64 MiB while it can.
                      LayoutCase{"WidestFullTiles", 10, 65536, true, 256, false},
                      LayoutCase{"WiderLowerTiles", 10, 65537, true, 240, false},
                      LayoutCase{"WidestLattice", 10, 4194304, true, 16, false},
                      LayoutCase{"TooWide", 10, 4194305, false, 0, false},
                      LayoutCase{"MostRows", 4294967295, 1, true, 256, true},
                      LayoutCase{"TooManyRows", 4294967296, 1, false, 0, false},
                      LayoutCase{"NoNodes", 0, 5, false, 0, false}),
    [](const ::testing::TestParamInfo<LayoutCase>& p) { return std::string(p.param.name); });

// Fault pinned: a full disk must stop the run with its errno, not pass unnoticed.
TEST(GeotiffOutput, FullDiskFailsTheRowWithItsErrno) {
    TextOutput output;
    ASSERT_TRUE(output.Open("/dev/full"));
    const std::unique_ptr<LatticeRaster> raster = MakeGeotiffOutput(output, {});
    ASSERT_TRUE(raster->Begin({2, 3, 29.0, 5.0, 1.0, 1.0}));
    const std::vector<float> row = {1.0f, NAN, 3.0f};
    EXPECT_TRUE(!raster->Row(0, row) || !raster->Row(1, row));
    EXPECT_EQ(raster->error(), ENOSPC);
    EXPECT_FALSE(raster->Finish(false));
    EXPECT_EQ(raster->error(), ENOSPC);
}

}  // namespace
}  // namespace egm2008
