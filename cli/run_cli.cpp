#include "cli/run_cli.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "cli/commands.hpp"
#include "cli/console.hpp"
#include "cli/grid_choice.hpp"
#include "cli/messages.hpp"
#include "cli/strict_number.hpp"
#include "tasks/lattice/formats/colour_map.hpp"

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
constexpr Choice<Delimiter> kDelimiters[] = {
    {",", Delimiter::Comma},
    {";", Delimiter::Semicolon},
    {"tab", Delimiter::Tab},
    {"space", Delimiter::Blanks},
};
constexpr Choice<HeightTarget> kTargets[] = {
    {"orthometric", HeightTarget::Orthometric},
    {"ellipsoidal", HeightTarget::Ellipsoidal},
};
constexpr Choice<HeightUnit> kUnits[] = {
    {"m", HeightUnit::Metre},
    {"ft", HeightUnit::Foot},
    {"us-ft", HeightUnit::UsSurveyFoot},
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
        return ParseStrictDouble(text) ? std::string() : NotANumberMessage(text);
    },
    "");

const CLI::Validator kDecimals(
    [](std::string& text) -> std::string {
        const std::optional<int> n = ParseStrictInt(text);
        return n && *n >= 0 && *n <= kMaxDecimals ? std::string()
                                                  : NotDecimalsMessage(text, kMaxDecimals);
    },
    "");

// A png's long side in pixels.
const CLI::Validator kPixels(
    [](std::string& text) -> std::string {
        const std::optional<int> n = ParseStrictInt(text);
        return n && *n >= 1 && *n <= kMapLongSideLimit ? std::string()
                                                       : NotPixelsMessage(text, kMapLongSideLimit);
    },
    "");

// A column as the user names it: all digits, a 1-based index; else a name in
// the header. Empty text, 0 and a signed number are neither.
std::optional<ColumnRequest> ParseColumn(const std::string& text) {
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (digits) {
        std::size_t index = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
        if (error != std::errc() || index == 0) return std::nullopt;
        return ColumnRequest{index, ""};
    }
    const bool signedNumber = text.size() > 1 && (text[0] == '-' || text[0] == '+') &&
                              text.find_first_not_of("0123456789", 1) == std::string::npos;
    if (text.empty() || signedNumber) return std::nullopt;
    return ColumnRequest{0, text};
}

const CLI::Validator kColumn(
    [](std::string& text) -> std::string {
        return ParseColumn(text) ? std::string() : NotAColumnMessage(text);
    },
    "");

const CLI::Validator kTalker(
    [](std::string& text) -> std::string {
        return IsNmeaTalker(text) ? std::string() : NotATalkerMessage(text);
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
    grid.pathOption = command
                          .add_option("--grid", grid.path,
                                      "EGM2008 grid file, or a grid name: 10, 2.5 or 1, "
                                      "optionally -le or -be (default: the internal 10' "
                                      "database)")
                          ->type_name("FILE|NAME")
                          ->group("Grid");
    command
        .add_option("--grid-size", grid.size,
                    "spacing in arc minutes, when the file's is not wanted")
        ->check(CLI::IsMember(NamesOf(kSizes)))
        ->type_name("MIN")
        ->group("Grid");
    CLI::Option* big =
        command.add_flag("--big-endian", grid.big, "the file is big-endian")->group("Grid");
    CLI::Option* little =
        command.add_flag("--little-endian", grid.little, "the file is little-endian")
            ->group("Grid");
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
  egm2008 point 52.5 13.4 --height 152.4 --to orthometric
  egm2008 point --grid Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree -- -33.5 151.2
  egm2008 file points.txt heights.txt --layout pt-lat-lon --method bilinear
  egm2008 file - - --layout gga < gps.nmea > gps-egm2008.nmea
  egm2008 heights survey.csv survey-msl.csv --to orthometric
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

// Each subcommand: Add declares its options on the app, Run converts what the
// parser took and runs it.
struct PointCommand {
    CLI::App* command = nullptr;
    std::string latitude, longitude, method, decimals, height, to, units;
    GridOptions grid;

    void Add(CLI::App& app) {
        command =
            app.add_subcommand("point", "undulation at one point by the four methods (or one)");
        command->add_option("LAT", latitude, "latitude, decimal degrees")
            ->required()
            ->check(kNumber)
            ->type_name("NUMBER");
        command->add_option("LON", longitude, "longitude, decimal degrees")
            ->required()
            ->check(kNumber)
            ->type_name("NUMBER");
        AddMethodOption(*command, method, "print only this method's value");
        command
            ->add_option("--decimals", decimals,
                         "decimals of the values (default 4; 9 significant digits identify a "
                         "value exactly)")
            ->check(kDecimals)
            ->type_name("N");
        AddHeightOptions();
        AddGridOptions(*command, grid);
        command->footer(R"(Prints one line per method, "N/A" where a method finds no value:
  egm2008 point 52.5 13.4
  egm2008 point -33.5 151.2 --method nearest
  egm2008 point -- -33.5 151.2
With --height, each line shows N and then the converted height, both in the
height's unit (H = h - N to orthometric, h = H + N to ellipsoidal); with
--method, the two numbers alone:
  egm2008 point 52.5 13.4 --height 152.4 --to orthometric
  egm2008 point 52.5 13.4 --height 500 --to ellipsoidal --units ft --method bilinear

Exit status: 0 when every method found a value, 1 when one did not or the grid
could not be read, 2 for a usage error.)");
    }

    void AddHeightOptions() {
        CLI::Option* heightOption =
            command->add_option("--height", height, "a height at the point, to be converted")
                ->check(kNumber)
                ->type_name("H");
        CLI::Option* toOption =
            command
                ->add_option("--to", to,
                             "orthometric: H = h - N from an ellipsoidal height; ellipsoidal: "
                             "h = H + N from an orthometric one")
                ->check(CLI::IsMember(NamesOf(kTargets)))
                ->type_name("HEIGHT");
        CLI::Option* unitsOption =
            command->add_option("--units", units, "unit of the height and of N (default m)")
                ->check(CLI::IsMember(NamesOf(kUnits)))
                ->type_name("UNIT");
        heightOption->needs(toOption);
        toOption->needs(heightOption);
        unitsOption->needs(heightOption);
    }

    int Run(Console& console) const {
        PointArgs point;
        point.latitude = Number(latitude);
        point.longitude = Number(longitude);
        if (!method.empty()) point.method = ValueOf(kMethods, method);
        if (!decimals.empty()) point.decimals = ParseStrictInt(decimals).value_or(4);
        if (!height.empty()) {
            point.height = Number(height);
            point.target = ValueOf(kTargets, to);
            if (!units.empty()) point.unit = ValueOf(kUnits, units);
        }
        point.grid = grid.Request();
        return RunPoint(point, console);
    }
};

struct FileCommand {
    CLI::App* command = nullptr;
    FileArgs file;
    std::string layout = "lat-lon", method = "biquadratic";
    GridOptions grid;

    void Add(CLI::App& app) {
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
        AddGridOptions(*command, grid);
        command->footer(
            R"(Layouts: lat-lon, lon-lat (two numbers a line), pt-lat-lon, pt-lon-lat (a point
name first), gga (NMEA GGA sentences, rewritten with the EGM2008 separation).
  egm2008 file points.txt heights.txt --layout pt-lat-lon
  egm2008 file - - --layout gga < gps.nmea > gps-egm2008.nmea)");
    }

    int Run(Console& console) {
        file.layout = ValueOf(kLayouts, layout);
        file.method = ValueOf(kMethods, method);
        file.grid = grid.Request();
        return RunFile(file, console);
    }
};

struct HeightsCommand {
    CLI::App* command = nullptr;
    HeightsArgs heights;
    std::string delimiter, latitude, longitude, height, to, units, decimals, method = "biquadratic";
    bool header = false, noHeader = false, decimalComma = false;
    GridOptions grid;

    void Add(CLI::App& app) {
        command = app.add_subcommand(
            "heights",
            "N and converted heights appended to a delimited file (CSV, survey exports)");
        command->add_option("IN", heights.input, "delimited file to read, - for standard input")
            ->required()
            ->type_name("FILE");
        command->add_option("OUT", heights.output, "file to write, - for standard output")
            ->required()
            ->type_name("FILE");
        AddFileOptions();
        AddColumnOptions();
        AddConversionOptions();
        AddMethodOption(*command, method, "interpolation method (default biquadratic)");
        command->add_flag("-q,--quiet", heights.quiet,
                          "no end message when every data line was computed");
        AddGridOptions(*command, grid);
        command->footer(
            R"(Every line is written again as it was, with N (column "N_EGM2008") and, with
--to, the converted height ("H" or "h") appended in the file's delimiter;
comment lines (# or //) and blank lines are copied. The columns are found by
their header names (lat, latitude, lon, longitude, h, height, ...; for two
heights, h with --to orthometric and H with --to ellipsoidal) or, without a
header, are fields 1 and 2 and the height field 3; the choice is told on
standard error. Lines end in LF, CR LF or CR; a short line is padded to the
header's fields, a longer one is not computed. Coordinates in decimal degrees, with a hemisphere letter, or
as 48°30'15.5"N, 48:30:15.5, 48d30m15.5s.
  egm2008 heights survey.csv survey-msl.csv --to orthometric
  egm2008 heights points.txt - --lat 2 --lon 3 --height 5 --units us-ft --to ellipsoidal
  egm2008 heights - - --no-header --lon-first < gps.csv > gps-n.csv

Exit status: 0 when every data line was computed, 1 when the run failed, the
columns could not be found, or a line could not be read or computed (its new
fields left empty), 2 for a usage error.)");
    }

    void AddFileOptions() {
        command
            ->add_option("--delimiter", delimiter,
                         "field delimiter: , ; tab or space (default: told from the first data "
                         "line)")
            ->check(CLI::IsMember(NamesOf(kDelimiters)))
            ->type_name("DELIM");
        CLI::Option* headerOption =
            command->add_flag("--header", header, "the first data line is a header");
        CLI::Option* noHeaderOption =
            command->add_flag("--no-header", noHeader, "the first data line holds data");
        headerOption->excludes(noHeaderOption);
        command->add_flag("--decimal-comma", decimalComma,
                          "numbers have \",\" as their decimal mark, read and written");
        command->add_flag("--comment", heights.options.comment,
                          "a first line saying which model, grid and method made the values");
    }

    void AddColumnOptions() {
        for (auto [name, text, help] :
             {std::tuple{"--lat", &latitude, "latitude column: number from 1 or header name"},
              std::tuple{"--lon", &longitude, "longitude column: number from 1 or header name"},
              std::tuple{"--height", &height, "height column: number from 1 or header name"}}) {
            command->add_option(name, *text, help)->check(kColumn)->type_name("COL");
        }
        command->add_flag("--lon-first", heights.options.columns.longitudeFirst,
                          "without a header or column numbers: field 1 is the longitude");
    }

    void AddConversionOptions() {
        CLI::Option* toOption =
            command
                ->add_option("--to", to,
                             "orthometric: H = h - N from ellipsoidal heights; ellipsoidal: "
                             "h = H + N from orthometric ones (default: N only)")
                ->check(CLI::IsMember(NamesOf(kTargets)))
                ->type_name("HEIGHT");
        command->add_option("--units", units, "unit of the heights and of N (default m)")
            ->check(CLI::IsMember(NamesOf(kUnits)))
            ->type_name("UNIT");
        command
            ->add_flag("--replace", heights.options.replace,
                       "the converted height goes into the height field; N is appended")
            ->needs(toOption);
        command->add_option("--decimals", decimals, "decimals of N and the heights (default 3)")
            ->check(kDecimals)
            ->type_name("K");
    }

    int Run(Console& console) {
        HeightsOptions& options = heights.options;
        if (!delimiter.empty()) options.columns.delimiter = ValueOf(kDelimiters, delimiter);
        if (header || noHeader) options.columns.header = header;
        options.columns.latitude = ParseColumn(latitude).value_or(ColumnRequest{});
        options.columns.longitude = ParseColumn(longitude).value_or(ColumnRequest{});
        options.columns.height = ParseColumn(height).value_or(ColumnRequest{});
        if (decimalComma) options.decimalMark = DecimalMark::Comma;
        if (!to.empty()) options.target = ValueOf(kTargets, to);
        if (!units.empty()) options.unit = ValueOf(kUnits, units);
        if (!decimals.empty()) options.decimals = ParseStrictInt(decimals).value_or(3);
        options.method = ValueOf(kMethods, method);
        heights.grid = grid.Request();
        return RunHeightsCommand(heights, console);
    }
};

struct NmeaCommand {
    CLI::App* command = nullptr;
    NmeaArgs nmea;
    std::string method = "biquadratic";
    GridOptions grid;

    void Add(CLI::App& app) {
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
            "report what the receiver's separation is against EGM2008; nothing is written");
        output->excludes(audit);
        command->add_flag("--json", nmea.json, "the audit as one JSON object")->needs(audit);
        command->add_option("--talker", nmea.options.talker, "write this talker (GP, GN...)")
            ->check(kTalker)
            ->type_name("XX");
        command->add_flag("--separation-only", nmea.options.separationOnly,
                          "replace only the separation; the altitude stays as received");
        AddMethodOption(*command, method, "interpolation method (default biquadratic)");
        command->add_flag("-q,--quiet", nmea.quiet,
                          "no summary when every sentence with a fix was rewritten");
        AddGridOptions(*command, grid);
        command->footer(
            R"(Every talker's GGA and GNS sentences get N as separation and altitude + old
separation - N as altitude, with the decimals they had; every other byte, and
every other sentence, stays as received, and so do the bytes before a sentence
(a time stamp, a TAG block). A sentence without a fix, height or checksum of its
own, or with a unit other than M, stays too, counted by reason in the summary.
The audit uses the 2.5' grid when it lies in the working directory or beside
the internal database, else the internal database (or --grid).
  egm2008 nmea rover.nmea rover-egm2008.nmea
  gpspipe -r | egm2008 nmea - -
  egm2008 nmea phone.nmea --audit)");
    }

    int Run(Console& console) {
        if (!nmea.audit && nmea.output.empty()) {
            console.Message(std::string("nmea: ") + kNmeaOutputMissing);
            return kExitUsage;
        }
        nmea.method = ValueOf(kMethods, method);
        nmea.grid = grid.Request();
        return RunNmeaCommand(nmea, console);
    }
};

struct GridCommand {
    CLI::App* command = nullptr;
    GridArgs gridmaker;
    std::vector<std::string> latitudes, longitudes;
    std::string stepLat, stepLon, method = "biquadratic", format, width;
    GridOptions grid;
    CLI::Option* output = nullptr;
    CLI::Option* formatOption = nullptr;
    CLI::Option* widthOption = nullptr;

    void Add(CLI::App& app) {
        command = app.add_subcommand(
            "grid", "undulations on a lattice over an area, as the gridmaker page");
        AddNumbers("--lat", latitudes, 2, "latitudes of two corners, -90 to 90", "A C");
        AddNumbers("--lon", longitudes, 2, "longitudes of two corners, -360 to 360", "B D");
        AddNumber("--step-lat", stepLat, "latitude spacing, arc minutes");
        AddNumber("--step-lon", stepLon, "longitude spacing, arc minutes");
        output = command
                     ->add_option("-o,--output", gridmaker.output,
                                  "file to write, - for standard output (the default)")
                     ->type_name("OUT");
        std::vector<std::string> formats;
        for (const LatticeFormatName& entry : kLatticeFormatNames) formats.emplace_back(entry.name);
        formatOption = command
                           ->add_option("--format", format,
                                        "output format (default: from OUT's extension, else xyz)")
                           ->check(CLI::IsMember(formats))
                           ->type_name("FMT");
        widthOption = command
                          ->add_option("--width", width,
                                       "png: pixels on the picture's long side (default: one a "
                                       "node, at most 4096)")
                          ->check(kPixels)
                          ->type_name("PIXELS");
        AddMethodOption(*command, method, "interpolation method (default biquadratic)");
        AddGridOptions(*command, grid);
        command->footer(R"(Rows from north to south, each from west to east; one line per node:
latitude, longitude, undulation. With --format (or an OUT ending in .csv, .asc,
.gtx or .tif): csv with a header line, an ESRI ASCII grid (GDAL, QGIS, ArcGIS),
a GTX vertical grid or a GeoTIFF geoid model (both PROJ's vgridshift grids, of
2 x 2 nodes or more; the GeoTIFF opens in GDAL, QGIS, ArcGIS too); asc, gtx and
geotiff need -o OUT. png (or an OUT ending in .png) draws a colour map with its
colour bar, for any image viewer. No format takes more than 4294967295 nodes.
  egm2008 grid --lat 47 55 --lon 5 15 --step-lat 30 --step-lon 30 -o alps.txt
  egm2008 grid --lat -10 10 --lon -20 20 --step-lat 60 --step-lon 60 --method bilinear
  egm2008 grid --lat 47 55 --lon 5 15 --step-lat 5 --step-lon 5 -o alps.gtx
  egm2008 grid --lat -90 90 --lon -180 180 --step-lat 10 --step-lon 10 -o globe.png)");
    }

    void AddNumbers(const char* name, std::vector<std::string>& texts, int count, const char* help,
                    const char* typeName) {
        command->add_option(name, texts, help)
            ->required()
            ->expected(count)
            ->check(kNumber)
            ->type_name(typeName);
    }

    void AddNumber(const char* name, std::string& text, const char* help) {
        command->add_option(name, text, help)->required()->check(kNumber)->type_name("MIN");
    }

    int Run(Console& console) {
        if (output->count() > 0 && gridmaker.output.empty()) {
            console.Message(kEmptyGridOutputMessage);
            return kExitUsage;
        }
        gridmaker.latitude1 = Number(latitudes.at(0));
        gridmaker.latitude2 = Number(latitudes.at(1));
        gridmaker.longitude1 = Number(longitudes.at(0));
        gridmaker.longitude2 = Number(longitudes.at(1));
        gridmaker.latSpacingMinutes = Number(stepLat);
        gridmaker.lonSpacingMinutes = Number(stepLon);
        gridmaker.method = ValueOf(kMethods, method);
        gridmaker.format = formatOption->count() > 0
                               ? LatticeFormatNamed(format).value_or(LatticeFormat::Xyz)
                               : LatticeFormatOfPath(gridmaker.output);
        if (gridmaker.output == "-" && LatticeFormatNeedsFile(gridmaker.format)) {
            console.Message(FormatNeedsFileMessage(gridmaker.format));
            return kExitUsage;
        }
        if (widthOption->count() > 0) {
            if (gridmaker.format != LatticeFormat::Png) {
                console.Message(kWidthNeedsPngMessage);
                return kExitUsage;
            }
            gridmaker.pictureWidth = ParseStrictInt(width).value_or(0);
        }
        gridmaker.grid = grid.Request();
        return RunGrid(gridmaker, console);
    }
};

struct InfoCommand {
    CLI::App* command = nullptr;
    std::string file;
    GridOptions grid;
    CLI::Option* positional = nullptr;

    void Add(CLI::App& app) {
        command = app.add_subcommand(
            "info", "what a grid file is: size, byte order, record markers, value range");
        positional =
            command->add_option("GRIDFILE", file, "grid file (default: the internal database)")
                ->type_name("FILE");
        CLI::Option* gridOption = AddGridOptions(*command, grid);
        positional->excludes(gridOption);
        command->footer(R"(  egm2008 info Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree
  egm2008 info --grid-size 10 --big-endian Und_min10x10_egm2008_isw=82_WGS84_TideFree)");
    }

    int Run(Console& console) const {
        InfoArgs info;
        info.grid = grid.Request();
        if (positional->count() > 0) info.grid.path = file;
        return RunInfo(info, console);
    }
};

struct GridsCommand {
    CLI::App* command = nullptr;
    CLI::App* install = nullptr;
    GridsArgs grids;

    void Add(CLI::App& app) {
        command = app.add_subcommand("grids", "the grids in the grid folders, or their making");
        install = command->add_subcommand(
            "install", "make the 10' and 2.5' grids from Debian's geotranz package");
        install->add_flag("--system", grids.system,
                          "into /usr/local/share/egm2008 (default ~/.local/share/egm2008)");
        install->add_option("--into", grids.into, "into DIR instead, made when missing")
            ->type_name("DIR")
            ->excludes("--system");
        install->footer(R"(Makes the 10' and 2.5' grids, both byte orders, in
${XDG_DATA_HOME:-~/.local/share}/egm2008 (with --system in /usr/local/share/egm2008)
from NGA's 2.5' grid in geotranz_3.7-3_all.deb, taken from
${EGM2008_CACHE:-${XDG_CACHE_HOME:-~/.cache}/egm2008}. A package file there whose
SHA-256 is not the known one is fetched again with apt-get download; with the
right one in place no network is needed. Grids already there with their SHA-256
are kept; each grid made is checked before it takes its name.
  egm2008 grids install
  sudo egm2008 grids install --system

Exit status: 0 when the four grids are in place, 1 when the install failed,
128 + the signal's number when SIGINT, SIGTERM or SIGHUP stopped it (what it
had begun is removed).)");
        command->footer(R"(Lists each grid found by NGA's file names in the grid folders, in the
order --grid looks up a name: $EGM2008_GRID_PATH, ${XDG_DATA_HOME:-~/.local/share}/egm2008,
/usr/local/share/egm2008, /usr/share/egm2008; its size and byte order as the
file tells them, and whether its SHA-256 is the known one. A file that is not
the grid its name promises is marked NAMED WRONGLY: grid names pass it over.
"grids install" makes the 10' and 2.5' grids (egm2008 grids install --help).
  egm2008 grids
  egm2008 grids install
  sudo egm2008 grids install --system)");
    }

    int Run(Console& console) {
        grids.install = install->parsed();
        return RunGrids(grids, console);
    }
};

// CLI11 would take an unknown first word for a stray argument and ask for a subcommand.
bool IsStrayWord(const std::vector<std::string>& args) {
    const std::vector<std::string> commands = {"point", "file",  "heights", "nmea",
                                               "grid",  "grids", "info"};
    return !args.empty() && !args.front().empty() && args.front().front() != '-' &&
           std::find(commands.begin(), commands.end(), args.front()) == commands.end();
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

    PointCommand point;
    FileCommand file;
    HeightsCommand heights;
    NmeaCommand nmea;
    GridCommand grid;
    InfoCommand info;
    GridsCommand grids;
    point.Add(app);
    file.Add(app);
    heights.Add(app);
    nmea.Add(app);
    grid.Add(app);
    info.Add(app);
    grids.Add(app);

    if (IsStrayWord(args)) {
        console.Message(NoSubcommandMessage(args.front()));
        return kExitUsage;
    }
    if (const std::optional<int> status = Parse(app, args, out, console)) return *status;

    if (point.command->parsed()) return point.Run(console);
    if (file.command->parsed()) return file.Run(console);
    if (heights.command->parsed()) return heights.Run(console);
    if (nmea.command->parsed()) return nmea.Run(console);
    if (grid.command->parsed()) return grid.Run(console);
    if (grids.command->parsed()) return grids.Run(console);
    return info.Run(console);
}

}  // namespace egm2008::cli
