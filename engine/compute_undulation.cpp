// ComputeUndulation: the one entry for a page that computes with the user's
// chosen method. Shifts a negative longitude by +360 once (below -360 it stays
// negative and the routine answers StatusOutside), then dispatches; and the
// same over many points at once.
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

void ComputeUndulations(const GeoidGrid& grid, InterpolationMethod method,
                        std::span<const double> latitudes, std::span<const double> longitudes,
                        std::span<float> results, std::span<QueryStatus> statuses,
                        NodeReader& reader) {
    if (method == InterpolationMethod::BiQuadratic) {
        InterpolateBiQuadratic(grid, latitudes, longitudes, results, statuses, reader);
        return;
    }
    for (std::size_t k = 0; k < latitudes.size(); ++k)
        statuses[k] =
            ComputeUndulation(grid, method, latitudes[k], longitudes[k], results[k], reader);
}

void ComputeUndulationLattice(const GeoidGrid& grid, InterpolationMethod method,
                              std::span<const double> latitudes, std::span<const double> longitudes,
                              std::span<float> results, std::span<QueryStatus> statuses,
                              NodeReader& reader) {
    if (method == InterpolationMethod::BiQuadratic) {
        InterpolateBiQuadraticLattice(grid, latitudes, longitudes, results, statuses, reader);
        return;
    }
    const std::size_t width = longitudes.size();
    for (std::size_t r = 0; r < latitudes.size(); ++r) {
        for (std::size_t c = 0; c < width; ++c)
            statuses[r * width + c] = ComputeUndulation(grid, method, latitudes[r], longitudes[c],
                                                        results[r * width + c], reader);
    }
}

QueryStatus ComputeUndulation(const GeoidGrid& grid, InterpolationMethod method, double latitude,
                              double longitude, float& result, Notifier& notifier) {
    GridFileReader reader(notifier);
    return ComputeUndulation(grid, method, latitude, longitude, result, reader);
}

}  // namespace egm2008::engine
