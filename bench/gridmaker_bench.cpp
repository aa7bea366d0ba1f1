// Speed of the gridmaker's run (WriteGridLattice: queries through one
// MappedGrid on two threads, lines formatted and written in walking order),
// writing to /dev/null so that the disk is not measured.
//
//   Region/<method>   a 10 x 10 degree lattice at 2.5' on the 2.5' grid
//                     (241 x 241 nodes); nodes_per_second
//   Globe/<method>    the whole globe at 2.5' on the 2.5' grid (4321 x 8641
//                     nodes, about 1.2 GB of text), one run per repetition
//   GlobeGeotiff/BiQuadratic  the same lattice as a GeoTIFF (deflated tiles,
//                     about 80 MB): the cost of the compression against the text
//   GlobePng          the globe at 2.5', bi-quadratic, as a PNG colour map of
//                     4096 x 2048 pixels (the walk, the resampling, the picture)
//   Picture           the picture alone: a 4096 x 2048 map rendered and encoded
//   PictureWithCoastlines  the same with the world's low-resolution coastlines drawn
//   Coastlines/<file> the whole world's coastlines read from gmt-gshhg-low's crude,
//                     low or intermediate file (skipped without them)
//
// The memory of a global 1' PNG (233 million nodes into 4096 x 2048 pixels)
// is measured by bench/png_memory.sh.
//
// The grid comes from scripts/setup-grids.sh; --grid-dir=PATH reads it from
// another folder. bench/compare_peers.sh times the whole globe written to a
// real file through the command-line tool.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>
#include <string>

#include "engine/notifier.hpp"
#include "tasks/lattice/formats/geotiff_output.hpp"
#include "tasks/lattice/formats/colour_map.hpp"
#include "tasks/lattice/grid_lattice.hpp"
#include "tasks/lattice/gridmaker.hpp"
#include "tasks/common/text_output.hpp"

namespace {

using namespace egm2008;
using namespace egm2008::engine;

std::string gridDir = EGM2008_GRID_DIR;

GeoidGrid Grid() {
    GeoidGrid grid;
    grid.path = gridDir + "/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE";
    grid.latSpacing = grid.lonSpacing = kSpacing2_5x2_5;
    grid.gridSize = GridSize::Grid2_5x2_5;
    grid.lastColumn = LastColumnOf(GridSize::Grid2_5x2_5);
    return grid;
}

void Lattice(benchmark::State& state, InterpolationMethod method, LatticeArea area,
             LatticeFormat format) {
    const GeoidGrid grid = Grid();
    SilentNotifier silent;
    MappedGrid mapped;
    if (mapped.Map(grid, silent) != QueryStatus::StatusOk) {
        state.SkipWithError(("the grid cannot be mapped: " + grid.path).c_str());
        return;
    }
    std::uint64_t nodes = 0;
    for (auto _ : state) {
        TextOutput output;
        if (!output.Open("/dev/null")) {
            state.SkipWithError("/dev/null cannot be opened");
            return;
        }
        std::unique_ptr<LatticeRaster> raster;
        if (format == LatticeFormat::Geotiff) {
            raster = MakeGeotiffOutput(output,
                                       {area.north, "grid", "Bi-Quadratic", 2.5, 2.5, "", "", 0});
        }
        const LatticeOutcome outcome =
            WriteGridLattice(output, grid, mapped, method, area, {}, format, raster.get());
        if (outcome.end != LatticeEnd::Completed) {
            state.SkipWithError(("the run did not complete; grid missing? " + grid.path).c_str());
            return;
        }
        nodes += outcome.nodesWritten;
    }
    state.counters["nodes_per_second"] =
        benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}

void GlobePng(benchmark::State& state) {
    const GeoidGrid grid = Grid();
    SilentNotifier silent;
    MappedGrid mapped;
    if (mapped.Map(grid, silent) != QueryStatus::StatusOk) {
        state.SkipWithError(("the grid cannot be mapped: " + grid.path).c_str());
        return;
    }
    const double step = 2.5;
    GridmakerRequest request;
    const double values[kGridmakerFields] = {90, -180, -90, 180, step, step};
    std::copy(std::begin(values), std::end(values), request.values);
    request.format = LatticeFormat::Png;
    const LatticeArea area = CheckGridmakerRequest(request).area;
    for (auto _ : state) {
        TextOutput output;
        if (!output.Open("/dev/null")) {
            state.SkipWithError("/dev/null cannot be opened");
            return;
        }
        const GridmakerOutcome outcome =
            WriteGridmakerOutput(request, area, output, grid, mapped, {});
        if (outcome.lattice.end != LatticeEnd::Completed || !outcome.closed) {
            state.SkipWithError(("the run did not complete; grid missing? " + grid.path).c_str());
            return;
        }
    }
}

void Picture(benchmark::State& state, bool coastlines) {
    const Coastlines world = ReadCoastlines({-90, 90, -180, 180}, CoastResolution::Low);
    if (coastlines && world.status != CoastStatus::Read) {
        state.SkipWithError(("no coastlines: " + world.path).c_str());
        return;
    }
    MapAccumulator map;
    map.Begin({2048, 4096, -90, -180, 180.0 / 2047, 360.0 / 4095});
    std::vector<float> row(4096);
    for (std::uint64_t r = 0; r < 2048; ++r) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            row[c] = static_cast<float>(100 * std::sin(0.003 * static_cast<double>(c * r)));
        }
        map.Row(r, row);
    }
    map.Finish(true);
    for (auto _ : state) {
        TextOutput output;
        if (!output.Open("/dev/null")) {
            state.SkipWithError("/dev/null cannot be opened");
            return;
        }
        const MapPicture picture =
            RenderColourMap(map, "EGM2008 GEOID UNDULATION N [M]",
                            {ColourFit::Fitted, coastlines ? &world.lines : nullptr});
        if (!WritePng(picture, output) || !output.Close()) state.SkipWithError("write failed");
    }
}

void ReadWorldCoastlines(benchmark::State& state, CoastResolution resolution) {
    std::size_t points = 0;
    for (auto _ : state) {
        const Coastlines world = ReadCoastlines({-90, 90, -180, 180}, resolution);
        if (world.status != CoastStatus::Read) {
            state.SkipWithError(("no coastlines: " + world.path).c_str());
            return;
        }
        points = 0;
        for (const Coastline& line : world.lines) points += line.points.size();
    }
    state.counters["points"] = static_cast<double>(points);
}

}  // namespace

int main(int argc, char** argv) {
    int kept = 1;
    for (int k = 1; k < argc; ++k) {
        if (std::strncmp(argv[k], "--grid-dir=", 11) == 0) {
            gridDir = argv[k] + 11;
        } else {
            argv[kept++] = argv[k];
        }
    }
    argc = kept;
    const double step = 2.5 / 60.0;
    const std::pair<const char*, InterpolationMethod> methods[] = {
        {"BiQuadratic", InterpolationMethod::BiQuadratic},
        {"BiLinear", InterpolationMethod::BiLinear},
        {"Triangulation", InterpolationMethod::Triangulation},
        {"NearestNeighbour", InterpolationMethod::NearestNeighbour}};
    for (const auto& [label, method] : methods) {
        benchmark::RegisterBenchmark((std::string("Region/") + label).c_str(), Lattice, method,
                                     LatticeArea{50, 40, 5, 15, step, step}, LatticeFormat::Xyz)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    for (const auto& [label, method] : methods) {
        benchmark::RegisterBenchmark((std::string("Globe/") + label).c_str(), Lattice, method,
                                     LatticeArea{90, -90, 0, 360, step, step}, LatticeFormat::Xyz)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true);
    }
    benchmark::RegisterBenchmark("GlobeGeotiff/BiQuadratic", Lattice,
                                 InterpolationMethod::BiQuadratic,
                                 LatticeArea{90, -90, 0, 360, step, step}, LatticeFormat::Geotiff)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("GlobePng", GlobePng)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("Picture", Picture, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("PictureWithCoastlines", Picture, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    const std::pair<const char*, CoastResolution> files[] = {
        {"Crude", CoastResolution::Crude},
        {"Low", CoastResolution::Low},
        {"Intermediate", CoastResolution::Intermediate}};
    for (const auto& [label, resolution] : files) {
        benchmark::RegisterBenchmark((std::string("Coastlines/") + label).c_str(),
                                     ReadWorldCoastlines, resolution)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
