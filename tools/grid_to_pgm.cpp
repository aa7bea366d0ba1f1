// egm2008-grid-to-pgm: writes a grid file of ours (record layout, 90 N to 90 S,
// longitude 0 eastwards) in the PGM format that GeographicLib's Geoid class
// and GeoidEval read, so that peers can be measured on the same grid data:
// "P5", "# Offset" and "# Scale" comment lines, width, height, 65535, then
// big-endian 16-bit values; height in metres = offset + scale * value.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr double kOffset = -108.0;
constexpr double kScale = 0.003;

std::uint32_t Word(const unsigned char* p, bool bigEndian) {
    return bigEndian ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3]
                     : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::string(argv[3]) != "big" && std::string(argv[3]) != "little")) {
        std::cerr << "usage: egm2008-grid-to-pgm GRIDFILE OUTPUT.pgm big|little\n";
        return 2;
    }
    const bool bigEndian = std::string(argv[3]) == "big";
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() < 4) {
        std::cerr << "egm2008-grid-to-pgm: cannot read \"" << argv[1] << "\"\n";
        return 1;
    }
    const std::uint32_t marker = Word(data.data(), bigEndian);
    const std::size_t columns = marker / 4;
    const std::size_t record = (columns + 2) * 4;
    if (columns == 0 || marker % 4 != 0 || data.size() % record != 0) {
        std::cerr << "egm2008-grid-to-pgm: \"" << argv[1] << "\" is not a grid file in that byte order\n";
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
            float value;
            const std::uint32_t bits = Word(&data[r * record + 4 + c * 4], bigEndian);
            std::memcpy(&value, &bits, sizeof value);
            double level = std::round((value - kOffset) / kScale);
            level = level < 0 ? 0 : (level > 65535 ? 65535 : level);
            const auto v = static_cast<std::uint16_t>(level);
            row[2 * c] = static_cast<unsigned char>(v >> 8);
            row[2 * c + 1] = static_cast<unsigned char>(v & 0xff);
        }
        out.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
    }
    out.close();
    if (!out) {
        std::cerr << "egm2008-grid-to-pgm: cannot write \"" << argv[2] << "\"\n";
        return 1;
    }
    return 0;
}
