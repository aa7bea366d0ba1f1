// The "EGM2008 Manual Calc" page: one typed point, its undulation by all four
// methods side by side.
//
// "Calc!" reads latitude and longitude from their fields (field_text.hpp: decimal
// degrees or degrees, minutes and seconds, west and south negative) and writes
// them back as "%.8lf"; a field that holds no number is marked as refused, its
// reason naming it, and nothing is computed (the results are emptied). Then it shifts
// a negative longitude by +360 once and asks the bi-quadratic, bi-linear,
// triangulation and nearest-neighbour routines in this order, each opening the
// grid file for its own query. A result shows as "%.4f"; a method that fails
// shows "N/A", the others go on. A point outside the grid gives "N/A" four
// times, and the status line says which coordinate lies outside. A grid that
// cannot be read is told of once per "Calc!", however many methods meet it.
// A point that got a value is marked on the page's world map (its longitude
// within -180..180); a point without one, and "Clear", take the mark off.
#pragma once

#include <optional>
#include <string>

#include "engine/geoid_grid.hpp"
#include "engine/query_routines.hpp"
#include "engine/tide_system.hpp"
#include "tasks/messages.hpp"
#include "tasks/common/page_platform.hpp"

namespace egm2008 {

/// Field IDs of the manual page.
namespace manual_ids {
inline constexpr int kLatitude = 1000;
inline constexpr int kLongitude = 1001;
inline constexpr int kBiQuadratic = 1003;
inline constexpr int kBiLinear = 1004;
inline constexpr int kTriangulation = 1005;
inline constexpr int kNearest = 1006;
inline constexpr int kPicture = 1007;  ///< the small world map with the point
}  // namespace manual_ids

/// One method as the manual page and `egm2008 point` ask it, in the order they ask.
struct ManualMethod {
    InterpolationMethod method;
    QueryStatus (*routine)(const GeoidGrid&, double, double, float&, Notifier&);
    const char* label;  ///< as the page labels its result field
    int field;          ///< the page's result field
};

// The order of the queries is the order in which the user sees their messages.
inline constexpr ManualMethod kManualMethods[] = {
    {InterpolationMethod::BiQuadratic, InterpolateBiQuadratic, "Bi-Quadratic",
     manual_ids::kBiQuadratic},
    {InterpolationMethod::BiLinear, InterpolateBiLinear, "Bi-Linear", manual_ids::kBiLinear},
    {InterpolationMethod::Triangulation, InterpolateTriangulation, "Triangulation",
     manual_ids::kTriangulation},
    {InterpolationMethod::NearestNeighbour, LookupNearest, "Nearest Neighbor",
     manual_ids::kNearest},
};
inline constexpr int kManualMethodCount = 4;

/// One point as typed: longitude as typed, west negative.
struct ManualPointRequest {
    double latitude = 0.0;
    double longitude = 0.0;
    std::optional<InterpolationMethod> only;  ///< ask this method alone
    TideSystem tide = TideSystem::TideFree;   ///< the system of `undulation` (tide_system.hpp)
};

/// One method's answer; `value` holds the result only when `status` is StatusOk.
struct ManualPointResult {
    const ManualMethod* method = nullptr;
    QueryStatus status = QueryStatus::StatusError;
    float value = kResultPreset;  ///< tide-free, as the grid gives it
    double undulation = 0.0;      ///< `value` in the request's tide system, when ok()
    bool ok() const { return status == QueryStatus::StatusOk; }
};

/// The answers in the table's order (the one asked for when `only` is set).
struct ManualPointOutcome {
    ManualPointResult results[kManualMethodCount];
    int count = 0;
    bool allComputed() const;
};

/// Asks `method`'s routine at the request's point, a negative longitude shifted
/// by +360 once; the routine tells `notifier` what it cannot read.
ManualPointResult ComputeManualMethod(const ManualMethod& method, const GeoidGrid& grid,
                                      const ManualPointRequest& request, Notifier& notifier);

/// Every method of the table in turn, or the one asked for; of the routines'
/// messages only the first reaches `notifier`.
ManualPointOutcome ComputeManualPoint(const GeoidGrid& grid, const ManualPointRequest& request,
                                      Notifier& notifier);

class ManualPointPage {
public:
    /// The page talks to its window through `platform`, which must outlive it.
    explicit ManualPointPage(PagePlatform& platform) : platform_(platform) {}

    /// The grid the next calculation reads (not owned; null until set).
    void SetGrid(const GeoidGrid* grid) { grid_ = grid; }
    const GeoidGrid* grid() const { return grid_; }

    /// "Calc!": the four results for the typed point.
    void CalculatePoint();
    /// "Clear": empties the four result fields and unmarks the map; the inputs keep their text.
    void ClearResults();

private:
    // Reads and rewrites both fields; false when one was refused.
    bool ReadPoint(ManualPointRequest& request);
    // The status line after the queries: why all is "N/A", or what was computed.
    std::string ManualStatus(const ManualPointRequest& request, bool anyValue) const;

    PagePlatform& platform_;
    const GeoidGrid* grid_ = nullptr;
};

}  // namespace egm2008
