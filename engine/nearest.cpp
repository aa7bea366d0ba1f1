// LookupNearest: the stored value of the cell corner nearest to the point.
//
// Distances are straight lines in the latitude-longitude plane (degrees of
// longitude are not scaled with latitude). Equal distances go to the first of
// SW, SE, NW, NE. A value is accepted when |v| < 1000 (strict); otherwise
// StatusOutside. The result is preset to 9999.999 and keeps it on every failure.
#include <cmath>

#include "engine/query_frame.hpp"
#include "engine/query_routines.hpp"

namespace egm2008::engine {

QueryStatus LookupNearest(const GeoidGrid& grid, double latitude, double longitude, float& result,
                          NodeReader& reader) {
    result = kResultPreset;
    std::int64_t columns = 0;
    GridCell cell;
    const QueryStatus opened = frame::OpenCell(grid, latitude, longitude, columns, cell, reader);
    if (opened != QueryStatus::StatusOk) return opened;

    const double dS = cell.latS - latitude;
    const double dN = cell.latN - latitude;
    const double dW = cell.lonW - longitude;
    const double dE = cell.lonE - longitude;
    const double dSW = std::sqrt(dS * dS + dW * dW);
    const double dSE = std::sqrt(dS * dS + dE * dE);
    const double dNW = std::sqrt(dN * dN + dW * dW);
    const double dNE = std::sqrt(dN * dN + dE * dE);

    std::int32_t row = cell.i;
    std::int32_t column = cell.east;  // NE unless a test below holds
    if (dSW <= dSE && dSW <= dNW && dSW <= dNE) {
        row = cell.i + 1;
        column = cell.j;
    } else if (dSE <= dSW && dSE <= dNW && dSE <= dNE) {
        row = cell.i + 1;
        column = cell.east;
    } else if (dNW <= dSW && dNW <= dSE && dNW <= dNE) {
        column = cell.j;
    }
    const float value = reader.ReadNode(grid, columns, row, column);
    reader.Close();
    if (!(std::fabs(value) < 1000.0f)) return QueryStatus::StatusOutside;
    result = value;
    return QueryStatus::StatusOk;
}

QueryStatus LookupNearest(const GeoidGrid& grid, double latitude, double longitude, float& result,
                          Notifier& notifier) {
    GridFileReader reader(notifier);
    return LookupNearest(grid, latitude, longitude, result, reader);
}

}  // namespace egm2008::engine
