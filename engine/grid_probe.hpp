// What a grid file is, told by the file itself. A grid file has no header: its
// kind shows in its length, which is one of three (9,348,488 bytes for 10',
// 149,368,328 for 2.5', 933,292,808 for 1'), and in its first record marker,
// which holds the byte length of a row's values (4 x 2160, 8640 or 21600) in
// the file's byte order. The probe reads the length and those 4 bytes only;
// the other markers are checked when a run maps the grid (MappedGrid) or scans
// it (ScanGrid).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/geoid_grid.hpp"

namespace egm2008::engine {

/// The three grid sizes, coarsest first.
inline constexpr GridSize kGridSizes[] = {GridSize::Grid10x10, GridSize::Grid2_5x2_5,
                                          GridSize::Grid1x1};

/// Stored values per row of `size` (2160, 8640 or 21600).
std::int64_t ColumnsOf(GridSize size);

/// Length in bytes of a grid file of `size`.
std::uint64_t GridFileLength(GridSize size);

/// What a file's length and first record marker say of its kind.
struct GridProbe {
    std::uint64_t length = 0;
    std::optional<GridSize> size;    ///< the grid size whose file has this length
    std::uint32_t littleMarker = 0;  ///< the first 4 bytes read little-endian; 0 when shorter
    std::uint32_t bigMarker = 0;     ///< the same bytes read big-endian
    std::optional<bool> bigEndian;   ///< the byte order in which that marker fits `size`
};

/// Probes the grid file `path` (opened by OpenRegularFile); false with errno set when
/// it cannot be opened or is not a regular file (EISDIR, EINVAL).
bool ProbeGridFile(const std::string& path, GridProbe& probe);

/// The descriptor of a whole-earth grid file of `size` in the given byte order.
GeoidGrid GridOfKind(const std::string& path, GridSize size, bool bigEndian);

}  // namespace egm2008::engine
