// accuracy: how far each interpolation method of a grid lies from EGM2008's
// own synthesis values, measured with the engine's query routines on the real
// grids.
//
// NGA's 2.5' grid holds values of the spherical-harmonic synthesis at its
// nodes. Its nodes that are not nodes of a coarser lattice are therefore true
// undulations at points between that lattice's nodes: interpolating the
// coarser lattice there and subtracting the node's value gives the method's
// error at that spacing.
//
//   10' on 2.5'   the 10' grid file at every 2.5' node off the 10' lattice
//   10' on 5'     the same, only at the 5' nodes off the 10' lattice (the
//                 middles of cell sides and cells)
//   5' on 2.5'    a 5' grid written from every second row and column of the
//                 2.5' grid, at the 2.5' nodes off the 5' lattice: the same
//                 places within the cell as "10' on 5'", at half the spacing
//
// No finer published values are at hand, so the 2.5' grid's own error is not
// measured; its methods' disagreement (each minus bi-linear, at random points)
// is printed as an indication, beside the same disagreement on the 10' grid,
// whose true error the first table shows.
//
// Nodes are a seeded random sample, uniform over rows and columns between
// latitudes -89 and 89 (so not weighted by area). Errors are computed - true,
// in metres.
//
// EGM96 (15') and EGM84 (30') have no finer published values either: each is
// measured the same way one level up, a grid of every second row and column
// (30', 60') interpolated at the file's own nodes off that lattice. Last, the
// models against each other at every EGM96 15' node (which are nodes of the
// 2.5' grid) and every EGM84 30' node: EGM2008 - EGM96 and EGM2008 - EGM84, with
// the RMS over nodes and weighted by area (cos latitude).
//
//   accuracy [--grid-dir=DIR] [--samples=N] [--seed=S] [--scratch=DIR]
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"

namespace {

using namespace egm2008;
using namespace egm2008::engine;

struct MethodName {
    InterpolationMethod method;
    const char* name;
};

constexpr MethodName kMethods[] = {{InterpolationMethod::BiQuadratic, "Bi-Quadratic"},
                                   {InterpolationMethod::BiLinear, "Bi-Linear"},
                                   {InterpolationMethod::Triangulation, "Triangulation"},
                                   {InterpolationMethod::NearestNeighbour, "Nearest Neighbor"}};

// Rows of the 2.5' grid between latitudes 89 N (row 24) and 89 S (row 4296).
constexpr std::int32_t kFirstRow = 24;
constexpr std::int32_t kLastRow = 4296;
constexpr std::int32_t kColumns25 = 8640;

GeoidGrid Describe(const std::string& path, double spacing, GridSize size, std::int32_t last) {
    GeoidGrid grid;
    grid.path = path;
    grid.latSpacing = grid.lonSpacing = spacing;
    grid.gridSize = size;
    grid.lastColumn = last;
    return grid;
}

/// Error figures of one method over a sample.
struct Figures {
    std::vector<double> absolute;
    double sumSquares = 0.0;
    double maxError = 0.0;
    double maxLatitude = 0.0;
    double maxLongitude = 0.0;
    std::int64_t failed = 0;

    void Add(double error, double latitude, double longitude) {
        const double a = std::fabs(error);
        absolute.push_back(a);
        sumSquares += error * error;
        if (a > maxError) {
            maxError = a;
            maxLatitude = latitude;
            maxLongitude = longitude;
        }
    }
    void Print(const char* name) {
        const auto n = static_cast<double>(absolute.size());
        double sum = 0.0;
        for (const double a : absolute) sum += a;
        const auto at = static_cast<std::size_t>(0.99 * n);
        std::nth_element(absolute.begin(), absolute.begin() + static_cast<std::ptrdiff_t>(at),
                         absolute.end());
        std::printf("  %-17s %8.4f %9.4f %8.4f %8.4f  (%.4f, %.4f)%s\n", name,
                    std::sqrt(sumSquares / n), sum / n, absolute[at], maxError, maxLatitude,
                    maxLongitude, failed > 0 ? "  some queries failed" : "");
    }
};

void PrintHeading(const char* title, std::size_t count) {
    std::printf("\n%s (%zu nodes), metres\n", title, count);
    std::printf("  %-17s %8s %9s %8s %8s  %s\n", "method", "RMS", "mean |e|", "99 %", "max",
                "(lat, lon) of max");
}

/// Which 2.5' nodes a comparison takes: those on the `on` lattice (every `on`th
/// row and column) and off the `off` lattice.
struct NodeSet {
    std::int32_t on;
    std::int32_t off;
    bool Takes(std::int32_t r, std::int32_t c) const {
        return r % on == 0 && c % on == 0 && !(r % off == 0 && c % off == 0);
    }
};

/// The coarse grid's four methods at a sample of the 2.5' nodes in `set`.
void Compare(const char* title, const GeoidGrid& coarse, MappedGrid& coarseMap,
             const GeoidGrid& fine, MappedGrid& fineMap, NodeSet set, std::size_t samples,
             std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<std::int32_t> rows(kFirstRow, kLastRow);
    std::uniform_int_distribution<std::int32_t> columns(0, kColumns25 - 1);
    std::vector<Figures> figures(std::size(kMethods));
    for (Figures& f : figures) f.absolute.reserve(samples);
    std::size_t taken = 0;
    while (taken < samples) {
        const std::int32_t r = rows(random);
        const std::int32_t c = columns(random);
        if (!set.Takes(r, c)) continue;
        ++taken;
        const double truth = fineMap.ReadNode(fine, kColumns25, r, c);
        const double latitude = 90.0 - r * kSpacing2_5x2_5;
        const double longitude = c * kSpacing2_5x2_5;
        for (std::size_t m = 0; m < std::size(kMethods); ++m) {
            float value = 0.0f;
            if (ComputeUndulation(coarse, kMethods[m].method, latitude, longitude, value,
                                  coarseMap) != QueryStatus::StatusOk) {
                ++figures[m].failed;
                continue;
            }
            figures[m].Add(double{value} - truth, latitude, longitude);
        }
    }
    PrintHeading(title, taken);
    for (std::size_t m = 0; m < std::size(kMethods); ++m) figures[m].Print(kMethods[m].name);
}

/// Each method minus bi-linear at random points of one grid.
void Disagreement(const char* title, const GeoidGrid& grid, MappedGrid& map, std::size_t samples,
                  std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> latitudes(-89.0, 89.0);
    std::uniform_real_distribution<double> longitudes(0.0, 360.0);
    std::vector<Figures> figures(std::size(kMethods));
    for (Figures& f : figures) f.absolute.reserve(samples);
    for (std::size_t k = 0; k < samples; ++k) {
        const double latitude = latitudes(random);
        const double longitude = longitudes(random);
        float values[std::size(kMethods)] = {};
        bool ok = true;
        for (std::size_t m = 0; m < std::size(kMethods); ++m) {
            ok = ok && ComputeUndulation(grid, kMethods[m].method, latitude, longitude, values[m],
                                         map) == QueryStatus::StatusOk;
        }
        if (!ok) {
            ++figures[0].failed;
            continue;
        }
        for (std::size_t m = 0; m < std::size(kMethods); ++m) {
            figures[m].Add(double{values[m]} - double{values[1]}, latitude, longitude);
        }
    }
    std::printf("\n%s (%zu random points), metres\n", title, samples);
    std::printf("  %-17s %8s %9s %8s %8s  %s\n", "method - bi-linear", "RMS", "mean |d|", "99 %",
                "max", "(lat, lon) of max");
    for (const std::size_t m : {std::size_t{0}, std::size_t{2}, std::size_t{3}}) {
        figures[m].Print(kMethods[m].name);
    }
}

void PutLittleEndian(unsigned char* at, std::uint32_t word) {
    for (int k = 0; k < 4; ++k) at[k] = static_cast<unsigned char>(word >> (8 * k));
}

/// Writes every second row and column of a grid (the 2.5' grid, or an older model's) as a
/// little-endian grid file of NGA's record layout at twice its spacing.
bool WriteHalvedGrid(const GeoidGrid& grid, MappedGrid& map, const std::string& path) {
    const std::int64_t columns = StoredColumns(grid);
    const auto halfColumns = static_cast<std::uint32_t>(columns / 2);
    const std::int64_t halfRows = (StoredRows(grid) - 1) / 2 + 1;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    std::vector<unsigned char> record((halfColumns + 2) * 4);
    bool written = true;
    for (std::int64_t r = 0; r < halfRows && written; ++r) {
        PutLittleEndian(record.data(), halfColumns * 4);
        for (std::uint32_t c = 0; c < halfColumns; ++c) {
            const float value = map.ReadNode(grid, columns, static_cast<std::int32_t>(2 * r),
                                             static_cast<std::int32_t>(2 * c));
            std::uint32_t word = 0;
            std::memcpy(&word, &value, 4);
            PutLittleEndian(record.data() + 4 + 4 * c, word);
        }
        PutLittleEndian(record.data() + record.size() - 4, halfColumns * 4);
        written = std::fwrite(record.data(), 1, record.size(), out) == record.size();
    }
    return std::fclose(out) == 0 && written;
}

/// An older model's grid halved (WriteHalvedGrid) and interpolated at the model's own nodes
/// off the halved lattice, rows between latitudes -89 and 89.
bool CompareModel(const GeoidGrid& grid, MappedGrid& map, const std::string& scratch,
                  std::size_t samples, std::uint64_t seed) {
    const std::string path = scratch + "/accuracy-halved-" + std::to_string(::getpid());
    const bool written = WriteHalvedGrid(grid, map, path);
    GeoidGrid halved = grid;
    halved.path = path;
    halved.model = GeoidModel::Egm2008;  // NGA's record layout, at twice the spacing
    halved.bigEndian = false;
    halved.latSpacing = halved.lonSpacing = 2 * grid.latSpacing;
    halved.lastColumn = static_cast<std::int32_t>(StoredColumns(grid) / 2 - 1);
    SilentNotifier silent;
    MappedGrid halvedMap;
    const bool mapped = written && halvedMap.Map(halved, silent) == QueryStatus::StatusOk;
    std::remove(path.c_str());
    if (!mapped) return false;
    const std::int64_t columns = StoredColumns(grid);
    const auto margin = static_cast<std::int32_t>(1.0 / grid.latSpacing);
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<std::int32_t> rows(
        margin, static_cast<std::int32_t>(StoredRows(grid)) - 1 - margin);
    std::uniform_int_distribution<std::int32_t> cols(0, static_cast<std::int32_t>(columns - 1));
    std::vector<Figures> figures(std::size(kMethods));
    std::size_t taken = 0;
    while (taken < samples) {
        const std::int32_t r = rows(random);
        const std::int32_t c = cols(random);
        if (r % 2 == 0 && c % 2 == 0) continue;
        ++taken;
        const double truth = map.ReadNode(grid, columns, r, c);
        const double latitude = 90.0 - r * grid.latSpacing;
        const double longitude = c * grid.lonSpacing;
        for (std::size_t m = 0; m < std::size(kMethods); ++m) {
            float value = 0.0f;
            if (ComputeUndulation(halved, kMethods[m].method, latitude, longitude, value,
                                  halvedMap) != QueryStatus::StatusOk) {
                ++figures[m].failed;
                continue;
            }
            figures[m].Add(double{value} - truth, latitude, longitude);
        }
    }
    const std::string title = std::string(ModelName(grid.model)) + " at " +
                              (grid.latSpacing == 0.25 ? "30'" : "60'") +
                              " (every second node) at its own nodes off that lattice";
    PrintHeading(title.c_str(), taken);
    for (std::size_t m = 0; m < std::size(kMethods); ++m) figures[m].Print(kMethods[m].name);
    return true;
}

/// EGM2008 (the 2.5' grid's node) minus an older model at each of the older model's nodes.
void ModelDifference(const GeoidGrid& grid, MappedGrid& map, const GeoidGrid& grid25,
                     MappedGrid& map25) {
    const std::int64_t columns = StoredColumns(grid);
    const auto step = static_cast<std::int32_t>(std::lround(grid.latSpacing / kSpacing2_5x2_5));
    double sum = 0.0, sumSquares = 0.0, weights = 0.0, weightedSquares = 0.0;
    double low = 1e9, high = -1e9, lowLat = 0, lowLon = 0, highLat = 0, highLon = 0;
    std::int64_t count = 0;
    for (std::int32_t r = 0; r < StoredRows(grid); ++r) {
        const double latitude = 90.0 - r * grid.latSpacing;
        const double weight = std::cos(latitude * 3.14159265358979323846 / 180.0);
        for (std::int32_t c = 0; c < columns; ++c) {
            const double d = double{map25.ReadNode(grid25, kColumns25, r * step, c * step)} -
                             double{map.ReadNode(grid, columns, r, c)};
            sum += d;
            sumSquares += d * d;
            weights += weight;
            weightedSquares += weight * d * d;
            ++count;
            if (d < low) low = d, lowLat = latitude, lowLon = c * grid.lonSpacing;
            if (d > high) high = d, highLat = latitude, highLon = c * grid.lonSpacing;
        }
    }
    std::printf("\nEGM2008 - %s at the %lld nodes of the %s grid, metres\n", ModelName(grid.model),
                static_cast<long long>(count), ModelName(grid.model));
    std::printf("  min %8.3f at (%.2f, %.2f)   max %7.3f at (%.2f, %.2f)\n", low, lowLat, lowLon,
                high, highLat, highLon);
    std::printf("  mean %7.3f   RMS %6.3f over nodes, %6.3f weighted by area\n",
                sum / static_cast<double>(count),
                std::sqrt(sumSquares / static_cast<double>(count)),
                std::sqrt(weightedSquares / weights));
}

bool Option(const char* argument, const char* name, std::string& value) {
    const std::size_t n = std::strlen(name);
    if (std::strncmp(argument, name, n) != 0) return false;
    value = argument + n;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string gridDir = EGM2008_GRID_DIR;
    std::string scratch = "/tmp";
    std::string text;
    std::size_t samples = 1000000;
    std::uint64_t seed = 2008;
    for (int k = 1; k < argc; ++k) {
        if (Option(argv[k], "--grid-dir=", gridDir) || Option(argv[k], "--scratch=", scratch)) {
        } else if (Option(argv[k], "--samples=", text)) {
            samples = std::stoul(text);
        } else if (Option(argv[k], "--seed=", text)) {
            seed = std::stoull(text);
        } else {
            std::fputs(
                "usage: accuracy [--grid-dir=DIR] [--samples=N] [--seed=S] [--scratch=DIR]\n",
                stderr);
            return 2;
        }
    }
    SilentNotifier silent;
    const GeoidGrid grid10 = Describe(gridDir + "/Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE",
                                      kSpacing10x10, GridSize::Grid10x10, 2159);
    const GeoidGrid grid25 = Describe(gridDir + "/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE",
                                      kSpacing2_5x2_5, GridSize::Grid2_5x2_5, 8639);
    MappedGrid map10;
    MappedGrid map25;
    if (map10.Map(grid10, silent) != QueryStatus::StatusOk ||
        map25.Map(grid25, silent) != QueryStatus::StatusOk) {
        std::fprintf(stderr, "accuracy: the 10' and 2.5' grids are needed in %s\n",
                     gridDir.c_str());
        return 1;
    }

    std::printf(
        "Error of interpolation against EGM2008 synthesis values (the 2.5' grid's nodes),\n"
        "computed - true, nodes between latitudes -89 and 89, seed %llu\n",
        static_cast<unsigned long long>(seed));
    Compare("10' grid at the 2.5' nodes off its lattice", grid10, map10, grid25, map25, {1, 4},
            samples, seed);
    Compare("10' grid at the 5' nodes off its lattice (cell middles)", grid10, map10, grid25, map25,
            {2, 4}, samples, seed + 1);

    // The engine's routines take any spacing: a 5' grid (not a published size)
    // is described by its spacing and last column alone.
    const std::string path5 = scratch + "/accuracy-5min-" + std::to_string(::getpid());
    if (!WriteHalvedGrid(grid25, map25, path5)) {
        std::fprintf(stderr, "accuracy: cannot write %s\n", path5.c_str());
        std::remove(path5.c_str());
        return 1;
    }
    const GeoidGrid grid5 = Describe(path5, 5.0 / 60.0, GridSize::Grid10x10, 4319);
    MappedGrid map5;
    const bool mapped5 = map5.Map(grid5, silent) == QueryStatus::StatusOk;
    std::remove(path5.c_str());  // the mapping stays readable
    if (!mapped5) {
        std::fprintf(stderr, "accuracy: the 5' grid written to %s does not map\n", path5.c_str());
        return 1;
    }
    Compare("5' grid (from the 2.5' grid) at the 2.5' nodes off its lattice", grid5, map5, grid25,
            map25, {1, 2}, samples, seed + 2);

    Disagreement("10' grid: each method minus bi-linear", grid10, map10, samples, seed + 3);
    Disagreement("2.5' grid: each method minus bi-linear", grid25, map25, samples, seed + 3);

    for (const ModelFile& file : kModelFiles) {
        const GeoidGrid grid = GridOfModel(gridDir + "/" + file.fileName, file.model);
        MappedGrid map;
        if (map.Map(grid, silent) != QueryStatus::StatusOk) {
            std::printf("\n%s: %s is missing (egm2008 grids install %s)\n", ModelName(file.model),
                        grid.path.c_str(), ModelKey(file.model));
            continue;
        }
        if (!CompareModel(grid, map, scratch, samples, seed + 4)) {
            std::fprintf(stderr, "accuracy: cannot write a halved %s grid in %s\n",
                         ModelName(file.model), scratch.c_str());
            return 1;
        }
        ModelDifference(grid, map, grid25, map25);
    }
    return 0;
}
