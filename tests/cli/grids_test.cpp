// "egm2008 grids": the list's lines (a file not the grid its name promises
// flagged), the text when no grid is found; "grids install": its own help, the
// refusal without HOME, an install that cannot get the package file failing
// with its reason, one into a folder of its own (--into), and one stopped by a
// signal removing what it had begun.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "cli/messages.hpp"
#include "cli/run_cli.hpp"
#include "cli_test_support.hpp"
#include "engine/grid_choice.hpp"
#include "engine/known_grids.hpp"
#include "tasks/grids/grid_install.hpp"
#include "tasks/messages.hpp"

namespace egm2008::cli::test {
namespace {

// Grid folders of the scratch folder alone, unless the system's hold grids.
struct ScratchGridFolders {
    explicit ScratchGridFolders(const ScratchFolder& scratch)
        : path("EGM2008_GRID_PATH", scratch.path()),
          home("HOME", scratch.File("home")),
          data("XDG_DATA_HOME", std::nullopt) {}
    EnvironmentVariable path;
    EnvironmentVariable home;
    EnvironmentVariable data;
};

// An apt-get first in PATH that runs `script`.
struct FakeAptGet {
    FakeAptGet(const ScratchFolder& scratch, const std::string& script)
        : path("PATH", scratch.File("bin") + ":/usr/bin:/bin") {
        std::filesystem::create_directories(scratch.File("bin"));
        WriteFile(scratch.File("bin/apt-get"), "#!/bin/sh\n" + script + "\n");
        std::filesystem::permissions(scratch.File("bin/apt-get"),
                                     std::filesystem::perms::owner_all);
    }
    EnvironmentVariable path;
};

TEST(Grids, ListsEachGridWithSizeOrderAndDigestAndFlagsAFileNotAsNamed) {
    ScratchFolder scratch;
    const ScratchGridFolders folders(scratch);
    const std::string grid = scratch.File(GridFileName(GridSize::Grid10x10, true));
    const std::string misnamed = scratch.File(GridFileName(GridSize::Grid2_5x2_5, false));
    const std::string egm96 = scratch.File("egm96.grd");
    WriteZeroGrid(grid, kShape10, true);
    WriteZeroGrid(misnamed, kShape10, true);
    WriteZeroGrid(egm96, kShape10, true);
    const CliRun run = RunTool({"grids"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find(egm96) + egm96.size() + 85),
              "EGM2008 10'   big-endian    SHA-256 unknown   " + grid +
                  "\n"
                  "EGM2008 10'   big-endian    NAMED WRONGLY     " +
                  misnamed +
                  " (not the 2.5' little-endian grid its name promises; grid names pass it "
                  "over)\n"
                  "EGM96   10'   big-endian    NAMED WRONGLY     " +
                  egm96 + " (not the EGM96 15' grid its name promises; --model passes it over)\n");
}

TEST(Grids, NoneFoundNamesTheFoldersAndTheInstall) {
    ScratchFolder scratch;
    const ScratchGridFolders folders(scratch);
    if (!ListGrids(GridSearchFolders()).empty()) GTEST_SKIP() << "grids are installed";
    const CliRun run = RunTool({"grids"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "No grids in " + scratch.path() + ", " + scratch.File("home") +
                           "/.local/share/egm2008, /usr/local/share/egm2008, /usr/share/egm2008; "
                           "\"egm2008 grids install\" makes the 10' and 2.5' grids.\n");
}

// "grids install --help" once ended with the whole tool's examples.
TEST(Grids, InstallHelpIsItsOwn) {
    const CliRun run = RunTool({"grids", "install", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("make the grids of EGM2008, EGM96 and EGM84 from Debian's geotranz "
                            "package\n"
                            "Usage: egm2008 grids install [OPTIONS] [model...]\n",
                            0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("--system"), std::string::npos);
    EXPECT_NE(run.out.find("geotranz_3.7-3_all.deb"), std::string::npos);
    EXPECT_EQ(run.out.find("egm2008 point"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

struct NoHomeCase {
    std::optional<std::string> home;
    bool system;
    const char* message;
};

// Without HOME, "grids install" once wrote into "/.local/share/egm2008".
TEST(Grids, InstallWithoutHomeIsRefused) {
    const EnvironmentVariable data("XDG_DATA_HOME", std::nullopt);
    const EnvironmentVariable xdgCache("XDG_CACHE_HOME", std::nullopt);
    const EnvironmentVariable cache("EGM2008_CACHE", std::nullopt);
    const NoHomeCase cases[] = {
        {std::nullopt, false, kNoUserGridFolderMessage},
        {"", false, kNoUserGridFolderMessage},
        {std::nullopt, true, kNoPackageCacheMessage},
    };
    for (const NoHomeCase& c : cases) {
        const EnvironmentVariable home("HOME", c.home);
        const CliRun run =
            RunTool(c.system ? std::vector<std::string>{"grids", "install", "--system"}
                             : std::vector<std::string>{"grids", "install"});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "egm2008: " + std::string(c.message) + "\n");
    }
}

TEST(Grids, InstallWithoutPackageFileFailsWithTheReason) {
    ScratchFolder scratch;
    const FakeAptGet apt(scratch, "exit 100");
    const EnvironmentVariable home("HOME", scratch.File("home"));
    const EnvironmentVariable cache("EGM2008_CACHE", scratch.File("cache"));
    const CliRun run = RunTool({"grids", "install"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "egm2008: " + FetchingPackageStep(scratch.File("cache")) + "\negm2008: " +
                           PackageNotDownloadedMessage(scratch.File("cache"), "geotranz=3.7-3") +
                           "\n");
}

// "grids install --into DIR", as scripts/setup-grids.sh calls it: the grids already in DIR
// with their digests are kept, with no user grid folder needed.
TEST(Grids, InstallIntoAFolderKeepsTheGridsThereWithTheirDigests) {
    ScratchFolder scratch;
    const EnvironmentVariable home("HOME", std::nullopt);
    const EnvironmentVariable data("XDG_DATA_HOME", std::nullopt);
    const EnvironmentVariable cache("EGM2008_CACHE", scratch.File("cache"));
    std::filesystem::create_directories(scratch.File("into"));
    for (const KnownGrid& grid : kKnownGrids) {
        const std::string name = KnownGridFileName(grid);
        REAL_GRID_OR_SKIP(real, name);
        std::filesystem::create_symlink(real, scratch.File("into/" + name));
    }
    const CliRun run = RunTool({"grids", "install", "--into", scratch.File("into") + "//"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, GridsInstalledText(scratch.File("into"), 0, std::size(kKnownGrids), false));
    EXPECT_EQ(run.err, "");
}

struct InstallSignal {
    int signal;
    int status;
    const char* name;
};

// An interrupted install once left its temporary files behind and said nothing. The tool
// runs in a child process; the signal comes while apt-get is downloading.
TEST(Grids, InstallStoppedBySignalRemovesWhatItBegan) {
    for (const InstallSignal& c :
         {InstallSignal{SIGTERM, 143, "SIGTERM"}, InstallSignal{SIGINT, 130, "SIGINT"}}) {
        ScratchFolder scratch;
        const std::string started = scratch.File("started");
        const FakeAptGet apt(scratch, "touch '" + started + "'; exec sleep 60");
        const EnvironmentVariable home("HOME", scratch.File("home"));
        const EnvironmentVariable cache("EGM2008_CACHE", scratch.File("cache"));
        const std::string errPath = scratch.File("err");
        const pid_t child = ::fork();
        if (child == 0) {
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int out = ::open("/dev/null", O_WRONLY);
            ::_exit(runCli({"grids", "install"}, STDIN_FILENO, out, err));
        }
        ASSERT_GT(child, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        bool downloading = false;
        while (!(downloading = Exists(started)) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ::kill(child, downloading ? c.signal : SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(downloading) << "apt-get never ran";
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status);
        EXPECT_EQ(ReadFile(errPath), "egm2008: " + FetchingPackageStep(scratch.File("cache")) +
                                         "\negm2008: The install was stopped by " + c.name +
                                         "; the files it had begun were removed.\n");
        EXPECT_TRUE(std::filesystem::is_empty(scratch.File("cache")));
    }
}

}  // namespace
}  // namespace egm2008::cli::test
