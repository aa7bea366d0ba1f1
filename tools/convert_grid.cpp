// egm2008-convert-grid: turns NGA's 2.5' EGM2008 grid as shipped in Debian's
// geotranz package ("Und_min2.5x2.5_egm2008_WGS84_TideFree_reformatted") into
// the record layout the calculator reads.
//
// Input: a 28-byte big-endian header (int32 pad, int32 rows, int32 columns,
// float64 latitude and longitude spacing in degrees), then rows + 2*pad rows
// of columns + 2*pad + 1 big-endian float32 values, north to south; data row
// r is padded row r + pad, data column c padded column c + pad.
// Output: per row a record marker (row length in bytes), the row's values from
// longitude 0 eastwards, the marker again; rows from 90 N to 90 S; either byte
// order; at 2.5' or at 10' (every 4th row and column: the nodes coincide).
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "engine/file_access.hpp"
#include "engine/geoid_grid.hpp"

namespace {

constexpr std::int32_t kPad = 9;
constexpr std::int32_t kRows = 4321;
constexpr std::int32_t kColumns = 8640;
constexpr std::size_t kHeaderBytes = 28;

std::uint32_t BigEndianWord(const unsigned char* p) { return egm2008::DecodeWord32(p, true); }

double BigEndianDouble(const unsigned char* p) {
    return std::bit_cast<double>((std::uint64_t{BigEndianWord(p)} << 32) | BigEndianWord(p + 4));
}

// The whole file at `path` in `data`; false with errno set when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& data, bool& complete) {
    std::uint64_t length = 0;
    const int fd = egm2008::OpenRegularFile(path, &length);
    if (fd < 0) return false;
    data.resize(static_cast<std::size_t>(length));
    complete = egm2008::ReadAt(fd, data.data(), data.size(), 0);
    ::close(fd);
    return true;
}

void PutWord(std::vector<unsigned char>& out, std::uint32_t word, bool bigEndian) {
    for (int k = 0; k < 4; ++k) {
        const int shift = bigEndian ? 24 - 8 * k : 8 * k;
        out.push_back(static_cast<unsigned char>(word >> shift));
    }
}

// Row r, column c of NGA's padded grid lies at its header plus this many values.
constexpr std::size_t kPaddedColumns = kColumns + 2 * kPad + 1;

// True when `data` holds NGA's header with the 2.5' layout and the whole padded
// grid after it; else `problem` says what is wrong.
bool HeaderFits(const std::vector<unsigned char>& data, const std::string& input,
                std::string& problem) {
    const std::size_t paddedRows = kRows + 2 * kPad;
    const std::size_t expected = kHeaderBytes + paddedRows * kPaddedColumns * 4;
    if (data.size() < kHeaderBytes) {
        problem = "\"" + input + "\" is too short for the header";
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
        problem = "\"" + input + "\" has " + std::to_string(data.size()) + " bytes, expected " +
                  std::to_string(expected);
        return false;
    }
    return true;
}

// The grid file: every `step`-th row and column of NGA's grid, each row between
// its two record markers, in the chosen byte order.
std::vector<unsigned char> ConvertRows(const std::vector<unsigned char>& data, int step,
                                       bool bigEndian) {
    const std::int32_t outColumns = kColumns / step;
    const std::uint32_t marker = static_cast<std::uint32_t>(outColumns) * 4;
    std::vector<unsigned char> out;
    out.reserve(static_cast<std::size_t>(kRows / step + 1) * (marker + 8));
    for (std::int32_t r = 0; r < kRows; r += step) {
        PutWord(out, marker, bigEndian);
        const std::size_t rowStart =
            kHeaderBytes + (static_cast<std::size_t>(r + kPad) * kPaddedColumns) * 4;
        for (std::int32_t c = 0; c < kColumns; c += step) {
            PutWord(out, BigEndianWord(&data[rowStart + static_cast<std::size_t>(c + kPad) * 4]),
                    bigEndian);
        }
        PutWord(out, marker, bigEndian);
    }
    return out;
}

int Fail(const std::string& text) {
    std::cerr << "egm2008-convert-grid: " << text << '\n';
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: egm2008-convert-grid INPUT OUTPUT 2.5|10 big|little\n";
        return 2;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];
    const std::string spacing = argv[3];
    const std::string order = argv[4];
    if ((spacing != "2.5" && spacing != "10") || (order != "big" && order != "little")) {
        std::cerr << "usage: egm2008-convert-grid INPUT OUTPUT 2.5|10 big|little\n";
        return 2;
    }
    const int step = spacing == "10" ? 4 : 1;
    const bool bigEndian = order == "big";

    std::vector<unsigned char> data;
    bool complete = false;
    if (!ReadWholeFile(input, data, complete)) {
        return Fail("cannot open \"" + input + "\": " + std::strerror(errno));
    }
    if (!complete) return Fail("cannot read \"" + input + "\"");

    std::string problem;
    if (!HeaderFits(data, input, problem)) return Fail(problem);
    const std::vector<unsigned char> out = ConvertRows(data, step, bigEndian);

    const std::string temporary = output + ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(out.data()),
                   static_cast<std::streamsize>(out.size()));
        file.close();
        if (!file) {
            std::filesystem::remove(temporary);
            return Fail("cannot write \"" + temporary + "\"");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, output, error);
    if (error)
        return Fail("cannot rename \"" + temporary + "\" to \"" + output +
                    "\": " + error.message());
    return 0;
}
