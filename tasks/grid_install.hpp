// The grids in the grid folders, and their making.
//
// ListGrids finds the grids the grid folders hold (engine/grid_choice.hpp) by
// NGA's file names and tells what each is: its size and byte order from its
// length and first record marker, and whether its SHA-256 is the one known for
// a grid of that kind (engine/known_grids.hpp).
//
// InstallGrids makes the four known grids (10' and 2.5', both byte orders) in a
// folder from Debian's geotranz package, as scripts/setup-grids.sh does: the
// package file from the cache folder (else "apt-get download geotranz" into it),
// its grid member extracted with dpkg-deb and tar, converted (engine/nga_grid.hpp)
// and each result checked against its known SHA-256 before it takes its name.
// Grids already present with their digest are kept; works offline when the
// package file is in the cache. Runs external programs and writes files; one
// run at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"

namespace egm2008 {

/// A grid file found in a grid folder.
struct FoundGrid {
    std::string path;
    std::optional<GridSize> size;   ///< none: its length is no grid's
    std::optional<bool> bigEndian;  ///< none: its first record marker fits neither order
    /// The file's SHA-256 is the known one for its kind; none when no digest is known for its
    /// kind (1' grids, or files that are no grid) and none was computed.
    std::optional<bool> knownDigest;
};

/// The grid files in `folders` by NGA's file names, folder by folder, 10' first, little-endian
/// first.
std::vector<FoundGrid> ListGrids(const std::vector<std::string>& folders);

/// Where "egm2008 grids install" puts the grids: ~/.local/share/egm2008, or with `system`
/// /usr/local/share/egm2008 (the second and first of the grid folders after $EGM2008_GRID_PATH).
std::string InstallFolder(bool system);

/// Where the geotranz package file is looked for and downloaded to:
/// ${EGM2008_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/egm2008}.
std::string PackageCacheFolder();

/// What an install tells while it runs.
class InstallObserver {
public:
    virtual ~InstallObserver() = default;
    /// A step begins: `text` says which ("extracting the 2.5' grid from geotranz_3.7-3_all.deb").
    virtual void Step(const std::string& text) = 0;
    /// Rows of the grids written so far, of all to write.
    virtual void Rows(std::uint64_t done, std::uint64_t total) = 0;
};

/// What an install did.
struct InstallOutcome {
    bool ok = false;
    std::string problem;            ///< why it failed, one line
    std::vector<std::string> made;  ///< paths of the grids made by this run
    std::vector<std::string> kept;  ///< paths of the grids already there with their digest
};

/// Makes the four known grids in `folder` (made when missing) from the geotranz package in
/// `cache`.
InstallOutcome InstallGrids(const std::string& folder, const std::string& cache,
                            InstallObserver& observer);

}  // namespace egm2008
