// The grid the fuzz targets query: a whole-earth grid of 30-degree cells with
// plausible values, one value below -1000 (bi-quadratic windows around it fail)
// and one above 1000 (implausible), written once to a temporary file.
#pragma once

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008::fuzz {

/// The grid's descriptor; its file is written at the first call.
const GeoidGrid& SmallGrid();

}  // namespace egm2008::fuzz
