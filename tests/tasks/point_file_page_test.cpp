#include "tasks/points/point_file_page.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/fake_platform.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/nmea_text.hpp"
#include "tests/support/scratch_folder.hpp"
#include "point_file_fixtures.hpp"
#include "tasks/nmea/nmea_run.hpp"

namespace egm2008 {
namespace {

using test::ConstantGrid;
using test::Exists;
using test::FakePlatform;
using test::Notice;
using test::ReadFile;
using test::ScratchFolder;
using test::WriteFile;

// A page initialised in a scratch folder, its grid a constant 47.25 m.
class FilePage : public ::testing::Test {
protected:
    void SetUp() override {
        grid_ = ConstantGrid(47.25f);
        page_.InitialiseFilePage(&grid_, folder_.path());
        platform_.events.clear();
    }
    std::string In() const { return folder_.File("input.dat"); }
    std::string Out() const { return folder_.File("output.dat"); }
    // Points the dialogs at `input` and `output`.
    void Choose(const std::string& input, const std::string& output) {
        platform_.dialogAnswers = {input, output};
        page_.BrowseInputFile();
        page_.BrowseOutputFile();
        platform_.events.clear();
    }
    std::vector<std::string> Notices() const { return test::Told(platform_); }

    ScratchFolder folder_;
    GeoidGrid grid_;
    FakePlatform platform_;
    PointFilePage page_{platform_};
};

TEST_F(FilePage, StartsWithDefaultFilesInTheWorkingDirectory) {
    EXPECT_EQ(platform_.Field(file_ids::kInputPath), folder_.path() + "/input.dat");
    EXPECT_EQ(platform_.Field(file_ids::kOutputPath), folder_.path() + "/output.dat");
    EXPECT_EQ(page_.inputPath(), folder_.path() + "/input.dat");
    EXPECT_EQ(page_.layout(), PointFileLayout::LatLon);
    EXPECT_EQ(page_.method(), InterpolationMethod::BiQuadratic);
    EXPECT_EQ(page_.grid(), &grid_);
}

TEST_F(FilePage, RadiosSetLayoutAndMethod) {
    const PointFileLayout layouts[] = {
        PointFileLayout::LatLon, PointFileLayout::LonLat, PointFileLayout::PtNumberLatLon,
        PointFileLayout::PtNumberLonLat, PointFileLayout::GgaFromGps};
    for (int id = 1040; id <= 1044; ++id) {
        page_.SelectLayout(id);
        EXPECT_EQ(page_.layout(), layouts[id - 1040]) << id;
    }
    const InterpolationMethod methods[] = {
        InterpolationMethod::BiQuadratic, InterpolationMethod::BiLinear,
        InterpolationMethod::Triangulation, InterpolationMethod::NearestNeighbour};
    for (int id = 1047; id <= 1050; ++id) {
        page_.SelectMethod(id);
        EXPECT_EQ(page_.method(), methods[id - 1047]) << id;
    }
    platform_.events.clear();
    page_.SelectLayout(1045);
    page_.SelectMethod(1046);
    EXPECT_EQ(page_.layout(), PointFileLayout::GgaFromGps);
    EXPECT_EQ(page_.method(), InterpolationMethod::NearestNeighbour);
    EXPECT_TRUE(platform_.events.empty());
}

TEST_F(FilePage, ViewStartsTheEditorWithoutWaiting) {
    Choose("/data/points.txt", "/data/result.txt");
    page_.ViewInputFile();
    page_.ViewOutputFile();
    EXPECT_EQ(platform_.editors, (std::vector<test::EditorStart>{{"/data/points.txt", false},
                                                                 {"/data/result.txt", false}}));
}

TEST_F(FilePage, CancelledDialogsKeepThePaths) {
    Choose("/data/points.txt", "/data/result.txt");
    page_.BrowseInputFile();  // no answers queued: both dialogs cancelled
    page_.BrowseOutputFile();
    EXPECT_EQ(
        platform_.events,
        (std::vector<std::string>{"open-dialog", std::string("save-dialog ") + kPointFileFilter}));
    EXPECT_EQ(platform_.dialogTitles,
              (std::vector<std::string>{kFileCalcInputDialogTitle, kFileCalcOutputDialogTitle,
                                        kFileCalcInputDialogTitle, kFileCalcOutputDialogTitle}));
    EXPECT_EQ(page_.inputPath(), "/data/points.txt");
    EXPECT_EQ(page_.outputPath(), "/data/result.txt");
    EXPECT_EQ(platform_.Field(file_ids::kInputPath), "/data/points.txt");
    EXPECT_EQ(platform_.Field(file_ids::kOutputPath), "/data/result.txt");
}

// The run goes on another thread; each tick shows the count the run last
// reported, so the captions are some of 0, 1000 and 2000 in this order, the
// last count always among them, then "Calc!".
TEST_F(FilePage, CaptionCountsEveryThousandthThenCalcReturns) {
    std::string points;
    for (int i = 0; i < 2500; ++i) points += "48.5 11.25\n";
    WriteFile(In(), points);
    platform_.threadedRuns = true;
    page_.CalculatePointFile();
    std::vector<std::string> shown;
    for (const std::string& e : platform_.events) {
        if (e.rfind("set 1002 ", 0) == 0) shown.push_back(e.substr(9));
    }
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.back(), "Calc!");
    EXPECT_EQ(shown[shown.size() - 2], "2000");
    for (std::size_t k = 0; k + 2 < shown.size(); ++k) {
        EXPECT_TRUE(shown[k] == "0" || shown[k] == "1000") << shown[k];
        EXPECT_LT(std::stoi(shown[k]), std::stoi(shown[k + 1]));
    }
    EXPECT_EQ(platform_.events.front(), "cursor wait");
    EXPECT_EQ(platform_.cursors.back(), CursorShape::Arrow);
    EXPECT_EQ(platform_.meterDone, platform_.meterTotal);
    EXPECT_EQ(platform_.meterTotal, 2500 * 11);
    // The outcome is in the status line; no box.
    EXPECT_TRUE(platform_.notices.empty());
    EXPECT_EQ(Notices(), (std::vector<std::string>{"Calculation done - 2500 points."}));
    EXPECT_EQ(ReadFile(Out()).size(), 2500u * 33u);
}

TEST_F(FilePage, ReadOnlyInputIsProcessed) {
    WriteFile(In(), "48.5 11.25\n");
    ASSERT_EQ(::chmod(In().c_str(), 0444), 0);
    page_.CalculatePointFile();
    EXPECT_EQ(Notices(), (std::vector<std::string>{"Calculation done - 1 points."}));
    EXPECT_EQ(ReadFile(Out()), " 48.500000   11.250000   47.250\r\n");
}

TEST_F(FilePage, HeaderLineIsCopiedAndCountedApart) {
    WriteFile(In(), "Lat Lon of the survey\n48.5 11.25\n");
    page_.CalculatePointFile();
    EXPECT_EQ(Notices(),
              (std::vector<std::string>{"Calculation done - 1 points. "
                                        "1 lines could not be read and were copied unchanged."}));
    EXPECT_EQ(ReadFile(Out()), "Lat Lon of the survey\r\n 48.500000   11.250000   47.250\r\n");
}

TEST_F(FilePage, SameFileTwiceIsRefusedBeforeAnythingIsWritten) {
    const std::string points = "48.5 11.25\n52.0 7.25\n";
    WriteFile(In(), points);
    ASSERT_EQ(::symlink(In().c_str(), folder_.File("link.dat").c_str()), 0);
    for (const std::string& output :
         {In(), folder_.File("link.dat"), folder_.path() + "/./input.dat"}) {
        platform_.notices.clear();
        Choose(In(), output);
        page_.CalculatePointFile();
        ASSERT_EQ(platform_.notices.size(), 1u) << output;
        EXPECT_EQ(
            platform_.notices[0].text,
            "\nOutputfile \"" + output + "\" is the inputfile!\nChoose another outputfile.\n");
        EXPECT_TRUE(platform_.cursors.empty());
        EXPECT_EQ(ReadFile(In()), points);
    }
}

TEST_F(FilePage, GridFileAsOutputIsRefused) {
    WriteFile(In(), "48.5 11.25\n");
    struct stat before {};
    ASSERT_EQ(::stat(grid_.path.c_str(), &before), 0);
    Choose(In(), grid_.path);
    page_.CalculatePointFile();
    EXPECT_EQ(Notices(), (std::vector<std::string>{"\nOutputfile \"" + grid_.path +
                                                   "\" is the geoid file in use!\n"
                                                   "Choose another outputfile.\n"}));
    struct stat after {};
    ASSERT_EQ(::stat(grid_.path.c_str(), &after), 0);
    EXPECT_EQ(after.st_size, before.st_size);
}

TEST_F(FilePage, InputThatIsNoRegularFileIsRefused) {
    ASSERT_EQ(::mkfifo(folder_.File("fifo").c_str(), 0600), 0);
    for (const std::string& input :
         {folder_.path(), folder_.File("fifo"), std::string("/dev/zero")}) {
        platform_.notices.clear();
        Choose(input, Out());
        page_.CalculatePointFile();
        EXPECT_EQ(Notices(), (std::vector<std::string>{"\nInputfile \"" + input +
                                                       "\" could not be opened: it is not a "
                                                       "regular file!\n"}));
        EXPECT_FALSE(Exists(Out()));
    }
}

TEST_F(FilePage, OutputThatCannotBeOpenedIsNamed) {
    WriteFile(In(), "48.5 11.25\n");
    const std::string output = folder_.File("no/such/folder/out.dat");
    Choose(In(), output);
    page_.CalculatePointFile();
    EXPECT_EQ(Notices(),
              (std::vector<std::string>{"\nOutputfile \"" + output +
                                        "\" could not be opened: No such file or directory!\n"}));
    EXPECT_TRUE(platform_.cursors.empty());
}

TEST_F(FilePage, DiskFullIsReportedNotDone) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full on this system";
    WriteFile(In(), "48.5 11.25\n");
    Choose(In(), "/dev/full");
    page_.CalculatePointFile();
    ASSERT_EQ(platform_.notices.size(), 1u);
    EXPECT_EQ(
        platform_.notices[0].text.rfind("\nOutputfile \"/dev/full\" could not be written: ", 0), 0u)
        << platform_.notices[0].text;
    EXPECT_EQ(platform_.Field(file_ids::kCalc), "Calc!");
    EXPECT_EQ(platform_.cursors.back(), CursorShape::Arrow);
}

TEST_F(FilePage, MissingGridIsToldOncePerRun) {
    WriteFile(In(), "48.5 11.25\n52.0 7.250\n-33.25 -70.5\n");
    grid_.path = folder_.File("no_grid_here");
    page_.CalculatePointFile();
    EXPECT_EQ(Notices(), (std::vector<std::string>{OpenFailureMessage(grid_.path)}));
    EXPECT_FALSE(Exists(Out()));
}

TEST_F(FilePage, EmptyInputGivesEmptyOutputAndZeroPoints) {
    WriteFile(In(), "");
    WriteFile(Out(), "old results\r\n");
    page_.CalculatePointFile();
    EXPECT_EQ(Notices(), (std::vector<std::string>{"Calculation done - 0 points."}));
    EXPECT_EQ(ReadFile(Out()), "");
}

// "Check receiver…" is there for NMEA logs only; it audits the input against the
// grid beside the internal database and shows the report; a missing grid is told alone.
TEST_F(FilePage, CheckReceiverShowsTheAuditOfAGgaLog) {
    EXPECT_FALSE(platform_.enabled.at(file_ids::kCheckReceiver));
    for (int id : {1040, 1041, 1042, 1043, 1044, 1051, 1040}) {
        page_.SelectLayout(id);
        EXPECT_EQ(platform_.enabled.at(file_ids::kCheckReceiver), id == 1044 || id == 1051) << id;
        EXPECT_EQ(page_.layoutRadio(), id);
    }
    page_.SelectLayout(file_ids::kLastLayout);
    WriteFile(In(),
              test::WithNmeaChecksum("$GPGGA,120000.00,4830.000,N,01130.000,E,1,08,0.9,500.0,M,"
                                     "47.25,M,,"));
    const std::string internal = folder_.File(kInternalGridName);
    page_.CheckReceiver();
    EXPECT_EQ(Notices(), (std::vector<std::string>{OpenFailureMessage(internal)}));
    EXPECT_TRUE(platform_.reports.empty());

    platform_.notices.clear();
    ASSERT_EQ(::symlink(ConstantGrid(47.25f).path.c_str(), internal.c_str()), 0);
    page_.CheckReceiver();
    EXPECT_TRUE(platform_.notices.empty());
    ASSERT_EQ(platform_.reports.size(), 1u);
    EXPECT_EQ(platform_.reports[0].title, "Check receiver");
    const std::string& text = platform_.reports[0].text;
    EXPECT_EQ(text.rfind("separation matches EGM2008 (RMS 0.00 m)", 0), 0u) << text;
    EXPECT_NE(text.find("\nGrid: " + internal + "\n"), std::string::npos) << text;
    EXPECT_EQ(platform_.meterDone, platform_.meterTotal);
    EXPECT_FALSE(Exists(Out()));
}

// The layout "NMEA, any receiver" writes what `egm2008 nmea` writes (RunNmea),
// every talker kept, and ends with its summary.
TEST_F(FilePage, NmeaLayoutRewritesAsTheCommandLineDoes) {
    const std::string log =
        test::WithNmeaChecksum(
            "$GNGGA,120000.00,4830.000,N,01130.000,E,1,08,0.9,500.0,M,"
            "40.00,M,,") +
        "\r\n$GNRMC,120000.00,A,4830.000,N,01130.000,E,0.0,0.0,010124,,,A*00\r\n" +
        test::WithNmeaChecksum("$GAGNS,120001.00,4830.000,N,01130.000,E,AN,12,0.9,500.0,40.0,,,V") +
        "\n";
    WriteFile(In(), log);
    page_.SelectLayout(file_ids::kNmeaLayout);
    page_.CalculatePointFile();

    // The same input through the command line's run.
    ScratchFolder other;
    WriteFile(other.File("in"), log);
    PointFileInput input;
    ASSERT_TRUE(input.Open(other.File("in")));
    TextOutput output;
    ASSERT_TRUE(output.Open(other.File("out")));
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid_, platform_), QueryStatus::StatusOk);
    const NmeaRunOutcome outcome =
        RunNmea(input, output, grid_, mapped, InterpolationMethod::BiQuadratic, {}, {});
    EXPECT_EQ(ReadFile(Out()), ReadFile(other.File("out")));
    EXPECT_EQ(outcome.of[static_cast<int>(NmeaOutcome::Rewritten)], 2);
    EXPECT_EQ(Notices(), (std::vector<std::string>{NmeaSummaryText(outcome)}));
    ASSERT_FALSE(platform_.statuses.empty());
    EXPECT_EQ(platform_.statuses.back().rfind(
                  "File Calc: 2 sentences rewritten, written to " + Out() + " in ", 0),
              0u)
        << platform_.statuses.back();
}

// A new input proposes its output beside it, until the user names one.
TEST_F(FilePage, NewInputProposesItsOutputUntilOneIsNamed) {
    const struct {
        const char* input;
        const char* chosenOutput;  // named before the input changes; "" none
        const char* output;        // afterwards
    } cases[] = {
        {"/logs/rover.nmea", "", "/logs/rover-egm2008.nmea"},
        {"/logs/base", "", "/logs/base-egm2008"},
        {"/logs/.hidden", "", "/logs/.hidden-egm2008"},
        {"/logs/rover.nmea", "/out/mine.txt", "/out/mine.txt"},
    };
    for (const auto& c : cases) {
        page_.InitialiseFilePage(&grid_, folder_.path());
        if (*c.chosenOutput != '\0') page_.SetOutputPath(c.chosenOutput);
        page_.SetInputPath(c.input);
        EXPECT_EQ(page_.outputPath(), c.output) << c.input;
        EXPECT_EQ(platform_.Field(file_ids::kOutputPath), c.output);
    }
    // A proposal follows the next input too.
    page_.InitialiseFilePage(&grid_, folder_.path());
    page_.SetInputPath("/a/one.dat");
    page_.SetInputPath("/b/two.dat");
    EXPECT_EQ(page_.outputPath(), "/b/two-egm2008.dat");
}

// A 2.5' grid chosen in the window is the one the check compares with.
TEST(FilePageCheck, UsesTheWindowsGridWhenItIsFiner) {
    const std::string path = test::RealGridPath("Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree");
    if (!Exists(path)) GTEST_SKIP() << "real grid missing: " << path;
    const GeoidGrid grid = test::MakeGrid(path, 1.0 / 24.0, true);
    FakePlatform platform;
    PointFilePage page(platform);
    ScratchFolder folder;
    WriteFile(folder.File("input.dat"),
              test::WithNmeaChecksum("$GNGGA,1,4830.000,N,01130.000,E,1,08,0.9,500.0,M,47.2,M,,"));
    page.InitialiseFilePage(&grid, folder.path());
    page.SelectLayout(file_ids::kLastLayout);
    page.CheckReceiver();
    ASSERT_EQ(platform.reports.size(), 1u);
    EXPECT_NE(platform.reports[0].text.find("\nGrid: " + path + "\n"), std::string::npos);
}

TEST(FilePageWithoutGrid, SaysSoAndTouchesNoFile) {
    FakePlatform platform;
    PointFilePage page(platform);
    ScratchFolder folder;
    WriteFile(folder.File("input.dat"), "48.5 11.25\n");
    page.InitialiseFilePage(nullptr, folder.path());
    page.CalculatePointFile();
    ASSERT_EQ(platform.notices.size(), 1u);
    EXPECT_EQ(platform.notices[0], (Notice{"Error: Detected Nullpointer.", NoticeIcon::Error}));
    EXPECT_FALSE(Exists(folder.File("output.dat")));
}

}  // namespace
}  // namespace egm2008
