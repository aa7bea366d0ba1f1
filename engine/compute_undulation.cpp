// ComputeUndulation: the one entry for a page that computes with the user's
// chosen method. Shifts a negative longitude by +360 once (below -360 it stays
// negative and the routine answers StatusOutside), then dispatches.
#include "engine/query_routines.hpp"

namespace egm2008::engine {

QueryStatus ComputeUndulation(const GeoidGrid& grid, InterpolationMethod method, double latitude,
                              double longitude, float& result, NodeReader& reader) {
    if (longitude < 0.0) longitude += 360.0;
    switch (method) {
        case InterpolationMethod::BiQuadratic:
            return InterpolateBiQuadratic(grid, latitude, longitude, result, reader);
        case InterpolationMethod::Triangulation:
            return InterpolateTriangulation(grid, latitude, longitude, result, reader);
        case InterpolationMethod::NearestNeighbour:
            return LookupNearest(grid, latitude, longitude, result, reader);
        default: return InterpolateBiLinear(grid, latitude, longitude, result, reader);
    }
}

QueryStatus ComputeUndulation(const GeoidGrid& grid, InterpolationMethod method, double latitude,
                              double longitude, float& result, Notifier& notifier) {
    GridFileReader reader(notifier);
    return ComputeUndulation(grid, method, latitude, longitude, result, reader);
}

}  // namespace egm2008::engine
