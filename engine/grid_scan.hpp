// A full look at a grid file: every record marker (the byte length of a row's
// values, before and after the row; the older models' files have none), the range of the values
// with where the extremes lie, and the file's SHA-256, which names the known grids
// (known_grids.hpp). The file is mapped read-only and read once from
// start to end. Values with |N| > 1000 m or not a number, which the queries
// refuse, are counted apart and take no part in the range.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/geoid_grid.hpp"

namespace egm2008::engine {

/// A grid value and its node.
struct GridExtreme {
    float value = 0.0f;
    double latitude = 0.0;
    double longitude = 0.0;  ///< 0..360, as stored
};

struct GridReport {
    std::int64_t rows = 0;
    std::int64_t columns = 0;  ///< the values a row holds before 360
    std::int64_t markers = 0;  ///< two a row
    std::int64_t badMarkers = 0;
    std::int64_t firstBadRow = -1;  ///< row of the first wrong marker, -1 when none
    std::int64_t plausible = 0;     ///< values with |N| <= 1000 m
    std::int64_t implausible = 0;   ///< values the queries refuse: |N| > 1000 m or not a number
    GridExtreme minimum;            ///< of the plausible values; meaningless when there are none
    GridExtreme maximum;
    std::string sha256;  ///< of the whole file, 64 lowercase hexadecimal digits
};

/// Called after each row with the rows done and the rows in all.
using RowProgress = std::function<void(std::int64_t done, std::int64_t rows)>;

/// Reads the whole grid `grid` describes (its size and byte order already chosen);
/// `rowDone` after each row. False (errno set) when the file cannot be opened or
/// mapped, or its length is not the grid's.
bool ScanGrid(const GeoidGrid& grid, GridReport& report, const RowProgress& rowDone = {});

}  // namespace egm2008::engine
