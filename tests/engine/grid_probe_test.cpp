// ProbeGridFile: a file's grid size from its length and its byte order from the
// first record marker, and what it reports when either fits no grid.
#include "engine/grid_probe.hpp"

#include <gtest/gtest.h>

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
