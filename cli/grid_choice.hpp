// Which grid file a run uses, and what kind of grid it is.
//
// A grid file has no header; its kind shows in its length, which is one of
// three (9,348,488 bytes for 10', 149,368,328 for 2.5', 933,292,808 for 1'),
// and in its record markers, which hold the byte length of a row's values
// (4 x 2160, 8640 or 21600) in the file's byte order. The user may name the
// size or the byte order; what is named must then agree with the file.
//
// Without a named file the run uses the internal database: the 10'
// little-endian file in the working directory, as the desktop program does,
// else the one installed with the program (beside it in ../share/egm2008, or
// in the install prefix it was built for).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/console.hpp"
#include "engine/geoid_grid.hpp"
#include "engine/grid_probe.hpp"

namespace egm2008::cli {

/// What the command line says about the grid.
struct GridRequest {
    std::optional<std::string> path;  ///< none: the internal database
    std::optional<GridSize> size;     ///< --grid-size
    std::optional<bool> bigEndian;    ///< --big-endian / --little-endian
};

/// "10'", "2.5'" or "1'".
const char* SizeName(GridSize size);

/// The internal database: the working directory's file if there is one, else the installed one.
std::string InternalDatabasePath();

/// Fills `grid` for the file the request names (or the internal database),
/// its size and byte order recognised from the file where the request leaves
/// them open. False with the reason in `reason` when the file cannot be read
/// or fits no grid layout, or not the one requested.
bool ChooseGrid(const GridRequest& request, GeoidGrid& grid, std::string& reason);

/// The grid the request names; when there is none, the reason told on the console.
std::optional<GeoidGrid> ChooseGridOrTell(const GridRequest& request, Console& console);

}  // namespace egm2008::cli
