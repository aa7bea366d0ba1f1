// The engine on the real EGM2008 grids that scripts/setup-grids.sh makes:
// independently computed results at 400 points per method (status and float
// bits), NGA's own sample values at grid nodes, the two byte orders and the two
// spacings against each other, and (printed, for the record) how far each
// method lies from NGA's values off the 10' nodes.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tests/engine/test_grids.hpp"

namespace egm2008::engine {
namespace {

using test::RecordingNotifier;

constexpr const char* k10Little = "Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE";
constexpr const char* k10Big = "Und_min10x10_egm2008_isw=82_WGS84_TideFree";
constexpr const char* k2_5Little = "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE";
constexpr const char* k2_5Big = "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree";

struct RealGrid {
    const char* name;
    double spacing;
    bool bigEndian;
};

constexpr RealGrid kGrids[] = {{k10Little, 1.0 / 6.0, false},
                               {k10Big, 1.0 / 6.0, true},
                               {k2_5Little, 1.0 / 24.0, false},
                               {k2_5Big, 1.0 / 24.0, true}};

// The descriptor of a real grid; empty path when the file is not there.
GeoidGrid Real(const RealGrid& g) {
    const std::string path = test::RealGridPath(g.name);
    GeoidGrid grid = test::MakeGrid(path, g.spacing, g.bigEndian);
    if (!std::filesystem::is_regular_file(path)) grid.path.clear();
    return grid;
}

#define REQUIRE_GRID(grid, g)                                                               \
    if ((grid).path.empty())                                                                \
    GTEST_SKIP() << "real grid \"" << (g).name << "\" is missing from " << EGM2008_GRID_DIR \
                 << "; run scripts/setup-grids.sh to make it"

// --- independently computed results ---------------------------------------------

struct SampleCase {
    const char* csv;
    RealGrid grid;
};

class ReferenceSampleTest : public testing::TestWithParam<SampleCase> {};

TEST_P(ReferenceSampleTest, EveryRowMatchesInStatusAndBits) {
    const SampleCase& c = GetParam();
    const GeoidGrid grid = Real(c.grid);
    REQUIRE_GRID(grid, c.grid);
    std::ifstream in(std::string(EGM2008_TEST_DATA_DIR) + "/real/" + c.csv);
    ASSERT_TRUE(in.good()) << c.csv;
    std::string line;
    std::getline(in, line);
    ASSERT_EQ(line, "lat,lon,method,status,value_hex");

    RecordingNotifier notifier;
    MappedGrid map;
    ASSERT_EQ(map.Map(grid, notifier), QueryStatus::StatusOk);
    int rows = 0;
    int mismatches = 0;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        double latitude = 0.0;
        double longitude = 0.0;
        int method = 0;
        int status = 0;
        unsigned bits = 0;
        // strtod reads the shortest round-trip text back to the same double.
        char* end = nullptr;
        latitude = std::strtod(line.c_str(), &end);
        ASSERT_EQ(*end, ',') << line;
        longitude = std::strtod(end + 1, &end);
        ASSERT_EQ(std::sscanf(end, ",%d,%d,%x", &method, &status, &bits), 3) << line;
        ++rows;
        for (int mapped = 0; mapped < 2; ++mapped) {
            float result = -8888.0f;
            const QueryStatus got =
                mapped ? ComputeUndulation(grid, static_cast<InterpolationMethod>(method), latitude,
                                           longitude, result, map)
                       : ComputeUndulation(grid, static_cast<InterpolationMethod>(method), latitude,
                                           longitude, result, notifier);
            if (static_cast<int>(got) != status || test::Bits(result) != bits) {
                if (++mismatches <= 10) {
                    ADD_FAILURE() << line << (mapped ? " (mapped)" : " (per query)")
                                  << ": got status " << static_cast<int>(got) << ", bits "
                                  << std::hex << test::Bits(result) << std::dec << " (" << result
                                  << ")";
                }
            }
        }
    }
    EXPECT_EQ(rows, 1600);
    EXPECT_EQ(mismatches, 0);
    EXPECT_TRUE(notifier.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(Grids, ReferenceSampleTest,
                         testing::Values(SampleCase{"engine_sample_10min_le.csv", kGrids[0]},
                                         SampleCase{"engine_sample_2p5min_be.csv", kGrids[3]}),
                         [](const testing::TestParamInfo<SampleCase>& p) {
                             return std::string(p.param.grid.spacing > 0.1 ? "TenMinutes"
                                                                           : "TwoAndAHalfMinutes");
                         });

// --- NGA's sample values -----------------------------------------------------------

struct NgaValue {
    double latitude;
    double longitude;
    double undulation;  // metres, from the spherical-harmonic synthesis, printed to 1 mm
};

// On nodes of both grids (or on a pole row, where every node holds the same value).
constexpr NgaValue kNgaOnNodes[] = {
    {37.0, 241.0, -26.151},       {37.0, -119.0, -26.151}, {90.0, 0.0, 14.899},
    {-90.0, 359.983333, -30.150}, {-90.0, 0.0, -30.150},
};
constexpr NgaValue kNgaAll[] = {
    {37.0, 241.0, -26.151}, {37.0, -119.0, -26.151},      {36.0, 242.983333, -29.171},
    {90.0, 0.0, 14.899},    {-90.0, 359.983333, -30.150}, {-90.0, 0.0, -30.150},
};

class RealGridTest : public testing::TestWithParam<RealGrid> {};

TEST_P(RealGridTest, EveryMethodGivesNgaValuesOnNodesToTheMillimetre) {
    const GeoidGrid grid = Real(GetParam());
    REQUIRE_GRID(grid, GetParam());
    RecordingNotifier notifier;
    for (const NgaValue& nga : kNgaOnNodes) {
        for (InterpolationMethod method : test::kMethods) {
            float result = -8888.0f;
            ASSERT_EQ(
                ComputeUndulation(grid, method, nga.latitude, nga.longitude, result, notifier),
                QueryStatus::StatusOk);
            EXPECT_EQ(std::lround(result * 1000.0), std::lround(nga.undulation * 1000.0))
                << test::MethodName(method) << " at " << nga.latitude << ", " << nga.longitude
                << ": " << std::setprecision(9) << result;
        }
    }
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_P(RealGridTest, APointARoundingStepInsideABoundIsTheBound) {
    const GeoidGrid grid = Real(GetParam());
    REQUIRE_GRID(grid, GetParam());
    test::ExpectRoundingStepIsTheBound(grid);
}

// Many points at once (a raster's rows, a track) give each point's status and bits, with every
// method: rows of one latitude across the seam and the poles' margins, a slanting track, and
// points outside or not numbers among them.
TEST_P(RealGridTest, ManyPointsAtOnceGiveEachPointsBits) {
    const GeoidGrid grid = Real(GetParam());
    REQUIRE_GRID(grid, GetParam());
    RecordingNotifier notifier;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid, notifier), QueryStatus::StatusOk);
    std::vector<std::vector<double>> latitudeRows;
    std::vector<double> longitudes;
    for (double lon = -361.0; lon <= 361.0; lon += 0.0071) longitudes.push_back(lon);
    longitudes.push_back(std::nan(""));
    longitudes.push_back(-0.0);
    for (double lat : {47.123, 0.0, 89.99, -89.99, 90.0, -90.0, 90.5, std::nan("")})
        latitudeRows.emplace_back(longitudes.size(), lat);
    std::vector<double> slant(longitudes.size());
    for (std::size_t k = 0; k < slant.size(); ++k)
        slant[k] = -80.0 + 0.0013 * static_cast<double>(k);
    latitudeRows.push_back(slant);
    for (const std::vector<double>& latitudes : latitudeRows) {
        for (InterpolationMethod method : test::kMethods) {
            SCOPED_TRACE(test::MethodName(method) + " from latitude " +
                         std::to_string(latitudes[0]));
            std::vector<float> results(longitudes.size(), -8888.0f);
            std::vector<QueryStatus> statuses(longitudes.size());
            ComputeUndulations(grid, method, latitudes, longitudes, results, statuses, mapped);
            for (std::size_t k = 0; k < longitudes.size(); ++k) {
                float one = -8888.0f;
                const QueryStatus status =
                    ComputeUndulation(grid, method, latitudes[k], longitudes[k], one, mapped);
                ASSERT_EQ(statuses[k], status) << "at " << longitudes[k];
                if (status == QueryStatus::StatusOk) {
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(results[k]),
                              std::bit_cast<std::uint32_t>(one))
                        << "at " << longitudes[k];
                }
            }
        }
    }
}

// A lattice of latitudes and longitudes (a north-up raster) gives each crossing's status and
// bits: rows stepping through the windows' rows, across the seam, into the polar margins and out
// of the grid, NaN among both.
TEST_P(RealGridTest, ALatticeGivesEachCrossingsBits) {
    const GeoidGrid grid = Real(GetParam());
    REQUIRE_GRID(grid, GetParam());
    RecordingNotifier notifier;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid, notifier), QueryStatus::StatusOk);
    std::vector<double> longitudes;
    for (double lon = -361.0; lon <= 361.0; lon += 0.0173) longitudes.push_back(lon);
    for (double lon : {std::nan(""), -0.0, 0.0, 360.0, -180.0}) longitudes.push_back(lon);
    std::vector<double> latitudes{90.0, 90.5, 89.99, -89.99, -90.0, std::nan(""), 0.0};
    for (double lat = 46.9; lat < 47.4; lat += 0.0217) latitudes.push_back(lat);
    latitudes.push_back(-33.3);
    for (InterpolationMethod method :
         {InterpolationMethod::BiQuadratic, InterpolationMethod::BiLinear}) {
        SCOPED_TRACE(test::MethodName(method));
        const std::size_t count = latitudes.size() * longitudes.size();
        std::vector<float> results(count, -8888.0f);
        std::vector<QueryStatus> statuses(count);
        ComputeUndulationLattice(grid, method, latitudes, longitudes, results, statuses, mapped);
        for (std::size_t k = 0; k < count; ++k) {
            const double lat = latitudes[k / longitudes.size()];
            const double lon = longitudes[k % longitudes.size()];
            float one = -8888.0f;
            const QueryStatus status = ComputeUndulation(grid, method, lat, lon, one, mapped);
            ASSERT_EQ(statuses[k], status) << "at " << lat << " " << lon;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(results[k]), std::bit_cast<std::uint32_t>(one))
                << "at " << lat << " " << lon;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Grids, RealGridTest, testing::ValuesIn(kGrids),
                         [](const testing::TestParamInfo<RealGrid>& p) {
                             std::string name =
                                 p.param.spacing > 0.1 ? "TenMinutes" : "TwoAndAHalf";
                             return name + (p.param.bigEndian ? "BigEndian" : "LittleEndian");
                         });

// --- byte orders and spacings against each other --------------------------------------

std::vector<std::pair<double, double>> RandomPoints(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> latitudes(-90.0, 90.0);
    std::uniform_real_distribution<double> longitudes(-180.0, 360.0);
    std::vector<std::pair<double, double>> points;
    for (int k = 0; k < count; ++k) points.emplace_back(latitudes(random), longitudes(random));
    return points;
}

class ByteOrderTest : public testing::TestWithParam<int> {};  // 0: 10', 1: 2.5'

TEST_P(ByteOrderTest, LittleAndBigEndianFilesGiveIdenticalBits) {
    const RealGrid& le = kGrids[2 * GetParam()];
    const RealGrid& be = kGrids[2 * GetParam() + 1];
    const GeoidGrid little = Real(le);
    const GeoidGrid big = Real(be);
    REQUIRE_GRID(little, le);
    REQUIRE_GRID(big, be);
    RecordingNotifier notifier;
    MappedGrid littleMap;
    MappedGrid bigMap;
    ASSERT_EQ(littleMap.Map(little, notifier), QueryStatus::StatusOk);
    ASSERT_EQ(bigMap.Map(big, notifier), QueryStatus::StatusOk);
    int index = 0;
    for (const auto& [latitude, longitude] : RandomPoints(5000, 20240606)) {
        for (InterpolationMethod method : test::kMethods) {
            float a = -8888.0f;
            float b = -8888.0f;
            // Every tenth point through the per-query file access, the rest mapped.
            const bool perQuery = index++ % 10 == 0;
            const QueryStatus sa =
                perQuery ? ComputeUndulation(little, method, latitude, longitude, a, notifier)
                         : ComputeUndulation(little, method, latitude, longitude, a, littleMap);
            const QueryStatus sb =
                perQuery ? ComputeUndulation(big, method, latitude, longitude, b, notifier)
                         : ComputeUndulation(big, method, latitude, longitude, b, bigMap);
            ASSERT_EQ(sa, QueryStatus::StatusOk);
            ASSERT_EQ(sb, QueryStatus::StatusOk);
            ASSERT_EQ(test::Bits(a), test::Bits(b))
                << test::MethodName(method) << " at " << latitude << ", " << longitude;
        }
    }
    EXPECT_TRUE(notifier.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(Grids, ByteOrderTest, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& p) {
                             return std::string(p.param == 0 ? "TenMinutes" : "TwoAndAHalf");
                         });

TEST(SharedNodes, TenAndTwoAndAHalfMinuteGridsAgreeExactly) {
    const GeoidGrid ten = Real(kGrids[0]);
    const GeoidGrid fine = Real(kGrids[3]);  // the big-endian one: byte order must not matter
    REQUIRE_GRID(ten, kGrids[0]);
    REQUIRE_GRID(fine, kGrids[3]);
    RecordingNotifier notifier;
    MappedGrid tenMap;
    MappedGrid fineMap;
    ASSERT_EQ(tenMap.Map(ten, notifier), QueryStatus::StatusOk);
    ASSERT_EQ(fineMap.Map(fine, notifier), QueryStatus::StatusOk);

    // Every node of the 10' grid is every 4th row and column of the 2.5' grid.
    int differing = 0;
    for (std::int32_t r = 0; r <= 1080; ++r) {
        for (std::int32_t c = 0; c <= 2159; ++c) {
            const float a = tenMap.ReadNode(ten, 2160, r, c);
            const float b = fineMap.ReadNode(fine, 8640, 4 * r, 4 * c);
            if (test::Bits(a) != test::Bits(b) && ++differing <= 10) {
                ADD_FAILURE() << "node (" << r << ", " << c << "): " << a << " and " << b;
            }
        }
    }
    EXPECT_EQ(differing, 0);

    // Through the routines at shared nodes whose coordinates are exact in binary
    // (multiples of 0.5 degrees): every method gives the same bits on both grids.
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> halfDegreesOfLatitude(-180, 180);
    std::uniform_int_distribution<int> halfDegreesOfLongitude(-360, 719);
    for (int k = 0; k < 2000; ++k) {
        const double latitude = halfDegreesOfLatitude(random) / 2.0;
        const double longitude = halfDegreesOfLongitude(random) / 2.0;
        for (InterpolationMethod method : test::kMethods) {
            float a = -8888.0f;
            float b = -8888.0f;
            ASSERT_EQ(ComputeUndulation(ten, method, latitude, longitude, a, tenMap),
                      QueryStatus::StatusOk);
            ASSERT_EQ(ComputeUndulation(fine, method, latitude, longitude, b, fineMap),
                      QueryStatus::StatusOk);
            EXPECT_EQ(test::Bits(a), test::Bits(b))
                << test::MethodName(method) << " at " << latitude << ", " << longitude;
        }
    }
}

// --- off-node differences, printed for the record ---------------------------------------

struct Stats {
    double sum = 0.0;
    double squares = 0.0;
    double largest = 0.0;
    int count = 0;
    void Add(double d) {
        sum += d;
        squares += d * d;
        largest = std::max(largest, std::fabs(d));
        ++count;
    }
    double Rms() const { return count > 0 ? std::sqrt(squares / count) : 0.0; }
    double Mean() const { return count > 0 ? sum / count : 0.0; }
};

TEST(OffNodeDifferences, PrintsEachMethodAgainstNgaValues) {
    const GeoidGrid ten = Real(kGrids[0]);
    const GeoidGrid fine = Real(kGrids[2]);
    REQUIRE_GRID(ten, kGrids[0]);
    REQUIRE_GRID(fine, kGrids[2]);
    RecordingNotifier notifier;
    MappedGrid tenMap;
    MappedGrid fineMap;
    ASSERT_EQ(tenMap.Map(ten, notifier), QueryStatus::StatusOk);
    ASSERT_EQ(fineMap.Map(fine, notifier), QueryStatus::StatusOk);

    std::ostringstream out;
    out << std::fixed << std::setprecision(4);
    out << "\nNGA sample points: grid value minus NGA's synthesis, metres\n";
    out << "grid  point                     method            value       diff\n";
    struct Source {
        const GeoidGrid* grid;
        MappedGrid* map;
        const char* label;
    };
    for (const Source& source :
         {Source{&ten, &tenMap, "10'  "}, Source{&fine, &fineMap, "2.5' "}}) {
        const char* label = source.label;
        for (const NgaValue& nga : kNgaAll) {
            for (InterpolationMethod method : test::kMethods) {
                float value = 0.0f;
                ASSERT_EQ(ComputeUndulation(*source.grid, method, nga.latitude, nga.longitude,
                                            value, *source.map),
                          QueryStatus::StatusOk);
                const double diff = value - nga.undulation;
                EXPECT_LT(std::fabs(diff), 0.5) << "far beyond any interpolation error";
                out << label << ' ' << std::setw(10) << nga.latitude << ' ' << std::setw(11)
                    << nga.longitude << "  " << std::setw(16) << std::left
                    << test::MethodName(method) << std::right << ' ' << std::setw(9) << value << ' '
                    << std::setw(9) << diff << '\n';
            }
        }
    }

    // The 2.5' nodes that are not 10' nodes carry NGA's synthesis (to float precision)
    // at points that lie off the 10' nodes: the 10' grid's interpolation error per method.
    std::mt19937 random(20240608);
    std::uniform_int_distribution<std::int32_t> rows(4, 4316);  // clear of the polar margins
    std::uniform_int_distribution<std::int32_t> columns(0, 8639);
    Stats stats[4];
    while (stats[0].count < 100000) {
        const std::int32_t r = rows(random);
        const std::int32_t c = columns(random);
        if (r % 4 == 0 && c % 4 == 0) continue;
        const float truth = fineMap.ReadNode(fine, 8640, r, c);
        for (int m = 0; m < 4; ++m) {
            float value = 0.0f;
            ASSERT_EQ(
                ComputeUndulation(ten, test::kMethods[m], 90.0 - r / 24.0, c / 24.0, value, tenMap),
                QueryStatus::StatusOk);
            stats[m].Add(static_cast<double>(value) - truth);
        }
    }
    out << "\n10' grid at 100000 random 2.5' nodes off its own nodes (NGA values): metres\n";
    out << "method            mean       rms        max|d|\n";
    for (int m = 0; m < 4; ++m) {
        out << std::setw(16) << std::left << test::MethodName(test::kMethods[m]) << std::right
            << ' ' << std::setw(9) << stats[m].Mean() << ' ' << std::setw(9) << stats[m].Rms()
            << ' ' << std::setw(9) << stats[m].largest << '\n';
        EXPECT_LT(stats[m].Rms(), 0.5);
    }
    std::cout << out.str();
    RecordProperty("off_node_report", out.str());
}

}  // namespace
}  // namespace egm2008::engine
