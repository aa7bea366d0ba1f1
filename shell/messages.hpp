// Every text the desktop program shows on its own, beside the pages' texts
// (tasks/messages.hpp) and the engine's (engine/messages.hpp). The captions of
// the controls belong to the dialog layouts that place them.
#pragma once

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
    "byte format.";

/// Esc while a page's field holds text typed since its "Calc!".
inline constexpr const char* kQuitQuestion = "Quit EGM2008?";

}  // namespace egm2008
