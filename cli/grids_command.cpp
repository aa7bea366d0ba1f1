// "egm2008 grids": the grids the grid folders hold, and "egm2008 grids install",
// which makes the 10' and 2.5' grids from Debian's geotranz package
// (tasks/grids/grid_install.hpp) in the user's or the system's grid folder, or
// in the folder --into names (as scripts/setup-grids.sh makes the source tree's
// grids/). Steps and the progress line go to standard error, the list and where
// the grids went to standard output. SIGINT, SIGTERM and SIGHUP end an install
// with what it had begun removed (cli/stop_signals.hpp).
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "cli/commands.hpp"
#include "cli/messages.hpp"
#include "cli/run_cli.hpp"
#include "cli/stop_signals.hpp"
#include "engine/grid_choice.hpp"
#include "tasks/grids/grid_install.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008::cli {

namespace {

const char* Verdict(const FoundGrid& grid) {
    if (!grid.size || !grid.bigEndian) return "no grid file";
    if (!grid.asNamed) return "NAMED WRONGLY";
    if (!grid.knownDigest) return "no known SHA-256";
    return *grid.knownDigest ? "SHA-256 verified" : "SHA-256 unknown";
}

std::string ListText(const std::vector<FoundGrid>& grids) {
    std::string text;
    for (const FoundGrid& grid : grids) {
        const char* size = grid.size ? SizeName(*grid.size) : "-";
        const char* order = !grid.bigEndian   ? "-"
                            : *grid.bigEndian ? "big-endian"
                                              : "little-endian";
        AppendFormat(text, "%-5s %-13s %-17s %s", size, order, Verdict(grid), grid.path.c_str());
        if (!grid.asNamed) text += NotAsNamedNote(SizeName(grid.namedSize), grid.namedBigEndian);
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
    const StopSignals signals;
    InstallOutcome outcome;
    {
        ConsoleObserver observer(console);
        outcome = InstallGrids(*folder, *cache, observer, signals.stop());
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
        GridsInstalledText(*folder, outcome.made.size(), outcome.kept.size(), !args.into);
    if (!console.Out(text)) {
        console.Message(StandardOutputFailureMessage(std::strerror(errno)));
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunGrids(const GridsArgs& args, Console& console) {
    return args.install ? Install(args, console) : List(console);
}

}  // namespace egm2008::cli
