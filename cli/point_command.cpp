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
#include "cli/messages.hpp"
#include "tasks/field_text.hpp"
#include "tasks/manual_point.hpp"

namespace egm2008::cli {

namespace {

constexpr std::size_t kLabelWidth = 16;

// The values of `outcome`, "N/A" where a method found none; alone when one was asked for,
// else labelled and right-aligned in one column, so that signs and points line up.
std::string PointText(const ManualPointOutcome& outcome, bool alone, int decimals) {
    std::vector<std::pair<const char*, std::string>> results;
    for (int k = 0; k < outcome.count; ++k) {
        const ManualPointResult& r = outcome.results[k];
        results.emplace_back(r.method->label,
                             r.ok() ? FormatFixed(static_cast<double>(r.value), decimals)
                                    : std::string(kNotAvailable));
    }
    if (alone) return results.front().second + "\n";
    std::size_t width = 0;
    for (const auto& r : results) width = std::max(width, r.second.size());
    std::string text;
    for (const auto& [label, value] : results) {
        text += label;
        text.append(kLabelWidth - std::string(label).size() + 1 + width - value.size(), ' ');
        text += value + "\n";
    }
    return text;
}

}  // namespace

int RunPoint(const PointArgs& args, Console& console) {
    const std::optional<GeoidGrid> grid = ChooseGridOrTell(args.grid, console);
    if (!grid) return kExitFailure;

    const ManualPointRequest request{args.latitude, args.longitude, args.method};
    const ManualPointOutcome outcome = ComputeManualPoint(*grid, request, console);
    if (!console.Out(PointText(outcome, args.method.has_value(), args.decimals))) {
        console.Message(StandardOutputFailureMessage(std::strerror(errno)));
        return kExitFailure;
    }
    return outcome.allComputed() ? kExitOk : kExitFailure;
}

}  // namespace egm2008::cli
