// Grids for the tests of the file page: full-size 10' grid files of one constant
// value, so that every method yields that value at every point.
#pragma once

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008::test {

/// The descriptor of a 10' grid file whose every node is 47.25 m (little-endian)
/// or 56.0 m (big-endian); each is written once per test program.
GeoidGrid ConstantGrid(float value);

}  // namespace egm2008::test
