#include "tests/engine/test_grids.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace egm2008::test {

namespace {

void PutWord(std::vector<unsigned char>& out, std::uint32_t word, bool bigEndian) {
    for (int k = 0; k < 4; ++k) {
        const int shift = bigEndian ? 24 - 8 * k : 8 * k;
        out.push_back(static_cast<unsigned char>(word >> shift));
    }
}

void Require(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error("test grid: " + what);
}

}  // namespace

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "engine_tests.XXXXXX").string();
    Require(::mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteGrid(const std::string& path, Shape shape, bool bigEndian, const NodeFunction& value) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    Require(out.good(), "cannot write " + path);
    const auto marker = static_cast<std::uint32_t>(4 * shape.columns);
    std::vector<unsigned char> record;
    record.reserve(static_cast<std::size_t>(shape.columns + 2) * 4);
    for (std::int64_t r = 0; r < shape.rows; ++r) {
        record.clear();
        PutWord(record, marker, bigEndian);
        for (std::int64_t c = 0; c < shape.columns; ++c) {
            const float v = value(static_cast<std::int32_t>(r), static_cast<std::int32_t>(c));
            PutWord(record, std::bit_cast<std::uint32_t>(v), bigEndian);
        }
        PutWord(record, marker, bigEndian);
        out.write(reinterpret_cast<const char*>(record.data()),
                  static_cast<std::streamsize>(record.size()));
    }
    Require(out.good(), "short write to " + path);
}

void WriteZeroGrid(const std::string& path, Shape shape, bool bigEndian) {
    // Many records at a time: the 1' size has 933 MB to write.
    std::vector<unsigned char> record;
    PutWord(record, static_cast<std::uint32_t>(4 * shape.columns), bigEndian);
    record.resize(record.size() + static_cast<std::size_t>(4 * shape.columns), 0);
    PutWord(record, static_cast<std::uint32_t>(4 * shape.columns), bigEndian);
    const std::int64_t perChunk = std::max<std::int64_t>(1, (8 << 20) / std::ssize(record));
    std::vector<unsigned char> chunk;
    for (std::int64_t k = 0; k < perChunk; ++k) chunk.insert(chunk.end(), record.begin(), record.end());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::int64_t r = 0; r < shape.rows && out.good(); r += perChunk) {
        const std::int64_t rows = std::min(perChunk, shape.rows - r);
        out.write(reinterpret_cast<const char*>(chunk.data()), rows * std::ssize(record));
    }
    out.close();
    Require(!out.fail(), "cannot write " + path);
}

void PokeFloat(const std::string& path, std::int64_t offset, float value, bool bigEndian) {
    std::vector<unsigned char> bytes;
    PutWord(bytes, std::bit_cast<std::uint32_t>(value), bigEndian);
    PokeBytes(path, offset, bytes);
}

void PokeBytes(const std::string& path, std::int64_t offset,
               const std::vector<unsigned char>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    Require(fd >= 0, "cannot open " + path);
    const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), offset);
    ::close(fd);
    Require(n == static_cast<ssize_t>(bytes.size()), "cannot write into " + path);
}

GeoidGrid MakeGrid(const std::string& path, double spacing, bool bigEndian) {
    GeoidGrid grid;
    grid.path = path;
    grid.latSpacing = spacing;
    grid.lonSpacing = spacing;
    grid.bigEndian = bigEndian;
    grid.lastColumn = static_cast<std::int32_t>(std::lround(360.0 / spacing)) - 1;
    if (grid.lastColumn == 21599) grid.gridSize = GridSize::Grid1x1;
    if (grid.lastColumn == 8639) grid.gridSize = GridSize::Grid2_5x2_5;
    return grid;
}

GeoidGrid WriteTestGrid(const TempDir& dir, double spacing, bool bigEndian,
                        const NodeFunction& value) {
    const GeoidGrid grid =
        MakeGrid(dir.File(bigEndian ? "grid_be" : "grid_le"), spacing, bigEndian);
    const std::int64_t columns = grid.lastColumn + 1;
    WriteGrid(grid.path, Shape{columns / 2 + 1, columns}, bigEndian, value);
    return grid;
}

QueryStatus RecordingReader::Open(const GeoidGrid& grid) {
    ++opens;
    if (inner_ != nullptr) return inner_->Open(grid);
    return openStatus;
}

float RecordingReader::ReadNode(const GeoidGrid& grid, std::int64_t columns, std::int32_t r,
                                std::int32_t c) {
    reads.push_back({r, c});
    columnCounts.push_back(columns);
    const float v = inner_ != nullptr ? inner_->ReadNode(grid, columns, r, c) : value_(r, c);
    values.push_back(v);
    return v;
}

void RecordingReader::Close() {
    ++closes;
    if (inner_ != nullptr) inner_->Close();
}

QueryStatus RecordingReader::CheckRows(const GeoidGrid& grid, std::int64_t columns,
                                       std::int32_t firstRow, std::int32_t lastRow) {
    if (inner_ != nullptr) return inner_->CheckRows(grid, columns, firstRow, lastRow);
    return QueryStatus::StatusOk;
}

namespace {
template <typename Access>
QueryStatus Run(InterpolationMethod method, const GeoidGrid& grid, double latitude,
                double longitude, float& result, Access& access) {
    switch (method) {
        case InterpolationMethod::BiQuadratic:
            return InterpolateBiQuadratic(grid, latitude, longitude, result, access);
        case InterpolationMethod::BiLinear:
            return InterpolateBiLinear(grid, latitude, longitude, result, access);
        case InterpolationMethod::Triangulation:
            return InterpolateTriangulation(grid, latitude, longitude, result, access);
        case InterpolationMethod::NearestNeighbour:
            return LookupNearest(grid, latitude, longitude, result, access);
    }
    throw std::invalid_argument("no routine for this method");
}
}  // namespace

QueryStatus RunRoutine(InterpolationMethod method, const GeoidGrid& grid, double latitude,
                       double longitude, float& result, NodeReader& reader) {
    return Run(method, grid, latitude, longitude, result, reader);
}

QueryStatus RunRoutine(InterpolationMethod method, const GeoidGrid& grid, double latitude,
                       double longitude, float& result, Notifier& notifier) {
    return Run(method, grid, latitude, longitude, result, notifier);
}

float ResultAfterFailure(InterpolationMethod method, float before) {
    const bool presets = method == InterpolationMethod::BiQuadratic ||
                         method == InterpolationMethod::NearestNeighbour;
    return presets ? 9999.999f : before;
}

std::string MethodName(InterpolationMethod method) {
    switch (method) {
        case InterpolationMethod::BiQuadratic: return "BiQuadratic";
        case InterpolationMethod::BiLinear: return "BiLinear";
        case InterpolationMethod::Triangulation: return "Triangulation";
        case InterpolationMethod::NearestNeighbour: return "NearestNeighbour";
    }
    return "Method" + std::to_string(static_cast<int>(method));
}

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

std::string RealGridPath(const std::string& name) {
    return std::string(EGM2008_GRID_DIR) + "/" + name;
}

void ExpectRoundingStepIsTheBound(const GeoidGrid& grid) {
    struct Case {
        double latitude, longitude;        // the point as a computation delivers it
        double boundLatitude, boundLongitude;
    };
    const double belowLon = std::nextafter(360.0, 0.0);  // 359.99999999999994
    const double aboveLat = std::nextafter(-90.0, 0.0);  // -89.99999999999999
    const Case cases[] = {{52.5, belowLon, 52.5, 360.0},
                          {aboveLat, 200.0, -90.0, 200.0},
                          {aboveLat, belowLon, -90.0, 360.0}};
    RecordingNotifier notifier;
    for (const InterpolationMethod method : kMethods) {
        for (const Case& c : cases) {
            SCOPED_TRACE(MethodName(method) + " at " + std::to_string(c.latitude) + ", " +
                         std::to_string(c.longitude));
            float atPoint = -1.0f;
            float atBound = -2.0f;
            EXPECT_EQ(RunRoutine(method, grid, c.latitude, c.longitude, atPoint, notifier),
                      QueryStatus::StatusOk);
            ASSERT_EQ(RunRoutine(method, grid, c.boundLatitude, c.boundLongitude, atBound, notifier),
                      QueryStatus::StatusOk);
            EXPECT_EQ(Bits(atPoint), Bits(atBound));
        }
        // A west longitude a hair below 0 becomes such a point after the +360.
        float shifted = -1.0f;
        float atBound = -2.0f;
        EXPECT_EQ(ComputeUndulation(grid, method, 52.5, -5.684341886080802e-14, shifted, notifier),
                  QueryStatus::StatusOk);
        RunRoutine(method, grid, 52.5, 360.0, atBound, notifier);
        EXPECT_EQ(Bits(shifted), Bits(atBound));
    }
    EXPECT_TRUE(notifier.notices.empty());
}

}  // namespace egm2008::test
