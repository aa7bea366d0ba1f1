// "egm2008 dem": a whole DEM raster moved between ellipsoidal heights and heights
// above the geoid (tasks/dem/dem_convert.hpp), read through GDAL and written as a
// GeoTIFF that says which heights it holds. The grid is chosen and mapped first;
// a refusal, a failed grid or a failed write leaves the output as it was. The
// end message counts the pixels converted, nodata, clipped and without N. Exit 1
// when the run failed or any pixel was clipped or without N; SIGINT, SIGTERM or
// SIGHUP end the run between row strips with nothing written, 128 + the signal.
// Rows done are shown on standard error when it is a terminal.
#include <malloc.h>

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command.hpp"
#include "cli/command_options.hpp"
#include "cli/grid_choice.hpp"
#include "cli/run_cli.hpp"
#include "cli/stop_signals.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/dem/dem_convert.hpp"
#include "tasks/messages.hpp"

namespace egm2008::cli {

namespace {

struct DemArgs {
    std::string input;
    std::string output;
    DemOptions options;
    GridRequest grid;
};

// GDAL takes a buffer for every block it reads, decodes or compresses and frees it after; the C
// library would hand buffers of a block's size back to the system each time and fault their pages
// in again for the next block. A command runs one conversion and ends: its heap keeps them.
void KeepBlockBuffers() {
#if defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

int RunDem(const DemArgs& args, Console& console) {
    KeepBlockBuffers();
    const std::optional<GeoidGrid> grid = ChooseGridOrTell(args.grid, console);
    if (!grid) return kExitFailure;
    MappedGrid mapped;
    if (mapped.Map(*grid, console) != QueryStatus::StatusOk) return kExitFailure;
    const StopSignals signals;
    Progress progress(console.err(), "rows");
    const DemOutcome outcome = ConvertDem(
        args.input, args.output, *grid, mapped, args.options, signals.stop(),
        [&progress](std::int64_t done, std::int64_t total) {
            progress.Update(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(total));
        });
    progress.Finish();
    if (outcome.stopped) {
        console.Message(DemStoppedMessage(args.output, SignalName(signals.received())));
        return SignalExitStatus(signals.received());
    }
    if (!outcome.written()) {
        console.Message(outcome.error);
        return kExitFailure;
    }
    const DemCounts& counts = outcome.counts;
    console.Message(DemSummaryMessage(args.output, counts.converted, counts.nodata, counts.clipped,
                                      counts.failed, outcome.seconds));
    return outcome.allConverted() ? kExitOk : kExitFailure;
}

const CLI::Validator kCreationOption(
    [](std::string& text) -> std::string {
        const std::size_t eq = text.find('=');
        return eq == std::string::npos || eq == 0 ? "KEY=VALUE expected, not " + text
                                                  : std::string();
    },
    "KEY=VALUE");

const CLI::Validator kBandNumber(
    [](std::string& text) -> std::string {
        int band = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), band);
        return error == std::errc() && end == text.data() + text.size() && band >= 1
                   ? std::string()
                   : "band numbers start at 1, not " + text;
    },
    "N");

class DemCommand final : public Command {
public:
    CLI::App* Add(CLI::App& app) override {
        command = app.add_subcommand(
            "dem", "a DEM raster moved between ellipsoidal heights and heights above the geoid");
        command->add_option("IN", dem.input, "raster to read (any format GDAL reads)")
            ->required()
            ->type_name("FILE");
        command->add_option("OUT", dem.output, "GeoTIFF to write")->required()->type_name("FILE");
        command
            ->add_option("--to", to,
                         "orthometric: H = h - N from ellipsoidal heights; ellipsoidal: h = H + N "
                         "from heights above the geoid")
            ->required()
            ->check(CLI::IsMember(NamesOf(kTargets)))
            ->type_name("HEIGHT");
        command->add_option("--band", dem.options.band, "band to convert, from 1 (default 1)")
            ->check(kBandNumber)
            ->type_name("N");
        command
            ->add_option("--type", dem.options.type,
                         "output data type: Float32, Float64, Int16 or Int32 (default: the "
                         "input's)")
            ->check(CLI::IsMember({"Float32", "Float64", "Int16", "Int32"}))
            ->type_name("TYPE");
        command->add_option("--co", dem.options.creationOptions, "GeoTIFF creation option")
            ->check(kCreationOption)
            ->type_name("KEY=VALUE");
        command->add_flag("--assume-wgs84", dem.options.assumeWgs84,
                          "take a geographic CRS on another datum as WGS 84");
        command->add_flag("--force", dem.options.force,
                          "convert an input already tagged with the heights asked for");
        AddMethodOption(*command, method, "interpolation method (default biquadratic)");
        AddTideSystemOption(*command, tide);
        grid.Add(*command);
        command->footer(
            R"(The output has the input's size, geotransform, data type, nodata, scale and
offset, block size and compression, and is a Cloud-Optimised GeoTIFF when the
input is one (--co COG=YES or COG=NO decides); its CRS says what it holds: the
horizontal CRS with the model's height (EGM2008 height, EPSG:3855) for --to
orthometric, WGS 84 3-D (EPSG:4979) for --to ellipsoidal (a projected DEM keeps
its CRS). N is taken at each pixel's centre, a projected DEM's taken to
latitude and longitude by PROJ. Integer values are rounded and clipped to their
type; a pixel without N becomes nodata. Refused, with nothing written: no CRS,
a datum other than WGS 84 (--assume-wgs84), heights already as asked or above
another model's geoid (--force).
  egm2008 dem drone-dsm.tif drone-dsm-egm2008.tif --to orthometric
  egm2008 dem srtm.tif srtm-h.tif --to ellipsoidal --model egm96 --type Float32
  egm2008 dem srtm-h.tif srtm-egm2008.tif --to orthometric

Exit status: 0 when every pixel was converted, 1 when the run failed, the DEM
was refused, or a pixel was clipped or without N, 2 for a usage error.)");
        return command;
    }

    int Run(Console& console) override {
        dem.options.target = ValueOf(kTargets, to);
        dem.options.method = ValueOf(kMethods, method);
        dem.options.methodName = method;
        dem.options.tide = TideSystemOf(tide);
        dem.grid = grid.Request();
        return RunDem(dem, console);
    }

private:
    CLI::App* command = nullptr;
    DemArgs dem;
    std::string to, tide, method = "biquadratic";
    GridOptions grid;
};

}  // namespace

std::unique_ptr<Command> MakeDemCommand() { return std::make_unique<DemCommand>(); }

}  // namespace egm2008::cli
