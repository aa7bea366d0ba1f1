// Where a DEM's pixels are: the latitude and longitude, in degrees, of each
// pixel's centre in the raster's geotransform (pixel (c, r) at c + 0.5, r + 0.5).
//
// A geographic raster's places are the geotransform's arithmetic, exact. A
// projected raster's centres go to its geographic CRS through PROJ (GDAL's
// OGRCoordinateTransformation): along a row, in stretches of kProjectedStep
// pixels, the places are taken exactly at a stretch's ends and middle and on
// the parabola through them in between, which the projections DEMs use make
// smooth; each stretch is checked at its first quarter against the exact
// place, and one that misses there by more than kProjectedTolerance degrees
// (about a millimetre: near a pole, across a projection's edge) is taken pixel
// by pixel instead. Longitudes come out in
// -180..360, as the engine takes them.
//
// One PixelPlaces is used by one thread at a time; each thread of a run has its own.
#pragma once

#include <memory>
#include <vector>

#include <ogr_spatialref.h>

namespace egm2008 {

/// Pixels between two places a projected row takes exactly.
inline constexpr int kProjectedStep = 64;
/// Degrees by which a stretch's first quarter may miss its exact place.
inline constexpr double kProjectedTolerance = 1e-8;

class PixelPlaces {
public:
    /// Takes the raster's geotransform and CRS (compound or 3-D allowed: the horizontal part
    /// counts). False, GDAL's message the last error, when a projected CRS has no way to its
    /// geographic CRS.
    bool Set(const double (&transform)[6], const OGRSpatialReference& crs);

    bool projected() const { return projection_ != nullptr; }

    /// True when each row has one latitude and each column one longitude: a geographic raster,
    /// not rotated.
    bool lattice() const { return !projection_ && transform_[2] == 0.0 && transform_[4] == 0.0; }

    /// On a lattice, the latitudes of `rows` rows from `row` and the longitudes of `count`
    /// columns from `column`: the places Row gives, to the bit.
    void Lattice(int row, int rows, int column, int count, std::vector<double>& latitudes,
                 std::vector<double>& longitudes);

    /// The places of `count` pixels of row `row` from column `column`; `ok[k]` 0 where a pixel
    /// has none. Projected rows go through linear stretches as above unless `exact` is set.
    void Row(int row, int column, int count, std::vector<double>& latitudes,
             std::vector<double>& longitudes, std::vector<int>& ok, bool exact = false);

private:
    void Exact(int row, int column, int count, double* latitudes, double* longitudes, int* ok);
    void Stretched(int row, int column, int count, double* latitudes, double* longitudes, int* ok);

    double transform_[6] = {};
    double toDegrees_ = 1.0;  // 1 for a CRS in degrees
    std::unique_ptr<OGRCoordinateTransformation> projection_;
    std::vector<double> xs_, ys_;  // the exact places a stretched row takes
    std::vector<int> sampleOk_;
};

/// The horizontal component of a CRS, two-dimensional.
OGRSpatialReference HorizontalCrs(const OGRSpatialReference& crs);

}  // namespace egm2008
