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
//
// Its options, help text and usage checks: FileCommand, at the end of this file.
#include <unistd.h>

#include <string>

#include "cli/command.hpp"
#include "cli/command_options.hpp"
#include "cli/run_cli.hpp"
#include "cli/run_files.hpp"
#include "tasks/points/point_file.hpp"

namespace egm2008::cli {

namespace {

/// "egm2008 file": a point file or GGA log, as the file page runs it.
struct FileArgs {
    std::string input;   ///< "-": standard input
    std::string output;  ///< "-": standard output
    PointFileLayout layout = PointFileLayout::LatLon;
    InterpolationMethod method = InterpolationMethod::BiQuadratic;
    TideSystem tide = TideSystem::TideFree;  ///< of N (and of a GGA sentence's altitude)
    bool quiet = false;                      ///< no "Calculation done" message
    GridRequest grid;
};

int RunFile(const FileArgs& args, Console& console) {
    RunFiles files;
    if (!files.Open(args.input, args.output, args.grid, console)) return kExitFailure;

    PointFileOutcome outcome;
    {
        Progress progress(console.err(), "points");
        outcome = RunPointFile(
            files.input(), files.output().text(), files.grid(), files.mapped(), args.layout,
            args.method,
            [&progress](std::int64_t computed) {
                progress.Update(static_cast<std::uint64_t>(computed), 0);
            },
            files.signals().stop(), args.tide);
    }
    files.input().Close();
    if (const std::optional<int> status = files.Settle(console)) return *status;

    // Every line that held a point or a GGA sentence must have been computed;
    // other sentences passed on are no failure.
    const bool clean = outcome.completed() && outcome.gridOpened;
    const bool allComputed = clean && !outcome.AnyNotComputed();
    if (!allComputed || !args.quiet)
        console.Message(OutcomeMessage(outcome, args.input, args.output));
    return allComputed ? kExitOk : kExitFailure;
}

constexpr Choice<PointFileLayout> kLayouts[] = {
    {"lat-lon", PointFileLayout::LatLon},
    {"lon-lat", PointFileLayout::LonLat},
    {"pt-lat-lon", PointFileLayout::PtNumberLatLon},
    {"pt-lon-lat", PointFileLayout::PtNumberLonLat},
    {"gga", PointFileLayout::GgaFromGps},
};

class FileCommand final : public Command {
public:
    CLI::App* Add(CLI::App& app) override {
        command = app.add_subcommand(
            "file", "undulations for a point file or an NMEA GGA log, as the file page");
        command->add_option("IN", file.input, "point file to read, - for standard input")
            ->required()
            ->type_name("FILE");
        command->add_option("OUT", file.output, "file to write, - for standard output")
            ->required()
            ->type_name("FILE");
        command->add_option("-l,--layout", layout, "fields of an input line (default lat-lon)")
            ->check(CLI::IsMember(NamesOf(kLayouts)))
            ->type_name("LAYOUT");
        AddMethodOption(*command, method, "interpolation method (default biquadratic)");
        command->add_flag("-q,--quiet", file.quiet, "no \"Calculation done\" message");
        AddTideSystemOption(*command, tide);
        grid.Add(*command);
        command->footer(
            R"(Layouts: lat-lon, lon-lat (two numbers a line), pt-lat-lon, pt-lon-lat (a point
name first), gga (NMEA GGA sentences, rewritten with the EGM2008 separation).
  egm2008 file points.txt heights.txt --layout pt-lat-lon
  egm2008 file - - --layout gga < gps.nmea > gps-egm2008.nmea)");
        return command;
    }

    int Run(Console& console) override {
        file.layout = ValueOf(kLayouts, layout);
        file.method = ValueOf(kMethods, method);
        file.tide = TideSystemOf(tide);
        file.grid = grid.Request();
        return RunFile(file, console);
    }

private:
    CLI::App* command = nullptr;
    FileArgs file;
    std::string layout = "lat-lon", method = "biquadratic", tide;
    GridOptions grid;
};

}  // namespace

std::unique_ptr<Command> MakeFileCommand() { return std::make_unique<FileCommand>(); }

}  // namespace egm2008::cli
