// Heights between two geoid models on the command line: "point --height" and
// "heights" with --from-model and --to-model take orthometric heights from one
// model's geoid to another's, H_to = H + N_from - N_to, both grids found in the
// grid folders. Checked on the real grids (EGM2008's 10' as the internal
// database, egm96.grd and wwgrid.bin in the grid folder): the printed heights
// differ by the printed undulations, both commands print the same numbers, and
// a model whose grid is in no folder ends the run with the engine's message.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli_test_support.hpp"

namespace egm2008::cli::test {
namespace {

constexpr const char* kReal10Le = "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE";

// The real grids as the runs find them: the 10' grid in the working directory
// (the internal database), the older models' files in $EGM2008_GRID_PATH.
class RealModels : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {kReal10Le, "egm96.grd", "wwgrid.bin"}) {
            if (!std::filesystem::is_regular_file(RealGridPath(name)))
                GTEST_SKIP() << "real grid " << name << " not in " << EGM2008_GRID_DIR;
        }
    }
    ScratchFolder scratch_;
    EnvironmentVariable path_{"EGM2008_GRID_PATH", std::string(EGM2008_GRID_DIR)};
    EnvironmentVariable home_{"HOME", scratch_.File("home")};
    EnvironmentVariable data_{"XDG_DATA_HOME", std::nullopt};
    WorkingDirectory here_{EGM2008_GRID_DIR};
};

struct ShiftCase {
    const char* name;
    const char* latitude;
    const char* longitude;
    const char* from;
    const char* to;
};

void PrintTo(const ShiftCase& c, std::ostream* os) { *os << c.name; }

// The numbers of one line of output, "-30.6580 -42.6433 3011.9853".
std::vector<double> Numbers(const std::string& line) {
    std::istringstream in(line);
    in.imbue(std::locale::classic());
    std::vector<double> numbers;
    for (double x = 0.0; in >> x;) numbers.push_back(x);
    return numbers;
}

// Three values each rounded to 4 decimals: their difference may be off by 1.5e-4.
constexpr double kPrinted = 1.5e-4 + 1e-9;

class PointBetweenModels : public RealModels, public ::testing::WithParamInterface<ShiftCase> {};

TEST_P(PointBetweenModels, HeightsDifferByTheUndulations) {
    const ShiftCase& c = GetParam();
    const CliRun run = RunTool({"point", "--method", "bilinear", "--height", "100", "--from-model",
                                c.from, "--to-model", c.to, "--", c.latitude, c.longitude});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<double> v = Numbers(run.out);
    ASSERT_EQ(v.size(), 3u) << run.out;
    EXPECT_NEAR(v[2] - 100.0, v[0] - v[1], kPrinted) << run.out;
    // The models differ here: a run that read one grid twice would print N twice.
    EXPECT_NE(v[0], v[1]) << run.out;
}

TEST_P(PointBetweenModels, HeightsRunPrintsWhatPointPrints) {
    const ShiftCase& c = GetParam();
    const std::string in = scratch_.File("in.csv");
    const std::string out = scratch_.File("out.csv");
    WriteFile(in, std::string("lat,lon,H\n") + c.latitude + "," + c.longitude + ",100\n");
    const CliRun run = RunTool({"heights", in, out, "-m", "bilinear", "--decimals", "4", "-q",
                                "--from-model", c.from, "--to-model", c.to});
    ASSERT_EQ(run.status, 0) << run.err;
    const CliRun point =
        RunTool({"point", "--method", "bilinear", "--height", "100", "--from-model", c.from,
                 "--to-model", c.to, "--", c.latitude, c.longitude});
    std::string values = point.out;
    for (char& ch : values) ch = ch == ' ' ? ',' : ch;
    std::string from = c.from, to = c.to;
    for (std::string* name : {&from, &to})
        for (char& ch : *name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    EXPECT_EQ(ReadFile(out), "lat,lon,H,N_" + from + ",N_" + to + ",H_" + to + "\n" + c.latitude +
                                 "," + c.longitude + ",100," + values);
}

INSTANTIATE_TEST_SUITE_P(
    Points, PointBetweenModels,
    ::testing::Values(ShiftCase{"TibetEgm96ToEgm2008", "28.5", "94.5", "egm96", "egm2008"},
                      ShiftCase{"BerlinEgm84ToEgm2008", "52.5", "13.4", "egm84", "egm2008"},
                      ShiftCase{"SydneyEgm2008ToEgm96", "-33.86", "151.21", "egm2008", "egm96"},
                      ShiftCase{"AndesEgm96ToEgm84", "-15.25", "-70.1", "egm96", "egm84"}),
    [](const auto& param) { return std::string(param.param.name); });

// EGM2008 lies about 12 m below EGM96 at the eastern Himalaya, the largest
// difference between the two (Pavlis et al. 2012).
TEST_F(RealModels, Egm2008IsTwelveMetresBelowEgm96At28N94E) {
    const CliRun run = RunTool({"point", "28.5", "94.5", "--method", "biquadratic", "--height",
                                "3000", "--from-model", "egm96", "--to-model", "egm2008"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<double> v = Numbers(run.out);
    ASSERT_EQ(v.size(), 3u) << run.out;
    EXPECT_NEAR(v[1] - v[0], -12.0, 0.1) << run.out;
    EXPECT_NEAR(v[2], 3012.0, 0.1) << run.out;
}

// A model whose grid is in no folder: the engine's message, status 1, no output.
class MissingModel : public ::testing::TestWithParam<std::vector<std::string>> {
protected:
    ScratchFolder scratch_;
    EnvironmentVariable path_{"EGM2008_GRID_PATH", scratch_.File("")};
    EnvironmentVariable home_{"HOME", scratch_.File("home")};
    EnvironmentVariable data_{"XDG_DATA_HOME", std::nullopt};
};

TEST_P(MissingModel, EndsWithTheEnginesMessage) {
    if (std::filesystem::exists("/usr/share/egm2008/wwgrid.bin") ||
        std::filesystem::exists("/usr/local/share/egm2008/wwgrid.bin"))
        GTEST_SKIP() << "an EGM84 grid is installed for everyone";
    const std::string in = scratch_.File("in.csv");
    const std::string out = scratch_.File("out.csv");
    WriteFile(in, "lat,lon,H\n1,2,3\n");
    std::vector<std::string> args = GetParam();
    for (std::string& arg : args) {
        if (arg == "IN") arg = in;
        if (arg == "OUT") arg = out;
    }
    const CliRun run = RunTool(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("egm2008: EGM84 grid not found: run `egm2008 grids install egm84`", 0),
              0u)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, MissingModel,
    ::testing::Values(std::vector<std::string>{"point", "1", "2", "--height", "3", "--from-model",
                                               "egm84", "--to-model", "egm2008"},
                      std::vector<std::string>{"heights", "IN", "OUT", "--from-model", "egm84",
                                               "--to-model", "egm96"}));

}  // namespace
}  // namespace egm2008::cli::test
