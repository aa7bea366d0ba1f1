// "egm2008 grids": the list's lines, the text when no grid is found, and an
// install that cannot get the package file failing with its reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli_test_support.hpp"
#include "engine/grid_choice.hpp"
#include "tasks/grid_install.hpp"
#include "tasks/messages.hpp"

namespace egm2008::cli::test {
namespace {

// Grid folders of the scratch folder alone, unless the system's hold grids.
struct ScratchGridFolders {
    explicit ScratchGridFolders(const ScratchFolder& scratch)
        : path("EGM2008_GRID_PATH", scratch.path()), home("HOME", scratch.File("home")) {}
    EnvironmentVariable path;
    EnvironmentVariable home;
};

TEST(Grids, ListsEachGridWithSizeOrderAndDigest) {
    ScratchFolder scratch;
    const ScratchGridFolders folders(scratch);
    const std::string grid = scratch.File(GridFileName(GridSize::Grid10x10, true));
    WriteZeroGrid(grid, kShape10, true);
    const CliRun run = RunTool({"grids"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1),
              "10'   big-endian    SHA-256 unknown   " + grid + "\n");
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

TEST(Grids, InstallWithoutPackageFileFailsWithTheReason) {
    ScratchFolder scratch;
    WriteFile(scratch.File("apt-get"), "#!/bin/sh\nexit 100\n");
    std::filesystem::permissions(scratch.File("apt-get"), std::filesystem::perms::owner_all);
    const EnvironmentVariable path("PATH", scratch.path() + ":/usr/bin:/bin");
    const EnvironmentVariable home("HOME", scratch.File("home"));
    const EnvironmentVariable cache("EGM2008_CACHE", scratch.File("cache"));
    const CliRun run = RunTool({"grids", "install"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "egm2008: " + FetchingPackageStep(scratch.File("cache")) + "\negm2008: " +
                           PackageNotDownloadedMessage(scratch.File("cache")) + "\n");
}

}  // namespace
}  // namespace egm2008::cli::test
