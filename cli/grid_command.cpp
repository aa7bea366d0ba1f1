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
// and ends with status 1. The lattice goes out in the format of GridArgs
// (its row in lattice_format_info.hpp); a format that needs a file has been
// refused for standard output, a lattice beyond the format's limits is
// refused with the page's checks.
// A --width beyond the lattice's long side is told (the map keeps a pixel a
// node) and the run goes on.
#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "cli/commands.hpp"
#include "cli/messages.hpp"
#include "cli/output_file.hpp"
#include "cli/run_cli.hpp"
#include "cli/stop_signals.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/common/file_identity.hpp"
#include "tasks/lattice/grid_lattice.hpp"
#include "tasks/lattice/gridmaker.hpp"

namespace egm2008::cli {

namespace {

// The request the gridmaker's core checks and runs, its values in the core's order.
GridmakerRequest RequestOf(const GridArgs& a, const std::string& outputName) {
    GridmakerRequest request;
    const double values[kGridmakerFields] = {a.latitude1,         a.longitude1,
                                             a.latitude2,         a.longitude2,
                                             a.latSpacingMinutes, a.lonSpacingMinutes};
    std::copy(std::begin(values), std::end(values), request.values);
    request.outputName = outputName;
    request.method = a.method;
    request.format = a.format;
    request.pictureWidth = a.pictureWidth;
    return request;
}

// True when the open descriptor `fd` is the file at `path`.
bool DescriptorIsFile(int fd, const std::string& path) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && S_ISREG(open.st_mode) &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The run after the output is open: the lattice with progress, the output settled,
// the end told.
int WriteGrid(const GridmakerRequest& request, const LatticeArea& area, const GeoidGrid& grid,
              MappedGrid& mapped, OutputFile& output, const StopSignals& signals,
              Console& console) {
    const std::uint64_t total = LatticeNodeCount(area);
    GridmakerOutcome outcome;
    {
        Progress progress(console.err(), "nodes");
        outcome = WriteGridmakerOutput(request, area, output.text(), grid, mapped,
                                       [&progress, total, &signals](std::uint64_t done) {
                                           progress.Update(done, total);
                                           return !signals.stop().Requested();
                                       });
    }
    const std::string& name = request.outputName;
    if (const std::optional<int> status = SettleOutput(output, name, signals, console)) {
        return *status;
    }
    if (!outcome.endMessage.empty()) {
        console.Message(outcome.endMessage);
        return kExitFailure;
    }
    if (outcome.lattice.end != LatticeEnd::Completed) return kExitFailure;
    if (outcome.lattice.nodesOutside > 0) {
        console.Message(NodesOutsideMessage(outcome.lattice.nodesOutside, request.format));
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunGrid(const GridArgs& args, Console& console) {
    const bool toStandardOutput = args.output == "-";
    const std::string name = toStandardOutput ? kStandardOutput : args.output;
    const GridmakerRequest request = RequestOf(args, name);
    const GridmakerCheck check = CheckGridmakerRequest(request);
    if (!check.message.empty()) {
        console.Message(check.message);
        return kExitUsage;
    }

    // A picture never has more pixels than the lattice nodes: a wider one is not made.
    const LatticeShape shape = LatticeShapeOf(check.area);
    const std::uint64_t longSide = std::max(shape.rows, shape.columns);
    if (args.pictureWidth > 0 && static_cast<std::uint64_t>(args.pictureWidth) > longSide) {
        console.Message(WidthBeyondLatticeMessage(args.pictureWidth, longSide));
    }

    const std::optional<GeoidGrid> grid = ChooseGridOrTell(args.grid, console);
    if (!grid) return kExitFailure;
    // Opening the grid file for writing would empty it before a single node is
    // read, and appending to it (standard output opened on it) would spoil it.
    if (toStandardOutput ? DescriptorIsFile(console.out(), grid->path)
                         : SameFile(args.output, grid->path)) {
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
    return WriteGrid(request, check.area, *grid, mapped, output, signals, console);
}

}  // namespace egm2008::cli
