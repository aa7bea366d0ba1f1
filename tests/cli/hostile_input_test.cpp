// Hostile input given to the command-line tool: grid files that are no grid,
// inputs and outputs that are no regular files, paths with blanks, quotes,
// format directives and non-ASCII characters, numbers that are no numbers,
// full devices. Every refusal is one line on standard error and a non-zero
// exit; nothing blocks; no file that must not be written is touched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "cli/run_cli.hpp"
#include "cli_test_support.hpp"

namespace egm2008::cli::test {
namespace {

// One line "egm2008: ..." on standard error.
::testing::AssertionResult OneMessageLine(const std::string& err) {
    if (err.rfind("egm2008: ", 0) == 0 && err.find('\n') == err.size() - 1) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "standard error: " << ::testing::PrintToString(err);
}

constexpr std::int64_t kGridLength = (2160 + 2) * 4 * 1081;

// ---- grid files that are no grid ---------------------------------------------

struct GridCase {
    const char* name;
    std::function<void(const std::string& path)> make;
    const char* says;  // part of the message
};
void PrintTo(const GridCase& c, std::ostream* os) { *os << c.name; }

class HostileGridOption : public ::testing::TestWithParam<GridCase> {
protected:
    void SetUp() override {
        GetParam().make(grid_);
        WriteFile(input_, "48.5 11.25\n");
        WriteFile(output_, "keep");
    }
    ScratchFolder scratch_;
    std::string grid_ = scratch_.File("grid");
    std::string input_ = scratch_.File("in.txt");
    std::string output_ = scratch_.File("out.txt");
    BlockGuard guard_;
};

TEST_P(HostileGridOption, IsRefusedByEveryCommandBeforeAnyOutput) {
    const std::vector<std::vector<std::string>> commands = {
        {"point", "48.5", "11.25"},
        {"file", input_, output_},
        {"grid", "--lat", "10", "0", "--lon", "0", "10", "--step-lat", "300", "--step-lon", "300",
         "-o", output_},
        {"info"},
    };
    for (std::vector<std::string> args : commands) {
        if (args[0] == "info") {
            args.push_back(grid_);
        } else {
            args.insert(args.end(), {"--grid", grid_});
        }
        const CliRun run = RunTool(args);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_TRUE(OneMessageLine(run.err)) << args[0];
        EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << args[0] << ": " << run.err;
        EXPECT_EQ(run.out, "") << args[0];
        EXPECT_EQ(ReadFile(output_), "keep") << args[0];
    }
    // Nor is an output created.
    const std::string fresh = scratch_.File("fresh.txt");
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"file", input_, fresh},
             {"grid", "--lat", "10", "0", "--lon", "0", "10", "--step-lat", "300", "--step-lon",
              "300", "-o", fresh}}) {
        args.insert(args.end(), {"--grid", grid_});
        EXPECT_EQ(RunTool(args).status, 1) << args[0];
        EXPECT_FALSE(std::filesystem::exists(fresh)) << args[0];
    }
}

void Resize(const std::string& path, std::int64_t length) {
    WriteZeroGrid(path, kShape10, false);
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(length));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileGridOption,
    ::testing::Values(
        GridCase{"Empty", [](const std::string& p) { WriteFile(p, ""); }, "is 0 bytes long"},
        GridCase{"OneByte", [](const std::string& p) { WriteFile(p, "\x01"); }, "is 1 bytes long"},
        GridCase{"TruncatedByOneByte", [](const std::string& p) { Resize(p, kGridLength - 1); },
                 "the length of no EGM2008 grid file"},
        GridCase{"TruncatedToHalf", [](const std::string& p) { Resize(p, kGridLength / 2); },
                 "the length of no EGM2008 grid file"},
        GridCase{"OversizedByOneByte", [](const std::string& p) { Resize(p, kGridLength + 1); },
                 "the length of no EGM2008 grid file"},
        GridCase{"RandomBytesOfTheRightLength",
                 [](const std::string& p) {
                     std::string bytes(static_cast<std::size_t>(kGridLength), '\0');
                     std::mt19937 random(2008);
                     for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
                     bytes[0] = '\x01';
                     WriteFile(p, bytes);
                 },
                 "first record marker"},
        GridCase{"Folder", [](const std::string& p) { std::filesystem::create_directory(p); },
                 "is not a regular file"},
        GridCase{"FifoWithoutWriter",
                 [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
                 "is not a regular file"},
        GridCase{"LinkToADevice",
                 [](const std::string& p) { std::filesystem::create_symlink("/dev/null", p); },
                 "is not a regular file"},
        GridCase{"Missing", [](const std::string&) {}, "could not be opened"}),
    [](const ::testing::TestParamInfo<GridCase>& c) { return std::string(c.param.name); });

// ---- inputs and outputs that are no regular files ------------------------------

class HostileStreams : public ::testing::Test {
protected:
    void SetUp() override {
        WriteConstantGrid(grid_, 47.25f, false);
        WriteFile(input_, kPoints);
    }
    CliRun File(const std::string& in, const std::string& out, int outFd = -1) {
        return RunTool({"file", in, out, "--grid", grid_, "-q"}, "", outFd);
    }
    CliRun Grid(const std::string& out) {
        return RunTool({"grid", "--lat", "10", "0", "--lon", "0", "10", "--step-lat", "300",
                        "--step-lon", "300", "-o", out, "--grid", grid_});
    }
    static constexpr const char* kPoints = "48.5 11.25\n52.0 7.250\n";
    ScratchFolder scratch_;
    std::string grid_ = scratch_.File("grid");
    std::string input_ = scratch_.File("in.txt");
    BlockGuard guard_;
};

TEST_F(HostileStreams, FifoAsInputIsRefusedAtOnce) {
    const std::string fifo = scratch_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const CliRun run = File(fifo, scratch_.File("out.txt"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "egm2008: Inputfile \"" + fifo +
                           "\" could not be opened: it is not a regular file!\n");
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("out.txt")));
}

TEST_F(HostileStreams, FifoWithoutReaderAsOutputIsRefusedAtOnce) {
    const std::string fifo = scratch_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const CliRun file = File(input_, fifo);
    EXPECT_EQ(file.status, 1);
    const std::string refused =
        "egm2008: Outputfile \"" + fifo + "\" could not be opened: No such device or address!\n";
    EXPECT_EQ(file.err, refused);
    const CliRun grid = Grid(fifo);
    EXPECT_EQ(grid.status, 1);
    EXPECT_EQ(grid.err, refused);
}

TEST_F(HostileStreams, FolderAsOutputIsRefused) {
    const CliRun file = File(input_, scratch_.path());
    EXPECT_EQ(file.status, 1);
    EXPECT_EQ(file.err, "egm2008: Outputfile \"" + scratch_.path() +
                            "\" could not be opened: Is a directory!\n");
    const CliRun grid = Grid(scratch_.path());
    EXPECT_EQ(grid.status, 1);
    EXPECT_TRUE(OneMessageLine(grid.err));
}

TEST_F(HostileStreams, FullDeviceFailsEveryCommand) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full on this system";
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    const std::vector<std::vector<std::string>> toStandardOutput = {
        {"point", "48.5", "11.25", "--grid", grid_},
        {"file", input_, "-", "--grid", grid_},
        {"grid", "--lat", "10", "0", "--lon", "0", "10", "--step-lat", "300", "--step-lon", "300",
         "--grid", grid_},
        {"info", grid_},
    };
    for (const auto& args : toStandardOutput) {
        const CliRun run = RunTool(args, "", full);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_TRUE(OneMessageLine(run.err)) << args[0];
        EXPECT_NE(run.err.find("No space left on device"), std::string::npos)
            << args[0] << ": " << run.err;
    }
    ::close(full);
    const CliRun grid = Grid("/dev/full");
    EXPECT_EQ(grid.status, 1);
    EXPECT_NE(grid.err.find("No space left on device"), std::string::npos) << grid.err;
}

TEST_F(HostileStreams, NullDeviceAsOutputIsANormalRun) {
    EXPECT_EQ(File(input_, "/dev/null").status, 0);
    EXPECT_EQ(Grid("/dev/null").status, 0);
}

TEST_F(HostileStreams, LinksToTheInputOrTheGridAreRefused) {
    std::filesystem::create_hard_link(input_, scratch_.File("hard-in"));
    std::filesystem::create_symlink(input_, scratch_.File("soft-in"));
    for (const std::string& alias : {scratch_.File("hard-in"), scratch_.File("soft-in")}) {
        const CliRun run = File(input_, alias);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "egm2008: Outputfile \"" + alias +
                               "\" is the inputfile! Choose another outputfile.\n");
    }
    EXPECT_EQ(ReadFile(input_), kPoints);
    const std::string before = ReadFile(grid_);
    std::filesystem::create_hard_link(grid_, scratch_.File("hard-grid"));
    EXPECT_EQ(File(input_, scratch_.File("hard-grid")).status, 1);
    EXPECT_EQ(Grid(scratch_.File("hard-grid")).status, 1);
    EXPECT_TRUE(ReadFile(grid_) == before);
}

// Standard input may be anything that can be read: a pipe, a FIFO, a file.
TEST_F(HostileStreams, StandardInputMayBeAPipe) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    ASSERT_EQ(::write(pipe[1], kPoints, std::char_traits<char>::length(kPoints)),
              static_cast<ssize_t>(std::char_traits<char>::length(kPoints)));
    ::close(pipe[1]);
    const int out =
        ::open(scratch_.File("out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err =
        ::open(scratch_.File("err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int status = runCli({"file", "-", "-", "--grid", grid_, "-q"}, pipe[0], out, err);
    ::close(out);
    ::close(err);
    ::close(pipe[0]);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(scratch_.File("out.txt")),
              " 48.500000   11.250000   47.250\r\n 52.000000    7.250000   47.250\r\n");
}

// With standard error closed by the caller (`2>&-`), the output file would take
// descriptor 2 and the run's message would be written into it.
TEST(ClosedStandardError, MessagesNeverGoIntoTheOutput) {
    ScratchFolder scratch;
    const std::string grid = scratch.File("grid");
    // Latitude 10, longitude 0 holds -2000 m: a bi-quadratic run stops there with a message.
    WriteGrid(grid, kShape10, false,
              [](std::int64_t r, std::int64_t c) { return r == 480 && c == 0 ? -2000.0f : 10.0f; });
    const std::string output = scratch.File("lattice.txt");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(STDERR_FILENO);
        OpenClosedStandardDescriptors();
        const int probe = ::open(grid.c_str(), O_RDONLY);
        const int status = runCli({"grid", "--lat", "11", "9", "--lon", "0", "1", "--step-lat",
                                   "60", "--step-lon", "60", "-o", output, "--grid", grid},
                                  STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO);
        ::_exit(probe > STDERR_FILENO && status == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFile(output),
              " 11.000000    0.000000   10.000\r\n 11.000000    1.000000   10.000\r\n");
}

// ---- paths with blanks, quotes, format directives and non-ASCII characters -----

class HostilePathArgument : public ::testing::TestWithParam<const char*> {};

TEST_P(HostilePathArgument, IsUsedAndShownAsItIs) {
    const std::string name = GetParam();
    ScratchFolder scratch;
    const std::string dir = scratch.File(name);
    std::filesystem::create_directory(dir);
    const std::string grid = dir + "/" + name + ".grid";
    WriteConstantGrid(grid, 47.25f, false);
    WriteFile(dir + "/" + name + ".in", "48.5 11.25\n");
    const CliRun run = RunTool(
        {"file", dir + "/" + name + ".in", dir + "/" + name + ".out", "--grid", grid, "-q"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir + "/" + name + ".out"), " 48.500000   11.250000   47.250\r\n");

    const std::string missing = dir + "/" + name + ".missing";
    const CliRun noInput = RunTool({"file", missing, dir + "/" + name + ".out", "--grid", grid});
    EXPECT_EQ(noInput.status, 1);
    EXPECT_EQ(noInput.err, "egm2008: Inputfile \"" + missing +
                               "\" could not be opened: No such file or directory!\n");
    const CliRun noGrid = RunTool({"point", "48.5", "11.25", "--grid", missing});
    EXPECT_EQ(noGrid.status, 1);
    EXPECT_EQ(noGrid.err, "egm2008: Geoidfile \"" + missing + "\" could not be opened!\n");
}

INSTANTIATE_TEST_SUITE_P(Names, HostilePathArgument,
                         ::testing::Values("with blanks  here",
                                           "with \"double\" and 'single' quotes", "%s%s%s%s%s",
                                           "%n%n%n%n", "%99999999d%x%p",
                                           "Gr\xc3\xb6\xc3\x9f"
                                           "e \xe5\x9c\xb0\xe7\x90\x83",
                                           "back\\slash;semi|pipe$dollar", "-leading-dash"));

// ---- numbers on the command line -------------------------------------------------

struct NumberCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* says;  // part of standard error, or of standard output when status is 0 or 1
};
void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

class HostileNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(HostileNumbers, AreRefusedOrComputedStrictly) {
    const NumberCase& c = GetParam();
    ScratchFolder scratch;
    WriteConstantGrid(scratch.File("grid"), 47.25f, false);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--grid", scratch.File("grid")});
    const CliRun run = RunTool(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.status == 2) {
        EXPECT_TRUE(OneMessageLine(run.err));
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    } else {
        EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileNumbers,
    ::testing::Values(
        NumberCase{"NotANumber", {"point", "nan", "11.25"}, 2, "nan"},
        NumberCase{"Infinity", {"point", "48.5", "inf"}, 2, "inf"},
        NumberCase{"OverflowingExponent", {"point", "1e999", "11.25"}, 2, "1e999"},
        NumberCase{"HexadecimalFloat", {"point", "0x10", "11.25"}, 2, "0x10"},
        NumberCase{"NulByte", {"point", std::string("48\0.5", 5), "11.25"}, 2, "48"},
        NumberCase{"TrailingBlank", {"point", "48.5 ", "11.25"}, 2, "48.5"},
        NumberCase{"NegativeZero", {"point", "-0", "-0.0"}, 0, "47.2500"},
        NumberCase{"LatitudeJustPastThePole", {"point", "90.0000000001", "11.25"}, 1, "N/A"},
        NumberCase{"LongitudeJustPastMinus360", {"point", "48.5", "-360.0000001"}, 1, "N/A"},
        NumberCase{"GridLatitudeJustPastThePole",
                   {"grid", "--lat", "90.0000000001", "0", "--lon", "0", "10", "--step-lat", "60",
                    "--step-lon", "60"},
                   2,
                   "Latitude outside valid range"},
        NumberCase{"GridLongitudeJustPastMinus360",
                   {"grid", "--lat", "10", "0", "--lon", "-360.0000001", "10", "--step-lat", "60",
                    "--step-lon", "60"},
                   2,
                   "Longitude outside valid range"},
        NumberCase{"GridSpacingOverflows",
                   {"grid", "--lat", "10", "0", "--lon", "0", "10", "--step-lat", "1e999",
                    "--step-lon", "60"},
                   2,
                   "1e999"}),
    [](const ::testing::TestParamInfo<NumberCase>& c) { return std::string(c.param.name); });

// Hostile lines through standard input: computed, marked or copied as the page does.
TEST(HostileLinesOnStandardInput, AreComputedMarkedOrCopied) {
    ScratchFolder scratch;
    WriteConstantGrid(scratch.File("grid"), 47.25f, false);
    const std::string longLine = "48.5 11.25 " + std::string(10 << 20, '9');
    const std::string input = std::string("48.5 11.25\0junk\n", 16) + "\t48.5\t11.25\t\n" +
                              longLine + "\nnan 11.25000\n48.5 11.25\r52.0 7.25\r\n";
    const CliRun run = RunTool({"file", "-", "-", "--grid", scratch.File("grid")}, input);
    EXPECT_EQ(run.status, 1);  // the "nan" point failed
    const std::string computed = " 48.500000   11.250000   47.250\r\n";
    EXPECT_TRUE(run.out == computed + computed + longLine +
                               "\r\n       nan   11.250000 999.999\r\n" +
                               "48.5 11.25\r52.0 7.25\r\n")
        << run.out.substr(0, 200);
    EXPECT_EQ(run.err,
              "egm2008: Calculation done - 2 points. 1 points could not be computed and were "
              "written with "
              "999.999. 2 lines could not be read and were copied unchanged.\n");
}

}  // namespace
}  // namespace egm2008::cli::test
