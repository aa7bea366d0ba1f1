// Usage errors: exit status 2, one line on standard error, nothing on
// standard output, and no grid touched (none of these runs names a grid
// that exists).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.hpp"

namespace egm2008::cli::test {
namespace {

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    std::string
        message;  ///< the whole line after "egm2008: ", or a part of it when `exact` is false
    bool exact;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class UsageError : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageError, ExitsTwoWithOneLine) {
    const UsageCase& c = GetParam();
    const CliRun run = RunTool(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(run.err.rfind("egm2008: ", 0), 0u) << run.err;
    ASSERT_EQ(run.err.find('\n'), run.err.size() - 1) << "not one line: " << run.err;
    const std::string line = run.err.substr(9, run.err.size() - 10);
    if (c.exact) {
        EXPECT_EQ(line, c.message);
    } else {
        EXPECT_NE(line.find(c.message), std::string::npos) << line;
    }
}

const std::string kLatRange = "Error: Latitude outside valid range of -90° to +90°.";
const std::string kLonRange = "Error: Longitude outside valid range of -360° to +360°.";

std::vector<std::string> Grid(std::vector<std::string> head) {
    for (const char* a : {"--grid", "/nonexistent/grid"}) head.emplace_back(a);
    return head;
}

INSTANTIATE_TEST_SUITE_P(
    Table, UsageError,
    ::testing::Values(
        UsageCase{"NoSubcommand", {}, "subcommand", false},
        UsageCase{"UnknownSubcommand",
                  {"height", "1", "2"},
                  "\"height\" is no subcommand; they are point, file, heights, nmea, grid, grids "
                  "and info",
                  true},
        UsageCase{"CommaDecimal", Grid({"point", "12,5", "3"}),
                  "point: LAT: \"12,5\" is not a number", true},
        UsageCase{"NotANumber", Grid({"point", "52", "abc"}), "point: LON: \"abc\" is not a number",
                  true},
        UsageCase{"NanIsNoNumber", Grid({"point", "nan", "3"}),
                  "point: LAT: \"nan\" is not a number", true},
        UsageCase{"HexIsNoNumber", Grid({"point", "1", "0x10"}),
                  "point: LON: \"0x10\" is not a number", true},
        UsageCase{"TrailingLetter", Grid({"point", "52.5N", "1"}),
                  "point: LAT: \"52.5N\" is not a number", true},
        UsageCase{"BareExponent", Grid({"point", "1e", "1"}), "point: LAT: \"1e\" is not a number",
                  true},
        UsageCase{"Overflow", Grid({"point", "1", "1e400"}),
                  "point: LON: \"1e400\" is not a number", true},
        UsageCase{"MissingLongitude", Grid({"point", "52"}), "point: LON", false},
        UsageCase{"ThirdCoordinate", Grid({"point", "1", "2", "3"}), "point: ", false},
        UsageCase{"UnknownMethod", Grid({"point", "1", "2", "--method", "cubic"}), "cubic", false},
        UsageCase{"DecimalsTooMany", Grid({"point", "1", "2", "--decimals", "18"}),
                  "point: --decimals: \"18\" is not a whole number from 0 to 17", true},
        UsageCase{"DecimalsFraction", Grid({"point", "1", "2", "--decimals", "2.5"}),
                  "point: --decimals: \"2.5\" is not a whole number from 0 to 17", true},
        UsageCase{"UnknownGridSize", Grid({"point", "1", "2", "--grid-size", "5"}), "--grid-size",
                  false},
        UsageCase{"BothByteOrders", Grid({"point", "1", "2", "--big-endian", "--little-endian"}),
                  "endian", false},
        UsageCase{"FileWithoutOutput", Grid({"file", "in.txt"}), "file: OUT", false},
        UsageCase{"UnknownLayout", Grid({"file", "a", "b", "--layout", "xyz"}), "xyz", false},
        UsageCase{
            "GridOneLatitude",
            Grid({"grid", "--lat", "1", "--lon", "0", "1", "--step-lat", "1", "--step-lon", "1"}),
            "grid: ", false},
        UsageCase{"GridNoLonStep",
                  Grid({"grid", "--lat", "1", "0", "--lon", "0", "1", "--step-lat", "1"}),
                  "--step-lon", false},
        UsageCase{"GridCommaStep",
                  Grid({"grid", "--lat", "1", "0", "--lon", "0", "1", "--step-lat", "12,5",
                        "--step-lon", "1"}),
                  "grid: --step-lat: \"12,5\" is not a number", true},
        // The gridmaker page's checks, in its order, with its messages.
        UsageCase{"GridLatitudeRange",
                  Grid({"grid", "--lat", "91", "0", "--lon", "0", "1", "--step-lat", "1",
                        "--step-lon", "1"}),
                  kLatRange, true},
        UsageCase{"GridSecondLatitudeRange",
                  Grid({"grid", "--lat", "0", "-90.5", "--lon", "0", "1", "--step-lat", "1",
                        "--step-lon", "1"}),
                  kLatRange, true},
        UsageCase{"GridFirstLongitudeBeforeSecondLatitude",
                  Grid({"grid", "--lat", "0", "-91", "--lon", "-361", "1", "--step-lat", "1",
                        "--step-lon", "1"}),
                  kLonRange, true},
        UsageCase{"GridSecondLongitudeRange",
                  Grid({"grid", "--lat", "0", "1", "--lon", "0", "360.5", "--step-lat", "1",
                        "--step-lon", "1"}),
                  kLonRange, true},
        UsageCase{"GridNegativeLatStep",
                  Grid({"grid", "--lat", "0", "1", "--lon", "0", "1", "--step-lat", "-1",
                        "--step-lon", "-1"}),
                  "Error: Lat. spacing should be positive.", true},
        UsageCase{"GridNegativeLonStep",
                  Grid({"grid", "--lat", "0", "1", "--lon", "0", "1", "--step-lat", "1",
                        "--step-lon", "-1"}),
                  "Error: Lon. spacing should be positive.", true},
        UsageCase{"GridZeroStep",
                  Grid({"grid", "--lat", "0", "1", "--lon", "0", "1", "--step-lat", "0",
                        "--step-lon", "1"}),
                  "Error: Spacing not ok!", true},
        UsageCase{"GridTinyStep",
                  Grid({"grid", "--lat", "0", "1", "--lon", "0", "1", "--step-lat", "1",
                        "--step-lon", "5e-7"}),
                  "Error: Spacing not ok!", true},
        // Regression: a lattice the format cannot hold ended with status 1, no
        // message and an empty file. 5,400,001 columns:
        UsageCase{"GridTooWideForGeotiff",
                  Grid({"grid", "--lat", "0", "0", "--lon", "0", "360", "--step-lat", "1",
                        "--step-lon", "0.004", "--format", "geotiff", "-o", "n.tif"}),
                  "Error: Too many rows or columns for the output format. The geotiff format holds "
                  "at most 4194304 columns; this lattice has 1 row of 5400001 nodes. Write it as "
                  "xyz, csv or asc, or use a larger spacing or a smaller area.",
                  true},
        // Regression: an empty output name wrote to standard output.
        UsageCase{"GridEmptyOutputName",
                  Grid({"grid", "--lat", "0", "1", "--lon", "0", "1", "--step-lat", "1",
                        "--step-lon", "1", "-o", ""}),
                  "grid: --output: an empty name names no file; - is standard output", true},
        UsageCase{"PointHeightWithoutTarget", Grid({"point", "1", "2", "--height", "5"}),
                  "point: --height requires --to", true},
        UsageCase{"PointTargetWithoutHeight", Grid({"point", "1", "2", "--to", "ellipsoidal"}),
                  "point: --to requires --height", true},
        UsageCase{"HeightsUnknownDelimiter", Grid({"heights", "a", "b", "--delimiter", "x"}),
                  "heights: --delimiter: x", false},
        UsageCase{"HeightsUnknownUnit", Grid({"heights", "a", "b", "--units", "yd"}),
                  "heights: --units: yd", false},
        UsageCase{"HeightsReplaceWithoutTarget", Grid({"heights", "a", "b", "--replace"}),
                  "heights: --replace requires --to", true},
        UsageCase{"HeightsHeaderBothWays", Grid({"heights", "a", "b", "--header", "--no-header"}),
                  "heights: --header excludes --no-header", true},
        UsageCase{"HeightsColumnZero", Grid({"heights", "a", "b", "--lat", "0"}),
                  "heights: --lat: \"0\" is neither a column number from 1 nor a header name",
                  true},
        UsageCase{"HeightsColumnSigned", Grid({"heights", "a", "b", "--lon", "-2"}),
                  "heights: --lon: \"-2\" is neither", false},
        UsageCase{"HeightsColumnEmpty", Grid({"heights", "a", "b", "--height", ""}),
                  "heights: --height: \"\" is neither", false},
        UsageCase{"HeightsDecimals", Grid({"heights", "a", "b", "--decimals", "-1"}),
                  "heights: --decimals: \"-1\" is not a whole number from 0 to 17", true},
        UsageCase{"AuditTakesNoModel",
                  {"nmea", "log", "--audit", "--model", "egm96"},
                  "nmea: --audit excludes --model",
                  true},
        UsageCase{"FromModelAlone",
                  {"heights", "a", "b", "--from-model", "egm96"},
                  "heights: --from-model requires --to-model",
                  true},
        UsageCase{"ToModelAlone",
                  {"point", "1", "2", "--height", "5", "--to-model", "egm96"},
                  "point: --to-model requires --from-model",
                  true},
        UsageCase{"SameModelTwice",
                  {"heights", "a", "b", "--from-model", "egm96", "--to-model", "egm96"},
                  "heights: --from-model and --to-model both name egm96; heights are converted "
                  "between two models",
                  true},
        UsageCase{
            "PointSameModelTwice",
            {"point", "1", "2", "--height", "5", "--from-model", "egm84", "--to-model", "egm84"},
            "point: --from-model and --to-model both name egm84",
            false},
        UsageCase{"ModelsWithTo",
                  {"heights", "a", "b", "--to", "orthometric", "--from-model", "egm96",
                   "--to-model", "egm2008"},
                  "excludes",
                  false},
        UsageCase{"ModelsWithGrid",
                  Grid({"point", "1", "2", "--height", "5", "--from-model", "egm96", "--to-model",
                        "egm2008"}),
                  "excludes", false},
        UsageCase{"ModelsWithModel",
                  {"heights", "a", "b", "--model", "egm96", "--from-model", "egm96", "--to-model",
                   "egm2008"},
                  "excludes",
                  false},
        UsageCase{"UnknownFromModel",
                  {"heights", "a", "b", "--from-model", "egm2020", "--to-model", "egm96"},
                  "heights: --from-model: egm2020",
                  false},
        UsageCase{"PointModelsWithoutHeight",
                  {"point", "1", "2", "--from-model", "egm96", "--to-model", "egm2008"},
                  "requires --height",
                  false},
        UsageCase{"InfoFileTwice", {"info", "a", "--grid", "b"}, "info: ", false}),
    [](const ::testing::TestParamInfo<UsageCase>& p) { return std::string(p.param.name); });

TEST(HelpAndVersion, GoToStandardOutputWithStatusZero) {
    const CliRun version = RunTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("egm2008 ") + EGM2008_TEST_VERSION + "\n");

    for (const char* command : {"point", "file", "heights", "grid", "info"}) {
        const CliRun help = RunTool({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.err, "");
        // Its usage, an example, and the grid options every subcommand takes.
        for (const std::string& part :
             {std::string("Usage: egm2008 ") + command, std::string("\n  egm2008 ") + command + " ",
              std::string("--grid FILE|NAME")}) {
            EXPECT_NE(help.out.find(part), std::string::npos) << command << ": " << part;
        }
    }
}

}  // namespace
}  // namespace egm2008::cli::test
