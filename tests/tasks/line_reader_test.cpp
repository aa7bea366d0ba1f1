#include "tasks/common/line_reader.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/byte_compare.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using test::ReadFile;
using test::ScratchFolder;
using test::WriteFile;

// Every line of `bytes` as the reader hands it out; `crEnds`: told
// EndLinesAtCarriageReturns, with `keepCr` KeepCarriageReturns too.
std::vector<std::string> Lines(const std::string& bytes, bool crEnds = false, bool keepCr = true) {
    ScratchFolder folder;
    WriteFile(folder.File("in"), bytes);
    const int fd = ::open(folder.File("in").c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    LineReader reader(fd);
    if (crEnds) reader.EndLinesAtCarriageReturns();
    if (crEnds && keepCr) reader.KeepCarriageReturns();
    std::vector<std::string> lines;
    std::string line;
    LineReader::Status status;
    while ((status = reader.Next(line)) == LineReader::Status::Line) {
        EXPECT_FALSE(reader.overlong());
        lines.push_back(line);
    }
    EXPECT_EQ(status, LineReader::Status::End);
    EXPECT_EQ(reader.Next(line), LineReader::Status::End) << "the end stays the end";
    ::close(fd);
    return lines;
}

struct LinesCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};
void PrintTo(const LinesCase& c, std::ostream* os) { *os << c.name; }

class LineReaderLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(LineReaderLines, AsATextModeReadDeliversThem) {
    EXPECT_EQ(Lines(GetParam().bytes), GetParam().lines);
}

const std::string kLong300 = "P1 48.5 11.25 " + std::string(286, 'x');
// The CR of a CR LF is the last byte of the first 64 KiB read, the LF the first of the next.
const std::string kAcrossReads(65535, 'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, LineReaderLines,
    ::testing::Values(
        LinesCase{"Empty", "", {}},
        LinesCase{"LfEnds", "48.5 11.25\n1 2\n", {"48.5 11.25\n", "1 2\n"}},
        LinesCase{"CrLfEnds", "48.5 11.25\r\n1 2\r\n", {"48.5 11.25\n", "1 2\n"}},
        LinesCase{"LastLineWithoutEnd", "a\r\nb", {"a\n", "b"}},
        LinesCase{"LastLineEndsInLoneCr", "a\r", {"a\r"}},
        LinesCase{"OnlyTheCrBeforeTheLfGoes", "a\r\r\nb\rc\n", {"a\r\n", "b\rc\n"}},
        LinesCase{"EmptyLines", "\n\r\n\n", {"\n", "\n", "\n"}},
        LinesCase{"NulBytesStay", std::string("a\0b\n", 4), {std::string("a\0b\n", 4)}},
        LinesCase{"LongLineIsOneLine", kLong300 + "\r\nnext\n", {kLong300 + "\n", "next\n"}},
        LinesCase{"CrLfAcrossTwoReads", kAcrossReads + "\r\nz\n", {kAcrossReads + "\n", "z\n"}},
        LinesCase{"LineLongerThanTheBuffer",
                  std::string(200000, '7') + "\n",
                  {std::string(200000, '7') + "\n"}}),
    [](const ::testing::TestParamInfo<LinesCase>& p) { return std::string(p.param.name); });

// Lines that end in a CR alone, as some NMEA loggers write them, with their ends kept.
TEST(LineReader, ACrAloneEndsALineWhenAsked) {
    const struct {
        std::string bytes;
        std::vector<std::string> lines;
    } rows[] = {
        {"a\rb\r", {"a\r", "b\r"}},
        {"a\r\nb\rc\n\rd", {"a\r\n", "b\r", "c\n", "\r", "d"}},
        // The CR is the last byte of the first read: the next read tells whether an LF follows.
        {kAcrossReads + "\r\nz\r", {kAcrossReads + "\r\n", "z\r"}},
        {kAcrossReads + "\rz\r", {kAcrossReads + "\r", "z\r"}},
    };
    for (const auto& row : rows) EXPECT_EQ(Lines(row.bytes, true), row.lines);
    EXPECT_EQ(Lines("a\rb\r\nc\r", true, false), (std::vector<std::string>{"a\n", "b\n", "c\n"}));
}

// An overlong line is handed out cut and its rest copied as text mode writes it.
struct OverlongCase {
    const char* name;
    std::string bytes;
    std::string copied;  // the cut line and its rest as written
    std::string next;    // the line after it, "" when none
};
void PrintTo(const OverlongCase& c, std::ostream* os) { *os << c.name; }

class LineReaderOverlong : public ::testing::TestWithParam<OverlongCase> {};

TEST_P(LineReaderOverlong, IsCopiedWithoutBeingHeld) {
    const OverlongCase& c = GetParam();
    ScratchFolder folder;
    WriteFile(folder.File("in"), c.bytes);
    const int fd = ::open(folder.File("in").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    LineReader reader(fd, 100);
    std::string line;
    ASSERT_EQ(reader.Next(line), LineReader::Status::Line);
    ASSERT_TRUE(reader.overlong());
    EXPECT_LE(line.size(), 64u * 1024u) << "no more than one read is held";
    TextOutput out;
    ASSERT_TRUE(out.Open(folder.File("out")));
    out.Write(line);
    EXPECT_EQ(reader.CopyRest(out), LineReader::Status::Line);
    ASSERT_TRUE(out.Close());
    EXPECT_TRUE(test::SameBytes(c.copied, ReadFile(folder.File("out"))));
    if (c.next.empty()) {
        EXPECT_EQ(reader.Next(line), LineReader::Status::End);
    } else {
        ASSERT_EQ(reader.Next(line), LineReader::Status::Line);
        EXPECT_FALSE(reader.overlong());
        EXPECT_EQ(line, c.next);
    }
    ::close(fd);
}

const std::string kFirstRead(65535, 'x');  // the next byte ends the first 64 KiB read

INSTANTIATE_TEST_SUITE_P(
    Cases, LineReaderOverlong,
    ::testing::Values(
        OverlongCase{"CrLfBecomesCrLf", std::string(150000, 'x') + "\r\nafter\n",
                     std::string(150000, 'x') + "\r\n", "after\n"},
        OverlongCase{"LfBecomesCrLf", std::string(150000, 'x') + "\nafter\n",
                     std::string(150000, 'x') + "\r\n", "after\n"},
        OverlongCase{"NoLineEndAtTheEnd", std::string(150000, 'x'), std::string(150000, 'x'), ""},
        OverlongCase{"CrCutOffBeforeItsLf", kFirstRead + "\r\nafter\n", kFirstRead + "\r\n",
                     "after\n"},
        OverlongCase{"CrCutOffBeforeOtherText", kFirstRead + "\ry\n", kFirstRead + "\ry\r\n", ""},
        OverlongCase{"CrCutOffAtTheEnd", kFirstRead + "\r", kFirstRead + "\r", ""}),
    [](const ::testing::TestParamInfo<OverlongCase>& p) { return std::string(p.param.name); });

TEST(LineReader, AFailedReadIsAnErrorWithItsErrno) {
    ScratchFolder folder;
    const int fd = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    LineReader reader(fd);
    std::string line;
    EXPECT_EQ(reader.Next(line), LineReader::Status::Error);
    EXPECT_EQ(reader.error(), EISDIR);
    ::close(fd);
}

}  // namespace
}  // namespace egm2008
