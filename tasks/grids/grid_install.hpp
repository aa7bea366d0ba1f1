// The grids in the grid folders, and their making.
//
// ListGrids finds the grids the grid folders hold (engine/grid_choice.hpp) by
// NGA's file names and tells what each is: its size and byte order from its
// length and first record marker, whether that is what its name promises, and
// whether its SHA-256 is the one known for its name's grid (engine/known_grids.hpp).
//
// InstallGrids makes the known grids (EGM2008 10' and 2.5', both byte orders;
// the EGM96 and EGM84 files as the package holds them) in a folder from Debian's
// geotranz package (scripts/setup-grids.sh runs it): the
// package file from the cache folder, checked against its known SHA-256 (else
// "apt-get download geotranz=<version>" into a folder of its own in the cache),
// the members needed extracted with dpkg-deb and tar into a folder of its own,
// converted (engine/nga_grid.hpp) or copied into a file of its own beside the grid
// (ReplacementFile, engine/file_access.hpp) and checked against its known
// SHA-256 before it takes its name. Grids already present with
// their digest are kept; works offline when the package file is in the cache.
// Runs external programs (in a process group of their own) and writes files.
// Two runs at once share no temporary name; the last to finish a grid renames
// it into place. A stop request (tasks/common/run_stop.hpp) ends the run within a row
// or a tenth of a second: the external program's group is killed, and what the
// run had begun (the download and extraction folders, a grid not yet named) removed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/common/run_stop.hpp"

namespace egm2008 {

/// A grid file found in a grid folder.
struct FoundGrid {
    std::string path;
    GeoidModel model = GeoidModel::Egm2008;    ///< the model its file name is that of
    GridSize namedSize = GridSize::Grid10x10;  ///< the grid its NGA file name is that of
    bool namedBigEndian = false;
    std::optional<GridSize> size;         ///< none: its length is no grid's
    std::optional<bool> bigEndian;        ///< none: its first record marker fits neither order
    std::optional<GeoidModel> fileModel;  ///< the older model whose file it is, if any
    /// Its size and byte order are the ones its file name promises; a grid name passes over
    /// it when not.
    bool asNamed = false;
    /// The file's SHA-256 is the known one for its name's grid; none when no digest is known
    /// (1' grids) or the file is not as named.
    std::optional<bool> knownDigest;
};

/// The grid files in `folders` by NGA's file names, folder by folder, 10' first, little-endian
/// first, then the older models' files by their names.
std::vector<FoundGrid> ListGrids(const std::vector<std::string>& folders);

/// Where "egm2008 grids install" puts the grids: the user's grid folder (UserGridFolder), or
/// with `system` kSystemGridFolder; both are grid folders a name is looked up in. None when
/// the user has no grid folder (neither XDG_DATA_HOME nor HOME set).
std::optional<std::string> InstallFolder(bool system);

/// Where the geotranz package file is looked for and downloaded to:
/// ${EGM2008_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/egm2008}; none when all three are unset
/// or empty.
std::optional<std::string> PackageCacheFolder();

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
    bool stopped = false;           ///< ended by a stop request, with its temporary files removed
    std::string problem;            ///< why it failed, one line
    std::vector<std::string> made;  ///< paths of the grids made by this run
    std::vector<std::string> kept;  ///< paths of the grids already there with their digest
};

/// Makes the known grids of `models` (every model when empty: EGM2008's four grids, the
/// EGM96 and EGM84 files) in `folder` (made when missing) from the geotranz package in
/// `cache` (made when missing), until `stop` is requested.
InstallOutcome InstallGrids(const std::string& folder, const std::string& cache,
                            InstallObserver& observer, const RunStop& stop = {},
                            const std::vector<GeoidModel>& models = {});

}  // namespace egm2008
