// egm2008-convert-grid: turns NGA's 2.5' EGM2008 grid as shipped in Debian's
// geotranz package ("Und_min2.5x2.5_egm2008_WGS84_TideFree_reformatted") into
// the record layout the calculator reads.
//
// The layout of both is told in engine/nga_grid.hpp, which does the conversion.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "engine/file_access.hpp"
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

    // Under a name of its own beside the output, renamed into place once written whole.
    egm2008::engine::ReplacementFile file;
    const int fd = file.Create(output);
    std::FILE* stream = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (stream == nullptr) {
        const int error = errno;
        if (fd >= 0) ::close(fd);
        return Fail("cannot write \"" + output + "\": " + std::strerror(error));
    }
    const bool written = std::fwrite(out.data(), 1, out.size(), stream) == out.size();
    const int error = errno;
    if (std::fclose(stream) != 0 || !written) {
        return Fail("cannot write \"" + output + "\": " + std::strerror(written ? errno : error));
    }
    const std::string temporary = file.path();
    if (!file.Replace()) {
        return Fail("cannot rename \"" + temporary + "\" to \"" + output +
                    "\": " + std::strerror(errno));
    }
    return 0;
}
