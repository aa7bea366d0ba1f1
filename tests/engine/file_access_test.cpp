// OpenRegularFile and OpenOutputFile: what each refuses, with which errno, and
// that neither waits on a FIFO nor leaves the descriptor non-blocking.
#include "engine/file_access.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>

#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

struct InputCase {
    const char* name;
    std::function<std::string(const test::ScratchFolder&)>
        make;   ///< makes the file, returns its path
    int error;  ///< 0: opened
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

class OpenRegularFileTest : public testing::TestWithParam<InputCase> {};

TEST_P(OpenRegularFileTest, OpensOnlyRegularFiles) {
    const InputCase& c = GetParam();
    test::ScratchFolder dir;
    const std::string path = c.make(dir);
    std::uint64_t length = 99;
    errno = 0;
    const int fd = OpenRegularFile(path, &length);
    if (c.error != 0) {
        EXPECT_EQ(fd, -1);
        EXPECT_EQ(errno, c.error);
        return;
    }
    ASSERT_GE(fd, 0);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    ::close(fd);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OpenRegularFileTest,
    testing::Values(
        InputCase{"Regular",
                  [](const test::ScratchFolder& d) {
                      const int fd = OpenOutputFile(d.File("f"));
                      EXPECT_EQ(::write(fd, "12345", 5), 5);
                      ::close(fd);
                      return d.File("f");
                  },
                  0},
        InputCase{"Folder", [](const test::ScratchFolder& d) { return d.path(); }, EISDIR},
        InputCase{"FifoWithoutWriter",
                  [](const test::ScratchFolder& d) {
                      EXPECT_EQ(::mkfifo(d.File("fifo").c_str(), 0600), 0);
                      return d.File("fifo");
                  },
                  EINVAL},
        InputCase{"Device", [](const test::ScratchFolder&) { return std::string("/dev/null"); },
                  EINVAL},
        InputCase{"Missing", [](const test::ScratchFolder& d) { return d.File("none"); }, ENOENT},
        InputCase{"EmptyPath", [](const test::ScratchFolder&) { return std::string(); }, ENOENT}),
    [](const testing::TestParamInfo<InputCase>& p) { return std::string(p.param.name); });

TEST(OpenOutputFile, RefusesAFifoWithoutReaderInsteadOfWaiting) {
    test::ScratchFolder dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    errno = 0;
    EXPECT_EQ(OpenOutputFile(dir.File("fifo")), -1);
    EXPECT_EQ(errno, ENXIO);
}

TEST(OpenOutputFile, TruncatesOrRefusesAnExistingFile) {
    test::ScratchFolder dir;
    const std::string path = dir.File("out");
    int fd = OpenOutputFile(path, OutputCreation::Exclusive);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    ASSERT_EQ(::write(fd, "abc", 3), 3);
    ::close(fd);

    errno = 0;
    EXPECT_EQ(OpenOutputFile(path, OutputCreation::Exclusive), -1);
    EXPECT_EQ(errno, EEXIST);
    fd = OpenOutputFile(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 0);
}

}  // namespace
}  // namespace egm2008::engine
