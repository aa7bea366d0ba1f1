// Whole files as bytes, and where the tests find their data: the golden files
// under tests/data and the real grids the set-up makes.
#pragma once

#include <string>

#include "engine/geoid_grid.hpp"

namespace egm2008::test {

/// The bytes of a file; "" when it cannot be read.
std::string ReadFile(const std::string& path);
/// Writes `bytes` to `path`, replacing it; throws when it cannot.
void WriteFile(const std::string& path, const std::string& bytes);
/// A whole line (up to its LF) read from `fd`, waiting up to a second for each
/// byte; "" when none comes.
std::string AwaitLine(int fd);
/// True when `path` names anything, a dangling link included.
bool Exists(const std::string& path);

/// EGM2008_TEST_DATA_DIR "/" `relative`.
std::string TestData(const std::string& relative);
/// EGM2008_GRID_DIR "/" `name`, whether or not the set-up has made that grid.
std::string RealGridPath(const std::string& name = engine::kInternalGridName);

}  // namespace egm2008::test
