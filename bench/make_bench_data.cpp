// make_bench_data: the inputs of the speed measurements, made the same way on
// every machine.
//
//   make_bench_data points COUNT SEED OUT   COUNT points "lat lon" (6 decimals,
//                                           uniform over latitude -90..90 and
//                                           longitude -180..180), one a line
//   make_bench_data heights COUNT SEED CSV TXT
//                                           the same points with an ellipsoidal
//                                           height: CSV "lat,lon,h,code" under a
//                                           header, TXT "lat lon h" for GeoidEval
//   make_bench_data grid1 OUT               a 1'x1' grid file of the real size
//                                           (933,292,808 bytes, little-endian,
//                                           record markers) holding pseudo-random
//                                           plausible undulations, for 1' figures
//
// No real 1' grid is made from the data at hand; the synthetic one has the
// layout and size that decide speed and memory, not real values.
#include <cinttypes>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fputs(
        "usage: make_bench_data points COUNT SEED OUT\n"
        "       make_bench_data heights COUNT SEED CSV TXT\n"
        "       make_bench_data grid1 OUT\n",
        stderr);
    return 2;
}

int WritePoints(long long count, std::uint64_t seed, const char* path) {
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        std::perror(path);
        return 1;
    }
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> latitudes(-90.0, 90.0);
    std::uniform_real_distribution<double> longitudes(-180.0, 180.0);
    for (long long k = 0; k < count; ++k) {
        const double latitude = latitudes(random);
        const double longitude = longitudes(random);
        std::fprintf(out, "%.6f %.6f\n", latitude, longitude);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

// The coordinates of WritePoints (same generator, same order), each with a
// height from a second generator: -100..3000 m above the ellipsoid, 3 decimals.
int WriteHeights(long long count, std::uint64_t seed, const char* csvPath, const char* txtPath) {
    std::FILE* csv = std::fopen(csvPath, "wb");
    std::FILE* txt = std::fopen(txtPath, "wb");
    if (csv == nullptr || txt == nullptr) {
        std::perror(csv == nullptr ? csvPath : txtPath);
        if (csv != nullptr) std::fclose(csv);
        if (txt != nullptr) std::fclose(txt);
        return 1;
    }
    static const char* const kCodes[] = {"BM", "CP", "TP", "GCP", "FENCE", "TREE"};
    std::mt19937_64 random(seed);
    std::mt19937_64 other(seed + 1);
    std::uniform_real_distribution<double> latitudes(-90.0, 90.0);
    std::uniform_real_distribution<double> longitudes(-180.0, 180.0);
    std::uniform_real_distribution<double> heights(-100.0, 3000.0);
    std::uniform_int_distribution<std::size_t> codes(0, std::size(kCodes) - 1);
    std::fputs("lat,lon,h,code\n", csv);
    for (long long k = 0; k < count; ++k) {
        const double latitude = latitudes(random);
        const double longitude = longitudes(random);
        const double height = heights(other);
        std::fprintf(csv, "%.6f,%.6f,%.3f,%s\n", latitude, longitude, height, kCodes[codes(other)]);
        std::fprintf(txt, "%.6f %.6f %.3f\n", latitude, longitude, height);
    }
    const bool closed = std::fclose(csv) == 0;
    return std::fclose(txt) == 0 && closed ? 0 : 1;
}

std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

void PutLittleEndian(unsigned char* at, std::uint32_t word) {
    for (int k = 0; k < 4; ++k) at[k] = static_cast<unsigned char>(word >> (8 * k));
}

int WriteOneMinuteGrid(const char* path) {
    constexpr std::uint32_t kColumns = 21600;
    constexpr std::uint32_t kRows = 10801;
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        std::perror(path);
        return 1;
    }
    std::vector<unsigned char> record((kColumns + 2) * 4);
    for (std::uint32_t r = 0; r < kRows; ++r) {
        PutLittleEndian(record.data(), kColumns * 4);
        for (std::uint32_t c = 0; c < kColumns; ++c) {
            // A smooth surface between about -107 and 86 m plus a little noise.
            const std::uint64_t h = Mix((std::uint64_t{r} << 32) | c);
            const double noise = static_cast<double>(h >> 40) / 16777216.0 - 0.5;
            const double value = -10.0 + 60.0 * ((r * 7 + c * 3) % 1000) / 1000.0 - 25.0 + noise;
            float f = static_cast<float>(value);
            std::uint32_t word;
            std::memcpy(&word, &f, 4);
            PutLittleEndian(record.data() + 4 + 4 * c, word);
        }
        PutLittleEndian(record.data() + record.size() - 4, kColumns * 4);
        if (std::fwrite(record.data(), 1, record.size(), out) != record.size()) {
            std::perror(path);
            std::fclose(out);
            return 1;
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "points") == 0) {
        return WritePoints(std::atoll(argv[2]), std::strtoull(argv[3], nullptr, 10), argv[4]);
    }
    if (argc == 6 && std::strcmp(argv[1], "heights") == 0) {
        return WriteHeights(std::atoll(argv[2]), std::strtoull(argv[3], nullptr, 10), argv[4],
                            argv[5]);
    }
    if (argc == 3 && std::strcmp(argv[1], "grid1") == 0) return WriteOneMinuteGrid(argv[2]);
    return Usage();
}
