// What the window remembers from one session to the next: the grid database
// (internal or external, and the external file with its size and byte order),
// the files, layout, formats and methods of the pages, the page shown and the
// window's place and size. The program saves them when its window ends and
// restores them before the next window shows; a value that is missing or no
// longer fits leaves the page as it starts. On the "Heights" page a remembered
// input that no longer exists is left out, as its preview would fail.
//
// The values live in the user's settings (QSettings, organisation and
// application "egm2008": ~/.config/egm2008/egm2008.conf); tests point QSettings
// elsewhere.
#pragma once

#include <memory>

class QSettings;

namespace egm2008 {

class CEGM2008Dlg;

/// The program's own settings, under organisation and application "egm2008".
std::unique_ptr<QSettings> ProgramSettings();

/// Writes what `dialog` shows now into `settings`.
void SaveWindowMemory(const CEGM2008Dlg& dialog, QSettings& settings);

/// Gives `dialog` what `settings` remember; call it before the window shows.
void RestoreWindowMemory(CEGM2008Dlg& dialog, QSettings& settings);

}  // namespace egm2008
