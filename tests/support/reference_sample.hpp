// The independently computed engine results on the real grids (tests/data/real,
// copied from the shared reference data): per row a query of ComputeUndulation,
// the status it returns and the bits of its result. The file's grid is named in
// tests/data/real's README.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace egm2008::test {

/// One row: lat,lon,method,status,value_hex.
struct ReferenceRow {
    double latitude = 0.0;
    double longitude = 0.0;
    int method = 0;  ///< 0 bi-quadratic, 1 bi-linear, 2 triangulation, 3 nearest
    int status = 0;  ///< 0 ok, 1 outside, 2 error
    std::uint32_t bits = 0;
};

/// The rows of tests/data/real/`csv`; throws std::runtime_error when it cannot be read.
std::vector<ReferenceRow> ReadReferenceSample(const std::string& csv);

}  // namespace egm2008::test
