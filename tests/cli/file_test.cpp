// "egm2008 file": the file page's bytes (its golden files, made on 10' grids
// of one value everywhere), standard input and output, the exit status, and
// the page's refusals.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cli_test_support.hpp"

namespace egm2008::cli::test {
namespace {

struct GoldenCase {
    const char* name;
    const char* layout;
    float value;         ///< of every node of the grid
    const char* golden;  ///< tests/data/point_file/<golden>.in and .out
    int status;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

class FileGolden : public ::testing::TestWithParam<GoldenCase> {
protected:
    void SetUp() override { WriteConstantGrid(grid_, GetParam().value, false); }
    std::string In() const {
        return TestData(std::string("point_file/") + GetParam().golden + ".in");
    }
    std::string Out() const {
        return TestData(std::string("point_file/") + GetParam().golden + ".out");
    }
    ScratchFolder scratch_;
    std::string grid_ = scratch_.File("grid");
};

TEST_P(FileGolden, FilesHoldThePageBytes) {
    const GoldenCase& c = GetParam();
    const std::string out = scratch_.File("out.txt");
    const CliRun run = RunTool({"file", In(), out, "--layout", c.layout, "--grid", grid_});
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(ReadFile(out), ReadFile(Out()));
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("egm2008: Calculation done - ", 0), 0u) << run.err;
}

TEST_P(FileGolden, StandardInputToStandardOutput) {
    const GoldenCase& c = GetParam();
    const CliRun run = RunTool({"file", "-", "-", "--layout", c.layout, "--grid", grid_, "--quiet"},
                               ReadFile(In()));
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, ReadFile(Out()));
    // --quiet silences the summary of a run that computed every line only.
    EXPECT_EQ(run.err.empty(), c.status == 0) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    ConstantGrids, FileGolden,
    ::testing::Values(GoldenCase{"LatLon", "lat-lon", 47.25f, "lat_lon", 1},
                      GoldenCase{"LonLat", "lon-lat", 47.25f, "lon_lat", 1},
                      GoldenCase{"PtLatLon", "pt-lat-lon", 47.25f, "pt_lat_lon", 1},
                      GoldenCase{"PtLonLat", "pt-lon-lat", 47.25f, "pt_lon_lat", 1},
                      GoldenCase{"GgaSentencesCopied", "gga", 47.25f, "gga_47_25", 1},
                      GoldenCase{"GgaOneQueryFailed", "gga", 56.0f, "gga_56", 1}),
    [](const ::testing::TestParamInfo<GoldenCase>& p) { return std::string(p.param.name); });

class FileRun : public ::testing::Test {
protected:
    void SetUp() override {
        WriteConstantGrid(grid_, 47.25f, false);
        WriteFile(input_, "48.5 11.25\n-33.25 -70.5\n");
    }
    CliRun File(const std::string& in, const std::string& out, std::vector<std::string> more = {},
                const std::string& stdinText = "") {
        std::vector<std::string> args = {"file", in, out, "--grid", grid_};
        args.insert(args.end(), more.begin(), more.end());
        return RunTool(args, stdinText);
    }
    ScratchFolder scratch_;
    std::string grid_ = scratch_.File("grid");
    std::string input_ = scratch_.File("in.txt");
    std::string output_ = scratch_.File("out.txt");
};

// Fault pinned: lines copied because they could not be read, and GGA sentences
// copied, ended the run with status 0.
TEST_F(FileRun, LinesNotComputedFailTheRunAndAreCountedByKind) {
    const CliRun plain = File("-", "-", {}, "Latitude Longitude\n48.5 11.25\n91 0\n");
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.out,
              "Latitude Longitude\r\n 48.500000   11.250000   47.250\r\n 91.000000    0.000000 "
              "999.999\r\n");
    EXPECT_EQ(
        plain.err,
        "egm2008: Calculation done - 1 points. 1 points could not be computed and were written "
        "with 999.999. 1 lines could not be read and were copied unchanged.\n");

    const std::string rmc =
        "$GPRMC,092750.000,A,5321.6802,N,00630.3372,W,0.02,31.66,280511,,,A*43\n";
    const CliRun passed = File("-", "-", {"--layout", "gga", "-q"}, rmc);
    EXPECT_EQ(passed.status, 0);
    EXPECT_EQ(passed.out,
              "$GPRMC,092750.000,A,5321.6802,N,00630.3372,W,0.02,31.66,280511,,,A*43\r\n");
    EXPECT_EQ(passed.err, "");

    const std::string wrongChecksum =
        "$GNGGA,092750.00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,*69\n";
    const std::string noFix = "$GPGGA,,,,,,0,00,99.99,,,,,,*48\n";
    const CliRun gga =
        File("-", "-", {"--layout", "gga", "-q"}, rmc + wrongChecksum + noFix + wrongChecksum);
    EXPECT_EQ(gga.status, 1);
    EXPECT_EQ(
        gga.err,
        "egm2008: Calculation done - 0 points. 3 GGA sentences were copied unchanged: 2 with a "
        "wrong checksum, 1 without a fix or with empty fields.\n");
}

TEST_F(FileRun, OutputThatIsTheInputIsRefusedUntouched) {
    const std::string alias = scratch_.path() + "/./in.txt";
    const CliRun run = File(input_, alias);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "egm2008: Outputfile \"" + alias +
                           "\" is the inputfile! Choose another outputfile.\n");
    EXPECT_EQ(ReadFile(input_), "48.5 11.25\n-33.25 -70.5\n");
}

TEST_F(FileRun, StandardOutputThatIsTheInputIsRefusedUntouched) {
    const int fd = ::open(input_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const CliRun run = RunTool({"file", input_, "-", "--grid", grid_}, "", fd);
    ::close(fd);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "egm2008: Outputfile \"-\" is the inputfile! Choose another outputfile.\n");
    EXPECT_EQ(ReadFile(input_), "48.5 11.25\n-33.25 -70.5\n");
}

TEST_F(FileRun, InputThatCannotBeReadIsRefused) {
    const std::pair<std::string, const char*> inputs[] = {
        {scratch_.File("missing.txt"), "No such file or directory"},
        {scratch_.path(), "it is not a regular file"}};
    for (const auto& [in, reason] : inputs) {
        const CliRun run = File(in, output_);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err,
                  "egm2008: Inputfile \"" + in + "\" could not be opened: " + reason + "!\n");
    }
    EXPECT_EQ(ReadFile(output_), "");  // never created
}

TEST_F(FileRun, WriteErrorFailsTheRun) {
    const CliRun run = File(input_, "/dev/full", {"--quiet"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("/dev/full"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

TEST_F(FileRun, UnusableGridIsRefusedBeforeTheOutputIsTouched) {
    WriteFile(grid_, "not a grid");
    WriteFile(output_, "keep");
    const CliRun run = File(input_, output_);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadFile(output_), "keep");
}

}  // namespace
}  // namespace egm2008::cli::test
