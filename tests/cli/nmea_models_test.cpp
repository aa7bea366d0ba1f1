// "egm2008 nmea --audit" against the three models on the real grids: a log whose
// separation is EGM96's N at its fixes (N computed here by the engine, as the
// audit computes it) is named EGM96's; one with EGM2008's N keeps today's
// verdict, with a line of figures for each model compared; an older model
// whose grid is in no folder is left out with a note on standard error.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_test_support.hpp"
#include "engine/grid_choice.hpp"
#include "engine/query_routines.hpp"
#include "tasks/engine_names.hpp"
#include "tests/support/nmea_text.hpp"
#include "tests/support/recording_notifier.hpp"

namespace egm2008::cli::test {
namespace {

constexpr const char* kReal10Le = "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE";

struct Fix {
    double latitude;  // whole minutes, so that the sentence holds them exactly
    double longitude;
};

// Where EGM96 and EGM2008 differ by more than the audit's match tolerance.
constexpr Fix kFixes[] = {{28.5, 94.5}, {-5.25, 140.0}, {47.0, 10.5}};

// "ddmm.mmm,N" or "dddmm.mmm,E" of a value in whole minutes.
std::string Angle(double value, int degreeDigits, char positive, char negative) {
    const double minutes = std::round(std::fabs(value) * 60.0);
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%06.3f,%c", degreeDigits,
                  static_cast<int>(minutes / 60.0), std::fmod(minutes, 60.0),
                  value < 0.0 ? negative : positive);
    return text;
}

// A log of GGA fixes whose separation is N of `grid` by the audit's default method.
std::string LogWithSeparationOf(const GeoidGrid& grid) {
    std::string log;
    int second = 10;
    for (const Fix& fix : kFixes) {
        float n = 0.0f;
        RecordingNotifier notifier;
        EXPECT_EQ(ComputeUndulation(grid, InterpolationMethod::BiQuadratic, fix.latitude,
                                    fix.longitude, n, notifier),
                  QueryStatus::StatusOk);
        char separation[32];
        std::snprintf(separation, sizeof separation, "%.3f", static_cast<double>(n));
        log += WithNmeaChecksum("$GPGGA,1200" + std::to_string(second++) + ".00," +
                                Angle(fix.latitude, 2, 'N', 'S') + "," +
                                Angle(fix.longitude, 3, 'E', 'W') + ",1,08,0.9,500.0,M," +
                                separation + ",M,,") +
               "\r\n";
    }
    return log;
}

class AuditModels : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {kReal10Le, "egm96.grd", "wwgrid.bin"}) {
            if (!std::filesystem::is_regular_file(RealGridPath(name)))
                GTEST_SKIP() << "real grid " << name << " not in " << EGM2008_GRID_DIR;
        }
    }
    GeoidGrid Model(GeoidModel model) {
        GridRequest request;
        request.model = model;
        if (model == GeoidModel::Egm2008) request.path = egm2008_;
        GeoidGrid grid;
        std::string reason;
        EXPECT_TRUE(ChooseGrid(request, grid, reason)) << reason;
        return grid;
    }
    CliRun Audit(const std::string& log) {
        return RunTool({"nmea", "-", "--audit", "--grid", egm2008_}, log);
    }
    ScratchFolder scratch_;
    EnvironmentVariable path_{"EGM2008_GRID_PATH", std::string(EGM2008_GRID_DIR)};
    EnvironmentVariable home_{"HOME", scratch_.File("home")};
    EnvironmentVariable data_{"XDG_DATA_HOME", std::nullopt};
    std::string egm2008_ = RealGridPath(kReal10Le);
};

TEST_F(AuditModels, SeparationOfEgm96IsNamedEgm96) {
    const CliRun run = Audit(LogWithSeparationOf(Model(GeoidModel::Egm96)));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "separation matches EGM96 (RMS 0.00 m): altitudes are heights above the EGM96 "
              "geoid; rewrite with `egm2008 nmea` to get EGM2008 heights, or convert heights "
              "with `egm2008 heights --from-model egm96 --to-model egm2008`");
    for (const char* model : {"EGM2008", "EGM96", "EGM84"}) {
        EXPECT_NE(run.out.find(std::string("\nSeparation - ") + model + " N: mean "),
                  std::string::npos)
            << model << "\n"
            << run.out;
    }
    EXPECT_EQ(run.err, "");
}

TEST_F(AuditModels, SeparationOfEgm2008KeepsItsVerdict) {
    const CliRun run = Audit(LogWithSeparationOf(Model(GeoidModel::Egm2008)));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "separation matches EGM2008 (RMS 0.00 m): altitudes are heights above the EGM2008 "
              "geoid");
    EXPECT_NE(run.out.find("\nSeparation - EGM96 N: mean "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nEGM84 grid: "), std::string::npos) << run.out;
}

TEST_F(AuditModels, AMissingOlderGridIsLeftOutWithANote) {
    const std::string log = LogWithSeparationOf(Model(GeoidModel::Egm96));
    EnvironmentVariable nowhere("EGM2008_GRID_PATH", scratch_.File(""));
    const CliRun run = Audit(log);
    // Without EGM96 to compare, the separation is a table that differs from EGM2008.
    EXPECT_EQ(run.out.rfind("separation differs from EGM2008 by up to ", 0), 0u) << run.out;
    EXPECT_EQ(run.out.find("EGM96 N"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("egm2008: EGM96 not compared: EGM96 grid not found: run `egm2008 "
                           "grids install egm96`"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("egm2008: EGM84 not compared: "), std::string::npos) << run.err;
}

}  // namespace
}  // namespace egm2008::cli::test
