// The end of the pages' long runs: a run that fails part way or is cancelled
// leaves the previous output byte for byte (or none) and says so; a whole run
// puts its file in place and shows what it did in the status line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tasks/lattice/gridmaker.hpp"
#include "tasks/messages.hpp"
#include "tasks/points/point_file_page.hpp"
#include "tests/support/fake_platform.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using test::FakePlatform;
using test::Notice;
using test::ReadFile;
using test::WriteFile;

constexpr const char* kPrevious = "previous output\r\n";

enum class Page { Gridmaker, FileCalc };
enum class Failure { WriteFails, NodeFails, Cancelled };

// Both pages on a 30-degree grid of 10 m (one node -2000 m when a node is to
// fail), writing "out.txt" in a scratch folder.
class PageRun : public ::testing::Test {
protected:
    void MakeGrid(bool holeAtANode) {
        grid_ = test::WriteSmallGrid(folder_.File("grid"), 30.0, false, [=](int r, int c) {
            return holeAtANode && r == 3 && c == 3 ? -2000.0f : 10.0f;
        });
    }
    // An input of `points` copies of one line for the file page.
    void WriteInput(int points) {
        std::string lines;
        for (int k = 0; k < points; ++k) lines += "48.5 11.25\n";
        WriteFile(folder_.File("in.txt"), lines);
    }
    // Runs the page: the gridmaker over `fields` with bi-quadratic, the file page
    // over its input.
    void Run(Page page, const std::vector<const char*>& fields = {}) {
        if (page == Page::Gridmaker) {
            GridmakerPage gridmaker(platform_);
            gridmaker.SetGrid(&grid_);
            platform_.dialogAnswers = {out_};
            gridmaker.BrowseOutputFile();
            const int ids[] = {gridmaker_ids::kLatitude1,  gridmaker_ids::kLongitude1,
                               gridmaker_ids::kLatitude2,  gridmaker_ids::kLongitude2,
                               gridmaker_ids::kLatSpacing, gridmaker_ids::kLonSpacing};
            for (int k = 0; k < 6; ++k) platform_.fields[ids[k]] = fields[k];
            gridmaker.RunGridmaker();
            return;
        }
        PointFilePage file(platform_);
        file.InitialiseFilePage(&grid_, folder_.path());
        platform_.dialogAnswers = {folder_.File("in.txt"), out_};
        file.BrowseInputFile();
        file.BrowseOutputFile();
        file.CalculatePointFile();
    }

    test::ScratchFolder folder_;
    GeoidGrid grid_;
    FakePlatform platform_;
    std::string out_ = folder_.File("out.txt");
};

struct FailedRunCase {
    const char* name;
    Page page;
    Failure failure;
    bool previous;  // an output file is there before the run
};

class FailedPageRun : public PageRun, public ::testing::WithParamInterface<FailedRunCase> {};

TEST_P(FailedPageRun, KeepsThePreviousOutputAndSaysSo) {
    const FailedRunCase& c = GetParam();
    MakeGrid(c.failure == Failure::NodeFails);
    if (c.previous) WriteFile(out_, kPrevious);
    WriteInput(20000);
    const std::vector<std::string> before = folder_.Names();
    platform_.cancelRuns = c.failure == Failure::Cancelled;
    {
        const test::FileSizeLimit limit(c.failure == Failure::WriteFails ? 64 * 1024
                                                                         : RLIM_INFINITY);
        // Whole globe at 1 degree (65,341 nodes) beyond the limit and one meter
        // step; the node case stops at (30 N, 60 E), whose window holds -2000 m.
        const std::vector<const char*> fields =
            c.failure == Failure::NodeFails
                ? std::vector<const char*>{"60", "0", "0", "90", "1800", "1800"}
                : std::vector<const char*>{"90", "-180", "-90", "180", "60", "60"};
        Run(c.page, fields);
    }
    const bool grid = c.page == Page::Gridmaker;
    std::string why = kRunCancelled;
    if (c.failure == Failure::WriteFails) {
        why = "Outputfile \"" + out_ + "\" could not be written" +
              (grid ? " (" + std::string(std::strerror(EFBIG)) + ")!"
                    : ": " + std::string(std::strerror(EFBIG)) + "!");
    } else if (c.failure == Failure::NodeFails) {
        why =
            "The run stopped at latitude 30.000000, longitude 60.000000, where no undulation "
            "could be computed.";
    }
    const std::string fate = c.previous ? "not changed" : "not created";
    // A cancel is told in the status line only; a failure in an error box as well.
    if (c.failure == Failure::Cancelled) {
        EXPECT_TRUE(platform_.notices.empty());
    } else {
        ASSERT_EQ(platform_.notices.size(), 1u);
        EXPECT_EQ(platform_.notices[0],
                  (Notice{"\n" + why + "\nOutputfile \"" + out_ + "\" was " + fate + ".\n",
                          NoticeIcon::Error}));
    }
    // What runs, then how it ended.
    ASSERT_EQ(platform_.statuses.size(), 2u);
    EXPECT_EQ(platform_.statuses[1],
              std::string(grid ? "Gridmaker" : "File Calc") +
                  (c.failure == Failure::Cancelled ? ": cancelled, " : ": failed, ") + out_ + " " +
                  fate);
    EXPECT_EQ(ReadFile(out_), c.previous ? kPrevious : "");
    EXPECT_EQ(test::Exists(out_), c.previous);
    EXPECT_EQ(folder_.Names(), before);
    EXPECT_EQ(platform_.cursors, (std::vector<CursorShape>{CursorShape::Wait, CursorShape::Arrow}));
    if (!grid) {
        EXPECT_EQ(platform_.Field(file_ids::kCalc), kCalcCaption);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedPageRun,
    ::testing::Values(
        FailedRunCase{"GridmakerWriteFails", Page::Gridmaker, Failure::WriteFails, true},
        FailedRunCase{"GridmakerNodeFails", Page::Gridmaker, Failure::NodeFails, true},
        FailedRunCase{"GridmakerNodeFailsNoFile", Page::Gridmaker, Failure::NodeFails, false},
        FailedRunCase{"GridmakerCancelled", Page::Gridmaker, Failure::Cancelled, true},
        FailedRunCase{"FileCalcWriteFails", Page::FileCalc, Failure::WriteFails, true},
        FailedRunCase{"FileCalcWriteFailsNoFile", Page::FileCalc, Failure::WriteFails, false},
        FailedRunCase{"FileCalcCancelled", Page::FileCalc, Failure::Cancelled, true}),
    [](const auto& p) { return std::string(p.param.name); });

// A whole run replaces the previous file and tells the status line what it did
// and how long it took.
TEST_F(PageRun, WholeRunsShowWhatTheyDid) {
    MakeGrid(false);
    WriteFile(out_, kPrevious);
    WriteInput(2500);
    Run(Page::Gridmaker, {"10", "0", "0", "20", "300", "600"});
    Run(Page::FileCalc);
    // Each run says what it does while it runs, then what it did.
    ASSERT_EQ(platform_.statuses.size(), 4u);
    EXPECT_EQ(platform_.statuses[0], "Computing 9 nodes…");
    EXPECT_EQ(platform_.statuses[2], "Computing the points of in.txt (27.5 kB) into out.txt…");
    const std::string seconds = " in [0-9]+\\.[0-9] s\\.?";
    const std::string prefixes[] = {
        "Gridmaker: 9 nodes written to " + out_,
        "File Calc: Calculation done - 2500 points. Written to " + out_};
    for (int k = 0; k < 2; ++k) {
        const std::string& status = platform_.statuses[static_cast<std::size_t>(2 * k + 1)];
        ASSERT_EQ(status.rfind(prefixes[k], 0), 0u) << status;
        EXPECT_TRUE(std::regex_match(status.substr(prefixes[k].size()), std::regex(seconds)))
            << status;
    }
    EXPECT_EQ(ReadFile(out_).size(), 2500u * 33u);
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"grid", "in.txt", "out.txt"}));
}

TEST(GroupedCount, SeparatesThousands) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {2336041, "2,336,041"}, {1000000, "1,000,000"}};
    for (const auto& [n, text] : cases) EXPECT_EQ(GroupedCount(n), text);
}

// What a run's status line says of its size: exact below a million, three figures above.
TEST(RoughCount, ShowsAtMostThreeFiguresFromAMillionOn) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {65341, "65,341"},          {999999, "999,999"},        {1000000, "1 million"},
        {2336041, "2.3 million"},   {9960000, "10 million"},    {23300000, "23 million"},
        {233301601, "233 million"}, {933292808, "933 million"}, {999600000, "1 billion"},
        {1200000000, "1.2 billion"}};
    for (const auto& [n, text] : cases) EXPECT_EQ(RoughCount(n), text) << n;
}

TEST(ByteSize, InDecimalUnitsWithOneDecimal) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 bytes"},        {999, "999 bytes"},    {1000, "1.0 kB"},
        {27500, "27.5 kB"},    {16000000, "16.0 MB"}, {933292808, "933.3 MB"},
        {999999999, "1.0 GB"}, {2500000000, "2.5 GB"}};
    for (const auto& [bytes, text] : cases) EXPECT_EQ(ByteSize(bytes), text) << bytes;
}

}  // namespace
}  // namespace egm2008
