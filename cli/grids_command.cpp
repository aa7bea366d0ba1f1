// "egm2008 grids": the grids the grid folders hold, and "egm2008 grids install",
// which makes the 10' and 2.5' grids from Debian's geotranz package
// (tasks/grids/grid_install.hpp) in the user's or the system's grid folder, or
// in the folder --into names (as scripts/setup-grids.sh makes the source tree's
// grids/). Steps and the progress line go to standard error, the list and where
// the grids went to standard output. SIGINT, SIGTERM and SIGHUP end an install
// with what it had begun removed (cli/stop_signals.hpp).
//
// Its options, help text and usage checks: GridsCommand, at the end of this file.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.hpp"
#include "cli/messages.hpp"
#include "cli/run_cli.hpp"
#include "cli/stop_signals.hpp"
#include "engine/grid_choice.hpp"
#include "tasks/grids/grid_install.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008::cli {

namespace {

/// "egm2008 grids": the grids in the grid folders, or with `install` their making.
struct GridsArgs {
    bool install = false;
    bool system = false;              ///< install into /usr/local/share/egm2008
    std::optional<std::string> into;  ///< install into this folder instead
    std::vector<std::string> models;  ///< the models to install; none: all three
};

const char* Verdict(const FoundGrid& grid) {
    if (!grid.fileModel && (!grid.size || !grid.bigEndian)) return "no grid file";
    if (!grid.asNamed) return "NAMED WRONGLY";
    if (!grid.knownDigest) return "no known SHA-256";
    return *grid.knownDigest ? "SHA-256 verified" : "SHA-256 unknown";
}

std::string ListText(const std::vector<FoundGrid>& grids) {
    std::string text;
    for (const FoundGrid& grid : grids) {
        const ModelFile* file = ModelFileOf(grid.fileModel.value_or(GeoidModel::Egm2008));
        const char* size = file ? file->spacingName : grid.size ? SizeName(*grid.size) : "-";
        const char* order = file              ? "big-endian"
                            : !grid.bigEndian ? "-"
                            : *grid.bigEndian ? "big-endian"
                                              : "little-endian";
        AppendFormat(text, "%-7s %-5s %-13s %-17s %s", ModelName(grid.model), size, order,
                     Verdict(grid), grid.path.c_str());
        if (!grid.asNamed) {
            const ModelFile* named = ModelFileOf(grid.model);
            text += named ? NotAsNamedNote(named->spacingName, true, ModelName(grid.model))
                          : NotAsNamedNote(SizeName(grid.namedSize), grid.namedBigEndian);
        }
        text += '\n';
    }
    return text;
}

// Tells the install's steps as messages and its rows on the progress line.
class ConsoleObserver final : public InstallObserver {
public:
    explicit ConsoleObserver(Console& console)
        : console_(console), progress_(console.err(), "rows") {}
    void Step(const std::string& text) override {
        progress_.Finish();
        console_.Message(text);
    }
    void Rows(std::uint64_t done, std::uint64_t total) override { progress_.Update(done, total); }

private:
    Console& console_;
    Progress progress_;
};

int List(Console& console) {
    const std::vector<std::string> folders = GridSearchFolders();
    const std::vector<FoundGrid> grids = ListGrids(folders);
    const std::string text = grids.empty() ? NoGridsFoundText(folders) : ListText(grids);
    if (!console.Out(text)) {
        console.Message(StandardOutputFailureMessage(std::strerror(errno)));
        return kExitFailure;
    }
    return kExitOk;
}

// The folder --into names, without the slashes at its end ("grids/" is "grids").
std::string IntoFolder(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

int Install(const GridsArgs& args, Console& console) {
    const std::optional<std::string> folder =
        args.into ? IntoFolder(*args.into) : InstallFolder(args.system);
    const std::optional<std::string> cache = PackageCacheFolder();
    if (!folder || !cache) {
        console.Message(!folder ? kNoUserGridFolderMessage : kNoPackageCacheMessage);
        return kExitFailure;
    }
    std::vector<GeoidModel> models;
    for (const std::string& key : args.models) models.push_back(*ModelOfKey(key));
    const StopSignals signals;
    InstallOutcome outcome;
    {
        ConsoleObserver observer(console);
        outcome = InstallGrids(*folder, *cache, observer, signals.stop(), models);
    }
    if (const int signal = signals.received()) {
        console.Message(InstallStoppedMessage(SignalName(signal), outcome.made.size()));
        return SignalExitStatus(signal);
    }
    if (!outcome.ok) {
        console.Message(outcome.problem);
        return kExitFailure;
    }
    const std::string text =
        GridsInstalledText(*folder, outcome.made.size(), outcome.kept.size(), !args.into, models);
    if (!console.Out(text)) {
        console.Message(StandardOutputFailureMessage(std::strerror(errno)));
        return kExitFailure;
    }
    return kExitOk;
}

int RunGrids(const GridsArgs& args, Console& console) {
    return args.install ? Install(args, console) : List(console);
}

class GridsCommand final : public Command {
public:
    CLI::App* Add(CLI::App& app) override {
        command = app.add_subcommand("grids", "the grids in the grid folders, or their making");
        install = command->add_subcommand(
            "install", "make the grids of EGM2008, EGM96 and EGM84 from Debian's geotranz package");
        install->add_option("model", grids.models, "only these models' grids (default: all three)")
            ->type_name("MODEL...")
            ->check(CLI::IsMember({"egm2008", "egm96", "egm84"}));
        install->add_flag("--system", grids.system,
                          "into /usr/local/share/egm2008 (default ~/.local/share/egm2008)");
        install->add_option("--into", grids.into, "into DIR instead, made when missing")
            ->type_name("DIR")
            ->excludes("--system");
        install->footer(R"(Makes EGM2008's 10' and 2.5' grids, both byte orders, and the EGM96 15'
(egm96.grd) and EGM84 30' (wwgrid.bin) grids, or those of the models named, in
${XDG_DATA_HOME:-~/.local/share}/egm2008 (with --system in /usr/local/share/egm2008)
from NGA's grids in geotranz_3.7-3_all.deb, taken from
${EGM2008_CACHE:-${XDG_CACHE_HOME:-~/.cache}/egm2008}. A package file there whose
SHA-256 is not the known one is fetched again with apt-get download; with the
right one in place no network is needed. Grids already there with their SHA-256
are kept; each grid made is checked before it takes its name.
  egm2008 grids install
  egm2008 grids install egm96
  sudo egm2008 grids install --system

Exit status: 0 when the grids are in place, 1 when the install failed,
128 + the signal's number when SIGINT, SIGTERM or SIGHUP stopped it (what it
had begun is removed).)");
        command->footer(R"(Lists each grid found in the grid folders by NGA's file names and the
EGM96 and EGM84 file names (egm96.grd, wwgrid.bin), in the order --grid looks up
a name: $EGM2008_GRID_PATH, ${XDG_DATA_HOME:-~/.local/share}/egm2008,
/usr/local/share/egm2008, /usr/share/egm2008; its model, size and byte order as
the file tells them, and whether its SHA-256 is the known one. A file that is not
the grid its name promises is marked NAMED WRONGLY: grid names pass it over.
"grids install" makes the grids of all three models (egm2008 grids install --help).
  egm2008 grids
  egm2008 grids install
  sudo egm2008 grids install --system)");
        return command;
    }

    int Run(Console& console) override {
        grids.install = install->parsed();
        return RunGrids(grids, console);
    }

private:
    CLI::App* command = nullptr;
    CLI::App* install = nullptr;
    GridsArgs grids;
};

}  // namespace

std::unique_ptr<Command> MakeGridsCommand() { return std::make_unique<GridsCommand>(); }

}  // namespace egm2008::cli
