// "egm2008 nmea": an NMEA log rewritten with the EGM2008 separation
// (tasks/nmea/nmea_run.hpp), or audited (tasks/nmea/nmea_audit.hpp): the report in words
// or as JSON on standard output, N from the 2.5' grid when it is at hand, and from
// EGM96's and EGM84's grids when the grid folders hold them. The files are
// handled as `egm2008 file` handles them: the input read only, the output
// refused when it is the input or the grid, the grid checked before the output
// is opened, a regular output replaced only when the run ends. A live input
// (gpspipe -r | egm2008 nmea - -) is answered line by line, and a signal
// (Ctrl-C) ends it as the end of the stream would. A signal during a run over a
// regular file leaves the previous output and exits 128 + its number. The
// summary goes to standard error at the end, after a signal too, and counts
// the lines written (a line cut by the signal is neither). Otherwise exit 0
// when every GGA and GNS sentence with a fix was rewritten, 1 if not.
//
// Its options, help text and usage checks: NmeaCommand, at the end of this file.
#include <cerrno>
#include <string>

#include "cli/command.hpp"
#include "cli/command_options.hpp"
#include "cli/grid_choice.hpp"
#include "cli/messages.hpp"
#include "cli/run_cli.hpp"
#include "cli/run_files.hpp"
#include "cli/stop_signals.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/messages.hpp"
#include "tasks/nmea/nmea_audit.hpp"
#include "tasks/nmea/nmea_run.hpp"

namespace egm2008::cli {

namespace {

/// "egm2008 nmea": an NMEA log rewritten with the EGM2008 separation, or audited.
struct NmeaArgs {
    std::string input;   ///< "-": standard input
    std::string output;  ///< "-": standard output; unused by the audit
    NmeaRewriteOptions options;
    bool audit = false;  ///< report on the receiver's geoid instead of rewriting
    bool json = false;   ///< the audit as one JSON object
    InterpolationMethod method = InterpolationMethod::BiQuadratic;
    bool quiet = false;  ///< no summary when every sentence with a fix was rewritten
    GridRequest grid;
};

int Rewrite(const NmeaArgs& args, Console& console) {
    RunFiles files;
    if (!files.Open(args.input, args.output, args.grid, console)) return kExitFailure;

    NmeaRunOutcome outcome;
    {
        Progress progress(console.err(), "lines");
        outcome = RunNmea(
            files.input(), files.output().text(), files.grid(), files.mapped(), args.method,
            args.options,
            [&progress](std::int64_t lines) {
                progress.Update(static_cast<std::uint64_t>(lines), 0);
            },
            files.signals().stop());
    }
    // A live stream ends when it is stopped: every line answered is out, and the
    // run ends as if the stream had ended.
    const bool liveEnd = !files.input().identified() && files.signals().received() != 0;
    files.input().Close();
    if (outcome.readError != 0) files.output().Discard();  // a log read in part: keep what was
    const std::optional<int> settled = liveEnd ? std::nullopt : files.Settle(console);
    if (!args.quiet || outcome.AnyFailed() || settled) console.Message(NmeaSummaryText(outcome));
    if (settled) return *settled;
    if (outcome.readError != 0) {
        console.Message(InputReadFailure(args.input, outcome.readError) + "\n" +
                        OutputFateLine(args.output, files.output().fate()));
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
        console.Message(InputOpenMessage(args.input, errno));
        return kExitFailure;
    }
    MappedGrid mapped;
    if (mapped.Map(grid, console) != QueryStatus::StatusOk) return kExitFailure;
    OlderModelGrids others(grid, console);
    for (const std::string& note : others.notes()) console.Message(note);
    const NmeaAuditRun run =
        RunNmeaAudit(input.fd(), grid, mapped, args.method, signals.stop(), others.grids());
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

int RunNmeaCommand(const NmeaArgs& args, Console& console) {
    if (!args.audit) return Rewrite(args, console);
    // The audit compares with the finest grid at hand unless one is named; that grid is
    // EGM2008's, the older models are found in the grid folders beside it.
    GridRequest request = args.grid;
    if (!request.path) request.path = AuditGrid(InternalDatabasePath()).path;
    request.model = GeoidModel::Egm2008;
    const std::optional<GeoidGrid> grid = ChooseGridOrTell(request, console);
    if (!grid) return kExitFailure;
    return Audit(args, *grid, console);
}

const CLI::Validator kTalker(
    [](std::string& text) -> std::string {
        return IsNmeaTalker(text) ? std::string() : NotATalkerMessage(text);
    },
    "");

class NmeaCommand final : public Command {
public:
    CLI::App* Add(CLI::App& app) override {
        command = app.add_subcommand(
            "nmea", "NMEA GGA and GNS sentences rewritten with the EGM2008 separation, or audited");
        command->add_option("IN", nmea.input, "NMEA log to read, - for standard input")
            ->required()
            ->type_name("FILE");
        CLI::Option* output =
            command->add_option("OUT", nmea.output, "file to write, - for standard output")
                ->type_name("FILE");
        CLI::Option* audit = command->add_flag(
            "--audit", nmea.audit,
            "report what the receiver's separation is against EGM2008 (and EGM96, EGM84 when "
            "their grids are found); nothing is written");
        output->excludes(audit);
        command->add_flag("--json", nmea.json, "the audit as one JSON object")->needs(audit);
        command->add_option("--talker", nmea.options.talker, "write this talker (GP, GN...)")
            ->check(kTalker)
            ->type_name("XX");
        command->add_flag("--separation-only", nmea.options.separationOnly,
                          "replace only the separation; the altitude stays as received");
        AddMethodOption(*command, method, "interpolation method (default biquadratic)");
        // The audit holds the receiver against the grid's own N.
        AddTideSystemOption(*command, tide)->excludes(audit);
        command->add_flag("-q,--quiet", nmea.quiet,
                          "no summary when every sentence with a fix was rewritten");
        grid.Add(*command);
        // The audit compares with every model whose grid it finds.
        grid.modelOption->excludes(audit);
        command->footer(
            R"(Every talker's GGA and GNS sentences get N as separation and altitude + old
separation - N as altitude, with the decimals they had; every other byte, and
every other sentence, stays as received, and so do the bytes before a sentence
(a time stamp, a TAG block). A sentence without a fix, height or checksum of its
own, or with a unit other than M, stays too, counted by reason in the summary.
The audit uses the 2.5' grid when it lies in the working directory or beside
the internal database, else the internal database (or --grid), and compares
with EGM96 and EGM84 too when their grids are in the grid folders, naming an
older model whose separation matches better; one not found is told and left out.
  egm2008 nmea rover.nmea rover-egm2008.nmea
  gpspipe -r | egm2008 nmea - -
  egm2008 nmea phone.nmea --audit)");
        return command;
    }

    int Run(Console& console) override {
        if (!nmea.audit && nmea.output.empty()) {
            console.Message(std::string("nmea: ") + kNmeaOutputMissing);
            return kExitUsage;
        }
        nmea.method = ValueOf(kMethods, method);
        nmea.options.tide = TideSystemOf(tide);
        nmea.grid = grid.Request();
        return RunNmeaCommand(nmea, console);
    }

private:
    CLI::App* command = nullptr;
    NmeaArgs nmea;
    std::string method = "biquadratic", tide;
    GridOptions grid;
};

}  // namespace

std::unique_ptr<Command> MakeNmeaCommand() { return std::make_unique<NmeaCommand>(); }

}  // namespace egm2008::cli
