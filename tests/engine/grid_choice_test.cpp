// Grids chosen by name: the names, the folders they are looked up in and their
// order, which file a name finds, the working directory's file winning, and
// the message for a name found nowhere. What a file is told by its length and
// markers is tested with the command line (tests/cli/grid_choice_test.cpp).
#include "engine/grid_choice.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/messages.hpp"
#include "tests/engine/test_grids.hpp"
#include "tests/support/process_state.hpp"

namespace egm2008 {
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

TEST(GridSearchFolders, EnvironmentFirstThenHomeThenSystem) {
    const EnvironmentVariable path("EGM2008_GRID_PATH", "/a::/b/c:");
    const EnvironmentVariable home("HOME", "/home/u");
    EXPECT_EQ(GridSearchFolders(),
              (std::vector<std::string>{"/a", "/b/c", "/home/u/.local/share/egm2008",
                                        "/usr/local/share/egm2008", "/usr/share/egm2008"}));
    const EnvironmentVariable noPath("EGM2008_GRID_PATH", std::nullopt);
    const EnvironmentVariable noHome("HOME", std::nullopt);
    EXPECT_EQ(GridSearchFolders(),
              (std::vector<std::string>{"/usr/local/share/egm2008", "/usr/share/egm2008"}));
}

// Folder "a" holds the 2.5' big-endian grid; "b" the 2.5' little-endian and both 10' grids.
struct LookupCase {
    const char* name;
    const char* found;  ///< folder/file name, "" for none
};

TEST(FindNamedGrid, FirstFolderHoldingOneLittleEndianFirst) {
    ScratchFolder scratch;
    const std::string a = scratch.File("a");
    const std::string b = scratch.File("b");
    std::filesystem::create_directories(a);
    std::filesystem::create_directories(b);
    test::WriteFile(a + "/" + GridFileName(GridSize::Grid2_5x2_5, true), "x");
    for (const auto& [size, bigEndian] :
         {std::pair{GridSize::Grid2_5x2_5, false}, std::pair{GridSize::Grid10x10, false},
          std::pair{GridSize::Grid10x10, true}}) {
        test::WriteFile(b + "/" + GridFileName(size, bigEndian), "x");
    }
    // A folder where a grid's name is itself a folder: passed over.
    std::filesystem::create_directories(
        scratch.File("c/" + GridFileName(GridSize::Grid1x1, false)));

    const LookupCase cases[] = {
        {"2.5", "a/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree"},
        {"2.5-le", "b/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE"},
        {"2.5-be", "a/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree"},
        {"10", "b/Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE"},
        {"10-be", "b/Und_min10x10_egm2008_isw=82_WGS84_TideFree"},
        {"1", ""},
    };
    for (const LookupCase& c : cases) {
        const std::optional<std::string> found =
            FindNamedGrid(*ParseGridName(c.name), {a, b, scratch.File("c")});
        EXPECT_EQ(found.value_or(""), *c.found ? scratch.File(c.found) : "") << c.name;
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
    const test::WorkingDirectory here(scratch.path());
    if (FindNamedGrid(GridName{GridSize::Grid1x1, true}, GridSearchFolders()))
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
}  // namespace egm2008
