#include "tasks/common/text_output.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>

#include "engine/file_identity.hpp"
#include "tasks/engine_names.hpp"
#include "tests/support/file_bytes.hpp"

namespace egm2008 {
namespace {

using test::ReadFile;

std::string TempPath(const char* name) {
    return ::testing::TempDir() + "/" + name + std::to_string(::getpid());
}

TEST(TextOutput, WritesCrLfLinesAndReplacesAnExistingFile) {
    const std::string path = TempPath("text_output");
    {
        std::ofstream old(path, std::ios::binary);
        old << "old contents that are longer than the new ones\n";
    }
    TextOutput out;
    ASSERT_TRUE(out.Open(path));
    out.WriteLine("first");
    out.Write("raw");
    AppendPointLine(out.buffer(), 50.5, -7.25, 52.1234f);
    out.Commit();
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(ReadFile(path), "first\r\nraw 50.500000   -7.250000   52.123\r\n");
    std::remove(path.c_str());
}

TEST(TextOutput, LargeOutputIsWrittenWhole) {
    const std::string path = TempPath("text_output_large");
    TextOutput out;
    ASSERT_TRUE(out.Open(path));
    const std::string line(99, 'x');
    for (int i = 0; i < 30000; ++i) out.WriteLine(line);  // several flushes
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(ReadFile(path).size(), 30000u * 101u);
    std::remove(path.c_str());
}

TEST(TextOutput, WriteErrorsAreReportedNotLost) {
    TextOutput out;
    ASSERT_TRUE(out.Open("/dev/full"));
    out.WriteLine("cannot go anywhere");
    EXPECT_FALSE(out.Close());
    EXPECT_EQ(out.error(), ENOSPC);
}

TEST(TextOutput, RefusesWhatCannotBeCreated) {
    TextOutput out;
    EXPECT_FALSE(out.Open(""));
    EXPECT_FALSE(out.Open(TempPath("no_such_folder") + "/file.txt"));
}

TEST(AppendFormat, HandlesTextLongerThanTheLocalBuffer) {
    std::string out = "<";
    AppendFormat(out, "%10.6lf", 1e300);
    EXPECT_EQ(out.size(), 1u + 301u + 7u);
    EXPECT_EQ(out.substr(out.size() - 7), ".000000");
}

TEST(FileIdentity, SeesOneFileThroughAnotherSpellingOrALink) {
    const std::string path = TempPath("identity");
    { std::ofstream(path) << "x"; }
    const std::string link = path + ".link";
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    const std::string folder = path.substr(0, path.rfind('/'));
    const std::string dotted = folder + "/./" + path.substr(path.rfind('/') + 1);
    EXPECT_TRUE(SameFile(path, link));
    EXPECT_TRUE(SameFile(path, dotted));
    EXPECT_FALSE(SameFile(path, path + ".missing"));
    EXPECT_TRUE(IsRegularFile(link));
    EXPECT_FALSE(IsRegularFile(folder));
    std::remove(link.c_str());
    std::remove(path.c_str());
}

}  // namespace
}  // namespace egm2008
