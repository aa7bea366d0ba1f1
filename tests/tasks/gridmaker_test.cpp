#include "tasks/lattice/gridmaker.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/lattice/grid_lattice.hpp"
#include "tasks/common/text_output.hpp"
#include "tests/support/byte_compare.hpp"
#include "tests/support/fake_platform.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using test::FakePlatform;
using test::Notice;
using namespace gridmaker_ids;

// The lattice through a mapping of `grid` made for the one run, as the page makes it.
LatticeOutcome Lattice(TextOutput& output, const GeoidGrid& grid, InterpolationMethod method,
                       const LatticeArea& area, const LatticeProgress& progress = {}) {
    SilentNotifier silent;
    MappedGrid mapped;
    mapped.Map(grid, silent);
    return WriteGridLattice(output, grid, mapped, method, area, progress);
}

constexpr int kAreaFields[] = {kLatitude1,  kLongitude1, kLatitude2,
                               kLongitude2, kLatSpacing, kLonSpacing};

// The six fields in the order 1009, 1010, 1011, 1012, 1013, 1014.
using SixFields = std::vector<std::string>;

void Type(FakePlatform& platform, const SixFields& values) {
    for (std::size_t k = 0; k < 6; ++k) platform.fields[kAreaFields[k]] = values[k];
}

SixFields Shown(const FakePlatform& platform) {
    SixFields out;
    for (int id : kAreaFields) out.push_back(platform.Field(id));
    return out;
}

std::size_t CountLines(const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2))
        ++n;
    return n;
}

const char* MethodName(InterpolationMethod method) {
    switch (method) {
        case InterpolationMethod::BiQuadratic: return "biquadratic";
        case InterpolationMethod::BiLinear: return "bilinear";
        case InterpolationMethod::Triangulation: return "triangulation";
        case InterpolationMethod::NearestNeighbour: return "nearest";
    }
    return "other";
}

constexpr InterpolationMethod kMethods[] = {
    InterpolationMethod::BiQuadratic, InterpolationMethod::BiLinear,
    InterpolationMethod::Triangulation, InterpolationMethod::NearestNeighbour};

// A page on the real internal grid writing into a scratch folder.
class GridmakerRealGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        REAL_GRID_OR_SKIP(path, kInternalGridName);
        grid_.path = path;
        page_.SetGrid(&grid_);
        output_ = dir_.File("grid.txt");
        platform_.dialogAnswers.push_back(output_);
        page_.BrowseOutputFile();
    }

    // Types the six fields, runs "Calc!" and returns what the output file holds.
    std::string Run(const SixFields& values,
                    InterpolationMethod method = InterpolationMethod::BiQuadratic) {
        Type(platform_, values);
        page_.SelectMethod(method);
        page_.RunGridmaker();
        return test::ReadFile(output_);
    }

    test::ScratchFolder dir_;
    GeoidGrid grid_;
    FakePlatform platform_;
    GridmakerPage page_{platform_};
    std::string output_;
};

struct GoldenCase {
    const char* name;
    SixFields fields;
    InterpolationMethod method;
    const char* golden;
    std::size_t lines;
};

class GridmakerGoldenTest : public GridmakerRealGridTest,
                            public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GridmakerGoldenTest, WritesTheGoldenBytes) {
    const GoldenCase& c = GetParam();
    const std::string written = Run(c.fields, c.method);
    EXPECT_TRUE(test::MatchesGolden(written, std::string("gridmaker/") + c.golden));
    EXPECT_EQ(CountLines(written), c.lines);
    EXPECT_TRUE(platform_.notices.empty());
    EXPECT_EQ(platform_.cursors, (std::vector<CursorShape>{CursorShape::Wait, CursorShape::Arrow}));
    EXPECT_EQ(platform_.Field(kOutputPath), output_);
}

INSTANTIATE_TEST_SUITE_P(
    RealGrid, GridmakerGoldenTest,
    ::testing::Values(GoldenCase{"NineLines",
                                 {"10", "0", "0", "20", "300", "600"},
                                 InterpolationMethod::BiQuadratic,
                                 "nine_lines_biquadratic.txt",
                                 9},
                      GoldenCase{"NineLinesBiLinear",
                                 {"10", "0", "0", "20", "300", "600"},
                                 InterpolationMethod::BiLinear,
                                 "nine_lines_bilinear.txt",
                                 9},
                      GoldenCase{"NineLinesTriangulation",
                                 {"10", "0", "0", "20", "300", "600"},
                                 InterpolationMethod::Triangulation,
                                 "nine_lines_triangulation.txt",
                                 9},
                      GoldenCase{"NineLinesNearest",
                                 {"10", "0", "0", "20", "300", "600"},
                                 InterpolationMethod::NearestNeighbour,
                                 "nine_lines_nearest.txt",
                                 9},
                      GoldenCase{"ReversedCorners",
                                 {"0", "20", "10", "0", "300", "600"},
                                 InterpolationMethod::BiQuadratic,
                                 "nine_lines_biquadratic.txt",
                                 9},
                      GoldenCase{"Spacing240",
                                 {"10", "0", "0", "0", "240", "600"},
                                 InterpolationMethod::BiQuadratic,
                                 "spacing_240.txt",
                                 3},
                      GoldenCase{"RoundingSlack",
                                 {"0.3", "0", "0", "0.3", "6", "6"},
                                 InterpolationMethod::BiQuadratic,
                                 "slack_0p3.txt",
                                 16},
                      GoldenCase{"EqualCorners",
                                 {"52.5", "7.25", "52.5", "7.25", "10", "10"},
                                 InterpolationMethod::BiQuadratic,
                                 "equal_corners.txt",
                                 1},
                      GoldenCase{"WestLongitudes",
                                 {"0", "-10", "0", "10", "600", "600"},
                                 InterpolationMethod::BiQuadratic,
                                 "west_longitudes.txt",
                                 3},
                      GoldenCase{"RangeLimits",
                                 {"90", "-360", "90", "-360", "12,5", "10"},
                                 InterpolationMethod::BiQuadratic,
                                 "range_limits.txt",
                                 1},
                      // The last row lies at -90.00000000000001, just outside the grid: every
                      // method writes the marker there, none the value of the row before.
                      GoldenCase{"SouthEdgeBiQuadratic",
                                 {"-25.2", "0", "-90", "0", "324", "600"},
                                 InterpolationMethod::BiQuadratic,
                                 "south_edge_biquadratic.txt",
                                 13},
                      GoldenCase{"SouthEdgeBiLinear",
                                 {"-25.2", "0", "-90", "0", "324", "600"},
                                 InterpolationMethod::BiLinear,
                                 "south_edge_bilinear.txt",
                                 13},
                      GoldenCase{"SouthEdgeTriangulation",
                                 {"-25.2", "0", "-90", "0", "324", "600"},
                                 InterpolationMethod::Triangulation,
                                 "south_edge_triangulation.txt",
                                 13},
                      GoldenCase{"SouthEdgeNearest",
                                 {"-25.2", "0", "-90", "0", "324", "600"},
                                 InterpolationMethod::NearestNeighbour,
                                 "south_edge_nearest.txt",
                                 13}),
    [](const ::testing::TestParamInfo<GoldenCase>& p) { return std::string(p.param.name); });

TEST_F(GridmakerRealGridTest, FieldsKeepTheCornersAsTyped) {
    Run({"0", "20", "10", "0", "300", "600"});
    EXPECT_EQ(Shown(platform_), (SixFields{"0.00000000", "20.00000000", "10.00000000", "0.00000000",
                                           "300.00000000", "600.00000000"}));
}

TEST_F(GridmakerRealGridTest, WestLongitudeIsLookedUpEastOfTheSeam) {
    const std::string west = Run({"0", "-10", "0", "-10", "600", "600"});
    const std::string east = Run({"0", "350", "0", "350", "600", "600"});
    ASSERT_EQ(CountLines(west), 1u);
    EXPECT_EQ(west.substr(0, 22), "  0.000000  -10.000000");
    EXPECT_EQ(east.substr(0, 22), "  0.000000  350.000000");
    EXPECT_EQ(west.substr(22), east.substr(22));
}

TEST_F(GridmakerRealGridTest, NumbersIgnoreTheProcessLocale) {
    const test::CommaLocale comma;
    if (comma.name().empty()) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::string written = Run({"10", "0", "0", "20", "300", "600"});
    EXPECT_TRUE(test::MatchesGolden(written, "gridmaker/nine_lines_biquadratic.txt"));
    EXPECT_EQ(platform_.Field(kLatitude1), "10.00000000");
}

TEST_F(GridmakerRealGridTest, RerunReplacesTheFile) {
    Run({"10", "0", "0", "20", "300", "600"});
    const std::string second = Run({"52.5", "7.25", "52.5", "7.25", "10", "10"});
    EXPECT_TRUE(test::MatchesGolden(second, "gridmaker/equal_corners.txt"));
}

TEST_F(GridmakerRealGridTest, OrderOfARun) {
    Run({"1", "2", "1", "2", "10", "10"});
    EXPECT_EQ(platform_.events, (std::vector<std::string>{"save-dialog Text (*.txt *.xyz)",
                                                          "set 1034 " + output_,
                                                          "read 1009",
                                                          "set 1009 1.00000000",
                                                          "read 1010",
                                                          "set 1010 2.00000000",
                                                          "read 1011",
                                                          "set 1011 1.00000000",
                                                          "read 1012",
                                                          "set 1012 2.00000000",
                                                          "read 1013",
                                                          "set 1013 10.00000000",
                                                          "read 1014",
                                                          "set 1014 10.00000000",
                                                          "set 1034 " + output_,
                                                          "cursor wait",
                                                          "disable 1061",
                                                          "status Computing 1 nodes…",
                                                          "long run",
                                                          "cursor arrow",
                                                          "status " + platform_.statuses.at(1),
                                                          "enable 1061"}));
}

TEST_F(GridmakerRealGridTest, WriteErrorIsReported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "/dev/full is missing";
    platform_.dialogAnswers.push_back("/dev/full");
    page_.BrowseOutputFile();
    Run({"10", "0", "0", "20", "300", "600"});
    ASSERT_EQ(platform_.notices.size(), 1u);
    EXPECT_EQ(platform_.notices[0].icon, NoticeIcon::Error);
    EXPECT_EQ(platform_.notices[0].text,
              std::string("\nOutputfile \"/dev/full\" could not be written (") +
                  std::strerror(ENOSPC) + ")!\nThe file is incomplete.\n");
    EXPECT_EQ(platform_.events.end()[-2], "notice error " + platform_.notices[0].text);
    EXPECT_EQ(platform_.events.back(), "status Gridmaker: failed, /dev/full incomplete");
    EXPECT_EQ(platform_.cursors, (std::vector<CursorShape>{CursorShape::Wait, CursorShape::Arrow}));
}

TEST_F(GridmakerRealGridTest, WriteErrorStopsALargeRun) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "/dev/full is missing";
    TextOutput output;
    ASSERT_TRUE(output.Open("/dev/full"));
    // 1081 x 2161 nodes at 10': far more than one buffer of lines.
    const LatticeOutcome outcome = Lattice(output, grid_, InterpolationMethod::NearestNeighbour,
                                           {90, -90, 0, 360, 1.0 / 6.0, 1.0 / 6.0});
    EXPECT_EQ(outcome.end, LatticeEnd::WriteFailed);
    EXPECT_EQ(outcome.writeError, ENOSPC);
    EXPECT_LT(outcome.nodesWritten, 1081u * 2161u);
}

// The lattice through the run's mapping gives what per-query access gives, node for node.
TEST_F(GridmakerRealGridTest, MappedRunMatchesPerQueryAccess) {
    const LatticeArea areas[] = {{90, 89, -1, 1.5, 7.0 / 60, 11.0 / 60},
                                 {-88.8, -90, 359, 360, 0.3, 0.07},
                                 {48.3, 47.1, 11.05, 12.4, 0.13, 0.29}};
    for (const LatticeArea& area : areas) {
        for (InterpolationMethod method : kMethods) {
            std::string expected;
            SilentNotifier silent;
            for (int i = 0;; ++i) {
                const double lat = i == 0 ? area.north : area.north - i * area.latStep;
                if (i > 0 && !(lat > area.south - 1e-8)) break;
                for (int j = 0;; ++j) {
                    const double lon = j == 0 ? area.west : area.west + j * area.lonStep;
                    if (j > 0 && !(lon < area.east + 1e-8)) break;
                    float value = kResultPreset;
                    ASSERT_NE(ComputeUndulation(grid_, method, lat, lon, value, silent),
                              QueryStatus::StatusError);
                    AppendPointLine(expected, lat, lon, value);
                }
            }
            const std::string path = dir_.File("mapped.txt");
            TextOutput output;
            ASSERT_TRUE(output.Open(path));
            const LatticeOutcome outcome = Lattice(output, grid_, method, area);
            ASSERT_TRUE(output.Close());
            EXPECT_EQ(outcome.end, LatticeEnd::Completed);
            EXPECT_EQ(test::ReadFile(path), expected)
                << MethodName(method) << " from " << area.north;
            EXPECT_EQ(outcome.nodesWritten, CountLines(expected));
        }
    }
}

// What the command line does: the run writes to a descriptor it did not open.
TEST_F(GridmakerRealGridTest, AttachedOutputGetsTheSameBytes) {
    const std::string path = dir_.File("attached.txt");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    {
        TextOutput output;
        output.Attach(fd);
        const LatticeOutcome outcome = Lattice(output, grid_, InterpolationMethod::BiQuadratic,
                                               AreaFromCorners(0, 20, 10, 0, 300, 600));
        EXPECT_EQ(outcome.end, LatticeEnd::Completed);
        EXPECT_EQ(outcome.nodesWritten, 9u);
        EXPECT_TRUE(output.Close());
    }
    EXPECT_EQ(::write(fd, "x", 1), 1) << "the descriptor must stay open";
    ::close(fd);
    const std::string written = test::ReadFile(path);
    EXPECT_TRUE(test::MatchesGolden(written.substr(0, written.size() - 1),
                                    "gridmaker/nine_lines_biquadratic.txt"));
}

// Field checks: every field is read and every refused one marked with its reason, the
// focus in the first; the checks across fields give a message. What the fields show
// afterwards, and no file.
struct FieldErrorCase {
    const char* name;
    SixFields typed;
    std::map<int, std::string> marks;
    std::string message;  ///< the error box of a check across fields
    SixFields shown;
};

class GridmakerFieldErrorTest : public GridmakerRealGridTest,
                                public ::testing::WithParamInterface<FieldErrorCase> {};

TEST_P(GridmakerFieldErrorTest, RefusesWithItsMessage) {
    const FieldErrorCase& c = GetParam();
    platform_.reads.clear();
    Type(platform_, c.typed);
    page_.RunGridmaker();
    EXPECT_EQ(platform_.fieldErrors, c.marks);
    std::vector<Notice> expected;
    if (!c.message.empty()) expected.push_back({c.message, NoticeIcon::Error});
    EXPECT_EQ(platform_.notices, expected);
    EXPECT_EQ(Shown(platform_), c.shown);
    EXPECT_EQ(platform_.reads, (std::vector<int>{1009, 1010, 1011, 1012, 1013, 1014}));
    // The first field refused (the fields are read in the order of their IDs) gets the
    // focus; the smallest step is no one field's fault.
    EXPECT_EQ(platform_.focused,
              c.marks.empty() ? std::vector<int>{} : std::vector<int>{c.marks.begin()->first});
    EXPECT_FALSE(std::filesystem::exists(output_));
    EXPECT_TRUE(platform_.cursors.empty());
}

const std::string kLatMessage = "Error: Latitude outside valid range of -90° to +90°.";
const std::string kLonMessage = "Error: Longitude outside valid range of -360° to +360°.";
const std::string kDegreesHint =
    " is not a number.\nType decimal degrees (52.5 or 52,5) or degrees, minutes and seconds "
    "(52°30'00\").";

INSTANTIATE_TEST_SUITE_P(
    Fields, GridmakerFieldErrorTest,
    ::testing::Values(
        FieldErrorCase{
            "FirstLatitude",
            {"91", "5", "0", "20", "300", "600"},
            {{1009, kLatMessage}},
            "",
            {"91", "5.00000000", "0.00000000", "20.00000000", "300.00000000", "600.00000000"}},
        FieldErrorCase{
            "FirstLongitude",
            {"10", "-360.5", "0", "20", "300", "600"},
            {{1010, kLonMessage}},
            "",
            {"10.00000000", "-360.5", "0.00000000", "20.00000000", "300.00000000", "600.00000000"}},
        FieldErrorCase{"SecondLatitude",
                       {"10", "0", "-90.0001", "20", "300", "600"},
                       {{1011, kLatMessage}},
                       "",
                       {"10.00000000", "0.00000000", "-90.0001", "20.00000000", "300.00000000",
                        "600.00000000"}},
        FieldErrorCase{
            "SecondLongitude",
            {"10", "0", "0", "361", "300", "600"},
            {{1012, kLonMessage}},
            "",
            {"10.00000000", "0.00000000", "0.00000000", "361", "300.00000000", "600.00000000"}},
        FieldErrorCase{"HugeLatitude",
                       {std::string(300, '9'), "0", "0", "20", "300", "600"},
                       {{1009, kLatMessage}},
                       "",
                       {std::string(300, '9'), "0.00000000", "0.00000000", "20.00000000",
                        "300.00000000", "600.00000000"}},
        FieldErrorCase{
            "LatSpacing",
            {"10", "0", "0", "20", "-1", "600"},
            {{1013, "Error: Lat. spacing should be positive."}},
            "",
            {"10.00000000", "0.00000000", "0.00000000", "20.00000000", "-1", "600.00000000"}},
        FieldErrorCase{
            "LonSpacing",
            {"10", "0", "0", "20", "300", "-0.5"},
            {{1014, "Error: Lon. spacing should be positive."}},
            "",
            {"10.00000000", "0.00000000", "0.00000000", "20.00000000", "300.00000000", "-0.5"}},
        // The fault this pins: one box per field and round, the other faults found only later.
        FieldErrorCase{"SeveralAtOnce",
                       {"91", "abc", "0", "361", "300", "-1"},
                       {{1009, kLatMessage},
                        {1010, "Longitude 1: \"abc\"" + kDegreesHint},
                        {1012, kLonMessage},
                        {1014, "Error: Lon. spacing should be positive."}},
                       "",
                       {"91", "abc", "0.00000000", "361", "300.00000000", "-1"}},
        FieldErrorCase{"AllEmpty",
                       {"", "", "", "", "", ""},
                       {{1009, "Latitude 1: \"\"" + kDegreesHint},
                        {1010, "Longitude 1: \"\"" + kDegreesHint},
                        {1011, "Latitude 2: \"\"" + kDegreesHint},
                        {1012, "Longitude 2: \"\"" + kDegreesHint},
                        {1013,
                         "Lat. spacing: \"\" is not a number.\nType arc minutes as a "
                         "decimal number (2.5 or 2,5)."},
                        {1014,
                         "Lon. spacing: \"\" is not a number.\nType arc minutes as a "
                         "decimal number (2.5 or 2,5)."}},
                       "",
                       {"", "", "", "", "", ""}},
        FieldErrorCase{"ZeroLatSpacing",
                       {"10", "0", "0", "20", "0", "600"},
                       {},
                       "Error: Spacing not ok!",
                       {"10.00000000", "0.00000000", "0.00000000", "20.00000000", "0.00000000",
                        "600.00000000"}},
        // 0.0000005' is 8.3e-9 degrees, under the smallest step.
        FieldErrorCase{"TinyLonSpacing",
                       {"10", "0", "0", "20", "300", "0.0000005"},
                       {},
                       "Error: Spacing not ok!",
                       {"10.00000000", "0.00000000", "0.00000000", "20.00000000", "300.00000000",
                        "0.00000050"}}),
    [](const ::testing::TestParamInfo<FieldErrorCase>& p) { return std::string(p.param.name); });

TEST_F(GridmakerRealGridTest, CancelledSaveDialogKeepsThePath) {
    page_.BrowseOutputFile();  // no answer queued: cancelled
    EXPECT_EQ(page_.outputPath(), output_);
    EXPECT_EQ(platform_.Field(kOutputPath), output_);
    const std::string written = Run({"10", "0", "0", "20", "300", "600"});
    EXPECT_TRUE(test::MatchesGolden(written, "gridmaker/nine_lines_biquadratic.txt"));
    EXPECT_TRUE(platform_.notices.empty());
}

TEST(Gridmaker, DefaultOutputIsInTheWorkingDirectory) {
    REAL_GRID_OR_SKIP(path, kInternalGridName);
    test::ScratchFolder dir;
    const test::WorkingDirectory inside(dir.path());
    GeoidGrid grid;
    grid.path = path;
    FakePlatform platform;
    GridmakerPage page(platform);
    page.SetGrid(&grid);
    EXPECT_EQ(page.outputPath(), "Output.txt");
    EXPECT_EQ(page.method(), InterpolationMethod::BiQuadratic);
    EXPECT_EQ(platform.Field(kOutputPath), "");
    Type(platform, {"10", "0", "0", "20", "300", "600"});
    page.RunGridmaker();
    EXPECT_EQ(platform.Field(kOutputPath), "Output.txt");
    EXPECT_TRUE(test::MatchesGolden(test::ReadFile(dir.File("Output.txt")),
                                    "gridmaker/nine_lines_biquadratic.txt"));
}

TEST(Gridmaker, ViewStartsTheEditorWithoutWaiting) {
    FakePlatform platform;
    GridmakerPage page(platform);
    page.ViewOutputFile();
    platform.dialogAnswers.push_back("/tmp/some grid.txt");
    page.BrowseOutputFile();
    page.ViewOutputFile();
    EXPECT_EQ(platform.editors, (std::vector<test::EditorStart>{{"Output.txt", false},
                                                                {"/tmp/some grid.txt", false}}));
}

struct FormatPathCase {
    const char* chosen;  ///< the path the save dialog answered, "" for none
    int format;          ///< the picker's item
    const char* path;    ///< the output afterwards
    const char* dialog;  ///< the dialog Output-File then runs
};

TEST(Gridmaker, FormatChoiceRenamesOnlyTheDefaultOutputAndFiltersTheDialog) {
    const FormatPathCase cases[] = {
        {"", 3, "Output.png", "save-dialog PNG picture (*.png)"},
        {"", 2, "Output.asc", "save-dialog ESRI ASCII grid (*.asc)"},
        {"", 1, "Output.tif", "save-dialog GeoTIFF (*.tif *.tiff)"},
        {"", 0, "Output.txt", "save-dialog Text (*.txt *.xyz)"},
        // Every format the command line writes is offered.
        {"", 4, "Output.csv", "save-dialog CSV (*.csv)"},
        {"", 5, "Output.gtx", "save-dialog GTX vertical grid (*.gtx)"},
        {"/tmp/mine.txt", 3, "/tmp/mine.txt", "save-dialog PNG picture (*.png)"},
    };
    for (const FormatPathCase& c : cases) {
        FakePlatform platform;
        GridmakerPage page(platform);
        page.InitialiseGridmakerPage();
        page.SelectFormat(3);  // from another format's default, too
        if (*c.chosen != '\0') {
            platform.dialogAnswers.push_back(c.chosen);
            page.BrowseOutputFile();
        }
        page.SelectFormat(c.format);
        EXPECT_EQ(page.outputPath(), c.path) << c.format;
        EXPECT_EQ(page.format(), GridmakerFormats()[c.format]);
        page.BrowseOutputFile();
        EXPECT_EQ(platform.events.back(), c.dialog);
    }
}

TEST_F(GridmakerRealGridTest, ChosenFormatIsWrittenAndShowMapOpensTheWholeRunsLattice) {
    page_.InitialiseGridmakerPage();
    EXPECT_EQ(platform_.choices[kFormatChoice].items,
              (std::vector<std::string>{"Text", "GeoTIFF", "ESRI ASCII", "PNG", "CSV", "GTX"}));
    EXPECT_EQ(platform_.choices[kFormatChoice].selected, 0);
    EXPECT_FALSE(platform_.enabled[kShowMapButton]);

    page_.SelectFormat(3);
    const std::string bytes =
        Run({"10", "0", "0", "20", "60", "60"}, InterpolationMethod::BiLinear);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_TRUE(platform_.enabled[kShowMapButton]);
    page_.ShowMap();
    ASSERT_EQ(platform_.maps.size(), 1u);
    EXPECT_EQ(platform_.maps[0].title,
              "EGM2008 GEOID UNDULATION N [M]   0 TO 10N, 0 TO 20E, STEP 60' X 60'   GRID 10', "
              "BI-LINEAR");
    EXPECT_EQ(platform_.maps[0].width, 21);
    EXPECT_EQ(platform_.maps[0].height, 11);
    // Bi-linear at a node is the node: the map's first pixel is 10 N, 0 E.
    float node = 0.0f;
    SilentNotifier silent;
    ASSERT_EQ(LookupNearest(grid_, 10.0, 0.0, node, silent), QueryStatus::StatusOk);
    EXPECT_EQ(platform_.maps[0].first, node);

    // A cancelled run (asked at its first progress, after 4096 nodes) leaves no map to show.
    platform_.cancelRuns = true;
    Run({"10", "0", "0", "20", "5", "5"});
    EXPECT_FALSE(platform_.enabled[kShowMapButton]);
    page_.ShowMap();
    EXPECT_EQ(platform_.maps.size(), 1u);
}

TEST(Gridmaker, NullGridIsRefusedBeforeAnyField) {
    FakePlatform platform;
    GridmakerPage page(platform);
    Type(platform, {"10", "0", "0", "20", "300", "600"});
    page.RunGridmaker();
    EXPECT_EQ(platform.notices,
              (std::vector<Notice>{{"Error: Detected Nullpointer.", NoticeIcon::Error}}));
    EXPECT_TRUE(platform.reads.empty());
}

// Small grids: a 30 degree grid, every node 10 m but one.
class GridmakerSmallGridTest : public ::testing::Test {
protected:
    void MakeGrid(int row, int column, float value) {
        grid_ = test::WriteSmallGrid(dir_.File("grid"), 30.0, false, [=](int r, int c) {
            return r == row && c == column ? value : 10.0f;
        });
        page_.SetGrid(&grid_);
        platform_.dialogAnswers.push_back(output_);
        page_.BrowseOutputFile();
    }
    std::string Run(const SixFields& values, InterpolationMethod method) {
        Type(platform_, values);
        page_.SelectMethod(method);
        page_.RunGridmaker();
        return test::ReadFile(output_);
    }

    test::ScratchFolder dir_;
    GeoidGrid grid_;
    FakePlatform platform_;
    GridmakerPage page_{platform_};
    std::string output_ = dir_.File("out.txt");
};

// Rows 60, 30, 0 and columns 0, 30, 60, 90; the node (30 N, 90 E) holds 5000 m,
// which bi-linear, triangulation and nearest refuse (StatusOutside) for the nodes
// whose cells hold it: their lines carry 9999.999, not the 10 m of the node before.
TEST_F(GridmakerSmallGridTest, OutsideNodesCarryTheMarkerWithEveryMethod) {
    MakeGrid(2, 3, 5000.0f);
    for (InterpolationMethod method : kMethods) {
        const std::string written = Run({"60", "0", "0", "90", "1800", "1800"}, method);
        EXPECT_TRUE(test::MatchesGolden(
            written, std::string("gridmaker/small_outside_") + MethodName(method) + ".txt"));
        EXPECT_EQ(CountLines(written), 12u);
        if (method != InterpolationMethod::BiQuadratic) {
            EXPECT_NE(written.find(" 9999.999\r\n"), std::string::npos) << MethodName(method);
        }
    }
    EXPECT_TRUE(platform_.notices.empty());
}

// With bi-quadratic, the window of node (30 N, 60 E) holds -2000 m at (0, 90 E):
// the lattice stops there, after the six nodes before it. (The page then keeps
// the previous output: page_run_test.cpp.)
TEST_F(GridmakerSmallGridTest, WindowValueBelowLimitStopsTheRun) {
    MakeGrid(3, 3, -2000.0f);
    TextOutput output;
    ASSERT_TRUE(output.Open(output_));
    const LatticeOutcome outcome = Lattice(output, grid_, InterpolationMethod::BiQuadratic,
                                           AreaFromCorners(60, 0, 0, 90, 1800, 1800));
    ASSERT_TRUE(output.Close());
    EXPECT_EQ(outcome.end, LatticeEnd::StoppedAtError);
    EXPECT_EQ(outcome.stopLatitude, 30.0);
    EXPECT_EQ(outcome.stopLongitude, 60.0);
    const std::string written = test::ReadFile(output_);
    EXPECT_TRUE(test::MatchesGolden(written, "gridmaker/small_window_stop.txt"));
    EXPECT_EQ(CountLines(written), 6u);
}

TEST_F(GridmakerSmallGridTest, UnopenableGridIsToldBeforeTheOutputIsOpened) {
    MakeGrid(0, 0, 10.0f);
    grid_.path = dir_.File("no-such-grid");
    Run({"10", "-5", "0", "20", "300", "600"}, InterpolationMethod::BiLinear);
    EXPECT_FALSE(std::filesystem::exists(output_));
    const std::string openFailure = "\nGeoidfile \"" + grid_.path + "\" could not be opened!\n";
    EXPECT_EQ(platform_.notices, (std::vector<Notice>{{openFailure, NoticeIcon::Error}}));
    EXPECT_TRUE(platform_.cursors.empty());
}

TEST_F(GridmakerSmallGridTest, GridOfAnotherSizeIsToldOnce) {
    MakeGrid(0, 0, 10.0f);
    grid_.latSpacing = grid_.lonSpacing = 15.0;  // the file holds a 30 degree grid
    grid_.lastColumn = 23;
    Run({"10", "0", "0", "20", "300", "600"}, InterpolationMethod::NearestNeighbour);
    ASSERT_EQ(platform_.notices.size(), 1u);
    EXPECT_EQ(platform_.notices[0].text, GridMismatchMessage(grid_));
}

// The output must never be the grid file, whatever the spelling.
TEST_F(GridmakerSmallGridTest, OutputNamingTheGridIsRefused) {
    MakeGrid(0, 0, 10.0f);
    const std::string before = test::ReadFile(grid_.path);
    std::filesystem::create_directory(dir_.File("sub"));
    std::filesystem::create_symlink(grid_.path, dir_.File("link"));
    std::filesystem::create_hard_link(grid_.path, dir_.File("hard"));
    const std::string spellings[] = {grid_.path, dir_.File("sub/../grid"), dir_.File("link"),
                                     dir_.File("hard"), dir_.path() + "//./grid"};
    for (const std::string& spelling : spellings) {
        platform_.notices.clear();
        platform_.cursors.clear();
        platform_.fields[kOutputPath] = "before";
        platform_.dialogAnswers.push_back(spelling);
        page_.BrowseOutputFile();
        platform_.fields[kOutputPath] = "before";
        Run({"10", "0", "0", "20", "300", "600"}, InterpolationMethod::BiLinear);
        EXPECT_EQ(platform_.notices,
                  (std::vector<Notice>{{"\nOutputfile \"" + spelling +
                                            "\" is the geoid file in use and is not overwritten!\n",
                                        NoticeIcon::Error}}));
        EXPECT_EQ(platform_.Field(kOutputPath), "before");
        EXPECT_TRUE(platform_.cursors.empty());
        EXPECT_EQ(test::ReadFile(grid_.path), before) << spelling;
    }
    // The same grid relative to the working directory.
    const test::WorkingDirectory inside(dir_.path());
    grid_.path = "grid";
    platform_.notices.clear();
    platform_.dialogAnswers.push_back(dir_.File("grid"));
    page_.BrowseOutputFile();
    Run({"10", "0", "0", "20", "300", "600"}, InterpolationMethod::BiLinear);
    ASSERT_EQ(platform_.notices.size(), 1u);
    EXPECT_EQ(test::ReadFile(dir_.File("grid")), before);
}

TEST_F(GridmakerSmallGridTest, LongRunsCountTheirNodesOnTheMeter) {
    MakeGrid(0, 0, 10.0f);
    // 61 rows of 721 nodes at 10'.
    const std::string written =
        Run({"10", "0", "0", "120", "10", "10"}, InterpolationMethod::BiLinear);
    EXPECT_EQ(CountLines(written), 61u * 721u);
    EXPECT_EQ(platform_.meterTotal, 61 * 721);
    EXPECT_EQ(platform_.meterDone, 61 * 721);
}

TEST_F(GridmakerSmallGridTest, ProgressCallbackMayStopTheRun) {
    MakeGrid(0, 0, 10.0f);
    TextOutput output;
    ASSERT_TRUE(output.Open(output_));
    std::vector<std::uint64_t> calls;
    const LatticeOutcome outcome =
        Lattice(output, grid_, InterpolationMethod::BiLinear,
                AreaFromCorners(10, 0, 0, 120, 10, 10), [&calls](std::uint64_t nodes) {
                    calls.push_back(nodes);
                    return calls.size() < 2;
                });
    ASSERT_TRUE(output.Close());
    EXPECT_EQ(outcome.end, LatticeEnd::Cancelled);
    EXPECT_EQ(outcome.nodesWritten, 2 * kLatticeProgressInterval);
    EXPECT_EQ(calls, (std::vector<std::uint64_t>{4096, 8192}));
    EXPECT_EQ(CountLines(test::ReadFile(output_)), 8192u);
}

TEST_F(GridmakerSmallGridTest, StepsTooSmallForAWalkAreRefused) {
    MakeGrid(0, 0, 10.0f);
    const LatticeArea areas[] = {{10, 0, 0, 20, 0.0, 1.0},
                                 {10, 0, 0, 20, 1.0, 9e-9},
                                 {10, 0, 0, 20, NAN, 1.0},
                                 {10, 0, 0, 20, 1.0, -1.0}};
    for (const LatticeArea& area : areas) {
        TextOutput output;
        ASSERT_TRUE(output.Open(output_));
        const LatticeOutcome outcome = Lattice(output, grid_, InterpolationMethod::BiLinear, area);
        ASSERT_TRUE(output.Close());
        EXPECT_EQ(outcome.end, LatticeEnd::InvalidArea);
        EXPECT_EQ(outcome.nodesWritten, 0u);
        EXPECT_EQ(test::ReadFile(output_), "");
    }
    EXPECT_TRUE(platform_.notices.empty());
}

// Fault pinned: the page checked its lattice against the Text format whatever it wrote.
TEST_F(GridmakerSmallGridTest, ChosenFormatsLimitsAreChecked) {
    MakeGrid(0, 0, 10.0f);
    page_.SelectFormat(1);  // GeoTIFF
    Run({"10", "0", "10", "20", "60", "600"}, InterpolationMethod::BiLinear);
    ASSERT_EQ(platform_.notices.size(), 1u);
    EXPECT_EQ(platform_.notices[0].text.rfind(kLatticeTooSmallMessage, 0), 0u)
        << platform_.notices[0].text;
    EXPECT_FALSE(std::filesystem::exists(output_));
}

// An infinite spacing leaves only row 0 and column 0.
TEST_F(GridmakerSmallGridTest, HugeSpacingGivesOneNode) {
    MakeGrid(0, 0, 10.0f);
    const std::string huge = "1" + std::string(300, '0');
    const std::string written =
        Run({"10", "0", "0", "20", huge, huge}, InterpolationMethod::BiLinear);
    EXPECT_EQ(written, " 10.000000    0.000000   10.000\r\n");
    EXPECT_EQ(platform_.Field(kLatSpacing), FormatFieldNumber(1e300));
}

// The window and egm2008 grid share these checks; a NaN must not slip through one of them.
TEST(GridmakerChecks, RefuseNotANumberInEveryField) {
    const double nan = std::nan("");
    for (int k = 0; k < kGridmakerFields; ++k) {
        EXPECT_NE(GridmakerFieldCheck(static_cast<GridmakerField>(k), nan), nullptr) << k;
    }
}

struct LimitCase {
    const char* name;
    LatticeFormat format;
    double values[kGridmakerFields];  ///< by GridmakerField
    bool pageFormats;                 ///< the page's formats offered, not all
    const char* message;              ///< "" when the lattice passes
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class GridmakerLimitTest : public ::testing::TestWithParam<LimitCase> {};

// Fault pinned: a lattice too large for its format ran until the disk filled,
// and a GTX too small for PROJ was written.
TEST_P(GridmakerLimitTest, RefusesWhatTheFormatCannotHoldAndSaysWhatWould) {
    const LimitCase& c = GetParam();
    GridmakerRequest request;
    std::copy(std::begin(c.values), std::end(c.values), request.values);
    request.format = c.format;
    const GridmakerCheck check = c.pageFormats ? CheckGridmakerRequest(request, GridmakerFormats())
                                               : CheckGridmakerRequest(request);
    EXPECT_EQ(check.message, c.message);
    EXPECT_FALSE(check.fieldFailed);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, GridmakerLimitTest,
    ::testing::Values(
        // 65535 rows of 65537 nodes are 2^32 - 1; a column more is too many.
        LimitCase{"MostNodes", LatticeFormat::Csv, {0, 0, 65.534, 65.536, 0.06, 0.06}, false, ""},
        LimitCase{"OneColumnBeyond",
                  LatticeFormat::Xyz,
                  {0, 0, 65.534, 65.537, 0.06, 0.06},
                  false,
                  "Error: Too many rows or columns for the output format. The xyz format holds "
                  "at most 4294967295 nodes; this lattice has 65535 rows of 65538 nodes. Use a "
                  "larger spacing or a smaller area."},
        LimitCase{"GlobeAtAHundredthMinute",
                  LatticeFormat::Asc,
                  {-90, -180, 90, 180, 0.01, 0.01},
                  false,
                  "Error: Too many rows or columns for the output format. The asc format holds "
                  "at most 4294967295 nodes; this lattice has 1080001 rows of 2160001 nodes. Use a "
                  "larger spacing or a smaller area."},
        LimitCase{"AscHeaderHoldsInt32",
                  LatticeFormat::Asc,
                  {0, 0, 0, 360, 1, 0.00001},
                  false,
                  "Error: Too many rows or columns for the output format. The asc format holds "
                  "at most 2147483647 columns; this lattice has 1 row of 2160000001 nodes. Write "
                  "it as xyz or csv, or use a larger spacing or a smaller area."},
        LimitCase{"PngRowInMemory",
                  LatticeFormat::Png,
                  {0, 0, 0, 360, 1, 0.001},
                  true,
                  "Error: Too many rows or columns for the output format. The png format holds "
                  "at most 4194304 columns; this lattice has 1 row of 21600001 nodes. Write it as "
                  "xyz, csv or asc, or use a larger spacing or a smaller area."},
        LimitCase{"GtxOneRow",
                  LatticeFormat::Gtx,
                  {10, 0, 10, 20, 60, 600},
                  false,
                  "Error: Too few rows or columns for the output format. The gtx format needs at "
                  "least 2 rows and 2 columns; this lattice has 1 row of 3 nodes. Write it as xyz, "
                  "csv, asc or png, or use a larger area or a smaller spacing."},
        LimitCase{"GeotiffOneNodeOnThePage",
                  LatticeFormat::Geotiff,
                  {10, 0, 10, 0, 60, 60},
                  true,
                  "Error: Too few rows or columns for the output format. The geotiff format needs "
                  "at least 2 rows and 2 columns; this lattice has 1 row of 1 node. Write it as "
                  "xyz, csv, asc or png, or use a larger area or a smaller spacing."},
        LimitCase{"GtxTwoByTwo", LatticeFormat::Gtx, {10, 0, 9, 1, 60, 60}, false, ""}),
    [](const auto& p) { return std::string(p.param.name); });

struct NodeCountCase {
    const char* name;
    LatticeArea area;
    std::uint64_t nodes;
};

class LatticeNodeCountTest : public ::testing::TestWithParam<NodeCountCase> {};

// The progress total of egm2008 grid: the nodes the walk writes.
TEST_P(LatticeNodeCountTest, CountsTheWalk) {
    EXPECT_EQ(LatticeNodeCount(GetParam().area), GetParam().nodes);
}

INSTANTIATE_TEST_SUITE_P(
    Areas, LatticeNodeCountTest,
    ::testing::Values(NodeCountCase{"OneNode", {10, 10, 5, 5, 1, 1}, 1},
                      NodeCountCase{"EdgesReachedDespiteRounding", {0.9, 0, 0, 0.9, 0.3, 0.3}, 16},
                      NodeCountCase{"StepTooSmall", {1, 0, 0, 1, 1e-9, 1}, 0},
                      NodeCountCase{"BeyondSixtyFourBits", {90, -90, -360, 360, 1e-8, 1e-8}, 0}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace egm2008
