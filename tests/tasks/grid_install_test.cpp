// The grids in the grid folders and their making from the geotranz package:
// the four grids made and verified from a copy of the package file, the good
// ones kept and a damaged one made again, the failure without a package file,
// and what the list tells of each file.
#include "tasks/grid_install.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "engine/grid_choice.hpp"
#include "engine/known_grids.hpp"
#include "tasks/messages.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

namespace fs = std::filesystem;
using test::EnvironmentVariable;
using test::ScratchFolder;

// Records the steps and the last row count.
class RecordingObserver final : public InstallObserver {
public:
    void Step(const std::string& text) override { steps.push_back(text); }
    void Rows(std::uint64_t done, std::uint64_t total) override {
        rowsDone = done;
        rowsTotal = total;
    }
    std::vector<std::string> steps;
    std::uint64_t rowsDone = 0;
    std::uint64_t rowsTotal = 0;
};

std::string KnownPath(const std::string& folder, const KnownGrid& grid) {
    return folder + "/" + GridFileName(grid.size, grid.bigEndian);
}

TEST(InstallGrids, MakesTheFourKnownGridsAndKeepsThemOnTheNextRun) {
    const std::string deb = [] {
        for (const fs::directory_entry& e : fs::directory_iterator(PackageCacheFolder(), {})) {
            const std::string name = e.path().filename().string();
            if (name.starts_with("geotranz_") && name.ends_with("_all.deb"))
                return e.path().string();
        }
        return std::string();
    }();
    if (deb.empty()) GTEST_SKIP() << "no geotranz package file in " << PackageCacheFolder();
    ScratchFolder scratch;
    const std::string cache = scratch.File("cache");
    const std::string folder = scratch.File("grids");
    fs::create_directories(cache);
    fs::create_symlink(deb, cache + "/" + fs::path(deb).filename().string());

    RecordingObserver first;
    const InstallOutcome made = InstallGrids(folder, cache, first);
    ASSERT_TRUE(made.ok) << made.problem;
    ASSERT_EQ(made.made.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(made.made[k], KnownPath(folder, kKnownGrids[k]));
    EXPECT_EQ(first.rowsTotal, 2u * 1081 + 2u * 4321);
    EXPECT_EQ(first.rowsDone, first.rowsTotal);
    EXPECT_EQ(first.steps.front(), ExtractingGridStep(fs::path(deb).filename().string()));
    // Nothing of the extraction stays in the cache.
    EXPECT_EQ(std::distance(fs::directory_iterator(cache), fs::directory_iterator()), 1);

    // A damaged grid is made again; the sound ones are kept.
    test::PokeWord(made.made[1], 40, 0x12345678u, true);
    RecordingObserver second;
    const InstallOutcome again = InstallGrids(folder, cache, second);
    ASSERT_TRUE(again.ok) << again.problem;
    EXPECT_EQ(again.made, std::vector<std::string>{made.made[1]});
    EXPECT_EQ(again.kept.size(), 3u);
    EXPECT_EQ(second.rowsTotal, 1081u);
}

TEST(InstallGrids, WithoutPackageFileOrDownloadSaysHowToInstallOffline) {
    ScratchFolder scratch;
    // An apt-get that cannot download anything, first in PATH.
    test::WriteFile(scratch.File("apt-get"), "#!/bin/sh\nexit 100\n");
    fs::permissions(scratch.File("apt-get"), fs::perms::owner_all);
    const EnvironmentVariable path("PATH", scratch.path() + ":/usr/bin:/bin");
    RecordingObserver observer;
    const InstallOutcome outcome =
        InstallGrids(scratch.File("grids"), scratch.File("cache"), observer);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.problem, PackageNotDownloadedMessage(scratch.File("cache")));
    EXPECT_EQ(observer.steps, std::vector<std::string>{FetchingPackageStep(scratch.File("cache"))});
    EXPECT_TRUE(outcome.made.empty());
}

TEST(ListGrids, SizeOrderAndDigestOfEachFileByNgaNames) {
    ScratchFolder scratch;
    test::WriteZeroGrid(scratch.File(GridFileName(GridSize::Grid10x10, false)), test::kShape10,
                        false);
    test::WriteFile(scratch.File(GridFileName(GridSize::Grid1x1, true)), "no grid");
    test::WriteFile(scratch.File("Und_min10x10_other_name"), "not listed");
    std::vector<std::string> folders = {scratch.path()};
    const bool real = test::Exists(test::RealGridPath());
    if (real) folders.push_back(fs::path(test::RealGridPath()).parent_path());

    const std::vector<FoundGrid> grids = ListGrids(folders);
    ASSERT_EQ(grids.size(), real ? 6u : 2u);
    EXPECT_EQ(grids[0].path, scratch.File(GridFileName(GridSize::Grid10x10, false)));
    EXPECT_EQ(grids[0].size, GridSize::Grid10x10);
    EXPECT_EQ(grids[0].bigEndian, false);
    EXPECT_EQ(grids[0].knownDigest, false);
    EXPECT_EQ(grids[1].size, std::nullopt);
    EXPECT_EQ(grids[1].knownDigest, std::nullopt);
    for (std::size_t k = 2; k < grids.size(); ++k) {
        EXPECT_EQ(grids[k].knownDigest, true) << grids[k].path;
        EXPECT_EQ(
            grids[k].path,
            folders[1] + "/" + GridFileName(kKnownGrids[k - 2].size, kKnownGrids[k - 2].bigEndian));
    }
}

TEST(PackageCacheFolder, EnvironmentFirstThenXdgThenHome) {
    const EnvironmentVariable home("HOME", "/h");
    const EnvironmentVariable xdg("XDG_CACHE_HOME", "/x");
    {
        const EnvironmentVariable cache("EGM2008_CACHE", "/c");
        EXPECT_EQ(PackageCacheFolder(), "/c");
    }
    const EnvironmentVariable noCache("EGM2008_CACHE", std::nullopt);
    EXPECT_EQ(PackageCacheFolder(), "/x/egm2008");
    const EnvironmentVariable noXdg("XDG_CACHE_HOME", std::nullopt);
    EXPECT_EQ(PackageCacheFolder(), "/h/.cache/egm2008");
}

}  // namespace
}  // namespace egm2008
