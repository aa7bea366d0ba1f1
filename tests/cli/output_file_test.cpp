// The output of "egm2008 file" and "egm2008 grid": a regular file is replaced
// only when the run ends with its lines (the replacement itself:
// tests/tasks/replacing_output_test.cpp). A write error or SIGINT, SIGTERM or
// SIGHUP leaves the previous file byte for byte and no temporary file. The output of a live input
// (a pipe) is written directly and keeps every line answered before a stop. Runs that must fail a
// write or take a signal run in a child process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "cli/run_cli.hpp"
#include "cli_test_support.hpp"

namespace egm2008::cli::test {
namespace {

constexpr const char* kPrevious = "previous lines\r\n";

// The size of the run's temporary file for `name` in `folder`, -1 while there is none.
std::intmax_t TemporarySize(const std::string& folder, const std::string& name) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("." + name + ".egm2008-", 0) == 0) {
            std::error_code error;
            const auto size = entry.file_size(error);
            return error ? -1 : static_cast<std::intmax_t>(size);
        }
    }
    return -1;
}

struct ChildRun {
    int status = -1;  // the exit status; -1 when the child did not exit normally
    std::string err;
};

// Runs the tool in a child process with standard input `in`, standard output
// on /dev/null and a file-size limit against runaway output; `during` runs
// here meanwhile with the child's id.
ChildRun RunInChild(const std::vector<std::string>& args, int in, rlim_t sizeLimit,
                    const std::function<void(pid_t)>& during) {
    const std::string errPath = std::filesystem::temp_directory_path() /
                                ("egm2008-child-err-" + std::to_string(::getpid()));
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit limit{sizeLimit, sizeLimit};
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int out = ::open("/dev/null", O_WRONLY);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(runCli(args, in, out, err));
    }
    ChildRun run;
    if (pid < 0) return run;
    during(pid);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.err = ReadFile(errPath);
    std::filesystem::remove(errPath);
    return run;
}

class OutputReplacement : public ::testing::Test {
protected:
    void SetUp() override { WriteConstantGrid(grid_, 47.25f, false); }
    ScratchFolder scratch_;
    std::string grid_ = scratch_.File("grid");
    std::string out_ = scratch_.File("out.txt");
};

struct WriteErrorCase {
    const char* name;
    std::vector<std::string> (*args)(const std::string& in, const std::string& out,
                                     const std::string& grid);
};

// A file-size limit fails the writes to the temporary file, as a full disk does.
class OutputWriteError : public OutputReplacement,
                         public ::testing::WithParamInterface<WriteErrorCase> {};

TEST_P(OutputWriteError, LeavesThePreviousFile) {
    const std::string in = scratch_.File("in.txt");
    std::string points;
    for (int k = 0; k < 20000; ++k) points += "48.5 11.25\n";
    WriteFile(in, points);
    WriteFile(out_, kPrevious);
    const ChildRun run =
        RunInChild(GetParam().args(in, out_, grid_), STDIN_FILENO, 64 * 1024, [](pid_t) {});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(
        run.err,
        "egm2008: Outputfile \"" + out_ +
            "\" could not be written: File too large! The run was stopped; the outputfile was "
            "left as it was.\n");
    EXPECT_EQ(ReadFile(out_), kPrevious);
    EXPECT_EQ(scratch_.Names(), (std::vector<std::string>{"grid", "in.txt", "out.txt"}));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, OutputWriteError,
    ::testing::Values(
        WriteErrorCase{"File",
                       [](const std::string& in, const std::string& out, const std::string& grid) {
                           return std::vector<std::string>{"file", in, out, "--grid", grid};
                       }},
        WriteErrorCase{"Grid",
                       [](const std::string&, const std::string& out, const std::string& grid) {
                           return std::vector<std::string>{
                               "grid", "--lat", "10",         "0",      "--lon",
                               "0",    "10",    "--step-lat", "1",      "--step-lon",
                               "1",    "-o",    out,          "--grid", grid};
                       }}),
    [](const auto& c) { return std::string(c.param.name); });

struct SignalCase {
    const char* name;
    bool grid;  // else a point file read from a pipe that stays open: a live input
    int signal;
    int status;
};

constexpr const char* kAnswered = " 48.500000   11.250000   47.250\r\n";

class StopSignal : public OutputReplacement, public ::testing::WithParamInterface<SignalCase> {};

// The run is stopped once it has written part of its output: the previous
// file stays (a live input's output holds what was answered), one line says
// why, and the status tells the signal.
TEST_P(StopSignal, LeavesThePreviousFile) {
    const SignalCase& c = GetParam();
    WriteFile(out_, kPrevious);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const std::vector<std::string> args =
        c.grid ? std::vector<std::string>{"grid", "--lat", "-90",        "90",     "--lon",
                                          "-180", "180",   "--step-lat", "1",      "--step-lon",
                                          "1",    "-o",    out_,         "--grid", grid_}
               : std::vector<std::string>{"file", "-", out_, "--grid", grid_};
    bool midRun = false;
    const ChildRun run = RunInChild(args, pipeEnds[0], 64 << 20, [&](pid_t child) {
        ASSERT_EQ(::write(pipeEnds[1], "48.5 11.25\n", 11), 11);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        const auto written = [&] {
            return c.grid ? TemporarySize(scratch_.path(), "out.txt") > 0
                          : ReadFile(out_) == kAnswered;
        };
        while (!(midRun = written()) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ::kill(child, midRun ? c.signal : SIGKILL);
    });
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    ASSERT_TRUE(midRun) << "the run never wrote its output";
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err,
              "egm2008: The run was stopped by " + std::string(c.name).substr(4) +
                  "; outputfile \"" + out_ + "\" " +
                  (c.grid ? "was left as it was" : "holds every line answered before the stop") +
                  ".\n");
    EXPECT_EQ(ReadFile(out_), c.grid ? kPrevious : kAnswered);
    EXPECT_EQ(scratch_.Names(), (std::vector<std::string>{"grid", "out.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, StopSignal,
                         ::testing::Values(SignalCase{"FileSIGTERM", false, SIGTERM, 143},
                                           SignalCase{"FileSIGINT", false, SIGINT, 130},
                                           SignalCase{"FileSIGHUP", false, SIGHUP, 129},
                                           SignalCase{"GridSIGTERM", true, SIGTERM, 143}),
                         [](const auto& c) { return std::string(c.param.name); });

// `egm2008 nmea` on a live stream (gpspipe -r | egm2008 nmea - -) ends on
// Ctrl-C as at the end of the stream: every line answered, the summary, status 0.
TEST_F(OutputReplacement, NmeaLiveStreamEndsOnSigintWithTheSummary) {
    const std::string sentence = "$GPRMC,123519,A,4807.038,N,01131.000,E\r\n";
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const ChildRun run =
        RunInChild({"nmea", "-", out_, "--grid", grid_}, pipeEnds[0], 1 << 20, [&](pid_t child) {
            ASSERT_EQ(::write(pipeEnds[1], sentence.data(), sentence.size()),
                      static_cast<ssize_t>(sentence.size()));
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (ReadFile(out_) != sentence && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ::kill(child, SIGINT);
        });
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              "egm2008: 1 line read: 0 GGA/GNS sentences rewritten, 1 other line passed on.\n");
    EXPECT_EQ(ReadFile(out_), sentence);
}

}  // namespace
}  // namespace egm2008::cli::test
