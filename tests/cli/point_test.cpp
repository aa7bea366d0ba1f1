// "egm2008 point": the manual page's four results, the method alone, more
// decimals, negative coordinates, failures.
#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_test_support.hpp"

namespace egm2008::cli::test {
namespace {

constexpr const char* kReal10Le = "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE";
constexpr const char* kReal2_5Be = "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree";

const char* const kMethodNames[] = {"biquadratic", "bilinear", "triangulation", "nearest"};

// Runs every row of an engine reference table (lat, lon, method, status, bits)
// through "point --method M --decimals 17" and expects the same float, bit for bit
// (17 decimals give at least 9 significant digits for every |N| >= 1e-8).
void CheckAgainstReference(const std::string& grid, const std::string& table) {
    std::ifstream csv(TestData(table));
    ASSERT_TRUE(csv) << table;
    std::string line;
    std::getline(csv, line);  // heading
    int rows = 0;
    while (std::getline(csv, line)) {
        std::stringstream fields(line);
        std::string lat, lon, method, status, hex;
        std::getline(fields, lat, ',');
        std::getline(fields, lon, ',');
        std::getline(fields, method, ',');
        std::getline(fields, status, ',');
        std::getline(fields, hex, ',');
        const CliRun run = RunTool({"point", lat, lon, "--method", kMethodNames[std::stoi(method)],
                                    "--decimals", "17", "--grid", grid});
        SCOPED_TRACE(line);
        if (status == "0") {
            ASSERT_EQ(run.status, 0) << run.err;
            const float value = std::strtof(run.out.c_str(), nullptr);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(value), std::stoul(hex, nullptr, 16)) << run.out;
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.out, "N/A\n");
        }
        ++rows;
    }
    EXPECT_GT(rows, 1000);
}

struct ReferenceCase {
    const char* grid;
    const char* table;
};

class PointOnRealGrids : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(PointOnRealGrids, GivesTheEngineReferenceBits) {
    REAL_GRID_OR_SKIP(grid, GetParam().grid);
    CheckAgainstReference(grid, GetParam().table);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, PointOnRealGrids,
    ::testing::Values(ReferenceCase{kReal10Le, "real/engine_sample_10min_le.csv"},
                      ReferenceCase{kReal2_5Be, "real/engine_sample_2p5min_be.csv"}));

class PointOnSyntheticGrid : public ::testing::Test {
protected:
    void SetUp() override {
        // Value 0.01 * column: the longitude decides the value, in steps of 10'.
        path_ = scratch_.File("grid");
        WriteGrid(path_, kShape10, false,
                  [](std::int64_t, std::int64_t c) { return 0.01f * static_cast<float>(c); });
    }
    CliRun Point(std::vector<std::string> args) {
        // The grid first: after "--" every argument is a positional one.
        args.insert(args.begin(), {"point", "--grid", path_});
        return RunTool(args);
    }
    ScratchFolder scratch_;
    std::string path_;
};

TEST_F(PointOnSyntheticGrid, NegativeCoordinatesAsPositionalArguments) {
    // -10 is shifted to 350, column 2100.
    EXPECT_EQ(Point({"-33.5", "-10", "--method", "nearest"}).out, "21.0000\n");
    EXPECT_EQ(Point({"--method", "nearest", "--", "-33.5", "-10"}).out, "21.0000\n");
    EXPECT_EQ(Point({"-33.5", "10", "--method", "nearest"}).out, "0.6000\n");
    EXPECT_EQ(Point({"-0.5", "-10.5", "--method", "nearest"}).out, "20.9700\n");
}

TEST_F(PointOnSyntheticGrid, PointOutsideTheGridIsNotAvailableAndFails) {
    for (const std::vector<std::string>& point :
         {std::vector<std::string>{"91", "0"}, {"0", "-400"}, {"0", "360.5"}}) {
        const CliRun run = Point(point);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out,
                  "Bi-Quadratic     N/A\n"
                  "Bi-Linear        N/A\n"
                  "Triangulation    N/A\n"
                  "Nearest Neighbor N/A\n");
    }
}

// The converted height beside each N, both in the height's unit; N is 0.6 m at
// a node of column 60, and 0.6 / 0.3048 = 1.9685 ft.
TEST_F(PointOnSyntheticGrid, HeightConvertedBesideEachUndulation) {
    const std::vector<std::string> height = {"-33.5", "10", "--height", "100"};
    auto with = [&height](std::vector<std::string> more) {
        more.insert(more.begin(), height.begin(), height.end());
        return more;
    };
    EXPECT_EQ(Point(with({"--to", "orthometric"})).out,
              "Bi-Quadratic     0.6000   H 99.4000\n"
              "Bi-Linear        0.6000   H 99.4000\n"
              "Triangulation    0.6000   H 99.4000\n"
              "Nearest Neighbor 0.6000   H 99.4000\n");
    EXPECT_EQ(Point(with({"--to", "ellipsoidal", "--units", "ft", "--method", "nearest"})).out,
              "1.9685 101.9685\n");
    const CliRun outside =
        Point({"91", "0", "--height", "100", "--to", "orthometric", "-m", "nearest"});
    EXPECT_EQ(outside.status, 1);
    EXPECT_EQ(outside.out, "N/A N/A\n");
}

}  // namespace
}  // namespace egm2008::cli::test
