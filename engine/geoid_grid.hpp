// The grid database descriptor and what every query routine shares.
//
// An EGM2008 undulation grid file holds one record per row, from 90 N
// (row 0) to 90 S: a 4-byte record marker, C IEEE-754 binary32 undulations
// in metres from longitude 0 eastwards, and the marker again. Longitude 360
// is not stored; it is column 0. Node (r, c) lies at byte ((C+2)*r + c)*4 + 4.
// Values are little-endian unless `bigEndian` is set. A descriptor whose
// `model` is EGM96 or EGM84 describes that model's file instead
// (geoid_model.hpp); the queries read it through the same node addressing.
//
// Angles are decimal degrees (double), spacings degrees, undulations metres
// (float). The query routines take longitudes in 0..360; callers shift
// west longitudes by +360 first (ComputeUndulation does). The descriptor
// is plain data: queries take it by const& and change nothing, so any
// number of threads may query one descriptor at once.
#pragma once

#include <cstdint>
#include <string>

#include "engine/geoid_model.hpp"
#include "engine/messages.hpp"
#include "engine/notifier.hpp"

namespace egm2008::engine {

/// The three published grids.
enum class GridSize : std::int32_t { Grid1x1 = 0, Grid2_5x2_5 = 1, Grid10x10 = 2 };

/// NGA's file names of the grids, the one place they are spelt: by GridSize's value, then
/// little-endian (NGA's "_SE" at the end) and big-endian. GridFileName (grid_choice.hpp)
/// reads them.
inline constexpr const char* kGridFileNames[3][2] = {
    {"Und_min1x1_egm2008_isw=82_WGS84_TideFree_SE", "Und_min1x1_egm2008_isw=82_WGS84_TideFree"},
    {"Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE",
     "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree"},
    {"Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE", "Und_min10x10_egm2008_isw=82_WGS84_TideFree"},
};

/// File name of the internal 10'x10' little-endian database.
inline constexpr const char* kInternalGridName =
    kGridFileNames[static_cast<int>(GridSize::Grid10x10)][0];

/// The interpolation methods; any other value means bi-linear to ComputeUndulation.
enum class InterpolationMethod : std::int32_t {
    BiQuadratic = 0,
    BiLinear = 1,
    Triangulation = 2,
    NearestNeighbour = 3,
};

/// Result of every query routine and of ValidateGrid.
enum class QueryStatus : std::int32_t { StatusOk = 0, StatusOutside = 1, StatusError = 2 };

/// Spacings of the three grids in degrees (1, 2.5 and 10 arc minutes over 60).
inline constexpr double kSpacing1x1 = 1.0 / 60.0;
inline constexpr double kSpacing2_5x2_5 = 2.5 / 60.0;
inline constexpr double kSpacing10x10 = 10.0 / 60.0;

/// Marker the query routines that preset their result write before they start.
inline constexpr float kResultPreset = 9999.999f;

/// The grid database descriptor.
struct GeoidGrid {
    std::string path = kInternalGridName;  ///< bare names are relative to the working directory
    double latMin = -90.0;
    double latMax = 90.0;
    double lonMin = 0.0;
    double lonMax = 360.0;
    double latSpacing = kSpacing10x10;
    double lonSpacing = kSpacing10x10;
    bool bigEndian = false;
    GridSize gridSize = GridSize::Grid10x10;  ///< an EGM2008 grid's; left at 10' for the others
    std::int32_t lastColumn = 2159;
    GeoidModel model = GeoidModel::Egm2008;
};

/// The four nodes around a query point: rows i (north) and i+1, columns j and east.
struct GridCell {
    std::int32_t i = 0;
    std::int32_t j = 0;
    std::int32_t east = 0;  ///< j + 1, or 0 when j is the last column
    double latS = 0.0;
    double latN = 0.0;
    double lonW = 0.0;
    double lonE = 0.0;  ///< lonW + lonSpacing, 360 when the east column wraps
};

/// Last column index of a grid size; -1 for a value that is none of the three.
std::int32_t LastColumnOf(GridSize size);

/// Spacing in degrees of a grid size; 0 for a value that is none of the three.
double SpacingOf(GridSize size);

/// Stores the spacings and byte order, then checks that a known spacing goes with
/// `gridSize`: on a mismatch shows the spacing message and returns StatusError
/// (lastColumn unchanged), else sets lastColumn from gridSize.
QueryStatus ValidateGrid(GeoidGrid& grid, bool bigEndian, double latSpacing, double lonSpacing,
                         Notifier& notifier);

/// The bytes as they lie in the file, taken as a big-endian binary32.
float SwapFloat32(const unsigned char bytes[4]);

/// The bytes as they lie in the file, as a 32-bit word in the given byte order.
std::uint32_t DecodeWord32(const unsigned char bytes[4], bool bigEndian);

/// The bytes as they lie in the file, in the given byte order.
float DecodeFloat32(const unsigned char bytes[4], bool bigEndian);

/// Stored columns per row: trunc((lonMax - lonMin) / lonSpacing); 0 when not a sane count.
std::int64_t StoredColumns(const GeoidGrid& grid);

/// Rows the bounds and spacing imply: round((latMax - latMin) / latSpacing) + 1; 0 when not sane.
std::int64_t StoredRows(const GeoidGrid& grid);

/// Byte offset of node (r, c) in a file whose rows hold `columns` values.
inline std::int64_t NodeOffset(std::int64_t columns, std::int64_t r, std::int64_t c) {
    return ((columns + 2) * r + c) * 4 + 4;
}

/// Byte offset of node (r, c) in `grid`'s file, whose rows hold `columns` values before 360:
/// NGA's records for EGM2008, the older models' plain rows (360 stored too) after their header.
inline std::int64_t NodeOffset(const GeoidGrid& grid, std::int64_t columns, std::int64_t r,
                               std::int64_t c) {
    if (grid.model == GeoidModel::Egm2008) return NodeOffset(columns, r, c);
    const ModelFile& file = *ModelFileOf(grid.model);
    return file.headerBytes + ((columns + 1) * r + c) * file.valueBytes;
}

/// Bytes of one node in `grid`'s file: 4, or 8 for EGM84's binary64.
inline std::int64_t NodeBytes(const GeoidGrid& grid) {
    return grid.model == GeoidModel::Egm2008 ? 4 : ModelFileOf(grid.model)->valueBytes;
}

/// The node whose bytes (NodeBytes of them) lie at `bytes`, as the queries take it: a
/// binary64 rounded to the nearest binary32.
float DecodeNode(const unsigned char* bytes, const GeoidGrid& grid);

/// Length in bytes of the file `grid` describes; 0 when its bounds and spacings are not sane.
std::uint64_t GridFileBytes(const GeoidGrid& grid);

/// The descriptor of an older model's file at `path`.
GeoidGrid GridOfModel(const std::string& path, GeoidModel model);

}  // namespace egm2008::engine
