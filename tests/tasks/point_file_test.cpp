#include "tasks/points/point_file.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "engine/query_routines.hpp"
#include "tests/support/byte_compare.hpp"
#include "tests/support/fake_platform.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/scratch_folder.hpp"
#include "point_file_fixtures.hpp"

namespace egm2008 {
namespace {

using test::AwaitLine;
using test::ConstantGrid;
using test::FakePlatform;
using test::Notice;
using test::ReadFile;
using test::SameBytes;
using test::ScratchFolder;
using test::TestData;
using test::WriteFile;

struct RunResult {
    PointFileOutcome outcome;
    std::string output;
    std::vector<Notice> notices;
    std::vector<std::int64_t> progress;
};

// Runs `input` from a regular file, or, `throughPipe`, from a pipe (a live stream).
RunResult RunFile(const std::string& input, PointFileLayout layout, const GeoidGrid& grid,
                  InterpolationMethod method = InterpolationMethod::BiQuadratic,
                  bool throughPipe = false) {
    ScratchFolder folder;
    WriteFile(folder.File("in"), input);
    PointFileInput in;
    int pipeEnds[2] = {-1, -1};
    std::thread feeder;
    if (throughPipe) {
        EXPECT_EQ(::pipe(pipeEnds), 0);
        in.Attach(pipeEnds[0]);
        feeder = std::thread([&input, writeEnd = pipeEnds[1]] {
            EXPECT_EQ(::write(writeEnd, input.data(), input.size()),
                      static_cast<ssize_t>(input.size()));
            ::close(writeEnd);
        });
    } else {
        EXPECT_TRUE(in.Open(folder.File("in")));
    }
    TextOutput out;
    EXPECT_TRUE(out.Open(folder.File("out")));
    FakePlatform platform;
    MappedGrid mapped;
    mapped.Map(grid, platform);
    RunResult result;
    result.outcome = RunPointFile(in, out, grid, mapped, layout, method,
                                  [&](std::int64_t n) { result.progress.push_back(n); });
    if (feeder.joinable()) feeder.join();
    if (throughPipe) ::close(pipeEnds[0]);
    result.output = ReadFile(folder.File("out"));
    result.notices = platform.notices;
    return result;
}

// ---- one line at a time ----------------------------------------------------

struct Query {
    float undulation = 47.123f;
    QueryStatus status = QueryStatus::StatusOk;
    std::vector<std::pair<double, double>> points;
    UndulationQuery Function() {
        return [this](double latitude, double longitude, float& result) {
            points.emplace_back(latitude, longitude);
            result = undulation;
            return status;
        };
    }
};

struct LineCase {
    const char* name;
    PointFileLayout layout;
    std::string line;
    QueryStatus status;
    LineOutcome outcome;
    std::string written;
    std::vector<std::pair<double, double>> queried;
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class PointLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(PointLine, YieldsItsOutputLine) {
    const LineCase& c = GetParam();
    Query query;
    query.status = c.status;
    std::string out = "before\r\n";
    EXPECT_EQ(HandlePointLine(c.line, c.layout, query.Function(), out), c.outcome);
    EXPECT_EQ(out, "before\r\n" + c.written);
    EXPECT_EQ(query.points, c.queried);
}

constexpr auto kOk = QueryStatus::StatusOk;
constexpr auto kOutside = QueryStatus::StatusOutside;
using L = PointFileLayout;
using O = LineOutcome;

INSTANTIATE_TEST_SUITE_P(
    Cases, PointLine,
    ::testing::Values(
        LineCase{"LatLon",
                 L::LatLon,
                 "48.5 11.25\n",
                 kOk,
                 O::Computed,
                 " 48.500000   11.250000   47.123\r\n",
                 {{48.5, 11.25}}},
        LineCase{"LatLonFailed",
                 L::LatLon,
                 "48.5 11.25\n",
                 kOutside,
                 O::Failed,
                 " 48.500000   11.250000 999.999\r\n",
                 {{48.5, 11.25}}},
        LineCase{"LonLatKeepsTheWestLongitude",
                 L::LonLat,
                 "-70.5 -33.25\n",
                 kOk,
                 O::Computed,
                 "-70.500000  -33.250000   47.123\r\n",
                 {{-33.25, 289.5}}},
        LineCase{"PtNumberLatLon",
                 L::PtNumberLatLon,
                 "P17 48.5 11.25\n",
                 kOk,
                 O::Computed,
                 "P17  48.500000   11.250000   47.123\r\n",
                 {{48.5, 11.25}}},
        LineCase{"PtNumberLonLat",
                 L::PtNumberLonLat,
                 "P17 11.25 48.5\n",
                 kOk,
                 O::Computed,
                 "P17  11.250000   48.500000   47.123\r\n",
                 {{48.5, 11.25}}},
        LineCase{"FieldsAfterIgnored",
                 L::LatLon,
                 " \t48.5\t\t11.25 512.3 x\n",
                 kOk,
                 O::Computed,
                 " 48.500000   11.250000   47.123\r\n",
                 {{48.5, 11.25}}},
        LineCase{"ShiftedTwiceBelowMinus360",
                 L::LatLon,
                 "10.0 -400.0\n",
                 kOk,
                 O::Computed,
                 " 10.000000 -400.000000   47.123\r\n",
                 {{10.0, -40.0}}},
        LineCase{"ScanTakesHexAndExponents",
                 L::LatLon,
                 "0x30 1.125e1\n",
                 kOk,
                 O::Computed,
                 " 48.000000   11.250000   47.123\r\n",
                 {{48.0, 11.25}}},
        // Fault pinned: lines of 10 characters or fewer vanished without a word.
        LineCase{"ShortLineComputed",
                 L::LatLon,
                 "48 11\n",
                 kOk,
                 O::Computed,
                 " 48.000000   11.000000   47.123\r\n",
                 {{48.0, 11.0}}},
        LineCase{"ShortWithoutLineEndComputed",
                 L::LatLon,
                 "0 0",
                 kOk,
                 O::Computed,
                 "  0.000000    0.000000   47.123\r\n",
                 {{0.0, 0.0}}},
        LineCase{"ShortNumberedComputed",
                 L::PtNumberLatLon,
                 "1 -90 0\n",
                 kOk,
                 O::Computed,
                 "1 -90.000000    0.000000   47.123\r\n",
                 {{-90.0, 0.0}}},
        LineCase{"ShortWordCopied", L::LatLon, "48\n", kOk, O::Unreadable, "48\r\n", {}},
        LineCase{"BlankLineSkipped", L::LatLon, " \t\n", kOk, O::Skipped, "", {}},
        LineCase{"ElevenWithoutLineEndComputed",
                 L::LatLon,
                 "48.0 11.000",
                 kOk,
                 O::Computed,
                 " 48.000000   11.000000   47.123\r\n",
                 {{48.0, 11.0}}},
        LineCase{"HeaderCopied",
                 L::LatLon,
                 "Latitude Longitude\n",
                 kOk,
                 O::Unreadable,
                 "Latitude Longitude\r\n",
                 {}},
        LineCase{
            "CommaCopied", L::LatLon, "48.5,11.25\n", kOk, O::Unreadable, "48.5,11.25\r\n", {}},
        LineCase{"OneNumberCopiedWithoutLineEnd",
                 L::PtNumberLatLon,
                 "P18 48.5000",
                 kOk,
                 O::Unreadable,
                 "P18 48.5000",
                 {}},
        LineCase{"BlanksSkipped", L::PtNumberLonLat, "            \n", kOk, O::Skipped, "", {}},
        LineCase{"GgaRewritten",
                 L::GgaFromGps,
                 "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031*76\n",
                 kOk,
                 O::Computed,
                 "$GPGGA,123519.50,4807.0380000,N,01131.0000000,E,2,09,0.90,545.1770,M,47.1230,"
                 "M,1.5,0031*7B\r\n",
                 {{48 + 7.038 / 60.0, 11 + 31.0 / 60.0}}},
        LineCase{
            "GgaQueryFailedCopied",
            L::GgaFromGps,
            "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031*76\n",
            kOutside,
            O::Failed,
            "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031*76\r\n",
            {{48 + 7.038 / 60.0, 11 + 31.0 / 60.0}}},
        LineCase{"OtherSentencePassed",
                 L::GgaFromGps,
                 "$GPGSA,A,3,04,05,,09\n",
                 kOk,
                 O::Passed,
                 "$GPGSA,A,3,04,05,,09\r\n",
                 {}},
        LineCase{
            "ShortSentencePassed", L::GgaFromGps, "$GPGSA,A\n", kOk, O::Passed, "$GPGSA,A\r\n", {}},
        LineCase{"BlankLinePassed", L::GgaFromGps, "\n", kOk, O::Passed, "\r\n", {}},
        LineCase{"GgaSentenceWithoutFixCopied",
                 L::GgaFromGps,
                 "$GPGGA,,,,,,0,00,99.99,,,,,,*48\n",
                 kOk,
                 O::Copied,
                 "$GPGGA,,,,,,0,00,99.99,,,,,,*48\r\n",
                 {}}),
    [](const ::testing::TestParamInfo<LineCase>& p) { return std::string(p.param.name); });

// ---- whole files against their golden output --------------------------------

struct GoldenCase {
    const char* name;  // tests/data/point_file/<name>.in and .out
    PointFileLayout layout;
    float undulation;
    std::int64_t computed, failed, unreadable, copied;
};
void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

// The third parameter reads the input through a pipe: a live stream's lines
// are handled one by one and must give the same bytes as the batched run.
class PointFileGolden
    : public ::testing::TestWithParam<std::tuple<GoldenCase, InterpolationMethod, bool>> {};

TEST_P(PointFileGolden, MatchesByteForByte) {
    const auto& [c, method, throughPipe] = GetParam();
    const std::string input = ReadFile(TestData("point_file/" + std::string(c.name) + ".in"));
    const std::string expected = ReadFile(TestData("point_file/" + std::string(c.name) + ".out"));
    ASSERT_FALSE(expected.empty()) << "missing golden file for " << c.name;
    const RunResult r = RunFile(input, c.layout, ConstantGrid(c.undulation), method, throughPipe);
    EXPECT_TRUE(SameBytes(expected, r.output));
    EXPECT_TRUE(r.outcome.completed());
    EXPECT_TRUE(r.outcome.gridOpened);
    EXPECT_EQ(r.outcome.computed, c.computed);
    EXPECT_EQ(r.outcome.failed, c.failed);
    EXPECT_EQ(r.outcome.unreadable, c.unreadable);
    EXPECT_EQ(r.outcome.copied, c.copied);
    EXPECT_TRUE(r.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, PointFileGolden,
    ::testing::Combine(
        ::testing::Values(GoldenCase{"lat_lon", L::LatLon, 47.25f, 7, 1, 2, 0},
                          GoldenCase{"lon_lat", L::LonLat, 47.25f, 3, 1, 1, 0},
                          GoldenCase{"pt_lat_lon", L::PtNumberLatLon, 47.25f, 4, 1, 2, 0},
                          GoldenCase{"pt_lon_lat", L::PtNumberLonLat, 47.25f, 3, 1, 0, 0},
                          GoldenCase{"gga_56", L::GgaFromGps, 56.0f, 3, 1, 0, 2},
                          GoldenCase{"gga_47_25", L::GgaFromGps, 47.25f, 5, 0, 0, 2}),
        ::testing::Values(InterpolationMethod::BiQuadratic, InterpolationMethod::BiLinear,
                          InterpolationMethod::Triangulation,
                          InterpolationMethod::NearestNeighbour),
        ::testing::Bool()),
    [](const auto& p) {
        return std::string(std::get<0>(p.param).name) + "_method" +
               std::to_string(static_cast<int>(std::get<1>(p.param))) +
               (std::get<2>(p.param) ? "_pipe" : "");
    });

// ---- the run ----------------------------------------------------------------

std::string Points(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "48.5 11.25\r\n";
    return text;
}

TEST(RunPointFile, ReportsTheCountAtStartAndEveryThousandth) {
    const RunResult r = RunFile(Points(2500) + "bad line here\n" + "91.0 10.000\n", L::LatLon,
                                ConstantGrid(47.25f));
    EXPECT_EQ(r.outcome.computed, 2500);
    EXPECT_EQ(r.progress, (std::vector<std::int64_t>{0, 1000, 2000}));
}

TEST(RunPointFile, LongLineIsOneLine) {
    const std::string number(280, 'N');
    const RunResult r = RunFile(number + " 48.5 11.25\n" + std::string(300, '7') + "\n",
                                L::PtNumberLatLon, ConstantGrid(47.25f));
    EXPECT_EQ(r.output,
              number + "  48.500000   11.250000   47.250\r\n" + std::string(300, '7') + "\r\n");
    EXPECT_EQ(r.outcome.computed, 1);
    EXPECT_EQ(r.outcome.unreadable, 1);
}

TEST(RunPointFile, OverlongLineIsCopiedWhole) {
    const std::string huge(3 << 20, '5');
    const RunResult r =
        RunFile("48.5 11.25\n" + huge + "\r\n48.5 11.250", L::LatLon, ConstantGrid(47.25f));
    const std::string point = " 48.500000   11.250000   47.250\r\n";
    EXPECT_TRUE(SameBytes(point + huge + "\r\n" + point, r.output));
    EXPECT_EQ(r.outcome.unreadable, 1);
}

TEST(RunPointFile, ReadErrorEndsTheRun) {
    ScratchFolder folder;
    const int fd = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    PointFileInput in;
    in.Attach(fd);
    TextOutput out;
    ASSERT_TRUE(out.Open(folder.File("out")));
    FakePlatform platform;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(ConstantGrid(47.25f), platform), QueryStatus::StatusOk);
    const PointFileOutcome o = RunPointFile(in, out, ConstantGrid(47.25f), mapped, L::LatLon,
                                            InterpolationMethod::BiLinear, nullptr);
    ::close(fd);
    EXPECT_EQ(o.readError, EISDIR);
    EXPECT_FALSE(o.completed());
    EXPECT_EQ(OutcomeMessage(o, "/data/in.dat", "/data/out.dat"),
              "\nInputfile \"/data/in.dat\" could not be read: Is a directory!\n"
              "The calculation was stopped; outputfile \"/data/out.dat\" is incomplete.\n");
}

TEST(RunPointFile, WriteErrorEndsTheRun) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full on this system";
    ScratchFolder folder;
    WriteFile(folder.File("in"), Points(40000));
    PointFileInput in;
    ASSERT_TRUE(in.Open(folder.File("in")));
    TextOutput out;
    ASSERT_TRUE(out.Open("/dev/full"));
    FakePlatform platform;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(ConstantGrid(47.25f), platform), QueryStatus::StatusOk);
    const PointFileOutcome o = RunPointFile(in, out, ConstantGrid(47.25f), mapped, L::LatLon,
                                            InterpolationMethod::BiLinear, nullptr);
    EXPECT_EQ(o.writeError, ENOSPC);
    EXPECT_LT(o.computed, 40000) << "the run goes on no further than the first failed write";
    EXPECT_EQ(OutcomeMessage(o, "in", "/dev/full"),
              "\nOutputfile \"/dev/full\" could not be written: No space left on device!\n"
              "The calculation was stopped; the outputfile is incomplete.\n");
}

// Regression: a live stream (gpspipe | egm2008 file - -) got no answer until
// 4,096 lines had come; now each line is answered before the next is read.
TEST(RunPointFile, LiveStreamIsAnsweredLineByLine) {
    const std::vector<std::string> lines = {"48.5 11.25\n", "52.0 7.250\n", "-33.25 -70.5\n"};
    int in[2], out[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(out), 0);
    PointFileInput input;
    input.Attach(in[0]);
    TextOutput output;
    output.Attach(out[1]);
    FakePlatform platform;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(ConstantGrid(47.25f), platform), QueryStatus::StatusOk);
    PointFileOutcome outcome;
    std::thread run([&] {
        outcome = RunPointFile(input, output, ConstantGrid(47.25f), mapped, L::LatLon,
                               InterpolationMethod::BiLinear, nullptr);
    });
    for (const std::string& line : lines) {
        ASSERT_EQ(::write(in[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
        const std::string answer = AwaitLine(out[0]);
        EXPECT_EQ(
            answer,
            RunFile(line, L::LatLon, ConstantGrid(47.25f), InterpolationMethod::BiLinear).output)
            << "no answer within a second to " << line;
        if (answer.empty()) break;
    }
    ::close(in[1]);
    run.join();
    EXPECT_EQ(outcome.computed, 3);
    for (int fd : {in[0], out[0], out[1]}) ::close(fd);
}

// The mapped grid, the method and the longitude shift reach the engine as a
// query of its own would: each line equals the engine's answer for its point.
TEST(RunPointFile, RealGridGivesTheEnginesOwnAnswers) {
    GeoidGrid grid;
    grid.path = std::string(EGM2008_GRID_DIR) + "/" + kInternalGridName;
    if (::access(grid.path.c_str(), R_OK) != 0) GTEST_SKIP() << "real grid missing: " << grid.path;
    const std::vector<std::pair<double, double>> points = {{48.5, 11.25}, {-33.25, -70.5},
                                                           {52.1, -0.05}, {89.99, 359.999},
                                                           {-90.0, 0.0},  {0.0, -400.0}};
    std::string input;
    for (const auto& [lat, lon] : points)
        input += std::to_string(lat) + " " + std::to_string(lon) + "\n";
    for (const auto method :
         {InterpolationMethod::BiQuadratic, InterpolationMethod::BiLinear,
          InterpolationMethod::Triangulation, InterpolationMethod::NearestNeighbour}) {
        std::string expected;
        SilentNotifier silent;
        for (const auto& [lat, lon] : points) {
            float n = 0.0f;
            const double shifted = lon < 0.0 ? lon + 360.0 : lon;
            ASSERT_EQ(ComputeUndulation(grid, method, lat, shifted, n, silent),
                      QueryStatus::StatusOk);
            AppendPointLine(expected, lat, lon, n);
        }
        const RunResult r = RunFile(input, L::LatLon, grid, method);
        EXPECT_TRUE(SameBytes(expected, r.output)) << "method " << static_cast<int>(method);
    }
}

}  // namespace
}  // namespace egm2008
