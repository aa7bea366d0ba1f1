// Byte-exact comparison of what a run wrote with what it must write, for gtest:
// the first differing byte with the text around it, and golden files under
// tests/data.
//
// A golden file holds the exact bytes a run must write. Set the environment
// variable EGM2008_UPDATE_GOLDEN=1 to have a mismatching or missing golden file
// rewritten from the actual output (then check the difference by eye).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/file_bytes.hpp"

namespace egm2008::test {

/// Success when `actual` equals `expected` byte for byte; otherwise names the
/// first differing byte with a few lines around it.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual);

/// Compares `actual` with the golden file `relative` under tests/data, byte for byte.
::testing::AssertionResult MatchesGolden(const std::string& actual, const std::string& relative);

}  // namespace egm2008::test

/// Skips the test when the real grid `name` is not in EGM2008_GRID_DIR; else sets `var` to its
/// path.
#define REAL_GRID_OR_SKIP(var, name)                                         \
    const std::string var = ::egm2008::test::RealGridPath(name);             \
    if (!std::filesystem::is_regular_file(var))                              \
    GTEST_SKIP() << "real grid " << (name) << " not in " << EGM2008_GRID_DIR \
                 << " (made by scripts/setup-grids.sh)"
