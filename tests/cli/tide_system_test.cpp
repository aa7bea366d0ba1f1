// --tide-system on every command that writes N: on a grid whose N is 10 m
// everywhere, mean tide adds Ekman's 0.1287 m at the equator and -0.2561 m at
// the poles, zero tide 0.0297 m at the equator; tide-free writes what the
// command wrote before it had the option. A name it does not know is a usage error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.hpp"
#include "tests/support/nmea_text.hpp"

namespace egm2008::cli::test {
namespace {

class TideSystemOption : public ::testing::Test {
protected:
    void SetUp() override {
        grid_ = scratch_.File("grid");
        WriteGrid(grid_, kShape10, false, [](std::int64_t, std::int64_t) { return 10.0f; });
    }
    // The command's run with the grid named; the grid before any "--".
    CliRun Run(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin() + 1, {"--grid", grid_});
        return RunTool(args, input);
    }
    ScratchFolder scratch_;
    std::string grid_;
};

struct PointCase {
    const char* latitude;
    const char* system;  // nullptr: the option not given
    const char* out;
};

TEST_F(TideSystemOption, PointAddsTheCorrectionOfItsLatitude) {
    const PointCase cases[] = {
        {"0", nullptr, "10.0000\n"},          {"0", "tide-free", "10.0000\n"},
        {"0", "mean-tide", "10.1287\n"},      {"0", "zero-tide", "10.0297\n"},
        {"90", "mean-tide", "9.7439\n"},      {"-90", "mean-tide", "9.7439\n"},
        {"90", "zero-tide", "9.9409\n"},      {"35.26", "zero-tide", "10.0004\n"},
        {"-35.26", "zero-tide", "10.0004\n"},
    };
    for (const PointCase& c : cases) {
        std::vector<std::string> args = {"point", "--method", "nearest", "--", c.latitude, "10"};
        if (c.system != nullptr) args.insert(args.begin() + 1, {"--tide-system", c.system});
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.out) << c.latitude << " " << (c.system ? c.system : "(default)");
    }
}

TEST_F(TideSystemOption, PointConvertsTheHeightWithTheCorrectedUndulation) {
    EXPECT_EQ(Run({"point", "0", "10", "-m", "bilinear", "--height", "100", "--to", "orthometric",
                   "--tide-system", "mean-tide"})
                  .out,
              "10.1287 89.8713\n");
}

TEST_F(TideSystemOption, FileWritesTheCorrectedUndulation) {
    const std::string input = "0 10\n90 10\n";
    EXPECT_EQ(Run({"file", "-", "-", "-q"}, input).out,
              "  0.000000   10.000000   10.000\r\n"
              " 90.000000   10.000000   10.000\r\n");
    EXPECT_EQ(Run({"file", "-", "-", "-q", "--tide-system", "mean-tide"}, input).out,
              "  0.000000   10.000000   10.129\r\n"
              " 90.000000   10.000000    9.744\r\n");
}

TEST_F(TideSystemOption, FileRewritesGgaSentencesWithTheCorrectedSeparation) {
    const std::string gga =
        WithNmeaChecksum("$GPGGA,123519,0000.000,N,01000.000,E,1,08,0.9,100.0,M,20.0,M,,") + "\n";
    const CliRun run =
        Run({"file", "-", "-", "-q", "-l", "gga", "--tide-system", "mean-tide"}, gga);
    EXPECT_NE(run.out.find(",M,10.1287,M,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(",109.8713,M,"), std::string::npos) << run.out;  // 120 - N
}

TEST_F(TideSystemOption, HeightsConvertWithTheCorrectedUndulationAndSayWhich) {
    const std::string input = "lat,lon,h\n0,10,100\n";
    EXPECT_EQ(Run({"heights", "-", "-", "-q", "--to", "orthometric"}, input).out,
              "lat,lon,h,N_EGM2008,H\n0,10,100,10.000,90.000\n");
    const CliRun mean = Run({"heights", "-", "-", "-q", "--to", "orthometric", "--comment",
                             "--tide-system", "mean-tide"},
                            input);
    EXPECT_EQ(mean.status, 0) << mean.err;
    EXPECT_NE(mean.out.find("bi-quadratic, mean-tide; H = h - N"), std::string::npos) << mean.out;
    EXPECT_NE(mean.out.find("lat,lon,h,N_EGM2008,H\n0,10,100,10.129,89.871\n"), std::string::npos)
        << mean.out;
}

TEST_F(TideSystemOption, NmeaRewritesTheSeparationAndAltitude) {
    const std::string gga =
        WithNmeaChecksum("$GPGGA,123519,0000.000,N,01000.000,E,1,08,0.9,100.0000,M,20.0000,M,,") +
        "\r\n";
    const CliRun free = Run({"nmea", "-", "-", "-q"}, gga);
    EXPECT_NE(free.out.find(",110.0000,M,10.0000,M,"), std::string::npos) << free.out;
    const CliRun mean = Run({"nmea", "-", "-", "-q", "--tide-system", "mean-tide"}, gga);
    EXPECT_NE(mean.out.find(",109.8713,M,10.1287,M,"), std::string::npos) << mean.out;
}

TEST_F(TideSystemOption, GridWritesTheCorrectedUndulationOfEachRow) {
    const std::vector<std::string> area = {
        "grid", "--lat", "90", "0", "--lon", "10", "10", "--step-lat", "5400", "--step-lon", "60"};
    EXPECT_EQ(Run(area).out,
              " 90.000000   10.000000   10.000\r\n"
              "  0.000000   10.000000   10.000\r\n");
    std::vector<std::string> mean = area;
    mean.insert(mean.end(), {"--tide-system", "mean-tide"});
    EXPECT_EQ(Run(mean).out,
              " 90.000000   10.000000    9.744\r\n"
              "  0.000000   10.000000   10.129\r\n");
}

TEST_F(TideSystemOption, GeoTiffNamesTheSystemOnlyWhenNotTideFree) {
    const std::string tif = scratch_.File("n.tif");
    const std::vector<std::string> area = {"grid", "--lat", "0",          "1",  "--lon",
                                           "10",   "11",    "--step-lat", "60", "--step-lon",
                                           "60",   "-o",    tif};
    ASSERT_EQ(Run(area).status, 0);
    EXPECT_EQ(ReadFile(tif).find("TIDE"), std::string::npos);
    std::vector<std::string> zero = area;
    zero.insert(zero.end(), {"--tide-system", "zero-tide"});
    ASSERT_EQ(Run(zero).status, 0);
    const std::string bytes = ReadFile(tif);
    EXPECT_NE(bytes.find("<Item name=\"EGM2008_TIDE_SYSTEM\">zero-tide</Item>"), std::string::npos);
    EXPECT_NE(bytes.find(", zero-tide system."), std::string::npos);
}

TEST_F(TideSystemOption, UnknownNameIsAUsageError) {
    const std::vector<std::string> commands[] = {
        {"point", "0", "0"},
        {"file", "-", "-"},
        {"heights", "-", "-"},
        {"nmea", "-", "-"},
        {"grid", "--lat", "0", "1", "--lon", "0", "1", "--step-lat", "60", "--step-lon", "60"},
    };
    for (std::vector<std::string> args : commands) {
        args.insert(args.end(), {"--tide-system", "mean"});
        const CliRun run = RunTool(args, "0 0\n");
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_NE(run.err.find("--tide-system"), std::string::npos) << args[0] << ": " << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(TideSystemOption, NmeaAuditTakesNoTideSystem) {
    const CliRun run = RunTool({"nmea", "log.nmea", "--audit", "--tide-system", "mean-tide"});
    EXPECT_EQ(run.status, 2);
}

}  // namespace
}  // namespace egm2008::cli::test
