#include "tasks/common/delimited_text.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace egm2008 {
namespace {

template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& p) {
    return p.param.name;
}

struct DetectCase {
    const char* name;
    std::string line;
    std::optional<Delimiter> delimiter;
};
void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.name; }
class DelimiterDetection : public ::testing::TestWithParam<DetectCase> {};

TEST_P(DelimiterDetection, TakesTheFirstPreferredOutsideQuotes) {
    EXPECT_EQ(DetectDelimiter(GetParam().line), GetParam().delimiter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DelimiterDetection,
    ::testing::Values(DetectCase{"Comma", "52.5,13.4,100\r\n", Delimiter::Comma},
                      DetectCase{"Semicolon", "52.5;13.4", Delimiter::Semicolon},
                      DetectCase{"Tab", "52.5\t13.4 m", Delimiter::Tab},
                      DetectCase{"BlanksAroundIgnored", "  52.5   13.4  \n", Delimiter::Blanks},
                      DetectCase{"CommaBeforeSemicolon", "52,5;13,4", Delimiter::Comma},
                      DetectCase{"CommaBeforeBlanks", "Berlin Mitte,52.5,13.4", Delimiter::Comma},
                      DetectCase{"CommaInQuotesIgnored", "\"a,b\";52.5;13.4", Delimiter::Semicolon},
                      DetectCase{"NoneInOneField", " 52.5 \n", std::nullopt}),
    CaseName<DetectCase>);

struct SplitCase {
    const char* name;
    std::string line;
    Delimiter delimiter;
    std::vector<std::string> fields;
};
void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }
class FieldSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(FieldSplitting, GivesEachFieldsUnquotedText) {
    EXPECT_EQ(SplitFields(GetParam().line, GetParam().delimiter), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldSplitting,
    ::testing::Values(
        SplitCase{"QuotedDelimiterAndQuotes",
                  "\"Main St, 5\",\"say \"\"hi\"\"\",3\r\n",
                  Delimiter::Comma,
                  {"Main St, 5", "say \"hi\"", "3"}},
        SplitCase{"EmptyFieldsKept", "a,,b,\n", Delimiter::Comma, {"a", "", "b", ""}},
        SplitCase{"SemicolonLineEndDropped", "a;b\r\n", Delimiter::Semicolon, {"a", "b"}},
        SplitCase{"TabKeepsBlanks", " a \tb", Delimiter::Tab, {" a ", "b"}},
        SplitCase{"BlankRuns", "  a   b\t c  \r\n", Delimiter::Blanks, {"a", "b", "c"}},
        SplitCase{"BlanksQuoted", "\"Pt 1\"  52.5", Delimiter::Blanks, {"Pt 1", "52.5"}}),
    CaseName<SplitCase>);

struct RecordCase {
    const char* name;
    std::string text;
    std::optional<Delimiter> delimiter;
    std::vector<std::string> records;
};
void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }
class Records : public ::testing::TestWithParam<RecordCase> {};

TEST_P(Records, EndAtLineEndsOutsideQuotedFields) {
    std::vector<std::string> records;
    ForEachRecord(GetParam().text, GetParam().delimiter,
                  [&](std::string_view record, std::int64_t) { records.emplace_back(record); });
    EXPECT_EQ(records, GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Records,
    ::testing::Values(
        RecordCase{"CrLfAndCrAlike", "a\rb\r\nc\nd", Delimiter::Comma, {"a\r", "b\r\n", "c\n", "d"}},
        RecordCase{"QuotedLineEnds",
                   "1,\"x\r\ny\",2\n3,\"a\"\"\nb\"\r4",
                   Delimiter::Comma,
                   {"1,\"x\r\ny\",2\n", "3,\"a\"\"\nb\"\r", "4"}},
        RecordCase{"SecondsMarkIsText",
                   "48°30'15.5\"N,1\n2\n",
                   Delimiter::Comma,
                   {"48°30'15.5\"N,1\n", "2\n"}},
        RecordCase{"CommentIgnoresQuotes", " # \"a\n//\"b\n1\n", std::nullopt,
                   {" # \"a\n", "//\"b\n", "1\n"}},
        RecordCase{"BlanksOpenFields", "a  \"x\ny\"\n", Delimiter::Blanks, {"a  \"x\ny\"\n"}},
        RecordCase{"QuoteAfterBlankInTabFileIsText",
                   "a\t \"x\ny\"\n",
                   Delimiter::Tab,
                   {"a\t \"x\n", "y\"\n"}},
        RecordCase{"UnknownDelimiter", "\"a\rb\";1\r2", std::nullopt, {"\"a\rb\";1\r", "2"}}),
    CaseName<RecordCase>);

TEST(Records, ACrAtTheEndOfAPieceWaitsForItsLf) {
    RecordScan scan(Delimiter::Comma);
    scan.Start();
    EXPECT_EQ(scan.Scan("1,\"a\nb\",2\r"), std::string_view::npos);
    EXPECT_EQ(scan.Scan("\n3"), 1u);
    EXPECT_EQ(scan.lineEnds(), 2);
    scan.Start();
    EXPECT_EQ(scan.Scan("3\r"), std::string_view::npos);
    EXPECT_EQ(scan.Scan("4"), 0u);
}

TEST(DelimitedLines, ByteOrderMarkIsTakenOffOnlyAtTheFront) {
    std::string_view line = "\xEF\xBB\xBFLat,Lon\n";
    EXPECT_TRUE(TakeByteOrderMark(line));
    EXPECT_EQ(line, "Lat,Lon\n");
    EXPECT_FALSE(TakeByteOrderMark(line));
    EXPECT_EQ(line, "Lat,Lon\n");
}

TEST(DelimitedLines, BlankCommentAndDataLinesAreTold) {
    EXPECT_EQ(ClassifyLine(""), LineKind::Blank);
    EXPECT_EQ(ClassifyLine(" \t\r\n"), LineKind::Blank);
    EXPECT_EQ(ClassifyLine("# exported 2024-05-01\n"), LineKind::Comment);
    EXPECT_EQ(ClassifyLine("  // site A\r\n"), LineKind::Comment);
    EXPECT_EQ(ClassifyLine("/ 52.5 13.4"), LineKind::Data);
    EXPECT_EQ(ClassifyLine("52.5 13.4 # note"), LineKind::Data);
}

struct LayoutCase {
    const char* name;
    std::string line;
    DelimitedOptions options;
    std::string expected;  // the description, or the refusal
};
void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }
class Layout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, ChoosesHeaderAndColumns) {
    const LayoutResult result = ReadLayout(GetParam().line, GetParam().options);
    EXPECT_EQ(result.layout ? DescribeColumns(*result.layout) : result.error, GetParam().expected);
}

DelimitedOptions Indices(std::size_t latitude, std::size_t longitude) {
    DelimitedOptions options;
    options.latitude.index = latitude;
    options.longitude.index = longitude;
    return options;
}
DelimitedOptions Names(const char* latitude, const char* longitude, const char* height) {
    DelimitedOptions options;
    options.latitude.name = latitude;
    options.longitude.name = longitude;
    options.height.name = height;
    return options;
}
DelimitedOptions Reading(HeightKind kind) {
    DelimitedOptions options;
    options.heightKind = kind;
    return options;
}
DelimitedOptions DecimalComma() {
    DelimitedOptions options;
    options.decimalComma = true;
    return options;
}
DelimitedOptions LongitudeFirst() {
    DelimitedOptions options;
    options.longitudeFirst = true;
    return options;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Layout,
    ::testing::Values(
        LayoutCase{
            "HeaderKnownNames",
            "Pt,Lat,Lon,h\r\n",
            {},
            "latitude = column 2 \"Lat\", longitude = column 3 \"Lon\", height = column 4 \"h\""},
        LayoutCase{"HeaderNamesAnyCaseAnyOrder",
                   "\"LONGITUDE\";Latitude;Ellipsoidal_Height",
                   {},
                   "latitude = column 2 \"Latitude\", longitude = column 1 \"LONGITUDE\", "
                   "height = column 3 \"Ellipsoidal_Height\""},
        LayoutCase{"HeaderWithoutHeightName",
                   "x y z",
                   {},
                   "latitude = column 2 \"y\", longitude = column 1 \"x\""},
        LayoutCase{
            "HeaderUserNames", "id,B,L,ell", Names("b", "L", "ell"),
            "latitude = column 2 \"B\", longitude = column 3 \"L\", height = column 4 \"ell\""},
        LayoutCase{"HeaderUserIndices", "id\tB\tL", Indices(2, 3),
                   "latitude = column 2 \"B\", longitude = column 3 \"L\""},
        LayoutCase{"NoHeaderDefaultOrder",
                   "52.5 13.4 100",
                   {},
                   "latitude = column 1, longitude = column 2, height = column 3"},
        LayoutCase{"NoHeaderDegreesMinutes",
                   "48°30'N;11°15'E",
                   {},
                   "latitude = column 1, longitude = column 2"},
        LayoutCase{"NoHeaderLongitudeFirst", "13.4,52.5", LongitudeFirst(),
                   "latitude = column 2, longitude = column 1"},
        LayoutCase{"NoHeaderHeightAfterIndices", "P1,52.5,13.4,80", Indices(2, 3),
                   "latitude = column 2, longitude = column 3, height = column 4"},
        LayoutCase{
            "NoDelimiter",
            "52.5",
            {},
            "Error: The first data line has no comma, semicolon, tab or blank between fields."},
        LayoutCase{
            "HeaderWithoutLatitude",
            "Name,Easting,Northing",
            {},
            "Error: The header has no latitude column (lat, latitude, phi, y); choose one by "
            "number or name."},
        LayoutCase{"NameMissing", "Lat,Lon", Names("Lat", "Lon", "H_ell"),
                   "Error: The header has no column \"H_ell\" for the height."},
        LayoutCase{"NameWithoutHeader", "52.5,13.4", Names("Lat", "Lon", ""),
                   "Error: The latitude column is named \"Lat\", but the first data line is not a "
                   "header."},
        LayoutCase{"IndexBeyondLine", "52.5,13.4", Indices(1, 5),
                   "Error: The longitude column 5 is beyond the 2 fields of the first data line."},
        LayoutCase{"SameColumnTwice", "52.5,13.4", Indices(2, 2),
                   "Error: Column 2 is chosen for two values."},
        // Its own output fed back with --to ellipsoidal once had "h" converted again.
        LayoutCase{"OrthometricHeightByItsName", "lat,lon,h,N_EGM2008,H",
                   Reading(HeightKind::Orthometric),
                   "latitude = column 1 \"lat\", longitude = column 2 \"lon\", "
                   "height = column 5 \"H\""},
        LayoutCase{"EllipsoidalHeightByItsName", "lat;lon;Orthometric H;Ellipsoidal h",
                   Reading(HeightKind::Ellipsoidal),
                   "latitude = column 1 \"lat\", longitude = column 2 \"lon\", "
                   "height = column 4 \"Ellipsoidal h\""},
        LayoutCase{"SeveralHeightsRefused", "lat,lon,alt,height", Reading(HeightKind::Orthometric),
                   "Error: The header has more than one height column (\"alt\", \"height\"); "
                   "choose one by number or name."},
        LayoutCase{"SeveralHeightsNoneWithoutConversion",
                   "lat,lon,h,H",
                   {},
                   "latitude = column 1 \"lat\", longitude = column 2 \"lon\""},
        LayoutCase{"UserNameSpeltExactlyFirst", "lat,lon,h,H", Names("lat", "lon", "H"),
                   "latitude = column 1 \"lat\", longitude = column 2 \"lon\", "
                   "height = column 4 \"H\""},
        LayoutCase{"TwoLatitudesRefused",
                   "Lat,latitude,lon",
                   {},
                   "Error: The header has more than one latitude column (\"Lat\", "
                   "\"latitude\"); choose one by number or name."},
        LayoutCase{"LatLonBeforeXY",
                   "x,y,lat,lon",
                   {},
                   "latitude = column 3 \"lat\", longitude = column 4 \"lon\""},
        // With decimal commas in a comma file, 48,5,11,25 was once read as 48 and 5.
        LayoutCase{"DecimalCommaUnquotedRefused", "48,5,11,25", DecimalComma(),
                   "Error: The comma both delimits the fields and marks the decimals, but the "
                   "numbers are not quoted (\"48,5\"); choose another delimiter or the decimal "
                   "point."},
        LayoutCase{"DecimalCommaQuoted", "\"48,5\",\"11,25\"", DecimalComma(),
                   "latitude = column 1, longitude = column 2"}),
    CaseName<LayoutCase>);

TEST(Layout, ChosenDelimiterOverridesDetection) {
    DelimitedOptions options;
    options.delimiter = Delimiter::Blanks;
    const LayoutResult result = ReadLayout("52,5 13,4", options);
    ASSERT_TRUE(result.layout) << result.error;
    EXPECT_EQ(result.layout->delimiter, Delimiter::Blanks);
    EXPECT_FALSE(result.layout->header);
    EXPECT_EQ(DescribeColumns(*result.layout), "latitude = column 1, longitude = column 2");
}

struct AppendCase {
    const char* name;
    std::string line;
    Delimiter delimiter;
    std::vector<std::string> fields;
    std::string expected;
};
void PrintTo(const AppendCase& c, std::ostream* os) { *os << c.name; }
class Appending : public ::testing::TestWithParam<AppendCase> {};

TEST_P(Appending, KeepsTheLineAndItsEnd) {
    EXPECT_EQ(AppendFields(GetParam().line, GetParam().delimiter, GetParam().fields),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Appending,
    ::testing::Values(
        AppendCase{"CrLf",
                   "\"P 1\",52.5,13.4\r\n",
                   Delimiter::Comma,
                   {"39.542", "60.458"},
                   "\"P 1\",52.5,13.4,39.542,60.458\r\n"},
        AppendCase{
            "Lf", "  52.5   13.4\n", Delimiter::Blanks, {"39.542"}, "  52.5   13.4 39.542\n"},
        AppendCase{"NoEnd", "a\tb", Delimiter::Tab, {"x y"}, "a\tb\tx y"},
        AppendCase{"QuotedWhenHoldingDelimiterOrQuote",
                   "a;b\n",
                   Delimiter::Semicolon,
                   {"1;2", "say \"x\"", "1,5"},
                   "a;b;\"1;2\";\"say \"\"x\"\"\";1,5\n"},
        AppendCase{
            "BlankQuoted", "a b\r\n", Delimiter::Blanks, {"N/A value"}, "a b \"N/A value\"\r\n"}),
    CaseName<AppendCase>);

}  // namespace
}  // namespace egm2008
