// InterpolateBiQuadratic: three-point Lagrange interpolation along rows and
// columns at once, in the 3x3 window centred on the node nearest to the point.
//
// p is the point's eastward offset from the centre node, q its southward
// offset, both in spacings (-0.5 < p <= 0.5, -0.5 <= q < 0.5). Within
// latSpacing/1.9 of a pole there is no full window and the query goes, as it
// came in, to InterpolateBiLinear. The window wraps across the 0/360 seam.
// The result is preset to 9999.999 and keeps it on every failure of this
// routine; a window value below -1000 gives StatusError (NaN passes the
// check, but a result that is not finite gives StatusOutside).
#include <cmath>

#include "engine/query_frame.hpp"
#include "engine/query_routines.hpp"

namespace egm2008 {

namespace {
inline constexpr double kPolarMarginDivisor = 1.9;
}  // namespace

QueryStatus InterpolateBiQuadratic(const GeoidGrid& grid, double latitude, double longitude,
                                   float& result, NodeReader& reader) {
    result = kResultPreset;
    if (!frame::InsideBounds(grid, latitude, longitude)) return QueryStatus::StatusOutside;
    if (!frame::SpacingsPositive(grid)) return QueryStatus::StatusError;
    const double margin = grid.latSpacing / kPolarMarginDivisor;
    if (latitude < grid.latMin + margin || latitude > grid.latMax - margin) {
        return InterpolateBiLinear(grid, latitude, longitude, result, reader);
    }

    // Here the column count is the quotient rounded to the nearest integer.
    const double columnQuotient = (grid.lonMax - grid.lonMin) / grid.lonSpacing + 0.5;
    if (!(columnQuotient >= 1.0 && columnQuotient < 1e9)) return QueryStatus::StatusError;
    const auto columns = static_cast<std::int64_t>(columnQuotient);
    if (longitude == grid.lonMax) longitude -= frame::kEdgeNudge;

    std::int32_t i = 0;
    std::int32_t j = 0;
    if (!frame::TruncateIndex((grid.latMax - latitude) / grid.latSpacing, i) ||
        !frame::TruncateIndex((longitude - grid.lonMin) / grid.lonSpacing, j) || i >= 2147483646 ||
        j >= 2147483646 || grid.lastColumn < 0) {
        return QueryStatus::StatusError;
    }
    const double fy = (grid.latMax - latitude) - i * grid.latSpacing;
    const double d = grid.latSpacing - fy;
    const double e = (longitude - grid.lonMin) - j * grid.lonSpacing;

    std::int32_t centreRow;
    double q;
    if (d <= grid.latSpacing / 2) {
        centreRow = i + 1;
        q = -d / grid.latSpacing;
    } else {
        centreRow = i;
        q = fy / grid.latSpacing;
    }
    std::int32_t centreColumn;
    double p;
    if (e <= grid.lonSpacing / 2) {
        centreColumn = j;
        p = e / grid.lonSpacing;
    } else {
        centreColumn = j + 1;
        p = -(grid.lonSpacing - e) / grid.lonSpacing;
    }

    if (reader.Open(grid) != QueryStatus::StatusOk ||
        reader.CheckRows(grid, columns, centreRow - 1, centreRow + 1) != QueryStatus::StatusOk) {
        return QueryStatus::StatusError;
    }
    const std::int64_t wrap = std::int64_t{grid.lastColumn} + 1;
    // ((c % wrap) + wrap) % wrap, without a division for the columns a window
    // normally takes (one past either end of the row at most).
    const auto column = [wrap](std::int64_t c) {
        if (c >= 0 && c < wrap) return static_cast<std::int32_t>(c);
        if (c == -1) return static_cast<std::int32_t>(wrap - 1);
        if (c == wrap) return std::int32_t{0};
        return static_cast<std::int32_t>(((c % wrap) + wrap) % wrap);
    };
    const std::int32_t west = column(std::int64_t{centreColumn} - 1);
    const std::int32_t middle = column(centreColumn);
    const std::int32_t east = column(std::int64_t{centreColumn} + 1);
    // Rows count southwards: row R + 1 is the southern one.
    const double SW = reader.ReadNode(grid, columns, centreRow + 1, west);
    const double S = reader.ReadNode(grid, columns, centreRow + 1, middle);
    const double SE = reader.ReadNode(grid, columns, centreRow + 1, east);
    const double W = reader.ReadNode(grid, columns, centreRow, west);
    const double C = reader.ReadNode(grid, columns, centreRow, middle);
    const double E = reader.ReadNode(grid, columns, centreRow, east);
    const double NW = reader.ReadNode(grid, columns, centreRow - 1, west);
    const double N = reader.ReadNode(grid, columns, centreRow - 1, middle);
    const double NE = reader.ReadNode(grid, columns, centreRow - 1, east);
    reader.Close();
    for (double v : {SW, S, SE, W, C, E, NW, N, NE}) {
        if (v < -1000.0) return QueryStatus::StatusError;
    }

    // Each coefficient left to right as written, times its monomial, and the nine
    // terms added in this order: the order is part of the result's bits.
    double value = C;
    value += (E - W) / 2 * p;
    value += (S - N) / 2 * q;
    value += (SE - NE - SW + NW) / 4 * (p * q);
    value += ((N + S) / 2 - C) * (q * q);
    value += ((E + W) / 2 - C) * (p * p);
    value += ((SE - NE - NW + SW) / 4 + (N - S) / 2) * (p * p * q);
    value += ((SE + NE - SW - NW) / 4 + (W - E) / 2) * (p * q * q);
    value += (C - (E + N + S + W) / 2 + (SW + SE + NE + NW) / 4) * (p * p * q * q);
    return frame::Deliver(static_cast<float>(value), result);
}

QueryStatus InterpolateBiQuadratic(const GeoidGrid& grid, double latitude, double longitude,
                                   float& result, Notifier& notifier) {
    GridFileReader reader(notifier);
    return InterpolateBiQuadratic(grid, latitude, longitude, result, reader);
}

}  // namespace egm2008
