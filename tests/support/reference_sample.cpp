#include "tests/support/reference_sample.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace egm2008::test {

std::vector<ReferenceRow> ReadReferenceSample(const std::string& csv) {
    const std::string path = std::string(EGM2008_TEST_DATA_DIR) + "/real/" + csv;
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line) || line != "lat,lon,method,status,value_hex") {
        throw std::runtime_error("no reference sample in " + path);
    }
    std::vector<ReferenceRow> rows;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        ReferenceRow row;
        // strtod reads the shortest round-trip text back to the same double.
        char* end = nullptr;
        row.latitude = std::strtod(line.c_str(), &end);
        if (*end == ',') row.longitude = std::strtod(end + 1, &end);
        unsigned bits = 0;
        if (std::sscanf(end, ",%d,%d,%x", &row.method, &row.status, &bits) != 3) {
            throw std::runtime_error("unreadable reference row: " + line);
        }
        row.bits = bits;
        rows.push_back(row);
    }
    return rows;
}

}  // namespace egm2008::test
