#include "engine/query_frame.hpp"

namespace egm2008::engine::frame {

bool TruncateIndex(double quotient, std::int32_t& index) {
    if (!(quotient >= 0.0 && quotient < 2147483647.0)) return false;
    index = static_cast<std::int32_t>(quotient);  // truncation toward zero
    return true;
}

bool LocateCell(const GeoidGrid& g, double& latitude, double& longitude, std::int64_t& columns,
                GridCell& cell) {
    columns = StoredColumns(g);
    if (columns <= 0) return false;
    // Exact equality: only the bounds themselves are nudged inside.
    if (latitude == g.latMin) latitude += kEdgeNudge;
    if (longitude == g.lonMax) longitude -= kEdgeNudge;
    if (!TruncateIndex((g.latMax - latitude) / g.latSpacing, cell.i)) return false;
    if (!TruncateIndex((longitude - g.lonMin) / g.lonSpacing, cell.j)) return false;
    // A point one rounding step inside a bound can still give an index one past
    // the last row or column (longitude 359.99999999999994 gives column C, whose
    // "nodes" would be the record markers). Such a point is the bound itself:
    // it takes the nudged bound's cell and position.
    if (cell.j > g.lastColumn) {
        const double atBound = g.lonMax - kEdgeNudge;
        std::int32_t j = 0;
        if (TruncateIndex((atBound - g.lonMin) / g.lonSpacing, j) && j <= g.lastColumn) {
            longitude = atBound;
            cell.j = j;
        }
    }
    if (const std::int64_t rows = StoredRows(g); rows > 0 && cell.i + std::int64_t{1} > rows - 1) {
        const double atBound = g.latMin + kEdgeNudge;
        std::int32_t i = 0;
        if (TruncateIndex((g.latMax - atBound) / g.latSpacing, i) &&
            i + std::int64_t{1} <= rows - 1) {
            latitude = atBound;
            cell.i = i;
        }
    }
    if (cell.i == 2147483646) return false;  // i + 1 must be an index too
    cell.east = cell.j == g.lastColumn ? 0 : cell.j + 1;
    cell.latS = g.latMax - static_cast<double>(cell.i + 1) * g.latSpacing;
    cell.latN = cell.latS + g.latSpacing;
    cell.lonW = g.lonMin + static_cast<double>(cell.j) * g.lonSpacing;
    cell.lonE = cell.lonW + g.lonSpacing;
    return true;
}

QueryStatus OpenCell(const GeoidGrid& g, double& latitude, double& longitude, std::int64_t& columns,
                     GridCell& cell, NodeReader& reader) {
    if (!InsideBounds(g, latitude, longitude)) return QueryStatus::StatusOutside;
    if (!SpacingsPositive(g)) return QueryStatus::StatusError;
    if (!LocateCell(g, latitude, longitude, columns, cell)) return QueryStatus::StatusError;
    if (reader.Open(g) != QueryStatus::StatusOk ||
        reader.CheckRows(g, columns, cell.i, cell.i + 1) != QueryStatus::StatusOk) {
        return QueryStatus::StatusError;
    }
    return QueryStatus::StatusOk;
}

QueryStatus ReadCellCorners(const GeoidGrid& g, double& latitude, double& longitude, GridCell& cell,
                            CellCorners& corners, NodeReader& reader) {
    std::int64_t columns = 0;
    const QueryStatus opened = OpenCell(g, latitude, longitude, columns, cell, reader);
    if (opened != QueryStatus::StatusOk) return opened;
    corners.sw = reader.ReadNode(g, columns, cell.i + 1, cell.j);
    corners.se = reader.ReadNode(g, columns, cell.i + 1, cell.east);
    corners.nw = reader.ReadNode(g, columns, cell.i, cell.j);
    corners.ne = reader.ReadNode(g, columns, cell.i, cell.east);
    reader.Close();
    for (double v : {corners.sw, corners.se, corners.nw, corners.ne}) {
        if (v < -1000.0 || v > 1000.0) return QueryStatus::StatusOutside;
    }
    return QueryStatus::StatusOk;
}

}  // namespace egm2008::engine::frame
