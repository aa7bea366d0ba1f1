// The "EGM2008 Manual Calc" page: one typed point, its undulation by all four
// methods side by side.
//
// "Calc!" reads latitude and longitude (decimal degrees, west and south
// negative) from their fields as `_wtof` reads them, writes them back as
// "%.8lf", shifts a negative longitude by +360 once and asks the bi-quadratic,
// bi-linear, triangulation and nearest-neighbour routines in this order, each
// opening the grid file for its own query. A result shows as "%.4f"; a method
// that fails shows "N/A", the others go on. The page checks no ranges: a point
// outside the grid gives "N/A" four times. A routine that cannot read the grid
// tells the user itself, once per query.
#pragma once

#include "engine/geoid_grid.hpp"
#include "tasks/page_platform.hpp"

namespace egm2008 {

/// Field IDs of the manual page.
namespace manual_ids {
inline constexpr int kLatitude = 1000;
inline constexpr int kLongitude = 1001;
inline constexpr int kBiQuadratic = 1003;
inline constexpr int kBiLinear = 1004;
inline constexpr int kTriangulation = 1005;
inline constexpr int kNearest = 1006;
}  // namespace manual_ids

/// Shown when "Calc!" finds no grid to ask.
inline constexpr const char* kNullGridMessage = "Error: Detected Nullpointer.";

class ManualPointPage {
public:
    /// The page talks to its window through `platform`, which must outlive it.
    explicit ManualPointPage(PagePlatform& platform) : platform_(platform) {}

    /// The grid the next calculation reads (not owned; null until set).
    void SetGrid(const GeoidGrid* grid) { grid_ = grid; }
    const GeoidGrid* grid() const { return grid_; }

    /// "Calc!": the four results for the typed point.
    void CalculatePoint();
    /// "Clear": empties the four result fields; the inputs keep their text.
    void ClearResults();

private:
    PagePlatform& platform_;
    const GeoidGrid* grid_ = nullptr;
};

}  // namespace egm2008
