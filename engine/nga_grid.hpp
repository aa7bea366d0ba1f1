// NGA's 2.5' EGM2008 grid as Debian's geotranz package ships it
// ("Und_min2.5x2.5_egm2008_WGS84_TideFree_reformatted"), turned into the record
// layout the calculator reads.
//
// Input: a 28-byte big-endian header (int32 pad, int32 rows, int32 columns,
// float64 latitude and longitude spacing in degrees), then rows + 2*pad rows
// of columns + 2*pad + 1 big-endian float32 values, north to south; data row
// r is padded row r + pad, data column c padded column c + pad.
// Output: per row a record marker (row length in bytes), the row's values from
// longitude 0 eastwards, the marker again; rows from 90 N to 90 S; either byte
// order; at 2.5' or at 10' (every 4th row and column: the nodes coincide).
// The values are copied bit for bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"

namespace egm2008::engine {

/// The geotranz package's folder of geoid data, as its members are named.
inline constexpr const char* kGeotranzDataFolder = "./usr/share/geotranz/data/";

/// The grid's member in the geotranz package, and its length in bytes.
inline constexpr const char* kNgaGridMember =
    "./usr/share/geotranz/data/Und_min2.5x2.5_egm2008_WGS84_TideFree_reformatted";
inline constexpr std::uint64_t kNgaGridLength = 150285632;

/// True when `data` holds NGA's header with the 2.5' layout and the whole padded grid after
/// it; else false with what is wrong in `problem` (`name` names the file there).
bool CheckNgaGrid(const std::vector<unsigned char>& data, const std::string& name,
                  std::string& problem);

/// Reads the whole file at `path` into `data` and checks it (CheckNgaGrid); false with what
/// is wrong in `problem` when it cannot be read or is not NGA's grid.
bool ReadNgaGrid(const std::string& path, std::vector<unsigned char>& data, std::string& problem);

/// Rows of the converted grid of `size` (10' or 2.5'): 1081 or 4321.
std::int32_t ConvertedRows(GridSize size);

/// Appends row `row` (0 at 90 N) of the grid of `size` (10' or 2.5') in the chosen byte order,
/// between its two record markers, taken from `data` that CheckNgaGrid accepted.
void AppendConvertedRow(const std::vector<unsigned char>& data, GridSize size, bool bigEndian,
                        std::int32_t row, std::vector<unsigned char>& out);

/// The whole converted grid file of `size` (10' or 2.5') in the chosen byte order.
std::vector<unsigned char> ConvertNgaGrid(const std::vector<unsigned char>& data, GridSize size,
                                          bool bigEndian);

}  // namespace egm2008::engine
