// A whole DEM raster moved between ellipsoidal heights h and heights above the
// geoid H, H = h - N and h = H + N, in metres, N from the grid at each pixel
// as `egm2008 point` computes it (ComputeUndulation, then the tide system).
//
// The input is any raster GDAL reads whose CRS is geographic or projected on
// WGS 84 (another datum only when assumed to be WGS 84); N is taken at each
// pixel's centre in the geotransform, which GDAL keeps pixel-is-area also for a
// raster marked AREA_OR_POINT=Point (its GeoTIFF reader moves the origin half a
// pixel), so a point sample sits at that centre too. A projected DEM's centres
// are taken to latitude and longitude by PROJ; longitudes are brought into
// -180..360. The output's CRS: the horizontal one with the model's height for
// H, WGS 84 3-D (EPSG:4979) for h on a geographic DEM, the projected CRS itself
// for h on a projected one (GeoTIFF holds no 3-D projected CRS).
// The output is a GeoTIFF with the input's size, geotransform, data type (or
// the one asked for), nodata, scale/offset and block size, written to a
// temporary file beside it and renamed when the run ends; a refusal or a
// failure writes nothing and leaves what was there; the output is never the
// input or the grid. Nodata stays nodata; a
// pixel without N becomes nodata; integer values are rounded to nearest and
// clipped to their type, each counted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "engine/node_reader.hpp"
#include "engine/tide_system.hpp"
#include "tasks/common/run_stop.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/common/height_target.hpp"

namespace egm2008 {

/// What a DEM run is asked to do.
struct DemOptions {
    HeightTarget target = HeightTarget::Orthometric;
    InterpolationMethod method = InterpolationMethod::BiQuadratic;
    TideSystem tide = TideSystem::TideFree;
    std::string methodName = "biquadratic";    ///< as the output's metadata names the method
    int band = 1;                              ///< the input band converted, from 1
    std::string type;                          ///< output data type by GDAL's name; "": the input's
    std::vector<std::string> creationOptions;  ///< KEY=VALUE, passed to the GeoTIFF writer
    bool assumeWgs84 = false;  ///< a geographic CRS on another datum is taken as WGS 84
    bool force = false;        ///< convert an input already tagged with the target heights
    /// Pixels a batch of the run holds at most, whole blocks of the input (at least one).
    std::int64_t batchPixels = std::int64_t{1} << 18;
};

/// The pixels of a run, by what became of them.
struct DemCounts {
    std::int64_t converted = 0;  ///< written with the converted height (clipped ones included)
    std::int64_t nodata = 0;     ///< nodata in the input, nodata in the output
    std::int64_t clipped = 0;    ///< outside the output type's range, written at its limit
    std::int64_t failed = 0;     ///< no N at the pixel: written as nodata
};

/// The end of a run: `error` is the one-line reason nothing was written, "" when the output was.
struct DemOutcome {
    std::string error;
    bool stopped = false;  ///< a stop was asked for: nothing written, `error` empty
    DemCounts counts;
    double seconds = 0.0;
    bool written() const { return error.empty() && !stopped; }
    /// True when written with every pixel converted as it was (none clipped, none without N).
    bool allConverted() const { return written() && counts.clipped == 0 && counts.failed == 0; }
};

/// Converts band `options.band` of the raster `input` into the GeoTIFF `output`, N from
/// `grid` through `reader` (a MappedGrid the caller has mapped). `stop` is looked at between
/// row strips; a stop writes nothing. `rows`, when given, hears the rows done after each strip
/// and the rows in all.
DemOutcome ConvertDem(const std::string& input, const std::string& output, const GeoidGrid& grid,
                      NodeReader& reader, const DemOptions& options, const RunStop& stop = {},
                      const std::function<void(std::int64_t, std::int64_t)>& rows = {});

/// The value of a pixel's height `h` (metres, scale and offset applied) after the move:
/// h - N to orthometric, h + N to ellipsoidal, N the tide-free `undulation` in `tide` at
/// `latitude`. One home for the arithmetic, which the tests repeat to the bit.
double ConvertedHeight(double h, float undulation, double latitude, HeightTarget target,
                       TideSystem tide);

}  // namespace egm2008
