// Hostile text given to the pages: point-file lines with NUL bytes, CR-only
// line ends, tabs, "nan", "inf", overflowing exponents, "-0", hexadecimal
// floats and coordinates just outside the grid, a 10 MB line; GGA sentences
// cut at every field, with 1,000 fields, absurd exponents, a checksum but no
// body, control characters; and field texts of the manual page and the
// gridmaker. Every line ends up computed, marked "999.999", or copied as read,
// and nothing is lost.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/lattice/gridmaker.hpp"
#include "tasks/points/manual_point.hpp"
#include "tasks/nmea/nmea_gga.hpp"
#include "tasks/points/point_file.hpp"
#include "tasks/common/text_output.hpp"
#include "tests/support/byte_compare.hpp"
#include "tests/support/fake_platform.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/nmea_text.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using namespace std::string_literals;
using test::FakePlatform;
using test::ReadFile;
using test::ScratchFolder;
using test::WriteFile;

// A whole-earth 30-degree grid whose every node is 47.25 m, written once.
const GeoidGrid& ConstantSmallGrid() {
    static const ScratchFolder* folder = new ScratchFolder;
    static const GeoidGrid grid =
        test::WriteSmallGrid(folder->File("grid"), 30.0, false, [](int, int) { return 47.25f; });
    return grid;
}

struct RunResult {
    PointFileOutcome outcome;
    std::string output;
};

RunResult RunLines(const std::string& input, PointFileLayout layout) {
    ScratchFolder folder;
    WriteFile(folder.File("in"), input);
    PointFileInput in;
    EXPECT_TRUE(in.Open(folder.File("in")));
    TextOutput out;
    EXPECT_TRUE(out.Open(folder.File("out")));
    FakePlatform platform;
    MappedGrid mapped;
    mapped.Map(ConstantSmallGrid(), platform);
    RunResult result;
    result.outcome = RunPointFile(in, out, ConstantSmallGrid(), mapped, layout,
                                  InterpolationMethod::BiLinear, nullptr);
    EXPECT_TRUE(platform.notices.empty());
    result.output = ReadFile(folder.File("out"));
    return result;
}

// ---- point-file lines ------------------------------------------------------------

struct LineCase {
    const char* name;
    PointFileLayout layout;
    std::string input;
    std::string output;
    std::int64_t computed, failed, unreadable;
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class HostileLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(HostileLines, AreComputedMarkedOrCopied) {
    const LineCase& c = GetParam();
    const RunResult r = RunLines(c.input, c.layout);
    EXPECT_TRUE(test::SameBytes(c.output, r.output));
    EXPECT_TRUE(r.outcome.completed());
    EXPECT_EQ(r.outcome.computed, c.computed);
    EXPECT_EQ(r.outcome.failed, c.failed);
    EXPECT_EQ(r.outcome.unreadable, c.unreadable);
}

constexpr auto kLatLon = PointFileLayout::LatLon;
const std::string kComputed = " 48.500000   11.250000   47.250\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileLines,
    ::testing::Values(
        LineCase{"Tabs", kLatLon, "\t48.5\t\t11.25\t\n", kComputed, 1, 0, 0},
        LineCase{"NotANumber", kLatLon, "nan 11.25000\n", "       nan   11.250000 999.999\r\n", 0,
                 1, 0},
        LineCase{"Infinities", kLatLon, "inf -infinity\n", "       inf        -inf 999.999\r\n", 0,
                 1, 0},
        LineCase{"OverflowingExponent", kLatLon, "1e999 11.25\n48.5 -1e999\n",
                 "       inf   11.250000 999.999\r\n 48.500000        -inf 999.999\r\n", 0, 2, 0},
        LineCase{"UnderflowingExponent", kLatLon, "48.5 1e-999\n",
                 " 48.500000    0.000000   47.250\r\n", 1, 0, 0},
        LineCase{"NegativeZero", kLatLon, "-0 -0.0000\n", " -0.000000   -0.000000   47.250\r\n", 1,
                 0, 0},
        LineCase{"HexadecimalFloats", kLatLon, "0x1.84p5 0xB.4p0\n", kComputed, 1, 0, 0},
        LineCase{"LatitudeJustPastThePole", kLatLon, "90.0000000001 11.25\n",
                 " 90.000000   11.250000 999.999\r\n", 0, 1, 0},
        // Shifted by +360 by the page and once more by the dispatch: 359.9999999.
        LineCase{"LongitudeJustPastMinus360", kLatLon, "48.5 -360.0000001\n",
                 " 48.500000 -360.000000   47.250\r\n", 1, 0, 0},
        LineCase{"LongitudeJustPastMinus720", kLatLon, "48.5 -720.0000001\n",
                 " 48.500000 -720.000000 999.999\r\n", 0, 1, 0},
        LineCase{"LongitudeMinus360", kLatLon, "48.5 -360.00\n",
                 " 48.500000 -360.000000   47.250\r\n", 1, 0, 0},
        LineCase{"NulAfterTheNumbers", kLatLon, "48.5 11.25\0junk\n"s, kComputed, 1, 0, 0},
        LineCase{"NulBeforeTheNumbers", kLatLon, "\0 48.5 11.25\n"s, "\0 48.5 11.25\r\n"s, 0, 0, 1},
        LineCase{"NulBetweenTheNumbers", kLatLon, "48.5\0 11.25 xx\n"s, "48.5\0 11.25 xx\r\n"s, 0,
                 0, 1},
        LineCase{"CrLfLineEnds", kLatLon, "48.5 11.25\r\n48.5 11.25\r\n", kComputed + kComputed, 2,
                 0, 0},
        LineCase{"CrBeforeCrLf", kLatLon, "48.5 11.25\r\r\n", kComputed, 1, 0, 0},
        // Without LF the file is one line; its later points must not vanish unseen.
        LineCase{"CrOnlyLineEnds", kLatLon, "48.5 11.25\r52.0 7.25\r-33.25 -70.5\r",
                 "48.5 11.25\r52.0 7.25\r-33.25 -70.5\r", 0, 0, 1},
        LineCase{"CrOnlyLineEndsWithLf", kLatLon, "48.5 11.25\r52.0 7.25\r\n",
                 "48.5 11.25\r52.0 7.25\r\n", 0, 0, 1},
        LineCase{"BlanksOnly", kLatLon, "              \n", "", 0, 0, 0},
        LineCase{"FormatDirectivesAsPointNumber", PointFileLayout::PtNumberLatLon,
                 "%s%n%x%99999d 48.5 11.25\n", "%s%n%x%99999d " + kComputed, 1, 0, 0},
        LineCase{"NonAsciiPointNumber", PointFileLayout::PtNumberLatLon,
                 "Gipfel\xc3\xa4\xe5\x9c\xb0 48.5 11.25\n",
                 "Gipfel\xc3\xa4\xe5\x9c\xb0 " + kComputed, 1, 0, 0},
        LineCase{"NulInPointNumber", PointFileLayout::PtNumberLatLon, "P1\0x 48.5 11.25\n"s,
                 "P1\0x 48.5 11.25\r\n"s, 0, 0, 1}),
    [](const ::testing::TestParamInfo<LineCase>& c) { return std::string(c.param.name); });

// A line of 10 MB is one line: copied whole, the lines around it computed.
TEST(HostileLongLine, TenMegabytesAreCopiedWhole) {
    for (const PointFileLayout layout :
         {PointFileLayout::LatLon, PointFileLayout::PtNumberLonLat, PointFileLayout::GgaFromGps}) {
        const bool gga = layout == PointFileLayout::GgaFromGps;
        const std::string point =
            gga ? "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031*76"
            : layout == PointFileLayout::LatLon ? "48.5 11.25"
                                                : "P 11.25 48.5";
        const std::string longLine = point + " " + std::string(10 << 20, '7');
        const RunResult r = RunLines(point + "\n" + longLine + "\r\n" + point + "\n", layout);
        ASSERT_GT(r.output.size(), longLine.size());
        EXPECT_EQ(r.output.substr(r.output.find("\r\n") + 2, longLine.size() + 2),
                  longLine + "\r\n");
        EXPECT_EQ(r.outcome.computed, 2);
        EXPECT_EQ(gga ? r.outcome.copied : r.outcome.unreadable, 1);
        EXPECT_TRUE(r.outcome.completed());
    }
}

// ---- GGA sentences ------------------------------------------------------------------

const std::string kBody =
    "$GPGGA,123519.50,4807.0380,N,01131.0000,E,2,09,0.90,545.4,M,46.9,M,1.5,0031";
const std::string kSentence = kBody + "*76";
const std::string kRewritten =
    "$GPGGA,123519.50,4807.0380000,N,01131.0000000,E,2,09,0.90,545.0500,M,47.2500,M,1.5,0031*78";

struct Asked {
    int calls = 0;
    UndulationQuery Function() {
        return [this](double, double, float& undulation) {
            ++calls;
            undulation = 47.25f;
            return QueryStatus::StatusOk;
        };
    }
};

// Every cut of a sentence before its 14th field, and every cut into its
// checksum, is copied unchanged without a query.
TEST(HostileGga, SentenceCutAnywhereBeforeItsLastFieldIsCopied) {
    const std::size_t station = kBody.rfind(',') + 1;
    for (const std::string& ending : {""s, "\n"s, "\r\n"s}) {
        for (std::size_t cut = 0; cut <= station; ++cut) {
            Asked asked;
            std::string sentence;
            EXPECT_EQ(RewriteGgaSentence(kBody.substr(0, cut) + ending, asked.Function(), sentence),
                      GgaRewrite::Copied)
                << cut;
            EXPECT_EQ(asked.calls, 0) << cut;
        }
        for (std::size_t cut = kBody.size() + 1; cut < kSentence.size(); ++cut) {
            Asked asked;
            std::string sentence;
            EXPECT_EQ(
                RewriteGgaSentence(kSentence.substr(0, cut) + ending, asked.Function(), sentence),
                GgaRewrite::Copied)
                << cut;
        }
    }
}

struct GgaCase {
    const char* name;
    std::string line;
    std::string rewritten;  // the sentence written, "" when the line is copied
};
void PrintTo(const GgaCase& c, std::ostream* os) { *os << c.name; }

class HostileGgaLine : public ::testing::TestWithParam<GgaCase> {};

TEST_P(HostileGgaLine, IsRewrittenOrCopied) {
    const GgaCase& c = GetParam();
    Asked asked;
    std::string sentence;
    const GgaRewrite result = RewriteGgaSentence(c.line, asked.Function(), sentence);
    if (!c.rewritten.empty()) {
        EXPECT_EQ(result, GgaRewrite::Rewritten);
        EXPECT_EQ(sentence, c.rewritten);
    } else {
        EXPECT_EQ(result, GgaRewrite::Copied);
        EXPECT_EQ(asked.calls, 0);
    }
}

// kBody with the field after its `n`-th comma replaced by `value`.
std::string WithField(int n, const std::string& value) {
    std::size_t start = 0;
    for (int k = 0; k < n; ++k) start = kBody.find(',', start) + 1;
    const std::size_t end = kBody.find(',', start);
    return kBody.substr(0, start) + value + (end == std::string::npos ? "" : kBody.substr(end));
}

std::string Fields(int count, const std::string& field) {
    std::string text;
    for (int k = 0; k < count; ++k) text += "," + field;
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileGgaLine,
    ::testing::Values(
        // A GGA sentence has 14 fields; a rewrite from the first 14 would drop the rest.
        GgaCase{"ThousandFields", kBody + Fields(986, "9"), ""},
        GgaCase{"ThousandFieldsWithChecksum", test::WithNmeaChecksum(kBody + Fields(986, "9")), ""},
        GgaCase{"FifteenFields", kBody + ",7", ""},
        GgaCase{"FifteenthFieldEmpty", test::WithNmeaChecksum(kBody + ", "), ""},
        GgaCase{"TrailingCommaAfterTheLastField", kBody + ",", kRewritten},
        GgaCase{"ThousandFieldsWithWrongChecksum", kBody + Fields(986, "9") + "*00", ""},
        GgaCase{"ThousandEmptyFields", "$GPGGA" + std::string(1000, ','), ""},
        GgaCase{"ThousandEmptyFieldsWithChecksum",
                test::WithNmeaChecksum("$GPGGA" + std::string(1000, ',')), ""},
        GgaCase{"ChecksumWithoutBody", "$GPGGA*56\r\n", ""},
        GgaCase{"ChecksumWithoutAnything", "*00                                \n", ""},
        GgaCase{"ChecksumAfterEmptyFields", test::WithNmeaChecksum("$GPGGA" + std::string(14, ',')),
                ""},
        GgaCase{"ChecksumAfterBlankFields", test::WithNmeaChecksum("$GPGGA" + Fields(14, " ")), ""},
        GgaCase{"TimeOverflows", WithField(1, "1e999"), ""},
        GgaCase{"LatitudeMinutesOverflow", WithField(2, "4807.0380e999"), ""},
        GgaCase{"LongitudeMinutesOverflow", WithField(4, "01131.0e400"), ""},
        GgaCase{"HdopOverflows", WithField(8, "0.9e99999999999999999999"), ""},
        GgaCase{"AltitudeOverflows", WithField(9, "545.4e999"), ""},
        GgaCase{"AltitudeTooLargeToBeReal", WithField(9, "1e12"), ""},
        GgaCase{"SeparationOverflows", WithField(11, "-46.9e999"), ""},
        GgaCase{"AgeOverflows", WithField(13, "1.5e39"), ""},
        GgaCase{"QualityBeyond32Bits", WithField(6, "99999999999"), ""},
        GgaCase{"StationBeyond32Bits", WithField(14, "4294967327"), ""},
        // No leading number: the altitude reads 0, as an empty field does.
        // An altitude without a number would be made up as 0.
        GgaCase{"NotANumberAltitude", WithField(9, "nan"), ""},
        GgaCase{"NotANumberSeparation", WithField(11, "x"), ""},
        GgaCase{"ControlCharacterAsHemisphere", WithField(3, "\x01"), ""},
        GgaCase{"NulAsHemisphere", WithField(5, "\0"s), ""},
        GgaCase{"TabAsHemisphere", WithField(3, "\t"), ""},
        GgaCase{"NonAsciiHemisphere", WithField(5, "\xc3\x89"), ""},
        // Several sentences joined by CR alone are not one sentence.
        GgaCase{"SentencesJoinedByCr", kBody + "\r" + kBody + "\r" + kBody + "\r\n", ""},
        GgaCase{"SentencesWithChecksumJoinedByCr", kSentence + "\r" + kSentence + "\r", ""},
        GgaCase{"CrBeforeTheLineEnd", kSentence + "\r\r\n", kRewritten}),
    [](const ::testing::TestParamInfo<GgaCase>& c) { return std::string(c.param.name); });

// ---- fields of the manual page and the gridmaker ----------------------------------------

enum class FieldOutcome { Computed, NotAvailable, Refused };

struct FieldCase {
    const char* name;
    std::string latitude, longitude;
    std::string shownLatitude, shownLongitude;
    FieldOutcome outcome;  // all four methods 47.2500, all "N/A", or all empty and one message
};
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

class HostileManualFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(HostileManualFields, AreComputedOrRefused) {
    const FieldCase& c = GetParam();
    FakePlatform platform;
    ManualPointPage page(platform);
    page.SetGrid(&ConstantSmallGrid());
    platform.fields[manual_ids::kLatitude] = c.latitude;
    platform.fields[manual_ids::kLongitude] = c.longitude;
    page.CalculatePoint();
    EXPECT_EQ(platform.Field(manual_ids::kLatitude), c.shownLatitude);
    EXPECT_EQ(platform.Field(manual_ids::kLongitude), c.shownLongitude);
    const char* result = c.outcome == FieldOutcome::Computed       ? "47.2500"
                         : c.outcome == FieldOutcome::NotAvailable ? "N/A"
                                                                   : "";
    for (int id : {manual_ids::kBiQuadratic, manual_ids::kBiLinear, manual_ids::kTriangulation,
                   manual_ids::kNearest}) {
        EXPECT_EQ(platform.Field(id), result) << id;
    }
    // A refused field is marked, no box.
    EXPECT_TRUE(platform.notices.empty());
    EXPECT_EQ(platform.fieldErrors.empty(), c.outcome != FieldOutcome::Refused);
}

constexpr auto kComputed4 = FieldOutcome::Computed;
constexpr auto kNotAvailable4 = FieldOutcome::NotAvailable;
constexpr auto kRefused = FieldOutcome::Refused;

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileManualFields,
    ::testing::Values(
        FieldCase{"NotANumber", "nan", "NAN", "nan", "NAN", kRefused},
        FieldCase{"Infinity", "48", "-Infinity", "48.00000000", "-Infinity", kRefused},
        FieldCase{"OverflowingExponent", "1e999", "11.25", "1e999", "11.25000000", kRefused},
        FieldCase{"OverflowingDigits", std::string(400, '9'), "11.25", std::string(400, '9'),
                  "11.25000000", kRefused},
        FieldCase{"NegativeZero", "-0", "-0.0", "-0.00000000", "-0.00000000", kComputed4},
        FieldCase{"HexadecimalFloat", "0x1p4", "0X10", "0x1p4", "0X10", kRefused},
        // Written back with eight decimals the latitude looks like 90; the point is still outside.
        FieldCase{"LatitudeJustPastThePole", "90.0000000001", "11.25", "90.00000000", "11.25000000",
                  kNotAvailable4},
        FieldCase{"LongitudeJustPastMinus360", "48.5", "-360.0000001", "48.50000000",
                  "-360.00000010", kNotAvailable4},
        // The whole text is read, however long.
        FieldCase{"TenMegabytes", "48." + std::string(10 << 20, '0'), "11.25", "48.00000000",
                  "11.25000000", kComputed4},
        FieldCase{"NulByte", "48\0.5"s, "1", "48\0.5"s, "1.00000000", kRefused},
        FieldCase{"TabsAndNewlines", "\t\n 48.5\t", "\r\n11.25", "48.50000000", "11.25000000",
                  kComputed4},
        FieldCase{"NoBreakSpaceAndDegreeSign",
                  "\xc2\xa0"
                  "48.5",
                  "48\xc2\xb0", "48.50000000", "48.00000000", kComputed4},
        FieldCase{"FormatDirectives", "%s%n", "%f", "%s%n", "%f", kRefused}),
    [](const ::testing::TestParamInfo<FieldCase>& c) { return std::string(c.param.name); });

struct GridmakerFieldCase {
    const char* name;
    std::vector<std::string> typed;  // 1009, 1010, 1011, 1012, 1013, 1014
    std::string message;             // "": the run writes `lines` lines
    int lines;
};

const std::string kCoordinateHint =
    " is not a number.\nType decimal degrees (52.5 or 52,5) or degrees, minutes and seconds "
    "(52°30'00\").";
void PrintTo(const GridmakerFieldCase& c, std::ostream* os) { *os << c.name; }

class HostileGridmakerFields : public ::testing::TestWithParam<GridmakerFieldCase> {};

TEST_P(HostileGridmakerFields, AreCheckedBeforeAnyFileIsWritten) {
    const GridmakerFieldCase& c = GetParam();
    ScratchFolder folder;
    FakePlatform platform;
    GridmakerPage page(platform);
    page.SetGrid(&ConstantSmallGrid());
    platform.dialogAnswers.push_back(folder.File("lattice.txt"));
    page.BrowseOutputFile();
    const int ids[] = {gridmaker_ids::kLatitude1,  gridmaker_ids::kLongitude1,
                       gridmaker_ids::kLatitude2,  gridmaker_ids::kLongitude2,
                       gridmaker_ids::kLatSpacing, gridmaker_ids::kLonSpacing};
    for (int k = 0; k < 6; ++k) platform.fields[ids[k]] = c.typed[static_cast<std::size_t>(k)];
    page.RunGridmaker();
    if (!c.message.empty()) {
        // Beside the first field it refuses (the fields are read in the order of their
        // IDs), or in a box for a check across fields.
        std::vector<std::string> told;
        for (const auto& notice : platform.notices) told.push_back(notice.text);
        for (const auto& [id, why] : platform.fieldErrors) told.push_back(why);
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.front(), c.message);
        EXPECT_FALSE(test::Exists(folder.File("lattice.txt")));
    } else {
        EXPECT_TRUE(platform.notices.empty());
        const std::string written = ReadFile(folder.File("lattice.txt"));
        int lines = 0;
        for (std::size_t at = 0; (at = written.find("\r\n", at)) != std::string::npos; at += 2)
            ++lines;
        EXPECT_EQ(lines, c.lines);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileGridmakerFields,
    ::testing::Values(
        GridmakerFieldCase{"LatitudeJustPastThePole",
                           {"90.0000000001", "0", "0", "10", "60", "60"},
                           kLatitudeRangeMessage,
                           0},
        GridmakerFieldCase{"LongitudeJustPastMinus360",
                           {"10", "-360.0000001", "0", "10", "60", "60"},
                           kLongitudeRangeMessage,
                           0},
        GridmakerFieldCase{"HugeLatitude",
                           {"10", "0", std::string(400, '9'), "10", "60", "60"},
                           "Latitude 2: \"" + std::string(60, '9') + "...\"" + kCoordinateHint,
                           0},
        GridmakerFieldCase{"OverflowingLongitude",
                           {"10", "0", "0", "-1e999", "60", "60"},
                           "Longitude 2: \"-1e999\"" + kCoordinateHint,
                           0},
        GridmakerFieldCase{
            "NegativeZeroSpacing", {"10", "0", "0", "10", "-0", "60"}, kSpacingMessage, 0},
        GridmakerFieldCase{"UnderflowingSpacing",
                           {"10", "0", "0", "10", "60", "0." + std::string(400, '0') + "1"},
                           kSpacingMessage,
                           0},
        GridmakerFieldCase{"NotANumber",
                           {"nan", "inf", "0x10", "10", "600", "600"},
                           "Latitude 1: \"nan\"" + kCoordinateHint,
                           0},
        GridmakerFieldCase{"DegreesMinutesSecondsAndHemispheres",
                           {"N 10°", "0 0 0", "0:0:0 S", "10°00'00\" E", "600", "600"},
                           "",
                           4},
        GridmakerFieldCase{"SpacingWithAnExponent",
                           {"10", "0", "0", "10", "1" + std::string(300, '0'), "1e2"},
                           "Lon. spacing: \"1e2\" is not a number.\nType arc minutes as a "
                           "decimal number (2.5 or 2,5).",
                           0},
        GridmakerFieldCase{
            "HugeSpacingGivesOneNode",
            {"10", "0", "0", "10", "1" + std::string(300, '0'), "1" + std::string(300, '0')},
            "",
            1}),
    [](const ::testing::TestParamInfo<GridmakerFieldCase>& c) {
        return std::string(c.param.name);
    });

}  // namespace
}  // namespace egm2008
