// Helpers for the tests of the command-line tool: an in-process run of runCli
// over memory files standing for stdin, stdout and stderr, a scratch folder,
// and grid files written from the file layout alone (marker, values, marker
// per row, rows from 90 N).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace egm2008::cli::test {

/// What one run of the tool left behind.
struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs the tool on `args` with `input` as standard input; standard output goes
/// to `outFd` instead of being read back when it is given.
CliRun RunTool(const std::vector<std::string>& args, const std::string& input = "", int outFd = -1);

/// A fresh folder below the temporary folder, removed with its contents.
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

/// The three grids: --grid-size, rows and stored values per row.
struct Shape {
    const char* minutes;
    std::int64_t rows;
    std::int64_t columns;
};
inline constexpr Shape k10 = {"10", 1081, 2160};
inline constexpr Shape k2_5 = {"2.5", 4321, 8640};
inline constexpr Shape k1 = {"1", 10801, 21600};

/// Writes a whole grid file; `value(row, column)` gives each node.
void WriteGrid(const std::string& path, Shape shape, bool bigEndian,
               const std::function<float(std::int64_t, std::int64_t)>& value);
/// A 10' little-endian grid file whose every node is `value`.
void WriteConstantGrid10(const std::string& path, float value);
/// A grid file of the full length, written out: every record marker right, every node 0.
void WriteZeroGrid(const std::string& path, Shape shape, bool bigEndian);
/// Writes a 32-bit word at `offset` in the given byte order.
void PokeWord(const std::string& path, std::int64_t offset, std::uint32_t word, bool bigEndian);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

/// EGM2008_TEST_DATA_DIR "/" `relative`.
std::string TestData(const std::string& relative);

}  // namespace egm2008::cli::test

/// Skips the test when the real grid `name` is not in EGM2008_GRID_DIR; else sets `var` to its path.
#define CLI_REAL_GRID_OR_SKIP(var, name)                                                     \
    const std::string var = std::string(EGM2008_GRID_DIR) + "/" + (name);                   \
    if (!std::filesystem::is_regular_file(var))                                              \
    GTEST_SKIP() << "real grid " << (name) << " not in " << EGM2008_GRID_DIR                 \
                 << " (made by scripts/setup-grids.sh)"
