// ProbeGridFile: a file's grid size from its length and its byte order from the
// first record marker, and what it reports when either fits no grid.
#include "engine/grid_probe.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

struct ProbeCase {
    const char* name;
    test::Shape shape;
    bool bigEndian;
    std::int64_t cut;                   ///< bytes taken off the end
    std::vector<unsigned char> marker;  ///< first 4 bytes written over, when not empty
    std::optional<GridSize> size;
    std::optional<bool> probedBigEndian;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class GridProbeTest : public testing::TestWithParam<ProbeCase> {};

TEST_P(GridProbeTest, SizeAndByteOrderFromTheFile) {
    const ProbeCase& c = GetParam();
    test::ScratchFolder dir;
    const std::string path = dir.File("grid");
    test::WriteZeroGrid(path, c.shape, c.bigEndian);
    const auto full = std::filesystem::file_size(path);
    std::filesystem::resize_file(path, full - static_cast<std::uintmax_t>(c.cut));
    if (!c.marker.empty()) test::PokeBytes(path, 0, c.marker);

    GridProbe probe;
    ASSERT_TRUE(ProbeGridFile(path, probe));
    EXPECT_EQ(probe.length, full - static_cast<std::uint64_t>(c.cut));
    EXPECT_EQ(probe.size, c.size);
    EXPECT_EQ(probe.bigEndian, c.probedBigEndian);
    if (c.size) {
        EXPECT_EQ(probe.length, GridFileLength(*c.size));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, GridProbeTest,
    testing::Values(
        ProbeCase{"Min10Little", test::kShape10, false, 0, {}, GridSize::Grid10x10, false},
        ProbeCase{"Min10Big", test::kShape10, true, 0, {}, GridSize::Grid10x10, true},
        ProbeCase{"Min2_5Big", test::kShape2_5, true, 0, {}, GridSize::Grid2_5x2_5, true},
        ProbeCase{"OneRowShort", test::kShape10, false, 8648, {}, std::nullopt, std::nullopt},
        // 34560 = 4 x 8640, the marker of a 2.5' row in a file of 10' length.
        ProbeCase{"MarkerOfAnotherSize",
                  test::kShape10,
                  false,
                  0,
                  {0x00, 0x87, 0x00, 0x00},
                  GridSize::Grid10x10,
                  std::nullopt}),
    [](const testing::TestParamInfo<ProbeCase>& p) { return std::string(p.param.name); });

TEST(GridProbe, ReportsBothReadingsOfAMarkerThatFitsNeither) {
    test::ScratchFolder dir;
    const std::string path = dir.File("grid");
    test::WriteZeroGrid(path, test::kShape10, false);
    test::PokeBytes(path, 0, {0x00, 0x87, 0x00, 0x00});
    GridProbe probe;
    ASSERT_TRUE(ProbeGridFile(path, probe));
    EXPECT_EQ(probe.littleMarker, 34560u);
    EXPECT_EQ(probe.bigMarker, 8847360u);
}

TEST(GridProbe, FolderIsNoGridFile) {
    test::ScratchFolder dir;
    GridProbe probe;
    EXPECT_FALSE(ProbeGridFile(dir.path(), probe));
    EXPECT_EQ(errno, EISDIR);
}

}  // namespace
}  // namespace egm2008::engine

namespace egm2008::engine {
namespace {

// A grid file as a user may choose it: written whole in one byte order, then cut short,
// grown or its first marker overwritten; its name tells nothing.
struct VerdictCase {
    const char* name;
    test::Shape shape;
    bool bigEndian;
    std::int64_t resize;                ///< bytes added (or, negative, cut off) at the end
    std::vector<unsigned char> marker;  ///< first 4 bytes written over, when not empty
    std::optional<GridSize> size;
    std::optional<bool> verdictBigEndian;
    std::string problem;
};

void PrintTo(const VerdictCase& c, std::ostream* os) { *os << c.name; }

class GridVerdictTest : public testing::TestWithParam<VerdictCase> {};

TEST_P(GridVerdictTest, KindAndProblemFromTheFileAlone) {
    const VerdictCase& c = GetParam();
    test::ScratchFolder dir;
    const std::string path = dir.File(c.name);
    test::WriteProbedGrid(path, c.shape, c.bigEndian);
    const auto length = static_cast<std::int64_t>(std::filesystem::file_size(path)) + c.resize;
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(length));
    if (!c.marker.empty()) test::PokeBytes(path, 0, c.marker);

    const GridVerdict verdict = JudgeGridFile(path);
    EXPECT_EQ(verdict.size, c.size);
    EXPECT_EQ(verdict.bigEndian, c.verdictBigEndian);
    EXPECT_EQ(verdict.problem, c.problem);
}

const char* const kLittle2_5Name = "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE";

INSTANTIATE_TEST_SUITE_P(
    Table, GridVerdictTest,
    testing::Values(
        VerdictCase{"mygrid.bin", test::kShape10, false, 0, {}, GridSize::Grid10x10, false, ""},
        VerdictCase{"Big10", test::kShape10, true, 0, {}, GridSize::Grid10x10, true, ""},
        // The name of the little-endian 2.5' grid on a big-endian 1' grid: the content wins.
        VerdictCase{kLittle2_5Name, test::kShape1, true, 0, {}, GridSize::Grid1x1, true, ""},
        VerdictCase{"half.bin",
                    test::kShape10,
                    false,
                    -4348488,
                    {},
                    GridSize::Grid10x10,
                    false,
                    "truncated: 5.0 of 9.3 MB"},
        VerdictCase{"OneByteShort2_5",
                    test::kShape2_5,
                    true,
                    -1,
                    {},
                    GridSize::Grid2_5x2_5,
                    true,
                    "truncated: 149368327 of 149368328 bytes"},
        VerdictCase{"Grown1",
                    test::kShape1,
                    false,
                    66707192,
                    {},
                    GridSize::Grid1x1,
                    false,
                    "too long: 1000.0 MB, a 1' x 1' grid has 933.3 MB"},
        // 34560 = 4 x 8640 is a 2.5' row, but the length is a 10' grid's.
        VerdictCase{"MarkerOfAnotherSize",
                    test::kShape10,
                    false,
                    0,
                    {0x00, 0x87, 0x00, 0x00},
                    GridSize::Grid10x10,
                    std::nullopt,
                    "damaged: it has a grid's length, but its first record marker fits neither "
                    "byte order"},
        VerdictCase{"points.txt",
                    test::kShape10,
                    false,
                    -9348000,
                    {'4', '8', ' ', '1'},
                    std::nullopt,
                    std::nullopt,
                    "no EGM2008 grid file: 488 bytes"},
        VerdictCase{
            "empty", test::kShape10, false, -9348488, {}, std::nullopt, std::nullopt, "empty"}),
    [](const testing::TestParamInfo<VerdictCase>& p) {
        std::string name = p.param.name;
        for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST(GridVerdict, AFileThatCannotBeProbedGivesTheReason) {
    test::ScratchFolder dir;
    EXPECT_EQ(JudgeGridFile(dir.path()).problem, "not a regular file");
    const GridVerdict missing = JudgeGridFile(dir.File("missing"));
    EXPECT_EQ(missing.problem, "cannot be read: No such file or directory");
    EXPECT_FALSE(missing.size);
}

}  // namespace
}  // namespace egm2008::engine
