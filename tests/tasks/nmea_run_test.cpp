// The NMEA run over a file and over a live stream, and its summary.
#include "tasks/nmea/nmea_run.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "tasks/common/line_reader.hpp"
#include "tests/support/byte_compare.hpp"
#include "tests/support/fake_platform.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/nmea_text.hpp"
#include "tests/support/scratch_folder.hpp"
#include "point_file_fixtures.hpp"

namespace egm2008 {
namespace {

using test::WithNmeaChecksum;

const std::vector<std::string> kLog = {
    WithNmeaChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") + "\r\n",
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n",
    WithNmeaChecksum("$GNGNS,090310.00,4717.11378,N,00833.91214,E,AAN,12,0.92,499.6,48.0,,,V") +
        "\n",
    "$GLGGA,123520,,,,,0,00,99.9,,,,,,\n",
    "$GAGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*00\n",
};

// What the rewrite makes of each line alone, with the grid's 47.25 m.
std::string Expected(const std::string& line) {
    std::string out;
    RewriteNmeaLine(
        line, {},
        [](double, double, float& n) {
            n = 47.25f;
            return QueryStatus::StatusOk;
        },
        out);
    return out;
}

struct Mapped {
    test::FakePlatform platform;
    GeoidGrid grid = test::ConstantGrid(47.25f);
    MappedGrid mapped;
    Mapped() { EXPECT_EQ(mapped.Map(grid, platform), QueryStatus::StatusOk); }
};

// Many batches, an overlong sentence among them: the output is each line's own
// rewrite in input order, and the counts add up.
TEST(RunNmea, FileInBatchesGivesEachLinesOwnRewrite) {
    test::ScratchFolder scratch;
    std::string input;
    std::string expected;
    for (int k = 0; k < 2000; ++k) {
        for (const std::string& line : kLog) {
            input += line;
            expected += Expected(line);
        }
        if (k == 1000) {
            const std::string overlong = "$GNGGA," + std::string(kMaxLineLength, '9') + "\n";
            input += overlong;
            expected += overlong;
        }
    }
    test::WriteFile(scratch.File("in.nmea"), input);
    PointFileInput in;
    ASSERT_TRUE(in.Open(scratch.File("in.nmea")));
    TextOutput out;
    ASSERT_TRUE(out.Open(scratch.File("out.nmea")));
    Mapped m;
    const NmeaRunOutcome o =
        RunNmea(in, out, m.grid, m.mapped, InterpolationMethod::BiLinear, {}, nullptr);
    EXPECT_TRUE(test::SameBytes(expected, test::ReadFile(scratch.File("out.nmea"))));
    EXPECT_EQ(NmeaSummaryText(o),
              "10,001 lines read: 4,000 GGA/GNS sentences rewritten, 4,001 left as received (2,000 "
              "wrong checksum, 2,000 no fix, 1 unreadable), 2,000 other lines passed on.");
    EXPECT_TRUE(o.AnyFailed());
}

// Whole logs: output bytes, summary, and whether the run failed.
TEST(RunNmea, EachLogGivesItsOutputSummaryAndFailure) {
    const std::string gga = kLog[0].substr(0, kLog[0].size() - 2);
    const std::string rewritten = Expected(gga);
    const std::string noSeparation =
        WithNmeaChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,");
    const struct {
        std::string in;
        std::string out;
        std::string summary;
        bool failed;
    } rows[] = {
        // Pinned: a log with CR-only line ends was one line, "1 wrong checksum".
        {gga + "\r" + gga + "\r", rewritten + "\r" + rewritten + "\r",
         "2 lines read: 2 GGA/GNS sentences rewritten.", false},
        {noSeparation + "\n" + kLog[3], noSeparation + "\n" + kLog[3],
         "2 lines read: 0 GGA/GNS sentences rewritten, 2 left as received (1 no fix, 1 no "
         "separation).",
         true},
    };
    for (const auto& row : rows) {
        test::ScratchFolder scratch;
        test::WriteFile(scratch.File("in.nmea"), row.in);
        PointFileInput in;
        ASSERT_TRUE(in.Open(scratch.File("in.nmea")));
        TextOutput out;
        ASSERT_TRUE(out.Open(scratch.File("out.nmea")));
        Mapped m;
        const NmeaRunOutcome o =
            RunNmea(in, out, m.grid, m.mapped, InterpolationMethod::BiLinear, {}, nullptr);
        EXPECT_TRUE(test::SameBytes(row.out, test::ReadFile(scratch.File("out.nmea"))));
        EXPECT_EQ(NmeaSummaryText(o), row.summary);
        EXPECT_EQ(o.AnyFailed(), row.failed) << row.summary;
    }
}

// A live stream (gpspipe -r | egm2008 nmea - -): each sentence is answered, with
// its own line end, before the next one comes.
TEST(RunNmea, LiveStreamIsAnsweredSentenceBySentence) {
    int in[2], out[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(out), 0);
    PointFileInput input;
    input.Attach(in[0]);
    TextOutput output;
    output.Attach(out[1]);
    Mapped m;
    NmeaRunOutcome outcome;
    std::thread run([&] {
        outcome =
            RunNmea(input, output, m.grid, m.mapped, InterpolationMethod::BiLinear, {}, nullptr);
    });
    for (const std::string& line : kLog) {
        ASSERT_EQ(::write(in[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
        const std::string answer = test::AwaitLine(out[0]);
        EXPECT_EQ(answer, Expected(line)) << "no answer within a second to " << line;
        if (answer.empty()) break;
    }
    ::close(in[1]);
    run.join();
    EXPECT_EQ(outcome.of[static_cast<int>(NmeaOutcome::Rewritten)], 2);
    for (int fd : {in[0], out[0], out[1]}) ::close(fd);
}

}  // namespace
}  // namespace egm2008
