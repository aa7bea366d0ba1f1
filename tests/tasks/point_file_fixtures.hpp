// Files for the tests of the file page: a scratch folder, full-size 10' grid
// files of one constant value (so that every method yields that value at
// every point), and byte-exact comparison of a file with its golden copy.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/geoid_grid.hpp"

namespace egm2008::testing {

/// A fresh folder below the test's temporary folder, removed with its contents.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

/// Writes a 10'x10' grid file (1081 rows of 2160 values between record markers)
/// whose every node is `value`, in the given byte order.
void WriteConstantGrid(const std::string& path, float value, bool bigEndian);

/// The descriptor of a 10' grid file whose every node is 47.25 m (little-endian)
/// or 56.0 m (big-endian); each is written once per test program.
GeoidGrid ConstantGrid(float value);

/// The bytes of a file; "" when it cannot be read.
std::string ReadFile(const std::string& path);
/// Writes `bytes` to `path`, replacing it.
void WriteFile(const std::string& path, const std::string& bytes);
/// True when `path` exists.
bool Exists(const std::string& path);

/// EGM2008_TEST_DATA_DIR "/point_file/" `name`.
std::string GoldenPath(const std::string& name);

/// Success when `actual` equals `expected` byte for byte; otherwise names the
/// first differing byte with a few lines around it.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual);

}  // namespace egm2008::testing
