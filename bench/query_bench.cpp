// Cost of one query inside a run: a MappedGrid over the grid file (in the page
// cache), one million seeded random points over the globe, each of the four
// methods, on the real 2.5' grid, on a 1'-size grid file and on the EGM96
// (15') and EGM84 (30') files.
//
//   one_by_one     the points queried one after the other, as a single loop
//                  of ComputeUndulation calls does it
//   scanned_ahead  as a point-file run does it: a group of 16 points is
//                  scanned first and each point's rows are asked for
//                  (MappedGrid::Prefetch), then the 16 are queried
//   library_batch  the public library's egm2008::Geoid::undulations over
//                  batches of 1024 points (bi-linear only; library_batch.cpp)
//
// per_query is the wall time of one query. The points are far more than the
// caches hold, so every query pays for its memory accesses. Grids: the 2.5'
// grid from scripts/setup-grids.sh (--grid-dir=PATH for another folder) and a
// 1' grid given by --one-minute-grid=PATH (bench/make_bench_data grid1 makes a
// synthetic one); a missing grid skips its cases.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "library_batch.hpp"

namespace {

using namespace egm2008;
using namespace egm2008::engine;

struct Point {
    double latitude;
    double longitude;
};

constexpr std::size_t kPointCount = 1 << 20;
constexpr std::size_t kGroup = 16;

const std::vector<Point>& Points() {
    static const std::vector<Point> points = [] {
        std::mt19937_64 random(2008);
        std::uniform_real_distribution<double> latitudes(-90.0, 90.0);
        std::uniform_real_distribution<double> longitudes(-180.0, 180.0);
        std::vector<Point> p(kPointCount);
        for (Point& point : p) point = {latitudes(random), longitudes(random)};
        return p;
    }();
    return points;
}

std::string gridDir = EGM2008_GRID_DIR;
std::string oneMinuteGrid;

struct GridChoice {
    const char* label;
    GridSize size;
    GeoidModel model = GeoidModel::Egm2008;
};

GeoidGrid Describe(const GridChoice& choice) {
    if (const ModelFile* file = ModelFileOf(choice.model)) {
        return GridOfModel(gridDir + "/" + file->fileName, choice.model);
    }
    GeoidGrid grid;
    grid.path = choice.size == GridSize::Grid1x1
                    ? oneMinuteGrid
                    : gridDir + "/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE";
    grid.latSpacing = grid.lonSpacing = SpacingOf(choice.size);
    grid.gridSize = choice.size;
    grid.lastColumn = LastColumnOf(choice.size);
    return grid;
}

void Query(benchmark::State& state, GridChoice choice, InterpolationMethod method, bool ahead) {
    const GeoidGrid grid = Describe(choice);
    SilentNotifier silent;
    MappedGrid mapped;
    if (grid.path.empty() || mapped.Map(grid, silent) != QueryStatus::StatusOk) {
        state.SkipWithError(("grid missing or unfit: " + grid.path).c_str());
        return;
    }
    const std::vector<Point>& points = Points();
    // Every node once through the mapping before timing: the pages are mapped.
    for (const Point& p : points) {
        float result = 0.0f;
        ComputeUndulation(grid, method, p.latitude, p.longitude, result, mapped);
    }
    std::size_t k = 0;
    std::int64_t failures = 0;
    for (auto _ : state) {
        const Point* group = points.data() + k;
        k = (k + kGroup) % points.size();
        if (ahead) {
            for (std::size_t g = 0; g < kGroup; ++g) {
                mapped.Prefetch(grid, method, group[g].latitude, group[g].longitude);
            }
        }
        for (std::size_t g = 0; g < kGroup; ++g) {
            float result = 0.0f;
            if (ComputeUndulation(grid, method, group[g].latitude, group[g].longitude, result,
                                  mapped) != QueryStatus::StatusOk) {
                ++failures;
            }
            benchmark::DoNotOptimize(result);
        }
    }
    const auto queries = static_cast<double>(state.iterations()) * static_cast<double>(kGroup);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kGroup));
    state.counters["per_query"] =
        benchmark::Counter(queries, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (failures > 0) state.SkipWithError("some queries failed");
}

void LibraryBatchOnPoints(benchmark::State& state, GridChoice choice) {
    static const auto [lat, lon] = [] {
        std::pair<std::vector<double>, std::vector<double>> coordinates;
        for (const Point& p : Points()) {
            coordinates.first.push_back(p.latitude);
            coordinates.second.push_back(p.longitude);
        }
        return coordinates;
    }();
    LibraryBatch(state, Describe(choice).path, lat, lon);
}

}  // namespace

int main(int argc, char** argv) {
    int kept = 1;
    for (int k = 1; k < argc; ++k) {
        if (std::strncmp(argv[k], "--grid-dir=", 11) == 0) {
            gridDir = argv[k] + 11;
        } else if (std::strncmp(argv[k], "--one-minute-grid=", 18) == 0) {
            oneMinuteGrid = argv[k] + 18;
        } else {
            argv[kept++] = argv[k];
        }
    }
    argc = kept;
    const GridChoice grids[] = {{"2.5min", GridSize::Grid2_5x2_5},
                                {"1min", GridSize::Grid1x1},
                                {"egm96", GridSize::Grid10x10, GeoidModel::Egm96},
                                {"egm84", GridSize::Grid10x10, GeoidModel::Egm84}};
    const std::pair<const char*, InterpolationMethod> methods[] = {
        {"BiLinear", InterpolationMethod::BiLinear},
        {"BiQuadratic", InterpolationMethod::BiQuadratic},
        {"Triangulation", InterpolationMethod::Triangulation},
        {"NearestNeighbour", InterpolationMethod::NearestNeighbour}};
    for (const GridChoice& grid : grids) {
        for (const auto& [label, method] : methods) {
            for (const bool ahead : {false, true}) {
                const std::string name = std::string(label) + "/" + grid.label +
                                         (ahead ? "/scanned_ahead" : "/one_by_one");
                benchmark::RegisterBenchmark(name.c_str(), Query, grid, method, ahead);
            }
        }
        const std::string name = std::string("BiLinear/") + grid.label + "/library_batch";
        benchmark::RegisterBenchmark(name.c_str(), LibraryBatchOnPoints, grid);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
