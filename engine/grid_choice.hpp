// Which grid file a run uses, and what kind of grid it is.
//
// A grid file has no header; its kind shows in its length and its first record
// marker (grid_probe.hpp). The caller may name the size or the byte order; what
// is named must then agree with the file.
//
// A grid is named by a path or by a short name: "10", "2.5" or "1", optionally
// with "-le" or "-be" ("2.5-be"). A name is looked up, by NGA's file names, in
// the grid folders (GridSearchFolders); an existing file of that name in the
// working directory is a path and wins. A name without a byte order takes
// whichever the first folder holding one has, little-endian first. A name
// delivers what it promises: a file under NGA's name whose length and first
// record marker are not those of that name's grid is passed over, with a
// message naming it, and the search goes on.
//
// A model other than EGM2008 has one file (geoid_model.hpp), found by its
// file name in the grid folders, or given by its path; a path's file is
// recognised as whichever model's it is unless a model was asked for.
//
// Without a grid named, the run uses the internal database: the 10'
// little-endian file in the working directory, as the desktop program does,
// else the one installed with the program (beside it in ../share/egm2008, or
// in the install prefix it was built for). Reads the environment and the file
// system only; safe to call from any thread that does not change them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/geoid_grid.hpp"

namespace egm2008::engine {

/// What the caller says about the grid.
struct GridRequest {
    std::optional<std::string> path;  ///< a path or a grid name; none: the internal database
                                      ///< (for an older model: its file in the grid folders)
    std::optional<GridSize> size;     ///< the size the file must have
    std::optional<bool> bigEndian;    ///< the byte order the file must have
    /// The model the grid must be of; none: EGM2008 unless a path's file is another model's.
    std::optional<GeoidModel> model = std::nullopt;
};

/// "10'", "2.5'" or "1'".
const char* SizeName(GridSize size);

/// The spacing of a descriptor's grid: SizeName's for EGM2008, "15'" or "30'" for the others.
const char* SpacingName(const GeoidGrid& grid);

/// What a descriptor's grid is called in outputs: "EGM2008 2.5'", "EGM96 15'", "EGM84 30'".
std::string GridTitle(const GeoidGrid& grid);

/// A grid name taken apart: its size, and its byte order when it names one.
struct GridName {
    GridSize size = GridSize::Grid10x10;
    std::optional<bool> bigEndian;
};

/// "10", "2.5" or "1", optionally followed by "-le" or "-be"; nothing for any other text.
std::optional<GridName> ParseGridName(std::string_view text);

/// NGA's file name of a grid (kGridFileNames): "Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree",
/// "_SE" added for little-endian; "" for a value that is none of the three sizes.
std::string GridFileName(GridSize size, bool bigEndian);

/// The grid folder of the system's own installs ("egm2008 grids install --system").
inline constexpr const char* kSystemGridFolder = "/usr/local/share/egm2008";
/// The grid folder the Debian package fills.
inline constexpr const char* kPackageGridFolder = "/usr/share/egm2008";

/// The user's grid folder, where "egm2008 grids install" puts the grids: $XDG_DATA_HOME/egm2008
/// when XDG_DATA_HOME is an absolute path, else $HOME/.local/share/egm2008 when HOME is set and
/// not empty; none otherwise.
std::optional<std::string> UserGridFolder();

/// The folders grid names are looked up in, in order, whether they exist or not: each entry
/// of $EGM2008_GRID_PATH (colon-separated, empty entries skipped), UserGridFolder() (when
/// there is one), kSystemGridFolder, kPackageGridFolder.
std::vector<std::string> GridSearchFolders();

/// The first of GridSearchFolders() that is a folder; "" when none is.
std::string FirstGridFolder();

/// What a grid name found.
struct NamedGridLookup {
    std::optional<std::string> path;      ///< the file; none when no folder holds one
    std::vector<std::string> passedOver;  ///< a message for each file of NGA's name passed over
};

/// The grid `name` in the first of `folders` that holds a file of its NGA name whose length
/// and first record marker are those of the name's size and byte order; the other files of
/// those names met on the way (another grid, no grid, unreadable) in `passedOver`.
NamedGridLookup FindNamedGrid(const GridName& name, const std::vector<std::string>& folders);

/// An older model's file in the first of `folders` that holds it whole (its length, and for
/// EGM96 its header); the other files of its name met on the way in `passedOver`.
NamedGridLookup FindModelGrid(GeoidModel model, const std::vector<std::string>& folders);

/// The internal database: the working directory's file if there is one, else the installed one.
std::string InternalDatabasePath();

/// What ChooseGrid tells besides the grid.
struct GridChoiceNotes {
    std::string reason;                   ///< why no grid was chosen
    int systemError = 0;                  ///< the errno behind `reason`; 0 when none
    std::vector<std::string> passedOver;  ///< files a grid name passed over (FindNamedGrid)
};

/// Fills `grid` for the file the request names (or the internal database), its size and
/// byte order recognised from the file where the request leaves them open. False with the
/// reason in `notes` when a name is found in no folder, or the file cannot be read or
/// fits no grid layout, or not the one requested.
bool ChooseGrid(const GridRequest& request, GeoidGrid& grid, GridChoiceNotes& notes);

/// The same, telling the reason alone.
bool ChooseGrid(const GridRequest& request, GeoidGrid& grid, std::string& reason);

}  // namespace egm2008::engine
