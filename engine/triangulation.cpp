// InterpolateTriangulation: the plane through the three cell corners nearest
// to the point; the farthest corner is dropped (ties: first of NE, NW, SE, SW).
//
// Distances are straight lines in the latitude-longitude plane. All four
// corners must lie in -1000..1000 (both included, NaN passes), the dropped one
// too; otherwise StatusOutside, as for a result that is not finite. The
// result is written only on success. The surface is continuous within each
// quarter of a cell and in general jumps across the cell's mid-lines.
#include <cmath>

#include "engine/query_frame.hpp"
#include "engine/query_routines.hpp"

namespace egm2008::engine {

float EvaluatePlane(double lat1, double lon1, double lat2, double lon2, double lat3, double lon3,
                    double latP, double lonP, double z1, double z2, double z3) {
    const double dLat2 = lat2 - lat1;
    const double dLat3 = lat3 - lat1;
    const double dLon2 = lon2 - lon1;
    const double dLon3 = lon3 - lon1;
    // Left to right as written; the order is part of the result's bits.
    const double d = dLon3 * dLat2 - dLat3 * dLon2;
    const double a = (dLon3 * z2 + (dLon2 - dLon3) * z1 - dLon2 * z3) / d;
    const double b = (z1 * (dLat3 - dLat2) - z2 * dLat3 + dLat2 * z3) / d;
    return static_cast<float>(b * (lonP - lon1) + ((latP - lat1) * a + z1));
}

QueryStatus InterpolateTriangulation(const GeoidGrid& grid, double latitude, double longitude,
                                     float& result, NodeReader& reader) {
    GridCell cell;
    frame::CellCorners c{};
    const QueryStatus status = frame::ReadCellCorners(grid, latitude, longitude, cell, c, reader);
    if (status != QueryStatus::StatusOk) return status;
    const double sw = c.sw, se = c.se, nw = c.nw, ne = c.ne;

    const double dS = cell.latS - latitude;
    const double dN = cell.latN - latitude;
    const double dW = cell.lonW - longitude;
    const double dE = cell.lonE - longitude;
    const double dSW = std::sqrt(dS * dS + dW * dW);
    const double dSE = std::sqrt(dE * dE + dS * dS);
    const double dNW = std::sqrt(dN * dN + dW * dW);
    const double dNE = std::sqrt(dN * dN + dE * dE);

    const double latS = cell.latS, latN = cell.latN, lonW = cell.lonW, lonE = cell.lonE;
    float value;
    if (dNE >= dSW && dNE >= dSE && dNE >= dNW) {
        value = EvaluatePlane(latS, lonW, latS, lonE, latN, lonW, latitude, longitude, sw, se, nw);
    } else if (dNW >= dSW && dNW >= dSE && dNW >= dNE) {
        value = EvaluatePlane(latS, lonW, latS, lonE, latN, lonE, latitude, longitude, sw, se, ne);
    } else if (dSE >= dSW && dSE >= dNW && dSE >= dNE) {
        value = EvaluatePlane(latS, lonW, latN, lonW, latN, lonE, latitude, longitude, sw, nw, ne);
    } else {
        value = EvaluatePlane(latS, lonE, latN, lonW, latN, lonE, latitude, longitude, se, nw, ne);
    }
    return frame::Deliver(value, result);
}

QueryStatus InterpolateTriangulation(const GeoidGrid& grid, double latitude, double longitude,
                                     float& result, Notifier& notifier) {
    GridFileReader reader(notifier);
    return InterpolateTriangulation(grid, latitude, longitude, result, reader);
}

}  // namespace egm2008::engine
