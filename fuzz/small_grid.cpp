#include "fuzz/small_grid.hpp"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace egm2008::fuzz {

namespace {

constexpr double kSpacing = 30.0;

}  // namespace

const GeoidGrid& SmallGrid() {
    static const GeoidGrid grid = [] {
        char name[] = "/tmp/egm2008-fuzz-grid-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0) ::close(fd);
        GeoidGrid g;
        g.path = name;
        g.latSpacing = kSpacing;
        g.lonSpacing = kSpacing;
        g.lastColumn = 11;
        std::string bytes;
        const auto put = [&bytes](std::uint32_t word) {
            for (int k = 0; k < 4; ++k)
                bytes.push_back(static_cast<char>((word >> (8 * k)) & 0xFFu));
        };
        for (int r = 0; r < 7; ++r) {
            put(12 * 4);
            for (int c = 0; c < 12; ++c) {
                float v = static_cast<float>(10 * r - 3 * c) + 0.5f;
                if (r == 3 && c == 5) v = -1500.0f;
                if (r == 2 && c == 8) v = 1500.0f;
                std::uint32_t word;
                std::memcpy(&word, &v, 4);
                put(word);
            }
            put(12 * 4);
        }
        if (FILE* file = std::fopen(name, "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
        return g;
    }();
    return grid;
}

}  // namespace egm2008::fuzz
