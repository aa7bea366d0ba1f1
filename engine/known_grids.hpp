// The grid files whose contents are known to the byte: the 10' and 2.5' grids,
// in both byte orders, converted from NGA's 2.5' grid in Debian's geotranz
// package ("egm2008 grids install" makes them; scripts/setup-grids.sh calls it),
// each told by its SHA-256 (its file name is GridFileName's); and the package
// file they are made from, told by its SHA-256 too.
#pragma once

#include <string>
#include <string_view>

#include "engine/geoid_grid.hpp"

namespace egm2008::engine {

struct KnownGrid {
    GridSize size;
    bool bigEndian;
    const char* sha256;  ///< 64 lowercase hexadecimal digits
};

// clang-format off
inline constexpr KnownGrid kKnownGrids[] = {
    {GridSize::Grid10x10, false, "98ae13fa146a0a4e5469d35d62b5b34c84a13fbb17b9fdb98fb1928c73305eba"},
    {GridSize::Grid10x10, true, "418c304684c5c9fd80708d0591c379ef30b3d560ba3db1f13fe2e2468e15e480"},
    {GridSize::Grid2_5x2_5, false, "ab6f8b94076f78707d1cdae7b066b93a786a0c64b52449e20cf1a1a2f4e74daf"},
    {GridSize::Grid2_5x2_5, true, "d5d8fb11e80c131e6eaac39f0f407b19b413347f95a9e6e4590ec36fc9c5d6f6"},
};
// clang-format on

/// Debian's package file the grids are made from: its name (as apt-get download names it), the
/// version apt-get is asked for, and its SHA-256.
struct KnownPackage {
    const char* fileName;
    const char* version;
    const char* sha256;  ///< 64 lowercase hexadecimal digits
};

inline constexpr KnownPackage kGeotranzPackage = {
    "geotranz_3.7-3_all.deb", "3.7-3",
    "32ede66cfb930e3ca7298453e2678b674dd7935d5dfb25ac00c85ad43350783e"};

/// The known grid with this SHA-256 (lowercase hexadecimal); nullptr for any other digest.
const KnownGrid* KnownGridWithDigest(std::string_view sha256);

/// The known digest of the grid of this size and byte order; nullptr when there is none (1').
const char* KnownDigestOf(GridSize size, bool bigEndian);

/// The SHA-256 of the whole file at `path` as lowercase hexadecimal; false (errno set) when it
/// cannot be opened or read.
bool FileSha256(const std::string& path, std::string& sha256);

}  // namespace egm2008::engine
