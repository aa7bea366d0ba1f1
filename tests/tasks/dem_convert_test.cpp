#include "tasks/dem/dem_convert.hpp"

#include <gtest/gtest.h>
#include <gdal_utils.h>
#include <ogr_spatialref.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "engine/notifier.hpp"
#include "engine/query_routines.hpp"
#include "tests/support/byte_compare.hpp"
#include "tests/support/dem_files.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/recording_notifier.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using test::DemRaster;
using test::DemRead;

// The value a pixel must hold: the input value moved by N at the pixel's centre, in the
// output's type (float for Float32, rounded for integers).
double Expected(double value, const DemRaster& raster, int column, int row, const GeoidGrid& grid,
                NodeReader& reader, const DemOptions& options) {
    const double lon = raster.transform[0] + (column + 0.5) * raster.transform[1];
    const double lat = raster.transform[3] + (row + 0.5) * raster.transform[5];
    const double engineLon = lon >= 360.0 ? lon - 360.0 : lon;
    float n = 0.0f;
    EXPECT_EQ(ComputeUndulation(grid, options.method, lat, engineLon, n, reader),
              QueryStatus::StatusOk);
    const double h = ConvertedHeight(value, n, lat, options.target, options.tide);
    if (raster.type == GDT_Float32) return static_cast<double>(static_cast<float>(h));
    if (raster.type == GDT_Int16 || raster.type == GDT_Int32) return std::round(h);
    return h;
}

// The real internal grid, mapped, and a scratch folder.
class DemRealGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        REAL_GRID_OR_SKIP(path, kInternalGridName);
        grid_.path = path;
        ASSERT_EQ(mapped_.Map(grid_, notifier_), QueryStatus::StatusOk);
    }

    DemOutcome Convert(const DemRaster& raster, const DemOptions& options) {
        test::WriteDem(input(), raster);
        return ConvertDem(input(), output(), grid_, mapped_, options);
    }
    std::string input() const { return dir_.File("in.tif"); }
    std::string output() const { return dir_.File("out.tif"); }

    GeoidGrid grid_;
    MappedGrid mapped_;
    SilentNotifier notifier_;
    test::ScratchFolder dir_;
};

struct ConversionCase {
    const char* name;
    GDALDataType type;
    HeightTarget target;
    double west;  // longitude of the raster's west edge
    bool point;   // AREA_OR_POINT=Point
    TideSystem tide;
    std::optional<double> nodata;
};

// Row 1, columns 1 and 2 are nodata when the raster has a nodata value; an integer raster
// holds whole values.
DemRaster RasterOf(const ConversionCase& c) {
    const bool integer = c.type == GDT_Int16 || c.type == GDT_Int32;
    DemRaster raster;
    raster.type = c.type;
    raster.point = c.point;
    raster.transform[0] = c.west;
    raster.transform[1] = 2.5;  // wide steps so that 0..360 rasters cross the seam
    raster.nodata = c.nodata;
    raster.blockRows = 2;
    for (int r = 0; r < raster.height; ++r)
        for (int col = 0; col < raster.width; ++col)
            raster.values.push_back(c.nodata && r == 1 && (col == 1 || col == 2)
                                        ? *c.nodata
                                        : (integer ? 200.0 : 200.25) + 7.5 * col - 3.0 * r);
    if (integer)
        for (double& v : raster.values) v = std::round(v);
    return raster;
}

TEST_F(DemRealGridTest, EveryPixelIsMovedByNAtItsCentre) {
    const ConversionCase cases[] = {
        {"float32 area to H", GDT_Float32, HeightTarget::Orthometric, 10.0, false,
         TideSystem::TideFree, -9999.0},
        {"float32 point to h", GDT_Float32, HeightTarget::Ellipsoidal, 10.0, true,
         TideSystem::TideFree, -9999.0},
        {"float32 across 360", GDT_Float32, HeightTarget::Orthometric, 352.5, false,
         TideSystem::TideFree, std::nullopt},
        {"float32 west negative", GDT_Float32, HeightTarget::Orthometric, -7.5, false,
         TideSystem::MeanTide, std::nullopt},
        {"int16 area to H", GDT_Int16, HeightTarget::Orthometric, 10.0, false, TideSystem::TideFree,
         -32768.0},
        {"int16 point to h", GDT_Int16, HeightTarget::Ellipsoidal, 200.0, true,
         TideSystem::ZeroTide, -32768.0},
        {"float64 to H", GDT_Float64, HeightTarget::Orthometric, 10.0, false, TideSystem::TideFree,
         std::nullopt},
        {"int32 to h", GDT_Int32, HeightTarget::Ellipsoidal, 10.0, false, TideSystem::TideFree,
         -1.0},
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(c.name);
        const DemRaster raster = RasterOf(c);
        DemOptions options;
        options.target = c.target;
        options.tide = c.tide;
        const DemOutcome outcome = Convert(raster, options);
        ASSERT_TRUE(outcome.written()) << outcome.error;
        const int nodataPixels = c.nodata ? 2 : 0;
        EXPECT_EQ(outcome.counts.nodata, nodataPixels);
        EXPECT_EQ(outcome.counts.converted, raster.width * raster.height - nodataPixels);
        EXPECT_TRUE(outcome.allConverted());

        const DemRead read = test::ReadDem(output());
        EXPECT_EQ(read.type, c.type);
        EXPECT_EQ(read.nodata, c.nodata);
        EXPECT_EQ(read.blockRows, 2);
        EXPECT_EQ(read.Metadata("AREA_OR_POINT"), c.point ? "Point" : "Area");
        for (int k = 0; k < 6; ++k) EXPECT_EQ(read.transform[k], raster.transform[k]);
        for (int r = 0; r < raster.height; ++r) {
            for (int col = 0; col < raster.width; ++col) {
                const std::size_t k = static_cast<std::size_t>(r * raster.width + col);
                const double want =
                    raster.values[k] == c.nodata
                        ? *c.nodata
                        : Expected(raster.values[k], raster, col, r, grid_, mapped_, options);
                EXPECT_EQ(read.values[k], want) << "row " << r << " column " << col;
            }
        }
    }
}

TEST_F(DemRealGridTest, TheOutputSaysWhichHeightsItHolds) {
    struct Case {
        HeightTarget target;
        const char* horizontal;
        const char* vertical;
        int axes;
        const char* heights;
    } cases[] = {
        {HeightTarget::Orthometric, "4326", "3855", 3, "orthometric"},
        {HeightTarget::Ellipsoidal, "4979", "", 3, "ellipsoidal"},
    };
    for (const Case& c : cases) {
        DemOptions options;
        options.target = c.target;
        options.methodName = "bilinear";
        options.method = InterpolationMethod::BiLinear;
        ASSERT_TRUE(Convert(DemRaster{}, options).written());
        const DemRead read = test::ReadDem(output());
        EXPECT_EQ(read.horizontalCode, c.horizontal);
        EXPECT_EQ(read.verticalCode, c.vertical);
        EXPECT_EQ(read.axes, c.axes);
        EXPECT_EQ(read.Metadata("EGM2008_HEIGHTS"), c.heights);
        EXPECT_EQ(read.Metadata("EGM2008_MODEL"), "EGM2008");
        EXPECT_EQ(read.Metadata("EGM2008_GRID"), kInternalGridName);
        EXPECT_EQ(read.Metadata("EGM2008_METHOD"), "bilinear");
        EXPECT_EQ(read.Metadata("EGM2008_TIDE_SYSTEM"), "tide-free");
    }
}

// The older models' heights: EGM96 height (EPSG:5773) and EGM84 height (EPSG:5798), N from
// their own grids, the model named in the metadata.
TEST_F(DemRealGridTest, TheOlderModelsNameTheirOwnHeights) {
    struct Case {
        GeoidModel model;
        const char* file;
        const char* vertical;
        const char* name;
    } cases[] = {
        {GeoidModel::Egm96, "egm96.grd", "5773", "EGM96"},
        {GeoidModel::Egm84, "wwgrid.bin", "5798", "EGM84"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        REAL_GRID_OR_SKIP(path, c.file);
        const GeoidGrid grid = GridOfModel(path, c.model);
        MappedGrid mapped;
        ASSERT_EQ(mapped.Map(grid, notifier_), QueryStatus::StatusOk);
        const DemRaster raster;
        test::WriteDem(input(), raster);
        const DemOptions options;
        ASSERT_TRUE(ConvertDem(input(), output(), grid, mapped, options).written());
        const DemRead read = test::ReadDem(output());
        EXPECT_EQ(read.verticalCode, c.vertical);
        EXPECT_EQ(read.Metadata("EGM2008_MODEL"), c.name);
        EXPECT_EQ(read.values[0], Expected(100.0, raster, 0, 0, grid, mapped, options));
    }
}

// Pins: the output kept the input's compression and the creation options a user adds.
TEST_F(DemRealGridTest, CompressionAndCreationOptionsReachTheOutput) {
    DemRaster raster;
    raster.compress = "DEFLATE";
    ASSERT_TRUE(Convert(raster, DemOptions{}).written());
    EXPECT_EQ(test::ReadDem(output()).compression, "DEFLATE");
    DemOptions options;
    options.creationOptions = {"COMPRESS=LZW"};
    ASSERT_TRUE(Convert(raster, options).written());
    EXPECT_EQ(test::ReadDem(output()).compression, "LZW");
}

// A Cloud-Optimised GeoTIFF in gives one out, unless --co COG=NO; COG=YES makes one of any input.
TEST_F(DemRealGridTest, ACogGivesACog) {
    struct Case {
        const char* name;
        bool cogIn;
        std::vector<std::string> creation;
        const char* layout;
    };
    const Case cases[] = {
        {"COG in", true, {}, "COG"},
        {"COG in, COG=NO", true, {"COG=NO"}, ""},
        {"GeoTIFF in", false, {}, ""},
        {"GeoTIFF in, COG=YES", false, {"COG=YES"}, "COG"},
    };
    DemRaster raster;
    raster.width = 300;
    raster.height = 200;
    raster.transform[1] = 0.01;
    raster.transform[5] = -0.01;
    raster.compress = "DEFLATE";
    raster.tile = 64;
    test::WriteDem(dir_.File("plain.tif"), raster);
    ASSERT_TRUE(
        ConvertDem(dir_.File("plain.tif"), dir_.File("plain-out.tif"), grid_, mapped_, DemOptions{})
            .written());
    const DemRead plain = test::ReadDem(dir_.File("plain-out.tif"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        raster.cog = c.cogIn;
        DemOptions options;
        options.creationOptions = c.creation;
        ASSERT_TRUE(Convert(raster, options).allConverted());
        const DemRead read = test::ReadDem(output());
        EXPECT_EQ(read.layout, c.layout);
        EXPECT_EQ(read.compression, "DEFLATE");
        EXPECT_EQ(read.verticalCode, "3855");
        EXPECT_EQ(read.values, plain.values);
        EXPECT_EQ(dir_.Names().size(), 4u);  // no scratch file left beside the output
    }
}

TEST_F(DemRealGridTest, IntegersOutsideTheirTypeAreClippedAndCounted) {
    DemRaster raster;
    raster.type = GDT_Int16;
    raster.values.assign(static_cast<std::size_t>(raster.width * raster.height), 100.0);
    raster.values[0] = 32767.0;  // N near 50 N 10 E is about +47 m: beyond Int16 as h
    DemOptions options;
    options.target = HeightTarget::Ellipsoidal;
    const DemOutcome outcome = Convert(raster, options);
    ASSERT_TRUE(outcome.written());
    EXPECT_EQ(outcome.counts.clipped, 1);
    EXPECT_FALSE(outcome.allConverted());
    EXPECT_EQ(test::ReadDem(output()).values[0], 32767.0);
}

// Where the input's own mask (no nodata value) says there is no data, the output holds its
// nodata value; every other pixel is as without the mask. Tiles of a geographic raster and
// strips of a projected one.
TEST_F(DemRealGridTest, MaskedPixelsBecomeNodata) {
    struct Case {
        const char* name;
        std::string crs;
        GDALDataType type;
        int tile;
        double nodata;  // the output's
    } cases[] = {
        {"float32 tiles", "EPSG:4326", GDT_Float32, 16, std::nan("")},
        {"int16 strips, UTM", "EPSG:32632", GDT_Int16, 0, -32768.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DemRaster raster;
        raster.crs = c.crs;
        raster.type = c.type;
        raster.tile = c.tile;
        raster.width = raster.height = 20;
        if (c.crs != "EPSG:4326") {
            const double utm[6] = {500000.0, 30.0, 0.0, 5300000.0, 0.0, -30.0};
            std::copy(std::begin(utm), std::end(utm), raster.transform);
        }
        const DemOutcome plain = Convert(raster, DemOptions{});
        ASSERT_TRUE(plain.allConverted()) << plain.error;
        const DemRead unmasked = test::ReadDem(output());
        for (int k = 0; k < raster.width * raster.height; ++k)
            raster.mask.push_back(k % 7 == 3 ? 0 : 255);
        const DemOutcome outcome = Convert(raster, DemOptions{});
        ASSERT_TRUE(outcome.allConverted()) << outcome.error;
        const DemRead read = test::ReadDem(output());
        ASSERT_TRUE(read.nodata.has_value());
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*read.nodata),
                  std::bit_cast<std::uint64_t>(c.nodata));
        int masked = 0;
        for (std::size_t k = 0; k < raster.mask.size(); ++k) {
            const double want = raster.mask[k] == 0 ? c.nodata : unmasked.values[k];
            masked += raster.mask[k] == 0 ? 1 : 0;
            EXPECT_EQ(std::bit_cast<std::uint64_t>(read.values[k]),
                      std::bit_cast<std::uint64_t>(want))
                << "pixel " << k;
        }
        EXPECT_EQ(outcome.counts.nodata, masked);
        EXPECT_EQ(outcome.counts.converted, raster.width * raster.height - masked);
    }
}

// Pins: a value clipped onto the nodata value stayed data, one step inside the type.
TEST_F(DemRealGridTest, AClippedValueNeverBecomesNodata) {
    DemRaster raster;
    raster.type = GDT_Int16;
    raster.nodata = -32768.0;
    raster.values.assign(static_cast<std::size_t>(raster.width * raster.height), 100.0);
    raster.values[0] = -32760.0;  // minus N (about 47 m) is below Int16
    const DemOutcome outcome = Convert(raster, DemOptions{});
    ASSERT_TRUE(outcome.written());
    EXPECT_EQ(outcome.counts.clipped, 1);
    EXPECT_EQ(outcome.counts.nodata, 0);
    EXPECT_EQ(test::ReadDem(output()).values[0], -32767.0);
}

// Pins: --band chooses the band.
TEST_F(DemRealGridTest, TheBandAskedForIsConverted) {
    DemRaster raster;
    raster.point = true;
    raster.values.assign(static_cast<std::size_t>(raster.width * raster.height), 10.0);
    test::WriteDem(input(), raster);
    // A second band of other values: a VRT of two rasters, one band each.
    DemRaster two = raster;
    two.values.assign(two.values.size(), 500.0);
    const std::string second = dir_.File("two.tif");
    test::WriteDem(second, two);
    const std::string vrt = dir_.File("both.vrt");
    {
        const std::string first = input();
        std::vector<const char*> names = {first.c_str(), second.c_str()};
        char* argv[] = {const_cast<char*>("-separate"), nullptr};
        GDALBuildVRTOptions* options = GDALBuildVRTOptionsNew(argv, nullptr);
        GDALDatasetH built = GDALBuildVRT(vrt.c_str(), 2, nullptr, names.data(), options, nullptr);
        GDALBuildVRTOptionsFree(options);
        ASSERT_NE(built, nullptr);
        GDALClose(built);
    }
    DemOptions options;
    options.band = 2;
    const DemOutcome outcome = ConvertDem(vrt, output(), grid_, mapped_, options);
    ASSERT_TRUE(outcome.written()) << outcome.error;
    const DemRead read = test::ReadDem(output());
    EXPECT_EQ(read.values[0], Expected(500.0, raster, 0, 0, grid_, mapped_, options));
}

TEST_F(DemRealGridTest, APixelWithoutNBecomesNodata) {
    DemRaster raster;
    raster.transform[3] = 90.5;  // the first row's centres lie beyond the pole
    raster.transform[5] = -0.5;
    const DemOutcome outcome = Convert(raster, DemOptions{});
    ASSERT_TRUE(outcome.written());
    EXPECT_EQ(outcome.counts.failed, raster.width);
    const DemRead read = test::ReadDem(output());
    ASSERT_TRUE(read.nodata.has_value());
    EXPECT_TRUE(std::isnan(*read.nodata));
    EXPECT_TRUE(std::isnan(read.values[0]));
    EXPECT_FALSE(std::isnan(read.values[static_cast<std::size_t>(raster.width)]));
}

TEST_F(DemRealGridTest, ScaleAndOffsetAreHonoured) {
    DemRaster raster;
    raster.type = GDT_Int16;
    raster.values.assign(static_cast<std::size_t>(raster.width * raster.height), 1000.0);
    test::WriteDem(input(), raster);
    {
        GDALDatasetH ds = GDALOpen(input().c_str(), GA_Update);
        ASSERT_NE(ds, nullptr);
        GDALSetRasterScale(GDALGetRasterBand(ds, 1), 0.1);
        GDALSetRasterOffset(GDALGetRasterBand(ds, 1), 5.0);
        GDALClose(ds);
    }
    const DemOutcome outcome = ConvertDem(input(), output(), grid_, mapped_, DemOptions{});
    ASSERT_TRUE(outcome.written()) << outcome.error;
    float n = 0.0f;
    ASSERT_EQ(
        ComputeUndulation(grid_, InterpolationMethod::BiQuadratic, 49.875, 10.125, n, mapped_),
        QueryStatus::StatusOk);
    // 1000 * 0.1 + 5 = 105 m; H back in the stored units, rounded.
    const double want = std::round((105.0 - static_cast<double>(n) - 5.0) / 0.1);
    EXPECT_EQ(test::ReadDem(output()).values[0], want);
}

// Pins: a raster whose CRS is read latitude first (a VRT saying so) is refused, not written
// with its geotransform taken longitude first.
TEST_F(DemRealGridTest, ALatitudeFirstRasterIsRefused) {
    test::WriteDem(input(), DemRaster{});
    const std::string vrt = dir_.File("turned.vrt");
    test::WriteFile(vrt,
                    "<VRTDataset rasterXSize=\"4\" rasterYSize=\"3\">\n"
                    "  <SRS dataAxisToSRSAxisMapping=\"1,2\">EPSG:4326</SRS>\n"
                    "  <GeoTransform>50, -0.25, 0, 10, 0, 0.25</GeoTransform>\n"
                    "  <VRTRasterBand dataType=\"Float32\" band=\"1\">\n"
                    "    <SimpleSource><SourceFilename>" +
                        input() +
                        "</SourceFilename><SourceBand>1</SourceBand></SimpleSource>\n"
                        "  </VRTRasterBand>\n</VRTDataset>\n");
    const DemOutcome outcome = ConvertDem(vrt, output(), grid_, mapped_, DemOptions{});
    EXPECT_NE(outcome.error.find("first axis"), std::string::npos) << outcome.error;
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"in.tif", "turned.vrt"}));
    // The same raster longitude first is converted.
    EXPECT_TRUE(ConvertDem(input(), output(), grid_, mapped_, DemOptions{}).written());
}

// Tiles, strips and a south-up geotransform, read and written in batches of a few blocks (whole
// blocks as they are, compressed ones through GDAL's reads, a block larger than a batch by rows
// of it), in each type: every pixel lands in its place, moved by N at its own centre, and the
// blocks are the input's.
TEST_F(DemRealGridTest, BlocksAndBatchesKeepEveryPixelInPlace) {
    struct Case {
        const char* name;
        int tile;  // 0: strips of blockRows
        int blockRows;
        double north;  // the geotransform's top edge
        double step;   // the row step; positive: south up
        std::int64_t batchPixels;
        GDALDataType type = GDT_Float32;
        const char* compress = "";
        const char* outType = "";  // --type
    };
    const Case cases[] = {
        {"tiles, two a batch", 16, 16, 50.0, -0.05, 512},
        {"tiles, one a batch", 16, 16, 50.0, -0.05, 1},
        {"strips of 3, two a batch", 0, 3, 50.0, -0.05, 250},
        {"south up", 0, 4, 40.0, 0.05, 300},
        {"deflated tiles", 16, 16, 50.0, -0.05, 512, GDT_Float32, "DEFLATE"},
        {"int16 tiles", 16, 16, 50.0, -0.05, 512, GDT_Int16},
        {"int16 tiles to float64", 16, 16, 50.0, -0.05, 512, GDT_Int16, "", "Float64"},
        {"one strip larger than a batch", 0, 35, 50.0, -0.05, 100, GDT_Int32, "LZW"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DemRaster raster;
        raster.width = 40;
        raster.height = 35;
        raster.tile = c.tile;
        raster.blockRows = c.blockRows;
        raster.type = c.type;
        raster.compress = c.compress;
        const double transform[6] = {10.0, 0.05, 0.0, c.north, 0.0, c.step};
        std::copy(std::begin(transform), std::end(transform), raster.transform);
        for (int r = 0; r < raster.height; ++r)
            for (int col = 0; col < raster.width; ++col) raster.values.push_back(300.25 + col - r);
        if (c.type != GDT_Float32)
            for (double& v : raster.values) v = std::round(v);
        DemOptions options;
        options.batchPixels = c.batchPixels;
        options.type = c.outType;
        const DemOutcome outcome = Convert(raster, options);
        ASSERT_TRUE(outcome.allConverted()) << outcome.error;
        const DemRead read = test::ReadDem(output());
        EXPECT_EQ(read.blockRows, c.tile > 0 ? c.tile : c.blockRows);
        EXPECT_EQ(read.blockColumns, c.tile > 0 ? c.tile : raster.width);
        for (int k = 0; k < 6; ++k) EXPECT_EQ(read.transform[k], transform[k]);
        DemRaster written = raster;
        if (*c.outType) written.type = GDALGetDataTypeByName(c.outType);
        EXPECT_EQ(read.type, written.type);
        for (int r = 0; r < raster.height; ++r) {
            for (int col = 0; col < raster.width; ++col) {
                const auto k = static_cast<std::size_t>(r * raster.width + col);
                ASSERT_EQ(read.values[k],
                          Expected(raster.values[k], written, col, r, grid_, mapped_, options))
                    << "row " << r << " column " << col;
            }
        }
    }
}

// A projected DEM: N at each pixel centre taken to latitude and longitude through PROJ, to
// within 0.1 mm (places between exact ones are interpolated along the row).
TEST_F(DemRealGridTest, AProjectedDemIsMovedByNAtItsCentresLatitudeAndLongitude) {
    DemRaster raster;
    raster.crs = "EPSG:32632";  // WGS 84 / UTM zone 32N
    const double transform[6] = {500000.0, 1000.0, 0.0, 5540000.0, 0.0, -1000.0};
    std::copy(std::begin(transform), std::end(transform), raster.transform);
    raster.values.assign(static_cast<std::size_t>(raster.width * raster.height), 321.5);
    DemOptions options;
    const DemOutcome outcome = Convert(raster, options);
    ASSERT_TRUE(outcome.written()) << outcome.error;
    EXPECT_TRUE(outcome.allConverted());
    const DemRead read = test::ReadDem(output());
    EXPECT_EQ(read.horizontalCode, "32632");
    EXPECT_EQ(read.verticalCode, "3855");

    OGRSpatialReference utm, wgs84;
    utm.importFromEPSG(32632);
    wgs84.importFromEPSG(4326);
    utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const std::unique_ptr<OGRCoordinateTransformation> toDegrees(
        OGRCreateCoordinateTransformation(&utm, &wgs84));
    ASSERT_TRUE(toDegrees);
    for (int r = 0; r < raster.height; ++r) {
        for (int c = 0; c < raster.width; ++c) {
            double lon = transform[0] + (c + 0.5) * transform[1];
            double lat = transform[3] + (r + 0.5) * transform[5];
            ASSERT_TRUE(toDegrees->Transform(1, &lon, &lat));
            float n = 0.0f;
            ASSERT_EQ(ComputeUndulation(grid_, options.method, lat, lon, n, mapped_),
                      QueryStatus::StatusOk);
            const float want =
                static_cast<float>(ConvertedHeight(321.5, n, lat, options.target, options.tide));
            EXPECT_NEAR(read.values[static_cast<std::size_t>(r * raster.width + c)],
                        static_cast<double>(want), 1e-4)
                << "row " << r << " column " << c;
        }
    }
}

TEST_F(DemRealGridTest, ARefusedInputLeavesNoOutput) {
    struct Case {
        const char* name;
        std::string crs;
        HeightTarget target;
        int band;
        bool proceeds;  // with --force or --assume-wgs84
    } cases[] = {
        {"no CRS", "", HeightTarget::Orthometric, 1, false},
        {"projected on ETRS89", "EPSG:25832", HeightTarget::Orthometric, 1, true},
        {"NAD83", "EPSG:4269", HeightTarget::Orthometric, 1, true},
        {"already H", "EPSG:4326+3855", HeightTarget::Orthometric, 1, true},
        {"already h", "EPSG:4979", HeightTarget::Ellipsoidal, 1, true},
        {"EGM96 heights to h by EGM2008", "EPSG:4326+5773", HeightTarget::Ellipsoidal, 1, true},
        {"no band 2", "EPSG:4326", HeightTarget::Orthometric, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DemRaster raster;
        raster.crs = c.crs;
        DemOptions options;
        options.target = c.target;
        options.band = c.band;
        const DemOutcome outcome = Convert(raster, options);
        EXPECT_FALSE(outcome.written());
        EXPECT_FALSE(outcome.error.empty());
        EXPECT_EQ(dir_.Names(), std::vector<std::string>{"in.tif"});
        options.force = options.assumeWgs84 = true;
        EXPECT_EQ(ConvertDem(input(), output(), grid_, mapped_, options).written(), c.proceeds);
        std::filesystem::remove(output());
    }
}

// Pins: the output is refused when it is the input or the grid, which a rename would replace
// (a copy of the grid, so that a fault here cannot harm the real one).
TEST_F(DemRealGridTest, TheOutputIsNeverTheInputOrTheGrid) {
    GeoidGrid copy;
    copy.path = dir_.File("grid");
    std::filesystem::copy_file(grid_.path, copy.path);
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(copy, notifier_), QueryStatus::StatusOk);
    test::WriteDem(input(), DemRaster{});
    const std::string before = test::ReadFile(input());
    for (const std::string& target : {input(), copy.path}) {
        SCOPED_TRACE(target);
        const DemOutcome outcome = ConvertDem(input(), target, copy, mapped, DemOptions{});
        EXPECT_FALSE(outcome.written());
        EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"grid", "in.tif"}));
    }
    EXPECT_EQ(test::ReadFile(input()), before);
}

// Pins: the rows done are told after each band of rows, the last time with every row.
TEST_F(DemRealGridTest, RowsDoneAreToldBandByBand) {
    DemRaster raster;
    raster.height = 5;
    raster.blockRows = 2;
    test::WriteDem(input(), raster);
    std::vector<std::int64_t> told;
    const auto rows = [&told](std::int64_t done, std::int64_t total) {
        EXPECT_EQ(total, 5);
        told.push_back(done);
    };
    DemOptions options;
    options.batchPixels = 8;  // one strip of two rows of four a batch
    ASSERT_TRUE(ConvertDem(input(), output(), grid_, mapped_, options, {}, rows).written());
    EXPECT_EQ(told, (std::vector<std::int64_t>{2, 4, 5}));
}

// Pins: a stop asked for during the run writes nothing and leaves what was there.
TEST_F(DemRealGridTest, AStoppedRunLeavesTheOutputAsItWas) {
    test::WriteDem(input(), DemRaster{});
    test::WriteFile(output(), "kept\n");
    const std::atomic<int> asked{1};
    const DemOutcome outcome =
        ConvertDem(input(), output(), grid_, mapped_, DemOptions{}, RunStop{&asked, -1});
    EXPECT_TRUE(outcome.stopped);
    EXPECT_FALSE(outcome.written());
    EXPECT_EQ(test::ReadFile(output()), "kept\n");
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"in.tif", "out.tif"}));
}

// An input that does not open leaves the output as it was, and the message says why.
TEST_F(DemRealGridTest, AnInputThatDoesNotOpenLeavesTheOutputAsItWas) {
    struct Case {
        const char* name;
        const char* content;  // nullptr: no file
        const char* reason;
    } cases[] = {
        {"text", "not a raster\n", "not recognized as a supported file format"},
        {"missing", nullptr, "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(input());
        if (c.content) test::WriteFile(input(), c.content);
        test::WriteFile(output(), "kept\n");
        const DemOutcome outcome = ConvertDem(input(), output(), grid_, mapped_, DemOptions{});
        EXPECT_FALSE(outcome.written());
        EXPECT_NE(outcome.error.find(c.reason), std::string::npos) << outcome.error;
        EXPECT_EQ(test::ReadFile(output()), "kept\n");
        const std::vector<std::string> left = c.content
                                                  ? std::vector<std::string>{"in.tif", "out.tif"}
                                                  : std::vector<std::string>{"out.tif"};
        EXPECT_EQ(dir_.Names(), left);
    }
}

}  // namespace
}  // namespace egm2008
