// Small DEM rasters made and read back through GDAL for the tests of `egm2008 dem`:
// a GeoTIFF written from its size, geotransform, CRS, type, nodata and values, and
// what a converted one holds.
#pragma once

#include <gdal.h>

#include <optional>
#include <string>
#include <vector>

namespace egm2008::test {

/// A raster to write: one band, row-major values.
struct DemRaster {
    int width = 4;
    int height = 3;
    double transform[6] = {10.0, 0.25, 0.0, 50.0, 0.0, -0.25};
    GDALDataType type = GDT_Float32;
    std::string crs = "EPSG:4326";  ///< anything SetFromUserInput takes; "": none
    std::optional<double> nodata;
    bool point = false;  ///< AREA_OR_POINT=Point
    int blockRows = 1;   ///< rows per strip
    int tile = 0;        ///< square tiles of this many pixels (a multiple of 16); 0: strips
    std::string compress;
    bool cog = false;                 ///< a Cloud-Optimised GeoTIFF (tiles of `tile`, when set)
    std::vector<double> values;       ///< width * height; empty: 100 + column + 10 * row
    std::vector<unsigned char> mask;  ///< width * height, 0 where no data: the dataset's mask
};

/// Writes `raster` as a GeoTIFF at `path`; throws when GDAL cannot.
void WriteDem(const std::string& path, const DemRaster& raster);

/// What a GeoTIFF holds, read back.
struct DemRead {
    int width = 0;
    int height = 0;
    GDALDataType type = GDT_Unknown;
    double transform[6] = {};
    std::optional<double> nodata;
    std::vector<double> values;
    std::string horizontalCode;  ///< the horizontal (or only) CRS's EPSG code, "" when none
    std::string verticalCode;    ///< the vertical CRS's EPSG code, "" when none
    int axes = 0;                ///< 3 for a 3-D geographic CRS
    std::string compression;     ///< IMAGE_STRUCTURE COMPRESSION
    std::string layout;          ///< IMAGE_STRUCTURE LAYOUT: "COG" for a Cloud-Optimised GeoTIFF
    int blockRows = 0;
    int blockColumns = 0;
    std::string Metadata(const char* key) const;
    std::vector<std::string> metadata;  ///< KEY=VALUE
};

/// Reads the GeoTIFF at `path`; throws when GDAL cannot.
DemRead ReadDem(const std::string& path);

}  // namespace egm2008::test
