#include "tasks/format_raster.hpp"

#include "tasks/geotiff_output.hpp"

namespace egm2008 {

std::unique_ptr<LatticeRaster> MakeFormatRaster(const GridmakerRequest& request,
                                                const GeoidGrid& grid, TextOutput& output) {
    (void)grid;
    (void)output;
    switch (request.format) {
        case LatticeFormat::Xyz:
        case LatticeFormat::Csv:
        case LatticeFormat::Asc:
        case LatticeFormat::Gtx: return nullptr;
        case LatticeFormat::Geotiff:
            return MakeGeotiffOutput(output, GeotiffDescriptionOf(request, grid));
        case LatticeFormat::Png: return nullptr;
    }
    return nullptr;
}

}  // namespace egm2008
