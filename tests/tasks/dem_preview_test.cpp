#include "tasks/dem/dem_preview.hpp"

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/dem_files.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using test::DemRaster;

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

// Whether GDAL itself opens the file at `path` as a raster.
bool GdalOpensAsRaster(const std::string& path) {
    GDALAllRegister();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    const GDALDatasetUniquePtr ds(
        GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    CPLPopErrorHandler();
    return ds != nullptr;
}

struct RecognitionCase {
    const char* name;
    const char* file;
    std::function<void(const std::string&)> write;
    bool raster;
    bool gdalOpens;  // GDAL takes it for a raster on its own
};

class DemRecognition : public ::testing::TestWithParam<RecognitionCase> {};

// Pins: GDAL's XYZ and ASCII grid drivers take text for rasters; the page keeps text as text.
TEST_P(DemRecognition, OnlyARasterThatIsNoTextIsTakenForOne) {
    const RecognitionCase& c = GetParam();
    test::ScratchFolder folder;
    const std::string path = folder.File(c.file);
    c.write(path);
    EXPECT_EQ(GdalOpensAsRaster(path), c.gdalOpens);
    EXPECT_EQ(PreviewDem(path).has_value(), c.raster);
}

void Text(const std::string& path, const std::string& text) { test::WriteFile(path, text); }

INSTANTIATE_TEST_SUITE_P(
    Files, DemRecognition,
    ::testing::Values(
        RecognitionCase{"GeoTiff", "dem.tif",
                        [](const std::string& p) { test::WriteDem(p, DemRaster{}); }, true, true},
        RecognitionCase{"GeoTiffByAnotherName", "dem.csv",
                        [](const std::string& p) { test::WriteDem(p, DemRaster{}); }, true, true},
        RecognitionCase{"VrtOverAGeoTiff", "dem.vrt",
                        [](const std::string& p) {
                            const std::filesystem::path source =
                                std::filesystem::path(p).parent_path() / "source.tif";
                            test::WriteDem(source.string(), DemRaster{});
                            Text(p, R"(<VRTDataset rasterXSize="4" rasterYSize="3">
  <SRS>EPSG:4326</SRS>
  <GeoTransform>10, 0.25, 0, 50, 0, -0.25</GeoTransform>
  <VRTRasterBand dataType="Float32" band="1">
    <SimpleSource>
      <SourceFilename relativeToVRT="1">source.tif</SourceFilename>
      <SourceBand>1</SourceBand>
    </SimpleSource>
  </VRTRasterBand>
</VRTDataset>
)");
                        },
                        true, true},
        RecognitionCase{"Csv", "survey.csv",
                        [](const std::string& p) { Text(p, "Lat,Lon,h\n52.5,13.4,100\n"); }, false,
                        false},
        RecognitionCase{"XyzTextGdalReads", "dem.xyz",
                        [](const std::string& p) {
                            Text(p,
                                 "10.125 49.875 100\n10.375 49.875 101\n"
                                 "10.125 49.625 110\n10.375 49.625 111\n");
                        },
                        false, true},
        RecognitionCase{"AsciiGridGdalReads", "dem.asc",
                        [](const std::string& p) {
                            Text(p,
                                 "ncols 2\nnrows 2\nxllcorner 10\nyllcorner 49\n"
                                 "cellsize 0.25\n100 101\n110 111\n");
                        },
                        false, true},
        RecognitionCase{"BinaryNoRaster", "blob.bin",
                        [](const std::string& p) { Text(p, std::string("\0\1\2\3\xff\xfe", 6)); },
                        false, false},
        RecognitionCase{"Empty", "empty.tif", [](const std::string& p) { Text(p, ""); }, false,
                        false},
        RecognitionCase{"Missing", "missing.tif", [](const std::string&) {}, false, false}),
    [](const auto& p) { return std::string(p.param.name); });

struct DescriptionCase {
    const char* name;
    DemRaster raster;
    DemDescription expected;
    int pictureWidth, pictureHeight;
};

class DemDescriptions : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(DemDescriptions, TellSizeCrsTypeNodataAndThePicturesSize) {
    const DescriptionCase& c = GetParam();
    test::ScratchFolder folder;
    test::WriteDem(folder.File("dem.tif"), c.raster);
    const std::optional<DemPreview> preview = PreviewDem(folder.File("dem.tif"));
    ASSERT_TRUE(preview.has_value());
    const DemDescription& got = preview->description;
    EXPECT_EQ(got.width, c.expected.width);
    EXPECT_EQ(got.height, c.expected.height);
    EXPECT_EQ(got.crs, c.expected.crs);
    EXPECT_EQ(got.type, c.expected.type);
    EXPECT_EQ(got.nodata, c.expected.nodata);
    EXPECT_EQ(preview->picture.width, c.pictureWidth);
    EXPECT_EQ(preview->picture.height, c.pictureHeight);
    EXPECT_EQ(preview->picture.bytes.size(),
              static_cast<std::size_t>(3 * c.pictureWidth * c.pictureHeight));
}

DemRaster Sized(int width, int height, GDALDataType type, std::string crs,
                std::optional<double> nodata) {
    DemRaster raster;
    raster.width = width;
    raster.height = height;
    raster.type = type;
    raster.crs = std::move(crs);
    raster.nodata = nodata;
    if (raster.crs == "EPSG:32632") {
        const double utm[6] = {500000.0, 30.0, 0.0, 5500000.0, 0.0, -30.0};
        std::copy(std::begin(utm), std::end(utm), raster.transform);
    }
    return raster;
}

INSTANTIATE_TEST_SUITE_P(
    Rasters, DemDescriptions,
    ::testing::Values(DescriptionCase{"SmallGeographic",
                                      Sized(4, 3, GDT_Float32, "EPSG:4326", std::nullopt),
                                      {4, 3, "WGS 84", "Float32", std::nullopt},
                                      4,
                                      3},
                      DescriptionCase{"WideProjectedWithNodata",
                                      Sized(600, 300, GDT_Int16, "EPSG:32632", -32768.0),
                                      {600, 300, "WGS 84 / UTM zone 32N", "Int16", -32768.0},
                                      256,
                                      128},
                      DescriptionCase{"TallWithoutCrs",
                                      Sized(300, 1000, GDT_Float64, "", std::nullopt),
                                      {300, 1000, "", "Float64", std::nullopt},
                                      77,
                                      256}),
    [](const auto& p) { return std::string(p.param.name); });

// A cone: heights falling away from the middle of a `side` x `side` picture.
std::vector<double> Cone(int side) {
    std::vector<double> heights;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            heights.push_back(1000.0 - 30.0 * std::hypot(x - side / 2.0, y - side / 2.0));
    return heights;
}

TEST(ShadeDem, ASlopedDemIsNoFlatPicture) {
    const RgbImage picture = ShadeDem(Cone(16), 16, 16, 30.0, 30.0);
    ASSERT_EQ(picture.width, 16);
    ASSERT_EQ(picture.height, 16);
    std::vector<Rgb> colours;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) colours.push_back(picture.At(x, y));
    EXPECT_NE(std::count(colours.begin(), colours.end(), colours.front()),
              static_cast<std::ptrdiff_t>(colours.size()));
}

TEST(ShadeDem, TheSideFacingTheLightIsTheBrighter) {
    // The cone's north-west flank faces the light, its south-east flank turns away,
    // both at the same height and so in the same tint.
    const RgbImage picture = ShadeDem(Cone(16), 16, 16, 30.0, 30.0);
    const Rgb lit = picture.At(4, 4), dark = picture.At(12, 12);
    EXPECT_GT(lit.r + lit.g + lit.b, dark.r + dark.g + dark.b);
}

TEST(ShadeDem, MissingHeightsAreGreyAndAnAllMissingDemIsAllGrey) {
    std::vector<double> heights = Cone(4);
    heights[5] = kMissing;
    EXPECT_EQ(ShadeDem(heights, 4, 4, 30.0, 30.0).At(1, 1), kDemMissingColour);
    const RgbImage none = ShadeDem(std::vector<double>(6, kMissing), 3, 2, 30.0, 30.0);
    EXPECT_EQ(none.bytes, RgbImage(3, 2, kDemMissingColour).bytes);
}

TEST(DemMapPoints, PixelCentresInLatitudeAndLongitudeWithTheirHeightsNodataLeftOut) {
    test::ScratchFolder folder;
    DemRaster raster;  // 4 x 3 pixels of 0.25 degrees from 10 E, 50 N
    raster.nodata = -9999.0;
    raster.values = {-9999, 101, 102, 103, 110, 111, 112, 113, 120, 121, 122, 123};
    test::WriteDem(folder.File("dem.tif"), raster);
    std::string error;
    const std::vector<PlacedValue> points = DemMapPoints(folder.File("dem.tif"), error);
    EXPECT_TRUE(error.empty());
    ASSERT_EQ(points.size(), 11u);
    EXPECT_DOUBLE_EQ(points[0].latitude, 49.875);
    EXPECT_DOUBLE_EQ(points[0].longitude, 10.375);
    EXPECT_EQ(points[0].value, 101.0f);
    EXPECT_DOUBLE_EQ(points[10].latitude, 49.375);
    EXPECT_DOUBLE_EQ(points[10].longitude, 10.875);
    EXPECT_EQ(points[10].value, 123.0f);
}

TEST(DemMapPoints, AProjectedDemIsTakenToLatitudeAndLongitude) {
    test::ScratchFolder folder;
    test::WriteDem(folder.File("utm.tif"), Sized(4, 3, GDT_Float32, "EPSG:32632", std::nullopt));
    std::string error;
    const std::vector<PlacedValue> points = DemMapPoints(folder.File("utm.tif"), error);
    ASSERT_EQ(points.size(), 12u);
    // Easting 500000 in zone 32 is its central meridian, 9 E; 5500 km north is about 49.6 N.
    EXPECT_NEAR(points[0].longitude, 9.0, 0.01);
    EXPECT_NEAR(points[0].latitude, 49.65, 0.05);
}

TEST(DemMapPoints, AFileThatIsNoRasterSaysWhy) {
    test::ScratchFolder folder;
    test::WriteFile(folder.File("no.tif"), "no raster\n");
    std::string error;
    EXPECT_TRUE(DemMapPoints(folder.File("no.tif"), error).empty());
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace egm2008
