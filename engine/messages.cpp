#include "engine/messages.hpp"

#include <cstdio>

namespace egm2008 {

std::string OpenFailureMessage(const std::string& path) {
    return "\nGeoidfile \"" + path + "\" could not be opened!\n";
}

std::string GridMismatchMessage(const std::string& path) {
    return "\nGeoidfile \"" + path + "\" does not match the chosen grid size and byte order!\n";
}

std::string SpacingMismatchMessage(double latSpacingMinutes, double lonSpacingMinutes) {
    char text[160];
    std::snprintf(text, sizeof text, "Error in grid spacing! Space Lat = %.1lf\n Space Lon = %.1lf",
                  latSpacingMinutes, lonSpacingMinutes);
    return text;
}

}  // namespace egm2008
