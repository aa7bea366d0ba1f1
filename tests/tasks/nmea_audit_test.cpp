#include "tasks/nmea/nmea_audit.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/grid_probe.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/nmea_text.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/recording_notifier.hpp"
#include "tests/support/scratch_folder.hpp"
#include "point_file_fixtures.hpp"

namespace egm2008 {
namespace {

// "$<body>*<checksum>\n".
std::string NmeaSentence(const std::string& body) {
    return test::WithNmeaChecksum("$" + body) + "\n";
}

// A GGA fix at 48.5 N 11.5 E (or 10 S when `south`) with its altitude and separation.
std::string Gga(const std::string& talker, const std::string& time, const char* altitude,
                const char* separation, bool south = false) {
    return NmeaSentence(talker + "GGA," + time + (south ? ",1000.000,S" : ",4830.000,N") +
                        ",01130.000,E,1,08,0.9," + altitude + ",M," + separation + ",M,,");
}

// N is 47.25 m north of the equator; the query fails south of it.
QueryStatus FakeN(double latitude, double, float& undulation) {
    if (latitude < 0.0) return QueryStatus::StatusOutside;
    undulation = 47.25f;
    return QueryStatus::StatusOk;
}

NmeaAuditReport Audit(const std::vector<std::string>& lines, const std::string& grid = "g") {
    NmeaAudit audit(FakeN, grid);
    for (const std::string& line : lines) audit.Add(line);
    return audit.Finish();
}

const std::string kRmc = NmeaSentence("GPRMC,120000.00,A,4830.000,N,01130.000,E,0.0,0.0,010126,,");

TEST(NmeaAudit, VerdictsFollowTheFigures) {
    const struct {
        std::vector<std::string> log;
        std::vector<std::string> verdicts;
        bool failed = false;  // NmeaAuditFailed: the log could not be checked
    } rows[] = {
        // Pinned: an empty log, text without a sentence and binary data passed with exit 0.
        {{}, {"the log is empty: nothing to check"}, true},
        {{"hello\n"}, {"no NMEA sentence in the log: nothing to check"}, true},
        {{std::string("\xb5\x62\x01\x07\0\x5c\n", 7)},
         {"no NMEA sentence in the log: it holds binary data, not NMEA text"},
         true},
        {{kRmc, NmeaSentence("GPGGA,120000.00,4830.000,N,01130.000,E,0,00,99.9,500.0,M,47.2,M,,")},
         {"no fix in the log: nothing to compare"}},
        // Pinned: fixes without a separation were told as "no fix".
        {{NmeaSentence("GPGGA,120000.00,4830.000,N,01130.000,E,1,08,0.9,500.0,M,,M,,"),
          NmeaSentence("GPGGA,120001.00,4830.000,N,01130.000,E,1,08,0.9,500.0,M,,M,,")},
         {"2 fixes without a separation: heights cannot be checked"},
         true},
        {{Gga("GP", "120000.00", "500.0", "47.25"),
          NmeaSentence("GPGGA,120001.00,4830.000,N,01130.000,E,1,08,0.9,,M,47.2,M,,")},
         {"separation matches EGM2008 (RMS 0.00 m): altitudes are heights above the EGM2008 geoid",
          "1 fix without an altitude: heights cannot be checked"}},
        // Pinned: sentences after a time stamp or TAG block were not read.
        {{"2024-05-01T12:00:00Z " + Gga("GP", "120000.00", "500.0", "47.27"),
          "\\c:1700000000*5F\\" + Gga("GP", "120001.00", "500.0", "47.23")},
         {"separation matches EGM2008 (RMS 0.02 m): altitudes are heights above the EGM2008 "
          "geoid"}},
        // Pinned: one pooled verdict for a GP with EGM2008's separation and a GN with 0.
        {{Gga("GP", "120000.00", "500.0", "47.27"), Gga("GN", "120001.00", "547.25", "0.0")},
         {"GP: separation matches EGM2008 (RMS 0.02 m): altitudes are heights above the EGM2008 "
          "geoid",
          "GN: separation is 0 in every sentence: the altitude field most likely holds "
          "ellipsoidal heights"}},
        {{Gga("GP", "120000.00", "500.0", "47.27"), Gga("GP", "120001.00", "500.0", "47.23")},
         {"separation matches EGM2008 (RMS 0.02 m): altitudes are heights above the EGM2008 "
          "geoid"}},
        {{Gga("GP", "120000.00", "500.0", "0.0"), Gga("GP", "120001.00", "500.0", "0")},
         {"separation is 0 in every sentence: the altitude field most likely holds ellipsoidal "
          "heights"}},
        {{Gga("GP", "120000.00", "500.0", "50.65"), Gga("GP", "120001.00", "500.0", "47.25")},
         {"separation differs from EGM2008 by up to 3.4 m (RMS 2.4 m): the receiver uses a "
          "coarser geoid model; rewrite with `egm2008 nmea` (in the window: the layout \"NMEA, "
          "any receiver: keep talker, minimal change\" on the \"EGM2008 File Calc\" page) to "
          "get EGM2008 heights"}},
        {{Gga("GL", "120000.00", "500.0", "47.25"), Gga("GN", "120000.00", "594.2", "47.25"),
          Gga("GL", "120001.00", "500.0", "47.25"), Gga("GN", "120001.00", "500.0", "47.25")},
         {"separation matches EGM2008 (RMS 0.00 m): altitudes are heights above the EGM2008 geoid",
          "GL and GN sentences of the same epoch disagree: altitudes differ by up to 94.2 m in 1 "
          "of 2 epochs"}},
        {{Gga("GP", "120000.00", "500.0", "47.25"), Gga("GP", "120001.00", "9.0", "1.0", true)},
         {"separation matches EGM2008 (RMS 0.00 m): altitudes are heights above the EGM2008 geoid",
          "1 fix could not be compared: EGM2008 N could not be computed at its position"}},
        // Pinned: a log whose every query failed passed with exit 0.
        {{Gga("GP", "120001.00", "9.0", "1.0", true)},
         {"1 fix could not be compared: EGM2008 N could not be computed at its position"},
         true},
    };
    for (const auto& row : rows) {
        const NmeaAuditReport r = Audit(row.log);
        EXPECT_EQ(r.verdicts, row.verdicts) << NmeaAuditText(r);
        EXPECT_EQ(NmeaAuditFailed(r), row.failed) << NmeaAuditText(r);
    }
}

// Talkers whose verdicts differ get their own figures, in words and in JSON.
TEST(NmeaAudit, DisagreeingTalkersGetTheirOwnFigures) {
    const NmeaAuditReport r =
        Audit({Gga("GP", "120000.00", "500.0", "47.35"), Gga("GN", "120001.00", "547.25", "0.0")});
    const std::string text = NmeaAuditText(r);
    EXPECT_NE(text.find("Fixes: 2 from 120000.00 to 120001.00 UTC (1 s)\n"
                        "Separation - EGM2008 N (GP): mean 0.10 m, RMS 0.10 m, min 0.10 m, max "
                        "0.10 m over 1 fix\n"
                        "Separation - EGM2008 N (GN): mean -47.25 m, RMS 47.25 m, min -47.25 m, "
                        "max -47.25 m over 1 fix\n"
                        "Separation 0 (GN): 1 fix\n"),
              std::string::npos)
        << text;
    const std::string json = NmeaAuditJson(r);
    EXPECT_NE(json.find("\"by_talker\":{\"GP\":{\"fixes\":1,\"difference\":{\"count\":1,"
                        "\"mean\":0.1000,\"rms\":0.1000,\"min\":0.1000,\"max\":0.1000},"
                        "\"zero_separations\":0,\"query_failed\":0},\"GN\":{\"fixes\":1,"),
              std::string::npos)
        << json;
}

// Pinned: a GN fix is paired only with fixes of its own epoch, whatever lies between them.
TEST(NmeaAudit, EpochsPairGnWithAConstellationOfTheSameTime) {
    const NmeaAuditReport r = Audit({
        Gga("GP", "120000.00", "500.0", "47.25"), Gga("GN", "120000.00", "500.3", "47.25"),
        Gga("GN", "120001.00", "510.0", "47.25"),  // alone: no pair
        Gga("GP", "120002.00", "500.0", "47.25"), kRmc, Gga("GN", "120002.00", "501.0", "47.25"),
        Gga("GP", "120003.00", "530.0", "47.25"),  // the last epoch, closed by Finish
    });
    EXPECT_EQ(r.pairedEpochs, 2);
    EXPECT_EQ(r.disagreeingEpochs, 1);
    EXPECT_DOUBLE_EQ(r.largestAltitudeDifference, 1.0);
    EXPECT_EQ(r.talkers, (std::vector<std::string>{"GP", "GN"}));
}

// One report in words and as JSON: counts, time past midnight, unusable sentences, escaping.
TEST(NmeaAudit, TextAndJsonCarryTheSameFigures) {
    const NmeaAuditReport r =
        Audit({Gga("GP", "235959.00", "500.0", "47.35"), kRmc, "text\n",
               Gga("GP", "000001.50", "500.0", "47.25"),
               NmeaSentence("GPGGA,000002.00,4830.000,N,01130.000,E,0,00,99.9,500.0,M,47.2,M,,"),
               "$GPGGA,000003.00,4830.000,N,01130.000,E,1,08,0.9,1.0,M,2.0,M,,*00\n"},
              "grids/\"10'\"\\\x01");
    EXPECT_EQ(NmeaAuditText(r),
              "separation matches EGM2008 (RMS 0.07 m): altitudes are heights above the EGM2008 "
              "geoid\n\n"
              "Sentences: 5 in 6 lines (GPGGA 4, GPRMC 1)\n"
              "Talkers: GP\n"
              "Fixes: 2 from 235959.00 to 000001.50 UTC (2.5 s)\n"
              "Separation - EGM2008 N: mean 0.05 m, RMS 0.07 m, min 0.00 m, max 0.10 m over 2 "
              "fixes\n"
              "Not usable: 1 wrong checksum, 1 no fix\n"
              "Grid: grids/\"10'\"\\\x01\n");
    EXPECT_EQ(NmeaAuditJson(r),
              "{\"sentences\":5,\"lines\":6,\"identifiers\":{\"GPGGA\":4,\"GPRMC\":1},"
              "\"talkers\":[\"GP\"],\"positions\":4,\"fixes\":2,"
              "\"unusable\":{\"wrong checksum\":1,\"no fix\":1},\"first_time\":\"235959.00\","
              "\"last_time\":\"000001.50\",\"span_seconds\":2.50,\"difference\":{\"count\":2,"
              "\"mean\":0.0500,\"rms\":0.0707,\"min\":0.0000,\"max\":0.1000},"
              "\"zero_separations\":0,\"query_failed\":0,\"by_talker\":{\"GP\":{\"fixes\":2,"
              "\"difference\":{\"count\":2,\"mean\":0.0500,\"rms\":0.0707,\"min\":0.0000,"
              "\"max\":0.1000},\"zero_separations\":0,\"query_failed\":0}},"
              "\"epochs\":{\"paired\":0,"
              "\"disagreeing\":0,\"largest_altitude_difference\":0.0000},"
              "\"grid\":\"grids/\\\"10'\\\"\\\\\\u0001\",\"verdicts\":[\"separation matches "
              "EGM2008 (RMS 0.07 m): altitudes are heights above the EGM2008 geoid\"]}");
}

// A log read from a file with N from a mapped grid, its lines ending in LF or
// in CR alone (pinned: a CR-only log was one line, "1 wrong checksum").
TEST(NmeaAudit, RunReadsTheLogThroughTheMappedGrid) {
    test::ScratchFolder folder;
    const GeoidGrid grid = test::ConstantGrid(47.25f);
    test::RecordingNotifier notifier;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid, notifier), QueryStatus::StatusOk);
    std::string crOnly = Gga("GP", "120000.00", "500.0", "47.25") + kRmc;
    for (char& c : crOnly) c = c == '\n' ? '\r' : c;
    for (const std::string& log :
         {Gga("GP", "120000.00", "500.0", "47.25") + kRmc, crOnly, std::string()}) {
        test::WriteFile(folder.File("log.nmea"), log);
        const int fd = ::open(folder.File("log.nmea").c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        const NmeaAuditRun run = RunNmeaAudit(fd, grid, mapped, InterpolationMethod::BiLinear);
        ::close(fd);
        EXPECT_EQ(run.readError, 0);
        EXPECT_FALSE(run.stopped);
        EXPECT_EQ(run.report.grid, grid.path);
        EXPECT_EQ(run.report.lines, log.empty() ? 0 : 2);
        EXPECT_EQ(run.report.difference.count, log.empty() ? 0 : 1);
        EXPECT_EQ(run.report.difference.maximum, 0.0);
    }
}

// The 2.5' grid by NGA's names, its byte order checked against the file; else the internal one.
TEST(NmeaAudit, AuditGridPrefersA2_5MinuteFile) {
    const std::string le = "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE";
    const std::string be = "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree";
    const struct {
        const char* where;  // "cwd", "beside" or "" for no file
        std::string name;
        bool bigEndianMarker;
        bool found;
    } rows[] = {
        {"", le, false, false},
        {"cwd", le, false, true},
        {"beside", be, true, true},
        {"beside", be, false, false},  // the name says big-endian, the file is not
    };
    for (const auto& row : rows) {
        test::ScratchFolder cwd;
        test::ScratchFolder data;
        const test::WorkingDirectory inCwd(cwd.path());
        const std::string internal = data.File(kInternalGridName);
        std::string expected = internal;
        if (*row.where != '\0') {
            const std::string folder = std::string(row.where) == "cwd" ? cwd.path() : data.path();
            const std::string path = folder + "/" + row.name;
            test::WriteFile(path, "");
            ASSERT_EQ(
                ::truncate(path.c_str(), static_cast<off_t>(GridFileLength(GridSize::Grid2_5x2_5))),
                0);
            test::PokeWord(path, 0, 8640 * 4, row.bigEndianMarker);
            if (row.found) expected = std::string(row.where) == "cwd" ? row.name : path;
        }
        const GeoidGrid grid = AuditGrid(internal);
        EXPECT_EQ(grid.path, expected) << row.where;
        EXPECT_EQ(grid.gridSize, row.found ? GridSize::Grid2_5x2_5 : GridSize::Grid10x10);
        EXPECT_EQ(grid.bigEndian, row.found && row.bigEndianMarker);
    }
}

// An older model whose N is `n` everywhere, as the audit asks it.
UndulationQuery ConstantN(float n) {
    return [n](double, double, float& undulation) {
        undulation = n;
        return QueryStatus::StatusOk;
    };
}

// EGM2008's N is 47.25 m (FakeN); EGM96's and EGM84's are the row's.
struct OtherModelCase {
    const char* name;
    std::vector<std::string> separations;  // of GP fixes one second apart
    float egm96;
    float egm84;
    std::string verdict;
};

void PrintTo(const OtherModelCase& c, std::ostream* os) { *os << c.name; }

class AuditAgainstOtherModels : public ::testing::TestWithParam<OtherModelCase> {};

TEST_P(AuditAgainstOtherModels, NamesTheClosestModelThatMatches) {
    const OtherModelCase& c = GetParam();
    NmeaAudit audit(FakeN, "g08");
    audit.CompareWith(GeoidModel::Egm96, ConstantN(c.egm96), "g96");
    audit.CompareWith(GeoidModel::Egm84, ConstantN(c.egm84), "g84");
    int second = 0;
    for (const std::string& separation : c.separations)
        audit.Add(
            Gga("GP", "1200" + std::to_string(10 + second++) + ".00", "500.0", separation.c_str()));
    const NmeaAuditReport r = audit.Finish();
    ASSERT_FALSE(r.verdicts.empty());
    EXPECT_EQ(r.verdicts.front(), c.verdict);
    // Every model compared has its line of figures and its grid.
    const std::string text = NmeaAuditText(r);
    for (const char* part : {"\nSeparation - EGM2008 N: mean ", "\nSeparation - EGM96 N: mean ",
                             "\nSeparation - EGM84 N: mean ",
                             "\nGrid: g08\nEGM96 grid: g96\n"
                             "EGM84 grid: g84\n"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

const std::string kMatchesEgm96 =
    "separation matches EGM96 (RMS 0.02 m): altitudes are heights above the EGM96 geoid; "
    "rewrite with `egm2008 nmea` to get EGM2008 heights, or convert heights with `egm2008 "
    "heights --from-model egm96 --to-model egm2008`";

INSTANTIATE_TEST_SUITE_P(
    Models, AuditAgainstOtherModels,
    ::testing::Values(
        OtherModelCase{"Egm96Matches", {"45.02", "44.98"}, 45.0f, 50.0f, kMatchesEgm96},
        OtherModelCase{"Egm84MatchesWithEgm96Farther",
                       {"40.0", "40.0"},
                       41.0f,
                       40.0f,
                       "separation matches EGM84 (RMS 0.00 m): altitudes are heights above the "
                       "EGM84 geoid; rewrite with `egm2008 nmea` to get EGM2008 heights, or "
                       "convert heights with `egm2008 heights --from-model egm84 --to-model "
                       "egm2008`"},
        // Both match; EGM2008 is the closer and keeps today's verdict.
        OtherModelCase{"Egm2008CloserThanAMatchingEgm96",
                       {"47.26", "47.24"},
                       47.2f,
                       40.0f,
                       "separation matches EGM2008 (RMS 0.01 m): altitudes are heights above "
                       "the EGM2008 geoid"},
        // Closer than EGM2008 but no match either: the coarse-table verdict stays EGM2008's.
        OtherModelCase{"CloserButNoMatchIsACoarseTable",
                       {"46.0", "46.0"},
                       45.5f,
                       40.0f,
                       "separation differs from EGM2008 by up to 1.2 m (RMS 1.2 m): the "
                       "receiver uses a coarser geoid model; rewrite with `egm2008 nmea` (in "
                       "the window: the layout \"NMEA, any receiver: keep talker, minimal "
                       "change\" on the \"EGM2008 File Calc\" page) to get EGM2008 heights"},
        // Pinned: a model whose N is 0 must not turn a zero separation into a match.
        OtherModelCase{"ZeroStaysZero",
                       {"0.0", "0"},
                       0.0f,
                       40.0f,
                       "separation is 0 in every sentence: the altitude field most likely holds "
                       "ellipsoidal heights"}),
    [](const auto& param) { return std::string(param.param.name); });

// Without an older model compared, the JSON has no member for them.
TEST(NmeaAudit, JsonNamesTheOtherModelsCompared) {
    NmeaAudit audit(FakeN, "g08");
    audit.CompareWith(GeoidModel::Egm96, ConstantN(45.0f), "g96");
    audit.Add(Gga("GP", "120000.00", "500.0", "45.0"));
    const std::string json = NmeaAuditJson(audit.Finish());
    EXPECT_NE(json.find("\"other_models\":{\"EGM96\":{\"difference\":{\"count\":1,\"mean\":0.0000,"
                        "\"rms\":0.0000,\"min\":0.0000,\"max\":0.0000},\"grid\":\"g96\"}}"),
              std::string::npos)
        << json;
    EXPECT_EQ(NmeaAuditJson(Audit({Gga("GP", "120000.00", "500.0", "45.0")})).find("other_models"),
              std::string::npos);
}

}  // namespace
}  // namespace egm2008
