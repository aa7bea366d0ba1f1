// "egm2008 grid": the gridmaker. The arguments pass the page's checks in the
// page's order (first corner's latitude and longitude, second corner's, then
// the two spacings, then the smallest step) with the page's messages; then
// the lattice goes to the output file or standard output, line for line what
// the page writes. The output is refused when it is the grid file, standard
// output appending to it included; the grid is opened and checked before the
// output is opened. A regular output file is written under a temporary name
// and put in place when the run ends (output_file.hpp): a write error or
// SIGINT, SIGTERM or SIGHUP (stop_signals.hpp) leaves the previous file. A
// run that stops at a node it cannot compute keeps the lines written so far
// and ends with status 1.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "cli/commands.hpp"
#include "cli/output_file.hpp"
#include "cli/run_cli.hpp"
#include "cli/stop_signals.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/file_identity.hpp"
#include "tasks/grid_lattice.hpp"
#include "tasks/gridmaker.hpp"

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

// True when the open descriptor `fd` is the file at `path`.
bool DescriptorIsFile(int fd, const std::string& path) {
    struct stat open {}, named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && S_ISREG(open.st_mode) &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
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

    const bool toStandardOutput = args.output == "-";
    const std::string name = toStandardOutput ? kStandardOutput : args.output;
    // Opening the grid file for writing would empty it before a single node is
    // read, and appending to it (standard output opened on it) would spoil it.
    if (toStandardOutput ? DescriptorIsFile(console.out(), grid->path) : SameFile(args.output, grid->path)) {
        console.Message(OutputIsGridMessage(name));
        return kExitFailure;
    }
    // The grid before the output: a grid that fails leaves the output as it was.
    MappedGrid mapped;
    if (mapped.Map(*grid, console) != QueryStatus::StatusOk) return kExitFailure;
    const StopSignals signals;
    OutputFile output;
    if (toStandardOutput) {
        output.Attach(console.out());
    } else if (!output.Open(args.output)) {
        console.Message(OutputOpenMessage(args.output));
        return kExitFailure;
    }
    output.text().StopOn(signals.stop());

    const std::uint64_t rows = CountSteps(area.north, area.latStep, area.south - kLatticeSlack, true);
    const std::uint64_t columns = CountSteps(area.west, area.lonStep, area.east + kLatticeSlack, false);
    const std::uint64_t total =
        rows > 0 && columns <= std::numeric_limits<std::uint64_t>::max() / rows ? rows * columns : 0;
    LatticeOutcome outcome;
    {
        Progress progress(console.err(), "nodes");
        outcome = WriteGridLattice(output.text(), *grid, mapped, args.method, area,
                                   [&progress, total, &signals](std::uint64_t done) {
                                       progress.Update(done, total);
                                       return !signals.stop().Requested();
                                   });
    }
    const bool closed = output.text().Close();
    if (const std::optional<int> status = SettleOutput(output, name, signals, console)) return *status;

    if (outcome.end == LatticeEnd::WriteFailed || !closed) {
        console.Message(OutputWriteFailureMessage(name, output.text().error()));
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
