#include "engine/nga_grid.hpp"

#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <cstdio>

#include "engine/file_access.hpp"
#include "engine/grid_probe.hpp"

namespace egm2008::engine {

namespace {

constexpr std::int32_t kPad = 9;
constexpr std::int32_t kRows = 4321;
constexpr std::int32_t kColumns = 8640;
constexpr std::size_t kHeaderBytes = 28;
// Row r, column c of NGA's padded grid lies at its header plus this many values.
constexpr std::size_t kPaddedColumns = kColumns + 2 * kPad + 1;

std::uint32_t BigEndianWord(const unsigned char* p) { return DecodeWord32(p, true); }

double BigEndianDouble(const unsigned char* p) {
    return std::bit_cast<double>((std::uint64_t{BigEndianWord(p)} << 32) | BigEndianWord(p + 4));
}

void PutWord(std::vector<unsigned char>& out, std::uint32_t word, bool bigEndian) {
    for (int k = 0; k < 4; ++k) {
        const int shift = bigEndian ? 24 - 8 * k : 8 * k;
        out.push_back(static_cast<unsigned char>(word >> shift));
    }
}

// Every step-th row and column of NGA's grid makes the grid of `size`.
std::int32_t StepOf(GridSize size) { return size == GridSize::Grid10x10 ? 4 : 1; }

}  // namespace

bool CheckNgaGrid(const std::vector<unsigned char>& data, const std::string& name,
                  std::string& problem) {
    const std::size_t paddedRows = kRows + 2 * kPad;
    const std::size_t expected = kHeaderBytes + paddedRows * kPaddedColumns * 4;
    if (data.size() < kHeaderBytes) {
        problem = "\"" + name + "\" is too short for the header";
        return false;
    }
    const auto pad = static_cast<std::int32_t>(BigEndianWord(&data[0]));
    const auto rows = static_cast<std::int32_t>(BigEndianWord(&data[4]));
    const auto columns = static_cast<std::int32_t>(BigEndianWord(&data[8]));
    const double latSpacing = BigEndianDouble(&data[12]);
    const double lonSpacing = BigEndianDouble(&data[20]);
    if (pad != kPad || rows != kRows || columns != kColumns ||
        std::fabs(latSpacing - 1.0 / 24) > 1e-12 || std::fabs(lonSpacing - 1.0 / 24) > 1e-12) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "unexpected header: pad %d, rows %d, columns %d, spacings %.12g and %.12g "
                      "(expected 9, 4321, 8640, 1/24 and 1/24)",
                      pad, rows, columns, latSpacing, lonSpacing);
        problem = text;
        return false;
    }
    if (data.size() != expected) {
        problem = "\"" + name + "\" has " + std::to_string(data.size()) + " bytes, expected " +
                  std::to_string(expected);
        return false;
    }
    return true;
}

bool ReadNgaGrid(const std::string& path, std::vector<unsigned char>& data, std::string& problem) {
    std::uint64_t length = 0;
    const int fd = OpenRegularFile(path, &length);
    if (fd < 0) {
        problem = "cannot open \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    data.resize(static_cast<std::size_t>(length));
    const bool complete = ReadAt(fd, data.data(), data.size(), 0);
    const int error = errno;
    ::close(fd);
    if (!complete) {
        problem = "cannot read \"" + path + "\": " + std::strerror(error);
        return false;
    }
    return CheckNgaGrid(data, path, problem);
}

std::int32_t ConvertedRows(GridSize size) { return (kRows - 1) / StepOf(size) + 1; }

void AppendConvertedRow(const std::vector<unsigned char>& data, GridSize size, bool bigEndian,
                        std::int32_t row, std::vector<unsigned char>& out) {
    const std::int32_t step = StepOf(size);
    const auto marker = static_cast<std::uint32_t>(kColumns / step) * 4;
    const std::int32_t r = row * step;
    PutWord(out, marker, bigEndian);
    const std::size_t rowStart =
        kHeaderBytes + (static_cast<std::size_t>(r + kPad) * kPaddedColumns) * 4;
    for (std::int32_t c = 0; c < kColumns; c += step) {
        PutWord(out, BigEndianWord(&data[rowStart + static_cast<std::size_t>(c + kPad) * 4]),
                bigEndian);
    }
    PutWord(out, marker, bigEndian);
}

std::vector<unsigned char> ConvertNgaGrid(const std::vector<unsigned char>& data, GridSize size,
                                          bool bigEndian) {
    std::vector<unsigned char> out;
    out.reserve(static_cast<std::size_t>(GridFileLength(size)));
    for (std::int32_t row = 0; row < ConvertedRows(size); ++row) {
        AppendConvertedRow(data, size, bigEndian, row, out);
    }
    return out;
}

}  // namespace egm2008::engine
