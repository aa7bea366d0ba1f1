#include "cli/run_cli.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/commands.hpp"
#include "cli/console.hpp"
#include "cli/grid_choice.hpp"
#include "cli/strict_number.hpp"

namespace egm2008::cli {

namespace {

// The names the command line gives to a choice, in the order the help lists them.
template <typename T>
struct Choice {
    const char* name;
    T value;
};

constexpr Choice<InterpolationMethod> kMethods[] = {
    {"biquadratic", InterpolationMethod::BiQuadratic},
    {"bilinear", InterpolationMethod::BiLinear},
    {"triangulation", InterpolationMethod::Triangulation},
    {"nearest", InterpolationMethod::NearestNeighbour},
};
constexpr Choice<PointFileLayout> kLayouts[] = {
    {"lat-lon", PointFileLayout::LatLon},
    {"lon-lat", PointFileLayout::LonLat},
    {"pt-lat-lon", PointFileLayout::PtNumberLatLon},
    {"pt-lon-lat", PointFileLayout::PtNumberLonLat},
    {"gga", PointFileLayout::GgaFromGps},
};
constexpr Choice<GridSize> kSizes[] = {
    {"1", GridSize::Grid1x1}, {"2.5", GridSize::Grid2_5x2_5}, {"10", GridSize::Grid10x10}};

template <typename T, std::size_t N>
std::vector<std::string> NamesOf(const Choice<T> (&table)[N]) {
    std::vector<std::string> names;
    for (const Choice<T>& c : table) names.emplace_back(c.name);
    return names;
}

// The value of a name the parser has already checked against the table.
template <typename T, std::size_t N>
T ValueOf(const Choice<T> (&table)[N], const std::string& name) {
    for (const Choice<T>& c : table) {
        if (name == c.name) return c.value;
    }
    return table[0].value;
}

constexpr int kMaxDecimals = 17;

// A number as the command line must spell it (strict_number.hpp).
const CLI::Validator kNumber(
    [](std::string& text) -> std::string {
        return ParseStrictDouble(text) ? std::string() : "\"" + text + "\" is not a number";
    },
    "");

const CLI::Validator kDecimals(
    [](std::string& text) -> std::string {
        const std::optional<int> n = ParseStrictInt(text);
        return n && *n >= 0 && *n <= kMaxDecimals
                   ? std::string()
                   : "\"" + text + "\" is not a whole number from 0 to " + std::to_string(kMaxDecimals);
    },
    "");

std::string EndLine(std::string text) {
    if (text.empty() || text.back() != '\n') text += '\n';
    return text;
}

double Number(const std::string& text) { return ParseStrictDouble(text).value_or(0.0); }

// --grid and its overrides, as every subcommand takes them.
struct GridOptions {
    std::string path;
    std::string size;
    bool big = false;
    bool little = false;
    CLI::Option* pathOption = nullptr;

    GridRequest Request() const {
        GridRequest request;
        if (pathOption->count() > 0) request.path = path;
        if (!size.empty()) request.size = ValueOf(kSizes, size);
        if (big) request.bigEndian = true;
        if (little) request.bigEndian = false;
        return request;
    }
};

CLI::Option* AddGridOptions(CLI::App& command, GridOptions& grid) {
    grid.pathOption = command.add_option("--grid", grid.path,
                                           "EGM2008 grid file (default: the internal 10' database)")
                            ->type_name("FILE")
                            ->group("Grid");
    command.add_option("--grid-size", grid.size, "spacing in arc minutes, when the file's is not wanted")
        ->check(CLI::IsMember(NamesOf(kSizes)))
        ->type_name("MIN")
        ->group("Grid");
    CLI::Option* big = command.add_flag("--big-endian", grid.big, "the file is big-endian")->group("Grid");
    CLI::Option* little =
        command.add_flag("--little-endian", grid.little, "the file is little-endian")->group("Grid");
    big->excludes(little);
    return grid.pathOption;
}

CLI::Option* AddMethodOption(CLI::App& command, std::string& method, const char* help) {
    return command.add_option("-m,--method", method, help)
        ->check(CLI::IsMember(NamesOf(kMethods)))
        ->type_name("METHOD");
}

std::string HelpFooter() {
    return R"(Examples:
  egm2008 point 52.5 13.4
  egm2008 point -33.5 151.2 --method bilinear --decimals 8
  egm2008 point --grid Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree -- -33.5 151.2
  egm2008 file points.txt heights.txt --layout pt-lat-lon --method bilinear
  egm2008 file - - --layout gga < gps.nmea > gps-egm2008.nmea
  egm2008 grid --lat 47 55 --lon 5 15 --step-lat 30 --step-lon 30 -o alps.txt
  egm2008 info Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree

Coordinates are decimal degrees, west and south negative, with "." as the
decimal point. A negative number may stand as it is among the arguments;
after "--" every argument counts as a positional one.

Without --grid the internal 10' database is used:
  )" + std::string(kInternalGridName) + R"(
in the working directory, else the one installed in
  )" + EGM2008_INSTALLED_DATA_DIR + R"(
A grid file's size and byte order are recognised from its length and record
markers; --grid-size and --big-endian or --little-endian say what it must be.

Exit status: 0 when every point was computed, 1 when the run failed or a point
could not be computed ("N/A", "999.999", a GGA sentence left as it was, a
lattice node written as 9999.999), 2 for a usage error.)";
}

}  // namespace

int runCli(const std::vector<std::string>& args, int in, int out, int err) {
    Console console(in, out, err);

    CLI::App app("EGM2008 geoid undulations: the height of the geoid above the WGS84 ellipsoid, "
                 "in metres, interpolated in NGA's EGM2008 grids.",
                 "egm2008");
    app.set_version_flag("--version", std::string("egm2008 ") + EGM2008_VERSION);
    app.require_subcommand(1);
    app.footer(HelpFooter());

    // egm2008 point
    PointArgs point;
    std::string pointLat, pointLon, pointMethod, pointDecimals;
    GridOptions pointGrid;
    CLI::App* pointCommand =
        app.add_subcommand("point", "undulation at one point by the four methods (or one)");
    pointCommand->add_option("LAT", pointLat, "latitude, decimal degrees")
        ->required()
        ->check(kNumber)
        ->type_name("NUMBER");
    pointCommand->add_option("LON", pointLon, "longitude, decimal degrees")
        ->required()
        ->check(kNumber)
        ->type_name("NUMBER");
    AddMethodOption(*pointCommand, pointMethod, "print only this method's value");
    pointCommand->add_option("--decimals", pointDecimals,
                             "decimals of the values (default 4; 9 significant digits identify a "
                             "value exactly)")
        ->check(kDecimals)
        ->type_name("N");
    AddGridOptions(*pointCommand, pointGrid);
    pointCommand->footer(R"(Prints one line per method, "N/A" where a method finds no value:
  egm2008 point 52.5 13.4
  egm2008 point -33.5 151.2 --method nearest
  egm2008 point -- -33.5 151.2)");

    // egm2008 file
    FileArgs file;
    std::string fileLayout = "lat-lon", fileMethod = "biquadratic";
    GridOptions fileGrid;
    CLI::App* fileCommand =
        app.add_subcommand("file", "undulations for a point file or an NMEA GGA log, as the file page");
    fileCommand->add_option("IN", file.input, "point file to read, - for standard input")
        ->required()
        ->type_name("FILE");
    fileCommand->add_option("OUT", file.output, "file to write, - for standard output")
        ->required()
        ->type_name("FILE");
    fileCommand->add_option("-l,--layout", fileLayout, "fields of an input line (default lat-lon)")
        ->check(CLI::IsMember(NamesOf(kLayouts)))
        ->type_name("LAYOUT");
    AddMethodOption(*fileCommand, fileMethod, "interpolation method (default biquadratic)");
    fileCommand->add_flag("-q,--quiet", file.quiet, "no \"Calculation done\" message");
    AddGridOptions(*fileCommand, fileGrid);
    fileCommand->footer(R"(Layouts: lat-lon, lon-lat (two numbers a line), pt-lat-lon, pt-lon-lat (a point
name first), gga (NMEA GGA sentences, rewritten with the EGM2008 separation).
  egm2008 file points.txt heights.txt --layout pt-lat-lon
  egm2008 file - - --layout gga < gps.nmea > gps-egm2008.nmea)");

    // egm2008 grid
    GridArgs gridmaker;
    std::vector<std::string> gridLat, gridLon;
    std::string gridStepLat, gridStepLon, gridMethod = "biquadratic";
    GridOptions gridGrid;
    CLI::App* gridCommand = app.add_subcommand(
        "grid", "undulations on a lattice over an area, as the gridmaker page");
    gridCommand->add_option("--lat", gridLat, "latitudes of two corners, -90 to 90")
        ->required()
        ->expected(2)
        ->check(kNumber)
        ->type_name("A C");
    gridCommand->add_option("--lon", gridLon, "longitudes of two corners, -360 to 360")
        ->required()
        ->expected(2)
        ->check(kNumber)
        ->type_name("B D");
    gridCommand->add_option("--step-lat", gridStepLat, "latitude spacing, arc minutes")
        ->required()
        ->check(kNumber)
        ->type_name("MIN");
    gridCommand->add_option("--step-lon", gridStepLon, "longitude spacing, arc minutes")
        ->required()
        ->check(kNumber)
        ->type_name("MIN");
    CLI::Option* gridOutput =
        gridCommand->add_option("-o,--output", gridmaker.output, "file to write, - for standard output (the default)")
            ->type_name("OUT");
    AddMethodOption(*gridCommand, gridMethod, "interpolation method (default biquadratic)");
    AddGridOptions(*gridCommand, gridGrid);
    gridCommand->footer(R"(Rows from north to south, each from west to east; one line per node:
latitude, longitude, undulation.
  egm2008 grid --lat 47 55 --lon 5 15 --step-lat 30 --step-lon 30 -o alps.txt
  egm2008 grid --lat -10 10 --lon -20 20 --step-lat 60 --step-lon 60 --method bilinear)");

    // egm2008 info
    std::string infoFile;
    GridOptions infoGrid;
    CLI::App* infoCommand = app.add_subcommand(
        "info", "what a grid file is: size, byte order, record markers, value range");
    CLI::Option* infoPositional =
        infoCommand->add_option("GRIDFILE", infoFile, "grid file (default: the internal database)")
            ->type_name("FILE");
    CLI::Option* infoGridOption = AddGridOptions(*infoCommand, infoGrid);
    infoPositional->excludes(infoGridOption);
    infoCommand->footer(R"(  egm2008 info Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree
  egm2008 info --grid-size 10 --big-endian Und_min10x10_egm2008_isw=82_WGS84_TideFree)");

    // CLI11 would take an unknown first word for a stray argument and ask for a subcommand.
    const std::vector<std::string> commands = {"point", "file", "grid", "info"};
    if (!args.empty() && !args.front().empty() && args.front().front() != '-' &&
        std::find(commands.begin(), commands.end(), args.front()) == commands.end()) {
        console.Message("\"" + args.front() + "\" is no subcommand; they are point, file, grid and info");
        return kExitUsage;
    }

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return WriteAll(out, EndLine(app.help())) ? kExitOk : kExitFailure;
    } catch (const CLI::CallForAllHelp&) {
        return WriteAll(out, EndLine(app.help("", CLI::AppFormatMode::All))) ? kExitOk : kExitFailure;
    } catch (const CLI::CallForVersion& e) {
        return WriteAll(out, EndLine(e.what())) ? kExitOk : kExitFailure;
    } catch (const CLI::ParseError& e) {
        const std::vector<CLI::App*> chosen = app.get_subcommands();
        console.Message((chosen.empty() ? std::string() : chosen.front()->get_name() + ": ") + e.what());
        return kExitUsage;
    }

    if (pointCommand->parsed()) {
        point.latitude = Number(pointLat);
        point.longitude = Number(pointLon);
        if (!pointMethod.empty()) point.method = ValueOf(kMethods, pointMethod);
        if (!pointDecimals.empty()) point.decimals = ParseStrictInt(pointDecimals).value_or(4);
        point.grid = pointGrid.Request();
        return RunPoint(point, console);
    }
    if (fileCommand->parsed()) {
        file.layout = ValueOf(kLayouts, fileLayout);
        file.method = ValueOf(kMethods, fileMethod);
        file.grid = fileGrid.Request();
        return RunFile(file, console);
    }
    if (gridCommand->parsed()) {
        if (gridOutput->count() > 0 && gridmaker.output.empty()) {
            console.Message("grid: --output: an empty name names no file; - is standard output");
            return kExitUsage;
        }
        gridmaker.latitude1 = Number(gridLat.at(0));
        gridmaker.latitude2 = Number(gridLat.at(1));
        gridmaker.longitude1 = Number(gridLon.at(0));
        gridmaker.longitude2 = Number(gridLon.at(1));
        gridmaker.latSpacingMinutes = Number(gridStepLat);
        gridmaker.lonSpacingMinutes = Number(gridStepLon);
        gridmaker.method = ValueOf(kMethods, gridMethod);
        gridmaker.grid = gridGrid.Request();
        return RunGrid(gridmaker, console);
    }
    InfoArgs info;
    info.grid = infoGrid.Request();
    if (infoPositional->count() > 0) info.grid.path = infoFile;
    return RunInfo(info, console);
}

}  // namespace egm2008::cli
