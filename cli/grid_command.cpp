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
// node) and the run goes on; so is a picture drawn without the coastlines it
// was to show (their files missing or damaged).
//
// Its options, help text and usage checks: GridCommand, at the end of this file.
#include <algorithm>
#include <iterator>
#include <string>

#include "cli/command.hpp"
#include "cli/command_options.hpp"
#include "cli/grid_choice.hpp"
#include "cli/messages.hpp"
#include "cli/output_file.hpp"
#include "cli/run_cli.hpp"
#include "cli/stop_signals.hpp"
#include "cli/strict_number.hpp"
#include "engine/mapped_grid.hpp"
#include "engine/file_identity.hpp"
#include "tasks/lattice/formats/colour_map.hpp"
#include "tasks/lattice/grid_lattice.hpp"
#include "tasks/lattice/gridmaker.hpp"

namespace egm2008::cli {

namespace {

/// "egm2008 grid": the gridmaker over an area, corners in any order.
struct GridArgs {
    double latitude1 = 0.0;
    double latitude2 = 0.0;
    double longitude1 = 0.0;
    double longitude2 = 0.0;
    double latSpacingMinutes = 0.0;
    double lonSpacingMinutes = 0.0;
    std::string output = "-";  ///< "-": standard output
    InterpolationMethod method = InterpolationMethod::BiQuadratic;
    TideSystem tide = TideSystem::TideFree;
    LatticeFormat format = LatticeFormat::Xyz;
    int pictureWidth = 0;  ///< png: the picture's long side; 0 as the lattice asks
    ColourFit colourFit = ColourFit::Fitted;  ///< png: the colour scale
    bool coastlines = true;                   ///< png: the coastlines drawn
    GridRequest grid;
};

// The request the gridmaker's core checks and runs, its values in the core's order.
GridmakerRequest RequestOf(const GridArgs& a, const std::string& outputName) {
    GridmakerRequest request;
    const double values[kGridmakerFields] = {a.latitude1,         a.longitude1,
                                             a.latitude2,         a.longitude2,
                                             a.latSpacingMinutes, a.lonSpacingMinutes};
    std::copy(std::begin(values), std::end(values), request.values);
    request.outputName = outputName;
    request.method = a.method;
    request.tide = a.tide;
    request.format = a.format;
    request.pictureWidth = a.pictureWidth;
    request.colourFit = a.colourFit;
    request.coastlines = a.coastlines;
    return request;
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
    // A picture drawn without its coastlines says so once, whatever else it says.
    if (!outcome.coastlineNote.empty()) console.Message(outcome.coastlineNote);
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
    if (!OpenOutput(output, args.output, /*replace=*/true, signals, console)) return kExitFailure;
    return WriteGrid(request, check.area, *grid, mapped, output, signals, console);
}

// A png's long side in pixels.
const CLI::Validator kPixels(
    [](std::string& text) -> std::string {
        const std::optional<int> n = ParseStrictInt(text);
        return n && *n >= 1 && *n <= kMapLongSideLimit ? std::string()
                                                       : NotPixelsMessage(text, kMapLongSideLimit);
    },
    "");

class GridCommand final : public Command {
public:
    CLI::App* Add(CLI::App& app) override {
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
        for (const LatticeFormatInfo* row : LatticeFormats()) formats.emplace_back(row->name);
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
        symmetricOption =
            command->add_flag("--symmetric", symmetric,
                              "png: colours symmetric about 0 m (default: fitted to the "
                              "lattice's N)");
        noCoastOption =
            command->add_flag("--no-coast", noCoast,
                              "png: no coastlines (default: GSHHG's, from Debian's gmt-gshhg-low)");
        AddMethodOption(*command, method, "interpolation method (default biquadratic)");
        AddTideSystemOption(*command, tide);
        grid.Add(*command);
        command->footer(R"(Rows from north to south, each from west to east; one line per node:
latitude, longitude, undulation. With --format (or an OUT ending in .csv, .asc,
.gtx or .tif): csv with a header line, an ESRI ASCII grid (GDAL, QGIS, ArcGIS),
a GTX vertical grid or a GeoTIFF geoid model (both PROJ's vgridshift grids, of
2 x 2 nodes or more; the GeoTIFF opens in GDAL, QGIS, ArcGIS too); asc, gtx and
geotiff need -o OUT. png (or an OUT ending in .png) draws a colour map with its
colour bar and the coastlines, for any image viewer. No format takes more than
4294967295 nodes.
  egm2008 grid --lat 47 55 --lon 5 15 --step-lat 30 --step-lon 30 -o alps.txt
  egm2008 grid --lat -10 10 --lon -20 20 --step-lat 60 --step-lon 60 --method bilinear
  egm2008 grid --lat 47 55 --lon 5 15 --step-lat 5 --step-lon 5 -o alps.gtx
  egm2008 grid --lat -90 90 --lon -180 180 --step-lat 10 --step-lon 10 -o globe.png)");
        return command;
    }

    void AddNumbers(const char* name, std::vector<std::string>& texts, int count, const char* help,
                    const char* typeName) {
        command->add_option(name, texts, help)
            ->required()
            ->expected(count)
            ->check(NumberCheck())
            ->type_name(typeName);
    }

    void AddNumber(const char* name, std::string& text, const char* help) {
        command->add_option(name, text, help)->required()->check(NumberCheck())->type_name("MIN");
    }

    int Run(Console& console) override {
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
        gridmaker.tide = TideSystemOf(tide);
        gridmaker.format = formatOption->count() > 0
                               ? LatticeFormatNamed(format).value_or(LatticeFormat::Xyz)
                               : LatticeFormatOfPath(gridmaker.output);
        if (gridmaker.output == "-" && LatticeFormatNeedsFile(gridmaker.format)) {
            console.Message(FormatNeedsFileMessage(gridmaker.format));
            return kExitUsage;
        }
        // The picture's options with another format: the first given is told.
        for (const auto& [option, message] : {std::pair{widthOption, kWidthNeedsPngMessage},
                                              std::pair{symmetricOption, kSymmetricNeedsPngMessage},
                                              std::pair{noCoastOption, kNoCoastNeedsPngMessage}}) {
            if (option->count() > 0 && gridmaker.format != LatticeFormat::Png) {
                console.Message(message);
                return kExitUsage;
            }
        }
        if (widthOption->count() > 0) gridmaker.pictureWidth = ParseStrictInt(width).value_or(0);
        if (symmetric) gridmaker.colourFit = ColourFit::Symmetric;
        gridmaker.coastlines = !noCoast;
        gridmaker.grid = grid.Request();
        return RunGrid(gridmaker, console);
    }

private:
    CLI::App* command = nullptr;
    GridArgs gridmaker;
    std::vector<std::string> latitudes, longitudes;
    std::string stepLat, stepLon, method = "biquadratic", format, width, tide;
    bool symmetric = false, noCoast = false;
    GridOptions grid;
    CLI::Option* output = nullptr;
    CLI::Option* formatOption = nullptr;
    CLI::Option* widthOption = nullptr;
    CLI::Option* symmetricOption = nullptr;
    CLI::Option* noCoastOption = nullptr;
};

}  // namespace

std::unique_ptr<Command> MakeGridCommand() { return std::make_unique<GridCommand>(); }

}  // namespace egm2008::cli
