#include "tasks/heights/heights.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "point_file_fixtures.hpp"
#include "tasks/common/line_reader.hpp"
#include "tasks/heights/heights_preview.hpp"
#include "tasks/messages.hpp"
#include "tests/support/fake_platform.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

// Every node of this grid is 47.25 m, so N is 47.25 m at every point.
GeoidGrid Grid() { return test::ConstantGrid(47.25f); }

struct Converted {
    HeightsOutcome outcome;
    std::string output;
};

// Converts `input` read from a regular file or, `throughPipe`, from a live stream.
Converted Convert(const std::string& input, const HeightsOptions& options, bool throughPipe = false,
                  const GeoidGrid& grid = Grid()) {
    test::ScratchFolder folder;
    test::WriteFile(folder.File("in"), input);
    PointFileInput in;
    int ends[2] = {-1, -1};
    std::thread feeder;
    if (throughPipe) {
        EXPECT_EQ(::pipe(ends), 0);
        in.Attach(ends[0]);
        feeder = std::thread([&input, end = ends[1]] {
            EXPECT_EQ(::write(end, input.data(), input.size()), ssize_t(input.size()));
            ::close(end);
        });
    } else {
        EXPECT_TRUE(in.Open(folder.File("in")));
    }
    TextOutput out;
    EXPECT_TRUE(out.Open(folder.File("out")));
    test::FakePlatform platform;
    MappedGrid mapped;
    mapped.Map(grid, platform);
    Converted result;
    result.outcome = RunHeights(in, out, grid, mapped, options);
    if (feeder.joinable()) feeder.join();
    if (throughPipe) ::close(ends[0]);
    result.output = test::ReadFile(folder.File("out"));
    return result;
}

HeightsOptions Options(HeightTarget target, HeightUnit unit = HeightUnit::Metre) {
    HeightsOptions options;
    options.target = target;
    options.unit = unit;
    return options;
}

struct LineCase {
    const char* name;
    std::string input;
    HeightsOptions options;
    std::string output;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class HeightsLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(HeightsLines, WritesEveryLineWithItsNewFields) {
    const LineCase& c = GetParam();
    const Converted got = Convert(c.input, c.options);
    EXPECT_EQ(got.output, c.output);
    EXPECT_TRUE(got.outcome.allComputed());
}

HeightsOptions DecimalComma(HeightTarget target) {
    HeightsOptions options = Options(target);
    options.decimalMark = DecimalMark::Comma;
    return options;
}

HeightsOptions Replacing(HeightTarget target) {
    HeightsOptions options = Options(target);
    options.replace = true;
    return options;
}

// N in feet is 47.25 / 0.3048 = 155.019685; in US survey feet 47.25 * 3937 / 1200 = 155.019375.
INSTANTIATE_TEST_SUITE_P(
    Conversions, HeightsLines,
    ::testing::Values(
        LineCase{"HeaderToOrthometricCrLf", "id,Lat,Lon,h,code\r\n7,48.5,11.25,100,TP\r\n",
                 Options(HeightTarget::Orthometric),
                 "id,Lat,Lon,h,code,N_EGM2008,H\r\n7,48.5,11.25,100,TP,47.250,52.750\r\n"},
        LineCase{"FeetToOrthometric", "48.5 11.25 100\n",
                 Options(HeightTarget::Orthometric, HeightUnit::Foot),
                 "48.5 11.25 100 155.020 -55.020\n"},
        LineCase{"SurveyFeetToEllipsoidal", "48.5\t-11.25\t10\n",
                 Options(HeightTarget::Ellipsoidal, HeightUnit::UsSurveyFoot),
                 "48.5\t-11.25\t10\t155.019\t165.019\n"},
        LineCase{"UndulationOnlyKeepsBomCommentsAndBlanks",
                 "\xEF\xBB\xBF# survey\n\nlat lon\n// note\n48.5 11.25\n",
                 Options(HeightTarget::None),
                 "\xEF\xBB\xBF# survey\n\nlat lon N_EGM2008\n// note\n48.5 11.25 47.250\n"},
        LineCase{"SemicolonsWithDecimalComma", "48,5;11,25;100,5\n",
                 DecimalComma(HeightTarget::Orthometric), "48,5;11,25;100,5;47,250;53,250\n"},
        LineCase{"QuotedFieldsGetQuotedNewFields", "\"48,5\",\"11,25\",\"1\"\n",
                 DecimalComma(HeightTarget::Orthometric),
                 "\"48,5\",\"11,25\",\"1\",\"47,250\",\"-46,250\"\n"},
        LineCase{"ReplaceWritesIntoTheHeightField", "lat,lon,h,code\n48.5,11.25,100,\"a,b\"\n",
                 Replacing(HeightTarget::Orthometric),
                 "lat,lon,H,code,N_EGM2008\n48.5,11.25,52.750,\"a,b\",47.250\n"},
        LineCase{"DegreesMinutesSecondsAndHemispheres",
                 "48d30m15.5s,11:15:00W,10\nS 33 52,151.2E,10\n",
                 Options(HeightTarget::Orthometric),
                 "48d30m15.5s,11:15:00W,10,47.250,-37.250\nS 33 52,151.2E,10,47.250,-37.250\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Heights, LinesThatCannotBeReadGetEmptyFieldsAndAreNamed) {
    const Converted got = Convert("lat,lon,h\n48x30N,11,1\n95,11,1\n48,11,x\n48,11\n48,11,2\n",
                                  Options(HeightTarget::Orthometric));
    EXPECT_EQ(got.output,
              "lat,lon,h,N_EGM2008,H\n48x30N,11,1,,\n95,11,1,,\n48,11,x,,\n48,11,,,\n"
              "48,11,2,47.250,-45.250\n");
    EXPECT_EQ(got.outcome.computed, 1);
    EXPECT_EQ(got.outcome.unreadable, 4);
    EXPECT_FALSE(got.outcome.allComputed());
    std::vector<std::string> problems;
    for (const auto& problem : got.outcome.problems)
        problems.push_back(HeightsProblemText(problem));
    EXPECT_EQ(problems,
              (std::vector<std::string>{
                  "line 2: latitude \"48x30N\" is not a coordinate",
                  "line 3: latitude \"95\" is not a coordinate (outside -90 to 90)",
                  "line 4: height \"x\" is not a number", "line 5: no height (column 3)"}));
}

// Files as a new user's tools write them: what comes out and which lines are named.
struct FileCase {
    const char* name;
    std::string input;
    HeightsOptions options;
    std::string output;
    std::vector<std::string> problems;
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class HeightsFiles : public ::testing::TestWithParam<FileCase> {};

TEST_P(HeightsFiles, KeepEveryLineInItsColumns) {
    const FileCase& c = GetParam();
    const Converted got = Convert(c.input, c.options);
    EXPECT_EQ(got.output, c.output);
    std::vector<std::string> problems;
    for (const auto& problem : got.outcome.problems)
        problems.push_back(HeightsProblemText(problem));
    EXPECT_EQ(problems, c.problems);
    EXPECT_EQ(got.outcome.unreadable, static_cast<std::int64_t>(c.problems.size()));
    EXPECT_TRUE(got.outcome.completed()) << got.outcome.layoutError;
}

HeightsOptions ReplacingTo(HeightTarget target, std::optional<int> decimals) {
    HeightsOptions options = Replacing(target);
    options.decimals = decimals;
    return options;
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeightsFiles,
    ::testing::Values(
        // A short line once had N under "code" and H under "N_EGM2008".
        FileCase{"ShortLinePaddedToTheHeader",
                 "lat,lon,h,code\n48.6,11.3,510\n",
                 Options(HeightTarget::Orthometric),
                 "lat,lon,h,code,N_EGM2008,H\n48.6,11.3,510,,47.250,462.750\n",
                 {}},
        FileCase{"ShortBlankLinePaddedWithQuotes",
                 "lat lon h code\n48.6 11.3 510\n",
                 Options(HeightTarget::None),
                 "lat lon h code N_EGM2008\n48.6 11.3 510 \"\" 47.250\n",
                 {}},
        // A longer line or a trailing delimiter once shifted the new fields.
        FileCase{"LongerLineUnreadable",
                 "lat,lon,h\n48.6,11.3,510,\n1,2,3\n4,5\n",
                 Options(HeightTarget::None),
                 "lat,lon,h,N_EGM2008\n48.6,11.3,510,,\n1,2,3,47.250\n4,5,,47.250\n",
                 {"line 2: the line has 4 fields, more than the header's 3"}},
        // Decimal commas split by a comma delimiter were once read as other numbers.
        FileCase{"DecimalCommaUnquotedInCommaFile",
                 "lat,lon\n48,5,11,25\n\"48,5\",\"11,25\"\n48,11\n",
                 DecimalComma(HeightTarget::None),
                 "lat,lon,N_EGM2008\n48,5,11,25,\n\"48,5\",\"11,25\",\"47,250\"\n48,11,\n",
                 {"line 2: the line has 4 fields, more than the header's 2",
                  "line 4: the numbers are not quoted, and the comma both delimits the fields "
                  "and marks the decimals"}},
        // A file with CR-only line ends was once one header line.
        FileCase{"CrOnlyAndMixedLineEndsKept",
                 "lat,lon\r48.5,11.25\r\n48.5,11.25\n48.5,11.25\r",
                 Options(HeightTarget::None),
                 "lat,lon,N_EGM2008\r48.5,11.25,47.250\r\n48.5,11.25,47.250\n"
                 "48.5,11.25,47.250\r",
                 {}},
        // A longitude of any size was once wrapped into 0..360.
        FileCase{"LongitudeBeyond360Unreadable",
                 "45,123456789\n45,-360\n45,360\n45,-360.5\n",
                 Options(HeightTarget::None),
                 "45,123456789,\n45,-360,47.250\n45,360,47.250\n45,-360.5,\n",
                 {"line 1: longitude \"123456789\" is not a coordinate (outside -360 to 360)",
                  "line 4: longitude \"-360.5\" is not a coordinate (outside -360 to 360)"}},
        // A quoted line break once got the new values written inside the quotes.
        FileCase{"QuotedLineBreakOneRecord",
                 "lat,lon,note\r\n48.5,11.25,\"a\r\nb\"\r\n9x,1,\"c\nd\"\r\n48.5,11.25,\"\"\n",
                 Options(HeightTarget::None),
                 "lat,lon,note,N_EGM2008\r\n48.5,11.25,\"a\r\nb\",47.250\r\n9x,1,\"c\nd\","
                 "\r\n48.5,11.25,\"\",47.250\n",
                 {"line 4: latitude \"9x\" is not a coordinate"}},
        // --replace once emptied the height of a line it could not convert.
        FileCase{"ReplaceKeepsUnconvertedLinesAndOwnDecimals",
                 "lat,lon,h,c,\n95,11.25,,b,\n48,11,500.123456,c,\n48,11,500,c,\n",
                 ReplacingTo(HeightTarget::Orthometric, std::nullopt),
                 "lat,lon,H,c,,N_EGM2008\n95,11.25,,b,,\n48,11,452.873456,c,,47.250\n"
                 "48,11,452.750,c,,47.250\n",
                 {"line 2: height \"\" is not a number"}},
        // A height quoted across a line break was once read, and --replace wrote over the
        // line break with it.
        FileCase{"HeightAcrossALineBreakIsNoNumber",
                 "lat,lon,h\n48,11,\"\n\"500\n48,11,\"500\n\"\n",
                 ReplacingTo(HeightTarget::Orthometric, std::nullopt),
                 "lat,lon,H,N_EGM2008\n48,11,\"\n\"500,\n48,11,\"500\n\",\n",
                 {"line 2: height \"\n500\" is not a number",
                  "line 4: height \"500\n\" is not a number"}},
        FileCase{"ReplaceWithChosenDecimals",
                 "lat,lon,h\n48,11,500.123456\n",
                 ReplacingTo(HeightTarget::Orthometric, 1),
                 "lat,lon,H,N_EGM2008\n48,11,452.9,47.2\n",
                 {}},
        // Fed its own output, --to ellipsoidal once converted "h" again.
        FileCase{"OwnOutputToEllipsoidalReadsH",
                 "lat,lon,h,N_EGM2008,H\n48,11,500,47.250,452.750\n",
                 Options(HeightTarget::Ellipsoidal),
                 "lat,lon,h,N_EGM2008,H,N_EGM2008,h\n48,11,500,47.250,452.750,47.250,500.000\n",
                 {}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Heights, PointsTheGridCannotAnswerGetEmptyFieldsAndAreNamed) {
    // Bi-quadratic windows around a node below -1000 m fail.
    test::ScratchFolder folder;
    const GeoidGrid grid = test::WriteSmallGrid(folder.File("grid"), 30.0, false, [](int r, int c) {
        return r == 3 && c == 5 ? -1500.0f : 10.0f;
    });
    const Converted got =
        Convert("0,150,5\n60,20,5\n", Options(HeightTarget::Orthometric), false, grid);
    EXPECT_EQ(got.output, "0,150,5,,\n60,20,5,10.000,-5.000\n");
    EXPECT_EQ(got.outcome.failed, 1);
    ASSERT_EQ(got.outcome.problems.size(), 1u);
    EXPECT_EQ(HeightsProblemText(got.outcome.problems[0]),
              "line 1: no undulation at latitude \"0\", longitude \"150\"");
}

TEST(Heights, ARefusedLayoutWritesNothing) {
    for (const char* input : {"# only one field\n48.5\n", "lat,lon\n48.5,11.25\n"}) {
        const Converted got = Convert(input, Options(HeightTarget::Orthometric));
        EXPECT_FALSE(got.outcome.layoutError.empty()) << input;
        EXPECT_EQ(got.output, "") << input;
    }
}

// A GeoTIFF given to `egm2008 heights` by mistake: refused before anything is written,
// by its first line's bytes or by those before it within the first 4096.
TEST(Heights, AFileThatIsNotTextIsRefused) {
    const char tiff[] = "II*\0\x08\0\0\0,48.5,11.25\n48.5,11.25\n";
    const char afterComments[] = "# a\n\n\x01\x02,48.5,11.25\n";
    for (const std::string& input : {std::string(tiff, sizeof tiff - 1),
                                     std::string(afterComments, sizeof afterComments - 1)}) {
        const Converted got = Convert(input, Options(HeightTarget::None));
        EXPECT_EQ(got.outcome.layoutError, kNotATextFileMessage);
        EXPECT_EQ(got.output, "");
    }
    // Beyond the first 4096 bytes a control byte is the line's own problem, not the file's.
    const std::string late =
        "lat,lon\n" + std::string(kTextProbeBytes, '#') + "\n48.5,11.25\x01\n48.5,11.25\n";
    EXPECT_TRUE(Convert(late, Options(HeightTarget::None)).outcome.layoutError.empty());
}

TEST(Heights, OverlongLinesAreCopiedAsReadAndAnOverlongHeaderIsRefused) {
    const std::string longText(2 * kMaxLineLength, '1');
    const Converted data = Convert("lat,lon\r\n48,1" + longText + "\r\n#" + longText + "\r48,11\n",
                                   Options(HeightTarget::None));
    EXPECT_EQ(data.output,
              "lat,lon,N_EGM2008\r\n48,1" + longText + "\r\n#" + longText + "\r48,11,47.250\n");
    ASSERT_EQ(data.outcome.problems.size(), 1u);
    EXPECT_EQ(HeightsProblemText(data.outcome.problems[0]),
              "line 2: the line is longer than 1048576 characters");
    EXPECT_EQ(data.outcome.computed, 1);

    // A header too long to read was once skipped and the next line taken for the first.
    const Converted header = Convert("lat,lon" + longText + "\n48,11\n", {});
    EXPECT_EQ(header.outcome.layoutError,
              "Error: The first data line is longer than 1048576 characters.");
    EXPECT_EQ(header.output, "");
}

TEST(Heights, CommentSaysWhatMadeTheValuesBeforeTheFirstLine) {
    HeightsOptions options = Options(HeightTarget::Orthometric);
    options.comment = true;
    options.method = InterpolationMethod::BiLinear;
    const std::string output = Convert(
                                   "\xEF\xBB\xBF"
                                   "48.5,11.25,1\r\n",
                                   options)
                                   .output;
    const std::string name = std::filesystem::path(Grid().path).filename().string();
    EXPECT_EQ(output, "\xEF\xBB\xBF# N: EGM2008, 10' grid " + name +
                          ", bi-linear; H = h - N\r\n48.5,11.25,1,47.250,-46.250\r\n");
}

TEST(Heights, ManyLinesComeOutInOrderFromBatchesAndFromALiveStream) {
    std::string input = "lat,lon,h\n";
    std::string expected = "lat,lon,h,N_EGM2008,H\n";
    for (int k = 0; k < 20000; ++k) {
        const std::string h = std::to_string(k);
        input += k == 15000 ? "bad,1," + h + "\n" : "1,2," + h + "\n";
        expected += k == 15000 ? "bad,1," + h + ",,\n"
                               : "1,2," + h + ",47.250," + FormatFixed(k - 47.25, 3) + "\n";
    }
    for (const bool pipe : {false, true}) {
        const Converted got = Convert(input, Options(HeightTarget::Orthometric), pipe);
        EXPECT_EQ(got.output, expected);
        ASSERT_EQ(got.outcome.problems.size(), 1u);
        EXPECT_EQ(got.outcome.problems[0].line, 15002);
    }
}

// Between two models: the run's grid is 47.25 m everywhere, the other one 56 m, so
// H_to = H + 47.25 - 56 = H - 8.75 (both grids are EGM2008's layout: both N columns
// are named after EGM2008).
struct ShiftCase {
    const char* name;
    std::string input;
    HeightsOptions options;
    bool toMapped;  // false: the second grid cannot be read, and no line is computed
    std::string output;
    std::int64_t computed;
};

void PrintTo(const ShiftCase& c, std::ostream* os) { *os << c.name; }

class HeightsBetweenModels : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(HeightsBetweenModels, TakesOrthometricHeightsToTheOtherGeoid) {
    const ShiftCase& c = GetParam();
    test::ScratchFolder folder;
    test::WriteFile(folder.File("in"), c.input);
    PointFileInput in;
    ASSERT_TRUE(in.Open(folder.File("in")));
    TextOutput out;
    ASSERT_TRUE(out.Open(folder.File("out")));
    test::FakePlatform platform;
    const GeoidGrid from = Grid();
    const GeoidGrid to = test::ConstantGrid(56.0f);
    MappedGrid fromMapped;
    MappedGrid toMapped;
    fromMapped.Map(from, platform);
    if (c.toMapped) toMapped.Map(to, platform);
    const HeightsOutcome outcome =
        RunHeights(in, out, from, fromMapped, c.options, {}, {}, TargetModel{&to, &toMapped});
    EXPECT_EQ(test::ReadFile(folder.File("out")), c.output);
    EXPECT_EQ(outcome.computed, c.computed);
    EXPECT_EQ(outcome.gridOpened, c.toMapped);
}

HeightsOptions ShiftOptions(bool replace = false, bool comment = false) {
    HeightsOptions options;
    options.target = HeightTarget::Ellipsoidal;  // not read between two models
    options.replace = replace;
    options.comment = comment;
    return options;
}

INSTANTIATE_TEST_SUITE_P(
    Shifts, HeightsBetweenModels,
    ::testing::Values(
        // The orthometric column "H" is chosen over "h", though the target says ellipsoidal.
        ShiftCase{"BothUndulationsThenTheHeight", "lat,lon,h,H\n48.5,11.25,1,100\n", ShiftOptions(),
                  true,
                  "lat,lon,h,H,N_EGM2008,N_EGM2008,H_EGM2008\n48.5,11.25,1,100,47.250,56.000,"
                  "91.250\n",
                  1},
        ShiftCase{"ReplacedHeightKeepsItsDecimals", "lat,lon,H\n48.5,11.25,100.12345\n",
                  ShiftOptions(true), true,
                  "lat,lon,H_EGM2008,N_EGM2008,N_EGM2008\n48.5,11.25,91.37345,47.250,56.000\n", 1},
        ShiftCase{"UnreadableLineKeepsItsText", "1,2,x\n3,4,5\n", ShiftOptions(), true,
                  "1,2,x,,,\n3,4,5,47.250,56.000,-3.750\n", 1},
        // Regression guard: a line must not be computed with the first grid alone.
        ShiftCase{"SecondGridUnreadableFailsEveryLine", "lat,lon,H\n48.5,11.25,100\n",
                  ShiftOptions(), false,
                  "lat,lon,H,N_EGM2008,N_EGM2008,H_EGM2008\n48.5,11.25,100,,,\n", 0}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Heights, CommentBetweenModelsNamesBothGridsAndTheFormula) {
    GeoidGrid from = Grid();
    from.path = "/x/egm96.grd";
    from.model = GeoidModel::Egm96;
    GeoidGrid to = Grid();
    to.path = "/x/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree";
    to.gridSize = GridSize::Grid2_5x2_5;
    EXPECT_EQ(ProvenanceComment(from, InterpolationMethod::BiLinear, HeightTarget::None,
                                TideSystem::TideFree, &to),
              "# N_EGM96: EGM96, 15' grid egm96.grd; N_EGM2008: EGM2008, 2.5' grid "
              "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree; bi-linear; H_EGM2008 = H_EGM96 + "
              "N_EGM96 - N_EGM2008");
    // One model: its own name, and its spacing rather than an EGM2008 size.
    EXPECT_EQ(ProvenanceComment(from, InterpolationMethod::BiLinear, HeightTarget::Orthometric),
              "# N: EGM96, 15' grid egm96.grd, bi-linear; H = h - N");
}

}  // namespace
}  // namespace egm2008
