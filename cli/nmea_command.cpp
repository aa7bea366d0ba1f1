// "egm2008 nmea": an NMEA log rewritten with the EGM2008 separation
// (tasks/nmea/nmea_run.hpp), or audited (tasks/nmea/nmea_audit.hpp): the report in words
// or as JSON on standard output, N from the 2.5' grid when it is at hand. The files are
// handled as `egm2008 file` handles them: the input read only, the output
// refused when it is the input or the grid, the grid checked before the output
// is opened, a regular output replaced only when the run ends. A live input
// (gpspipe -r | egm2008 nmea - -) is answered line by line, and a signal
// (Ctrl-C) ends it as the end of the stream would. A signal during a run over a
// regular file leaves the previous output and exits 128 + its number. The
// summary goes to standard error at the end, after a signal too, and counts
// the lines written (a line cut by the signal is neither). Otherwise exit 0
// when every GGA and GNS sentence with a fix was rewritten, 1 if not.
#include <string>

#include "cli/commands.hpp"
#include "cli/output_file.hpp"
#include "cli/run_cli.hpp"
#include "cli/stop_signals.hpp"
#include "engine/mapped_grid.hpp"
#include "cli/messages.hpp"
#include "tasks/messages.hpp"
#include "tasks/nmea/nmea_audit.hpp"
#include "tasks/nmea/nmea_run.hpp"

namespace egm2008::cli {

namespace {

int Rewrite(const NmeaArgs& args, const GeoidGrid& grid, Console& console) {
    const StopSignals signals;
    PointFileSetup setup;
    OutputFile output;
    const PointFileRequest request{args.input, args.output, console.in(), console.out()};
    if (!OpenRunFiles(request, grid, signals, console, setup, output)) return kExitFailure;

    NmeaRunOutcome outcome;
    {
        Progress progress(console.err(), "lines");
        outcome = RunNmea(
            setup.input, output.text(), grid, setup.mapped, args.method, args.options,
            [&progress](std::int64_t lines) {
                progress.Update(static_cast<std::uint64_t>(lines), 0);
            },
            signals.stop());
    }
    // A live stream ends when it is stopped: every line answered is out, and the
    // run ends as if the stream had ended.
    const bool liveEnd = !setup.input.identified() && signals.received() != 0;
    setup.input.Close();
    if (outcome.readError != 0) output.Discard();  // a log read in part: keep what was
    const std::optional<int> settled =
        liveEnd ? std::nullopt : SettleOutput(output, args.output, signals, console);
    if (!args.quiet || outcome.AnyFailed() || settled) console.Message(NmeaSummaryText(outcome));
    if (settled) return *settled;
    if (outcome.readError != 0) {
        console.Message(InputReadFailure(args.input, outcome.readError) + "\n" +
                        OutputFateLine(args.output, output.fate()));
        return kExitFailure;
    }
    if (outcome.writeError != 0) {
        console.Message(OutputWriteFailure(args.output, outcome.writeError));
        return kExitFailure;
    }
    return outcome.AnyFailed() ? kExitFailure : kExitOk;
}

// The receiver check: the report (or its JSON) on standard output. Exit 1 when
// the log could not be read whole or could not be checked (NmeaAuditFailed).
int Audit(const NmeaArgs& args, const GeoidGrid& grid, Console& console) {
    const StopSignals signals;
    PointFileInput input;
    if (args.input == "-") {
        input.Attach(console.in());
    } else if (!input.Open(args.input)) {
        console.Message(InputOpenMessage(args.input));
        return kExitFailure;
    }
    MappedGrid mapped;
    if (mapped.Map(grid, console) != QueryStatus::StatusOk) return kExitFailure;
    const NmeaAuditRun run = RunNmeaAudit(input.fd(), grid, mapped, args.method, signals.stop());
    if (const int signal = signals.received()) return SignalExitStatus(signal);
    if (run.readError != 0) {
        console.Message(InputReadFailure(args.input, run.readError));
        return kExitFailure;
    }
    const std::string text =
        args.json ? NmeaAuditJson(run.report) + "\n" : NmeaAuditText(run.report);
    if (!WriteAll(console.out(), text)) {
        console.Message(StandardOutputFailureMessage("the report"));
        return kExitFailure;
    }
    return NmeaAuditFailed(run.report) ? kExitFailure : kExitOk;
}

}  // namespace

int RunNmeaCommand(const NmeaArgs& args, Console& console) {
    // The audit compares with the finest grid at hand unless one is named.
    GridRequest request = args.grid;
    if (args.audit && !request.path) request.path = AuditGrid(InternalDatabasePath()).path;
    const std::optional<GeoidGrid> grid = ChooseGridOrTell(request, console);
    if (!grid) return kExitFailure;
    return args.audit ? Audit(args, *grid, console) : Rewrite(args, *grid, console);
}

}  // namespace egm2008::cli
