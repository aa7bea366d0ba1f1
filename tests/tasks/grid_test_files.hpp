// Files for the tests of the page logic: scratch folders, small grid files
// written from the file layout alone (marker, values, marker per row, rows
// from 90 N), whole-file reads and golden-file comparison.
//
// A golden file holds the exact bytes a run must write. Set the environment
// variable EGM2008_UPDATE_GOLDEN=1 to have a mismatching or missing golden
// file rewritten from the actual output (then check the difference by eye).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "engine/geoid_grid.hpp"

namespace egm2008::testing {

/// A fresh folder below the system's temporary folder, removed with its content.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "egm2008-tasks-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

/// Makes `dir` the working directory while the object lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& dir) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~WorkingDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

using NodeValue = std::function<float(int row, int column)>;

/// Writes a whole-earth grid file with `spacing` degrees between rows and columns
/// (180 and 360 must be whole multiples of it) and returns its descriptor.
inline GeoidGrid WriteSmallGrid(const std::string& path, double spacing, bool bigEndian,
                                const NodeValue& value) {
    const int columns = static_cast<int>(std::lround(360.0 / spacing));
    const int rows = static_cast<int>(std::lround(180.0 / spacing)) + 1;
    std::string bytes;
    const auto put = [&bytes, bigEndian](std::uint32_t word) {
        for (int k = 0; k < 4; ++k) {
            const int shift = bigEndian ? 24 - 8 * k : 8 * k;
            bytes.push_back(static_cast<char>((word >> shift) & 0xFFu));
        }
    };
    for (int r = 0; r < rows; ++r) {
        put(static_cast<std::uint32_t>(4 * columns));
        for (int c = 0; c < columns; ++c) {
            const float v = value(r, c);
            std::uint32_t word;
            static_assert(sizeof word == sizeof v);
            std::memcpy(&word, &v, sizeof word);
            put(word);
        }
        put(static_cast<std::uint32_t>(4 * columns));
    }
    std::ofstream(path, std::ios::binary) << bytes;

    GeoidGrid grid;
    grid.path = path;
    grid.latSpacing = spacing;
    grid.lonSpacing = spacing;
    grid.bigEndian = bigEndian;
    grid.lastColumn = columns - 1;
    return grid;
}

/// Sets the whole process to a locale whose decimal separator is a comma, when
/// one is installed (LOCPATH may point to one made with localedef), and
/// restores the previous locale at the end.
class CommaLocale {
public:
    CommaLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                name_ = name;
                break;
            }
        }
    }
    ~CommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;
    /// The locale set, "" when none could be.
    const std::string& name() const { return name_; }

private:
    std::string saved_;
    std::string name_;
};

/// The whole content of a file, "" when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// The real internal 10' grid; "" when the set-up has not made it.
inline std::string RealGridPath() {
    const std::string path = std::string(EGM2008_GRID_DIR) + "/" + kInternalGridName;
    return std::filesystem::is_regular_file(path) ? path : std::string();
}

/// Compares `actual` with the golden file `name` under tests/data, byte for byte.
inline ::testing::AssertionResult MatchesGolden(const std::string& actual, const std::string& name) {
    const std::string path = std::string(EGM2008_TEST_DATA_DIR) + "/" + name;
    const char* update = std::getenv("EGM2008_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        if (ReadBytes(path) != actual) std::ofstream(path, std::ios::binary) << actual;
        return ::testing::AssertionSuccess();
    }
    if (!std::filesystem::is_regular_file(path)) {
        return ::testing::AssertionFailure() << "golden file " << path << " is missing";
    }
    const std::string expected = ReadBytes(path);
    if (expected == actual) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    const auto around = [at](const std::string& s) {
        const std::size_t from = at < 20 ? 0 : at - 20;
        return ::testing::PrintToString(s.substr(from, 60));
    };
    return ::testing::AssertionFailure()
           << name << ": first difference at byte " << at << " (expected " << expected.size()
           << " bytes, got " << actual.size() << ")\n  expected: " << around(expected)
           << "\n  actual:   " << around(actual);
}

}  // namespace egm2008::testing
