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
//   make_bench_data nmea COUNT SEED OUT     a receiver's log of COUNT GGA sentences
//                                           (seeded positions over the globe,
//                                           talkers GP/GN/GL, one fix a second,
//                                           valid checksums, CR LF), with about
//                                           every 10th line an RMC or GSA sentence
//   make_bench_data grid1 OUT               a 1'x1' grid file of the real size
//                                           (933,292,808 bytes, little-endian,
//                                           record markers) holding pseudo-random
//                                           plausible undulations, for 1' figures
//
// No real 1' grid is made from the data at hand; the synthetic one has the
// layout and size that decide speed and memory, not real values.
#include <cinttypes>
#include <cmath>
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
        "       make_bench_data nmea COUNT SEED OUT\n"
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

// "ddmm.mmmmm" (or "dddmm.mmmmm" with `degreeDigits` 3) of |degrees|, rounded
// in whole hundred-thousandths of a minute so that 60.00000 never appears.
void FormatAngle(char* text, std::size_t size, double degrees, int degreeDigits) {
    constexpr long long kPerDegree = 60LL * 100000;
    const long long units = std::llround(std::fabs(degrees) * static_cast<double>(kPerDegree));
    const long long rest = units % kPerDegree;
    std::snprintf(text, size, "%0*lld%02lld.%05lld", degreeDigits, units / kPerDegree,
                  rest / 100000, rest % 100000);
}

// Writes "BODY*HH\r\n": the checksum is the exclusive OR of what lies between
// "$" and "*", in capitals.
void PutSentence(std::FILE* out, const char* body) {
    unsigned sum = 0;
    for (const char* c = body + 1; *c != '\0'; ++c) sum ^= static_cast<unsigned char>(*c);
    std::fprintf(out, "%s*%02X\r\n", body, sum);
}

// The fix a receiver reports once a second.
struct BenchFix {
    long long second = 0;  // seconds since the start of the log
    double latitude = 0.0;
    double longitude = 0.0;
};

void FormatTime(char* text, std::size_t size, long long second) {
    const long long day = second % 86400;
    std::snprintf(text, size, "%02lld%02lld%02lld.00", day / 3600, day / 60 % 60, day % 60);
}

// A GGA sentence as receivers write it: quality 1 (GPS), 2 (DGPS), 4 (RTK
// fixed) or 5 (RTK float), the age and station of the corrections filled only
// for the corrected ones, the altitude with 1 to 3 decimals, the receiver's
// separation with 1.
void PutGga(std::FILE* out, const BenchFix& fix, std::mt19937_64& random) {
    static const char* const kTalkers[] = {"GP", "GN", "GL"};
    static const int kQualities[] = {1, 1, 1, 1, 2, 2, 4, 4, 5, 5};
    const int quality = kQualities[random() % std::size(kQualities)];
    const int satellites = 4 + static_cast<int>(random() % 21);
    const double hdop = 0.5 + static_cast<double>(random() % 250) / 100.0;
    const int altitudeDecimals = 1 + static_cast<int>(random() % 3);
    const double altitude = -100.0 + static_cast<double>(random() % 3100000) / 1000.0;
    const double separation = -105.0 + static_cast<double>(random() % 1900) / 10.0;
    char time[16], latitude[32], longitude[32], corrections[24] = ",";
    FormatTime(time, sizeof time, fix.second);
    FormatAngle(latitude, sizeof latitude, fix.latitude, 2);
    FormatAngle(longitude, sizeof longitude, fix.longitude, 3);
    if (quality != 1) {
        std::snprintf(corrections, sizeof corrections, "%.1f,%04d",
                      static_cast<double>(random() % 100) / 10.0,
                      static_cast<int>(random() % 1024));
    }
    char body[128];
    std::snprintf(body, sizeof body, "$%sGGA,%s,%s,%c,%s,%c,%d,%02d,%.*f,%.*f,M,%.1f,M,%s",
                  kTalkers[random() % std::size(kTalkers)], time, latitude,
                  fix.latitude < 0.0 ? 'S' : 'N', longitude, fix.longitude < 0.0 ? 'W' : 'E',
                  quality, satellites, hdop < 1.0 ? 2 : 1, hdop, altitudeDecimals, altitude,
                  separation, corrections);
    PutSentence(out, body);
}

// One of the other sentences a receiver sends between its fixes: RMC (the
// same position, speed, course, date) or GSA (the satellites used and the DOPs).
void PutOther(std::FILE* out, const BenchFix& fix, std::mt19937_64& random) {
    char body[128];
    if (random() % 2 == 0) {
        char time[16], latitude[32], longitude[32];
        FormatTime(time, sizeof time, fix.second);
        FormatAngle(latitude, sizeof latitude, fix.latitude, 2);
        FormatAngle(longitude, sizeof longitude, fix.longitude, 3);
        const long long day = fix.second / 86400;
        std::snprintf(body, sizeof body, "$GPRMC,%s,A,%s,%c,%s,%c,%.3f,%.2f,%02lld1226,,,A", time,
                      latitude, fix.latitude < 0.0 ? 'S' : 'N', longitude,
                      fix.longitude < 0.0 ? 'W' : 'E',
                      static_cast<double>(random() % 5000) / 1000.0,
                      static_cast<double>(random() % 36000) / 100.0, 1 + day % 28);
    } else {
        const int used = 4 + static_cast<int>(random() % 9);
        int length = std::snprintf(body, sizeof body, "$GNGSA,A,3");
        for (int k = 0; k < 12; ++k) {
            if (k < used) {
                length +=
                    std::snprintf(body + length, sizeof body - static_cast<std::size_t>(length),
                                  ",%02d", 1 + static_cast<int>(random() % 32));
            } else {
                length += std::snprintf(body + length,
                                        sizeof body - static_cast<std::size_t>(length), ",");
            }
        }
        std::snprintf(body + length, sizeof body - static_cast<std::size_t>(length),
                      ",%.1f,%.1f,%.1f", 1.0 + static_cast<double>(random() % 30) / 10.0,
                      0.5 + static_cast<double>(random() % 25) / 10.0,
                      0.8 + static_cast<double>(random() % 30) / 10.0);
    }
    PutSentence(out, body);
}

// COUNT GGA sentences at uniform random positions (the generator of
// WritePoints), one a second, and after every ninth an RMC or GSA sentence from
// a second generator.
int WriteNmea(long long count, std::uint64_t seed, const char* path) {
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        std::perror(path);
        return 1;
    }
    std::mt19937_64 random(seed);
    std::mt19937_64 other(seed + 1);
    std::uniform_real_distribution<double> latitudes(-90.0, 90.0);
    std::uniform_real_distribution<double> longitudes(-180.0, 180.0);
    BenchFix fix;
    fix.second = 12 * 3600;
    for (long long k = 0; k < count; ++k, ++fix.second) {
        fix.latitude = latitudes(random);
        fix.longitude = longitudes(random);
        PutGga(out, fix, other);
        if (k % 9 == 8) PutOther(out, fix, other);
    }
    return std::fclose(out) == 0 ? 0 : 1;
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
    if (argc == 5 && std::strcmp(argv[1], "nmea") == 0) {
        return WriteNmea(std::atoll(argv[2]), std::strtoull(argv[3], nullptr, 10), argv[4]);
    }
    if (argc == 3 && std::strcmp(argv[1], "grid1") == 0) return WriteOneMinuteGrid(argv[2]);
    return Usage();
}
