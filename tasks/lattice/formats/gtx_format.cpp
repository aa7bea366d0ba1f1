// NOAA/PROJ vertical grid (PROJ's vgridshift, GDAL): a big-endian header
// (south latitude, west longitude, latitude step, longitude step as float64;
// rows, columns as int32), then N as big-endian float32, rows south to north,
// each west to east, -88.8888 for a node that cannot be computed, as PROJ and
// GDAL know it. The rows are stored in the reverse of walking order, so the
// walk writes them at offsets, into a file of its own; PROJ reads no grid of
// fewer than 2 rows or 2 columns.
#include <bit>
#include <string>

#include "tasks/lattice/formats/lattice_format_info.hpp"

namespace egm2008 {

namespace {

constexpr LatticeNodeLayout kGtxNodes = {
    .writing = NodeWriting::Float32BE, .missingValue = -88.8888f, .rowsSouthToNorth = true};

// Appends the `bytes` low bytes of `value`, most significant first.
void AppendBigEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int k = bytes - 1; k >= 0; --k) {
        out.push_back(static_cast<char>((value >> (8 * k)) & 0xff));
    }
}

std::string GtxHeader(const LatticeShape& shape) {
    std::string header;
    for (const double value : {shape.south, shape.west, shape.latStep, shape.lonStep}) {
        AppendBigEndian(header, std::bit_cast<std::uint64_t>(value), 8);
    }
    AppendBigEndian(header, shape.rows, 4);
    AppendBigEndian(header, shape.columns, 4);
    return header;
}

}  // namespace

const LatticeFormatInfo kGtxFormat = {.format = LatticeFormat::Gtx,
                                      .name = "gtx",
                                      .extensions = {".gtx", nullptr},
                                      .toStandardOutput = false,
                                      .missingNode = "written as -88.8888",
                                      .limits = {.leastRows = kProjLeastCount,
                                                 .leastColumns = kProjLeastCount,
                                                 .mostRows = kInt32CountLimit,
                                                 .mostColumns = kInt32CountLimit},
                                      .holds = nullptr,
                                      .header = GtxHeader,
                                      .nodes = &kGtxNodes,
                                      .raster = nullptr,
                                      .pickerPlace = 6,
                                      .pickerItem = "GTX",
                                      .saveFilter = "GTX vertical grid (*.gtx)"};

}  // namespace egm2008
