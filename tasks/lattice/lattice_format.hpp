// The file formats the gridmaker writes its lattice in, and the one table
// that names them and their file name extensions.
//
//   xyz  "%10.6lf %11.6lf %8.3f" + CR LF per node, 9999.999 for a node that
//        cannot be computed (the page's own text, and the default)
//   csv  a header line "latitude,longitude,N", then "lat,lon,N" per node with
//        the digits of xyz and no padding, an empty N for a node that cannot be
//        computed; CR LF line ends
//   asc  ESRI ASCII grid: cell centres are the nodes (xllcenter, yllcenter),
//        "cellsize" when both steps are equal, else "dx" and "dy";
//        NODATA_value -9999; N with 4 decimals (0.1 mm: about the seven
//        digits a node's float holds); rows north to south, CR LF line ends
//   gtx  NOAA/PROJ vertical grid: big-endian header (south latitude, west
//        longitude, latitude step, longitude step as float64; rows, columns
//        as int32), then N as big-endian float32, rows south to north, each
//        west to east, -88.8888 for a node that cannot be computed
//   geotiff  one Float32 band, geographic WGS 84 with EGM2008 heights,
//        pixel-is-point, NoData -9999 where a node cannot be computed
//        (geotiff_output.hpp)
//   png  a colour map of the lattice with its colour bar (colour_map.hpp)
//
// Only xyz and csv can go to standard output or a pipe: gtx and geotiff are
// written at offsets, out of walking order, and the others are rasters a
// user opens from a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace egm2008 {

enum class LatticeFormat { Xyz, Csv, Asc, Gtx, Geotiff, Png };

/// A format's name on the command line and its file name extension (with the dot).
struct LatticeFormatName {
    LatticeFormat format;
    const char* name;
    const char* extension;
};

inline constexpr LatticeFormatName kLatticeFormatNames[] = {
    {LatticeFormat::Xyz, "xyz", ".xyz"},         {LatticeFormat::Csv, "csv", ".csv"},
    {LatticeFormat::Asc, "asc", ".asc"},         {LatticeFormat::Gtx, "gtx", ".gtx"},
    {LatticeFormat::Geotiff, "geotiff", ".tif"}, {LatticeFormat::Png, "png", ".png"},
};

/// Further extensions that name a format.
inline constexpr LatticeFormatName kLatticeFormatAliases[] = {
    {LatticeFormat::Geotiff, "geotiff", ".tiff"},
};

/// The format named `name` as the table spells it; nothing for another name.
std::optional<LatticeFormat> LatticeFormatNamed(std::string_view name);

/// The format an output file's name asks for by its extension, in any case
/// (the tables' extensions); xyz for any other name.
LatticeFormat LatticeFormatOfPath(const std::string& path);

/// The format's name, as the table spells it.
const char* LatticeFormatText(LatticeFormat format);

/// A missing node in an ESRI ASCII grid.
inline constexpr const char* kAscNoData = "-9999";
/// A missing node in a GTX file, as PROJ and GDAL know it.
inline constexpr float kGtxMissing = -88.8888f;
/// Bytes of a GTX file's header and of each of its values.
inline constexpr std::uint64_t kGtxHeaderSize = 40;
inline constexpr std::size_t kGtxValueSize = 4;

/// A lattice as the headers describe it: rows and columns, the southern row's
/// latitude and the western column's longitude as walked, the steps; degrees.
struct LatticeShape {
    std::uint64_t rows = 0;
    std::uint64_t columns = 0;
    double south = 0.0;
    double west = 0.0;
    double latStep = 0.0;
    double lonStep = 0.0;
};

/// What comes before the nodes: csv's header line, the ESRI ASCII grid's
/// header (numbers as the shortest text that reads back as the same double),
/// the GTX header; "" for xyz and the rasters, which write their own.
std::string LatticeFormatHeader(LatticeFormat format, const LatticeShape& shape);

/// The most nodes a lattice has in any format: 18 times the whole globe at
/// 1' (10,801 x 21,601 nodes), about 150 GB of xyz text, 35 GB of asc; a
/// count of nodes fits 32 bits (the colour map counts the nodes of a pixel so).
/// A larger lattice is a mistake of spacing that would run until the disk fills.
inline constexpr std::uint64_t kLatticeNodeLimit = 0xffffffff;

/// The lattices a format's file takes: rows and columns from `least` to `most`
/// and at most `mostNodes` nodes, bounds included.
struct LatticeLimits {
    std::uint64_t leastRows = 1;
    std::uint64_t leastColumns = 1;
    std::uint64_t mostRows = kLatticeNodeLimit;
    std::uint64_t mostColumns = kLatticeNodeLimit;
    std::uint64_t mostNodes = kLatticeNodeLimit;
};

/// The limits of `format`: every format kLatticeNodeLimit nodes; asc's header
/// and gtx's hold rows and columns as int32 (2^31 - 1); a gtx or geotiff is a
/// geoid grid for PROJ, which reads none of fewer than 2 rows or 2 columns; a
/// geotiff's row of tiles and a png's row of values are held in memory
/// (4,194,304 columns; GeotiffLayoutOf).
LatticeLimits LatticeFormatLimits(LatticeFormat format);

/// A limit of LatticeLimits that a lattice breaks, and its value.
enum class LatticeBound { LeastRowsAndColumns, MostRows, MostColumns, MostNodes };
struct LatticeExcess {
    LatticeBound bound;
    std::uint64_t limit;
};

/// The first of the format's limits the lattice breaks, in the order most
/// columns, most rows, most nodes, fewest rows or columns; nothing when it breaks none.
std::optional<LatticeExcess> LatticeFormatExcess(LatticeFormat format, const LatticeShape& shape);

/// False when the format's file cannot hold the lattice: beyond its
/// LatticeFormatLimits, or a GeoTIFF beyond GeotiffLayoutOf's limits.
bool LatticeFormatHolds(LatticeFormat format, const LatticeShape& shape);

/// Writes `value` as a big-endian float32 to `at` and returns the end.
char* WriteGtxValue(char* at, float value);

/// True for the formats that cannot go to standard output or a pipe.
inline bool LatticeFormatNeedsFile(LatticeFormat format) {
    return format != LatticeFormat::Xyz && format != LatticeFormat::Csv;
}

/// True for the formats that take the lattice as rows of values (lattice_raster.hpp)
/// rather than as text or bytes written by the walk.
inline bool LatticeFormatIsRaster(LatticeFormat format) {
    return format == LatticeFormat::Geotiff || format == LatticeFormat::Png;
}

}  // namespace egm2008
