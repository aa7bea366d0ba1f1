// What is shown of a DEM raster before and after it is converted: its size,
// CRS, data type and nodata, a small shaded picture of it, and its heights as
// points for a map. The "Heights" page shows the first two when its input is a
// raster, and the map after a run.
//
// A file is taken for a raster when GDAL opens it as a raster with at least
// one band and it is no text by the page's own test (LooksLikeText of its first
// kTextProbeBytes, heights_preview.hpp), or it is text that GDAL's VRT driver
// opens (an XML description of a raster, never delimited data). GDAL also
// reads other text as rasters (XYZ, CSV, ASCII grids); those stay delimited
// text files here, for the page's text conversion.
//
// Both the picture and the map read band 1 once, decimated by GDAL to at most
// kDemPictureLongSide pixels on the long side (an overview where the file has
// one), its scale and offset applied and its nodata taken as missing (NaN).
// The picture is a hypsometric tint (Sequential from the least to the most
// height, paled halfway to white) darkened by a hillshade (light from the north-west, 45 degrees
// up; the relief exaggerated until the median slope is about 27 degrees, so that flat land shows
// some relief and steep land none it has not), missing pixels in kDemMissingColour.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tasks/lattice/formats/bitmap_font.hpp"
#include "tasks/maps/point_map.hpp"

namespace egm2008 {

/// The long side of the shaded picture and of the map's read, in pixels.
inline constexpr int kDemPictureLongSide = 256;

/// The colour of a picture's pixel without a height.
inline constexpr Rgb kDemMissingColour = {224, 224, 224};

/// What a raster is, as the page tells it.
struct DemDescription {
    int width = 0;  ///< columns
    int height = 0;
    std::string crs;   ///< the CRS's name; "" without one
    std::string type;  ///< band 1's data type by GDAL's name ("Float32")
    std::optional<double> nodata;
};

/// A raster's description and its shaded picture.
struct DemPreview {
    DemDescription description;
    RgbImage picture;
};

/// The preview of the raster at `path`; nothing when it is text, cannot be read
/// or is no raster GDAL opens.
std::optional<DemPreview> PreviewDem(const std::string& path);

/// The shaded picture of `heights` (row-major, `width` x `height`, NaN where
/// missing) whose pixels are `cellX` by `cellY` metres.
RgbImage ShadeDem(const std::vector<double>& heights, int width, int height, double cellX,
                  double cellY);

/// Band 1 of the raster at `path` as points at the centres of the pixels of its
/// decimated read, in latitude and longitude (WGS 84), each with its height;
/// missing pixels left out. Empty with `error` set when it cannot be read or
/// its places cannot be taken to latitude and longitude.
std::vector<PlacedValue> DemMapPoints(const std::string& path, std::string& error);

}  // namespace egm2008
