#include "tasks/points/manual_point.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tasks/common/field_text.hpp"
#include "tests/support/byte_compare.hpp"
#include "tests/support/fake_platform.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using test::FakePlatform;
using test::Notice;
using namespace manual_ids;

constexpr int kResultFields[] = {kBiQuadratic, kBiLinear, kTriangulation, kNearest};

std::vector<std::string> Results(const FakePlatform& platform) {
    std::vector<std::string> out;
    for (int id : kResultFields) out.push_back(platform.Field(id));
    return out;
}

const std::vector<std::string> kAllNotAvailable = {"N/A", "N/A", "N/A", "N/A"};

// Runs "Calc!" on a fresh page with the two inputs typed.
FakePlatform Calculate(const GeoidGrid* grid, const std::string& latitude,
                       const std::string& longitude) {
    FakePlatform platform;
    platform.fields[kLatitude] = latitude;
    platform.fields[kLongitude] = longitude;
    ManualPointPage page(platform);
    page.SetGrid(grid);
    page.CalculatePoint();
    return platform;
}

TEST(ManualPointPage, NullGridTellsTheUserAndReadsNothing) {
    FakePlatform platform;
    platform.fields[kLatitude] = "52,5";
    platform.fields[kLongitude] = "7";
    ManualPointPage page(platform);
    page.CalculatePoint();
    EXPECT_EQ(Results(platform), kAllNotAvailable);
    EXPECT_EQ(platform.notices,
              (std::vector<Notice>{{"Error: Detected Nullpointer.", NoticeIcon::Error}}));
    EXPECT_TRUE(platform.reads.empty());
    EXPECT_EQ(platform.Field(kLatitude), "52,5");
    EXPECT_EQ(platform.Field(kLongitude), "7");
}

// Small grids, where every value is known exactly. A 30 degree grid: the point
// (5, 5) lies in the cell of rows 2 (30 N) and 3 (0), columns 0 and 1; its
// bi-quadratic window is rows 2..4 and columns 11, 0, 1.
struct SmallGridCase {
    const char* name;
    float everywhere;
    int specialRow, specialColumn;
    float special;
    std::vector<std::string> expected;
};

class ManualPointSmallGridTest : public ::testing::TestWithParam<SmallGridCase> {};

TEST_P(ManualPointSmallGridTest, EachFieldShowsOnlyItsOwnMethod) {
    const SmallGridCase& c = GetParam();
    test::ScratchFolder dir;
    const GeoidGrid grid =
        test::WriteSmallGrid(dir.File("grid"), 30.0, false, [&c](int r, int col) {
            return r == c.specialRow && col == c.specialColumn ? c.special : c.everywhere;
        });
    const FakePlatform platform = Calculate(&grid, "5", "5");
    EXPECT_EQ(Results(platform), c.expected);
    EXPECT_TRUE(platform.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Methods, ManualPointSmallGridTest,
    ::testing::Values(
        SmallGridCase{
            "NegativeResult", -3.5f, 0, 0, -3.5f, {"-3.5000", "-3.5000", "-3.5000", "-3.5000"}},
        // Below -1000 in the bi-quadratic window only: that method alone fails.
        SmallGridCase{"WindowValueBelowLimit",
                      10.0f,
                      4,
                      11,
                      -1500.0f,
                      {"N/A", "10.0000", "10.0000", "10.0000"}},
        // The far corner (30 N, 30 E) is implausible: triangulation checks all four corners
        // before it drops one; the nearest node is still fine.
        SmallGridCase{
            "FarCornerImplausible", 10.0f, 2, 1, -1001.0f, {"N/A", "N/A", "N/A", "10.0000"}},
        // An implausible corner outside the bi-quadratic window is no concern of that method.
        SmallGridCase{
            "OtherCellCorner", 10.0f, 2, 2, 5000.0f, {"10.0000", "10.0000", "10.0000", "10.0000"}}),
    [](const ::testing::TestParamInfo<SmallGridCase>& p) { return std::string(p.param.name); });

TEST(ManualPointPage, UnopenableGridGivesOneMessage) {
    GeoidGrid grid;
    grid.path = "/nonexistent/egm2008/grid";
    const FakePlatform platform = Calculate(&grid, "52.5", "7.25");
    EXPECT_EQ(Results(platform), kAllNotAvailable);
    EXPECT_EQ(
        platform.notices,
        (std::vector<Notice>{{"\nGeoidfile \"/nonexistent/egm2008/grid\" could not be opened!\n",
                              NoticeIcon::Error}}));
    // Inputs are rewritten before the first query.
    EXPECT_EQ(platform.Field(kLatitude), "52.50000000");
    EXPECT_EQ(platform.Field(kLongitude), "7.25000000");
    EXPECT_EQ(platform.statuses,
              (std::vector<std::string>{
                  "N/A: no method found a value at 52.50000000, 7.25000000 in grid."}));
}

// A grid file of another size and byte order: one message, which says what the file is.
TEST(ManualPointPage, MismatchedGridGivesOneMessage) {
    test::ScratchFolder dir;
    test::WriteZeroGrid(dir.File("grid"), test::kShape10, true);
    const GeoidGrid grid = test::MakeGrid10(dir.File("grid"), false);
    const FakePlatform platform = Calculate(&grid, "52.5", "7.25");
    EXPECT_EQ(Results(platform), kAllNotAvailable);
    EXPECT_EQ(platform.notices,
              (std::vector<Notice>{{GridMismatchMessage(grid), NoticeIcon::Error}}));
}

// Both fields are read and every refused one is marked; the focus goes into the first.
TEST(ManualPointPage, RefusedFieldsAreMarkedFocusedAndNothingIsComputed) {
    test::ScratchFolder dir;
    const GeoidGrid grid =
        test::WriteSmallGrid(dir.File("grid"), 30.0, false, [](int, int) { return 7.0f; });
    struct Case {
        const char* latitude;
        const char* longitude;
        std::map<int, std::string> marks;
        int focused;
        const char* latitudeShown;
        const char* longitudeShown;
    };
    const std::string hint =
        " is not a number.\nType decimal degrees (52.5 or 52,5) or degrees, minutes and seconds "
        "(52°30'00\").";
    const Case cases[] = {
        {"52.5x",
         "7",
         {{kLatitude, "Latitude: \"52.5x\"" + hint}},
         kLatitude,
         "52.5x",
         "7.00000000"},
        {"52,5", "", {{kLongitude, "Longitude: \"\"" + hint}}, kLongitude, "52.50000000", ""},
        {"52.5",
         "13.4 N",
         {{kLongitude, "Longitude: \"13.4 N\"" + hint}},
         kLongitude,
         "52.50000000",
         "13.4 N"},
        {"abc",
         "xyz",
         {{kLatitude, "Latitude: \"abc\"" + hint}, {kLongitude, "Longitude: \"xyz\"" + hint}},
         kLatitude,
         "abc",
         "xyz"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.latitude);
        const FakePlatform platform = Calculate(&grid, c.latitude, c.longitude);
        EXPECT_TRUE(platform.notices.empty());
        EXPECT_EQ(platform.fieldErrors, c.marks);
        EXPECT_EQ(platform.focused, (std::vector<int>{c.focused}));
        EXPECT_EQ(Results(platform), (std::vector<std::string>{"", "", "", ""}));
        EXPECT_EQ(platform.Field(kLatitude), c.latitudeShown);
        EXPECT_EQ(platform.Field(kLongitude), c.longitudeShown);
        ASSERT_EQ(platform.statuses.size(), 1u);
        EXPECT_NE(platform.statuses[0].find(OneLine(c.marks.at(c.focused))), std::string::npos);
    }
}

TEST(ManualPointPage, StatusLineSaysWhatWasComputedOrWhyNot) {
    test::ScratchFolder dir;
    const GeoidGrid grid =
        test::WriteSmallGrid(dir.File("some grid"), 30.0, false, [](int, int) { return 7.0f; });
    const std::pair<const char*, const char*> points[] = {
        {"52.5", "13.4"}, {"91", "7"}, {"-90.5", "400"}, {"48", "-400"}};
    const char* expected[] = {"Manual Calc: 52.50000000, 13.40000000 in some grid",
                              "N/A: latitude 91.00000000 lies outside -90° to +90°.",
                              "N/A: latitude -90.50000000 lies outside -90° to +90°.",
                              "N/A: longitude -400.00000000 lies outside -360° to +360°."};
    for (std::size_t k = 0; k < std::size(points); ++k) {
        const FakePlatform platform = Calculate(&grid, points[k].first, points[k].second);
        EXPECT_EQ(platform.statuses, (std::vector<std::string>{expected[k]}));
        EXPECT_EQ(Results(platform) == kAllNotAvailable, k > 0);
    }
}

// Input cases on the real internal grid: the results must be those of the point as read.
struct InputCase {
    const char* latitude;
    const char* longitude;
    const char* latitudeShown;
    const char* longitudeShown;
    const char*
        sameAsLatitude;  // the typed point reads as this one ("" when no result is expected)
    const char* sameAsLongitude;
};

class ManualPointInputTest : public ::testing::TestWithParam<InputCase> {};

TEST_P(ManualPointInputTest, FieldsAndResults) {
    REAL_GRID_OR_SKIP(path, kInternalGridName);
    GeoidGrid grid;
    grid.path = path;
    const InputCase& c = GetParam();
    const FakePlatform platform = Calculate(&grid, c.latitude, c.longitude);
    EXPECT_EQ(platform.Field(kLatitude), c.latitudeShown);
    EXPECT_EQ(platform.Field(kLongitude), c.longitudeShown);
    EXPECT_TRUE(platform.notices.empty());
    if (std::string(c.sameAsLatitude).empty()) {
        EXPECT_EQ(Results(platform), kAllNotAvailable);
    } else {
        const FakePlatform plain = Calculate(&grid, c.sameAsLatitude, c.sameAsLongitude);
        EXPECT_EQ(Results(platform), Results(plain));
        for (const std::string& r : Results(platform)) EXPECT_NE(r, "N/A");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ManualPointInputTest,
    ::testing::Values(InputCase{"52,5", "7.25", "52.50000000", "7.25000000", "52.5", "7.25"},
                      InputCase{"52°30'", "7 15 00 E", "52.50000000", "7.25000000", "52.5", "7.25"},
                      InputCase{"48", "-10", "48.00000000", "-10.00000000", "48", "350"},
                      InputCase{"48", "-400", "48.00000000", "-400.00000000", "", ""},
                      InputCase{"91", "7", "91.00000000", "7.00000000", "", ""},
                      InputCase{"-90.000001", "7", "-90.00000100", "7.00000000", "", ""},
                      InputCase{"48", "360.0000001", "48.00000000", "360.00000010", "", ""},
                      InputCase{"-90", "-360", "-90.00000000", "-360.00000000", "-90", "0"},
                      InputCase{"S 10", "w 20", "-10.00000000", "-20.00000000", "-10", "340"}));

// Points and results computed by the engine's reference run on the real grid.
TEST(ManualPointPage, RealGridResultsMatchTheReference) {
    REAL_GRID_OR_SKIP(path, kInternalGridName);
    std::ifstream csv(std::string(EGM2008_TEST_DATA_DIR) + "/real/engine_sample_10min_le.csv");
    ASSERT_TRUE(csv) << "reference results missing";
    GeoidGrid grid;
    grid.path = path;

    std::string line;
    std::getline(csv, line);  // header
    int points = 0;
    std::vector<std::string> expected(4);
    std::string latitude, longitude;
    while (points < 100 && std::getline(csv, line)) {
        std::stringstream row(line);
        std::string lat, lon, method, status, hex;
        std::getline(row, lat, ',');
        std::getline(row, lon, ',');
        std::getline(row, method, ',');
        std::getline(row, status, ',');
        std::getline(row, hex, ',');
        const int m = std::stoi(method);
        std::string shown = "N/A";
        if (status == "0") {
            const auto bits = static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
            float value;
            std::memcpy(&value, &bits, sizeof value);
            shown = FormatFixed(static_cast<double>(value), 4);
        }
        // Method order of the file: 0 bi-quadratic, 1 bi-linear, 2 triangulation, 3 nearest.
        expected[static_cast<std::size_t>(m)] = shown;
        if (m != 3) continue;
        const FakePlatform platform = Calculate(&grid, lat, lon);
        EXPECT_EQ(Results(platform), expected) << "point " << lat << ", " << lon;
        EXPECT_EQ(platform.Field(kLatitude), FormatFieldNumber(std::stod(lat)));
        ++points;
    }
    EXPECT_EQ(points, 100);
}

TEST(ManualPointPage, ClearEmptiesResultsAndKeepsInputs) {
    test::ScratchFolder dir;
    const GeoidGrid grid =
        test::WriteSmallGrid(dir.File("grid"), 30.0, false, [](int, int) { return 7.0f; });
    FakePlatform platform;
    platform.fields[kLatitude] = "12,5";
    platform.fields[kLongitude] = "-3";
    ManualPointPage page(platform);
    page.SetGrid(&grid);
    page.CalculatePoint();
    EXPECT_EQ(Results(platform),
              (std::vector<std::string>{"7.0000", "7.0000", "7.0000", "7.0000"}));
    page.ClearResults();
    EXPECT_EQ(Results(platform), (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(platform.Field(kLatitude), "12.50000000");
    EXPECT_EQ(platform.Field(kLongitude), "-3.00000000");
    page.CalculatePoint();
    EXPECT_EQ(Results(platform),
              (std::vector<std::string>{"7.0000", "7.0000", "7.0000", "7.0000"}));
}

TEST(ManualPointPage, ResultsAreSetToNotAvailableFirst) {
    test::ScratchFolder dir;
    const GeoidGrid grid =
        test::WriteSmallGrid(dir.File("grid"), 30.0, false, [](int, int) { return 1.0f; });
    const FakePlatform platform = Calculate(&grid, "1", "2");
    const std::vector<std::string> start(platform.events.begin(), platform.events.begin() + 7);
    EXPECT_EQ(start, (std::vector<std::string>{"set 1003 N/A", "set 1004 N/A", "set 1005 N/A",
                                               "set 1006 N/A", "read 1000", "set 1000 1.00000000",
                                               "read 1001"}));
}

TEST(ManualPointCore, AsksOnlyTheMethodAskedFor) {
    test::ScratchFolder dir;
    const GeoidGrid grid =
        test::WriteSmallGrid(dir.File("grid"), 30.0, false, [](int, int) { return 1.0f; });
    FakePlatform platform;
    const ManualPointOutcome outcome =
        ComputeManualPoint(grid, {1.0, -2.0, InterpolationMethod::Triangulation}, platform);
    ASSERT_EQ(outcome.count, 1);
    EXPECT_EQ(outcome.results[0].method->method, InterpolationMethod::Triangulation);
    EXPECT_TRUE(outcome.allComputed());
}

}  // namespace
}  // namespace egm2008
