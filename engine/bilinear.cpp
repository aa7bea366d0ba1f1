// InterpolateBiLinear: the bi-linear surface through the four cell corners.
//
// u is the northward fraction from the southern row, t the eastward fraction
// from the western column, both from the nudged point. The evaluation order
// S, K, N below is part of the result's bits. Corners must lie in
// -1000..1000 (both included, NaN passes); otherwise StatusOutside, as for a
// result that is not finite. The result is written only on success.
#include "engine/query_frame.hpp"
#include "engine/query_routines.hpp"

namespace egm2008::engine {

QueryStatus InterpolateBiLinear(const GeoidGrid& grid, double latitude, double longitude,
                                float& result, NodeReader& reader) {
    GridCell cell;
    frame::CellCorners c{};
    const QueryStatus status = frame::ReadCellCorners(grid, latitude, longitude, cell, c, reader);
    if (status != QueryStatus::StatusOk) return status;
    const double vSW = c.sw, vSE = c.se, vNW = c.nw, vNE = c.ne;

    const double u = (latitude - cell.latS) / grid.latSpacing;
    const double t = (longitude - cell.lonW) / grid.lonSpacing;
    const double s = (vSW + u * (vNW - vSW)) + t * (vSE - vSW);
    const double k = ((vSW - vSE) - vNW) + vNE;
    const double n = s + t * (k * u);
    return frame::Deliver(static_cast<float>(n), result);
}

QueryStatus InterpolateBiLinear(const GeoidGrid& grid, double latitude, double longitude,
                                float& result, Notifier& notifier) {
    GridFileReader reader(notifier);
    return InterpolateBiLinear(grid, latitude, longitude, result, reader);
}

}  // namespace egm2008::engine
