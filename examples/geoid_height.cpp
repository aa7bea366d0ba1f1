// N at one point: geoid_height GRID LAT LON (GRID a grid file's path or name).
#include <egm2008/geoid.hpp>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: geoid_height GRID LAT LON\n");
        return 2;
    }
    try {
        const egm2008::Geoid geoid = egm2008::Geoid::open(argv[1]);
        const egm2008::Result n = geoid.undulation(std::atof(argv[2]), std::atof(argv[3]));
        if (!n.ok()) return 1;
        std::printf("%.3f\n", static_cast<double>(n.metres));
    } catch (const egm2008::Error& error) {
        std::fprintf(stderr, "geoid_height: %s\n", error.what());
        return 1;
    }
    return 0;
}
