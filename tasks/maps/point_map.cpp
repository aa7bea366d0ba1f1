#include "tasks/maps/point_map.hpp"

#include <algorithm>
#include <cmath>

namespace egm2008 {

namespace {

constexpr double kLeastMargin = 0.02;

// The span of the longitudes of `points` moved into [start, start + 360).
double SpanFrom(const std::vector<PlacedValue>& points, double start) {
    double west = start + 360.0, east = start;
    for (const PlacedValue& p : points) {
        const double lon = LongitudeFrom(p.longitude, start);
        west = std::min(west, lon);
        east = std::max(east, lon);
    }
    return east - west;
}

}  // namespace

PointMap PointMapOf(std::vector<PlacedValue> points) {
    PointMap map;
    if (points.empty()) return map;
    // Of the two frames, the one in which the points lie closer together.
    const double start = SpanFrom(points, 0.0) < SpanFrom(points, -180.0) ? 0.0 : -180.0;
    GeoBox& box = map.box;
    box = {90.0, -90.0, start + 360.0, start};
    for (PlacedValue& p : points) {
        p.longitude = LongitudeFrom(p.longitude, start);
        box.south = std::min(box.south, p.latitude);
        box.north = std::max(box.north, p.latitude);
        box.west = std::min(box.west, p.longitude);
        box.east = std::max(box.east, p.longitude);
    }
    const double margin =
        std::max(kLeastMargin, std::max(box.north - box.south, box.east - box.west) / 20.0);
    box.south = std::max(-90.0, box.south - margin);
    box.north = std::min(90.0, box.north + margin);
    box.west -= margin;
    box.east += margin;
    map.points = std::move(points);
    return map;
}

}  // namespace egm2008
