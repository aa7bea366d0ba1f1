// What the pages show on maps and plots: the manual page's point on its world
// map, a heights run's points coloured by N, and the receiver check's
// separation - N over the log's time.
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "point_file_fixtures.hpp"
#include "tasks/heights/heights_page.hpp"
#include "tasks/messages.hpp"
#include "tasks/nmea/nmea_audit.hpp"
#include "tasks/points/manual_point.hpp"
#include "tasks/points/point_file_page.hpp"
#include "tests/support/fake_platform.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/nmea_text.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using test::FakePlatform;

struct MarkCase {
    const char* name;
    const char* latitude;
    const char* longitude;
    std::optional<GeoPoint> mark;  ///< nullopt: no mark after "Calc!"
};

// Each case follows a point that was marked: a point without a value takes the mark off.
TEST(ManualPageMap, MarksThePointThatGotAValue) {
    const GeoidGrid grid = test::ConstantGrid(47.25f);
    const MarkCase cases[] = {
        {"Computed", "52.5", "13.25", GeoPoint{52.5, 13.25}},
        {"WestAsTyped", "-33.9", "-70.6", GeoPoint{-33.9, -70.6}},
        {"EastOf180ComesWest", "-17", "190", GeoPoint{-17.0, -170.0}},
        {"OutsideTheGrid", "91", "0", std::nullopt},
        {"RefusedField", "north", "0", std::nullopt},
    };
    for (const MarkCase& c : cases) {
        FakePlatform platform;
        ManualPointPage page(platform);
        page.SetGrid(&grid);
        platform.fields[manual_ids::kLatitude] = "1";
        platform.fields[manual_ids::kLongitude] = "2";
        page.CalculatePoint();
        ASSERT_TRUE(platform.marks.at(manual_ids::kPicture).has_value()) << c.name;
        platform.fields[manual_ids::kLatitude] = c.latitude;
        platform.fields[manual_ids::kLongitude] = c.longitude;
        page.CalculatePoint();
        const std::optional<GeoPoint>& mark = platform.marks.at(manual_ids::kPicture);
        ASSERT_EQ(mark.has_value(), c.mark.has_value()) << c.name;
        if (!mark) continue;
        EXPECT_DOUBLE_EQ(mark->latitude, c.mark->latitude) << c.name;
        EXPECT_DOUBLE_EQ(mark->longitude, c.mark->longitude) << c.name;
    }
}

TEST(ManualPageMap, ClearTakesTheMarkOff) {
    const GeoidGrid grid = test::ConstantGrid(47.25f);
    FakePlatform platform;
    ManualPointPage page(platform);
    page.SetGrid(&grid);
    platform.fields[manual_ids::kLatitude] = "48";
    platform.fields[manual_ids::kLongitude] = "11";
    page.CalculatePoint();
    page.ClearResults();
    EXPECT_FALSE(platform.marks.at(manual_ids::kPicture).has_value());
}

class HeightsPageMap : public ::testing::Test {
protected:
    void SetUp() override { page_.InitialiseHeightsPage(&grid_); }
    void Run(const std::string& bytes) {
        test::WriteFile(folder_.File("points.csv"), bytes);
        page_.SetInputPath(folder_.File("points.csv"));
        page_.CalculateHeights();
    }
    test::ScratchFolder folder_;
    GeoidGrid grid_ = test::ConstantGrid(47.25f);
    FakePlatform platform_;
    HeightsPage page_{platform_};
};

TEST_F(HeightsPageMap, AWholeRunShowsItsComputedPointsColouredByN) {
    EXPECT_FALSE(platform_.enabled.at(heights_ids::kShowMap));
    page_.ShowMap();
    EXPECT_TRUE(platform_.pointMaps.empty());
    // Three points, one line that cannot be read.
    Run("Lat,Lon\n52.5,13.4\n-17,190\nnorth,1\n48,-3\n");
    EXPECT_TRUE(platform_.enabled.at(heights_ids::kShowMap));
    page_.ShowMap();
    ASSERT_EQ(platform_.pointMaps.size(), 1u);
    EXPECT_EQ(platform_.pointMaps[0].title, HeightsMapTitle(3, 3, folder_.File("points.csv")));
    EXPECT_EQ(platform_.pointMaps[0].points.quantity, "N");
    const std::vector<PlacedValue>& points = platform_.pointMaps[0].points.points;
    ASSERT_EQ(points.size(), 3u);
    const double latitudes[] = {52.5, -17.0, 48.0};
    const double longitudes[] = {13.4, -170.0, -3.0};  // in the map's -180..180 frame
    for (std::size_t k = 0; k < points.size(); ++k) {
        EXPECT_DOUBLE_EQ(points[k].latitude, latitudes[k]);
        EXPECT_DOUBLE_EQ(points[k].longitude, longitudes[k]);
        EXPECT_FLOAT_EQ(points[k].value, 47.25f);
    }
}

TEST_F(HeightsPageMap, ARunThatDidNotEndWholeShowsNoMap) {
    Run("52.5 13.4\n");
    EXPECT_TRUE(platform_.enabled.at(heights_ids::kShowMap));
    platform_.cancelRuns = true;
    Run("52.5 13.4\n48 11\n");
    EXPECT_FALSE(platform_.enabled.at(heights_ids::kShowMap));
    page_.ShowMap();
    EXPECT_TRUE(platform_.pointMaps.empty());
}

// The run hands its points over in input order, batch after batch of the workers.
TEST(HeightsRunPoints, ComeInInputOrder) {
    const GeoidGrid grid = test::ConstantGrid(47.25f);
    test::ScratchFolder folder;
    std::string lines;
    constexpr int kLines = 20000;
    for (int k = 0; k < kLines; ++k) lines += std::to_string(k * 0.004) + " 11\n";
    test::WriteFile(folder.File("in"), lines);
    PointFileInput input;
    ASSERT_TRUE(input.Open(folder.File("in")));
    TextOutput output;
    ASSERT_TRUE(output.Open(folder.File("out")));
    MappedGrid mapped;
    SilentNotifier silent;
    ASSERT_EQ(mapped.Map(grid, silent), QueryStatus::StatusOk);
    std::vector<PlacedValue> points;
    HeightsCallbacks callbacks;
    callbacks.points = [&points](const std::vector<PlacedValue>& batch) {
        points.insert(points.end(), batch.begin(), batch.end());
    };
    const HeightsOutcome outcome = RunHeights(input, output, grid, mapped, {}, callbacks);
    ASSERT_EQ(outcome.computed, kLines);
    ASSERT_EQ(points.size(), static_cast<std::size_t>(kLines));
    for (int k = 0; k < kLines; ++k) {
        ASSERT_NEAR(points[static_cast<std::size_t>(k)].latitude, k * 0.004, 1e-6) << k;
    }
}

struct PlotUnitCase {
    const char* name;
    double lastSeconds;
    const char* unit;
    double lastX;
};

TEST(NmeaDifferencePlot, TimeInTheUnitThatKeepsItsNumbersShortASeriesATalker) {
    const PlotUnitCase cases[] = {{"Seconds", 90.0, "s", 90.0},
                                  {"Minutes", 5400.0, "min", 90.0},
                                  {"Hours", 36000.0, "h", 10.0}};
    for (const PlotUnitCase& c : cases) {
        NmeaAuditReport report;
        report.firstTime = "235959.00";
        report.talkers = {"GP", "GN"};
        report.timeline = {{0.0, 0.1, 0}, {0.0, -1.2, 1}, {c.lastSeconds, 0.2, 0}};
        const Plot plot = NmeaDifferencePlot(report);
        EXPECT_EQ(plot.xTitle,
                  std::string("time since the first fix, 23:59:59 UTC [") + c.unit + "]")
            << c.name;
        ASSERT_EQ(plot.series.size(), 2u) << c.name;
        EXPECT_EQ(plot.series[0].name, "GP");
        ASSERT_EQ(plot.series[0].points.size(), 2u) << c.name;
        EXPECT_DOUBLE_EQ(plot.series[0].points[1].x, c.lastX) << c.name;
        EXPECT_DOUBLE_EQ(plot.series[1].points[0].y, -1.2) << c.name;
        // The axes hold every point.
        EXPECT_LE(plot.yTicks.lower, -1.2);
        EXPECT_GE(plot.yTicks.upper, 0.2);
        EXPECT_GE(plot.xTicks.upper, c.lastX);
    }
}

// N is 47.25 m everywhere.
QueryStatus ConstantN(double, double, float& undulation) {
    undulation = 47.25f;
    return QueryStatus::StatusOk;
}

std::string Gga(const std::string& time, const char* separation) {
    return test::WithNmeaChecksum("$GPGGA," + time + ",4830.000,N,01130.000,E,1,08,0.9,500.0,M," +
                                  separation + ",M,,") +
           "\n";
}

TEST(NmeaAuditTimeline, FollowsTheLogsTimePastMidnightAndLeavesOutFixesWithoutATime) {
    NmeaAudit audit(ConstantN, "g");
    for (const std::string& line : {Gga("235958.00", "47.25"), Gga("", "47.00"),
                                    Gga("235959.50", "47.75"), Gga("000001.00", "46.25")}) {
        audit.Add(line);
    }
    const NmeaAuditReport report = audit.Finish();
    ASSERT_EQ(report.timeline.size(), 3u);
    const double seconds[] = {0.0, 1.5, 3.0};
    const double differences[] = {0.0, 0.5, -1.0};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(report.timeline[k].seconds, seconds[k]) << k;
        EXPECT_DOUBLE_EQ(report.timeline[k].difference, differences[k]) << k;
        EXPECT_EQ(report.timeline[k].talker, 0u);
    }
}

TEST(FilePagePlot, CheckReceiverShowsThePlotWithItsReport) {
    test::ScratchFolder folder;
    const GeoidGrid grid = test::ConstantGrid(47.25f);
    ASSERT_EQ(::symlink(grid.path.c_str(), folder.File(kInternalGridName).c_str()), 0);
    test::WriteFile(folder.File("input.dat"), Gga("120000.00", "47.25") + Gga("120001.00", "47.5"));
    FakePlatform platform;
    PointFilePage page(platform);
    page.InitialiseFilePage(&grid, folder.path());
    page.SelectLayout(file_ids::kLastLayout);
    page.CheckReceiver();
    ASSERT_EQ(platform.reports.size(), 1u);
    ASSERT_EQ(platform.plots.size(), 1u);
    ASSERT_EQ(platform.plots[0].series.size(), 1u);
    EXPECT_EQ(platform.plots[0].series[0].points.size(), 2u);
    EXPECT_EQ(platform.plots[0].title, kAuditPlotTitle);
}

}  // namespace
}  // namespace egm2008
