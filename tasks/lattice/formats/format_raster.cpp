#include "tasks/lattice/formats/format_raster.hpp"

#include "tasks/lattice/formats/geotiff_output.hpp"
#include "tasks/lattice/formats/colour_map.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

std::unique_ptr<LatticeRaster> MakeFormatRaster(const GridmakerRequest& request,
                                                const GeoidGrid& grid, TextOutput& output) {
    switch (request.format) {
        case LatticeFormat::Xyz:
        case LatticeFormat::Csv:
        case LatticeFormat::Asc:
        case LatticeFormat::Gtx: return nullptr;
        case LatticeFormat::Geotiff:
            return MakeGeotiffOutput(output, GeotiffDescriptionOf(request, grid));
        case LatticeFormat::Png:
            return std::make_unique<ColourMapFile>(
                output, ColourMapTitle(request.values, grid.gridSize, request.method),
                request.pictureWidth > 0 ? request.pictureWidth : kMapLongSide);
    }
    return nullptr;
}

}  // namespace egm2008
