// The choice of the grid database in the lower half of the main window.
//
// Two states: Internal (the 10'x10' little-endian file in the working folder,
// checked by ValidateGrid) and External (any grid file, its spacing and byte
// order set from what the file holds, its length and first record marker
// (JudgeGridFile), else from its name, and by hand, which insists). Switching to Internal remembers
// the external path, spacings and byte order; switching back restores them.
// Every selection writes into the one GeoidGrid the main window owns, so the
// next calculation on any page uses it.
//
// The model radios choose EGM2008 (all of the above) or an older model, EGM96
// or EGM84, whose one file (geoid_model.hpp) is the external file when that is
// the model's, else the one ChooseGrid finds in the grid folders. A file chosen,
// typed or dropped that is an older model's file sets its model; one that is not
// brings EGM2008 back. While an older model is chosen the database is external
// and the size and byte-order controls are disabled; EGM2008, or the internal
// radio, brings back the EGM2008 grid used before. The logic reaches the window only
// through DatabaseControls, so tests run it without one.
#pragma once

#include <optional>
#include <string>

#include "engine/geoid_grid.hpp"
#include "engine/grid_probe.hpp"
#include "engine/notifier.hpp"
#include "tasks/engine_names.hpp"
#include "shell/messages.hpp"

namespace egm2008 {

/// Dialog IDs of the database controls of the main window.
namespace database_id {
inline constexpr int kInternal = 1029;      ///< radio "Internal Database (10' x 10')"
inline constexpr int kHelp = 1028;          ///< push button "?"
inline constexpr int kExternal = 1030;      ///< radio "External Database (EGM2008-File)"
inline constexpr int kChooseFile = 1006;    ///< push button "EGM-File"
inline constexpr int kPath = 1021;          ///< the grid path, typed or chosen
inline constexpr int kGrid1x1 = 1024;       ///< radio "1' x 1' Grid"
inline constexpr int kGrid2_5 = 1025;       ///< radio "2.5' x 2.5'  Grid"
inline constexpr int kGrid10 = 1026;        ///< radio "10' x 10'  Grid"
inline constexpr int kBigEndian = 1023;     ///< check box "Big Endian"
inline constexpr int kModelEgm2008 = 1027;  ///< radio "EGM2008"
inline constexpr int kModelEgm96 = 1031;    ///< radio "EGM96"
inline constexpr int kModelEgm84 = 1032;    ///< radio "EGM84"
}  // namespace database_id

/// What the selection needs of the window: its controls by ID, the open-file
/// dialog and (through Notifier) the message box.
class DatabaseControls : public Notifier {
public:
    /// Checks or unchecks radio button or check box `id`.
    virtual void SetChecked(int id, bool checked) = 0;
    /// Whether radio button or check box `id` is checked.
    virtual bool IsChecked(int id) = 0;
    /// Enables or disables control `id`.
    virtual void SetEnabled(int id, bool enabled) = 0;
    /// Replaces the text of control `id`.
    virtual void SetText(int id, const std::string& text) = 0;
    /// Runs the open-file dialog, opened in `folder` ("": the desktop's choice); the chosen
    /// full path, or "" when cancelled.
    virtual std::string OpenFileDialog(const std::string& folder) = 0;
};

/// A grid file recognised by its name.
struct RecognisedGrid {
    GridSize size;
    bool bigEndian;
};

/// The grid a path names: the first of the five published names (little-endian
/// names first, each big-endian name being a prefix of its twin) whose first
/// occurrence in `path` starts at position 1 or later; nothing when none does.
std::optional<RecognisedGrid> RecogniseGridName(const std::string& path);

class DatabaseSelection {
public:
    /// `grid` is the main window's descriptor; it must outlive the selection.
    explicit DatabaseSelection(GeoidGrid& grid) : grid_(grid) {}

    /// Start-up: the internal database in `workingDirectory` is selected and checked.
    void Initialise(DatabaseControls& controls, const std::string& workingDirectory);
    /// Radio 1029: remembers the external settings (on every click), selects and checks the
    /// internal file, and shows its size and byte order in the disabled controls.
    void SelectInternalDatabase(DatabaseControls& controls);
    /// Radio 1030: restores the remembered external settings; no check runs.
    void SelectExternalDatabase(DatabaseControls& controls);
    /// Button 1006: the dialog opens in the first grid folder that exists (FirstGridFolder);
    /// the chosen path becomes the grid path, its size and byte order those the file holds
    /// (else those its name tells, else as they were); a cancelled dialog changes nothing.
    void ChooseGridFile(DatabaseControls& controls);
    /// A grid path chosen or typed: it becomes the grid path, its size and byte order
    /// taken from its contents, where they tell, else from its name, else left as they were.
    void UseGridPath(DatabaseControls& controls, const std::string& path);
    /// A grid file dropped on the window: the external database becomes `path`, its size
    /// and byte order taken as UseGridPath takes them.
    void UseGridFile(DatabaseControls& controls, const std::string& path);
    /// A remembered external grid: the external database becomes `path` with the size and
    /// byte order the user had set.
    void UseGridFile(DatabaseControls& controls, const std::string& path, GridSize size,
                     bool bigEndian);
    /// Radios 1024 to 1026: spacing, grid size and last column; byte order untouched.
    void SelectGridSize(GridSize size);
    /// Radios 1027, 1031 and 1032: the model. An older model takes the external file when it
    /// is the model's, else its file in the grid folders (ChooseGrid); when there is none, the
    /// reason goes to the message box and the model stays as it was. EGM2008 brings back the
    /// EGM2008 grid, internal or external, used before the older model.
    void SelectModel(DatabaseControls& controls, GeoidModel model);
    /// Check box 1023: big-endian exactly when the box is checked.
    void ReadByteOrder(DatabaseControls& controls);
    /// Shows the grid path, the model, the grid-size radio that fits the latitude spacing and the
    /// byte order, and enables the controls the database and model leave open.
    void RefreshDatabaseControls(DatabaseControls& controls);
    /// Button 1028: the help text, no icon.
    void ShowHelp(DatabaseControls& controls);

    /// The database in use as the status line shows it: "Internal database: EGM2008 10' x 10',
    /// little-endian, <file name> in <folder>". After the file name, in brackets, what is
    /// wrong with the file ("truncated: 5.0 of 9.3 MB") and, when the size or byte order
    /// chosen is not the file's, what the file is ("the file is 10' x 10', little-endian").
    /// An older model's grid is told by its title: "External database: EGM96 15', egm96.grd
    /// in <folder>".
    std::string Description() const;

    /// An external database: its file, size and byte order.
    struct ExternalGrid {
        std::string path;
        GridSize size = GridSize::Grid10x10;
        bool bigEndian = false;
    };
    /// The external database in use, or the one radio 1030 brings back while the internal is.
    ExternalGrid External() const;
    /// Remembers `grid` as the external database radio 1030 brings back, selecting nothing.
    void RememberExternal(const ExternalGrid& grid);

    bool useInternal() const { return useInternal_; }
    const std::string& internalPath() const { return internalPath_; }
    const std::string& savedExternalPath() const { return savedExternalPath_; }

private:
    // The grid path becomes `path`, and the size and byte order the file's; an older model's
    // file becomes that model's grid, any other file brings EGM2008 back.
    void TakeGridFile(const std::string& path);
    // The external settings radio 1030 brings back become the grid's.
    void SaveExternal();
    // The older model's grid `chosen` replaces the grid, the EGM2008 one remembered.
    void UseOlderModel(const GeoidGrid& chosen);
    // The EGM2008 grid used before an older model comes back, internal or external.
    void RestoreEgm2008();
    // What the file at the grid path is, judged again whenever the path changes.
    void JudgeFile();
    // What the status line adds after the file's name: "" when nothing is amiss.
    std::string FileNotes() const;

    GeoidGrid& grid_;
    GridVerdict verdict_;
    std::string savedExternalPath_;
    std::string internalPath_;
    double savedLatSpacing_ = 0.0;
    double savedLonSpacing_ = 0.0;
    bool savedBigEndian_ = false;
    bool useInternal_ = false;
    // The EGM2008 grid, and whether it was the internal one, while an older model is used.
    GeoidGrid saved2008_;
    bool saved2008Internal_ = false;
};

}  // namespace egm2008
