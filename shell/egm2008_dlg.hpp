// The main window: the tab control with the five pages above, the choice of
// the grid database below, "Exit", "Help" (the user manual) and "About" (also
// in its context menu), and at the bottom a status line: the database in use,
// what a run did, and a run's meter with its Cancel button, hidden until a run
// shows them. The window opens at the size its layout asks for where the screen
// has room; on a smaller screen (down to 1280 x 720) the pages scroll.
//
// The window owns the one GeoidGrid every calculation reads and the database
// selection that writes it. Keys: Enter on a calculation page's controls runs
// that page's "Calc!" (tab_pages.hpp) and does nothing elsewhere, as no button
// is a default; "Exit", the close button and Ctrl+Q end the program; Esc stops
// a run and else does nothing; Ctrl+Tab, Ctrl+Shift+Tab and Ctrl+1..Ctrl+5
// switch pages. While a run holds the window, nothing ends it.
#pragma once

#include <QDialog>
#include <QIcon>
#include <string>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "shell/database_selection.hpp"
#include "shell/status_label.hpp"
#include "shell/widget_platform.hpp"

class QButtonGroup;
class QProgressBar;
class QPushButton;

namespace egm2008 {

class CMyTabCtrl;

/// Dialog IDs of the main window's own controls, and of the About box's "OK".
namespace main_id {
inline constexpr int kOk = 1;  ///< the About box's
inline constexpr int kExit = 2;
inline constexpr int kAbout = 16;
inline constexpr int kTabControl = 1017;
inline constexpr int kHelp = 57670;
}  // namespace main_id

/// The program's icon, for the window and the About box.
QIcon ProgramIcon();

/// The About box: icon, version, credit, licence, the data's source, "OK".
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent);
};

class CEGM2008Dlg : public QDialog {
    Q_OBJECT
public:
    /// `workingDirectory` holds the internal database and the default files;
    /// `manualPath` is what "&Help" opens.
    CEGM2008Dlg(const std::string& workingDirectory, const std::string& manualPath,
                QWidget* parent = nullptr);
    ~CEGM2008Dlg() override;

    CMyTabCtrl* tabControl() const { return tabs_; }
    const GeoidGrid& grid() const { return grid_; }
    const DatabaseSelection& selection() const { return selection_; }
    /// Opens the About box modally ("About" and the context menu's "&About EGM2008...").
    void ShowAbout();
    /// The database of the last session: `external` selected, or remembered for
    /// "External" while the internal database stays selected (`internal`).
    void UseRememberedDatabase(bool internal, const DatabaseSelection::ExternalGrid& external);

    /// The status line: the database in use (left), what a run did (stretching),
    /// a run's meter and its "&Cancel" (both hidden until a run shows them).
    StatusLabel* databaseStatus() const { return databaseStatus_; }
    StatusLabel* runStatus() const { return runStatus_; }
    QProgressBar* runProgress() const { return runProgress_; }
    QPushButton* runCancel() const { return runCancel_; }

    /// Ends the window (Exit, close button, Ctrl+Q); ignored while a run holds it.
    void reject() override;

protected:
    /// Esc and Enter do nothing here (a run takes Esc first, the pages Enter).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    QLayout* BuildDatabaseControls();
    QLayout* BuildStatusLine();
    void BuildShortcuts();
    // After any change of the database: the manual page's results go, the status line follows.
    void DatabaseChanged();
    // A grid path typed into the path field: the file's contents tell its kind
    // when they can, else its name.
    void UseTypedGridPath(const std::string& path);
    void ShowDatabase();
    void OnInitDialog(const std::string& workingDirectory);
    // The size the window opens at: what its layout asks for, within the screen's room.
    QSize StartSize() const;

    GeoidGrid grid_;
    QIcon icon_;
    DatabaseSelection selection_{grid_};
    WidgetDatabaseControls controls_{this};
    CMyTabCtrl* tabs_ = nullptr;
    QButtonGroup* databaseGroup_ = nullptr;
    QButtonGroup* sizeGroup_ = nullptr;
    QButtonGroup* modelGroup_ = nullptr;
    StatusLabel* databaseStatus_ = nullptr;
    StatusLabel* runStatus_ = nullptr;
    QProgressBar* runProgress_ = nullptr;
    QPushButton* runCancel_ = nullptr;
    std::string manualPath_;
};

}  // namespace egm2008
