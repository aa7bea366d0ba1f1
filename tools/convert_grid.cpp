// egm2008-convert-grid: turns NGA's 2.5' EGM2008 grid as shipped in Debian's
// geotranz package ("Und_min2.5x2.5_egm2008_WGS84_TideFree_reformatted") into
// the record layout the calculator reads.
//
// The layout of both is told in engine/nga_grid.hpp, which does the conversion.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "engine/nga_grid.hpp"

namespace {

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
    const egm2008::engine::GridSize size = spacing == "10" ? egm2008::engine::GridSize::Grid10x10
                                                           : egm2008::engine::GridSize::Grid2_5x2_5;
    const bool bigEndian = order == "big";

    std::vector<unsigned char> data;
    std::string problem;
    if (!egm2008::engine::ReadNgaGrid(input, data, problem)) return Fail(problem);
    const std::vector<unsigned char> out = egm2008::engine::ConvertNgaGrid(data, size, bigEndian);

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
