#include "shell/egm2008_app.hpp"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTimer>
#include <filesystem>

#include "shell/desktop.hpp"
#include "shell/dialog_layout.hpp"
#include "shell/egm2008_dlg.hpp"
#include "shell/messages.hpp"
#include "shell/my_tab_ctrl.hpp"
#include "shell/window_memory.hpp"
#include "shell/working_folder.hpp"

namespace egm2008 {

namespace {

constexpr const char* kManualName = "egm2008-manual.html";

// Installed data: beside the program (a relocated install) first, then where this build installs.
std::vector<std::string> DataCandidates() {
    const QString besideProgram = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                                  QStringLiteral("/../share/egm2008"));
    return {desktop::ToStdString(besideProgram), EGM2008_INSTALLED_DATA_DIR};
}

}  // namespace

WorkingFolderChoice EnterWorkingFolder() {
    const std::string current = CurrentFolder();
    const QString userFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
        QStringLiteral("/egm2008");
    std::string chosen = ChooseWorkingFolder(current, FindInstalledData(DataCandidates()),
                                             desktop::ToStdString(userFolder));
    // Without a folder of its own the program still starts, in the home folder.
    if (chosen.empty()) chosen = desktop::ToStdString(QDir::homePath());
    if (chosen != current) QDir::setCurrent(desktop::ToQString(chosen));

    WorkingFolderChoice choice;
    choice.folder = CurrentFolder();
    if (choice.folder.empty()) choice.folder = chosen;
    if (current.empty()) choice.notices.push_back(WorkingFolderLostMessage(choice.folder));
    const QString internal = desktop::ToQString(choice.folder + "/" + kInternalGridName);
    if (!QFileInfo::exists(internal)) {
        choice.notices.push_back(InternalDatabaseMissingMessage(desktop::ToStdString(internal)));
    }
    return choice;
}

std::string FindManual() {
    std::vector<std::string> candidates = DataCandidates();
    candidates.push_back(EGM2008_SOURCE_MANUAL_DIR);
    for (const std::string& folder : candidates) {
        const QString path =
            desktop::ToQString(folder) + QLatin1Char('/') + QLatin1String(kManualName);
        if (QFileInfo::exists(path))
            return desktop::ToStdString(QFileInfo(path).canonicalFilePath());
    }
    // Where an install puts it: "Help" names that place when it is not there.
    return std::string(EGM2008_INSTALLED_DATA_DIR) + "/" + kManualName;
}

bool SaveScreenshots(CEGM2008Dlg& dialog, const QString& folder) {
    static const char* const kNames[] = {"manual.png", "gridmaker.png", "file.png", "info.png",
                                         "heights.png"};
    QDir().mkpath(folder);
    CMyTabCtrl* tabs = dialog.tabControl();
    // A sample point on the first page, so that its picture shows results.
    QWidget* manual = tabs->page(0);
    FindControlAs<QLineEdit>(manual, 1000)->setText(QStringLiteral("52.5"));
    FindControlAs<QLineEdit>(manual, 1001)->setText(QStringLiteral("13.4"));
    FindControlAs<QPushButton>(manual, 1002)->click();
    bool saved = true;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->tabBar()->setCurrentIndex(i);
        QApplication::processEvents();
        saved = dialog.grab().save(folder + QLatin1Char('/') + QLatin1String(kNames[i])) && saved;
    }
    tabs->tabBar()->setCurrentIndex(0);
    return saved;
}

bool CEGM2008App::InitInstance(const QStringList& arguments) {
    QApplication::setWindowIcon(ProgramIcon());
    const WorkingFolderChoice start = EnterWorkingFolder();
    CEGM2008Dlg dialog(start.folder, FindManual());
    const qsizetype flag = arguments.indexOf(QStringLiteral("--screenshots"));
    const bool screenshots = flag >= 0 && flag + 1 < arguments.size();
    // The pictures show the window as it starts the first time.
    const std::unique_ptr<QSettings> settings = ProgramSettings();
    if (!screenshots) RestoreWindowMemory(dialog, *settings);
    if (screenshots) {
        dialog.show();
        QApplication::processEvents();
        SaveScreenshots(dialog, arguments.at(flag + 1));
        return false;
    }
    // Told once, over the window, as soon as it shows.
    QTimer::singleShot(0, &dialog, [&dialog, &start] {
        for (const std::string& notice : start.notices) {
            desktop::ShowMessage(&dialog, notice, NoticeIcon::Error);
        }
    });
    dialog.exec();
    SaveWindowMemory(dialog, *settings);
    return false;
}

}  // namespace egm2008
