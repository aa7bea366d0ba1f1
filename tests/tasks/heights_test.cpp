#include "tasks/heights.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "point_file_fixtures.hpp"
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
              "lat,lon,h,N_EGM2008,H\n48x30N,11,1,,\n95,11,1,,\n48,11,x,,\n48,11,,\n"
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

}  // namespace
}  // namespace egm2008
