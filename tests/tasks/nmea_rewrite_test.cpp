// Rewriting GGA and GNS sentences of every talker: each case the exact line in
// and out, with a query that answers N = 47.125 m (exact in float).
#include "tasks/nmea/nmea_rewrite.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/nmea_text.hpp"

namespace egm2008 {
namespace {

using test::WithNmeaChecksum;

constexpr float kN = 47.125f;

struct QueryLog {
    std::vector<std::pair<double, double>> points;
    bool fail = false;
    UndulationQuery Function() {
        return [this](double latitude, double longitude, float& undulation) {
            points.emplace_back(latitude, longitude);
            undulation = kN;
            return fail ? QueryStatus::StatusError : QueryStatus::StatusOk;
        };
    }
};

std::string Rewrite(const std::string& line, NmeaOutcome& outcome,
                    const NmeaRewriteOptions& options = {}) {
    QueryLog log;
    std::string out = "kept|";
    outcome = RewriteNmeaLine(line, options, log.Function(), out);
    EXPECT_EQ(out.substr(0, 5), "kept|") << "appends to what is there";
    return out.substr(5);
}

struct RewriteCase {
    const char* name;
    std::string in;
    std::string out;  // "" : the line stays as received
    NmeaOutcome outcome;
    NmeaRewriteOptions options{};
};

const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
const std::string kGgaOut = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.2,M,47.1,M,,";
const std::string kGns = "$GNGNS,090310.00,4717.11378,N,00833.91214,E,AAN,12,0.92,499.6,48.0,,,V";
const std::string kGnsOut =
    "$GNGNS,090310.00,4717.11378,N,00833.91214,E,AAN,12,0.92,500.5,47.1,,,V";

std::string Talked(std::string sentence, const char* talker) {
    return sentence.replace(1, 2, talker);
}

std::string WithMode(std::string gns, const char* mode) {
    return gns.replace(gns.find(",AAN,") + 1, 3, mode);
}

std::vector<RewriteCase> Cases() {
    using O = NmeaOutcome;
    std::vector<RewriteCase> cases = {
        {"GgaWithChecksumAndCrLf", WithNmeaChecksum(kGga) + "\r\n",
         WithNmeaChecksum(kGgaOut) + "\r\n", O::Rewritten},
        {"LowerCaseChecksumAccepted", kGga + "*47\n", WithNmeaChecksum(kGgaOut) + "\n",
         O::Rewritten},
        {"NoChecksumNoLineEnd", kGga, kGgaOut, O::Rewritten},
        {"GnsSeveralModes", WithNmeaChecksum(kGns) + "\n", WithNmeaChecksum(kGnsOut) + "\n",
         O::Rewritten},
        {"GnsDifferentialMode", WithMode(Talked(kGns, "GP"), "DNR"),
         WithMode(Talked(kGnsOut, "GP"), "DNR"), O::Rewritten},
        {"GnsTwelveFields", kGns.substr(0, kGns.size() - 2), kGnsOut.substr(0, kGnsOut.size() - 2),
         O::Rewritten},
        {"DecimalsKept", "$GNGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4321,M,46.90,M,,",
         "$GNGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.2071,M,47.12,M,,", O::Rewritten},
        {"AtLeastOneDecimal", "$GNGGA,1,4807.038,N,01131.000,E,1,08,0.9,545,M,47,M,,",
         "$GNGGA,1,4807.038,N,01131.000,E,1,08,0.9,544.9,M,47.1,M,,", O::Rewritten},
        {"SeparationOnly",
         kGga,
         "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,47.1,M,,",
         O::Rewritten,
         {true, ""}},
        {"TalkerForced", Talked(kGga, "GN"), kGgaOut, O::Rewritten, {false, "GP"}},
        {"NegativeZeroWrittenAsZero", "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,0.0,M,47.12,M,,",
         "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,0.0,M,47.12,M,,", O::Rewritten},
        {"OtherSentence", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\n",
         "", O::NotPosition},
        {"Proprietary", "$PUBX,00,081350.00,4717.113210,N\n", "", O::NotPosition},
        {"Text", "hello\n", "", O::NotPosition},
        {"WrongChecksum", kGga + "*48\r\n", "", O::WrongChecksum},
        {"ChecksumNotHex", kGga + "*4G", "", O::WrongChecksum},
        {"QualityZero", "$GPGGA,1,4807.038,N,01131.000,E,0,08,0.9,545.4,M,46.9,M,,", "", O::NoFix},
        {"GnsModeNEverywhere", WithMode(Talked(kGns, "GL"), "NNN"), "", O::NoFix},
        {"EmptyLatitude", "$GPGGA,1,,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", "", O::EmptyField},
        {"EmptyHemisphere", "$GPGGA,1,4807.038,N,01131.000,,1,08,0.9,545.4,M,46.9,M,,", "",
         O::EmptyField},
        // Pinned: a fix without altitude or separation passed as "no fix" (exit 0).
        {"EmptyAltitude", "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,,M,46.9,M,,", "",
         O::NoAltitude},
        {"EmptySeparation", "$GNGNS,1,4717.11378,N,00833.91214,E,AAN,12,0.92,499.6,,,,V", "",
         O::NoSeparation},
        {"EmptySeparationAndUnit", "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,,,", "",
         O::NoSeparation},
        // Pinned: "48" was read as 0 deg 48', moving N and the altitude by tens of metres.
        {"LatitudeWithoutMinutes", "$GPGGA,1,48,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", "",
         O::Unreadable},
        {"LongitudeOfFourDigits", "$GPGGA,1,4807.038,N,1131.000,E,1,08,0.9,545.4,M,46.9,M,,", "",
         O::Unreadable},
        {"LatitudeWithSign", "$GPGGA,1,+4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", "",
         O::Unreadable},
        {"LatitudeWithoutPoint", "$GPGGA,1,4807,N,01131,E,1,08,0.9,545.4,M,46.9,M,,",
         "$GPGGA,1,4807,N,01131,E,1,08,0.9,545.2,M,47.1,M,,", O::Rewritten},
        // Pinned: a separation of kilometres was taken as a receiver's.
        {"SeparationBeyondAThousandMetres",
         "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,-1000.1,M,,", "", O::Unreadable},
        // Pinned: a sentence after a TAG block, a time stamp, blanks or a binary frame
        // passed as another line; the bytes before it stay.
        {"AfterTagBlock", "\\s:rcvr,c:1700000000*2F\\" + WithNmeaChecksum(kGga) + "\r\n",
         "\\s:rcvr,c:1700000000*2F\\" + WithNmeaChecksum(kGgaOut) + "\r\n", O::Rewritten},
        {"AfterTimeStamp", "2024-05-01T10:00:00.123Z " + WithNmeaChecksum(kGga) + "\n",
         "2024-05-01T10:00:00.123Z " + WithNmeaChecksum(kGgaOut) + "\n", O::Rewritten},
        {"AfterBlanks", " \t" + kGga, " \t" + kGgaOut, O::Rewritten},
        {"AfterBinaryFrameWithADollar", std::string("\xb5\x62\x01$\0,", 6) + kGga,
         std::string("\xb5\x62\x01$\0,", 6) + kGgaOut, O::Rewritten},
        {"OtherSentenceAfterTimeStamp", "10:00:00 $GPRMC,123519,A,4807.038,N\n", "",
         O::NotPosition},
        {"FeetUnit", "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,F,46.9,M,,", "", O::WrongUnit},
        {"LowerCaseUnit", "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,m,,", "",
         O::WrongUnit},
        {"TooFewFields", "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,", "",
         O::Unreadable},
        {"AltitudeNotANumber", "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,5e2,M,46.9,M,,", "",
         O::Unreadable},
        {"MinutesBeyondSixty", "$GPGGA,1,4867.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", "",
         O::Unreadable},
        {"HemisphereLowerCase", "$GPGGA,1,4807.038,n,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", "",
         O::Unreadable},
        {"RecordsJoinedByCr", kGga + "\r" + kGga + "\n", "", O::Unreadable},
        {"AltitudeThatWouldGrowBeyondWhatIsRead",
         "$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,9999999.9,M,9999999.9,M,,", "", O::Unreadable},
    };
    for (const char* talker : {"GL", "GA", "GB", "BD", "GQ", "GI", "GN"}) {
        cases.push_back({"Talker", WithNmeaChecksum(Talked(kGga, talker)) + "\n",
                         WithNmeaChecksum(Talked(kGgaOut, talker)) + "\n", O::Rewritten});
    }
    return cases;
}

TEST(NmeaRewrite, EachLineInGivesItsLineOut) {
    for (const RewriteCase& c : Cases()) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.in);
        NmeaOutcome outcome{};
        const std::string out = Rewrite(c.in, outcome, c.options);
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(out, c.out.empty() ? c.in : c.out);
    }
}

TEST(NmeaRewrite, SouthAndWestAskTheQueryInItsRange) {
    QueryLog log;
    std::string out;
    RewriteNmeaLine("$GPGGA,1,3345.000,S,07030.000,W,1,08,0.9,545.4,M,46.9,M,,", {}, log.Function(),
                    out);
    ASSERT_EQ(log.points.size(), 1u);
    EXPECT_DOUBLE_EQ(log.points[0].first, -33.75);
    EXPECT_DOUBLE_EQ(log.points[0].second, 360.0 - 70.5);
}

TEST(NmeaRewrite, QueryThatFailsLeavesTheSentenceAndStillGivesTheFix) {
    QueryLog log;
    log.fail = true;
    std::string out;
    NmeaFix fix;
    const std::string line = kGga + "\n";  // the fix's views point into it
    EXPECT_EQ(RewriteNmeaLine(line, {}, log.Function(), out, &fix), NmeaOutcome::QueryFailed);
    EXPECT_EQ(out, line);
    EXPECT_EQ(fix.talker, "GP");
    EXPECT_EQ(fix.type, "GGA");
    EXPECT_EQ(fix.time, "123519");
    EXPECT_DOUBLE_EQ(fix.latitude, 48 + 7.038 / 60);
    EXPECT_DOUBLE_EQ(fix.altitude, 545.4);
    EXPECT_DOUBLE_EQ(fix.separation, 46.9);
}

// A sentence within NMEA's 82 characters whose altitude gains digits gives up
// decimals rather than grow beyond them.
TEST(NmeaRewrite, SentenceWithinEightyTwoCharactersStaysWithin) {
    const std::string in =
        "$GPGGA,123519,4807.0380000,N,01131.0000000,E,1,08,0.9,5.123456,M,0.000000,M,,";
    ASSERT_EQ(WithNmeaChecksum(in).size() + 2, 82u);
    NmeaOutcome outcome{};
    const std::string out = Rewrite(WithNmeaChecksum(in) + "\r\n", outcome);
    EXPECT_EQ(out, WithNmeaChecksum("$GPGGA,123519,4807.0380000,N,01131.0000000,E,1,08,0.9,"
                                    "-42.0015,M,47.12500,M,,") +
                       "\r\n");
    EXPECT_LE(out.size(), 82u);
}

// Pinned: a 78-character sentence grew to 85 when one decimal each was not short enough.
TEST(NmeaRewrite, SentenceThatCannotStayWithinEightyTwoStaysAsReceived) {
    const std::string in = WithNmeaChecksum(
        "$GPGGA,092725.000,4717.11399,N,00833.91590,E,1,12,0.71,9,M,0,M,11.5,0031");
    ASSERT_EQ(in.size() + 2, 77u);
    NmeaOutcome outcome{};
    EXPECT_EQ(Rewrite(in + "\r\n", outcome), in + "\r\n");
    EXPECT_EQ(outcome, NmeaOutcome::TooLong);
}

TEST(NmeaRewrite, IdentifiersAndTalkers) {
    std::string_view talker;
    std::string_view type;
    ASSERT_TRUE(NmeaIdentifier("$GNGNS,1", talker, type));
    EXPECT_EQ(std::string(talker) + "/" + std::string(type), "GN/GNS");
    ASSERT_TRUE(NmeaIdentifier("$PUBX,00", talker, type));
    EXPECT_EQ(std::string(talker) + "/" + std::string(type), "P/UBX");
    for (const char* no : {"GPGGA,1", "$GPGGA", "$,1", "$G$A,1", "$GP,1"})
        EXPECT_FALSE(NmeaIdentifier(no, talker, type)) << no;
    EXPECT_TRUE(IsNmeaTalker("GA"));
    for (const char* no : {"G", "GPS", "gp", "G1", ""}) EXPECT_FALSE(IsNmeaTalker(no)) << no;
}

}  // namespace
}  // namespace egm2008
