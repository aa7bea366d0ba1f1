#include "tasks/dem/dem_preview.hpp"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <memory>
#include <utility>

#include "tasks/common/line_reader.hpp"
#include "tasks/dem/quiet_gdal.hpp"
#include "tasks/lattice/formats/colour_map.hpp"

namespace egm2008 {

namespace {

constexpr double kDegree = 0.017453292519943295;  // radians
// Metres along a meridian, and along the equator, in a degree (the mean of WGS 84's).
constexpr double kMetresPerDegree = 111320.0;
// The hillshade's light: from the north-west, 45 degrees above the horizon.
constexpr double kSunAzimuth = 315.0 * kDegree;
constexpr double kSunZenith = 45.0 * kDegree;
// The slope the median gradient is exaggerated to: tan(27 degrees) is about 0.5.
constexpr double kMedianGradient = 0.5;
constexpr double kMostExaggeration = 1000.0;

// Whether the first bytes of the file at `path` look like text; false when it cannot be read.
bool StartsAsText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string start(kTextProbeBytes, '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<std::size_t>(in.gcount()));
    return LooksLikeText(start);
}

// The raster at `path`, when it is one: opened by GDAL with a band, and no text unless
// GDAL's XML description of a raster (a VRT).
GDALDatasetUniquePtr OpenRaster(const std::string& path) {
    static const char* const kVrtOnly[] = {"VRT", nullptr};
    const char* const* drivers = StartsAsText(path) ? kVrtOnly : nullptr;
    GDALDatasetUniquePtr ds(
        GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers));
    if (!ds || ds->GetRasterCount() < 1) return nullptr;
    return ds;
}

// Band 1 read decimated to at most kDemPictureLongSide on the long side.
struct OverviewRead {
    int width = 0;
    int height = 0;
    std::vector<double> heights;  // NaN where missing
    double stepX = 1.0;           // raster columns, and rows, per pixel of the read
    double stepY = 1.0;
};

bool ReadOverview(GDALDataset& ds, OverviewRead& read) {
    GDALRasterBand* band = ds.GetRasterBand(1);
    const int width = ds.GetRasterXSize(), height = ds.GetRasterYSize();
    const double scale = std::min(1.0, static_cast<double>(kDemPictureLongSide) /
                                           static_cast<double>(std::max(width, height)));
    read.width = std::max(1, static_cast<int>(std::lround(width * scale)));
    read.height = std::max(1, static_cast<int>(std::lround(height * scale)));
    read.stepX = static_cast<double>(width) / read.width;
    read.stepY = static_cast<double>(height) / read.height;
    read.heights.assign(static_cast<std::size_t>(read.width) * read.height, 0.0);
    if (band->RasterIO(GF_Read, 0, 0, width, height, read.heights.data(), read.width, read.height,
                       GDT_Float64, 0, 0, nullptr) != CE_None)
        return false;
    int hasNodata = 0;
    const double nodata = band->GetNoDataValue(&hasNodata);
    int hasScale = 0, hasOffset = 0;
    const double factor = band->GetScale(&hasScale);
    const double offset = band->GetOffset(&hasOffset);
    for (double& h : read.heights) {
        if ((hasNodata && (h == nodata || (std::isnan(nodata) && std::isnan(h)))) ||
            !std::isfinite(h)) {
            h = std::numeric_limits<double>::quiet_NaN();
        } else {
            h = h * (hasScale ? factor : 1.0) + (hasOffset ? offset : 0.0);
        }
    }
    return true;
}

// The metres of a pixel of `read` across and down, from the raster's geotransform and CRS;
// a pixel a metre when the raster has no geotransform.
std::pair<double, double> CellMetres(GDALDataset& ds, const OverviewRead& read) {
    double gt[6];
    if (ds.GetGeoTransform(gt) != CE_None) return {read.stepX, read.stepY};
    double across = std::hypot(gt[1], gt[4]) * read.stepX;
    double down = std::hypot(gt[2], gt[5]) * read.stepY;
    const OGRSpatialReference* crs = ds.GetSpatialRef();
    if (crs != nullptr && crs->IsGeographic()) {
        const double middle = gt[3] + gt[5] * ds.GetRasterYSize() / 2.0;
        across *= kMetresPerDegree * std::max(0.01, std::cos(middle * kDegree));
        down *= kMetresPerDegree;
    } else if (crs != nullptr && crs->IsProjected()) {
        const double metres = crs->GetLinearUnits();
        across *= metres;
        down *= metres;
    }
    return {across, down};
}

DemDescription Describe(GDALDataset& ds) {
    DemDescription description;
    description.width = ds.GetRasterXSize();
    description.height = ds.GetRasterYSize();
    if (const OGRSpatialReference* crs = ds.GetSpatialRef()) {
        if (const char* name = crs->GetName()) description.crs = name;
    }
    GDALRasterBand* band = ds.GetRasterBand(1);
    description.type = GDALGetDataTypeName(band->GetRasterDataType());
    int has = 0;
    const double nodata = band->GetNoDataValue(&has);
    if (has) description.nodata = nodata;
    return description;
}

// The height at (x, y) clamped into the picture; `fallback` where it is missing.
double At(const std::vector<double>& heights, int width, int height, int x, int y,
          double fallback) {
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    const double h = heights[static_cast<std::size_t>(y) * width + x];
    return std::isnan(h) ? fallback : h;
}

struct Gradient {
    double east = 0.0;  // rise per metre eastward
    double south = 0.0;
};

// Central differences, one-sided at the edges and beside missing pixels.
std::vector<Gradient> Gradients(const std::vector<double>& heights, int width, int height,
                                double cellX, double cellY) {
    std::vector<Gradient> gradients(heights.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double h = heights[static_cast<std::size_t>(y) * width + x];
            if (std::isnan(h)) continue;
            const int west = std::max(x - 1, 0), east = std::min(x + 1, width - 1);
            const int north = std::max(y - 1, 0), south = std::min(y + 1, height - 1);
            Gradient& g = gradients[static_cast<std::size_t>(y) * width + x];
            if (east > west)
                g.east = (At(heights, width, height, east, y, h) -
                          At(heights, width, height, west, y, h)) /
                         ((east - west) * cellX);
            if (south > north)
                g.south = (At(heights, width, height, x, south, h) -
                           At(heights, width, height, x, north, h)) /
                          ((south - north) * cellY);
        }
    }
    return gradients;
}

// The factor that brings the median non-zero gradient of `gradients` to kMedianGradient,
// at least 1.
double Exaggeration(const std::vector<Gradient>& gradients) {
    std::vector<double> sizes;
    for (const Gradient& g : gradients) {
        const double size = std::hypot(g.east, g.south);
        if (size > 0.0 && std::isfinite(size)) sizes.push_back(size);
    }
    if (sizes.empty()) return 1.0;
    const auto middle = sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2);
    std::nth_element(sizes.begin(), middle, sizes.end());
    return std::clamp(kMedianGradient / *middle, 1.0, kMostExaggeration);
}

// Lambert's light on a slope of gradient `g` (0 dark, 1 facing the sun).
double Hillshade(const Gradient& g) {
    const double slope = std::atan(std::hypot(g.east, g.south));
    // The aspect: the direction downhill, clockwise from north.
    const double aspect = std::atan2(-g.east, g.south);
    const double light = std::cos(kSunZenith) * std::cos(slope) +
                         std::sin(kSunZenith) * std::sin(slope) * std::cos(kSunAzimuth - aspect);
    return std::clamp(light, 0.0, 1.0);
}

// A channel of the tint, paled halfway to white so that the shade shows on its darkest
// colours too, in the light `light` (0..1) of its slope.
std::uint8_t Shaded(std::uint8_t channel, double light) {
    const double pale = 0.5 * channel + 0.5 * 255.0;
    return static_cast<std::uint8_t>(std::lround(pale * (0.25 + 0.75 * light)));
}

}  // namespace

RgbImage ShadeDem(const std::vector<double>& heights, int width, int height, double cellX,
                  double cellY) {
    RgbImage picture(width, height, kDemMissingColour);
    double least = std::numeric_limits<double>::infinity();
    double most = -least;
    for (double h : heights) {
        if (std::isnan(h)) continue;
        least = std::min(least, h);
        most = std::max(most, h);
    }
    if (least > most) return picture;
    std::vector<Gradient> gradients = Gradients(heights, width, height, cellX, cellY);
    const double exaggeration = Exaggeration(gradients);
    const double span = most > least ? most - least : 1.0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            if (std::isnan(heights[at])) continue;
            Gradient g = gradients[at];
            g.east *= exaggeration;
            g.south *= exaggeration;
            const double light = Hillshade(g);
            const Rgb tint = Sequential((heights[at] - least) / span);
            picture.Set(x, y,
                        {Shaded(tint.r, light), Shaded(tint.g, light), Shaded(tint.b, light)});
        }
    }
    return picture;
}

std::optional<DemPreview> PreviewDem(const std::string& path) {
    const QuietGdal quiet;
    GDALDatasetUniquePtr ds = OpenRaster(path);
    if (!ds) return std::nullopt;
    DemPreview preview;
    preview.description = Describe(*ds);
    OverviewRead read;
    if (ReadOverview(*ds, read)) {
        const auto [cellX, cellY] = CellMetres(*ds, read);
        preview.picture = ShadeDem(read.heights, read.width, read.height, cellX, cellY);
    }
    return preview;
}

std::vector<PlacedValue> DemMapPoints(const std::string& path, std::string& error) {
    const QuietGdal quiet;
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    OverviewRead read;
    double gt[6];
    if (!ds || ds->GetRasterCount() < 1 || !ReadOverview(*ds, read) ||
        ds->GetGeoTransform(gt) != CE_None || ds->GetSpatialRef() == nullptr) {
        error = CPLGetLastErrorMsg();
        if (error.empty()) error = "no georeferenced raster";
        return {};
    }
    // The horizontal CRS, easting or longitude first, to WGS 84 longitude and latitude.
    OGRSpatialReference source(*ds->GetSpatialRef());
    if (source.IsCompound()) source.StripVertical();
    source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const std::unique_ptr<OGRCoordinateTransformation> toWgs84(
        OGRCreateCoordinateTransformation(&source, &wgs84));
    if (!toWgs84) {
        error = CPLGetLastErrorMsg();
        return {};
    }
    std::vector<double> xs, ys;
    std::vector<float> values;
    for (int row = 0; row < read.height; ++row) {
        for (int column = 0; column < read.width; ++column) {
            const double h = read.heights[static_cast<std::size_t>(row) * read.width + column];
            if (std::isnan(h)) continue;
            const double px = (column + 0.5) * read.stepX, py = (row + 0.5) * read.stepY;
            xs.push_back(gt[0] + px * gt[1] + py * gt[2]);
            ys.push_back(gt[3] + px * gt[4] + py * gt[5]);
            values.push_back(static_cast<float>(h));
        }
    }
    std::vector<int> done(xs.size(), 0);
    // Each point says whether it was taken; a point that was not is left out.
    // At most kDemPictureLongSide squared points: their count fits an int.
    if (!xs.empty())
        (void)toWgs84->Transform(static_cast<int>(xs.size()), xs.data(), ys.data(), nullptr,
                                 done.data());
    std::vector<PlacedValue> points;
    for (std::size_t i = 0; i < xs.size(); ++i)
        if (done[i] && std::abs(ys[i]) <= 90.0) points.push_back({ys[i], xs[i], values[i]});
    return points;
}

}  // namespace egm2008
