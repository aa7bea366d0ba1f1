// Where the program works. Run from a folder that holds the internal database
// (the development folder run/, or any folder a user prepared), it stays
// there. Started anywhere else while an installed database exists, it moves
// to a folder of the user's own, made on first start with links to the
// installed database and version notes and a copy of the sample point file,
// so that its default output files can be written. Started in a folder that
// no longer exists, it works in the user's folder too.
#pragma once

#include <string>
#include <vector>

namespace egm2008 {

/// Name of the version notes the Info page opens.
inline constexpr const char* kVersionNotesName = "MorvexEGM2008version.txt";
/// Name of the sample point file (the file page's default input).
inline constexpr const char* kSamplePointFileName = "input.dat";

/// The installed data folder among `candidates` (the first holding the internal database); "" when
/// none.
std::string FindInstalledData(const std::vector<std::string>& candidates);

/// The folder the process works in; "" when it cannot be told (it was removed).
std::string CurrentFolder();

/// The folder to work in: `current` when it holds the internal database or
/// `installedData` is ""; otherwise `userFolder`, created when missing and
/// given the links and the sample it lacks. `current` again when that fails.
/// A `current` of "" (a folder that no longer exists) always gives `userFolder`,
/// made when missing, or "" when it cannot be made.
std::string ChooseWorkingFolder(const std::string& current, const std::string& installedData,
                                const std::string& userFolder);

}  // namespace egm2008
