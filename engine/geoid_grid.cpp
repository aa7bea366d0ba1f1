#include "engine/geoid_grid.hpp"

#include <bit>
#include <cmath>
#include <limits>

namespace egm2008::engine {

std::int32_t LastColumnOf(GridSize size) {
    switch (size) {
        case GridSize::Grid1x1: return 21599;
        case GridSize::Grid2_5x2_5: return 8639;
        case GridSize::Grid10x10: return 2159;
    }
    return -1;
}

double SpacingOf(GridSize size) {
    switch (size) {
        case GridSize::Grid1x1: return kSpacing1x1;
        case GridSize::Grid2_5x2_5: return kSpacing2_5x2_5;
        case GridSize::Grid10x10: return kSpacing10x10;
    }
    return 0.0;
}

QueryStatus ValidateGrid(GeoidGrid& grid, bool bigEndian, double latSpacing, double lonSpacing,
                         Notifier& notifier) {
    // The values are stored before the check and stay when it fails.
    grid.latSpacing = latSpacing;
    grid.lonSpacing = lonSpacing;
    grid.bigEndian = bigEndian;

    const GridSize order[] = {GridSize::Grid10x10, GridSize::Grid2_5x2_5, GridSize::Grid1x1};
    for (GridSize size : order) {
        const double s = SpacingOf(size);
        const bool matches = std::fabs(latSpacing - s) < 1e-8 && std::fabs(lonSpacing - s) < 1e-8;
        if (matches && grid.gridSize != size) {
            notifier.Notify(SpacingMismatchMessage(latSpacing * 60.0, lonSpacing * 60.0),
                            NoticeIcon::Error);
            return QueryStatus::StatusError;
        }
    }
    const std::int32_t last = LastColumnOf(grid.gridSize);
    if (last >= 0) grid.lastColumn = last;
    return QueryStatus::StatusOk;
}

float SwapFloat32(const unsigned char bytes[4]) { return DecodeFloat32(bytes, true); }

std::uint32_t DecodeWord32(const unsigned char bytes[4], bool bigEndian) {
    if (bigEndian) {
        return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
               (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
    }
    return (std::uint32_t{bytes[3]} << 24) | (std::uint32_t{bytes[2]} << 16) |
           (std::uint32_t{bytes[1]} << 8) | std::uint32_t{bytes[0]};
}

float DecodeFloat32(const unsigned char bytes[4], bool bigEndian) {
    return std::bit_cast<float>(DecodeWord32(bytes, bigEndian));
}

float DecodeNode(const unsigned char* bytes, const GeoidGrid& grid) {
    if (NodeBytes(grid) == 4) return DecodeFloat32(bytes, grid.bigEndian);
    std::uint64_t word = 0;
    for (int k = 0; k < 8; ++k) word = (word << 8) | bytes[k];  // big-endian
    return static_cast<float>(std::bit_cast<double>(word));
}

namespace {
// A count of rows or columns the engine can address with 32-bit indices.
bool SaneCount(double q) { return q >= 0.0 && q < 1e9; }
}  // namespace

std::int64_t StoredColumns(const GeoidGrid& grid) {
    const double q = (grid.lonMax - grid.lonMin) / grid.lonSpacing;
    return SaneCount(q) ? static_cast<std::int64_t>(q) : 0;
}

std::int64_t StoredRows(const GeoidGrid& grid) {
    const double q = (grid.latMax - grid.latMin) / grid.latSpacing + 0.5;
    return SaneCount(q) ? static_cast<std::int64_t>(q) + 1 : 0;
}

std::uint64_t GridFileBytes(const GeoidGrid& grid) {
    const std::int64_t columns = StoredColumns(grid);
    const std::int64_t rows = StoredRows(grid);
    if (columns <= 0 || rows <= 0) return 0;
    if (grid.model == GeoidModel::Egm2008)
        return static_cast<std::uint64_t>((columns + 2) * 4 * rows);
    const ModelFile& file = *ModelFileOf(grid.model);
    return static_cast<std::uint64_t>(file.headerBytes + (columns + 1) * rows * file.valueBytes);
}

GeoidGrid GridOfModel(const std::string& path, GeoidModel model) {
    GeoidGrid grid;
    grid.path = path;
    grid.model = model;
    if (const ModelFile* file = ModelFileOf(model)) {
        grid.latSpacing = file->spacing;
        grid.lonSpacing = file->spacing;
        grid.bigEndian = true;
        grid.lastColumn = file->values - 2;
    }
    return grid;
}

}  // namespace egm2008::engine
