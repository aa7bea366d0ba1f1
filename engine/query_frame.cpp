#include "engine/query_frame.hpp"

namespace egm2008::frame {

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
    if (cell.i == 2147483646) return false;  // i + 1 must be an index too
    cell.east = cell.j == g.lastColumn ? 0 : cell.j + 1;
    cell.latS = g.latMax - static_cast<double>(cell.i + 1) * g.latSpacing;
    cell.latN = cell.latS + g.latSpacing;
    cell.lonW = g.lonMin + static_cast<double>(cell.j) * g.lonSpacing;
    cell.lonE = cell.lonW + g.lonSpacing;
    return true;
}

}  // namespace egm2008::frame
