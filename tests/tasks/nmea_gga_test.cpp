#include "tasks/nmea/nmea_gga.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <ostream>
#include <string>
#include <vector>

#include "point_file_fixtures.hpp"
#include "tests/support/fake_platform.hpp"

namespace egm2008 {
namespace {

// A query that answers `undulation` everywhere and remembers where it was asked.
struct ConstantQuery {
    explicit ConstantQuery(float value, QueryStatus answer = QueryStatus::StatusOk)
        : undulation(value), status(answer) {}
    float undulation;
    QueryStatus status;
    std::vector<std::pair<double, double>> points;
    UndulationQuery Function() {
        return [this](double latitude, double longitude, float& result) {
            points.emplace_back(latitude, longitude);
            if (status == QueryStatus::StatusOk) result = undulation;
            return status;
        };
    }
};

const std::string kExample1 =
    "$GNGGA,092750.00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,*68";
const std::string kRewritten1 =
    "$GPGGA,092750.00,5321.6802000,N,00630.3372000,W,1,08,1.03,60.9000,M,56.0000,M,,*78";
const std::string kExample2 =
    "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031*76";
const std::string kRewritten2 =
    "$GPGGA,123519.50,4807.0380000,N,01131.0000000,E,2,09,0.90,545.0500,M,47.2500,M,1.5,0031*78";
// Example 2 without its checksum.
const std::string kBody2 =
    "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031";

struct RewriteCase {
    const char* name;
    std::string line;
    float undulation;
    std::string sentence;
};
void PrintTo(const RewriteCase& c, std::ostream* os) { *os << c.name; }

class RewriteGga : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteGga, WritesTheSentenceExactly) {
    const RewriteCase& c = GetParam();
    ConstantQuery query{c.undulation};
    std::string sentence;
    ASSERT_EQ(RewriteGgaSentence(c.line, query.Function(), sentence), GgaRewrite::Rewritten);
    EXPECT_EQ(sentence, c.sentence);
    EXPECT_EQ(query.points.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RewriteGga,
    ::testing::Values(
        RewriteCase{"FirstExample", kExample1, 56.0f, kRewritten1},
        RewriteCase{"FirstExampleWithLf", kExample1 + "\n", 56.0f, kRewritten1},
        RewriteCase{"FirstExampleWithCrLf", kExample1 + "\r\n", 56.0f, kRewritten1},
        RewriteCase{"SecondExample", kExample2 + "\n", 47.25f, kRewritten2},
        RewriteCase{"WithoutChecksum", kBody2 + "\n", 47.25f, kRewritten2},
        RewriteCase{"WithoutChecksumOrLineEnd", kBody2, 47.25f, kRewritten2},
        RewriteCase{
            "LowerCaseChecksumDigits",
            "$GPGGA,235959.99,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031*7f",
            47.25f,
            "$GPGGA,235959.99,4807.0380000,N,01131.0000000,E,2,09,0.90,545.0500,M,47.2500,"
            "M,1.5,0031*71"},
        RewriteCase{"GlonassTalkerWrittenAsGp",
                    "$GLGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                    47.25f, kRewritten2},
        RewriteCase{
            "TimeKeptToTheHundredth",
            "$GPGGA,235959.99,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031*7F",
            47.25f,
            "$GPGGA,235959.99,4807.0380000,N,01131.0000000,E,2,09,0.90,545.0500,M,47.2500,"
            "M,1.5,0031*71"},
        RewriteCase{
            "TimeAfter1311Kept",
            "$GPGGA,140000.10,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031*7A",
            47.25f,
            "$GPGGA,140000.10,4807.0380000,N,01131.0000000,E,2,09,0.90,545.0500,M,47.2500,"
            "M,1.5,0031*74"},
        RewriteCase{
            "TimeZeroFilled",
            "$GPGGA,092750.00,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031*77",
            47.25f,
            "$GPGGA,092750.00,4807.0380000,N,01131.0000000,E,2,09,0.90,545.0500,M,47.2500,"
            "M,1.5,0031*79"},
        RewriteCase{
            "AltitudeBelow1000",
            "$GPGGA,123519.50,4807.0380,S,01131.0000,W,7,91,0.9,1000.25,M,46.9,M,1.5,3358*44",
            47.25f,
            "$GPGGA,123519.50,4807.0380000,S,01131.0000000,W,7,91,0.90,999.9000,M,47.2500,"
            "M,1.5,3358*7D"},
        RewriteCase{
            "SouthAndWestWrittenBack",
            "$GPGGA,123519.50,4807.0380,S,01131.0000,W,2,09,0.90,545.4,M,46.9,M,1.5,0031*79",
            47.25f,
            "$GPGGA,123519.50,4807.0380000,S,01131.0000000,W,2,09,0.90,545.0500,M,47.2500,"
            "M,1.5,0031*77"},
        RewriteCase{
            "LowerCaseLettersWrittenBack",
            "$GNGGA,092750.00,5321.6802,s,00630.3372,w,1,08,1.03,61.7,m,55.2,m,,*75", 56.0f,
            "$GPGGA,092750.00,5321.6802000,s,00630.3372000,w,1,08,1.03,60.9000,m,56.0000,m,,"
            "*65"}),
    [](const ::testing::TestParamInfo<RewriteCase>& p) { return std::string(p.param.name); });

struct QueryPointCase {
    const char* name;
    std::string line;
    double latitude;
    double longitude;
};
void PrintTo(const QueryPointCase& c, std::ostream* os) { *os << c.name; }

class GgaQueryPoint : public ::testing::TestWithParam<QueryPointCase> {};

TEST_P(GgaQueryPoint, IsTheSentencesPositionInDegrees) {
    ConstantQuery query{56.0f};
    std::string sentence;
    ASSERT_EQ(RewriteGgaSentence(GetParam().line, query.Function(), sentence),
              GgaRewrite::Rewritten);
    ASSERT_EQ(query.points.size(), 1u);
    EXPECT_DOUBLE_EQ(query.points[0].first, GetParam().latitude);
    EXPECT_DOUBLE_EQ(query.points[0].second, GetParam().longitude);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GgaQueryPoint,
    ::testing::Values(
        QueryPointCase{"NorthWest", kExample1, 53 + 21.6802 / 60, 360 - (6 + 30.3372 / 60)},
        QueryPointCase{"LowerCaseSouthWest",
                       "$GNGGA,092750.00,5321.6802,s,00630.3372,w,1,08,1.03,61.7,m,55.2,m,,*75",
                       -(53 + 21.6802 / 60), 360 - (6 + 30.3372 / 60)},
        QueryPointCase{"NorthEast", kExample2, 48 + 7.038 / 60, 11 + 31.0 / 60},
        QueryPointCase{
            "LowerCaseNorthEast",
            "$GPGGA,123519.50,4807.0380,n,01131.0000,e,2,09,0.90,545.4,M,46.9,M,1.5,0031",
            48 + 7.038 / 60, 11 + 31.0 / 60}),
    [](const ::testing::TestParamInfo<QueryPointCase>& p) { return std::string(p.param.name); });

struct CopiedCase {
    const char* name;
    std::string line;
    GgaCopyReason reason;
};
void PrintTo(const CopiedCase& c, std::ostream* os) { *os << c.name; }

class GgaCopied : public ::testing::TestWithParam<CopiedCase> {};

TEST_P(GgaCopied, IsNotRewrittenAndCostsNoQuery) {
    ConstantQuery query{56.0f};
    std::string sentence = "stale";
    GgaCopyReason reason = GgaCopyReason::None;
    EXPECT_EQ(RewriteGgaSentence(GetParam().line, query.Function(), sentence, reason),
              GgaRewrite::Copied);
    EXPECT_EQ(reason, GetParam().reason);
    EXPECT_TRUE(sentence.empty());
    EXPECT_TRUE(query.points.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GgaCopied,
    ::testing::Values(
        CopiedCase{"WrongChecksum",
                   "$GNGGA,092750.00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,*69",
                   GgaCopyReason::WrongChecksum},
        CopiedCase{"CorruptedField",
                   "$GNGGA,092750.00,5321.6802,N,00630.3372,W,1,08,1.03,61.8,M,55.2,M,,*68",
                   GgaCopyReason::WrongChecksum},
        CopiedCase{"ChecksumOfOneDigit",
                   "$GNGGA,092750.00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,*6",
                   GgaCopyReason::WrongChecksum},
        CopiedCase{"OtherSentence",
                   "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
                   GgaCopyReason::NotGga},
        CopiedCase{"GalileoTalker",
                   "$GAGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::OtherTalker},
        CopiedCase{"LowerCaseIdentifier",
                   "$gpgga,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::NotGga},
        CopiedCase{"EmptySeparation",
                   "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,,M,1.5,0031",
                   GgaCopyReason::EmptyFields},
        CopiedCase{"AltitudeInFeet",
                   "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,F,46.9,M,1.5,0031",
                   GgaCopyReason::NotMetres},
        CopiedCase{"SeparationInFeet",
                   "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,F,1.5,0031",
                   GgaCopyReason::NotMetres},
        CopiedCase{"EmptyAltitudeUnit",
                   "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,,46.9,M,1.5,0031",
                   GgaCopyReason::NotMetres},
        CopiedCase{"EndsInAnEmptyStationWithoutChecksum",
                   "$GNGGA,092750.00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,\n",
                   GgaCopyReason::Unreadable},
        CopiedCase{"EndsBeforeField14",
                   "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M",
                   GgaCopyReason::Unreadable},
        CopiedCase{"ShorterThan30", "$GPGGA,1,4807,N,01131,E,1,1,1\n", GgaCopyReason::Unreadable},
        CopiedCase{"EmptyLatitude",
                   "$GPGGA,123519.50,,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::EmptyFields},
        CopiedCase{"LatitudeNotANumber",
                   "$GPGGA,123519.50,ABCD.EF,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::Unreadable},
        CopiedCase{"LongitudeNotANumber",
                   "$GPGGA,123519.50,4807.0380,N,-x,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::Unreadable},
        CopiedCase{"MinutesNotANumberValue",
                   "$GPGGA,123519.50,48nan,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::Unreadable},
        CopiedCase{"HugeMinutes",
                   "$GPGGA,123519.50,481e300,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::Unreadable},
        CopiedCase{"HugeTime",
                   "$GPGGA,1e300,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::Unreadable},
        CopiedCase{"AltitudeBeyondFloat",
                   "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,1e39,M,46.9,M,1.5,0031",
                   GgaCopyReason::Unreadable},
        CopiedCase{"HugeHdop",
                   "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,9e99,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::Unreadable},
        CopiedCase{
            "SatellitesBeyond32Bits",
            "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,99999999999,0.90,545.4,M,46.9,M,1.5,"
            "0031",
            GgaCopyReason::Unreadable},
        CopiedCase{"Blanks", std::string(40, ' ') + "\n", GgaCopyReason::NotGga},
        // Fault pinned: the checksum of a cut sentence was taken for its station ID.
        CopiedCase{"CutBeforeTheStation",
                   "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5*58",
                   GgaCopyReason::Unreadable},
        // Faults pinned: empty fields of a sentence without a fix were read as 0 or north/east.
        CopiedCase{"NoFix", "$GPGGA,,,,,,0,00,99.99,,,,,,*48", GgaCopyReason::EmptyFields},
        CopiedCase{"EmptyLongitude",
                   "$GPGGA,123519.50,4807.0380,N,,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::EmptyFields},
        CopiedCase{"EmptyLatitudeHemisphere",
                   "$GPGGA,123519.50,4807.0380,,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::EmptyFields},
        CopiedCase{"EmptyLongitudeHemisphere",
                   "$GPGGA,123519.50,4807.0380,N,01131.0000,,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::EmptyFields},
        CopiedCase{"EmptyAltitude",
                   "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,,M,46.9,M,1.5,0031",
                   GgaCopyReason::EmptyFields},
        CopiedCase{"HemisphereNotNorthOrSouth",
                   "$GPGGA,123519.50,4807.0380,E,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::Unreadable},
        CopiedCase{"HemisphereNotALetterOfFour",
                   "$GPGGA,123519.50,4807.0380,X,01131.0000,Y,2,09,0.90,545.4,M,46.9,M,1.5,0031",
                   GgaCopyReason::Unreadable}),
    [](const ::testing::TestParamInfo<CopiedCase>& p) { return std::string(p.param.name); });

TEST(RewriteGgaSentence, APointTheQueryCannotAnswerIsReportedAsSuch) {
    ConstantQuery query{56.0f, QueryStatus::StatusOutside};
    std::string sentence;
    EXPECT_EQ(RewriteGgaSentence(kExample2, query.Function(), sentence), GgaRewrite::QueryFailed);
    EXPECT_TRUE(sentence.empty());
    query.status = QueryStatus::StatusError;
    EXPECT_EQ(RewriteGgaSentence(kExample2, query.Function(), sentence), GgaRewrite::QueryFailed);
}

TEST(ParseGgaSentence, EmptyAgeAndStationAreMarkedAbsent) {
    GgaFields f;
    ASSERT_TRUE(ParseGgaSentence(kExample1, f));
    EXPECT_FALSE(f.hasAge);
    EXPECT_FALSE(f.hasStation);
}

struct FieldCase {
    const char* name;
    std::string fixQuality;  // field 6
    std::string hdop;        // field 8
    std::string latitude;    // field 2
    std::int32_t expectedFix;
    float expectedHdop;
    std::int32_t expectedDegrees;
    double expectedMinutes;
};
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

class GgaLeadingNumbers : public ::testing::TestWithParam<FieldCase> {};

TEST_P(GgaLeadingNumbers, AreReadAsTheirPrefix) {
    const FieldCase& c = GetParam();
    const std::string line = "$GPGGA,123519.50," + c.latitude + ",N,01131.0000,E," + c.fixQuality +
                             ",09," + c.hdop + ",545.4,M,46.9,M,1.5,0031";
    GgaFields f;
    ASSERT_TRUE(ParseGgaSentence(line, f)) << line;
    EXPECT_EQ(f.fixQuality, c.expectedFix);
    EXPECT_EQ(f.hdop, c.expectedHdop);
    EXPECT_EQ(f.latDegrees, c.expectedDegrees);
    EXPECT_EQ(f.latMinutes, c.expectedMinutes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GgaLeadingNumbers,
    ::testing::Values(
        FieldCase{"Plain", "1", "1.5", "4807.038", 1, 1.5f, 48, 7.038},
        FieldCase{"EmptyFieldsReadZero", "", "", "4807.038", 0, 0.0f, 48, 7.038},
        FieldCase{"TrailingTextIgnored", "4x", "2.5m", "4807.038z", 4, 2.5f, 48, 7.038},
        FieldCase{"ExponentTaken", "+3", "25e-1", "4807.038", 3, 2.5f, 48, 7.038},
        FieldCase{"HexIsNotDecimal", "0x5", "0x10", "4807.038", 0, 0.0f, 48, 7.038},
        FieldCase{"LeadingBlankInTheLine", "1", " 1.25", " 4807.038", 1, 1.25f, 48, 7.038},
        FieldCase{"TwoDegreeDigitsOnly", "1", "1", "123", 1, 1.0f, 12, 3.0},
        FieldCase{"MinutesAsScanfReadsThem", "1", "1", "480x1p4", 1, 1.0f, 48, 16.0}),
    [](const ::testing::TestParamInfo<FieldCase>& p) { return std::string(p.param.name); });

struct MarkCase {
    std::string line;
    std::string marked;
};

class MarkEmpty : public ::testing::TestWithParam<MarkCase> {};

TEST_P(MarkEmpty, PutsABlankIntoEveryEmptyField) {
    EXPECT_EQ(MarkEmptyFields(GetParam().line), GetParam().marked);
}

INSTANTIATE_TEST_SUITE_P(Cases, MarkEmpty,
                         ::testing::Values(MarkCase{",,", ", ,"}, MarkCase{",,,", ", , ,"},
                                           MarkCase{",*", ", *"}, MarkCase{"a,", "a,"},
                                           MarkCase{"M,,*68\n", "M, , *68\n"}, MarkCase{"*,", "*,"},
                                           MarkCase{"", ""}, MarkCase{",,*,", ", , *,"}));

TEST(NmeaChecksum, IsTheExclusiveOrOfTheCharacters) {
    EXPECT_EQ(NmeaChecksum(""), 0);
    EXPECT_EQ(
        NmeaChecksum("GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031"),
        0x76);
}

// Random damage to valid sentences must never break the output's promises.
TEST(RewriteGgaSentence, DamagedSentencesYieldValidSentencesOrNothing) {
    std::mt19937 random(20080);
    const std::string alphabet = "0123456789.,*$-+eEnNsSwWmMxX \r\n";
    ConstantQuery query{47.25f};
    const UndulationQuery function = query.Function();
    int rewritten = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string line = round % 2 == 0 ? kExample2 : kBody2;
        const int damage = static_cast<int>(random() % 4);
        for (int d = 0; d < damage; ++d) {
            const std::size_t at = random() % line.size();
            const char c = alphabet[random() % alphabet.size()];
            switch (random() % 3) {
                case 0: line[at] = c; break;
                case 1: line.insert(at, 1 + random() % 40, c); break;
                default: line.erase(at, 1 + random() % 5); break;
            }
            if (line.empty()) line = "$";
        }
        std::string sentence;
        if (RewriteGgaSentence(line, function, sentence) != GgaRewrite::Rewritten) continue;
        ++rewritten;
        ASSERT_LT(sentence.size(), 256u) << line;
        ASSERT_EQ(sentence.rfind("$GPGGA,", 0), 0u) << line;
        const std::size_t star = sentence.find('*');
        ASSERT_EQ(star, sentence.size() - 3) << sentence;
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", NmeaChecksum(sentence.substr(1, star - 1)));
        EXPECT_EQ(sentence.substr(star + 1), hex) << sentence;
    }
    EXPECT_GT(rewritten, 100);
}

// --- GridQuery: the runs' N in a tide system ------------------------------------------

struct GridQueryCase {
    const char* name;
    TideSystem tide;
    double latitude;
    float expected;  // on a grid of 47.25 m everywhere
};

void PrintTo(const GridQueryCase& c, std::ostream* os) { *os << c.name; }

class GridQueryTest : public testing::TestWithParam<GridQueryCase> {};

// Pins the rounding: the correction is added in double, the sum rounded to float once;
// tide-free hands on the grid's float itself.
TEST_P(GridQueryTest, GivesTheGridsNInTheSystem) {
    const GridQueryCase& c = GetParam();
    const GeoidGrid grid = test::ConstantGrid(47.25f);
    test::FakePlatform platform;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid, platform), QueryStatus::StatusOk);
    const UndulationQuery query = GridQuery(grid, InterpolationMethod::BiLinear, mapped, c.tide);
    float n = 0.0f;
    ASSERT_EQ(query(c.latitude, 10.0, n), QueryStatus::StatusOk);
    EXPECT_EQ(n, c.expected);
    EXPECT_EQ(query(95.0, 10.0, n), QueryStatus::StatusOutside);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, GridQueryTest,
    testing::Values(GridQueryCase{"TideFree", TideSystem::TideFree, 0.0, 47.25f},
                    GridQueryCase{"MeanAtEquator", TideSystem::MeanTide, 0.0,
                                  static_cast<float>(47.25 + 1.3 * 0.099)},
                    GridQueryCase{"MeanAtSouthPole", TideSystem::MeanTide, -90.0,
                                  static_cast<float>(47.25 - 1.3 * 0.197)},
                    GridQueryCase{"ZeroAtNorthPole", TideSystem::ZeroTide, 90.0,
                                  static_cast<float>(47.25 - 0.3 * 0.197)}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace egm2008
