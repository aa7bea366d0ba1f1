// Proof that the fast runs write what the plain per-query runs write, byte for
// byte: point files of 100,000 random points per case and gridmaker lattices,
// with all four methods, on synthetic grids of all three sizes (the 1' one at
// its full 933,292,808 bytes) in both byte orders. The grids hold
// pseudo-random plausible values, sprinkled with implausible ones, NaNs and
// the plausibility bounds themselves, so that failed points, "999.999"
// lines, NaN texts and bi-quadratic stops all occur.
//
// The reference is the run as the page defines it, one line after the other
// (lines of blanks skipped): sscanf "%s %lf %lf" / "%lf %lf", a query that opens, reads and closes
// the grid file, and snprintf "%10.6lf %11.6lf %8.3f"; the lattice walked node by node. The runs
// under test scan and format with their own code, query through one mapping of the grid and spread
// the work over two threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "engine/query_routines.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/scratch_folder.hpp"
#include "tasks/common/field_text.hpp"
#include "tasks/lattice/grid_lattice.hpp"
#include "tasks/points/point_file.hpp"

namespace egm2008 {
namespace {

using test::ReadFile;
using test::ScratchFolder;

constexpr InterpolationMethod kMethods[] = {
    InterpolationMethod::BiQuadratic, InterpolationMethod::BiLinear,
    InterpolationMethod::Triangulation, InterpolationMethod::NearestNeighbour};

constexpr int kPointsPerCase = 100'000;

const char* MethodName(InterpolationMethod method) {
    switch (method) {
        case InterpolationMethod::BiQuadratic: return "bi-quadratic";
        case InterpolationMethod::BiLinear: return "bi-linear";
        case InterpolationMethod::Triangulation: return "triangulation";
        case InterpolationMethod::NearestNeighbour: return "nearest";
    }
    return "?";
}

std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

// The value of node (r, c): plausible undulations between -107 and 86 m with
// all mantissa bits in use; about one node in 2003 is one of the odd values.
float NodeValue(std::uint64_t seed, std::int64_t r, std::int64_t c) {
    const std::uint64_t h = Mix(seed ^ Mix(static_cast<std::uint64_t>(r) * 0x9E3779B97F4A7C15ULL +
                                           static_cast<std::uint64_t>(c)));
    if (h % 2003 == 0) {
        constexpr float kOdd[] = {1500.0f,     -1500.0f, 1000.0f, -1000.0f, 999.99994f,
                                  -1000.0001f, NAN,      9999.0f, -0.0f,    1e-30f};
        return kOdd[(h >> 20) % 10];
    }
    const double u = static_cast<double>(h >> 40) / 16777216.0;
    return static_cast<float>(-107.0 + 193.0 * u);
}

// Writes a whole grid file of `size` (rows from 90 N, record markers) row by row.
GeoidGrid WriteSyntheticGrid(const std::string& path, GridSize size, bool bigEndian,
                             std::uint64_t seed) {
    GeoidGrid grid;
    grid.path = path;
    grid.latSpacing = grid.lonSpacing = SpacingOf(size);
    grid.bigEndian = bigEndian;
    grid.gridSize = size;
    grid.lastColumn = LastColumnOf(size);
    const std::int64_t columns = StoredColumns(grid);
    const std::int64_t rows = StoredRows(grid);
    std::vector<unsigned char> record(static_cast<std::size_t>(columns + 2) * 4);
    const auto put = [&record, bigEndian](std::size_t at, std::uint32_t word) {
        for (int k = 0; k < 4; ++k) {
            const int shift = bigEndian ? 24 - 8 * k : 8 * k;
            record[at + static_cast<std::size_t>(k)] = static_cast<unsigned char>(word >> shift);
        }
    };
    std::ofstream file(path, std::ios::binary);
    const auto marker = static_cast<std::uint32_t>(4 * columns);
    for (std::int64_t r = 0; r < rows; ++r) {
        put(0, marker);
        for (std::int64_t c = 0; c < columns; ++c) {
            put(static_cast<std::size_t>(4 + 4 * c),
                std::bit_cast<std::uint32_t>(NodeValue(seed, r, c)));
        }
        put(record.size() - 4, marker);
        file.write(reinterpret_cast<const char*>(record.data()),
                   static_cast<std::streamsize>(record.size()));
    }
    EXPECT_TRUE(file.good()) << path;
    return grid;
}

std::string Printed(const char* format, double value) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, format, value);
    return std::string(text, static_cast<std::size_t>(n));
}

// A coordinate in one of the forms people and programs write.
std::string CoordinateText(std::mt19937_64& random, double value) {
    switch (random() % 8) {
        case 0: return Printed("%.17g", value);
        case 1: return Printed("%.3f", value);
        case 2: return Printed("%.9f", value);
        case 3: return Printed("%.5e", value);
        default: return Printed("%.6f", value);
    }
}

// A latitude and a longitude: anywhere, a little beyond the bounds, on or near a
// node of the grid, on the poles and the seam.
void RandomPoint(std::mt19937_64& random, double spacing, double& latitude, double& longitude) {
    switch (random() % 10) {
        case 0: {  // a node, or a hair beside it
            const double row = static_cast<double>(random() % 10801) * spacing;
            const double column = static_cast<double>(random() % 21601) * spacing;
            latitude = std::fmin(90.0, std::fmax(-90.0, 90.0 - std::fmod(row, 180.0)));
            longitude = std::fmod(column, 360.0) - ((random() & 1) != 0 ? 360.0 : 0.0);
            if ((random() & 3) == 0) latitude = std::nextafter(latitude, 0.0);
            if ((random() & 3) == 0) longitude = std::nextafter(longitude, 1000.0);
            return;
        }
        case 1: {  // poles, the seam, the edges of the bounds
            constexpr double kLatitudes[] = {90.0, -90.0, 89.99, -89.99, 0.0, -0.0, 90.000001};
            constexpr double kLongitudes[] = {0.0,        360.0, -360.0,    -180.0,     180.0,
                                              359.999999, -0.0,  -0.000001, 360.000001, -360.5};
            latitude = kLatitudes[random() % 7];
            longitude = kLongitudes[random() % 10];
            return;
        }
        default:
            latitude = std::uniform_real_distribution<double>(-90.05, 90.05)(random);
            longitude = std::uniform_real_distribution<double>(-185.0, 365.0)(random);
            return;
    }
}

// An input file of `count` points for `layout`, with a few odd lines among them.
std::string PointFileText(std::uint64_t seed, int count, PointFileLayout layout, double spacing) {
    const CNumericScope numbers;
    std::mt19937_64 random(seed);
    const bool numbered =
        layout == PointFileLayout::PtNumberLatLon || layout == PointFileLayout::PtNumberLonLat;
    const bool lonFirst =
        layout == PointFileLayout::LonLat || layout == PointFileLayout::PtNumberLonLat;
    std::string text;
    for (int k = 0; k < count; ++k) {
        if (random() % 100 == 0) {  // unusual lines, for the scanners' other paths
            constexpr const char* kOdd[] = {
                "+48.5 +11.25",   "0x1.8p5 -0x1p3", "nan 10.5", "inf -inf", "48,5 11,25 extra",
                "# heading line", "48 11",          "",         "\t",       "12.5 -7.25e0 5 6",
                "1e400 1e-400 7", "-0 -0.0 -0"};
            text += kOdd[random() % 12];
            text += (random() & 1) != 0 ? "\r\n" : "\n";
            continue;
        }
        double latitude = 0.0;
        double longitude = 0.0;
        RandomPoint(random, spacing, latitude, longitude);
        if (numbered) text += "P" + std::to_string(k) + ((random() & 1) != 0 ? " " : "\t");
        const std::string lat = CoordinateText(random, latitude);
        const std::string lon = CoordinateText(random, longitude);
        text += lonFirst ? lon : lat;
        text += (random() % 5 == 0) ? " \t " : " ";
        text += lonFirst ? lat : lon;
        if (random() % 20 == 0) text += " 512.3";
        text += (random() % 3 == 0) ? "\r\n" : "\n";
    }
    text += "45.25 -120.75";  // a last line without a line end
    return text;
}

struct ReferenceCounts {
    std::int64_t computed = 0;
    std::int64_t failed = 0;
    std::int64_t unreadable = 0;
};

void AppendPrintf(std::string& out, const char* format, double a, double b, double c = 0.0) {
    char text[1100];
    const int n = std::snprintf(text, sizeof text, format, a, b, c);
    out.append(text, static_cast<std::size_t>(n));
}

// The run as the page defines it: one line at a time, scanf, a per-query read of
// the grid file, printf.
std::string ReferencePointFile(const std::string& input, PointFileLayout layout,
                               const GeoidGrid& grid, InterpolationMethod method,
                               ReferenceCounts& counts) {
    const CNumericScope numbers;
    SilentNotifier silent;
    const bool numbered =
        layout == PointFileLayout::PtNumberLatLon || layout == PointFileLayout::PtNumberLonLat;
    const bool lonFirst =
        layout == PointFileLayout::LonLat || layout == PointFileLayout::PtNumberLonLat;
    std::string out;
    std::size_t at = 0;
    while (at < input.size()) {
        const std::size_t lf = input.find('\n', at);
        std::string line = input.substr(at, lf == std::string::npos ? std::string::npos : lf - at);
        at = lf == std::string::npos ? input.size() : lf + 1;
        if (lf != std::string::npos) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            line.push_back('\n');
        }
        if (line.find_first_not_of(" \t\r\n") == std::string::npos) continue;
        const auto copy = [&] {
            if (line.back() == '\n') {
                out.append(line, 0, line.size() - 1);
                out += "\r\n";
            } else {
                out += line;
            }
            ++counts.unreadable;
        };
        const char* text = line.c_str();
        std::string number;
        if (numbered) {
            int start = -1;
            int end = -1;
            std::sscanf(text, " %n%*s%n", &start, &end);
            if (start < 0 || end < start) {
                copy();
                continue;
            }
            number.assign(text + start, static_cast<std::size_t>(end - start));
            text += end;
        }
        double first = 0.0;
        double second = 0.0;
        if (std::sscanf(text, "%lf %lf", &first, &second) != 2) {
            copy();
            continue;
        }
        const double latitude = lonFirst ? second : first;
        double longitude = lonFirst ? first : second;
        if (longitude < 0.0) longitude += 360.0;
        float undulation = 0.0f;
        const QueryStatus status =
            ComputeUndulation(grid, method, latitude, longitude, undulation, silent);
        if (numbered) out += number + " ";
        if (status == QueryStatus::StatusOk) {
            AppendPrintf(out, "%10.6lf %11.6lf %8.3f\r\n", first, second,
                         static_cast<double>(undulation));
            ++counts.computed;
        } else {
            AppendPrintf(out, "%10.6lf %11.6lf 999.999\r\n", first, second);
            ++counts.failed;
        }
    }
    return out;
}

// First differing byte of two texts, with the lines around it.
::testing::AssertionResult SameText(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    const std::size_t from = at < 80 ? 0 : at - 80;
    return ::testing::AssertionFailure()
           << "first difference at byte " << at << " of " << expected.size() << "/" << actual.size()
           << "\n expected: " << ::testing::PrintToString(expected.substr(from, 160))
           << "\n actual:   " << ::testing::PrintToString(actual.substr(from, 160));
}

// Runs `layout` files with every method through RunPointFile and the reference.
void ProvePointFiles(const GeoidGrid& grid, const ScratchFolder& dir, std::uint64_t seed) {
    const PointFileLayout layouts[] = {PointFileLayout::LatLon, PointFileLayout::LonLat,
                                       PointFileLayout::PtNumberLatLon,
                                       PointFileLayout::PtNumberLonLat};
    int k = 0;
    for (const InterpolationMethod method : kMethods) {
        const PointFileLayout layout = layouts[k++ % 4];
        SCOPED_TRACE(std::string(MethodName(method)) +
                     (grid.bigEndian ? ", big-endian " : ", little-endian ") + grid.path);
        const std::string input = PointFileText(seed + static_cast<std::uint64_t>(k),
                                                kPointsPerCase, layout, grid.latSpacing);
        std::ofstream(dir.File("points.txt"), std::ios::binary) << input;

        ReferenceCounts counts;
        const std::string expected = ReferencePointFile(input, layout, grid, method, counts);

        PointFileInput in;
        ASSERT_TRUE(in.Open(dir.File("points.txt")));
        TextOutput out;
        ASSERT_TRUE(out.Open(dir.File("result.txt")));
        SilentNotifier silent;
        MappedGrid mapped;
        ASSERT_EQ(mapped.Map(grid, silent), QueryStatus::StatusOk);
        std::vector<std::int64_t> progress;
        const PointFileOutcome outcome =
            RunPointFile(in, out, grid, mapped, layout, method,
                         [&progress](std::int64_t n) { progress.push_back(n); });
        ASSERT_TRUE(outcome.completed());
        EXPECT_TRUE(outcome.gridOpened);
        EXPECT_TRUE(SameText(expected, ReadFile(dir.File("result.txt"))));
        EXPECT_EQ(outcome.computed, counts.computed);
        EXPECT_EQ(outcome.failed, counts.failed);
        EXPECT_EQ(outcome.unreadable, counts.unreadable);
        EXPECT_GT(counts.failed, 0) << "points outside the grid must occur";
        std::vector<std::int64_t> expectedProgress;
        for (std::int64_t n = 0; n <= counts.computed; n += 1000) expectedProgress.push_back(n);
        EXPECT_EQ(progress, expectedProgress);
    }
}

// The lattice walked node by node through per-query reads, as the page defines it;
// `values` gets each node's N as a raster takes it (NaN where it is missing).
std::string ReferenceLattice(const GeoidGrid& grid, InterpolationMethod method,
                             const LatticeArea& area, LatticeEnd& end, std::uint64_t& nodes,
                             std::vector<float>* values = nullptr) {
    const CNumericScope numbers;
    SilentNotifier silent;
    std::string out;
    end = LatticeEnd::Completed;
    nodes = 0;
    for (std::int64_t i = 0;; ++i) {
        const double latitude =
            i == 0 ? area.north : area.north - static_cast<double>(i) * area.latStep;
        if (i > 0 && !(latitude > area.south - kLatticeSlack)) break;
        for (std::int64_t j = 0;; ++j) {
            const double longitude =
                j == 0 ? area.west : area.west + static_cast<double>(j) * area.lonStep;
            if (j > 0 && !(longitude < area.east + kLatticeSlack)) break;
            float undulation = kResultPreset;
            // A node within the slack of the area's last row or column is queried there.
            const double queryLatitude =
                std::fabs(latitude - area.south) <= kLatticeSlack ? area.south : latitude;
            const double queryLongitude =
                std::fabs(longitude - area.east) <= kLatticeSlack ? area.east : longitude;
            const QueryStatus status =
                ComputeUndulation(grid, method, queryLatitude, queryLongitude, undulation, silent);
            if (status == QueryStatus::StatusError) {
                end = LatticeEnd::StoppedAtError;
                return out;
            }
            if (values != nullptr) {
                const bool missing = status != QueryStatus::StatusOk || !std::isfinite(undulation);
                values->push_back(missing ? std::nanf("") : undulation);
            }
            AppendPrintf(out, "%10.6lf %11.6lf %8.3f\r\n", latitude, longitude,
                         static_cast<double>(undulation));
            ++nodes;
        }
    }
    return out;
}

// Keeps the rows a lattice walk hands it, and what it was told.
struct RecordingRaster final : LatticeRaster {
    LatticeShape shape;
    std::vector<float> values;
    std::uint64_t rows = 0;
    int finished = -1;  // Finish's `whole`, -1 before it

    bool Begin(const LatticeShape& lattice) override {
        shape = lattice;
        return true;
    }
    bool Row(std::uint64_t row, std::span<const float> rowValues) override {
        EXPECT_EQ(row, rows++);
        EXPECT_EQ(rowValues.size(), shape.columns);
        values.insert(values.end(), rowValues.begin(), rowValues.end());
        return true;
    }
    bool Finish(bool whole) override {
        finished = whole ? 1 : 0;
        return true;
    }
    int error() const override { return 0; }
};

// The same bits, NaN matching NaN.
bool SameValues(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](float x, float y) {
               return std::bit_cast<std::uint32_t>(x) == std::bit_cast<std::uint32_t>(y) ||
                      (std::isnan(x) && std::isnan(y));
           });
}

void ProveLattices(const GeoidGrid& grid, const ScratchFolder& dir,
                   const std::vector<LatticeArea>& areas) {
    bool stopped = false;  // some walk must meet a node that stops it
    for (const LatticeArea& area : areas) {
        for (const InterpolationMethod method : kMethods) {
            SCOPED_TRACE(std::string(MethodName(method)) + " lattice from " +
                         std::to_string(area.north) + ", " + std::to_string(area.west) +
                         (grid.bigEndian ? ", big-endian" : ", little-endian"));
            LatticeEnd expectedEnd;
            std::uint64_t expectedNodes = 0;
            std::vector<float> expectedValues;
            const std::string expected =
                ReferenceLattice(grid, method, area, expectedEnd, expectedNodes, &expectedValues);

            TextOutput out;
            ASSERT_TRUE(out.Open(dir.File("lattice.txt")));
            SilentNotifier silent;
            MappedGrid mapped;
            ASSERT_EQ(mapped.Map(grid, silent), QueryStatus::StatusOk);
            std::vector<std::uint64_t> progress;
            RecordingRaster raster;
            const LatticeOutcome outcome = WriteGridLattice(
                out, grid, mapped, method, area,
                [&progress](std::uint64_t n) {
                    progress.push_back(n);
                    return true;
                },
                LatticeFormat::Xyz, &raster);
            ASSERT_TRUE(out.Close());
            EXPECT_TRUE(SameText(expected, ReadFile(dir.File("lattice.txt"))));
            EXPECT_EQ(outcome.end, expectedEnd);
            EXPECT_EQ(outcome.nodesWritten, expectedNodes);
            stopped = stopped || expectedEnd == LatticeEnd::StoppedAtError;
            std::vector<std::uint64_t> expectedProgress;
            for (std::uint64_t n = kLatticeProgressInterval; n <= expectedNodes;
                 n += kLatticeProgressInterval) {
                expectedProgress.push_back(n);
            }
            EXPECT_EQ(progress, expectedProgress);
            // The raster gets every whole row before a stop, with the same bits.
            expectedValues.resize(expectedValues.size() -
                                  expectedValues.size() % raster.shape.columns);
            EXPECT_TRUE(SameValues(raster.values, expectedValues));
            EXPECT_EQ(raster.finished, expectedEnd == LatticeEnd::Completed ? 1 : 0);
        }
    }
    EXPECT_TRUE(stopped);
}

struct GridCase {
    const char* name;
    GridSize size;
    bool bigEndian;
};
void PrintTo(const GridCase& c, std::ostream* os) { *os << c.name; }

class RunProof : public ::testing::TestWithParam<GridCase> {};

TEST_P(RunProof, PointFilesMatchThePerQueryRun) {
    ScratchFolder dir;
    const GeoidGrid grid =
        WriteSyntheticGrid(dir.File("grid"), GetParam().size, GetParam().bigEndian, 17);
    ProvePointFiles(grid, dir, 100 + static_cast<std::uint64_t>(GetParam().size));
}

TEST_P(RunProof, LatticesMatchThePerQueryWalk) {
    ScratchFolder dir;
    const GeoidGrid grid =
        WriteSyntheticGrid(dir.File("grid"), GetParam().size, GetParam().bigEndian, 17);
    // Several pieces and rows each; the seam, the south pole, west longitudes,
    // steps that do not divide the span; most bi-quadratic walks meet an
    // implausible node and stop there.
    std::vector<LatticeArea> areas = {
        {90, -90, -180, 180, 1.1, 1.7},
        {-88.1, -90, 350.05, 360, grid.latSpacing, grid.lonSpacing / 3},
        {47.3, 45.0, -0.4, 0.4, 0.01, 0.0037}};
    // One row longer than the run writes its longitude texts for in advance.
    if (GetParam().size == GridSize::Grid10x10)
        areas.push_back({10.0, 10.0, -360, 360, 1.0, 0.0105});
    ProveLattices(grid, dir, areas);
}

INSTANTIATE_TEST_SUITE_P(
    Grids, RunProof,
    ::testing::Values(GridCase{"ten_minutes_little_endian", GridSize::Grid10x10, false},
                      GridCase{"ten_minutes_big_endian", GridSize::Grid10x10, true},
                      GridCase{"two_and_a_half_minutes_little_endian", GridSize::Grid2_5x2_5,
                               false},
                      GridCase{"two_and_a_half_minutes_big_endian", GridSize::Grid2_5x2_5, true}),
    [](const ::testing::TestParamInfo<GridCase>& param) { return param.param.name; });

// The 1' grid at its full size (933,292,808 bytes), written twice: one test, so
// that the files are written once.
TEST(RunProofOneMinute, PointFilesAndLatticesMatchThePerQueryRun) {
    for (const bool bigEndian : {false, true}) {
        ScratchFolder dir;
        const GeoidGrid grid =
            WriteSyntheticGrid(dir.File("grid"), GridSize::Grid1x1, bigEndian, 29);
        ASSERT_EQ(std::filesystem::file_size(grid.path), 933'292'808u);
        ProvePointFiles(grid, dir, 300);
        ProveLattices(grid, dir,
                      {{-89.2, -90, 355.5, 360, 0.01, 0.013}, {30.3, 29.9, -10.01, 10, 0.05, 0.2}});
    }
}

// A run that the progress callback stops gets exactly the lines before the stop.
TEST(RunProofCancel, LatticeStopsAtTheRefusedProgressCall) {
    ScratchFolder dir;
    const GeoidGrid grid = WriteSyntheticGrid(dir.File("grid"), GridSize::Grid10x10, false, 5);
    const LatticeArea area{60, 0, -30, 30, 0.25, 0.25};
    LatticeEnd end;
    std::uint64_t nodes = 0;
    const std::string all = ReferenceLattice(grid, InterpolationMethod::BiLinear, area, end, nodes);
    ASSERT_GT(nodes, 5 * kLatticeProgressInterval);
    TextOutput out;
    ASSERT_TRUE(out.Open(dir.File("lattice.txt")));
    SilentNotifier silent;
    MappedGrid mapped;
    ASSERT_EQ(mapped.Map(grid, silent), QueryStatus::StatusOk);
    int calls = 0;
    const LatticeOutcome outcome =
        WriteGridLattice(out, grid, mapped, InterpolationMethod::BiLinear, area,
                         [&calls](std::uint64_t) { return ++calls < 5; });
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(outcome.end, LatticeEnd::Cancelled);
    EXPECT_EQ(outcome.nodesWritten, 5 * kLatticeProgressInterval);
    std::size_t at = 0;
    for (std::uint64_t k = 0; k < 5 * kLatticeProgressInterval; ++k) at = all.find('\n', at) + 1;
    EXPECT_TRUE(SameText(all.substr(0, at), ReadFile(dir.File("lattice.txt"))));
}

// Worker threads scan and format in the "C" locale whatever the process's locale.
TEST(RunProofLocale, PointFileInACommaLocaleMatchesTheReference) {
    const test::CommaLocale comma;
    if (comma.name().empty()) GTEST_SKIP() << "no locale with a decimal comma is installed";
    ScratchFolder dir;
    const GeoidGrid grid = WriteSyntheticGrid(dir.File("grid"), GridSize::Grid10x10, true, 9);
    ProvePointFiles(grid, dir, 900);
}

}  // namespace
}  // namespace egm2008
