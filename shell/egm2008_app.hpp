// The application object: picks the working folder, runs the main window
// modally with what the last session left (window_memory.hpp), remembers what
// this one leaves, and ends the program when the window closes, whichever
// button closed it.
#pragma once

#include <QStringList>
#include <string>
#include <vector>

namespace egm2008 {

class CEGM2008Dlg;

class CEGM2008App {
public:
    /// Runs the main window; returns false, so that the program ends when it closes.
    /// `arguments` may hold the hidden "--screenshots FOLDER", which saves a
    /// picture of each page instead of waiting for the user.
    bool InitInstance(const QStringList& arguments);
};

/// The working folder the program settled in, and what to tell the user of it.
struct WorkingFolderChoice {
    std::string folder;
    std::vector<std::string> notices;  ///< a lost start folder, a missing internal database
};

/// Moves into the per-user working folder when the program runs installed or
/// was started in a folder that no longer exists (see working_folder.hpp).
WorkingFolderChoice EnterWorkingFolder();

/// The user manual "&Help" opens: beside the installed data, or in the source
/// tree; where an install puts it when it is in neither.
std::string FindManual();

/// Saves "manual.png", "gridmaker.png", "file.png" and "info.png" of `dialog`'s pages into
/// `folder`.
bool SaveScreenshots(CEGM2008Dlg& dialog, const QString& folder);

}  // namespace egm2008
