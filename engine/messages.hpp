// Every text the engine shows the user, through the caller's Notifier: a grid
// file that cannot be opened, one that does not match the grid size and byte
// order chosen for it, and a descriptor whose spacing belongs to another size.
#pragma once

#include <string>

namespace egm2008 {

/// "\nGeoidfile \"<path>\" could not be opened!\n"
std::string OpenFailureMessage(const std::string& path);

/// "\nGeoidfile \"<path>\" does not match the chosen grid size and byte order!\n"
std::string GridMismatchMessage(const std::string& path);

/// "Error in grid spacing! Space Lat = %.1lf\n Space Lon = %.1lf", spacings in arc minutes.
std::string SpacingMismatchMessage(double latSpacingMinutes, double lonSpacingMinutes);

}  // namespace egm2008
