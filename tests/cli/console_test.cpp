// Progress goes to standard error only when it is a terminal.
#include "cli/console.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace egm2008::cli {
namespace {

std::string Drain(int fd) {
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

TEST(Progress, OnATerminalOnlyAndWipedAtTheEnd) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_NONBLOCK), 0);
    {
        Progress onTerminal(terminal, "nodes");
        Progress onPipe(pipe[1], "nodes");
        std::this_thread::sleep_for(
            std::chrono::milliseconds(600));  // past the delay before the first
        onTerminal.Update(250, 1000);
        onPipe.Update(250, 1000);
    }
    EXPECT_EQ(Drain(pipe[0]), "");
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    EXPECT_EQ(Drain(master), "\r\033[Kegm2008: 250 of 1000 nodes (25%)\r\033[K");
    for (int fd : {terminal, master, pipe[0], pipe[1]}) ::close(fd);
}

}  // namespace
}  // namespace egm2008::cli
