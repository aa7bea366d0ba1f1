// Every text the engine shows the user, through the caller's Notifier: a grid
// file that cannot be opened, one that does not match the grid size and byte
// order chosen for it (with what the file is instead), and a descriptor whose
// spacing belongs to another size.
#pragma once

#include <string>

namespace egm2008 {

/// "\nGeoidfile \"<path>\" could not be opened!\n"
std::string OpenFailureMessage(const std::string& path);

struct GeoidGrid;
struct GridProbe;

/// "\nGeoidfile \"<path>\" does not match the chosen grid size and byte order!\n",
/// then on a line of its own what the file is (GridFindingText), when it can be
/// probed. Reads the file's length and first record marker (ProbeGridFile).
std::string GridMismatchMessage(const GeoidGrid& grid);

/// One sentence on what `probe` found, held against the size and byte order of `chosen`:
/// "The file is a 2.5' x 2.5' grid in big-endian byte order.", or that it is no
/// grid of the three sizes, or that it has the kind chosen and is damaged inside.
std::string GridFindingText(const GridProbe& probe, const GeoidGrid& chosen);

/// "Error in grid spacing! Space Lat = %.1lf\n Space Lon = %.1lf", spacings in arc minutes.
std::string SpacingMismatchMessage(double latSpacingMinutes, double lonSpacingMinutes);

}  // namespace egm2008
