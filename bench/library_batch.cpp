#include "library_batch.hpp"

#include <optional>
#include <span>

#include "egm2008/geoid.hpp"

void LibraryBatch(benchmark::State& state, const std::string& path, const std::vector<double>& lat,
                  const std::vector<double>& lon) {
    std::optional<egm2008::Geoid> geoid;
    try {
        geoid = egm2008::Geoid::open(path);
    } catch (const egm2008::Error& error) {
        state.SkipWithError(error.what());
        return;
    }
    constexpr std::size_t kBatch = 1024;
    std::vector<float> out(lat.size());
    geoid->undulations(lat, lon, out);  // every page mapped before timing
    std::size_t k = 0;
    std::int64_t failures = 0;
    for (auto _ : state) {
        const std::span<float> batch(out.data() + k, kBatch);
        geoid->undulations({lat.data() + k, kBatch}, {lon.data() + k, kBatch}, batch);
        benchmark::DoNotOptimize(batch.data());
        for (const float n : batch) failures += n != n;
        k = (k + kBatch) % (lat.size() - lat.size() % kBatch);
    }
    const auto queries = static_cast<double>(state.iterations()) * static_cast<double>(kBatch);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kBatch));
    state.counters["per_query"] =
        benchmark::Counter(queries, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (failures > 0) state.SkipWithError("some queries failed");
}
