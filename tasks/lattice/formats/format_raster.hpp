// The raster that writes a raster format's file (lattice_raster.hpp): a
// GeoTIFF (geotiff_output.hpp) or a colour map picture (colour_map.hpp).
#pragma once

#include <memory>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/lattice/gridmaker.hpp"
#include "tasks/lattice/lattice_raster.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

/// The raster writing `request`'s format to `output` with what it tells of
/// the run (the grid, the method, the area); nullptr for a text format.
std::unique_ptr<LatticeRaster> MakeFormatRaster(const GridmakerRequest& request,
                                                const GeoidGrid& grid, TextOutput& output);

}  // namespace egm2008
