// The main window: the tab control with the four pages above, the choice of
// the grid database below, "OK"/"Exit" (one place; either ends the program),
// "&Help" (the user manual) and, in its context menu, the About box.
//
// The window owns the one GeoidGrid every calculation reads and the database
// selection that writes it. Esc ends the program as in any dialog; Enter in a
// page's fields runs that page's "Calc!" (tab_pages.hpp), elsewhere it presses
// the default button "OK".
#pragma once

#include <QDialog>
#include <QIcon>
#include <string>

#include "engine/geoid_grid.hpp"
#include "shell/database_selection.hpp"
#include "shell/widget_platform.hpp"

class QButtonGroup;

namespace egm2008 {

class CMyTabCtrl;

/// Dialog IDs of the main window's own controls.
namespace main_id {
inline constexpr int kOk = 1;
inline constexpr int kExit = 2;
inline constexpr int kTabControl = 1017;
inline constexpr int kHelp = 57670;
}  // namespace main_id

/// The program's icon, for the window and the About box.
QIcon ProgramIcon();

/// The About box: icon, version, credit, "OK".
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
    /// Opens the About box modally (the context menu's "&About EGM2008...").
    void ShowAbout();

protected:
    /// Ignored while a run holds the window: the run ends first.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void OnInitDialog(const std::string& workingDirectory);

    GeoidGrid grid_;
    QIcon icon_;
    DatabaseSelection selection_{grid_};
    WidgetDatabaseControls controls_{this};
    CMyTabCtrl* tabs_ = nullptr;
    QButtonGroup* databaseGroup_ = nullptr;
    QButtonGroup* sizeGroup_ = nullptr;
    std::string manualPath_;
};

}  // namespace egm2008
