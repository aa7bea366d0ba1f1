// egm2008-grid-to-pgm: writes a grid file of ours (record layout, 90 N to 90 S,
// longitude 0 eastwards) in the PGM format that GeographicLib's Geoid class
// and GeoidEval read, so that peers can be measured on the same grid data:
// "P5", "# Offset" and "# Scale" comment lines, width, height, 65535, then
// big-endian 16-bit values; height in metres = offset + scale * value.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "engine/file_access.hpp"
#include "engine/geoid_grid.hpp"

namespace {

constexpr double kOffset = -108.0;
constexpr double kScale = 0.003;

// Maps the whole file at `path`; false when it cannot be opened or mapped, or is empty.
bool MapFile(const std::string& path, egm2008::engine::ReadOnlyMapping& mapping) {
    std::uint64_t length = 0;
    const int fd = egm2008::engine::OpenRegularFile(path, &length);
    if (fd < 0) return false;
    const bool mapped =
        mapping.Map(fd, length, egm2008::engine::ReadOnlyMapping::Access::Sequential);
    ::close(fd);
    return mapped;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::string(argv[3]) != "big" && std::string(argv[3]) != "little")) {
        std::cerr << "usage: egm2008-grid-to-pgm GRIDFILE OUTPUT.pgm big|little\n";
        return 2;
    }
    const bool bigEndian = std::string(argv[3]) == "big";
    egm2008::engine::ReadOnlyMapping data;
    if (!MapFile(argv[1], data) || data.size() < 4) {
        std::cerr << "egm2008-grid-to-pgm: cannot read \"" << argv[1] << "\"\n";
        return 1;
    }
    const std::uint32_t marker = egm2008::engine::DecodeWord32(data.data(), bigEndian);
    const std::size_t columns = marker / 4;  // a row's values, as the record marker counts them
    const std::size_t record = (columns + 2) * 4;
    if (columns == 0 || marker % 4 != 0 || data.size() % record != 0) {
        std::cerr << "egm2008-grid-to-pgm: \"" << argv[1]
                  << "\" is not a grid file in that byte order\n";
        return 1;
    }
    const std::size_t rows = data.size() / record;
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << "P5\n"
        << "# Geoid file in PGM format for the GeographicLib::Geoid class\n"
        << "# Description EGM2008 tide-free undulations converted from an NGA grid file\n"
        << "# Offset " << kOffset << "\n"
        << "# Scale " << kScale << "\n"
        << columns << ' ' << rows << "\n65535\n";
    std::vector<unsigned char> row(columns * 2);
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < columns; ++c) {
            const std::int64_t offset = egm2008::engine::NodeOffset(
                static_cast<std::int64_t>(columns), static_cast<std::int64_t>(r),
                static_cast<std::int64_t>(c));
            const float value = egm2008::engine::DecodeFloat32(data.data() + offset, bigEndian);
            double level = std::round((value - kOffset) / kScale);
            level = level < 0 ? 0 : (level > 65535 ? 65535 : level);
            const auto v = static_cast<std::uint16_t>(level);
            row[2 * c] = static_cast<unsigned char>(v >> 8);
            row[2 * c + 1] = static_cast<unsigned char>(v & 0xff);
        }
        out.write(reinterpret_cast<const char*>(row.data()),
                  static_cast<std::streamsize>(row.size()));
    }
    out.close();
    if (!out) {
        std::cerr << "egm2008-grid-to-pgm: cannot write \"" << argv[2] << "\"\n";
        return 1;
    }
    return 0;
}
