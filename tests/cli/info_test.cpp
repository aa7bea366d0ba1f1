// "egm2008 info": size, byte order, markers and value range of a grid file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli_test_support.hpp"

namespace egm2008::cli::test {
namespace {

TEST(Info, DescribesAWholeGrid) {
    ScratchFolder scratch;
    const std::string path = scratch.File("grid");
    // Values rise with the row: -50 m at 90 N to 58 m at 90 S; one implausible node.
    WriteGrid(path, kShape10, true, [](std::int64_t r, std::int64_t c) {
        if (r == 5 && c == 7) return 5000.0f;
        return -50.0f + 0.1f * static_cast<float>(r) - (c == 3 ? 0.5f : 0.0f);
    });
    const CliRun run = RunTool({"info", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "File         " + path +
                  "\n"
                  "Model        EGM2008\n"
                  "Grid         10' x 10', 1081 rows of 2160 values\n"
                  "Byte order   big-endian\n"
                  "Length       9348488 bytes\n"
                  "SHA-256      82582e1b40042839beb2afaea05adbc14cf51df8d88133ee743a762a978f4366 "
                  "(not a known digest)\n"
                  "Markers      all 2162 right\n"
                  "Minimum      -50.5000 m at latitude 90.000000, longitude 0.500000\n"
                  "Maximum      58.0000 m at latitude -90.000000, longitude 0.000000\n"
                  "Implausible  1 values (|N| > 1000 m or not a number)\n");
}

TEST(Info, WrongMarkerFailsAndNamesTheFirst) {
    ScratchFolder scratch;
    const std::string path = scratch.File("grid");
    WriteConstantGrid(path, 1.0f, false);
    PokeWord(path, 17 * 2162 * 4 + 2161 * 4, 8641, false);  // the trailing marker of row 17
    PokeWord(path, 40 * 2162 * 4, 0, false);                // the leading marker of row 40
    const CliRun run = RunTool({"info", "--grid", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Markers      2 of 2162 wrong, the first in row 17\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.err, "egm2008: Geoidfile \"" + path +
                           "\" has 2 wrong record markers, the first in row 17.\n");
}

TEST(Info, AChangedCopyOfASetupGridIsNoKnownDigest) {
    REAL_GRID_OR_SKIP(real, "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE");
    ScratchFolder scratch;
    const std::string path = scratch.File("copy");
    std::filesystem::copy_file(real, path);
    PokeWord(path, 4 * 4, 0x41480000, false);  // node (0, 3) now 12.5 m, a plausible value
    const CliRun run = RunTool({"info", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(" (not a known digest)\n"), std::string::npos) << run.out;
}

struct RealCase {
    const char* name;
    const char* file;
    const char* kind;
    const char* order;
    const char* sha256;  ///< as scripts/setup-grids.sh checks it
};

void PrintTo(const RealCase& c, std::ostream* os) { *os << c.name; }

class InfoOnRealGrids : public ::testing::TestWithParam<RealCase> {};

TEST_P(InfoOnRealGrids, SoundWithTheKnownExtremes) {
    const RealCase& c = GetParam();
    REAL_GRID_OR_SKIP(path, c.file);
    const CliRun run = RunTool({"info", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(std::string("Grid         ") + c.kind), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(std::string("Byte order   ") + c.order + "\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Implausible  0 values"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(std::string("SHA-256      ") + c.sha256 + " (" + c.file +
                           " as made by scripts/setup-grids.sh)\n"),
              std::string::npos)
        << run.out;
    // The geoid's low south of India (-106.9 m) and high over New Guinea (85.8 m).
    EXPECT_NE(run.out.find("Minimum      -106."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Maximum      85."), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    AllFour, InfoOnRealGrids,
    ::testing::Values(RealCase{"Min10Little", "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE",
                               "10' x 10'", "little-endian",
                               "98ae13fa146a0a4e5469d35d62b5b34c84a13fbb17b9fdb98fb1928c73305eba"},
                      RealCase{"Min10Big", "Und_min10x10_egm2008_isw=82_WGS84_TideFree",
                               "10' x 10'", "big-endian",
                               "418c304684c5c9fd80708d0591c379ef30b3d560ba3db1f13fe2e2468e15e480"},
                      RealCase{"Min2_5Little", "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE",
                               "2.5' x 2.5'", "little-endian",
                               "ab6f8b94076f78707d1cdae7b066b93a786a0c64b52449e20cf1a1a2f4e74daf"},
                      RealCase{"Min2_5Big", "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree",
                               "2.5' x 2.5'", "big-endian",
                               "d5d8fb11e80c131e6eaac39f0f407b19b413347f95a9e6e4590ec36fc9c5d6f6"}),
    [](const ::testing::TestParamInfo<RealCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace egm2008::cli::test
