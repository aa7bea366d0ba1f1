// The four query routines and the dispatcher.
//
// Each routine: (grid, latitude, longitude in 0..360, result) -> QueryStatus.
// StatusOutside for a point outside the bounds (NaN included) and, except in
// the bi-quadratic routine, for an implausible node; StatusError for a spacing
// <= 0, a grid file that cannot be opened or does not fit the grid (the user is
// told through the notifier), and in the bi-quadratic routine for a window
// value below -1000. LookupNearest and InterpolateBiQuadratic preset the
// result to 9999.999; InterpolateBiLinear and InterpolateTriangulation write it
// only on success.
//
// The overloads taking a Notifier open, read and close the grid file per query;
// those taking a NodeReader read through it (same results, see node_reader.hpp).
#pragma once

#include <cstdint>
#include <span>

#include "engine/geoid_grid.hpp"
#include "engine/node_reader.hpp"

namespace egm2008::engine {

/// Value of the grid node nearest to the point (ties: SW, SE, NW, NE).
QueryStatus LookupNearest(const GeoidGrid& grid, double latitude, double longitude, float& result,
                          NodeReader& reader);
QueryStatus LookupNearest(const GeoidGrid& grid, double latitude, double longitude, float& result,
                          Notifier& notifier);

/// Bi-linear interpolation between the four corners of the point's cell.
QueryStatus InterpolateBiLinear(const GeoidGrid& grid, double latitude, double longitude,
                                float& result, NodeReader& reader);
QueryStatus InterpolateBiLinear(const GeoidGrid& grid, double latitude, double longitude,
                                float& result, Notifier& notifier);

/// Bi-quadratic interpolation in the 3x3 window around the nearest node;
/// within latSpacing/1.9 of a pole the query goes to InterpolateBiLinear.
QueryStatus InterpolateBiQuadratic(const GeoidGrid& grid, double latitude, double longitude,
                                   float& result, NodeReader& reader);
QueryStatus InterpolateBiQuadratic(const GeoidGrid& grid, double latitude, double longitude,
                                   float& result, Notifier& notifier);

/// InterpolateBiQuadratic at each point, its longitude first shifted as ComputeUndulation
/// shifts it: results and statuses bit for bit as point by point; a window is read once for
/// the points in a row that share it. The spans have one length.
void InterpolateBiQuadratic(const GeoidGrid& grid, std::span<const double> latitudes,
                            std::span<const double> longitudes, std::span<float> results,
                            std::span<QueryStatus> statuses, NodeReader& reader);

/// InterpolateBiQuadratic at every crossing of a latitude (a row) with a longitude (a column),
/// the longitudes shifted as in the overload above: results and statuses row after row, each
/// latitudes.size() x longitudes.size() long, bit for bit as point by point. Each longitude is
/// placed once for all the rows, and each window read once for the crossings that share it.
void InterpolateBiQuadraticLattice(const GeoidGrid& grid, std::span<const double> latitudes,
                                   std::span<const double> longitudes, std::span<float> results,
                                   std::span<QueryStatus> statuses, NodeReader& reader);

/// Plane through the three cell corners nearest to the point (the farthest is dropped).
QueryStatus InterpolateTriangulation(const GeoidGrid& grid, double latitude, double longitude,
                                     float& result, NodeReader& reader);
QueryStatus InterpolateTriangulation(const GeoidGrid& grid, double latitude, double longitude,
                                     float& result, Notifier& notifier);

/// Value at (latP, lonP) of the plane through (lat1, lon1, z1), (lat2, lon2, z2), (lat3, lon3, z3).
float EvaluatePlane(double lat1, double lon1, double lat2, double lon2, double lat3, double lon3,
                    double latP, double lonP, double z1, double z2, double z3);

/// The longitudes a query takes, as typed: -360 to 360 (both included; not NaN).
/// ComputeUndulation shifts a negative one by +360; beyond, the grid answers none.
inline bool LongitudeInRange(double longitude) { return longitude >= -360.0 && longitude <= 360.0; }

/// ComputeUndulation at each point (a raster's row, a track): results and statuses bit for bit
/// as point by point, the bi-quadratic method reading a window once for the points in a row
/// that share it. The spans have one length.
void ComputeUndulations(const GeoidGrid& grid, InterpolationMethod method,
                        std::span<const double> latitudes, std::span<const double> longitudes,
                        std::span<float> results, std::span<QueryStatus> statuses,
                        NodeReader& reader);

/// ComputeUndulation at every crossing of a latitude (a row) with a longitude (a column), as
/// a north-up geographic raster's pixels lie: results and statuses row after row, each
/// latitudes.size() x longitudes.size() long, bit for bit as point by point.
void ComputeUndulationLattice(const GeoidGrid& grid, InterpolationMethod method,
                              std::span<const double> latitudes, std::span<const double> longitudes,
                              std::span<float> results, std::span<QueryStatus> statuses,
                              NodeReader& reader);

/// Shifts a negative longitude by +360 once, then runs the method's routine
/// (0 bi-quadratic, 2 triangulation, 3 nearest, any other value bi-linear).
QueryStatus ComputeUndulation(const GeoidGrid& grid, InterpolationMethod method, double latitude,
                              double longitude, float& result, NodeReader& reader);
QueryStatus ComputeUndulation(const GeoidGrid& grid, InterpolationMethod method, double latitude,
                              double longitude, float& result, Notifier& notifier);

}  // namespace egm2008::engine
