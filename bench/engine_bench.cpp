// Queries per second of the four query routines at seeded random points on the
// real 10' grid (the internal database) and, when present, the 2.5' grid: each
// routine through the per-query file access (open, positioned reads, close) and
// through a MappedGrid that a run maps once. items_per_second is queries/s.
//
// The grids come from scripts/setup-grids.sh; a missing grid skips its cases.
// --grid-dir=PATH reads them from another folder.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"

namespace {

using namespace egm2008;
using namespace egm2008::engine;

struct Point {
    double latitude;
    double longitude;
};

// Uniform in latitude and longitude over the whole grid; the same for every case.
const std::vector<Point>& Points() {
    static const std::vector<Point> points = [] {
        std::mt19937_64 random(2008);
        std::uniform_real_distribution<double> latitudes(-90.0, 90.0);
        std::uniform_real_distribution<double> longitudes(0.0, 360.0);
        std::vector<Point> p(4096);
        for (Point& point : p) point = {latitudes(random), longitudes(random)};
        return p;
    }();
    return points;
}

struct GridChoice {
    const char* label;
    const char* name;
    double spacing;
    GridSize size;
};

constexpr GridChoice kGrids[] = {
    {"10min", "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE", 10.0 / 60.0, GridSize::Grid10x10},
    {"2.5min", "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE", 2.5 / 60.0,
     GridSize::Grid2_5x2_5},
};

struct MethodChoice {
    const char* label;
    InterpolationMethod method;
};

constexpr MethodChoice kMethods[] = {
    {"LookupNearest", InterpolationMethod::NearestNeighbour},
    {"InterpolateBiLinear", InterpolationMethod::BiLinear},
    {"InterpolateBiQuadratic", InterpolationMethod::BiQuadratic},
    {"InterpolateTriangulation", InterpolationMethod::Triangulation},
};

std::string gridDir = EGM2008_GRID_DIR;

GeoidGrid Describe(const GridChoice& choice) {
    GeoidGrid grid;
    grid.path = gridDir + "/" + choice.name;
    grid.latSpacing = choice.spacing;
    grid.lonSpacing = choice.spacing;
    grid.gridSize = choice.size;
    grid.lastColumn = LastColumnOf(choice.size);
    return grid;
}

// Runs `method` over the points through `access` (a Notifier: per-query file
// access; a NodeReader: the mapping).
template <typename Access>
void RunQueries(benchmark::State& state, const GeoidGrid& grid, InterpolationMethod method,
                Access& access) {
    const std::vector<Point>& points = Points();
    std::size_t k = 0;
    std::int64_t failures = 0;
    for (auto _ : state) {
        const Point& p = points[k];
        k = (k + 1) % points.size();
        float result = 0.0f;
        if (ComputeUndulation(grid, method, p.latitude, p.longitude, result, access) !=
            QueryStatus::StatusOk) {
            ++failures;
        }
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
    if (failures > 0) state.SkipWithError("some queries failed");
}

class CountingNotifier final : public Notifier {
public:
    void Notify(const std::string&, NoticeIcon) override { ++count; }
    int count = 0;
};

void PerQuery(benchmark::State& state, GridChoice choice, MethodChoice method) {
    const GeoidGrid grid = Describe(choice);
    if (!std::filesystem::is_regular_file(grid.path)) {
        state.SkipWithError(("grid missing: " + grid.path).c_str());
        return;
    }
    CountingNotifier notifier;
    RunQueries(state, grid, method.method, notifier);
}

void Mapped(benchmark::State& state, GridChoice choice, MethodChoice method) {
    const GeoidGrid grid = Describe(choice);
    CountingNotifier notifier;
    MappedGrid map;
    if (map.Map(grid, notifier) != QueryStatus::StatusOk) {
        state.SkipWithError(("grid missing or unfit: " + grid.path).c_str());
        return;
    }
    RunQueries(state, grid, method.method, map);
}

}  // namespace

int main(int argc, char** argv) {
    // Take --grid-dir=PATH out before the library sees the arguments.
    int kept = 1;
    for (int k = 1; k < argc; ++k) {
        if (std::strncmp(argv[k], "--grid-dir=", 11) == 0) {
            gridDir = argv[k] + 11;
        } else {
            argv[kept++] = argv[k];
        }
    }
    argc = kept;
    for (const GridChoice& grid : kGrids) {
        for (const MethodChoice& method : kMethods) {
            const std::string name = std::string(method.label) + "/" + grid.label;
            benchmark::RegisterBenchmark((name + "/per_query").c_str(), PerQuery, grid, method);
            benchmark::RegisterBenchmark((name + "/mapped").c_str(), Mapped, grid, method);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
