// What a grid file is, told by the file itself. A grid file has no header: its
// kind shows in its length, which is one of three (9,348,488 bytes for 10',
// 149,368,328 for 2.5', 933,292,808 for 1'), and in its first record marker,
// which holds the byte length of a row's values (4 x 2160, 8640 or 21600) in
// the file's byte order. The probe reads the length and those 4 bytes only;
// the other markers are checked when a run maps the grid (MappedGrid) or scans
// it (ScanGrid). JudgeGridFile turns what the probe saw into the kind of grid
// the file is and, in a few words, what is wrong with it, for a window that
// sets its size and byte-order controls from the file a user chooses.
//
// The older models' files (geoid_model.hpp) are told the same way: by their
// length, and the EGM96 file by its header too.
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
    /// The older model whose file begins as this one does (EGM96: its header), whatever
    /// the length; none for a file that begins otherwise and for EGM84, whose file has no
    /// header and is told by its length alone.
    std::optional<GeoidModel> beginsAs;
    /// The older model whose file this is: its length, and for EGM96 its header.
    std::optional<GeoidModel> model;
};

/// Probes the grid file `path` (opened by OpenRegularFile); false with errno set when
/// it cannot be opened or is not a regular file (EISDIR, EINVAL).
bool ProbeGridFile(const std::string& path, GridProbe& probe);

/// What a file is as a grid file, as far as its length and first record marker tell.
struct GridVerdict {
    GeoidModel model = GeoidModel::Egm2008;  ///< the model the file is of, or was made as
    std::optional<GridSize> size;            ///< the EGM2008 grid the file is, or was made as
    std::optional<bool> bigEndian;           ///< its byte order, when its first marker tells it
    std::string problem;                     ///< "" for a file of a grid's length and first marker
};

/// The verdict on a probed file. A grid's length names the grid, and its first record
/// marker the byte order ("" problem) or, fitting neither order, damage ("damaged: ...").
/// A file of any other length whose first marker is a grid's row length in one byte order
/// is that grid cut short or grown ("truncated: 5.0 of 9.3 MB", "too long: 9.5 MB, a
/// 10' x 10' grid has 9.3 MB"); so is a file that begins with the EGM96 header. The older
/// models' files are that model with no problem; any other file is "empty" or "no EGM2008
/// grid file: <n> bytes".
GridVerdict JudgeGridProbe(const GridProbe& probe);

/// The verdict on the file at `path`; one that cannot be probed has no kind and the
/// system's reason as problem ("cannot be read: Permission denied").
GridVerdict JudgeGridFile(const std::string& path);

/// The descriptor of a whole-earth grid file of `size` in the given byte order.
GeoidGrid GridOfKind(const std::string& path, GridSize size, bool bigEndian);

}  // namespace egm2008::engine
