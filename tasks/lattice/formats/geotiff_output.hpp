// The gridmaker's GeoTIFF, the geotiff row of lattice_format_info.hpp: a
// raster (lattice_raster.hpp) that writes the lattice through libtiff and
// libgeotiff into the run's TextOutput, at offsets, so that the output stays
// the temporary file a ReplacingOutput puts in place at the end.
//
// A geoid model as PROJ's own are written (its "Geodetic TIFF grids"), so
// that PROJ's vgridshift and GDAL take it as one: one Float32 band of N in
// metres described as geoid_undulation, TYPE VERTICAL_OFFSET_GEOGRAPHIC_TO_
// VERTICAL towards EGM2008 height (target_crs_epsg_code 3855), in geographic
// WGS 84 (EPSG:4326) without a vertical system, as N is no height. Tiled,
// deflate-compressed with the floating-point predictor, little-endian;
// BigTIFF when the file could pass 4 GB. Pixel is point: pixel (0, 0) is the
// node at (west, north) and node (r, c) lies at (west + c*lonStep,
// north - r*latStep), so GDAL reports the extent half a step beyond the outer
// nodes. A node that cannot be computed (NaN in a row) holds kGeotiffNoData,
// named by the GDAL_NODATA tag. The GDAL_METADATA tag also names the grid
// file, the method, the spacing and the area; ImageDescription says it in words.
//
// Memory: one row of tiles. Rows come north to south, so tiles are written
// in file order as each row of tiles fills. A run that stops early writes
// the rows it got, the rest of their row of tiles as NoData, and leaves the
// later tiles out (TIFF's sparse tiles: GDAL reads them as NoData). libtiff's
// messages go nowhere; a failure shows as a false answer and error().
#pragma once

#include <cstdint>
#include <memory>

#include "tasks/engine_names.hpp"
#include "tasks/common/text_output.hpp"
#include "tasks/lattice/formats/lattice_format_info.hpp"
#include "tasks/lattice/formats/lattice_raster.hpp"

namespace egm2008 {

/// The value of a node that cannot be computed, and its GDAL_NODATA text.
inline constexpr float kGeotiffNoData = -9999.0f;
inline constexpr const char* kGeotiffNoDataText = "-9999";

/// The most columns a GeoTIFF holds: a row of tiles stays within 256 MB.
inline constexpr std::uint64_t kGeotiffColumnLimit = std::uint64_t{1} << 22;

/// How a lattice is laid out in the file.
struct GeotiffLayout {
    bool holds = false;  ///< false: too many rows or columns for the file
    std::uint32_t tileWidth = 0;
    std::uint32_t tileHeight =
        0;                 ///< 256, fewer for very wide lattices (one row of tiles in memory)
    bool bigTiff = false;  ///< the tiles could pass 4 GB
};

/// The layout of a lattice of `rows` x `columns` nodes. A GeoTIFF holds at most
/// kGeotiffColumnLimit columns and 2^32 - 1 rows.
GeotiffLayout GeotiffLayoutOf(std::uint64_t rows, std::uint64_t columns);

/// The GeoTIFF writer for `output` (which must outlive it and seek); of
/// `description` it tells the northern latitude, the grid, the method, the
/// spacings and the software (the geotiff row's raster).
std::unique_ptr<LatticeRaster> MakeGeotiffOutput(TextOutput& output,
                                                 const LatticeDescription& description);

}  // namespace egm2008
