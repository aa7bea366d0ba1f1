// The replacement of a run's output: the new file takes the place of the old
// one only at Keep, with the old one's permission bits, and Discard leaves the
// old one (or none) and no temporary file.
#include "tasks/common/replacing_output.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/file_bytes.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008 {
namespace {

using test::ReadFile;
using test::WriteFile;

constexpr const char* kPrevious = "previous lines\r\n";

TEST(ReplacingOutput, NewFileKeepsThePermissionBits) {
    test::ScratchFolder scratch;
    const std::string out = scratch.File("out.txt");
    for (const mode_t mode : {0600, 0640, 0754}) {
        WriteFile(out, kPrevious);
        ASSERT_EQ(::chmod(out.c_str(), mode), 0);
        ReplacingOutput output;
        ASSERT_TRUE(output.Open(out));
        EXPECT_TRUE(output.replacing());
        output.text().WriteLine("new");
        EXPECT_EQ(ReadFile(out), kPrevious);
        ASSERT_TRUE(output.Keep().kept());
        EXPECT_EQ(ReadFile(out), "new\r\n");
        struct stat info {};
        ASSERT_EQ(::stat(out.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(scratch.Names(), (std::vector<std::string>{"out.txt"}));
    }
}

struct DiscardCase {
    const char* name;
    bool previous;  // a file is there before the run
    OutputFate fate;
};

class ReplacingOutputDiscard : public ::testing::TestWithParam<DiscardCase> {};

TEST_P(ReplacingOutputDiscard, LeavesThePreviousFileOrNone) {
    test::ScratchFolder scratch;
    const std::string out = scratch.File("out.txt");
    if (GetParam().previous) WriteFile(out, kPrevious);
    ReplacingOutput output;
    ASSERT_TRUE(output.Open(out));
    output.text().WriteLine("partial");
    output.text().Flush();
    output.Discard();
    EXPECT_EQ(output.fate(), GetParam().fate);
    EXPECT_EQ(test::Exists(out), GetParam().previous);
    EXPECT_EQ(ReadFile(out), GetParam().previous ? kPrevious : "");
    EXPECT_EQ(scratch.Names().size(), GetParam().previous ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReplacingOutputDiscard,
                         ::testing::Values(DiscardCase{"Previous", true, OutputFate::Unchanged},
                                           DiscardCase{"None", false, OutputFate::NotCreated}),
                         [](const auto& p) { return std::string(p.param.name); });

// Devices are written as they are: nothing to keep in their place.
TEST(ReplacingOutput, DeviceIsWrittenDirectly) {
    ReplacingOutput output;
    ASSERT_TRUE(output.Open("/dev/null"));
    EXPECT_FALSE(output.replacing());
    EXPECT_EQ(output.fate(), OutputFate::Incomplete);
    EXPECT_TRUE(output.Keep().kept());
}

// The reason a rename failed once reached the pages only through errno, read after other calls.
TEST(ReplacingOutput, KeepReturnsTheErrorOfAFailedRename) {
    test::ScratchFolder scratch;
    const std::string out = scratch.File("out.txt");
    ReplacingOutput output;
    ASSERT_TRUE(output.Open(out));
    output.text().WriteLine("new");
    std::filesystem::create_directories(out + "/inside");  // no file can be renamed over it
    const OutputKept kept = output.Keep();
    EXPECT_FALSE(kept.kept());
    EXPECT_TRUE(kept.error == EISDIR || kept.error == ENOTEMPTY || kept.error == EEXIST)
        << kept.error;
    EXPECT_EQ(scratch.Names(), (std::vector<std::string>{"out.txt"}));
}

}  // namespace
}  // namespace egm2008
