// Hostile files given to the pages: grid files that are no grid (empty, short,
// long, random, folders, FIFOs, devices), inputs and outputs that are no
// regular files, paths with blanks, quotes, format directives and non-ASCII
// characters, a grid replaced between and during runs, and an output whose
// folder vanishes. Each page must refuse clearly, never block, never report a
// failed run as done, and never harm a file it must not write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "tasks/lattice/grid_lattice.hpp"
#include "tasks/lattice/gridmaker.hpp"
#include "tasks/points/manual_point.hpp"
#include "tasks/points/point_file.hpp"
#include "tasks/points/point_file_page.hpp"
#include "tasks/common/text_output.hpp"
#include "tests/support/fake_platform.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/scratch_folder.hpp"
#include "point_file_fixtures.hpp"

namespace egm2008 {
namespace {

using test::BlockGuard;
using test::FakePlatform;
using test::FileSizeLimit;
using test::Notice;
using test::ReadFile;
using test::ScratchFolder;
using test::Told;
using test::WriteFile;

constexpr double kSpacing = 30.0;
constexpr float kValue = 47.25f;

bool RunsAsRoot() { return ::geteuid() == 0; }

// The bytes of a whole-earth 30-degree grid of constant value, little-endian.
std::string SmallGridBytes(const ScratchFolder& folder, float value, bool bigEndian = false,
                           double spacing = kSpacing) {
    const std::string scratch = folder.File("grid-bytes");
    test::WriteSmallGrid(scratch, spacing, bigEndian, [value](int, int) { return value; });
    std::string bytes = ReadFile(scratch);
    std::filesystem::remove(scratch);
    return bytes;
}

GeoidGrid SmallGrid(const std::string& path) { return test::MakeGrid(path, kSpacing, false); }

std::vector<std::string> Texts(const std::vector<Notice>& notices) {
    std::vector<std::string> texts;
    for (const Notice& n : notices) texts.push_back(n.text);
    return texts;
}

// ---- grid files that are no grid ---------------------------------------------

enum class Refusal { OpenFailure, Mismatch };

struct GridCase {
    const char* name;
    std::function<void(const ScratchFolder&, const std::string& path)> make;
    Refusal refusal;
    bool needsNonRoot = false;
};
void PrintTo(const GridCase& c, std::ostream* os) { *os << c.name; }

std::string Message(Refusal refusal, const GeoidGrid& grid) {
    return refusal == Refusal::OpenFailure ? OpenFailureMessage(grid.path)
                                           : GridMismatchMessage(grid);
}

class HostileGrid : public ::testing::TestWithParam<GridCase> {
protected:
    void SetUp() override {
        const GridCase& c = GetParam();
        if (c.needsNonRoot && RunsAsRoot()) GTEST_SKIP() << "permissions do not bind root";
        c.make(folder_, folder_.File("grid"));
        grid_ = SmallGrid(folder_.File("grid"));
    }
    void TearDown() override { ::chmod(folder_.File("grid").c_str(), 0600); }

    ScratchFolder folder_;
    GeoidGrid grid_;
    FakePlatform platform_;
    BlockGuard guard_;
};

constexpr const char* kPrevious = "previous output\r\n";

// The file page tells the user once per run and writes nothing: no output is
// created, a previous one keeps its bytes.
TEST_P(HostileGrid, FilePageRefusesItOnceAndLeavesTheOutput) {
    PointFilePage page(platform_);
    page.InitialiseFilePage(&grid_, folder_.path());
    WriteFile(folder_.File("input.dat"), "48.5 11.25\n-33.25 -70.5\n");
    page.CalculatePointFile();
    EXPECT_FALSE(test::Exists(folder_.File("output.dat")));
    WriteFile(folder_.File("output.dat"), kPrevious);
    page.CalculatePointFile();
    const std::string message = Message(GetParam().refusal, grid_);
    EXPECT_EQ(Texts(platform_.notices), (std::vector<std::string>{message, message}));
    EXPECT_EQ(ReadFile(folder_.File("output.dat")), kPrevious);
}

// The manual page shows "N/A" for every method and tells why once.
TEST_P(HostileGrid, ManualPageShowsNotAvailable) {
    ManualPointPage page(platform_);
    page.SetGrid(&grid_);
    platform_.fields[manual_ids::kLatitude] = "48.5";
    platform_.fields[manual_ids::kLongitude] = "11.25";
    page.CalculatePoint();
    for (int id : {manual_ids::kBiQuadratic, manual_ids::kBiLinear, manual_ids::kTriangulation,
                   manual_ids::kNearest}) {
        EXPECT_EQ(platform_.Field(id), "N/A") << id;
    }
    EXPECT_EQ(Texts(platform_.notices),
              std::vector<std::string>(1, Message(GetParam().refusal, grid_)));
}

// The gridmaker tells the user and writes nothing, as the file page.
TEST_P(HostileGrid, GridmakerRefusesItAndLeavesTheOutput) {
    GridmakerPage page(platform_);
    page.SetGrid(&grid_);
    const std::string output = folder_.File("lattice.txt");
    platform_.dialogAnswers.push_back(output);
    page.BrowseOutputFile();
    const int fields[] = {gridmaker_ids::kLatitude1,  gridmaker_ids::kLongitude1,
                          gridmaker_ids::kLatitude2,  gridmaker_ids::kLongitude2,
                          gridmaker_ids::kLatSpacing, gridmaker_ids::kLonSpacing};
    const char* typed[] = {"10", "0", "0", "20", "600", "1200"};
    for (int k = 0; k < 6; ++k) platform_.fields[fields[k]] = typed[k];
    page.RunGridmaker();
    EXPECT_FALSE(test::Exists(output));
    WriteFile(output, kPrevious);
    page.RunGridmaker();
    const std::string message = Message(GetParam().refusal, grid_);
    EXPECT_EQ(Texts(platform_.notices), (std::vector<std::string>{message, message}));
    EXPECT_EQ(ReadFile(output), kPrevious);
}

void Write(const std::string& path, const std::string& bytes) { WriteFile(path, bytes); }

INSTANTIATE_TEST_SUITE_P(Cases, HostileGrid,
                         ::testing::Values(
                             GridCase{
                                 "Empty",
                                 [](const ScratchFolder&, const std::string& p) { Write(p, ""); },
                                 Refusal::Mismatch},
                             GridCase{"OneByte",
                                      [](const ScratchFolder&, const std::string& p) {
                                          Write(p, "\x0c");
                                      },
                                      Refusal::Mismatch},
                             GridCase{"TruncatedByOneByte",
                                      [](const ScratchFolder& f, const std::string& p) {
                                          std::string bytes = SmallGridBytes(f, kValue);
                                          bytes.pop_back();
                                          Write(p, bytes);
                                      },
                                      Refusal::Mismatch},
                             GridCase{"TruncatedToHalf",
                                      [](const ScratchFolder& f, const std::string& p) {
                                          const std::string bytes = SmallGridBytes(f, kValue);
                                          Write(p, bytes.substr(0, bytes.size() / 2));
                                      },
                                      Refusal::Mismatch},
                             GridCase{"OversizedByOneByte",
                                      [](const ScratchFolder& f, const std::string& p) {
                                          Write(p, SmallGridBytes(f, kValue) + '\0');
                                      },
                                      Refusal::Mismatch},
                             GridCase{"TwiceTheLength",
                                      [](const ScratchFolder& f, const std::string& p) {
                                          const std::string bytes = SmallGridBytes(f, kValue);
                                          Write(p, bytes + bytes);
                                      },
                                      Refusal::Mismatch},
                             GridCase{"RandomBytesOfTheRightLength",
                                      [](const ScratchFolder& f, const std::string& p) {
                                          std::string bytes = SmallGridBytes(f, kValue);
                                          std::mt19937 random(2008);
                                          for (char& b : bytes)
                                              b = static_cast<char>(random() & 0xFF);
                                          bytes[0] =
                                              '\x01';  // no record marker in either byte order
                                          Write(p, bytes);
                                      },
                                      Refusal::Mismatch},
                             GridCase{"OtherByteOrder",
                                      [](const ScratchFolder& f, const std::string& p) {
                                          Write(p, SmallGridBytes(f, kValue, true));
                                      },
                                      Refusal::Mismatch},
                             GridCase{"AnotherSpacing",
                                      [](const ScratchFolder& f, const std::string& p) {
                                          Write(p, SmallGridBytes(f, kValue, false, 15.0));
                                      },
                                      Refusal::Mismatch},
                             GridCase{"Missing", [](const ScratchFolder&, const std::string&) {},
                                      Refusal::OpenFailure},
                             GridCase{"Folder",
                                      [](const ScratchFolder&, const std::string& p) {
                                          ASSERT_EQ(::mkdir(p.c_str(), 0700), 0);
                                      },
                                      Refusal::OpenFailure},
                             GridCase{"FifoWithoutWriter",
                                      [](const ScratchFolder&, const std::string& p) {
                                          ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
                                      },
                                      Refusal::OpenFailure},
                             GridCase{"LinkToADevice",
                                      [](const ScratchFolder&, const std::string& p) {
                                          ASSERT_EQ(::symlink("/dev/null", p.c_str()), 0);
                                      },
                                      Refusal::OpenFailure},
                             GridCase{"DanglingLink",
                                      [](const ScratchFolder& f, const std::string& p) {
                                          ASSERT_EQ(::symlink(f.File("nowhere").c_str(), p.c_str()),
                                                    0);
                                      },
                                      Refusal::OpenFailure},
                             GridCase{"Unreadable",
                                      [](const ScratchFolder& f, const std::string& p) {
                                          Write(p, SmallGridBytes(f, kValue));
                                          ASSERT_EQ(::chmod(p.c_str(), 0), 0);
                                      },
                                      Refusal::OpenFailure, true}),
                         [](const ::testing::TestParamInfo<GridCase>& c) {
                             return std::string(c.param.name);
                         });

// A file of the right length and first marker but random values is used as it
// is: every line is written, values beyond the plausibility bound are marked.
TEST(HostileGridContent, RandomValuesAreProcessedLineForLine) {
    ScratchFolder folder;
    std::mt19937 random(20080);
    const GeoidGrid grid = [&] {
        test::WriteSmallGrid(folder.File("grid"), kSpacing, false, [&](int, int) {
            const std::uint32_t bits = static_cast<std::uint32_t>(random());
            float v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        });
        return SmallGrid(folder.File("grid"));
    }();
    std::string points;
    for (int lat = -90; lat <= 90; lat += 7) {
        for (int lon = -180; lon <= 360; lon += 13) {
            points += std::to_string(lat) + ".125 " + std::to_string(lon) + ".50000\n";
        }
    }
    WriteFile(folder.File("input.dat"), points);
    for (int radio = file_ids::kFirstMethod; radio <= file_ids::kLastMethod; ++radio) {
        FakePlatform platform;
        PointFilePage page(platform);
        page.InitialiseFilePage(&grid, folder.path());
        page.SelectMethod(radio);
        page.CalculatePointFile();
        const std::vector<std::string> told = Told(platform);
        ASSERT_EQ(told.size(), 1u) << radio;
        EXPECT_EQ(told[0].rfind("Calculation done - ", 0), 0u) << told[0];
        const std::string written = ReadFile(folder.File("output.dat"));
        std::size_t lines = 0;
        for (std::size_t at = 0; (at = written.find("\r\n", at)) != std::string::npos; at += 2)
            ++lines;
        EXPECT_EQ(lines, static_cast<std::size_t>(std::count(points.begin(), points.end(), '\n')));
    }
}

// ---- a grid replaced between two runs and during one -------------------------

struct Replacement {
    const char* name;
    bool byRename;       // a new file renamed over the path, else rewritten in place
    bool anotherLayout;  // the new file is big-endian while the page expects little-endian
};
void PrintTo(const Replacement& r, std::ostream* os) { *os << r.name; }

class GridReplacedBetweenRuns : public ::testing::TestWithParam<Replacement> {};

// Every run opens the grid afresh: the second run reads the new file, or refuses it.
TEST_P(GridReplacedBetweenRuns, SecondRunReadsTheNewFile) {
    const Replacement& r = GetParam();
    ScratchFolder folder;
    WriteFile(folder.File("grid"), SmallGridBytes(folder, kValue));
    const GeoidGrid grid = SmallGrid(folder.File("grid"));
    WriteFile(folder.File("input.dat"), "48.5 11.25\n");
    FakePlatform platform;
    PointFilePage page(platform);
    page.InitialiseFilePage(&grid, folder.path());
    page.CalculatePointFile();
    EXPECT_EQ(ReadFile(folder.File("output.dat")), " 48.500000   11.250000   47.250\r\n");

    const std::string next = SmallGridBytes(folder, -12.5f, r.anotherLayout);
    if (r.byRename) {
        WriteFile(folder.File("grid.new"), next);
        ASSERT_EQ(std::rename(folder.File("grid.new").c_str(), grid.path.c_str()), 0);
    } else {
        WriteFile(grid.path, next);
    }
    platform.notices.clear();
    platform.statuses.clear();
    page.CalculatePointFile();
    if (r.anotherLayout) {
        EXPECT_EQ(Texts(platform.notices), (std::vector<std::string>{GridMismatchMessage(grid)}));
        EXPECT_EQ(ReadFile(folder.File("output.dat")), " 48.500000   11.250000   47.250\r\n");
    } else {
        EXPECT_EQ(Told(platform), (std::vector<std::string>{"Calculation done - 1 points."}));
        EXPECT_EQ(ReadFile(folder.File("output.dat")), " 48.500000   11.250000  -12.500\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridReplacedBetweenRuns,
    ::testing::Values(Replacement{"RewrittenInPlace", false, false},
                      Replacement{"Renamed", true, false},
                      Replacement{"RewrittenWithAnotherByteOrder", false, true},
                      Replacement{"RenamedWithAnotherByteOrder", true, true}),
    [](const ::testing::TestParamInfo<Replacement>& c) { return std::string(c.param.name); });

// A grid renamed over the path while a run goes on does not change that run:
// the run keeps reading the file it opened, from the first point to the last.
TEST(GridReplacedDuringARun, RunKeepsTheFileItOpened) {
    ScratchFolder folder;
    WriteFile(folder.File("grid"), SmallGridBytes(folder, kValue));
    WriteFile(folder.File("grid.new"), SmallGridBytes(folder, -12.5f));
    const GeoidGrid grid = SmallGrid(folder.File("grid"));
    std::string points;
    for (int k = 0; k < 3000; ++k) points += "48.5 11.25\n";
    WriteFile(folder.File("in"), points);
    PointFileInput input;
    ASSERT_TRUE(input.Open(folder.File("in")));
    TextOutput output;
    ASSERT_TRUE(output.Open(folder.File("out")));
    FakePlatform platform;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid, platform), QueryStatus::StatusOk);
    bool renamed = false;
    const PointFileOutcome outcome = RunPointFile(
        input, output, grid, mapped, PointFileLayout::LatLon, InterpolationMethod::BiLinear,
        [&](std::int64_t) {
            if (!renamed)
                renamed = std::rename(folder.File("grid.new").c_str(), grid.path.c_str()) == 0;
        });
    EXPECT_TRUE(renamed);
    EXPECT_TRUE(outcome.completed());
    EXPECT_EQ(outcome.computed, 3000);
    std::string expected;
    for (int k = 0; k < 3000; ++k) expected += " 48.500000   11.250000   47.250\r\n";
    EXPECT_EQ(ReadFile(folder.File("out")), expected);
}

// ---- inputs and outputs that are no regular files ------------------------------

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(grid_.path, SmallGridBytes(folder_, kValue));
        page_.InitialiseFilePage(&grid_, folder_.path());
        WriteFile(In(), kPoints);
    }
    std::string In() const { return folder_.File("input.dat"); }
    void Choose(const std::string& input, const std::string& output) {
        platform_.dialogAnswers = {input, output};
        page_.BrowseInputFile();
        page_.BrowseOutputFile();
        platform_.notices.clear();
        platform_.cursors.clear();
    }

    static constexpr const char* kPoints = "48.5 11.25\n52.0 7.250\n";
    ScratchFolder folder_;
    GeoidGrid grid_ = SmallGrid(folder_.File("grid"));
    FakePlatform platform_;
    PointFilePage page_{platform_};
    BlockGuard guard_;
};

TEST_F(HostileFiles, UnreadableInputIsRefused) {
    if (RunsAsRoot()) GTEST_SKIP() << "permissions do not bind root";
    ASSERT_EQ(::chmod(In().c_str(), 0200), 0);
    const std::string output = folder_.File("out.dat");
    Choose(In(), output);
    page_.CalculatePointFile();
    EXPECT_EQ(Texts(platform_.notices), (std::vector<std::string>{InputOpenMessage(In(), EACCES)}));
    EXPECT_FALSE(test::Exists(output));
}

TEST_F(HostileFiles, FolderAsOutputIsRefused) {
    Choose(In(), folder_.path());
    page_.CalculatePointFile();
    EXPECT_EQ(Texts(platform_.notices),
              (std::vector<std::string>{OutputOpenMessage(folder_.path(), EISDIR)}));
    EXPECT_TRUE(platform_.cursors.empty());
}

TEST_F(HostileFiles, UnwritableOutputIsRefusedUntouched) {
    if (RunsAsRoot()) GTEST_SKIP() << "permissions do not bind root";
    const std::string output = folder_.File("out.dat");
    WriteFile(output, "keep\n");
    ASSERT_EQ(::chmod(output.c_str(), 0444), 0);
    Choose(In(), output);
    page_.CalculatePointFile();
    EXPECT_EQ(Texts(platform_.notices),
              (std::vector<std::string>{OutputOpenMessage(output, EACCES)}));
    EXPECT_EQ(ReadFile(output), "keep\n");
}

// A FIFO nobody reads would hold the open for ever: refused at once instead.
TEST_F(HostileFiles, FifoWithoutReaderAsOutputIsRefusedAtOnce) {
    const std::string fifo = folder_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Choose(In(), fifo);
    page_.CalculatePointFile();
    EXPECT_EQ(Texts(platform_.notices), (std::vector<std::string>{OutputOpenMessage(fifo, ENXIO)}));
    EXPECT_TRUE(platform_.cursors.empty());
}

// A FIFO that is read is a writable file like any other.
TEST_F(HostileFiles, FifoWithReaderAsOutputGetsTheLines) {
    const std::string fifo = folder_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    Choose(In(), fifo);
    page_.CalculatePointFile();
    EXPECT_EQ(Told(platform_), (std::vector<std::string>{"Calculation done - 2 points."}));
    char buffer[256] = {};
    const ssize_t n = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0),
              " 48.500000   11.250000   47.250\r\n 52.000000    7.250000   47.250\r\n");
}

// A device that takes every write is a valid output.
TEST_F(HostileFiles, NullDeviceAsOutputIsANormalRun) {
    Choose(In(), "/dev/null");
    page_.CalculatePointFile();
    EXPECT_EQ(Told(platform_), (std::vector<std::string>{"Calculation done - 2 points."}));
}

// A hard link is the input under another name: refused, the input kept whole.
TEST_F(HostileFiles, HardLinkToTheInputAsOutputIsRefused) {
    const std::string link = folder_.File("hard.dat");
    ASSERT_EQ(::link(In().c_str(), link.c_str()), 0);
    Choose(In(), link);
    page_.CalculatePointFile();
    EXPECT_EQ(Texts(platform_.notices),
              (std::vector<std::string>{"\nOutputfile \"" + link +
                                        "\" is the inputfile!\nChoose another outputfile.\n"}));
    EXPECT_EQ(ReadFile(In()), kPoints);
}

// An output whose folder is removed during the run is lost: the run must say so.
TEST(VanishedOutput, RunDoesNotReportSuccess) {
    ScratchFolder folder;
    WriteFile(folder.File("grid"), SmallGridBytes(folder, kValue));
    const GeoidGrid grid = SmallGrid(folder.File("grid"));
    WriteFile(folder.File("in"), "48.5 11.25\n52.0 7.25\n");
    const std::string sub = folder.File("sub");
    ASSERT_EQ(::mkdir(sub.c_str(), 0700), 0);
    PointFileInput input;
    ASSERT_TRUE(input.Open(folder.File("in")));
    TextOutput output;
    ASSERT_TRUE(output.Open(sub + "/out"));
    FakePlatform platform;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid, platform), QueryStatus::StatusOk);
    const PointFileOutcome outcome = RunPointFile(
        input, output, grid, mapped, PointFileLayout::LatLon, InterpolationMethod::BiLinear,
        [&](std::int64_t) { std::filesystem::remove_all(sub); });
    EXPECT_FALSE(outcome.completed());
    EXPECT_NE(outcome.writeError, 0);
    EXPECT_EQ(OutcomeMessage(outcome, "in", sub + "/out")
                  .rfind("\nOutputfile \"" + sub + "/out\" could not be written: ", 0),
              0u);
}

// A disk that fills up during the run: the file page and the gridmaker stop,
// say that the file is incomplete, and do not report a completed run.
TEST(OutputFillsUp, RunsReportTheWriteError) {
    ScratchFolder folder;
    WriteFile(folder.File("grid"), SmallGridBytes(folder, kValue));
    const GeoidGrid grid = SmallGrid(folder.File("grid"));
    std::string points;
    for (int k = 0; k < 20000; ++k) points += "48.5 11.25\n";
    WriteFile(folder.File("input.dat"), points);
    FakePlatform platform;
    {
        const FileSizeLimit limit(256 * 1024);
        PointFilePage page(platform);
        page.InitialiseFilePage(&grid, folder.path());
        page.CalculatePointFile();
        GridmakerPage gridmaker(platform);
        gridmaker.SetGrid(&grid);
        platform.dialogAnswers = {folder.File("lattice.txt")};
        gridmaker.BrowseOutputFile();
        const int ids[] = {gridmaker_ids::kLatitude1,  gridmaker_ids::kLongitude1,
                           gridmaker_ids::kLatitude2,  gridmaker_ids::kLongitude2,
                           gridmaker_ids::kLatSpacing, gridmaker_ids::kLonSpacing};
        const char* typed[] = {"90", "-180", "-90", "180", "6", "6"};
        for (int k = 0; k < 6; ++k) platform.fields[ids[k]] = typed[k];
        gridmaker.RunGridmaker();
    }
    ASSERT_EQ(platform.notices.size(), 2u);
    EXPECT_EQ(platform.notices[0].text.rfind(
                  "\nOutputfile \"" + folder.File("output.dat") + "\" could not be written: ", 0),
              0u)
        << platform.notices[0].text;
    EXPECT_EQ(platform.notices[1].text.rfind(
                  "\nOutputfile \"" + folder.File("lattice.txt") + "\" could not be written", 0),
              0u)
        << platform.notices[1].text;
    EXPECT_LE(ReadFile(folder.File("output.dat")).size(), 256u * 1024u);
}

// ---- paths with blanks, quotes, format directives and non-ASCII characters -----

class HostilePath : public ::testing::TestWithParam<const char*> {};

// Such a path is a path like any other: the run reads and writes it, and a
// message shows it exactly, never as a format.
TEST_P(HostilePath, IsUsedAndShownAsItIs) {
    const std::string name = GetParam();
    ScratchFolder folder;
    const std::string dir = folder.File(name);
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    const std::string gridPath = dir + "/" + name + ".grid";
    WriteFile(gridPath, SmallGridBytes(folder, kValue));
    const GeoidGrid grid = SmallGrid(gridPath);
    const std::string in = dir + "/" + name + ".in";
    const std::string out = dir + "/" + name + ".out";
    WriteFile(in, "48.5 11.25\n");

    FakePlatform platform;
    PointFilePage page(platform);
    page.InitialiseFilePage(&grid, folder.path());
    platform.dialogAnswers = {in, out};
    page.BrowseInputFile();
    page.BrowseOutputFile();
    page.CalculatePointFile();
    EXPECT_EQ(Told(platform), (std::vector<std::string>{"Calculation done - 1 points."}));
    EXPECT_EQ(ReadFile(out), " 48.500000   11.250000   47.250\r\n");

    // The same names, missing: each message names the file exactly.
    platform.notices.clear();
    const std::string missing = dir + "/" + name + ".missing";
    platform.dialogAnswers = {missing};
    page.BrowseInputFile();
    page.CalculatePointFile();
    EXPECT_EQ(Texts(platform.notices),
              (std::vector<std::string>{"\nInputfile \"" + missing +
                                        "\" could not be opened: No such file or directory!\n"}));
    platform.notices.clear();
    GeoidGrid gone = SmallGrid(missing);
    ManualPointPage manual(platform);
    manual.SetGrid(&gone);
    platform.fields[manual_ids::kLatitude] = platform.fields[manual_ids::kLongitude] = "0";
    manual.CalculatePoint();
    EXPECT_EQ(Texts(platform.notices),
              std::vector<std::string>{"\nGeoidfile \"" + missing + "\" could not be opened!\n"});
    platform.notices.clear();
    GridmakerPage gridmaker(platform);
    gridmaker.SetGrid(&grid);
    platform.dialogAnswers = {dir + "/no such folder/" + name};
    gridmaker.BrowseOutputFile();
    for (int id : {gridmaker_ids::kLatitude1, gridmaker_ids::kLongitude1, gridmaker_ids::kLatitude2,
                   gridmaker_ids::kLongitude2})
        platform.fields[id] = "0";
    for (int id : {gridmaker_ids::kLatSpacing, gridmaker_ids::kLonSpacing})
        platform.fields[id] = "60";
    gridmaker.RunGridmaker();
    EXPECT_EQ(Texts(platform.notices),
              (std::vector<std::string>{"\nOutputfile \"" + dir + "/no such folder/" + name +
                                        "\" could not be opened: No such file or directory!\n"}));
}

INSTANTIATE_TEST_SUITE_P(Names, HostilePath,
                         ::testing::Values("with blanks  here",
                                           "with \"double\" and 'single' quotes", "%s%s%s%s%s",
                                           "%n%n%n%n", "%99999999d%x%p",
                                           "Gr\xc3\xb6\xc3\x9f"
                                           "e \xe5\x9c\xb0\xe7\x90\x83 \xf0\x9f\x8c\x8d",
                                           "back\\slash;semi|pipe$dollar`tick`", "-leading-dash",
                                           " leading blank"));

}  // namespace
}  // namespace egm2008
