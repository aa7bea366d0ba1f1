// The tool's registry: the program's own help and version, the commands in the
// order the help lists them (each in its own file, command.hpp), the parse, and
// the run of the one command given.
#include "cli/run_cli.hpp"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.hpp"
#include "cli/console.hpp"
#include "cli/messages.hpp"
#include "engine/geoid_grid.hpp"

namespace egm2008::cli {

namespace {

// The commands, in the order the help lists them.
std::vector<std::unique_ptr<Command>> Commands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(MakePointCommand());
    commands.push_back(MakeFileCommand());
    commands.push_back(MakeHeightsCommand());
    commands.push_back(MakeDemCommand());
    commands.push_back(MakeNmeaCommand());
    commands.push_back(MakeGridCommand());
    commands.push_back(MakeInfoCommand());
    commands.push_back(MakeGridsCommand());
    return commands;
}

std::string EndLine(std::string text) {
    if (text.empty() || text.back() != '\n') text += '\n';
    return text;
}

std::string HelpFooter() {
    return R"(Examples:
  egm2008 point 52.5 13.4
  egm2008 point -33.5 151.2 --method bilinear --decimals 8
  egm2008 point 52.5 13.4 --height 152.4 --to orthometric
  egm2008 point --grid Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree -- -33.5 151.2
  egm2008 file points.txt heights.txt --layout pt-lat-lon --method bilinear
  egm2008 file - - --layout gga < gps.nmea > gps-egm2008.nmea
  egm2008 heights survey.csv survey-msl.csv --to orthometric
  egm2008 dem srtm-wgs84.tif srtm-msl.tif --to orthometric
  egm2008 nmea rover.nmea rover-egm2008.nmea
  egm2008 grid --lat 47 55 --lon 5 15 --step-lat 30 --step-lon 30 -o alps.txt
  egm2008 info Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree

Coordinates are decimal degrees, west and south negative, with "." as the
decimal point. A negative number may stand as it is among the arguments;
after "--" every argument counts as a positional one.

Without --grid the internal 10' database is used:
  )" + std::string(kInternalGridName) +
           R"(
in the working directory, else the one installed in
  )" + EGM2008_INSTALLED_DATA_DIR +
           R"(
A grid file's size and byte order are recognised from its length and record
markers; --grid-size and --big-endian or --little-endian say what it must be.
--grid also takes a grid name, 10, 2.5 or 1 (with -le or -be for one byte
order), looked up by NGA's file names in $EGM2008_GRID_PATH (folders separated
by ":"), ${XDG_DATA_HOME:-~/.local/share}/egm2008, /usr/local/share/egm2008
and /usr/share/egm2008, passing over a file that is not the named grid; a file
of that name in the working directory wins.
"egm2008 grids install" makes the 10' and 2.5' grids there.

Exit status: 0 when every point was computed, 1 when the run failed or a point
could not be computed ("N/A", "999.999", a GGA sentence left as it was, a
lattice node written as 9999.999, a data line with empty new fields), 2 for a
usage error.)";
}

// CLI11 would take an unknown first word for a stray argument and ask for a subcommand.
bool IsStrayWord(const std::vector<std::string>& args, const std::vector<CLI::App*>& commands) {
    if (args.empty() || args.front().empty() || args.front().front() == '-') return false;
    for (const CLI::App* command : commands) {
        if (command->get_name() == args.front()) return false;
    }
    return true;
}

// Parses `args`; the exit status when the parse itself ends the run (help,
// version, a usage error), or nothing when a subcommand is to run.
std::optional<int> Parse(CLI::App& app, const std::vector<std::string>& args, int out,
                         Console& console) {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return WriteAll(out, EndLine(app.help())) ? kExitOk : kExitFailure;
    } catch (const CLI::CallForAllHelp&) {
        return WriteAll(out, EndLine(app.help("", CLI::AppFormatMode::All))) ? kExitOk
                                                                             : kExitFailure;
    } catch (const CLI::CallForVersion& e) {
        return WriteAll(out, EndLine(e.what())) ? kExitOk : kExitFailure;
    } catch (const CLI::ParseError& e) {
        const std::vector<CLI::App*> chosen = app.get_subcommands();
        console.Message((chosen.empty() ? std::string() : chosen.front()->get_name() + ": ") +
                        e.what());
        return kExitUsage;
    }
    return std::nullopt;
}

}  // namespace

int runCli(const std::vector<std::string>& args, int in, int out, int err) {
    Console console(in, out, err);

    CLI::App app(
        "EGM2008 geoid undulations: the height of the geoid above the WGS84 ellipsoid, "
        "in metres, interpolated in NGA's EGM2008 grids.",
        "egm2008");
    app.set_version_flag("--version", std::string("egm2008 ") + EGM2008_VERSION);
    app.require_subcommand(1);
    app.footer(HelpFooter());

    const std::vector<std::unique_ptr<Command>> commands = Commands();
    std::vector<CLI::App*> subcommands;
    for (const std::unique_ptr<Command>& command : commands)
        subcommands.push_back(command->Add(app));

    if (IsStrayWord(args, subcommands)) {
        console.Message(NoSubcommandMessage(args.front()));
        return kExitUsage;
    }
    if (const std::optional<int> status = Parse(app, args, out, console)) return *status;

    for (std::size_t k = 0; k < commands.size(); ++k) {
        if (subcommands[k]->parsed()) return commands[k]->Run(console);
    }
    return kExitUsage;  // not reached: the parser requires one command
}

}  // namespace egm2008::cli
