// png: a colour map of the lattice with its colour bar and coastlines
// (colour_map.hpp), for any image viewer. The walk hands it whole rows held as floats, so a row
// has at most kMapColumnLimit values; a picture is opened from a file.
#include <memory>

#include "tasks/lattice/formats/colour_map.hpp"
#include "tasks/lattice/formats/lattice_format_info.hpp"

namespace egm2008 {

namespace {

std::unique_ptr<LatticeRaster> MakePng(TextOutput& output, const LatticeDescription& run) {
    return std::make_unique<ColourMapFile>(output, run.title,
                                           run.pictureWidth > 0 ? run.pictureWidth : kMapLongSide,
                                           MapStyle{run.colourFit, run.coastlines});
}

}  // namespace

const LatticeFormatInfo kPngFormat = {.format = LatticeFormat::Png,
                                      .name = "png",
                                      .extensions = {".png", nullptr},
                                      .toStandardOutput = false,
                                      .missingNode = "drawn as missing",
                                      .limits = {.mostColumns = kMapColumnLimit},
                                      .holds = nullptr,
                                      .header = nullptr,
                                      .nodes = nullptr,
                                      .raster = MakePng,
                                      .pickerPlace = 4,
                                      .pickerItem = "PNG",
                                      .saveFilter = "PNG picture (*.png)"};

}  // namespace egm2008
