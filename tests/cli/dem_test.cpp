// "egm2008 dem": the command's exit status, its end message and what it leaves
// when it refuses (the conversion itself is held to N pixel by pixel in
// tests/tasks/dem_convert_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.hpp"
#include "engine/geoid_grid.hpp"
#include "tests/support/dem_files.hpp"

namespace egm2008::cli::test {
namespace {

class DemRun : public ::testing::Test {
protected:
    CliRun Dem(std::vector<std::string> args) {
        args.insert(args.begin(), {"dem", input_, output_});
        args.insert(args.end(), {"--grid", RealGridPath(engine::kInternalGridName)});
        return RunTool(args);
    }
    ScratchFolder scratch_;
    std::string input_ = scratch_.File("in.tif");
    std::string output_ = scratch_.File("out.tif");
};

TEST_F(DemRun, AConvertedRasterIsCountedOnStandardError) {
    REAL_GRID_OR_SKIP(grid, engine::kInternalGridName);
    DemRaster raster;
    raster.nodata = -9999.0;
    raster.values.assign(12, 150.0);
    raster.values[5] = -9999.0;
    WriteDem(input_, raster);
    const CliRun run = Dem({"--to", "orthometric", "--co", "COMPRESS=DEFLATE"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string head =
        "egm2008: " + output_ + ": 11 pixels converted, 1 nodata, 0 clipped, 0 without N, ";
    EXPECT_EQ(run.err.rfind(head, 0), 0u) << run.err;
    const DemRead read = ReadDem(output_);
    EXPECT_EQ(read.verticalCode, "3855");
    EXPECT_EQ(read.compression, "DEFLATE");
}

TEST_F(DemRun, ClippedPixelsAndTypeOverrideEndInStatusOne) {
    REAL_GRID_OR_SKIP(grid, engine::kInternalGridName);
    DemRaster raster;
    raster.values.assign(12, 40000.0);  // beyond Int16 whichever way N moves it
    WriteDem(input_, raster);
    const CliRun run = Dem({"--to", "ellipsoidal", "--type", "Int16"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(" 12 clipped, "), std::string::npos) << run.err;
    EXPECT_EQ(ReadDem(output_).type, GDT_Int16);
}

// Each refusal: its status, and no output file at all.
TEST_F(DemRun, ARefusalWritesNothing) {
    REAL_GRID_OR_SKIP(grid, engine::kInternalGridName);
    struct Case {
        const char* name;
        std::string crs;
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {"no --to", "EPSG:4326", {}, 2, "--to is required"},
        {"unknown type", "EPSG:4326", {"--to", "orthometric", "--type", "Byte"}, 2, "--type"},
        {"bad --co", "EPSG:4326", {"--to", "orthometric", "--co", "TILED"}, 2, "KEY=VALUE"},
        {"band 0", "EPSG:4326", {"--to", "orthometric", "--band", "0"}, 2, "start at 1"},
        {"--co GDAL does not take",
         "EPSG:4326",
         {"--to", "orthometric", "--co", "COMPRESS=BOGUS"},
         1,
         "COMPRESS"},
        {"--co no writer knows",
         "EPSG:4326",
         {"--to", "orthometric", "--co", "NOSUCH=1"},
         1,
         "NOSUCH"},
        {"no CRS", "", {"--to", "orthometric"}, 1, "no coordinate reference system"},
        {"projected on ETRS89", "EPSG:25832", {"--to", "orthometric"}, 1, "--assume-wgs84"},
        {"not WGS 84", "EPSG:4258", {"--to", "orthometric"}, 1, "--assume-wgs84"},
        {"already H", "EPSG:4326+3855", {"--to", "orthometric"}, 1, "--force"},
        {"already h", "EPSG:4979", {"--to", "ellipsoidal"}, 1, "--force"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DemRaster raster;
        raster.crs = c.crs;
        WriteDem(input_, raster);
        const CliRun run = Dem(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(scratch_.Names(), std::vector<std::string>{"in.tif"});
    }
}

}  // namespace
}  // namespace egm2008::cli::test
