#include "cli_test_support.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <stdexcept>

#include "cli/run_cli.hpp"

namespace egm2008::cli::test {

namespace {

int MemoryFile(const std::string& content) {
    const int fd = ::memfd_create("cli-test", MFD_CLOEXEC);
    if (fd < 0 ||
        ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) {
        throw std::runtime_error("cannot make a memory file");
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

std::string Drain(int fd) {
    std::string bytes;
    char buffer[65536];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
}

}  // namespace

CliRun RunTool(const std::vector<std::string>& args, const std::string& input, int outFd) {
    const int in = MemoryFile(input);
    const int out = outFd >= 0 ? outFd : MemoryFile("");
    const int err = MemoryFile("");
    CliRun run;
    run.status = runCli(args, in, out, err);
    if (outFd < 0) run.out = Drain(out);
    run.err = Drain(err);
    ::close(in);
    return run;
}

}  // namespace egm2008::cli::test
