// "egm2008 heights": a delimited file written again with N and, when asked,
// the converted height appended to each data line (tasks/heights/heights.hpp). The
// files are handled as `egm2008 file` handles them: the input read only, the
// output refused when it is the input or the grid, the grid checked before the
// output is opened, a regular output replaced only when the run ends, a
// signal leaving the previous file. The columns used are told once, as soon
// as the first data line has been read; a layout that cannot be read ends the
// run with nothing written. After the run the first problem lines, one
// message each, and the end message (left out by --quiet when every data line
// was computed). Exit 1 unless every data line was computed.
#include <cstdint>
#include <string>

#include "cli/commands.hpp"
#include "cli/output_file.hpp"
#include "cli/run_cli.hpp"
#include "cli/stop_signals.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/heights/heights.hpp"

namespace egm2008::cli {

namespace {

// The run, with the columns told and progress shown on a terminal.
HeightsOutcome ConvertFile(PointFileSetup& setup, OutputFile& output, const GeoidGrid& grid,
                           const HeightsArgs& args, const StopSignals& signals, Console& console) {
    Progress progress(console.err(), "lines");
    HeightsCallbacks callbacks;
    callbacks.layout = [&console, &progress](const DelimitedLayout& layout) {
        progress.Finish();
        console.Message(DescribeColumns(layout));
    };
    callbacks.progress = [&progress](std::int64_t lines) {
        progress.Update(static_cast<std::uint64_t>(lines), 0);
    };
    return RunHeights(setup.input, output.text(), grid, setup.mapped, args.options, callbacks,
                      signals.stop());
}

}  // namespace

int RunHeightsCommand(const HeightsArgs& args, Console& console) {
    const std::optional<GeoidGrid> grid = ChooseGridOrTell(args.grid, console);
    if (!grid) return kExitFailure;

    // The input, the output's right to be written and the grid before the output
    // is opened: whatever fails leaves the output as it was.
    const StopSignals signals;
    PointFileSetup setup;
    OutputFile output;
    const PointFileRequest request{args.input, args.output, console.in(), console.out()};
    if (!OpenRunFiles(request, *grid, signals, console, setup, output)) return kExitFailure;

    const HeightsOutcome outcome = ConvertFile(setup, output, *grid, args, signals, console);
    setup.input.Close();
    if (!outcome.layoutError.empty()) output.Discard();  // nothing was written: keep what was
    if (const std::optional<int> status = SettleOutput(output, args.output, signals, console))
        return *status;
    if (!outcome.layoutError.empty()) {
        console.Message(outcome.layoutError);
        return kExitFailure;
    }

    for (const HeightsLineProblem& problem : outcome.problems)
        console.Message(HeightsProblemText(problem));
    const bool allComputed = outcome.allComputed();
    if (!allComputed || !args.quiet)
        console.Message(HeightsOutcomeMessage(outcome, args.input, args.output));
    return allComputed ? kExitOk : kExitFailure;
}

}  // namespace egm2008::cli
