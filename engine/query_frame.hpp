// Steps of the query frame that the four routines share: the bounds test and
// the placement of a point in its grid cell (stored columns, edge nudges, cell).
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/geoid_grid.hpp"
#include "engine/node_reader.hpp"

namespace egm2008::engine::frame {

/// Added to a latitude equal to latMin, taken from a longitude equal to lonMax.
inline constexpr double kEdgeNudge = 1e-10;

/// True when the point lies within the grid's bounds (bounds included); false for NaN.
inline bool InsideBounds(const GeoidGrid& g, double latitude, double longitude) {
    return latitude >= g.latMin && latitude <= g.latMax && longitude >= g.lonMin &&
           longitude <= g.lonMax;
}

/// True when both spacings are positive.
inline bool SpacingsPositive(const GeoidGrid& g) {
    return g.latSpacing > 0.0 && g.lonSpacing > 0.0;
}

/// trunc(quotient) as a 32-bit index; false when the quotient does not fit one
/// (only an absurdly small spacing gets there).
bool TruncateIndex(double quotient, std::int32_t& index);

/// Places a point inside the bounds in its cell: stored columns C, the edge
/// nudges of `latitude` and `longitude` (written back: a latitude equal to latMin
/// is raised, a longitude equal to lonMax lowered by kEdgeNudge, and a point whose
/// index rounds one past the last row or column is moved to that nudged bound),
/// and the cell. False when the indices cannot be formed.
bool LocateCell(const GeoidGrid& g, double& latitude, double& longitude, std::int64_t& columns,
                GridCell& cell);

/// The frame of a query up to its reads: the bounds (StatusOutside), the spacings
/// (StatusError), the point placed in its cell (`latitude`, `longitude` nudged as
/// LocateCell does), the grid opened and the cell's two rows checked (StatusError,
/// the reader told the user). StatusOk with the grid open.
QueryStatus OpenCell(const GeoidGrid& g, double& latitude, double& longitude, std::int64_t& columns,
                     GridCell& cell, NodeReader& reader);

/// The four corners of a cell.
struct CellCorners {
    double sw, se, nw, ne;
};

/// OpenCell, then the corners read in the order SW, SE, NW, NE and the grid
/// closed; a corner outside -1000..1000 (both included; NaN passes) gives
/// StatusOutside.
QueryStatus ReadCellCorners(const GeoidGrid& g, double& latitude, double& longitude, GridCell& cell,
                            CellCorners& corners, NodeReader& reader);

/// Writes a computed undulation into `result` and answers StatusOk; a value that
/// is not finite (a NaN node passes the plausibility bounds) is no undulation:
/// StatusOutside, `result` untouched.
inline QueryStatus Deliver(float value, float& result) {
    if (!std::isfinite(value)) return QueryStatus::StatusOutside;
    result = value;
    return QueryStatus::StatusOk;
}

}  // namespace egm2008::engine::frame
