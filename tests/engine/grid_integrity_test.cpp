// A grid file of the right length whose inside is damaged: a block of rows
// zeroed (record markers included), or a punched hole inside one row that
// leaves every marker standing (an interrupted download or a sparse copy).
// Both the per-query access and a run's mapping refuse it with the mismatch
// message; before, the zeros came back as undulations.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/falloc.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

constexpr std::int64_t kRecord = (2160 + 2) * 4;  // one row of the 10' grid
constexpr std::int64_t kRow = 500;                // latitude 6.6667
// A point in the cell below row 500 (rows 500 and 501, and 499 for the
// bi-quadratic window), at column 500: inside both damaged stretches below.
constexpr double kLatitude = 6.6;
constexpr double kLongitude = 83.4;

enum class Damage { ZeroedRows, PunchedHole };

struct DamageCase {
    const char* name;
    Damage damage;
};
void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

// Writes a 10' grid of 12.5 m and damages it; false when the file system cannot punch.
bool MakeDamagedGrid(const std::string& path, Damage damage) {
    test::WriteGrid(path, test::kShape10, false, [](std::int32_t, std::int32_t) { return 12.5f; });
    if (damage == Damage::ZeroedRows) {
        // From the middle of row 500 to the middle of row 503: six markers zero.
        const std::int64_t from = kRow * kRecord + kRecord / 2;
        test::PokeBytes(path, from, std::vector<unsigned char>(3 * kRecord, 0));
        return true;
    }
    // The 4 KiB block 4325376..4329471 lies within row 500 (4324000..4332647), clear of its
    // markers.
    const int fd = ::open(path.c_str(), O_WRONLY);
    const bool punched =
        fd >= 0 &&
        ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, 4325376, 4096) == 0 &&
        ::lseek(fd, 0, SEEK_HOLE) == 4325376;
    if (fd >= 0) ::close(fd);
    return punched;
}

// A file of the chosen kind whose fault lies inside.
std::string Mismatch(const std::string& path) {
    return "\nGeoidfile \"" + path +
           "\" does not match the chosen grid size and byte order!\nThe file has the length and "
           "first record marker of that grid but is damaged inside.\n";
}

class DamagedGridTest : public testing::TestWithParam<DamageCase> {
protected:
    void SetUp() override {
        if (!MakeDamagedGrid(grid_.path, GetParam().damage)) {
            GTEST_SKIP() << "the file system cannot punch a hole into " << grid_.path;
        }
    }
    test::ScratchFolder dir_;
    GeoidGrid grid_ = test::MakeGrid10(dir_.File("grid"));
};

TEST_P(DamagedGridTest, EveryPerQueryRoutineRefusesTheRowsItReads) {
    for (InterpolationMethod method : test::kMethods) {
        SCOPED_TRACE(test::MethodName(method));
        test::RecordingNotifier notifier;
        float result = -8888.0f;
        EXPECT_EQ(test::RunRoutine(method, grid_, kLatitude, kLongitude, result, notifier),
                  QueryStatus::StatusError);
        EXPECT_EQ(test::Bits(result), test::Bits(test::ResultAfterFailure(method, -8888.0f)));
        ASSERT_EQ(notifier.notices.size(), 1u);
        EXPECT_EQ(notifier.notices[0].text, Mismatch(grid_.path));
        EXPECT_EQ(notifier.notices[0].icon, NoticeIcon::Error);

        // Rows far from the damage still answer.
        EXPECT_EQ(test::RunRoutine(method, grid_, -40.0, kLongitude, result, notifier),
                  QueryStatus::StatusOk);
        EXPECT_EQ(result, 12.5f);
    }
}

TEST_P(DamagedGridTest, TheRunsMappingRefusesTheFileOnce) {
    test::RecordingNotifier notifier;
    MappedGrid map;
    EXPECT_EQ(map.Map(grid_, notifier), QueryStatus::StatusError);
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(notifier.notices[0].text, Mismatch(grid_.path));
    for (InterpolationMethod method : test::kMethods) {
        float result = -8888.0f;
        EXPECT_EQ(ComputeUndulation(grid_, method, -40.0, kLongitude, result, map),
                  QueryStatus::StatusError);
    }
    EXPECT_EQ(notifier.notices.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedGridTest,
                         testing::Values(DamageCase{"ZeroedRows", Damage::ZeroedRows},
                                         DamageCase{"PunchedHoleInsideARow", Damage::PunchedHole}),
                         [](const testing::TestParamInfo<DamageCase>& p) {
                             return std::string(p.param.name);
                         });

}  // namespace
}  // namespace egm2008::engine
