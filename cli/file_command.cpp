// "egm2008 file": the file page's run over a point file or GGA log. The input
// is read only and must be a regular file (or "-", standard input); the
// output is refused when it is the input or the grid file, and the grid is
// opened and checked, before the output is opened. A regular output file is
// written under a temporary name and put in place when the run ends
// (output_file.hpp); SIGINT, SIGTERM and SIGHUP stop the run between lines
// and leave the previous file (stop_signals.hpp). The lines written are those
// of the page. At the end the page's message: the count and what was not
// computed, or the read or write error. Exit 1 unless every point and GGA
// sentence was computed.
#include <unistd.h>

#include <string>

#include "cli/commands.hpp"
#include "cli/output_file.hpp"
#include "cli/run_cli.hpp"
#include "cli/stop_signals.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/points/point_file.hpp"

namespace egm2008::cli {

int RunFile(const FileArgs& args, Console& console) {
    const std::optional<GeoidGrid> grid = ChooseGridOrTell(args.grid, console);
    if (!grid) return kExitFailure;

    // The input, the output's right to be written and the grid before the output
    // is opened: whatever fails leaves the output as it was.
    const StopSignals signals;
    PointFileSetup setup;
    OutputFile output;
    const PointFileRequest request{args.input, args.output, console.in(), console.out()};
    if (!OpenRunFiles(request, *grid, signals, console, setup, output)) return kExitFailure;

    PointFileOutcome outcome;
    {
        Progress progress(console.err(), "points");
        outcome = RunPointFile(
            setup.input, output.text(), *grid, setup.mapped, args.layout, args.method,
            [&progress](std::int64_t computed) {
                progress.Update(static_cast<std::uint64_t>(computed), 0);
            },
            signals.stop());
    }
    setup.input.Close();
    if (const std::optional<int> status = SettleOutput(output, args.output, signals, console))
        return *status;

    // Every line that held a point or a GGA sentence must have been computed;
    // other sentences passed on are no failure.
    const bool clean = outcome.completed() && outcome.gridOpened;
    const bool allComputed = clean && !outcome.AnyNotComputed();
    if (!allComputed || !args.quiet)
        console.Message(OutcomeMessage(outcome, args.input, args.output));
    return allComputed ? kExitOk : kExitFailure;
}

}  // namespace egm2008::cli
