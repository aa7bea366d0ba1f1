// "egm2008 point": the manual page's calculation. Each method's routine is
// asked on its own, in the page's order, with the grid file opened per
// query; a negative longitude is shifted by +360 once. A method that fails
// shows "N/A" and makes the exit status 1; the others go on.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "cli/commands.hpp"
#include "cli/run_cli.hpp"
#include "engine/query_routines.hpp"
#include "tasks/field_text.hpp"

namespace egm2008::cli {

namespace {

using Routine = QueryStatus (*)(const GeoidGrid&, double, double, float&, Notifier&);

struct MethodRow {
    InterpolationMethod method;
    Routine routine;
    const char* label;  // as the manual page labels its result fields
};

constexpr MethodRow kRows[] = {
    {InterpolationMethod::BiQuadratic, InterpolateBiQuadratic, "Bi-Quadratic"},
    {InterpolationMethod::BiLinear, InterpolateBiLinear, "Bi-Linear"},
    {InterpolationMethod::Triangulation, InterpolateTriangulation, "Triangulation"},
    {InterpolationMethod::NearestNeighbour, LookupNearest, "Nearest Neighbor"},
};

constexpr std::size_t kLabelWidth = 16;

}  // namespace

int RunPoint(const PointArgs& args, Console& console) {
    const std::optional<GeoidGrid> grid = ChooseGridOrTell(args.grid, console);
    if (!grid) return kExitFailure;

    const double queryLongitude = args.longitude < 0.0 ? args.longitude + 360.0 : args.longitude;
    std::vector<std::pair<const char*, std::string>> results;
    bool allComputed = true;
    for (const MethodRow& row : kRows) {
        if (args.method && *args.method != row.method) continue;
        float result = kResultPreset;
        const bool ok = row.routine(*grid, args.latitude, queryLongitude, result, console) ==
                        QueryStatus::StatusOk;
        allComputed = allComputed && ok;
        results.emplace_back(row.label, ok ? FormatFixed(static_cast<double>(result), args.decimals)
                                           : std::string("N/A"));
    }

    std::string text;
    if (args.method) {
        text = results.front().second + "\n";
    } else {
        // Values right-aligned in one column, so that signs and points line up.
        std::size_t width = 0;
        for (const auto& r : results) width = std::max(width, r.second.size());
        for (const auto& [label, value] : results) {
            text += label;
            text.append(kLabelWidth - std::string(label).size() + 1 + width - value.size(), ' ');
            text += value + "\n";
        }
    }
    if (!console.Out(text)) {
        console.Message(std::string("standard output could not be written: ") + std::strerror(errno));
        return kExitFailure;
    }
    return allComputed ? kExitOk : kExitFailure;
}

}  // namespace egm2008::cli
