#include "tasks/heights/heights_page.hpp"
#include "tasks/messages.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/byte_compare.hpp"
#include "tests/support/fake_platform.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using namespace heights_ids;
using test::FakePlatform;
using test::ReadFile;
using test::ScratchFolder;
using test::WriteFile;
using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;

class HeightsPageTest : public ::testing::Test {
protected:
    void SetUp() override { page_.InitialiseHeightsPage(&grid_); }
    // Writes `bytes` as the input "points.txt" and chooses it with the open dialog.
    void Choose(const std::string& bytes) {
        WriteFile(In(), bytes);
        platform_.dialogAnswers = {In()};
        page_.BrowseInputFile();
    }
    std::string In() const { return folder_.File("points.txt"); }
    std::string Out() const { return folder_.File("points-heights.txt"); }

    ScratchFolder folder_;
    GeoidGrid grid_;
    FakePlatform platform_;
    HeightsPage page_{platform_};
};

struct PreviewCase {
    const char* name;
    std::string file;
    Texts titles;
    Rows rows;
    Texts latitudeItems;
    int latitude, longitude, height;  // the items chosen; height 0 is "(none)"
    std::string status;
};

class HeightsPreview : public HeightsPageTest, public ::testing::WithParamInterface<PreviewCase> {};

TEST_P(HeightsPreview, FillsTableAndPickersAndTellsTheLayout) {
    const PreviewCase& c = GetParam();
    Choose(c.file);
    EXPECT_EQ(platform_.Field(kInputPath), In());
    EXPECT_EQ(platform_.Field(kOutputPath), Out());
    EXPECT_EQ(platform_.tables[kPreview].titles, c.titles);
    EXPECT_EQ(platform_.tables[kPreview].rows, c.rows);
    EXPECT_EQ(platform_.choices[kLatitudeColumn].items, c.latitudeItems);
    EXPECT_EQ(platform_.choices[kHeightColumn].items.front(), "(none)");
    EXPECT_EQ(platform_.ChoiceIndex(kLatitudeColumn), c.latitude);
    EXPECT_EQ(platform_.ChoiceIndex(kLongitudeColumn), c.longitude);
    EXPECT_EQ(platform_.ChoiceIndex(kHeightColumn), c.height);
    ASSERT_FALSE(platform_.statuses.empty());
    EXPECT_EQ(platform_.statuses.back(), c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeightsPreview,
    ::testing::Values(
        PreviewCase{
            "HeaderBomAndCommentsLeftOut",
            "\xEF\xBB\xBF# survey\r\nPt,Lat,Lon,h\r\nA,52.5,13.4,100\r\n\r\nB,\"48,1\",11.5\r\n",
            {"Pt", "Lat", "Lon", "h"},
            {{"A", "52.5", "13.4", "100"}, {"B", "48,1", "11.5"}},
            {"1: Pt", "2: Lat", "3: Lon", "4: h"},
            1,
            2,
            4,
            "latitude = column 2 \"Lat\", longitude = column 3 \"Lon\", height = column 4 \"h\""},
        PreviewCase{"NoHeaderNumberedColumns",
                    "52.5 13.4 100\n48 11\n",
                    {"1", "2", "3"},
                    {{"52.5", "13.4", "100"}, {"48", "11"}},
                    {"column 1", "column 2", "column 3"},
                    0,
                    1,
                    3,
                    "latitude = column 1, longitude = column 2, height = column 3"},
        PreviewCase{"RefusedLayoutChoosesNothing",
                    "Name,East,North\nA,1,2\n",
                    {"Name", "East", "North"},
                    {{"A", "1", "2"}},
                    {"1: Name", "2: East", "3: North"},
                    -1,
                    -1,
                    0,
                    "Error: The header has no latitude column (lat, latitude, phi, y); choose one "
                    "by number or name."}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(HeightsPageTest, PickersAndRadiosMakeTheRunsOptions) {
    Choose("Name,East,North,Z\nA,1,2,3\n");
    platform_.choices[kLatitudeColumn].selected = 2;
    platform_.choices[kLongitudeColumn].selected = 1;
    platform_.choices[kHeightColumn].selected = 4;
    platform_.choices[kUnits].selected = 2;
    page_.SelectTarget(kToEllipsoidal);
    const HeightsOptions options = page_.ChosenOptions();
    EXPECT_EQ(options.columns.latitude.index, 3u);
    EXPECT_EQ(options.columns.longitude.index, 2u);
    EXPECT_EQ(options.columns.height.index, 4u);
    EXPECT_EQ(options.columns.delimiter, Delimiter::Comma);
    EXPECT_EQ(options.columns.header, true);
    EXPECT_EQ(options.target, HeightTarget::Ellipsoidal);
    EXPECT_EQ(options.unit, HeightUnit::UsSurveyFoot);

    // A conversion without a height column is refused before any file is opened.
    platform_.choices[kHeightColumn].selected = 0;
    page_.CalculateHeights();
    ASSERT_EQ(platform_.notices.size(), 1u);
    EXPECT_EQ(platform_.notices[0].text, kHeightColumnNeededMessage);
    EXPECT_FALSE(test::Exists(Out()));
}

class HeightsRealGridTest : public HeightsPageTest {
protected:
    void SetUp() override {
        REAL_GRID_OR_SKIP(path, kInternalGridName);
        grid_.path = path;
        HeightsPageTest::SetUp();
    }
};

TEST_F(HeightsRealGridTest, CalcWritesTheConvertedFile) {
    Choose("Lat,Lon,h\r\n52.5,13.4,100\r\n");
    page_.SelectTarget(kToOrthometric);
    page_.CalculateHeights();
    // N = 39.5421 m here (bi-quadratic, the internal grid): H = 100 - N.
    EXPECT_EQ(ReadFile(Out()), "Lat,Lon,h,N_EGM2008,H\r\n52.5,13.4,100,39.542,60.458\r\n");
    EXPECT_TRUE(platform_.notices.empty());
    HeightsOutcome done;
    done.computed = 1;
    done.gridOpened = true;
    EXPECT_EQ(platform_.statuses.back(), HeightsOutcomeMessage(done, In(), Out()));
    EXPECT_EQ(platform_.Field(kCalc), "Calc!");
}

TEST_F(HeightsRealGridTest, CancelledRunKeepsThePreviousOutput) {
    Choose("52.5 13.4\n");
    WriteFile(Out(), "the previous output\r\n");
    platform_.cancelRuns = true;
    page_.CalculateHeights();
    EXPECT_EQ(ReadFile(Out()), "the previous output\r\n");
    ASSERT_EQ(platform_.notices.size(), 1u);
    EXPECT_NE(platform_.notices[0].text.find("was not changed"), std::string::npos);
    EXPECT_EQ(platform_.statuses.back(), "Heights: cancelled, " + Out() + " not changed");
}

}  // namespace
}  // namespace egm2008
