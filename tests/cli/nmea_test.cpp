// "egm2008 nmea": what the command line adds to the rewrite and the audit: the
// options reaching the run, files and standard streams, the summary on
// standard error, the exit status. N is 47.25 m everywhere (a constant grid).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.hpp"
#include "tests/support/nmea_text.hpp"

namespace egm2008::cli::test {
namespace {

const std::string kGga =
    WithNmeaChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") + "\r\n";
const std::string kNoFix = "$GPGGA,123520,,,,,0,00,99.9,,,,,,\r\n";
const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W\r\n";

class NmeaRun : public ::testing::Test {
protected:
    void SetUp() override { WriteConstantGrid(grid_, 47.25f, false); }
    CliRun Nmea(std::vector<std::string> args, const std::string& stdinText = "") {
        args.insert(args.begin(), "nmea");
        args.insert(args.end(), {"--grid", grid_});
        return RunTool(args, stdinText);
    }
    ScratchFolder scratch_;
    std::string grid_ = scratch_.File("grid");
};

TEST_F(NmeaRun, FileToFileWithSummary) {
    WriteFile(scratch_.File("in.nmea"), kGga + kNoFix + kRmc);
    const CliRun r = Nmea({scratch_.File("in.nmea"), scratch_.File("out.nmea")});
    EXPECT_EQ(r.status, 0) << "a sentence without a fix fails nothing";
    EXPECT_EQ(ReadFile(scratch_.File("out.nmea")),
              WithNmeaChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.0,M,47.2,M,,") +
                  "\r\n" + kNoFix + kRmc);
    EXPECT_EQ(r.err,
              "egm2008: 3 lines read: 1 GGA/GNS sentence rewritten, 1 left as received (1 no "
              "fix), 1 other line passed on.\n");
}

TEST_F(NmeaRun, OptionsReachTheRewriteAndFailuresFailTheRun) {
    const CliRun r = Nmea({"-", "-", "--talker", "GN", "--separation-only", "-q"},
                          kGga + "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,f,46.9,M,,\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              WithNmeaChecksum("$GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,47.2,M,,") +
                  "\r\n$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,f,46.9,M,,\n");
    EXPECT_EQ(r.err,
              "egm2008: 2 lines read: 1 GGA/GNS sentence rewritten, 1 left as received (1 unit "
              "not M).\n");
}

// The report goes to standard output, in words or as JSON; the grid named is used.
TEST_F(NmeaRun, AuditReportsOnStandardOutput) {
    const std::string log =
        kRmc + WithNmeaChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,47.3,M,,") +
        "\n";
    const CliRun words = Nmea({"-", "--audit"}, log);
    EXPECT_EQ(words.status, 0);
    EXPECT_EQ(words.out,
              "separation matches EGM2008 (RMS 0.05 m): altitudes are heights above the EGM2008 "
              "geoid\n\nSentences: 2 in 2 lines (GPRMC 1, GPGGA 1)\nTalkers: GP\nFixes: 1 from "
              "123519 to 123519 UTC (0 s)\nSeparation - EGM2008 N: mean 0.05 m, RMS 0.05 m, min "
              "0.05 m, max 0.05 m over 1 fix\nGrid: " +
                  grid_ + "\n");
    const CliRun json = Nmea({"-", "--audit", "--json"}, log);
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out.substr(0, 30), "{\"sentences\":2,\"lines\":2,\"iden");
    EXPECT_NE(json.out.find("\"verdicts\":[\"separation matches EGM2008 (RMS 0.05 m)"),
              std::string::npos);
    EXPECT_EQ(json.out.back(), '\n');
}

// Pinned: the audit passed (exit 0) a log it could not check.
TEST_F(NmeaRun, AuditFailsALogItCannotCheck) {
    const std::string noSeparation =
        WithNmeaChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,") + "\n";
    const struct {
        std::string log;
        int status;
        std::string firstLine;
    } rows[] = {
        {"", 1, "the log is empty: nothing to check"},
        {std::string("\xb5\x62\x01\0\n", 5), 1,
         "no NMEA sentence in the log: it holds binary data, not NMEA text"},
        {noSeparation, 1, "1 fix without a separation: heights cannot be checked"},
        {kNoFix, 0, "no fix in the log: nothing to compare"},
        {"10:00:00 " + kGga, 0,
         "separation differs from EGM2008 by up to 0.4 m (RMS 0.4 m): "
         "the receiver uses a coarser geoid model; rewrite with `egm2008 "
         "nmea` (in the window: the layout \"NMEA, any receiver: keep talker, minimal "
         "change\" on the \"EGM2008 File Calc\" page) to get EGM2008 heights"},
    };
    for (const auto& row : rows) {
        const CliRun r = Nmea({"-", "--audit"}, row.log);
        EXPECT_EQ(r.status, row.status) << r.out;
        EXPECT_EQ(r.out.substr(0, r.out.find('\n')), row.firstLine);
    }
}

TEST_F(NmeaRun, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"-"}, "egm2008: nmea: OUT is required unless --audit is given\n"},
        {{"-", "-", "--talker", "gps"},
         "egm2008: nmea: --talker: \"gps\" is no talker: two capital letters, such as GP or GN\n"},
        {{"-", "-", "--json"}, "egm2008: nmea: --json requires --audit\n"},
        {{"-", "-", "--audit"}, "egm2008: nmea: OUT excludes --audit\n"},
    };
    for (const Case& c : cases) {
        const CliRun r = Nmea(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.err);
    }
}

}  // namespace
}  // namespace egm2008::cli::test
