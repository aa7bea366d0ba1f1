// "egm2008 heights": what the command line adds to the conversion run: its
// options reaching the run, the column line and the problem lines on standard
// error, files and standard streams, the exit status. The values are those of
// "egm2008 point" on the real 10' grid at Berlin (N 39.54208374) and Sydney
// (N 22.36440849).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.hpp"

namespace egm2008::cli::test {
namespace {

constexpr const char* kReal10Le = "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE";

const std::string kSurvey =
    "# survey 2026\n"
    "name,lat,lon,h\n"
    "Berlin,52.5,13.4,100\n"
    "\n"
    "Sydney,-33.86,151.21,50.5\n"
    "Bad,4830.5N,13.4,1\n";

const std::string kColumnLine =
    "egm2008: latitude = column 2 \"lat\", longitude = column 3 \"lon\", height = column 4 \"h\"\n";

class HeightsRun : public ::testing::Test {
protected:
    CliRun Heights(const std::string& in, const std::string& out, std::vector<std::string> more,
                   const std::string& stdinText = "") {
        std::vector<std::string> args = {"heights", in, out, "--grid", grid_};
        args.insert(args.end(), more.begin(), more.end());
        return RunTool(args, stdinText);
    }
    ScratchFolder scratch_;
    std::string grid_ = RealGridPath(kReal10Le);
    std::string input_ = scratch_.File("survey.csv");
    std::string output_ = scratch_.File("out.csv");
};

TEST_F(HeightsRun, StandardInputToStandardOutputWithColumnsAndProblemLinesTold) {
    REAL_GRID_OR_SKIP(grid, kReal10Le);
    const CliRun run = Heights("-", "-", {"--to", "orthometric"}, kSurvey);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "# survey 2026\n"
              "name,lat,lon,h,N_EGM2008,H\n"
              "Berlin,52.5,13.4,100,39.542,60.458\n"
              "\n"
              "Sydney,-33.86,151.21,50.5,22.364,28.136\n"
              "Bad,4830.5N,13.4,1,,\n");
    // The columns, then the line not computed, then the end message.
    ASSERT_EQ(run.err.rfind(kColumnLine, 0), 0u) << run.err;
    const std::string rest = run.err.substr(kColumnLine.size());
    ASSERT_EQ(rest.rfind("egm2008: line 6: latitude \"4830.5N\" ", 0), 0u) << run.err;
    const std::string end = rest.substr(rest.find('\n') + 1);
    EXPECT_EQ(end.rfind("egm2008: ", 0), 0u) << run.err;
    EXPECT_EQ(end.find('\n'), end.size() - 1) << run.err;
}

// Each option reaches the run: the Berlin line of the output file.
struct OptionCase {
    const char* name;
    std::vector<std::string> args;
    const char* berlin;
    const char* input = "lat;lon;h\n52.5;13.4;100\n";
};

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }

class HeightsOption : public HeightsRun, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(HeightsOption, ShapesTheLinesWritten) {
    REAL_GRID_OR_SKIP(grid, kReal10Le);
    WriteFile(input_, GetParam().input);
    const CliRun run = Heights(input_, output_, GetParam().args);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string out = ReadFile(output_);
    EXPECT_NE(out.find(std::string(GetParam().berlin) + "\n"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeightsOption,
    ::testing::Values(
        OptionCase{"UndulationOnly", {}, "52.5;13.4;100;39.542"},
        OptionCase{"Ellipsoidal", {"--to", "ellipsoidal"}, "52.5;13.4;100;39.542;139.542"},
        OptionCase{"Replace", {"--to", "orthometric", "--replace"}, "52.5;13.4;60.458;39.542"},
        OptionCase{
            "Feet", {"--to", "orthometric", "--units", "ft"}, "52.5;13.4;100;129.731;-29.731"},
        OptionCase{"Decimals", {"--decimals", "1"}, "52.5;13.4;100;39.5"},
        OptionCase{"Method", {"-m", "nearest"}, "52.5;13.4;100;39.635"},
        OptionCase{"ColumnsNamed",
                   {"--lat", "lat", "--lon", "2", "--height", "h"},
                   "52.5;13.4;100;39.542"},
        OptionCase{"DecimalComma",
                   {"--decimal-comma", "--delimiter", ";"},
                   "52,5;13,4;100;39,542",
                   "52,5;13,4;100\n"}),
    [](const ::testing::TestParamInfo<OptionCase>& p) { return std::string(p.param.name); });

// What the command makes of files a new user brings: the output, the end of
// standard error and the exit status.
struct FileCase {
    const char* name;
    const char* input;
    std::vector<std::string> args;
    const char* out;
    const char* errEnd;
    int status;
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class HeightsFile : public HeightsRun, public ::testing::WithParamInterface<FileCase> {};

TEST_P(HeightsFile, WritesTellsAndExits) {
    REAL_GRID_OR_SKIP(grid, kReal10Le);
    const FileCase& c = GetParam();
    const CliRun run = Heights("-", "-", c.args, c.input);
    EXPECT_EQ(run.out, c.out);
    const std::string errEnd = c.errEnd;
    EXPECT_TRUE(run.err.size() >= errEnd.size() &&
                run.err.compare(run.err.size() - errEnd.size(), errEnd.size(), errEnd) == 0)
        << run.err;
    EXPECT_EQ(run.status, c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeightsFile,
    ::testing::Values(
        // Decimal commas in a comma file were once read as other numbers, exit 0.
        FileCase{"DecimalCommaInCommaFileRefused", "52,5,13,4\n", {"--decimal-comma"}, "",
                 "the numbers are not quoted (\"48,5\"); choose another delimiter or the decimal "
                 "point.\n",
                 1},
        FileCase{"DecimalCommaSplitLineNamed",
                 "lat,lon,h\n52,5,13,4,100\n",
                 {"--decimal-comma", "--to", "orthometric"},
                 "lat,lon,h,N_EGM2008,H\n52,5,13,4,100,,\n",
                 "egm2008: line 2: the line has 5 fields, more than the header's 3\n"
                 "egm2008: Conversion done - 1 data line, 0 converted. 1 line could not be read "
                 "and got empty fields.\n",
                 1},
        // A file with CR line ends was once all header, "0 data lines", exit 0.
        FileCase{"CrLineEnds", "lat,lon\r52.5,13.4\r", {}, "lat,lon,N_EGM2008\r52.5,13.4,39.542\r",
                 "egm2008: Conversion done - 1 data line.\n", 0},
        FileCase{"TwoHeightColumnsRefused",
                 "lat,lon,alt,height\n52.5,13.4,1,2\n",
                 {"--to", "ellipsoidal"},
                 "",
                 "column (\"alt\", \"height\"); choose one by number or name.\n",
                 1}),
    [](const ::testing::TestParamInfo<FileCase>& p) { return std::string(p.param.name); });

TEST_F(HeightsRun, CommentLineComesFirst) {
    REAL_GRID_OR_SKIP(grid, kReal10Le);
    const CliRun run = Heights("-", "-", {"--comment", "-q"}, "52.5 13.4\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("# N: EGM2008, 10' grid ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\n52.5 13.4 39.542\n"), std::string::npos) << run.out;
    // --quiet keeps the column line of a run that computed every line.
    EXPECT_EQ(run.err, "egm2008: latitude = column 1, longitude = column 2\n");
}

TEST_F(HeightsRun, RefusedColumnsLeaveThePreviousOutput) {
    REAL_GRID_OR_SKIP(grid, kReal10Le);
    WriteFile(input_, kSurvey);
    WriteFile(output_, "keep");
    const CliRun run = Heights(input_, output_, {"--header", "--lat", "latitude_wgs84"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadFile(output_), "keep");
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(scratch_.Names(), (std::vector<std::string>{"out.csv", "survey.csv"}));
}

}  // namespace
}  // namespace egm2008::cli::test
