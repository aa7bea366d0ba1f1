// "egm2008 grid": the gridmaker's bytes (the page's golden files, made on the
// real internal 10' grid), to a file or standard output, and the ways a run
// fails.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.hpp"

namespace egm2008::cli::test {
namespace {

struct GoldenCase {
    const char* name;
    std::vector<std::string>
        corners;  ///< first latitude, first longitude, second latitude, second longitude
    std::vector<std::string> steps;  ///< latitude and longitude spacing, arc minutes
    const char* method;
    const char* golden;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::string> GridArgs(const GoldenCase& c, const std::string& grid) {
    return {"grid",       "--lat",      c.corners[0], c.corners[2], "--lon",
            c.corners[1], c.corners[3], "--step-lat", c.steps[0],   "--step-lon",
            c.steps[1],   "--method",   c.method,     "--grid",     grid};
}

class GridGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GridGolden, FileAndStandardOutputHoldThePageBytes) {
    REAL_GRID_OR_SKIP(grid, "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE");
    const GoldenCase& c = GetParam();
    const std::string golden = ReadFile(TestData(std::string("gridmaker/") + c.golden));
    ASSERT_FALSE(golden.empty()) << c.golden;

    // A node the method cannot compute (9999.999) fails the run, with a count.
    const bool unavailable = golden.find("9999.999") != std::string::npos;
    const int status = unavailable ? 1 : 0;
    const std::string err =
        unavailable ? "egm2008: 1 node could not be computed and was written as 9999.999.\n" : "";

    ScratchFolder scratch;
    std::vector<std::string> toFile = GridArgs(c, grid);
    toFile.insert(toFile.end(), {"-o", scratch.File("out.txt")});
    const CliRun run = RunTool(toFile);
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_EQ(run.err, err);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFile(scratch.File("out.txt")), golden);

    const CliRun piped = RunTool(GridArgs(c, grid));
    EXPECT_EQ(piped.status, status) << piped.err;
    EXPECT_EQ(piped.err, err);
    EXPECT_EQ(piped.out, golden);
}

INSTANTIATE_TEST_SUITE_P(RealGrid, GridGolden,
                         ::testing::Values(GoldenCase{"NineLines",
                                                      {"10", "0", "0", "20"},
                                                      {"300", "600"},
                                                      "biquadratic",
                                                      "nine_lines_biquadratic.txt"},
                                           GoldenCase{"NineLinesBiLinear",
                                                      {"10", "0", "0", "20"},
                                                      {"300", "600"},
                                                      "bilinear",
                                                      "nine_lines_bilinear.txt"},
                                           GoldenCase{"NineLinesNearest",
                                                      {"10", "0", "0", "20"},
                                                      {"300", "600"},
                                                      "nearest",
                                                      "nine_lines_nearest.txt"},
                                           GoldenCase{"ReversedCorners",
                                                      {"0", "20", "10", "0"},
                                                      {"300", "600"},
                                                      "biquadratic",
                                                      "nine_lines_biquadratic.txt"},
                                           GoldenCase{"RoundingSlack",
                                                      {"0.3", "0", "0", "0.3"},
                                                      {"6", "6"},
                                                      "biquadratic",
                                                      "slack_0p3.txt"},
                                           GoldenCase{"EqualCorners",
                                                      {"52.5", "7.25", "52.5", "7.25"},
                                                      {"10", "10"},
                                                      "biquadratic",
                                                      "equal_corners.txt"},
                                           GoldenCase{"WestLongitudes",
                                                      {"0", "-10", "0", "10"},
                                                      {"600", "600"},
                                                      "biquadratic",
                                                      "west_longitudes.txt"},
                                           GoldenCase{"RangeLimits",
                                                      {"90", "-360", "90", "-360"},
                                                      {"12", "10"},
                                                      "biquadratic",
                                                      "range_limits.txt"},
                                           GoldenCase{"SouthEdgeTriangulation",
                                                      {"-25.2", "0", "-90", "0"},
                                                      {"324", "600"},
                                                      "triangulation",
                                                      "south_edge_triangulation.txt"}),
                         [](const ::testing::TestParamInfo<GoldenCase>& p) {
                             return std::string(p.param.name);
                         });

// Fault pinned: at 10.8' the walk's last row lies a hair south of 90 S and its
// last column a hair east of 360, which made 3,001 nodes 9999.999.
TEST(GridGlobe, WholeGlobeAtTenPointEightMinutesIsComputed) {
    REAL_GRID_OR_SKIP(grid, "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE");
    for (const char* method : {"bilinear", "nearest"}) {
        const CliRun run =
            RunTool({"grid", "--lat", "90", "-90", "--lon", "0", "360", "--step-lat", "10.8",
                     "--step-lon", "10.8", "--method", method, "--grid", grid, "-o", "/dev/null"});
        EXPECT_EQ(run.status, 0) << method;
        EXPECT_EQ(run.err, "") << method;
    }
}

// A 10' grid of 10 m everywhere but one node, in a scratch folder.
class GridRunFailure : public ::testing::Test {
protected:
    void MakeGrid(std::int64_t row, std::int64_t column, float value) {
        WriteGrid(grid_, kShape10, false, [=](std::int64_t r, std::int64_t c) {
            return r == row && c == column ? value : 10.0f;
        });
    }
    std::vector<std::string> Args(std::vector<std::string> tail) {
        std::vector<std::string> args = {"grid", "--lat",  "30",         "30", "--lon",
                                         "59",   "61",     "--step-lat", "60", "--step-lon",
                                         "60",   "--grid", grid_};
        args.insert(args.end(), tail.begin(), tail.end());
        return args;
    }
    ScratchFolder scratch_;
    std::string grid_ = scratch_.File("grid");
};

TEST_F(GridRunFailure, NodeWithoutUndulationStopsTheRunWithTheLinesBefore) {
    // Node (30 N, 60 E) is row 360, column 360; the bi-quadratic window of 60 E holds
    // -2000 m and refuses, that of 59 E does not reach it.
    MakeGrid(360, 360, -2000.0f);
    const std::string out = scratch_.File("out.txt");
    const CliRun run = RunTool(Args({"-o", out}));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadFile(out), " 30.000000   59.000000   10.000\r\n");
    EXPECT_EQ(run.err,
              "egm2008: Outputfile \"" + out +
                  "\" is incomplete! The run stopped at latitude 30.000000, longitude 60.000000, "
                  "where no undulation could be computed.\n");
}

TEST_F(GridRunFailure, NodesWrittenAsUnavailableFailTheRun) {
    // Bi-linear at (30 N, 60 E) meets the implausible node: the line carries 9999.999.
    MakeGrid(360, 360, 2000.0f);
    const std::string out = scratch_.File("out.txt");
    const CliRun run = RunTool(Args({"-o", out, "--method", "bilinear"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadFile(out),
              " 30.000000   59.000000   10.000\r\n 30.000000   60.000000 9999.999\r\n"
              " 30.000000   61.000000   10.000\r\n");
    EXPECT_EQ(run.err, "egm2008: 1 node could not be computed and was written as 9999.999.\n");

    MakeGrid(0, 0, 10.0f);
    const CliRun clean = RunTool(Args({"-o", out, "--method", "bilinear"}));
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.err, "");
}

TEST_F(GridRunFailure, OutputThatIsTheGridIsRefusedUntouched) {
    MakeGrid(0, 0, 10.0f);
    const std::string before = ReadFile(grid_);
    const CliRun run = RunTool(Args({"-o", scratch_.path() + "/./grid"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is the geoid file in use and is not overwritten!"), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFile(grid_), before);
}

// Regression: "egm2008 grid ... >> GRIDFILE" appended the lattice to the grid in use.
TEST_F(GridRunFailure, StandardOutputAppendingToTheGridIsRefused) {
    MakeGrid(0, 0, 10.0f);
    const std::string before = ReadFile(grid_);
    const int appending = ::open(grid_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(appending, 0);
    const CliRun run = RunTool(Args({}), "", appending);
    ::close(appending);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "egm2008: Outputfile \"(standard output)\" is the geoid file in use and is not "
              "overwritten!\n");
    EXPECT_EQ(ReadFile(grid_), before);
}

TEST_F(GridRunFailure, WriteErrorsAreReported) {
    MakeGrid(0, 0, 10.0f);
    const CliRun toFile = RunTool(Args({"-o", "/dev/full"}));
    EXPECT_EQ(toFile.status, 1);
    EXPECT_EQ(toFile.err,
              "egm2008: Outputfile \"/dev/full\" could not be written (No space left on device)! "
              "The file is incomplete.\n");

    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    const CliRun toStandardOutput = RunTool(Args({}), "", full);
    ::close(full);
    EXPECT_EQ(toStandardOutput.status, 1);
    EXPECT_NE(toStandardOutput.err.find("\"(standard output)\" could not be written"),
              std::string::npos)
        << toStandardOutput.err;
}

}  // namespace
}  // namespace egm2008::cli::test
