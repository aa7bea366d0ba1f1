#include "tests/support/grid_files.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace egm2008::test {

using namespace engine;

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

void WriteModelGrid(const std::string& path, GeoidModel model, const NodeFunction& value) {
    const bool egm96 = model == GeoidModel::Egm96;
    Require(egm96 || model == GeoidModel::Egm84, "no file layout for EGM2008 here");
    const std::int32_t rows = egm96 ? 721 : 361;
    const std::int32_t columns = egm96 ? 1440 : 720;  // before 360
    std::vector<unsigned char> bytes;
    if (egm96) {
        for (const float h : {-90.0f, 90.0f, 0.0f, 360.0f, 0.25f, 0.25f}) {
            PutWord(bytes, std::bit_cast<std::uint32_t>(h), true);
        }
    }
    for (std::int32_t r = 0; r < rows; ++r) {
        for (std::int32_t c = 0; c <= columns; ++c) {
            const float v = value(r, c == columns ? 0 : c);
            if (egm96) {
                PutWord(bytes, std::bit_cast<std::uint32_t>(v), true);
            } else {
                const auto word = std::bit_cast<std::uint64_t>(static_cast<double>(v));
                PutWord(bytes, static_cast<std::uint32_t>(word >> 32), true);
                PutWord(bytes, static_cast<std::uint32_t>(word), true);
            }
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
    out.close();
    Require(!out.fail(), "cannot write " + path);
}

void WriteConstantGrid(const std::string& path, float value, bool bigEndian) {
    WriteGrid(path, kShape10, bigEndian, [value](std::int32_t, std::int32_t) { return value; });
}

void WriteZeroGrid(const std::string& path, Shape shape, bool bigEndian) {
    // Many records at a time: the 1' size has 933 MB to write.
    std::vector<unsigned char> record;
    PutWord(record, static_cast<std::uint32_t>(4 * shape.columns), bigEndian);
    record.resize(record.size() + static_cast<std::size_t>(4 * shape.columns), 0);
    PutWord(record, static_cast<std::uint32_t>(4 * shape.columns), bigEndian);
    const std::int64_t perChunk = std::max<std::int64_t>(1, (8 << 20) / std::ssize(record));
    std::vector<unsigned char> chunk;
    for (std::int64_t k = 0; k < perChunk; ++k) {
        chunk.insert(chunk.end(), record.begin(), record.end());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::int64_t r = 0; r < shape.rows && out.good(); r += perChunk) {
        const std::int64_t rows = std::min(perChunk, shape.rows - r);
        out.write(reinterpret_cast<const char*>(chunk.data()), rows * std::ssize(record));
    }
    out.close();
    Require(!out.fail(), "cannot write " + path);
}

void WriteProbedGrid(const std::string& path, Shape shape, bool bigEndian) {
    std::filesystem::remove(path);
    { std::ofstream created(path, std::ios::binary); }
    std::filesystem::resize_file(path,
                                 static_cast<std::uintmax_t>(shape.rows * (shape.columns + 2) * 4));
    PokeWord(path, 0, static_cast<std::uint32_t>(4 * shape.columns), bigEndian);
}

void PokeWord(const std::string& path, std::int64_t offset, std::uint32_t word, bool bigEndian) {
    std::vector<unsigned char> bytes;
    PutWord(bytes, word, bigEndian);
    PokeBytes(path, offset, bytes);
}

void PokeFloat(const std::string& path, std::int64_t offset, float value, bool bigEndian) {
    PokeWord(path, offset, std::bit_cast<std::uint32_t>(value), bigEndian);
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

GeoidGrid WriteSmallGrid(const std::string& path, double spacing, bool bigEndian,
                         const NodeFunction& value) {
    const GeoidGrid grid = MakeGrid(path, spacing, bigEndian);
    const std::int64_t columns = grid.lastColumn + 1;
    WriteGrid(path, Shape{columns / 2 + 1, columns}, bigEndian, value);
    return grid;
}

}  // namespace egm2008::test
