// Grids for the tests of the file page: full-size 10' grid files of one constant
// value, so that every method yields that value at every point; and what the page
// told of a run.
#pragma once

#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tests/support/fake_platform.hpp"

namespace egm2008::test {

/// The descriptor of a 10' grid file whose every node is 47.25 m (little-endian)
/// or 56.0 m (big-endian); each is written once per test program.
GeoidGrid ConstantGrid(float value);

/// What the file page told the user: the texts of its message boxes, then the outcome of each
/// whole run as its status line gave it, without the page's name and the output's place
/// ("Calculation done - 2 points.").
std::vector<std::string> Told(const FakePlatform& platform);

}  // namespace egm2008::test
