// The grids in the grid folders and their making from the geotranz package:
// the four grids made and verified from a copy of the package file (a damaged
// one in the cache fetched again first), the good ones kept and a damaged grid
// made again, a stop request leaving nothing behind, the failures without a
// package file or a cache folder, and what the list tells of each file.
#include "tasks/grids/grid_install.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/grid_choice.hpp"
#include "engine/known_grids.hpp"
#include "engine/sha256.hpp"
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

// Asks for a stop at its `stopAtStep`-th step, or once `stopAtRow` rows are done.
class StoppingObserver final : public InstallObserver {
public:
    StoppingObserver(std::size_t stopAtStep, std::uint64_t stopAtRow)
        : stopAtStep_(stopAtStep), stopAtRow_(stopAtRow) {}
    void Step(const std::string&) override {
        if (++steps_ == stopAtStep_) flag = 1;
    }
    void Rows(std::uint64_t done, std::uint64_t) override {
        if (done == stopAtRow_) flag = 1;
    }
    std::atomic<int> flag{0};

private:
    std::size_t steps_ = 0;
    std::size_t stopAtStep_;
    std::uint64_t stopAtRow_;
};

// The geotranz package file the set-up fetched into the user's cache; "" when it has not.
std::string CachedPackage() {
    const std::optional<std::string> cache = PackageCacheFolder();
    const std::string deb = cache ? *cache + "/" + kGeotranzPackage.fileName : "";
    return cache && test::Exists(deb) ? deb : "";
}

// An apt-get first in PATH that records its arguments in `cache`/apt-get.args and writes
// `script`'s output as the package file into its working directory.
struct FakeAptGet {
    FakeAptGet(const ScratchFolder& scratch, const std::string& script)
        : path("PATH", scratch.File("bin") + ":/usr/bin:/bin") {
        fs::create_directories(scratch.File("bin"));
        test::WriteFile(
            scratch.File("bin/apt-get"),
            "#!/bin/sh\necho \"$@\" > \"" + scratch.File("apt-get.args") + "\"\n" + script + "\n");
        fs::permissions(scratch.File("bin/apt-get"), fs::perms::owner_all);
    }
    EnvironmentVariable path;
};

std::string Sha256Hex(const std::string& bytes) {
    Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    return Sha256::Hex(hash.Finish());
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string KnownPath(const std::string& folder, const KnownGrid& grid) {
    return folder + "/" + KnownGridFileName(grid);
}

// A damaged package file in the cache once failed every install with "could not be extracted".
TEST(InstallGrids, MakesTheKnownGridsOfAllModelsAfterFetchingADamagedPackageAgain) {
    const std::string deb = CachedPackage();
    if (deb.empty()) GTEST_SKIP() << "no " << kGeotranzPackage.fileName << " in the cache";
    ScratchFolder scratch;
    const std::string cache = scratch.File("cache");
    const std::string folder = scratch.File("grids");
    const std::string cached = cache + "/" + kGeotranzPackage.fileName;
    fs::create_directories(cache);
    test::WriteFile(cached, "damaged");
    const FakeAptGet apt(scratch, "ln -s '" + deb + "' " + kGeotranzPackage.fileName);

    RecordingObserver first;
    const InstallOutcome made = InstallGrids(folder, cache, first);
    ASSERT_TRUE(made.ok) << made.problem;
    EXPECT_EQ(test::ReadFile(scratch.File("apt-get.args")), "download geotranz=3.7-3\n");
    ASSERT_EQ(made.made.size(), std::size(kKnownGrids));
    for (std::size_t k = 0; k < made.made.size(); ++k) {
        EXPECT_EQ(made.made[k], KnownPath(folder, kKnownGrids[k]));
    }
    EXPECT_EQ(first.rowsTotal, 2u * 1081 + 2u * 4321 + 721 + 361);
    EXPECT_EQ(first.rowsDone, first.rowsTotal);
    ASSERT_GE(first.steps.size(), 3u);
    EXPECT_EQ(first.steps[0],
              PackageMismatchStep(cached, Sha256Hex("damaged"), kGeotranzPackage.sha256));
    EXPECT_EQ(first.steps[1], FetchingPackageStep(cache));
    EXPECT_EQ(first.steps[2],
              ExtractingGridStep(kGeotranzPackage.fileName,
                                 {GeoidModel::Egm2008, GeoidModel::Egm96, GeoidModel::Egm84}));
    EXPECT_EQ(first.steps[2], "extracting the 2.5' grid, egm96.grd and wwgrid.bin from " +
                                  std::string(kGeotranzPackage.fileName));
    // Nothing of the download or the extraction stays in the cache.
    EXPECT_EQ(Names(cache), std::vector<std::string>{kGeotranzPackage.fileName});

    // A damaged grid is made again; the sound ones are kept.
    test::PokeWord(made.made[1], 40, 0x12345678u, true);
    RecordingObserver second;
    const InstallOutcome again = InstallGrids(folder, cache, second);
    ASSERT_TRUE(again.ok) << again.problem;
    EXPECT_EQ(again.made, std::vector<std::string>{made.made[1]});
    EXPECT_EQ(again.kept.size(), std::size(kKnownGrids) - 1);
    EXPECT_EQ(second.rowsTotal, 1081u);
    EXPECT_EQ(second.steps.front(), ExtractingGridStep(kGeotranzPackage.fileName));
}

struct StopCase {
    const char* name;
    std::size_t stopAtStep;  ///< 1: at the extraction
    std::uint64_t stopAtRow;
    std::size_t made;
};

// An interrupted install once left a 144 MB extract.* folder in the cache and a .part file.
TEST(InstallGrids, StopRequestLeavesOnlyWhatWasFinished) {
    const std::string deb = CachedPackage();
    if (deb.empty()) GTEST_SKIP() << "no " << kGeotranzPackage.fileName << " in the cache";
    const StopCase cases[] = {
        {"at the extraction", 1, 0, 0},
        {"in the first grid", 0, 10, 0},
        {"in the second grid", 0, 1081 + 10, 1},
    };
    for (const StopCase& c : cases) {
        ScratchFolder scratch;
        const std::string cache = scratch.File("cache");
        fs::create_directories(cache);
        fs::create_symlink(deb, cache + "/" + kGeotranzPackage.fileName);
        StoppingObserver observer(c.stopAtStep, c.stopAtRow);
        const InstallOutcome outcome =
            InstallGrids(scratch.File("grids"), cache, observer, RunStop{&observer.flag, -1});
        EXPECT_FALSE(outcome.ok) << c.name;
        EXPECT_TRUE(outcome.stopped) << c.name;
        EXPECT_EQ(outcome.problem, "") << c.name;
        EXPECT_EQ(outcome.made.size(), c.made) << c.name;
        EXPECT_EQ(Names(cache), std::vector<std::string>{kGeotranzPackage.fileName}) << c.name;
        std::vector<std::string> grids;
        for (const std::string& path : outcome.made) grids.push_back(fs::path(path).filename());
        EXPECT_EQ(Names(scratch.File("grids")), grids) << c.name;
    }
}

struct PackageCase {
    const char* name;
    const char* cached;  ///< the package file in the cache; nullptr for none
    const char* aptGet;  ///< what the fake apt-get does
    std::string problem;
};

TEST(InstallGrids, PackageNotToBeHadIsRefusedWithTheReason) {
    const std::string request = "geotranz=3.7-3";
    const PackageCase cases[] = {
        {"no download", nullptr, "exit 100", PackageNotDownloadedMessage("@", request)},
        {"downloaded damaged", "damaged", "echo x > geotranz_3.7-3_all.deb",
         DownloadedPackageMismatchMessage(request, Sha256Hex("x\n"), kGeotranzPackage.sha256)},
    };
    for (const PackageCase& c : cases) {
        ScratchFolder scratch;
        const std::string cache = scratch.File("cache");
        const std::string cached = cache + "/" + kGeotranzPackage.fileName;
        fs::create_directories(cache);
        if (c.cached) test::WriteFile(cached, c.cached);
        const FakeAptGet apt(scratch, c.aptGet);
        RecordingObserver observer;
        const InstallOutcome outcome = InstallGrids(scratch.File("grids"), cache, observer);
        std::string problem = c.problem;
        if (const std::size_t at = problem.find("\"@\""); at != std::string::npos)
            problem.replace(at + 1, 1, cache);
        EXPECT_FALSE(outcome.ok) << c.name;
        EXPECT_EQ(outcome.problem, problem) << c.name;
        std::vector<std::string> steps = {FetchingPackageStep(cache)};
        if (c.cached) {
            steps.insert(steps.begin(),
                         PackageMismatchStep(cached, Sha256Hex(c.cached), kGeotranzPackage.sha256));
        }
        EXPECT_EQ(observer.steps, steps) << c.name;
        EXPECT_TRUE(outcome.made.empty());
        // No download folder stays behind.
        EXPECT_EQ(Names(cache).size(), c.cached ? 1u : 0u) << c.name;
    }
}

// A cache path that is a file was once reported as a package that "could not be downloaded".
TEST(InstallGrids, CacheThatCannotBeAFolderIsSaidToBeSo) {
    ScratchFolder scratch;
    test::WriteFile(scratch.File("file"), "x");
    for (const std::string& cache : {scratch.File("file"), scratch.File("file/cache")}) {
        RecordingObserver observer;
        const InstallOutcome outcome = InstallGrids(scratch.File("grids"), cache, observer);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.problem, CacheNotFolderMessage(cache, std::strerror(ENOTDIR)));
        EXPECT_TRUE(observer.steps.empty());
    }
}

// A 10' big-endian grid under the 2.5' little-endian name was once listed as verified.
TEST(ListGrids, SizeOrderAndDigestOfEachFileByNgaNamesAndFilesNotAsNamed) {
    ScratchFolder scratch;
    const std::string tenLe = scratch.File(GridFileName(GridSize::Grid10x10, false));
    const std::string misnamed = scratch.File(GridFileName(GridSize::Grid2_5x2_5, false));
    test::WriteZeroGrid(tenLe, test::kShape10, false);
    test::WriteProbedGrid(misnamed, test::kShape10, true);
    const std::string realTenBe = test::RealGridPath(GridFileName(GridSize::Grid10x10, true));
    if (test::Exists(realTenBe))
        fs::copy_file(realTenBe, misnamed, fs::copy_options::overwrite_existing);
    test::WriteFile(scratch.File(GridFileName(GridSize::Grid1x1, true)), "no grid");
    test::WriteFile(scratch.File("Und_min10x10_other_name"), "not listed");
    std::vector<std::string> folders = {scratch.path()};
    const bool real = test::Exists(test::RealGridPath());
    if (real) folders.push_back(fs::path(test::RealGridPath()).parent_path());

    const std::vector<FoundGrid> grids = ListGrids(folders);
    ASSERT_EQ(grids.size(), real ? 3u + std::size(kKnownGrids) : 3u);
    EXPECT_EQ(grids[0].path, tenLe);
    EXPECT_EQ(grids[0].size, GridSize::Grid10x10);
    EXPECT_EQ(grids[0].bigEndian, false);
    EXPECT_TRUE(grids[0].asNamed);
    EXPECT_EQ(grids[0].knownDigest, false);
    EXPECT_EQ(grids[1].path, misnamed);
    EXPECT_EQ(grids[1].size, GridSize::Grid10x10);
    EXPECT_EQ(grids[1].bigEndian, true);
    EXPECT_FALSE(grids[1].asNamed);
    EXPECT_EQ(grids[1].namedSize, GridSize::Grid2_5x2_5);
    EXPECT_FALSE(grids[1].namedBigEndian);
    EXPECT_EQ(grids[1].knownDigest, std::nullopt);
    EXPECT_EQ(grids[2].size, std::nullopt);
    EXPECT_FALSE(grids[2].asNamed);
    EXPECT_EQ(grids[2].knownDigest, std::nullopt);
    for (std::size_t k = 3; k < grids.size(); ++k) {
        EXPECT_EQ(grids[k].knownDigest, true) << grids[k].path;
        EXPECT_EQ(grids[k].path, folders[1] + "/" + KnownGridFileName(kKnownGrids[k - 3]));
    }
}

TEST(PackageCacheFolder, EnvironmentFirstThenXdgThenHomeElseNone) {
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
    const EnvironmentVariable emptyHome("HOME", "");
    EXPECT_EQ(PackageCacheFolder(), std::nullopt);
}

// Without HOME, "grids install" once wrote into "/.local/share/egm2008", which no lookup read.
TEST(InstallFolder, OneOfTheGridFoldersOrNone) {
    const EnvironmentVariable gridPath("EGM2008_GRID_PATH", "/g");
    const EnvironmentVariable data("XDG_DATA_HOME", std::nullopt);
    for (const std::optional<std::string>& homeValue :
         {std::optional<std::string>("/h"), std::optional<std::string>(""),
          std::optional<std::string>()}) {
        const EnvironmentVariable home("HOME", homeValue);
        const std::vector<std::string> folders = GridSearchFolders();
        EXPECT_EQ(InstallFolder(true), "/usr/local/share/egm2008");
        EXPECT_NE(std::find(folders.begin(), folders.end(), *InstallFolder(true)), folders.end());
        const std::optional<std::string> user = InstallFolder(false);
        EXPECT_EQ(user.has_value(), homeValue.value_or("") != "");
        if (user) {
            EXPECT_EQ(folders.at(1), *user);
        }
    }
}

}  // namespace
}  // namespace egm2008
