// Opening the grid file: the length and record-marker check, paths that cannot
// be opened (missing, empty, a folder, a FIFO, format characters), a file the
// process may only read, and the failures that come before any file is opened.
// Every case runs through all four routines, which must also leave the result
// as they define (9999.999 preset, or untouched).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <future>
#include <limits>
#include <string>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

using test::RecordingNotifier;
using test::Shape;

constexpr float kBefore = -8888.0f;

std::string Mismatch(const std::string& path) {
    return "\nGeoidfile \"" + path + "\" does not match the chosen grid size and byte order!\n";
}

std::string CannotOpen(const std::string& path) {
    return "\nGeoidfile \"" + path + "\" could not be opened!\n";
}

// --- files that open but do not fit the descriptor -------------------------

struct MismatchCase {
    const char* name;
    Shape fileShape;
    bool fileBigEndian;
    std::int64_t sizeChange;  // bytes added to (or cut from) the file's proper length
    std::int64_t marker;      // >= 0: this first record marker (little-endian) instead
    double spacing;           // of the descriptor
    bool bigEndian;           // of the descriptor
    const char* finding;      // what the message says the file is
};

class GridMismatchTest
    : public testing::TestWithParam<std::tuple<MismatchCase, InterpolationMethod>> {};

TEST_P(GridMismatchTest, RefusedWithTheMismatchMessage) {
    const auto& [c, method] = GetParam();
    test::ScratchFolder dir;
    const std::string path = dir.File("grid");
    test::WriteZeroGrid(path, c.fileShape, c.fileBigEndian);
    if (c.sizeChange != 0) {
        const auto size = std::filesystem::file_size(path);
        std::filesystem::resize_file(
            path, static_cast<std::uintmax_t>(static_cast<std::int64_t>(size) + c.sizeChange));
    }
    if (c.marker >= 0)
        test::PokeBytes(path, 0,
                        {static_cast<unsigned char>(c.marker & 0xFF),
                         static_cast<unsigned char>((c.marker >> 8) & 0xFF),
                         static_cast<unsigned char>((c.marker >> 16) & 0xFF), 0});
    const GeoidGrid grid = test::MakeGrid(path, c.spacing, c.bigEndian);

    RecordingNotifier notifier;
    float result = kBefore;
    EXPECT_EQ(test::RunRoutine(method, grid, 45.1, 10.1, result, notifier),
              QueryStatus::StatusError);
    EXPECT_EQ(test::Bits(result), test::Bits(test::ResultAfterFailure(method, kBefore)));
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(notifier.notices[0].text, Mismatch(path) + c.finding + "\n");
    EXPECT_EQ(notifier.notices[0].icon, NoticeIcon::Error);
}

constexpr double k10 = 1.0 / 6.0;
constexpr double k2_5 = 1.0 / 24.0;

constexpr const char* kNoGrid = "The file is no grid of the three sizes in either byte order.";
constexpr const char* kNoMarker =
    "The file has the length of a 10' x 10' grid, but its first record marker fits neither byte "
    "order.";

const MismatchCase kMismatchCases[] = {
    {"ShortByOneValue", test::kShape10, false, -4, -1, k10, false, kNoGrid},
    {"ShortByOneByte", test::kShape10, false, -1, -1, k10, false, kNoGrid},
    {"LongByOneValue", test::kShape10, false, 4, -1, k10, false, kNoGrid},
    {"LongByOneRecord", test::kShape10, false, 8648, -1, k10, false, kNoGrid},
    {"EmptyFile", test::kShape10, false, -9348488, -1, k10, false, kNoGrid},
    {"TwoAndAHalfFileAsTenMinutes", test::kShape2_5, false, 0, -1, k10, false,
     "The file is a 2.5' x 2.5' grid in little-endian byte order."},
    {"TenMinuteFileAsTwoAndAHalf", test::kShape10, false, 0, -1, k2_5, false,
     "The file is a 10' x 10' grid in little-endian byte order."},
    {"BigEndianFileReadLittleEndian", test::kShape10, true, 0, -1, k10, false,
     "The file is a 10' x 10' grid in big-endian byte order."},
    {"LittleEndianFileReadBigEndian", test::kShape10, false, 0, -1, k10, true,
     "The file is a 10' x 10' grid in little-endian byte order."},
    {"FirstMarkerZero", test::kShape10, false, 0, 0, k10, false, kNoMarker},
    {"FirstMarkerOfTheTwoAndAHalfGrid", test::kShape10, false, 0, 4 * 8640, k10, false, kNoMarker},
};

INSTANTIATE_TEST_SUITE_P(
    Cases, GridMismatchTest,
    testing::Combine(testing::ValuesIn(kMismatchCases), testing::ValuesIn(test::kMethods)),
    [](const testing::TestParamInfo<std::tuple<MismatchCase, InterpolationMethod>>& p) {
        return std::string(std::get<0>(p.param).name) + "_" +
               test::MethodName(std::get<1>(p.param));
    });

TEST(GridMismatch, FittingFilesOfEachSizeAndByteOrderOpen) {
    test::ScratchFolder dir;
    struct Fit {
        Shape shape;
        double spacing;
    };
    for (const Fit& fit : {Fit{test::kShape10, k10}, Fit{test::kShape2_5, k2_5},
                           Fit{test::kShape1, 1.0 / 60.0}, Fit{test::kShapeHalfDegree, 0.5}}) {
        for (bool bigEndian : {false, true}) {
            const std::string path = dir.File("grid");
            test::WriteZeroGrid(path, fit.shape, bigEndian);
            const GeoidGrid grid = test::MakeGrid(path, fit.spacing, bigEndian);
            RecordingNotifier notifier;
            float result = kBefore;
            EXPECT_EQ(InterpolateBiLinear(grid, 45.1, 10.1, result, notifier),
                      QueryStatus::StatusOk)
                << fit.spacing << (bigEndian ? " big" : " little");
            EXPECT_EQ(result, 0.0f);
            EXPECT_TRUE(notifier.notices.empty());
        }
    }
}

// --- paths that cannot be opened ------------------------------------------------

enum class BadPath { Missing, Empty, Folder, Fifo, FormatCharacters };

struct OpenFailureCase {
    const char* name;
    BadPath kind;
};

class OpenFailureTest
    : public testing::TestWithParam<std::tuple<OpenFailureCase, InterpolationMethod>> {};

TEST_P(OpenFailureTest, ToldOncePerQueryAndStatusError) {
    const auto& [c, method] = GetParam();
    test::ScratchFolder dir;
    std::string path;
    switch (c.kind) {
        case BadPath::Missing: path = dir.File("no such grid"); break;
        case BadPath::Empty: path = ""; break;
        case BadPath::Folder: path = dir.path(); break;
        case BadPath::Fifo:
            path = dir.File("fifo");
            ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
            break;
        case BadPath::FormatCharacters: path = dir.File("grid %s %d %n %%"); break;
    }
    const GeoidGrid grid = test::MakeGrid10(path);

    RecordingNotifier notifier;
    float result = kBefore;
    // A FIFO without a writer must not block the query; if it does, a writer is
    // opened to release it and the test fails.
    auto query = std::async(std::launch::async, [&] {
        return test::RunRoutine(method, grid, 45.1, 10.1, result, notifier);
    });
    if (query.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "the query blocked on " << path;
        const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    EXPECT_EQ(query.get(), QueryStatus::StatusError);
    EXPECT_EQ(test::Bits(result), test::Bits(test::ResultAfterFailure(method, kBefore)));
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(notifier.notices[0].text, CannotOpen(path));
    EXPECT_EQ(notifier.notices[0].icon, NoticeIcon::Error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenFailureTest,
    testing::Combine(testing::Values(OpenFailureCase{"Missing", BadPath::Missing},
                                     OpenFailureCase{"EmptyPath", BadPath::Empty},
                                     OpenFailureCase{"Folder", BadPath::Folder},
                                     OpenFailureCase{"Fifo", BadPath::Fifo},
                                     OpenFailureCase{"FormatCharacters",
                                                     BadPath::FormatCharacters}),
                     testing::ValuesIn(test::kMethods)),
    [](const testing::TestParamInfo<std::tuple<OpenFailureCase, InterpolationMethod>>& p) {
        return std::string(std::get<0>(p.param).name) + "_" +
               test::MethodName(std::get<1>(p.param));
    });

TEST(OpenFailure, EmptyPathShowsNothingBetweenTheQuotes) {
    RecordingNotifier notifier;
    float result = 0.0f;
    EXPECT_EQ(InterpolateBiLinear(test::MakeGrid10(""), 1.0, 1.0, result, notifier),
              QueryStatus::StatusError);
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(notifier.notices[0].text, "\nGeoidfile \"\" could not be opened!\n");
}

TEST(OpenFailure, EveryFailingQueryTellsAgain) {
    test::ScratchFolder dir;
    const GeoidGrid grid = test::MakeGrid10(dir.File("missing"));
    RecordingNotifier notifier;
    float result = 0.0f;
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(
            ComputeUndulation(grid, InterpolationMethod::BiLinear, 1.0, 1.0, result, notifier),
            QueryStatus::StatusError);
    }
    EXPECT_EQ(notifier.notices.size(), 3u);
}

// --- a grid file the process may only read ---------------------------------------

// Runs all four routines on `grid`; 0 when each gives `expected`.
int QueryAllMethods(const GeoidGrid& grid, float expected) {
    RecordingNotifier notifier;
    for (InterpolationMethod method : test::kMethods) {
        float result = 0.0f;
        if (test::RunRoutine(method, grid, 45.1, 10.1, result, notifier) != QueryStatus::StatusOk ||
            result != expected) {
            return 1;
        }
    }
    return notifier.notices.empty() ? 0 : 1;
}

TEST(ReadOnlyGrid, AFileThatMayOnlyBeReadWorks) {
    test::ScratchFolder dir;
    const std::string path = dir.File("grid");
    test::WriteGrid(path, test::kShape10, false, [](std::int32_t, std::int32_t) { return 12.5f; });
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const GeoidGrid grid = test::MakeGrid10(path);

    if (::geteuid() != 0) {
        ASSERT_LT(::open(path.c_str(), O_RDWR), 0) << "the file should not be writable";
        EXPECT_EQ(QueryAllMethods(grid, 12.5f), 0);
        return;
    }
    // The superuser may write any file: query from a child that has given up its rights.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        const int writable = ::open(path.c_str(), O_RDWR);
        if (writable >= 0) ::_exit(3);
        ::_exit(QueryAllMethods(grid, 12.5f));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2 || WEXITSTATUS(status) == 3) {
        GTEST_SKIP() << "cannot make the grid file unwritable for a test process";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a query failed on the read-only grid file";
}

// --- failures before any file is opened --------------------------------------------

struct EarlyCase {
    const char* name;
    double latitude;
    double longitude;
    double latSpacing;
    double lonSpacing;
    QueryStatus status;
};

class EarlyFailureTest : public testing::TestWithParam<std::tuple<EarlyCase, InterpolationMethod>> {
};

TEST_P(EarlyFailureTest, NoFileIsOpenedAndNothingIsSaid) {
    const auto& [c, method] = GetParam();
    GeoidGrid grid = test::MakeGrid10("/nonexistent/grid");
    grid.latSpacing = c.latSpacing;
    grid.lonSpacing = c.lonSpacing;

    test::RecordingReader reader([](std::int32_t, std::int32_t) { return 1.0f; });
    float result = kBefore;
    EXPECT_EQ(test::RunRoutine(method, grid, c.latitude, c.longitude, result, reader), c.status);
    EXPECT_EQ(reader.opens, 0);
    EXPECT_TRUE(reader.reads.empty());
    EXPECT_EQ(test::Bits(result), test::Bits(test::ResultAfterFailure(method, kBefore)));

    // The same through the per-query file access: the missing file is never tried.
    RecordingNotifier notifier;
    result = kBefore;
    EXPECT_EQ(test::RunRoutine(method, grid, c.latitude, c.longitude, result, notifier), c.status);
    EXPECT_TRUE(notifier.notices.empty());
    EXPECT_EQ(test::Bits(result), test::Bits(test::ResultAfterFailure(method, kBefore)));
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr auto kOutside = QueryStatus::StatusOutside;
constexpr auto kError = QueryStatus::StatusError;

INSTANTIATE_TEST_SUITE_P(
    Cases, EarlyFailureTest,
    testing::Combine(
        testing::Values(EarlyCase{"NaNLatitude", kNaN, 10.0, k10, k10, kOutside},
                        EarlyCase{"NaNLongitude", 10.0, kNaN, k10, k10, kOutside},
                        EarlyCase{"NaNBoth", kNaN, kNaN, k10, k10, kOutside},
                        EarlyCase{"NaNLatitudeZeroSpacing", kNaN, 10.0, 0.0, 0.0, kOutside},
                        EarlyCase{"NorthOfTheGrid", 90.000001, 10.0, k10, k10, kOutside},
                        EarlyCase{"SouthOfTheGrid", -90.000001, 10.0, k10, k10, kOutside},
                        EarlyCase{"NorthBy0_0001", 90.0001, 10.0, k10, k10, kOutside},
                        EarlyCase{"WestOf0", 10.0, -1e-9, k10, k10, kOutside},
                        EarlyCase{"EastOf360", 10.0, 360.000001, k10, k10, kOutside},
                        EarlyCase{"InfiniteLatitude", kInf, 10.0, k10, k10, kOutside},
                        EarlyCase{"InfiniteLongitude", 10.0, -kInf, k10, k10, kOutside},
                        EarlyCase{"ZeroSpacings", 10.0, 10.0, 0.0, 0.0, kError},
                        EarlyCase{"ZeroLatitudeSpacing", 10.0, 10.0, 0.0, k10, kError},
                        EarlyCase{"NegativeLongitudeSpacing", 10.0, 10.0, k10, -k10, kError}),
        testing::ValuesIn(test::kMethods)),
    [](const testing::TestParamInfo<std::tuple<EarlyCase, InterpolationMethod>>& p) {
        return std::string(std::get<0>(p.param).name) + "_" +
               test::MethodName(std::get<1>(p.param));
    });

// --- reads past the end of the file -------------------------------------------------

TEST(NodeReaders, ANodePastTheEndReadsZero) {
    test::ScratchFolder dir;
    const std::string path = dir.File("grid");
    test::WriteGrid(path, test::kShape10, false, [](std::int32_t, std::int32_t) { return 7.0f; });
    const GeoidGrid grid = test::MakeGrid10(path);
    RecordingNotifier notifier;
    GridFileReader file(notifier);
    MappedGrid map;
    ASSERT_EQ(file.Open(grid), QueryStatus::StatusOk);
    ASSERT_EQ(map.Map(grid, notifier), QueryStatus::StatusOk);
    for (NodeReader* reader : {static_cast<NodeReader*>(&file), static_cast<NodeReader*>(&map)}) {
        EXPECT_EQ(reader->ReadNode(grid, 2160, 1080, 2159), 7.0f);
        EXPECT_EQ(reader->ReadNode(grid, 2160, 1081, 0), 0.0f);
        EXPECT_EQ(reader->ReadNode(grid, 2160, 5000, 17), 0.0f);
    }
    file.Close();
    EXPECT_TRUE(notifier.notices.empty());
}

}  // namespace
}  // namespace egm2008::engine
