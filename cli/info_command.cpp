// "egm2008 info": the grid's kind as recognised from its length and first
// record marker, then a full read: the SHA-256 (and which of the set-up's
// grids it names), every record marker and the value range.
// Exit status 1 when the file is no grid or a marker is wrong.
//
// Its options, help text and usage checks: InfoCommand, at the end of this file.
#include <cerrno>
#include <cstring>
#include <string>

#include "cli/command.hpp"
#include "cli/command_options.hpp"
#include "cli/grid_choice.hpp"
#include "cli/messages.hpp"
#include "cli/run_cli.hpp"
#include "engine/grid_probe.hpp"
#include "engine/grid_scan.hpp"
#include "engine/known_grids.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008::cli {

namespace {

/// "egm2008 info": what a grid file is and whether it is sound.
struct InfoArgs {
    GridRequest grid;
};

std::string Place(const GridExtreme& e) {
    return FormatFixed(static_cast<double>(e.value), 4) + " m at latitude " +
           FormatFixed(e.latitude, 6) + ", longitude " + FormatFixed(e.longitude, 6);
}

int RunInfo(const InfoArgs& args, Console& console) {
    const std::optional<GeoidGrid> grid = ChooseGridOrTell(args.grid, console);
    if (!grid) return kExitFailure;

    GridReport report;
    bool scanned;
    {
        Progress progress(console.err(), "rows");
        scanned = ScanGrid(*grid, report, [&progress](std::int64_t done, std::int64_t rows) {
            progress.Update(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(rows));
        });
    }
    if (!scanned) {
        console.Message(OpenFailureMessage(grid->path));
        return kExitFailure;
    }

    std::string text;
    AppendFormat(text, "File         %s\n", grid->path.c_str());
    AppendFormat(text, "Model        %s\n", ModelName(grid->model));
    AppendFormat(text, "Grid         %s x %s, %lld rows of %lld values\n", SpacingName(*grid),
                 SpacingName(*grid), static_cast<long long>(report.rows),
                 static_cast<long long>(report.columns));
    AppendFormat(text, "Byte order   %s\n", grid->bigEndian ? "big-endian" : "little-endian");
    AppendFormat(text, "Length       %llu bytes\n",
                 static_cast<unsigned long long>(GridFileBytes(*grid)));
    if (const KnownGrid* known = KnownGridWithDigest(report.sha256)) {
        AppendFormat(text, "SHA-256      %s (%s as made by scripts/setup-grids.sh)\n",
                     report.sha256.c_str(), KnownGridFileName(*known).c_str());
    } else {
        AppendFormat(text, "SHA-256      %s (not a known digest)\n", report.sha256.c_str());
    }
    if (grid->model != GeoidModel::Egm2008) {
        AppendFormat(text, "Markers      none (rows of plain big-endian values)\n");
    } else if (report.badMarkers == 0) {
        AppendFormat(text, "Markers      all %lld right\n", static_cast<long long>(report.markers));
    } else {
        AppendFormat(text, "Markers      %lld of %lld wrong, the first in row %lld\n",
                     static_cast<long long>(report.badMarkers),
                     static_cast<long long>(report.markers),
                     static_cast<long long>(report.firstBadRow));
    }
    if (report.plausible > 0) {
        text += "Minimum      " + Place(report.minimum) + "\n";
        text += "Maximum      " + Place(report.maximum) + "\n";
    }
    AppendFormat(text, "Implausible  %lld values (|N| > 1000 m or not a number)\n",
                 static_cast<long long>(report.implausible));
    if (!console.Out(text)) {
        console.Message(StandardOutputFailureMessage(std::strerror(errno)));
        return kExitFailure;
    }
    if (report.badMarkers > 0) {
        console.Message(WrongMarkersMessage(grid->path, report.badMarkers, report.firstBadRow));
        return kExitFailure;
    }
    return kExitOk;
}

class InfoCommand final : public Command {
public:
    CLI::App* Add(CLI::App& app) override {
        command = app.add_subcommand(
            "info", "what a grid file is: size, byte order, record markers, value range");
        positional =
            command->add_option("GRIDFILE", file, "grid file (default: the internal database)")
                ->type_name("FILE");
        CLI::Option* gridOption = grid.Add(*command);
        positional->excludes(gridOption);
        command->footer(R"(  egm2008 info Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree
  egm2008 info --grid-size 10 --big-endian Und_min10x10_egm2008_isw=82_WGS84_TideFree)");
        return command;
    }

    int Run(Console& console) override {
        InfoArgs info;
        info.grid = grid.Request();
        if (positional->count() > 0) info.grid.path = file;
        return RunInfo(info, console);
    }

private:
    CLI::App* command = nullptr;
    std::string file;
    GridOptions grid;
    CLI::Option* positional = nullptr;
};

}  // namespace

std::unique_ptr<Command> MakeInfoCommand() { return std::make_unique<InfoCommand>(); }

}  // namespace egm2008::cli
