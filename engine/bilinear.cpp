// InterpolateBiLinear: the bi-linear surface through the four cell corners.
//
// u is the northward fraction from the southern row, t the eastward fraction
// from the western column, both from the nudged point. The evaluation order
// S, K, N below is part of the result's bits. Corners must lie in
// -1000..1000 (both included, NaN passes); otherwise StatusOutside, as for a
// result that is not finite. The result is written only on success.
#include "engine/query_frame.hpp"
#include "engine/query_routines.hpp"

namespace egm2008 {

QueryStatus InterpolateBiLinear(const GeoidGrid& grid, double latitude, double longitude,
                                float& result, NodeReader& reader) {
    if (!frame::InsideBounds(grid, latitude, longitude)) return QueryStatus::StatusOutside;
    if (!frame::SpacingsPositive(grid)) return QueryStatus::StatusError;
    std::int64_t columns = 0;
    GridCell cell;
    if (!frame::LocateCell(grid, latitude, longitude, columns, cell))
        return QueryStatus::StatusError;
    if (reader.Open(grid) != QueryStatus::StatusOk ||
        reader.CheckRows(grid, columns, cell.i, cell.i + 1) != QueryStatus::StatusOk) {
        return QueryStatus::StatusError;
    }

    const double vSW = reader.ReadNode(grid, columns, cell.i + 1, cell.j);
    const double vSE = reader.ReadNode(grid, columns, cell.i + 1, cell.east);
    const double vNW = reader.ReadNode(grid, columns, cell.i, cell.j);
    const double vNE = reader.ReadNode(grid, columns, cell.i, cell.east);
    reader.Close();
    for (double v : {vSW, vSE, vNW, vNE}) {
        if (v < -1000.0 || v > 1000.0) return QueryStatus::StatusOutside;
    }

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

}  // namespace egm2008
