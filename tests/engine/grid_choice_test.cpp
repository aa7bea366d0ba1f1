// Grids chosen by name: the names, the folders they are looked up in and their
// order, which file a name finds and which it passes over, the working
// directory's file winning, the message for a name found nowhere, and the
// system error behind a refusal. What a file is told by its length and
// markers is tested with the command line (tests/cli/grid_choice_test.cpp).
#include "engine/grid_choice.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "engine/messages.hpp"
#include "tests/engine/test_grids.hpp"
#include "tests/support/process_state.hpp"

namespace egm2008::engine {
namespace {

using test::EnvironmentVariable;
using test::ScratchFolder;

struct NameCase {
    const char* text;
    std::optional<GridSize> size;  ///< none: no grid name
    std::optional<bool> bigEndian;
};

TEST(GridName, Parsed) {
    const NameCase cases[] = {
        {"10", GridSize::Grid10x10, std::nullopt}, {"2.5", GridSize::Grid2_5x2_5, std::nullopt},
        {"1", GridSize::Grid1x1, std::nullopt},    {"2.5-be", GridSize::Grid2_5x2_5, true},
        {"10-le", GridSize::Grid10x10, false},     {"1-be", GridSize::Grid1x1, true},
        {"", std::nullopt, std::nullopt},          {"-be", std::nullopt, std::nullopt},
        {"2.50", std::nullopt, std::nullopt},      {"10-BE", std::nullopt, std::nullopt},
        {"10-le-be", std::nullopt, std::nullopt},  {"1x1", std::nullopt, std::nullopt},
        {"./10", std::nullopt, std::nullopt},
    };
    for (const NameCase& c : cases) {
        const std::optional<GridName> name = ParseGridName(c.text);
        ASSERT_EQ(name.has_value(), c.size.has_value()) << c.text;
        if (!name) continue;
        EXPECT_EQ(name->size, *c.size) << c.text;
        EXPECT_EQ(name->bigEndian, c.bigEndian) << c.text;
    }
}

struct FoldersCase {
    std::optional<std::string> gridPath, xdgDataHome, home;
    std::optional<std::string> user;   ///< UserGridFolder()
    std::vector<std::string> folders;  ///< before the two system folders
};

// Install and lookup take the user's folder from here alone; HOME unset or empty gives none
// (an install into "/.local/share/egm2008" that no lookup read was the fault).
TEST(GridSearchFolders, EnvironmentFirstThenTheUsersFolderThenSystem) {
    const std::string homeData = "/home/u/.local/share/egm2008";
    const FoldersCase cases[] = {
        {"/a::/b/c:", std::nullopt, "/home/u", homeData, {"/a", "/b/c", homeData}},
        {std::nullopt, "/data", "/home/u", "/data/egm2008", {"/data/egm2008"}},
        {std::nullopt, "relative", "/home/u", homeData, {homeData}},
        {std::nullopt, "", "/home/u", homeData, {homeData}},
        {std::nullopt, "/data", std::nullopt, "/data/egm2008", {"/data/egm2008"}},
        {std::nullopt, std::nullopt, "", std::nullopt, {}},
        {"/a", std::nullopt, std::nullopt, std::nullopt, {"/a"}},
    };
    for (const FoldersCase& c : cases) {
        const EnvironmentVariable path("EGM2008_GRID_PATH", c.gridPath);
        const EnvironmentVariable data("XDG_DATA_HOME", c.xdgDataHome);
        const EnvironmentVariable home("HOME", c.home);
        std::vector<std::string> expected = c.folders;
        expected.insert(expected.end(), {"/usr/local/share/egm2008", "/usr/share/egm2008"});
        EXPECT_EQ(GridSearchFolders(), expected) << c.home.value_or("(no HOME)");
        EXPECT_EQ(UserGridFolder(), c.user) << c.home.value_or("(no HOME)");
    }
}

// Folder "a" holds the 2.5' big-endian grid and, under the 10' little-endian name, a 10'
// big-endian file; "b" the 2.5' little-endian and both 10' grids; "c" under the 1' names a
// folder and a file too short for any grid.
struct LookupCase {
    const char* name;
    const char* found;                    ///< folder/file name, "" for none
    std::vector<std::string> passedOver;  ///< folder/file names
};

TEST(FindNamedGrid, FirstFolderHoldingTheGridTheNamePromises) {
    ScratchFolder scratch;
    for (const char* folder : {"a", "b", "c"})
        std::filesystem::create_directories(scratch.File(folder));
    const auto file = [&](const char* folder, GridSize size, bool bigEndian) {
        return scratch.File(std::string(folder) + "/" + GridFileName(size, bigEndian));
    };
    test::WriteProbedGrid(file("a", GridSize::Grid2_5x2_5, true), test::kShape2_5, true);
    test::WriteProbedGrid(file("a", GridSize::Grid10x10, false), test::kShape10, true);
    test::WriteProbedGrid(file("b", GridSize::Grid2_5x2_5, false), test::kShape2_5, false);
    test::WriteProbedGrid(file("b", GridSize::Grid10x10, false), test::kShape10, false);
    test::WriteProbedGrid(file("b", GridSize::Grid10x10, true), test::kShape10, true);
    std::filesystem::create_directories(file("c", GridSize::Grid1x1, false));
    test::WriteFile(file("c", GridSize::Grid1x1, true), "x");
    const std::string tenLe = "a/" + GridFileName(GridSize::Grid10x10, false);

    const LookupCase cases[] = {
        {"2.5", "a/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree", {}},
        {"2.5-le", "b/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE", {}},
        {"2.5-be", "a/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree", {}},
        // The 10' big-endian file under the little-endian name is passed over, for "10" too.
        {"10", "b/Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE", {tenLe}},
        {"10-le", "b/Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE", {tenLe}},
        {"10-be", "b/Und_min10x10_egm2008_isw=82_WGS84_TideFree", {}},
        {"1", "", {"c/Und_min1x1_egm2008_isw=82_WGS84_TideFree"}},
    };
    for (const LookupCase& c : cases) {
        const NamedGridLookup found = FindNamedGrid(
            *ParseGridName(c.name), {scratch.File("a"), scratch.File("b"), scratch.File("c")});
        EXPECT_EQ(found.path.value_or(""), *c.found ? scratch.File(c.found) : "") << c.name;
        ASSERT_EQ(found.passedOver.size(), c.passedOver.size()) << c.name;
        for (std::size_t k = 0; k < c.passedOver.size(); ++k) {
            EXPECT_EQ(found.passedOver[k].find("\"" + scratch.File(c.passedOver[k]) + "\""), 10u)
                << found.passedOver[k];
        }
    }
}

TEST(ChooseGrid, NameFoundInTheGridPath) {
    ScratchFolder scratch;
    const std::string path = scratch.File(GridFileName(GridSize::Grid10x10, true));
    test::WriteConstantGrid(path, 1.0f, true);
    const EnvironmentVariable folders("EGM2008_GRID_PATH", scratch.path());
    GeoidGrid grid;
    std::string reason;
    ASSERT_TRUE(ChooseGrid({"10", std::nullopt, std::nullopt}, grid, reason)) << reason;
    EXPECT_EQ(grid.path, path);
    EXPECT_TRUE(grid.bigEndian);
    // The request's byte order still holds against the file found.
    EXPECT_FALSE(ChooseGrid({"10", std::nullopt, false}, grid, reason));
}

// A 10' big-endian file under the 2.5' little-endian name once answered "--grid 2.5-le".
TEST(ChooseGrid, FileNotTheNamedGridIsPassedOverWithItsMessage) {
    ScratchFolder scratch;
    const std::string wrong = scratch.File("a/" + GridFileName(GridSize::Grid2_5x2_5, false));
    const std::string right = scratch.File("b/" + GridFileName(GridSize::Grid2_5x2_5, false));
    std::filesystem::create_directories(scratch.File("a"));
    std::filesystem::create_directories(scratch.File("b"));
    test::WriteConstantGrid(wrong, 1.0f, true);
    const EnvironmentVariable folders("EGM2008_GRID_PATH",
                                      scratch.File("a") + ":" + scratch.File("b"));
    const std::string passedOver =
        "Geoidfile \"" + wrong +
        "\" is passed over: its name is that of the 2.5' x 2.5' grid in little-endian byte "
        "order. The file is a 10' x 10' grid in big-endian byte order.";
    GeoidGrid grid;
    GridChoiceNotes notes;
    EXPECT_FALSE(ChooseGrid({"2.5-le", std::nullopt, std::nullopt}, grid, notes));
    EXPECT_EQ(notes.passedOver, std::vector<std::string>{passedOver});
    EXPECT_EQ(notes.reason.rfind("No grid file named \"2.5-le\" in ", 0), 0u) << notes.reason;
    EXPECT_EQ(notes.systemError, 0);

    test::WriteProbedGrid(right, test::kShape2_5, false);
    notes = {};
    ASSERT_TRUE(ChooseGrid({"2.5", std::nullopt, std::nullopt}, grid, notes)) << notes.reason;
    EXPECT_EQ(grid.path, right);
    EXPECT_EQ(grid.gridSize, GridSize::Grid2_5x2_5);
    EXPECT_EQ(notes.passedOver, std::vector<std::string>{passedOver});
}

TEST(ChooseGrid, SystemErrorBehindTheReason) {
    ScratchFolder scratch;
    const std::pair<std::string, int> cases[] = {
        {scratch.File("none"), ENOENT}, {scratch.path(), EISDIR}, {scratch.File("none/x"), ENOENT}};
    for (const auto& [path, error] : cases) {
        GeoidGrid grid;
        GridChoiceNotes notes;
        EXPECT_FALSE(ChooseGrid({path, std::nullopt, std::nullopt}, grid, notes));
        EXPECT_EQ(notes.systemError, error) << path;
    }
}

TEST(ChooseGrid, FileOfTheNameInTheWorkingDirectoryWins) {
    ScratchFolder scratch;
    test::WriteConstantGrid(scratch.File(GridFileName(GridSize::Grid10x10, false)), 1.0f, false);
    test::WriteConstantGrid(scratch.File("10"), 2.0f, true);
    const EnvironmentVariable folders("EGM2008_GRID_PATH", scratch.path());
    const test::WorkingDirectory here(scratch.path());
    GeoidGrid grid;
    std::string reason;
    ASSERT_TRUE(ChooseGrid({"10", std::nullopt, std::nullopt}, grid, reason)) << reason;
    EXPECT_EQ(grid.path, "10");
    EXPECT_TRUE(grid.bigEndian);
}

TEST(ChooseGrid, NameFoundNowhereNamesTheFolders) {
    ScratchFolder scratch;
    const EnvironmentVariable folders("EGM2008_GRID_PATH",
                                      scratch.File("x") + ":" + scratch.path());
    const EnvironmentVariable home("HOME", scratch.File("home"));
    const EnvironmentVariable data("XDG_DATA_HOME", std::nullopt);
    const test::WorkingDirectory here(scratch.path());
    if (FindNamedGrid(GridName{GridSize::Grid1x1, true}, GridSearchFolders()).path)
        GTEST_SKIP() << "a 1' big-endian grid is installed";
    GeoidGrid grid;
    std::string reason;
    EXPECT_FALSE(ChooseGrid({"1-be", std::nullopt, std::nullopt}, grid, reason));
    EXPECT_EQ(reason, "No grid file named \"1-be\" in " + scratch.File("x") + ", " +
                          scratch.path() + ", " + scratch.File("home") +
                          "/.local/share/egm2008, /usr/local/share/egm2008, /usr/share/egm2008; "
                          "\"egm2008 grids install\" makes the 10' and 2.5' grids.");
}

}  // namespace
}  // namespace egm2008::engine
