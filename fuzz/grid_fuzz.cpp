// Fuzz target: open and query a grid file of arbitrary content and length with
// every method, through the per-query file access and through a run's mapping
// (which checks every row, so it may refuse a file a single query accepts).
//
// Input: byte 0 picks the spacing (the three grid sizes or a coarse test grid
// small enough for the fuzzer to fill), byte 1 the byte order and method, bytes
// 2..17 the latitude and longitude as raw doubles; the rest is the file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"

using namespace egm2008;
using namespace egm2008::engine;

namespace {

const std::string& ScratchPath() {
    static const std::string path = [] {
        char name[] = "/tmp/egm2008-grid-fuzz-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0) ::close(fd);
        return std::string(name);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 18) return 0;
    static const double spacings[] = {kSpacing1x1, kSpacing2_5x2_5, kSpacing10x10, 30.0, 45.0, 0.0};
    GeoidGrid grid;
    grid.path = ScratchPath();
    const double spacing = spacings[data[0] % 6];
    grid.latSpacing = spacing;
    grid.lonSpacing = (data[0] & 0x80) ? spacings[(data[0] >> 3) % 6] : spacing;
    grid.gridSize = static_cast<GridSize>(data[0] % 3);
    grid.lastColumn = static_cast<std::int32_t>(StoredColumns(grid)) - 1;
    grid.bigEndian = (data[1] & 1) != 0;
    const auto method = static_cast<InterpolationMethod>((data[1] >> 1) % 5);
    double latitude, longitude;
    std::memcpy(&latitude, data + 2, 8);
    std::memcpy(&longitude, data + 10, 8);

    if (FILE* file = std::fopen(grid.path.c_str(), "wb")) {
        std::fwrite(data + 18, 1, size - 18, file);
        std::fclose(file);
    }
    SilentNotifier quiet;
    float perQuery = -8888.0f;
    const QueryStatus s1 = ComputeUndulation(grid, method, latitude, longitude, perQuery, quiet);
    MappedGrid mapped;
    mapped.Map(grid, quiet);
    float viaMap = -8888.0f;
    const QueryStatus s2 = ComputeUndulation(grid, method, latitude, longitude, viaMap, mapped);
    // A file the run maps passes every check of the per-query access too, and both
    // ways of reading must then agree to the bit. A file the run refuses may still
    // serve a query whose rows are sound.
    if (mapped.status() == QueryStatus::StatusOk) {
        if (s1 != s2 || std::memcmp(&perQuery, &viaMap, sizeof(float)) != 0) std::abort();
    } else if (s2 == QueryStatus::StatusOk) {
        std::abort();
    }
    return 0;
}
