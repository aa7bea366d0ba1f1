// NGA's grid as geotranz ships it: what CheckNgaGrid refuses before any
// conversion. The conversion itself is held to the known digests by the
// install test (tests/tasks/grid_install_test.cpp) on the real package.
#include "engine/nga_grid.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace egm2008::engine {
namespace {

void PutBig(std::vector<unsigned char>& out, std::uint64_t value, int bytes) {
    for (int k = bytes - 1; k >= 0; --k)
        out.push_back(static_cast<unsigned char>(value >> (8 * k)));
}

// NGA's 28-byte header: pad, rows, columns, and the two spacings in degrees.
std::vector<unsigned char> Header(std::uint32_t pad, std::uint32_t rows, double spacing) {
    std::vector<unsigned char> data;
    PutBig(data, pad, 4);
    PutBig(data, rows, 4);
    PutBig(data, 8640, 4);
    PutBig(data, std::bit_cast<std::uint64_t>(spacing), 8);
    PutBig(data, std::bit_cast<std::uint64_t>(spacing), 8);
    return data;
}

struct Refusal {
    const char* name;
    std::vector<unsigned char> data;
    std::string problem;
};

TEST(CheckNgaGrid, RefusesWhatIsNotTheWholeGrid) {
    const Refusal cases[] = {
        {"ShortHeader", std::vector<unsigned char>(27), "\"g\" is too short for the header"},
        {"OtherPad", Header(8, 4321, 1.0 / 24),
         "unexpected header: pad 8, rows 4321, columns 8640, spacings 0.0416666666667 and "
         "0.0416666666667 (expected 9, 4321, 8640, 1/24 and 1/24)"},
        {"OtherSpacing", Header(9, 4321, 1.0 / 60),
         "unexpected header: pad 9, rows 4321, columns 8640, spacings 0.0166666666667 and "
         "0.0166666666667 (expected 9, 4321, 8640, 1/24 and 1/24)"},
        {"HeaderAlone", Header(9, 4321, 1.0 / 24),
         "\"g\" has 28 bytes, expected " + std::to_string(kNgaGridLength)},
    };
    for (const Refusal& c : cases) {
        std::string problem;
        EXPECT_FALSE(CheckNgaGrid(c.data, "g", problem)) << c.name;
        EXPECT_EQ(problem, c.problem) << c.name;
    }
}

}  // namespace
}  // namespace egm2008::engine
