#include "engine/messages.hpp"

#include <cstdio>

#include "engine/geoid_grid.hpp"
#include "engine/grid_probe.hpp"

namespace egm2008 {

std::string OpenFailureMessage(const std::string& path) {
    return "\nGeoidfile \"" + path + "\" could not be opened!\n";
}

namespace {

const char* SizeText(GridSize size) {
    switch (size) {
        case GridSize::Grid1x1: return "1' x 1'";
        case GridSize::Grid2_5x2_5: return "2.5' x 2.5'";
        case GridSize::Grid10x10: return "10' x 10'";
    }
    return "?";
}

const char* OrderText(bool bigEndian) { return bigEndian ? "big-endian" : "little-endian"; }

}  // namespace

std::string GridMismatchMessage(const GeoidGrid& grid) {
    std::string text =
        "\nGeoidfile \"" + grid.path + "\" does not match the chosen grid size and byte order!\n";
    GridProbe probe;
    if (ProbeGridFile(grid.path, probe)) text += GridFindingText(probe, grid) + "\n";
    return text;
}

std::string GridFindingText(const GridProbe& probe, const GeoidGrid& chosen) {
    if (!probe.size) return "The file is no grid of the three sizes in either byte order.";
    const std::string size = SizeText(*probe.size);
    if (!probe.bigEndian) {
        return "The file has the length of a " + size +
               " grid, but its first record marker fits neither byte order.";
    }
    if (*probe.size == chosen.gridSize && *probe.bigEndian == chosen.bigEndian) {
        return "The file has the length and first record marker of that grid but is damaged "
               "inside.";
    }
    return "The file is a " + size + " grid in " + OrderText(*probe.bigEndian) + " byte order.";
}

std::string SpacingMismatchMessage(double latSpacingMinutes, double lonSpacingMinutes) {
    char text[160];
    std::snprintf(text, sizeof text, "Error in grid spacing! Space Lat = %.1lf\n Space Lon = %.1lf",
                  latSpacingMinutes, lonSpacingMinutes);
    return text;
}

}  // namespace egm2008
