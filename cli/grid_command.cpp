// "egm2008 grid": the gridmaker. The arguments pass the page's checks in the
// page's order (first corner's latitude and longitude, second corner's, then
// the two spacings, then the smallest step) with the page's messages; then
// the lattice goes to the output file or standard output, line for line what
// the page writes. A run that stops early leaves the lines written so far and
// ends with status 1.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "cli/commands.hpp"
#include "cli/run_cli.hpp"
#include "tasks/file_identity.hpp"
#include "tasks/grid_lattice.hpp"
#include "tasks/gridmaker.hpp"
#include "tasks/text_output.hpp"

namespace egm2008::cli {

namespace {

constexpr const char* kStandardOutput = "(standard output)";

bool LatitudeInRange(double v) { return v >= -90.0 && v <= 90.0; }
bool LongitudeInRange(double v) { return v >= -360.0 && v <= 360.0; }

// The page's field checks; the message of the first that fails, or nullptr.
const char* FirstFailedCheck(const GridArgs& a) {
    if (!LatitudeInRange(a.latitude1)) return kLatitudeRangeMessage;
    if (!LongitudeInRange(a.longitude1)) return kLongitudeRangeMessage;
    if (!LatitudeInRange(a.latitude2)) return kLatitudeRangeMessage;
    if (!LongitudeInRange(a.longitude2)) return kLongitudeRangeMessage;
    if (a.latSpacingMinutes < 0.0) return kLatSpacingMessage;
    if (a.lonSpacingMinutes < 0.0) return kLonSpacingMessage;
    return nullptr;
}

// Nodes along one axis of the walk (grid_lattice.hpp): the first always, then
// each whose position from its index still lies inside the limit. For the
// progress display only; found from an estimate, so a tiny step costs nothing.
std::uint64_t CountSteps(double start, double step, double limit, bool descending) {
    const auto inside = [&](std::uint64_t i) {
        const double position = descending ? start - static_cast<double>(i) * step
                                           : start + static_cast<double>(i) * step;
        return descending ? position > limit : position < limit;
    };
    const double estimate = std::floor(std::fabs(limit - start) / step);
    if (!(estimate < 1e15)) return 0;  // beyond counting; shown as a count without a total
    auto n = static_cast<std::uint64_t>(std::max(estimate, 1.0));
    while (n > 1 && !inside(n - 1)) --n;
    while (inside(n)) ++n;
    return n;
}

}  // namespace

int RunGrid(const GridArgs& args, Console& console) {
    if (const char* message = FirstFailedCheck(args)) {
        console.Message(message);
        return kExitUsage;
    }
    const LatticeArea area = AreaFromCorners(args.latitude1, args.longitude1, args.latitude2,
                                             args.longitude2, args.latSpacingMinutes,
                                             args.lonSpacingMinutes);
    if (area.lonStep < kLatticeSlack || area.latStep < kLatticeSlack) {
        console.Message(kSpacingMessage);
        return kExitUsage;
    }

    const std::optional<GeoidGrid> grid = ChooseGridOrTell(args.grid, console);
    if (!grid) return kExitFailure;

    const bool toStandardOutput = args.output.empty() || args.output == "-";
    const std::string name = toStandardOutput ? kStandardOutput : args.output;
    TextOutput output;
    if (toStandardOutput) {
        output.Attach(console.out());
    } else {
        // Opening the grid file for writing would empty it before a single node is read.
        if (SameFile(args.output, grid->path)) {
            console.Message(OutputIsGridMessage(args.output));
            return kExitFailure;
        }
        if (!output.Open(args.output)) {
            console.Message(OutputOpenFailureMessage(args.output));
            return kExitFailure;
        }
    }

    const std::uint64_t rows = CountSteps(area.north, area.latStep, area.south - kLatticeSlack, true);
    const std::uint64_t columns = CountSteps(area.west, area.lonStep, area.east + kLatticeSlack, false);
    const std::uint64_t total =
        rows > 0 && columns <= std::numeric_limits<std::uint64_t>::max() / rows ? rows * columns : 0;
    LatticeOutcome outcome;
    {
        Progress progress(console.err(), "nodes");
        outcome = WriteGridLattice(output, *grid, args.method, area, console,
                                   [&progress, total](std::uint64_t done) {
                                       progress.Update(done, total);
                                       return true;
                                   });
    }
    const bool closed = output.Close();

    if (outcome.end == LatticeEnd::WriteFailed || !closed) {
        console.Message(OutputWriteFailureMessage(name, output.error()));
        return kExitFailure;
    }
    if (outcome.end == LatticeEnd::StoppedAtError) {
        console.Message(LatticeIncompleteMessage(name, outcome.stopLatitude, outcome.stopLongitude));
        return kExitFailure;
    }
    if (outcome.end != LatticeEnd::Completed) return kExitFailure;
    if (outcome.nodesOutside > 0) {
        console.Message(std::to_string(outcome.nodesOutside) + (outcome.nodesOutside == 1 ? " node" : " nodes") +
                        " could not be computed and " + (outcome.nodesOutside == 1 ? "was" : "were") +
                        " written as 9999.999.");
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace egm2008::cli
