// Every text the desktop program shows on its own, beside the pages' texts
// (tasks/messages.hpp) and the engine's (engine/messages.hpp). The captions of
// the controls belong to the dialog layouts that place them.
#pragma once

#include <string>

namespace egm2008 {

/// Title of every message box.
inline constexpr const char* kMessageTitle = "EGM2008";

/// The internal database failed its spacing check.
inline constexpr const char* kInitGeoidErrorMessage = "Error - Init Geoid";

/// "Help" on the database selection.
inline constexpr const char* kDatabaseHelpText =
    "Here you use the internal 10'x10'-database.\n\n"
    "If you like to use an original database, select External database and specify the file "
    "and the grid size.\n\n"
    "Samples:\n"
    "File \"Und_min1x1_egm2008_isw=82_WGS84_TideFree_SE\" is a 1'x1' gridfile in Small Endian "
    "byte format.\n"
    "File \"Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree\" is a 2.5'x2.5' gridfile in Big Endian "
    "byte format.\n\n"
    "EGM96 and EGM84: choose the model, and its file (egm96.grd, wwgrid.bin) is taken from the "
    "grid folders, or choose the file itself.";

/// "View", "Version Info" or "Help" named a file that is not there.
inline std::string FileToShowMissingMessage(const std::string& path) {
    return "The file \"" + path + "\" does not exist.";
}

/// The desktop's launcher (xdg-open) could not be started for `path`.
inline std::string ViewerNotStartedMessage(const std::string& path) {
    return "No viewer could be started for \"" + path +
           "\".\nThe desktop's launcher xdg-open (Debian package xdg-utils) is missing.";
}

/// No viewer could be started for the user manual at `path` ("Help").
inline std::string ManualNotShownMessage(const std::string& path) {
    return "No viewer could be started for the user manual.\nOpen it in a web browser: \"" + path +
           "\"";
}

/// The grid file dialog: its title and the files it offers.
inline constexpr const char* kGridDialogTitle = "Choose an EGM2008 grid file";
inline constexpr const char* kGridDialogFilter = "EGM2008 grids (Und_min*);;All files (*)";

/// Started in a folder that no longer exists, the program works in `folder`.
inline std::string WorkingFolderLostMessage(const std::string& folder) {
    return "The folder EGM2008 was started in no longer exists.\nIt works in \"" + folder +
           "\" instead.";
}

/// The internal database is not in the working folder.
inline std::string InternalDatabaseMissingMessage(const std::string& path) {
    return "The internal database was not found.\nEGM2008 looked for \"" + path +
           "\".\n\nMake it with scripts/setup-grids.sh in the source folder (it builds the "
           "grids from NGA's data in Debian's geotranz package), or choose an external grid "
           "file below.";
}

}  // namespace egm2008
