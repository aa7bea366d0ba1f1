// query_bench's case for the public library, in a file of its own: the library's
// GridSize and QueryStatus share their names with the engine's, which the rest of
// query_bench uses.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

/// egm2008::Geoid::undulations on the grid file `path`, bi-linear, over batches of
/// 1024 of the points (lat[k], lon[k]) in turn; per_query is the wall time of one point.
void LibraryBatch(benchmark::State& state, const std::string& path, const std::vector<double>& lat,
                  const std::vector<double>& lon);
