// Which grid a run uses: size and byte order recognised from the file's
// length and first record marker, the overrides, the refusals, and the
// internal database in the working directory.
#include "cli/grid_choice.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.hpp"
#include "engine/geoid_grid.hpp"
#include "engine/grid_choice.hpp"

namespace egm2008::cli::test {
namespace {

struct Variant {
    const char* name;
    Shape shape;
    bool bigEndian;
    GridSize size;
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.name; }

class Recognition : public ::testing::TestWithParam<Variant> {};

TEST_P(Recognition, SizeAndByteOrderFromTheFile) {
    const Variant& v = GetParam();
    ScratchFolder scratch;
    const std::string path = scratch.File("grid");
    WriteZeroGrid(path, v.shape, v.bigEndian);

    GeoidGrid grid;
    std::string reason;
    ASSERT_TRUE(ChooseGrid({std::nullopt, path, std::nullopt, std::nullopt}, grid, reason))
        << reason;
    EXPECT_EQ(grid.path, path);
    EXPECT_EQ(grid.gridSize, v.size);
    EXPECT_EQ(grid.bigEndian, v.bigEndian);
    EXPECT_EQ(grid.lastColumn, v.shape.columns - 1);

    // The whole run takes it: every node of the file is 0.
    const CliRun run = RunTool({"point", "45", "-100", "--method", "nearest", "--grid", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "0.0000\n");

    // Naming what the file is changes nothing.
    const CliRun named =
        RunTool({"point", "45", "-100", "--method", "nearest", "--grid", path, "--grid-size",
                 v.shape.minutes, v.bigEndian ? "--big-endian" : "--little-endian"});
    EXPECT_EQ(named.status, 0) << named.err;
}

INSTANTIATE_TEST_SUITE_P(
    AllSix, Recognition,
    ::testing::Values(Variant{"Min10Little", kShape10, false, GridSize::Grid10x10},
                      Variant{"Min10Big", kShape10, true, GridSize::Grid10x10},
                      Variant{"Min2_5Little", kShape2_5, false, GridSize::Grid2_5x2_5},
                      Variant{"Min2_5Big", kShape2_5, true, GridSize::Grid2_5x2_5},
                      Variant{"Min1Little", kShape1, false, GridSize::Grid1x1},
                      Variant{"Min1Big", kShape1, true, GridSize::Grid1x1}),
    [](const ::testing::TestParamInfo<Variant>& p) { return std::string(p.param.name); });

struct Refusal {
    const char* name;
    Shape shape;  ///< a file of zeros of this grid's length and markers...
    bool bigEndian;
    std::int64_t cut;      ///< ...less this many bytes at the end
    std::uint32_t marker;  ///< ...with this first marker instead, when not 0
    std::vector<std::string> overrides;
    std::string message;  ///< "@" stands for the path
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class GridRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(GridRefusal, ExitsOneWithTheReason) {
    const Refusal& r = GetParam();
    ScratchFolder scratch;
    const std::string path = scratch.File("grid");
    WriteZeroGrid(path, r.shape, r.bigEndian);
    if (r.cut > 0)
        std::filesystem::resize_file(
            path, std::filesystem::file_size(path) - static_cast<std::uintmax_t>(r.cut));
    if (r.marker != 0) PokeWord(path, 0, r.marker, r.bigEndian);
    std::vector<std::string> args = {"point", "10", "20", "--grid", path};
    args.insert(args.end(), r.overrides.begin(), r.overrides.end());

    const CliRun run = RunTool(args);
    std::string message = r.message;
    message.replace(message.find('@'), 1, path);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "egm2008: " + message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, GridRefusal,
    ::testing::Values(
        Refusal{"OneRowShort",
                kShape10,
                false,
                8648,
                0,
                {},
                "Geoidfile \"@\" is 9339840 bytes long, the length of no EGM2008 grid file (10': "
                "9348488, 2.5': 149368328, 1': 933292808 bytes)."},
        Refusal{"MarkerOfAnotherSize",
                kShape10,
                false,
                0,
                34560,
                {},
                "Geoidfile \"@\" has the length of a 10' grid file, but its first record marker "
                "reads 34560 little-endian and 8847360 big-endian, not 8640."},
        Refusal{"SizeNamedWrongly",
                kShape10,
                false,
                0,
                0,
                {"--grid-size", "2.5"},
                "Geoidfile \"@\" is 9348488 bytes long; a 2.5' grid file has 149368328 bytes."},
        Refusal{"BigEndianNamedWrongly",
                kShape2_5,
                false,
                0,
                0,
                {"--big-endian"},
                "Geoidfile \"@\" is little-endian, not big-endian: its first record marker reads "
                "34560 in little-endian byte order."},
        Refusal{"LittleEndianNamedWrongly",
                kShape1,
                true,
                0,
                0,
                {"--little-endian"},
                "Geoidfile \"@\" is big-endian, not little-endian: its first record marker reads "
                "86400 in big-endian byte order."}),
    [](const ::testing::TestParamInfo<Refusal>& p) { return std::string(p.param.name); });

TEST(GridRefusal, MissingFileOrFolder) {
    ScratchFolder scratch;
    EXPECT_EQ(RunTool({"point", "1", "2", "--grid", scratch.File("none")}).err,
              "egm2008: Geoidfile \"" + scratch.File("none") + "\" could not be opened!\n");
    const CliRun folder = RunTool({"point", "1", "2", "--grid", scratch.path()});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, "egm2008: Geoidfile \"" + scratch.path() + "\" is not a regular file.\n");
}

// "--grid 2.5-le" once answered from a 10' big-endian file stored under the 2.5' little-endian
// name, with exit 0.
TEST(GridName, FileNotTheNamedGridIsPassedOverAloud) {
    ScratchFolder scratch;
    const std::string misnamed = scratch.File(GridFileName(GridSize::Grid2_5x2_5, false));
    WriteConstantGrid(misnamed, 1.0f, true);
    const EnvironmentVariable path("EGM2008_GRID_PATH", scratch.path());
    const EnvironmentVariable home("HOME", scratch.File("home"));
    const EnvironmentVariable data("XDG_DATA_HOME", std::nullopt);
    if (FindNamedGrid(GridName{GridSize::Grid2_5x2_5, false}, GridSearchFolders()).path)
        GTEST_SKIP() << "a 2.5' little-endian grid is installed";
    const CliRun run = RunTool({"point", "10", "20", "--grid", "2.5-le"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1),
              "egm2008: Geoidfile \"" + misnamed +
                  "\" is passed over: its name is that of the 2.5' x 2.5' grid in little-endian "
                  "byte order. The file is a 10' x 10' grid in big-endian byte order.\n");
    EXPECT_EQ(run.err.find("egm2008: No grid file named \"2.5-le\""), run.err.find('\n') + 1);
}

TEST(InternalDatabase, TakenFromTheWorkingDirectory) {
    ScratchFolder scratch;
    WriteConstantGrid(scratch.File(kInternalGridName), 12.5f, false);
    const WorkingDirectory here(scratch.path());
    const CliRun run = RunTool({"point", "10", "20"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Bi-Quadratic     12.5000\n"
              "Bi-Linear        12.5000\n"
              "Triangulation    12.5000\n"
              "Nearest Neighbor 12.5000\n");
}

TEST(InternalDatabase, MissingEverywhereIsExplained) {
    ScratchFolder scratch;
    const std::string installed =
        std::string(EGM2008_INSTALLED_DATA_DIR_FOR_TESTS) + "/" + kInternalGridName;
    struct stat info {};
    if (::stat(installed.c_str(), &info) == 0)
        GTEST_SKIP() << "an installed database exists: " << installed;
    const WorkingDirectory here(scratch.path());
    const CliRun run = RunTool({"point", "10", "20"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string("egm2008: The internal database \"") + kInternalGridName +
                           "\" is neither in the working directory nor in " +
                           EGM2008_INSTALLED_DATA_DIR_FOR_TESTS +
                           "; name a grid file with --grid.\n");
}

}  // namespace
}  // namespace egm2008::cli::test
