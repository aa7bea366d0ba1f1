// The grid files whose contents are known to the byte: the EGM2008 10' and 2.5'
// grids, in both byte orders, converted from NGA's 2.5' grid in Debian's
// geotranz package ("egm2008 grids install" makes them; scripts/setup-grids.sh
// calls it), and the EGM96 and EGM84 files as the package holds them, each told
// by its SHA-256 (its file name is KnownGridFileName's); and the package file
// they come from, told by its SHA-256 too.
#pragma once

#include <string>
#include <string_view>

#include "engine/geoid_grid.hpp"

namespace egm2008::engine {

struct KnownGrid {
    GeoidModel model;
    GridSize size;       ///< an EGM2008 grid's; the older models have one file each
    bool bigEndian;      ///< an EGM2008 grid's; the older models' files are big-endian
    const char* sha256;  ///< 64 lowercase hexadecimal digits
};

// clang-format off
inline constexpr KnownGrid kKnownGrids[] = {
    {GeoidModel::Egm2008, GridSize::Grid10x10, false, "98ae13fa146a0a4e5469d35d62b5b34c84a13fbb17b9fdb98fb1928c73305eba"},
    {GeoidModel::Egm2008, GridSize::Grid10x10, true, "418c304684c5c9fd80708d0591c379ef30b3d560ba3db1f13fe2e2468e15e480"},
    {GeoidModel::Egm2008, GridSize::Grid2_5x2_5, false, "ab6f8b94076f78707d1cdae7b066b93a786a0c64b52449e20cf1a1a2f4e74daf"},
    {GeoidModel::Egm2008, GridSize::Grid2_5x2_5, true, "d5d8fb11e80c131e6eaac39f0f407b19b413347f95a9e6e4590ec36fc9c5d6f6"},
    {GeoidModel::Egm96, GridSize::Grid10x10, true, "2babe341e8e04db11447e823ac0dfe4b17f37fd24c7966bb6aeab85a30d9a733"},
    {GeoidModel::Egm84, GridSize::Grid10x10, true, "cd054602792e20b8043b7387eef2727854213aec45b3a6f696829af8b33dcb5d"},
};
// clang-format on

/// The file name a known grid has in a grid folder: NGA's (GridFileName) or the older model's.
std::string KnownGridFileName(const KnownGrid& grid);

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

/// The known digest of the EGM2008 grid of this size and byte order; nullptr when there is
/// none (1').
const char* KnownDigestOf(GridSize size, bool bigEndian);

/// The known digest of an older model's file; nullptr for EGM2008.
const char* KnownDigestOf(GeoidModel model);

/// The SHA-256 of the whole file at `path` as lowercase hexadecimal; false (errno set) when it
/// cannot be opened or read.
bool FileSha256(const std::string& path, std::string& sha256);

}  // namespace egm2008::engine
