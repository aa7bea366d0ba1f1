// Values at scattered places (the points of a heights run, coloured by N),
// and the box a map of them shows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tasks/maps/even_sample.hpp"
#include "tasks/maps/map_frame.hpp"

namespace egm2008 {

/// A value at a place; longitude as read (-360..360).
struct PlacedValue {
    double latitude = 0.0;
    double longitude = 0.0;
    float value = 0.0f;
};

/// The most points a run keeps for its map (EvenSample): 2.4 MB.
inline constexpr std::size_t kPointMapCapacity = 100000;

/// Points ready to be drawn: their longitudes moved into one frame (-180..180,
/// or 0..360 when that keeps them closer, as for points on both sides of the
/// antimeridian) and the box around them with a margin of a twentieth of its
/// larger span on every side (at least 0.02°), within -90..90.
struct PointMap {
    std::vector<PlacedValue> points;
    GeoBox box;
    std::string quantity = "N";  ///< what the values are, in metres: "N", or heights "H", "h"
};

/// The map of `points` (none: the whole world).
PointMap PointMapOf(std::vector<PlacedValue> points);

}  // namespace egm2008
