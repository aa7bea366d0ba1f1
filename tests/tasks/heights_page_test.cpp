#include "tasks/heights/heights_page.hpp"
#include "tasks/messages.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "point_file_fixtures.hpp"
#include "tests/support/byte_compare.hpp"
#include "tests/support/dem_files.hpp"
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

// What the page makes of an input's delimiter, decimal mark and bytes, and of
// a run over it with N = 47.25 m everywhere.
struct InputCase {
    const char* name;
    std::string file;
    int delimiter;       // the picker's item the page chooses (-1: none)
    int mark;            // 0 the point, 1 the comma
    int userMark;        // the decimal mark the user chooses then, -1 for none
    std::int64_t lines;  // data lines, the header aside
    std::int64_t converted;
    std::string problems;  // the list under the preview
    std::vector<TableMark> marks;
    std::string output = {};  // the file written; "" not looked at
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

class HeightsInputs : public HeightsPageTest, public ::testing::WithParamInterface<InputCase> {
protected:
    void SetUp() override {
        grid_ = test::ConstantGrid(47.25f);
        HeightsPageTest::SetUp();
    }
};

TEST_P(HeightsInputs, ConvertsWhatTheDelimiterAndMarkReadAndNamesTheRest) {
    const InputCase& c = GetParam();
    Choose(c.file);
    EXPECT_EQ(platform_.ChoiceIndex(kDelimiter), c.delimiter);
    EXPECT_EQ(platform_.ChoiceIndex(kDecimalMark), c.mark);
    if (c.userMark >= 0) {
        platform_.choices[kDecimalMark].selected = c.userMark;
        page_.SelectDecimalMark(c.userMark);
    }
    page_.CalculateHeights();
    HeightsOutcome done;
    done.computed = c.converted;
    done.unreadable = c.lines - c.converted;
    done.gridOpened = true;
    ASSERT_FALSE(platform_.statuses.empty());
    EXPECT_EQ(platform_.statuses.back(), OneLine(HeightsOutcomeMessage(done, In(), Out())));
    EXPECT_EQ(platform_.Field(kProblems), c.problems);
    EXPECT_EQ(platform_.tables[kPreview].marks, c.marks);
    if (!c.output.empty()) {
        EXPECT_EQ(ReadFile(Out()), c.output);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeightsInputs,
    ::testing::Values(
        // Pinned: this file converted 0 of 2 lines, naming neither line nor reason.
        InputCase{"SemicolonsAndDecimalCommas",
                  "Pt;Lat;Lon;h\r\nP1;52,5;13,4;100,00\r\nP2;48,1;11,5;200,00\r\n",
                  1,
                  1,
                  -1,
                  2,
                  2,
                  "",
                  {},
                  "Pt;Lat;Lon;h;N_EGM2008\r\nP1;52,5;13,4;100,00;47,250\r\n"
                  "P2;48,1;11,5;200,00;47,250\r\n"},
        InputCase{"DecimalPointChosenAgainstTheFile",
                  "Pt;Lat;Lon;h\nP1;52,5;13,4;100,00\nP2;48,1;11,5;200,00\n",
                  1,
                  1,
                  0,
                  2,
                  0,
                  "line 2: latitude \"52,5\" is not a coordinate\n"
                  "line 3: latitude \"48,1\" is not a coordinate",
                  {{0, "latitude \"52,5\" is not a coordinate"},
                   {1, "latitude \"48,1\" is not a coordinate"}}},
        InputCase{
            "CommasAndDecimalPoints", "lat,lon\n52.5,13.4\n48.1,11.5\n", 0, 0, -1, 2, 2, "", {}},
        InputCase{
            "SpacesAndDecimalCommas", "52,5 13,4 100\n48,1 11,5 200\n", 3, 1, -1, 2, 2, "", {}},
        // Both marks in the first lines: the point, and the comma's numbers named.
        InputCase{"BothMarksStayWithThePoint",
                  "52,5;13.4\n48.1;11.5\n",
                  1,
                  0,
                  -1,
                  2,
                  1,
                  "line 1: latitude \"52,5\" is not a coordinate",
                  {{0, "latitude \"52,5\" is not a coordinate"}}},
        // Comment and blank lines count in the lines named; the rows are named by them.
        InputCase{"LinesNumberedInTheFile",
                  "# survey\n\nlat;lon\n52,5;13,4\nbad;13,4\n",
                  1,
                  1,
                  -1,
                  2,
                  1,
                  "line 5: latitude \"bad\" is not a coordinate",
                  {{1, "latitude \"bad\" is not a coordinate"}}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(HeightsPageTest, RowsAreNamedByTheirLinesAndLinesBeyondThePreviewAreListedOnly) {
    grid_ = test::ConstantGrid(47.25f);
    std::string file = "lat,lon\n";
    for (int i = 0; i < 30; ++i) file += "x,13.4\n";
    Choose(file);
    const Texts& names = platform_.tables[kPreview].rowNames;
    ASSERT_EQ(names.size(), std::size_t{kPreviewLines - 1});
    EXPECT_EQ(names.front(), "2");
    page_.CalculateHeights();
    // The run keeps the first ten lines' reasons; the preview shows nineteen data rows.
    std::string list;
    for (int line = 2; line <= 11; ++line)
        list += "line " + std::to_string(line) + ": latitude \"x\" is not a coordinate\n";
    EXPECT_EQ(platform_.Field(kProblems), list + "and 20 more lines not converted");
    EXPECT_EQ(platform_.tables[kPreview].marks.size(), 10u);
    ASSERT_FALSE(platform_.notices.empty());
    EXPECT_NE(platform_.notices.back().text.find(kProblemLinesListedNote), std::string::npos);
}

TEST_F(HeightsPageTest, BinaryFileIsRefusedAsNotText) {
    grid_ = test::ConstantGrid(47.25f);
    // The start of a little-endian GeoTIFF.
    const char tiff[] = "II*\0\x08\0\0\0,52.5,13.4\n";
    Choose(std::string(tiff, sizeof tiff - 1));
    EXPECT_TRUE(platform_.tables[kPreview].rows.empty());
    ASSERT_EQ(platform_.notices.size(), 1u);
    EXPECT_EQ(platform_.notices[0].text, kNotATextFileMessage);
    page_.CalculateHeights();
    ASSERT_EQ(platform_.notices.size(), 2u);
    EXPECT_EQ(platform_.notices[1].text, kNotATextFileMessage);
    EXPECT_FALSE(test::Exists(Out()));
}

TEST_F(HeightsPageTest, ANewInputProposesItsOutputUnlessOneWasNamed) {
    Choose("lat,lon\n52.5,13.4\n");
    EXPECT_EQ(page_.outputPath(), Out());
    WriteFile(folder_.File("b.csv"), "lat,lon\n1,2\n");
    page_.SetInputPath(folder_.File("b.csv"));
    EXPECT_EQ(page_.outputPath(), folder_.File("b-heights.csv"));
    page_.SetOutputPath(folder_.File("mine.csv"));
    page_.SetInputPath(In());
    EXPECT_EQ(page_.outputPath(), folder_.File("mine.csv"));
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
    // The user's own cancel needs no box.
    EXPECT_TRUE(platform_.notices.empty());
    EXPECT_EQ(platform_.statuses.back(), "Heights: cancelled, " + Out() + " not changed");
}

// A DEM raster as the page's input, on a grid whose N is 47.25 m everywhere.
class HeightsRasterTest : public HeightsPageTest {
protected:
    void SetUp() override {
        grid_ = test::ConstantGrid(47.25f);
        HeightsPageTest::SetUp();
    }
    // Writes `raster` as "dem.tif" and chooses it with the open dialog.
    void ChooseDem(const test::DemRaster& raster) {
        test::WriteDem(Dem(), raster);
        platform_.dialogAnswers = {Dem()};
        page_.BrowseInputFile();
    }
    std::string Dem() const { return folder_.File("dem.tif"); }
    std::string DemOut() const { return folder_.File("dem-heights.tif"); }
};

TEST_F(HeightsRasterTest, ARasterIsDescribedAndPicturedInPlaceOfTheTable) {
    test::DemRaster raster;
    raster.nodata = -9999.0;
    ChooseDem(raster);
    EXPECT_TRUE(page_.raster());
    EXPECT_TRUE(platform_.notices.empty());
    EXPECT_EQ(platform_.Field(kRasterDescription),
              DemDescriptionText(4, 3, "WGS 84", "Float32", -9999.0));
    EXPECT_EQ(platform_.pictures[kRasterPicture].width, 4);
    EXPECT_EQ(platform_.pictures[kRasterPicture].height, 3);
    EXPECT_FALSE(platform_.shown[kPreview]);
    EXPECT_FALSE(platform_.shown[kProblems]);
    EXPECT_TRUE(platform_.shown[kRasterPicture]);
    EXPECT_TRUE(platform_.shown[kRasterDescription]);
    for (int id : {kDelimiter, kDecimalMark, kLatitudeColumn, kLongitudeColumn, kHeightColumn,
                   kUnits, kAppendOnly})
        EXPECT_FALSE(platform_.enabled[id]) << id;
    // "Append N only" was chosen: a raster is converted to orthometric heights instead.
    EXPECT_TRUE(platform_.checked[kToOrthometric]);
    EXPECT_EQ(page_.target(), HeightTarget::Orthometric);
    EXPECT_EQ(page_.outputPath(), DemOut());
    EXPECT_EQ(platform_.statuses.back(), kDemChosenStatus);
    // Its output is saved as a GeoTIFF.
    platform_.dialogAnswers = {folder_.File("mine.tif")};
    page_.BrowseOutputFile();
    EXPECT_NE(std::find(platform_.events.begin(), platform_.events.end(),
                        std::string("save-dialog ") + kGeoTiffFilter),
              platform_.events.end());
    EXPECT_EQ(page_.outputPath(), folder_.File("mine.tif"));
    page_.SetOutputPath(DemOut());

    // A text file after it brings the table and its controls back.
    Choose("lat,lon\n52.5,13.4\n");
    EXPECT_FALSE(page_.raster());
    EXPECT_TRUE(platform_.shown[kPreview]);
    EXPECT_TRUE(platform_.shown[kProblems]);
    EXPECT_FALSE(platform_.shown[kRasterPicture]);
    EXPECT_TRUE(platform_.enabled[kDelimiter]);
    EXPECT_TRUE(platform_.enabled[kAppendOnly]);
    EXPECT_EQ(page_.outputPath(), Out());
}

struct RasterOutputCase {
    const char* input;
    const char* output;
};

class RasterOutputs : public HeightsRasterTest,
                      public ::testing::WithParamInterface<RasterOutputCase> {};

// A raster's output is a GeoTIFF beside it whatever its own extension.
TEST_P(RasterOutputs, AreProposedAsGeoTiffs) {
    test::WriteDem(folder_.File(GetParam().input), test::DemRaster{});
    page_.SetInputPath(folder_.File(GetParam().input));
    EXPECT_EQ(page_.outputPath(), folder_.File(GetParam().output));
    EXPECT_EQ(platform_.Field(kOutputPath), folder_.File(GetParam().output));
}

INSTANTIATE_TEST_SUITE_P(Names, RasterOutputs,
                         ::testing::Values(RasterOutputCase{"a.tif", "a-heights.tif"},
                                           RasterOutputCase{"a.TIFF", "a-heights.TIFF"},
                                           RasterOutputCase{"a.img", "a-heights.tif"},
                                           RasterOutputCase{"a", "a-heights.tif"}));

struct RasterRunCase {
    int radio;
    double shift;  // what the run adds to each height
    bool orthometric;
};

class RasterRuns : public HeightsRasterTest, public ::testing::WithParamInterface<RasterRunCase> {};

TEST_P(RasterRuns, CalcWritesTheConvertedRasterCountsItsPixelsAndMapsIt) {
    test::DemRaster raster;
    raster.nodata = -9999.0;
    raster.values = {-9999, 101, 102, 103, 110, 111, 112, 113, 120, 121, 122, 123};
    ChooseDem(raster);
    page_.SelectTarget(GetParam().radio);
    EXPECT_FALSE(platform_.enabled[kShowMap]);
    page_.CalculateHeights();
    EXPECT_TRUE(platform_.notices.empty());
    const test::DemRead written = test::ReadDem(DemOut());
    ASSERT_EQ(written.values.size(), 12u);
    EXPECT_EQ(written.values[0], -9999.0);
    for (std::size_t i = 1; i < 12; ++i)
        EXPECT_EQ(written.values[i],
                  static_cast<double>(static_cast<float>(raster.values[i] + GetParam().shift)));
    EXPECT_NE(platform_.statuses.back().find(
                  DemOut() + ": 11 pixels converted, 1 nodata, 0 clipped, 0 without N"),
              std::string::npos);
    EXPECT_EQ(platform_.Field(kCalc), "Calc!");

    ASSERT_TRUE(platform_.enabled[kShowMap]);
    page_.ShowMap();
    ASSERT_EQ(platform_.pointMaps.size(), 1u);
    EXPECT_EQ(platform_.pointMaps[0].title, DemMapTitle(GetParam().orthometric, DemOut()));
    EXPECT_EQ(platform_.pointMaps[0].points.quantity, GetParam().orthometric ? "H" : "h");
    ASSERT_EQ(platform_.pointMaps[0].points.points.size(), 11u);
    EXPECT_EQ(platform_.pointMaps[0].points.points[0].value,
              static_cast<float>(101 + GetParam().shift));
}

INSTANTIATE_TEST_SUITE_P(Targets, RasterRuns,
                         ::testing::Values(RasterRunCase{kToOrthometric, -47.25, true},
                                           RasterRunCase{kToEllipsoidal, 47.25, false}));

struct RasterCancelCase {
    const char* name;
    bool outputThere;
};

class RasterCancels : public HeightsRasterTest,
                      public ::testing::WithParamInterface<RasterCancelCase> {};

TEST_P(RasterCancels, LeaveTheOutputAsItWasAndNoBox) {
    ChooseDem(test::DemRaster{});
    if (GetParam().outputThere) WriteFile(DemOut(), "kept\n");
    platform_.cancelRuns = true;
    page_.CalculateHeights();
    EXPECT_TRUE(platform_.notices.empty());
    EXPECT_EQ(test::Exists(DemOut()), GetParam().outputThere);
    if (GetParam().outputThere) {
        EXPECT_EQ(ReadFile(DemOut()), "kept\n");
    }
    EXPECT_EQ(folder_.Names().size(), GetParam().outputThere ? 2u : 1u);
    EXPECT_EQ(
        platform_.statuses.back(),
        RunFailedStatus(kHeightsStatusName, true, DemOut(),
                        GetParam().outputThere ? OutputFate::Unchanged : OutputFate::NotCreated));
    EXPECT_FALSE(platform_.enabled[kShowMap]);
}

INSTANTIATE_TEST_SUITE_P(Outputs, RasterCancels,
                         ::testing::Values(RasterCancelCase{"NoOutput", false},
                                           RasterCancelCase{"OutputThere", true}),
                         [](const auto& p) { return std::string(p.param.name); });

struct RasterRefusalCase {
    const char* name;
    bool crs;
    bool outputIsInput;
    std::string (*message)(const std::string& input);
};

class RasterRefusals : public HeightsRasterTest,
                       public ::testing::WithParamInterface<RasterRefusalCase> {};

TEST_P(RasterRefusals, AreToldInABoxAndWriteNothing) {
    test::DemRaster raster;
    if (!GetParam().crs) raster.crs = "";  // the run cannot place its pixels
    ChooseDem(raster);
    if (GetParam().outputIsInput) page_.SetOutputPath(Dem());
    page_.CalculateHeights();
    ASSERT_EQ(platform_.notices.size(), 1u);
    EXPECT_NE(platform_.notices[0].text.find(GetParam().message(Dem())), std::string::npos)
        << platform_.notices[0].text;
    EXPECT_TRUE(platform_.notices[0].icon == NoticeIcon::Error);
    EXPECT_EQ(folder_.Names(), Texts{"dem.tif"});
    // The input is as it was written: 100 + column + 10 row.
    const std::vector<double> values = test::ReadDem(Dem()).values;
    ASSERT_EQ(values.size(), 12u);
    EXPECT_EQ(values[11], 123.0);
    if (!GetParam().outputIsInput) {
        EXPECT_EQ(platform_.statuses.back(),
                  RunFailedStatus(kHeightsStatusName, false, DemOut(), OutputFate::NotCreated));
    }
    EXPECT_FALSE(platform_.enabled[kShowMap]);
}

INSTANTIATE_TEST_SUITE_P(
    Rasters, RasterRefusals,
    ::testing::Values(RasterRefusalCase{"NoCrs", false, false, DemNotGeoreferencedMessage},
                      RasterRefusalCase{"OutputIsTheInput", true, true, OutputIsInputMessage}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace egm2008
