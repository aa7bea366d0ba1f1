#include "shell/window_memory.hpp"

#include <QFileInfo>
#include <QSettings>
#include <QTabBar>

#include "shell/desktop.hpp"
#include "shell/egm2008_dlg.hpp"
#include "shell/my_tab_ctrl.hpp"
#include "shell/tab_pages.hpp"
#include "tasks/heights/heights_page.hpp"
#include "tasks/lattice/gridmaker.hpp"
#include "tasks/lattice/lattice_format.hpp"
#include "tasks/points/point_file_page.hpp"

namespace egm2008 {

namespace {

using desktop::ToQString;
using desktop::ToStdString;

// The keys, by page.
const QString kInternalKey = QStringLiteral("database/internal");
const QString kExternalPathKey = QStringLiteral("database/externalPath");
const QString kExternalSizeKey = QStringLiteral("database/externalSize");
const QString kExternalBigEndianKey = QStringLiteral("database/externalBigEndian");
const QString kFileInputKey = QStringLiteral("file/input");
const QString kFileOutputKey = QStringLiteral("file/output");
const QString kFileLayoutKey = QStringLiteral("file/layout");
const QString kFileMethodKey = QStringLiteral("file/method");
const QString kGridmakerOutputKey = QStringLiteral("gridmaker/output");
const QString kGridmakerFormatKey = QStringLiteral("gridmaker/format");
const QString kGridmakerMethodKey = QStringLiteral("gridmaker/method");
const QString kHeightsInputKey = QStringLiteral("heights/input");
const QString kHeightsOutputKey = QStringLiteral("heights/output");
const QString kPageKey = QStringLiteral("window/page");
const QString kGeometryKey = QStringLiteral("window/geometry");

// The remembered text of `key`, "" when there is none.
std::string Text(const QSettings& settings, const QString& key) {
    return ToStdString(settings.value(key).toString());
}

// The remembered whole number of `key` when it lies in first..last.
std::optional<int> Number(const QSettings& settings, const QString& key, int first, int last) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    if (!ok || value < first || value > last) return std::nullopt;
    return value;
}

void RestoreDatabase(CEGM2008Dlg& dialog, const QSettings& settings) {
    DatabaseSelection::ExternalGrid external;
    external.path = Text(settings, kExternalPathKey);
    if (external.path.empty()) return;
    external.size = static_cast<GridSize>(Number(settings, kExternalSizeKey, 0, 2).value_or(2));
    external.bigEndian = settings.value(kExternalBigEndianKey).toBool();
    dialog.UseRememberedDatabase(settings.value(kInternalKey, true).toBool(), external);
}

void RestoreFilePage(CTabThree& page, const QSettings& settings) {
    if (const std::string input = Text(settings, kFileInputKey); !input.empty())
        page.SetInputFile(input);
    if (const std::string output = Text(settings, kFileOutputKey); !output.empty())
        page.SetOutputFile(output);
    if (const auto layout =
            Number(settings, kFileLayoutKey, file_ids::kFirstLayout, file_ids::kNmeaLayout))
        page.ChooseLayout(*layout);
    if (const auto method =
            Number(settings, kFileMethodKey, file_ids::kFirstMethod, file_ids::kLastMethod))
        page.ChooseMethod(*method);
}

void RestoreGridmaker(CTabTwo& page, const QSettings& settings) {
    if (const auto format = LatticeFormatNamed(Text(settings, kGridmakerFormatKey)))
        page.ChooseFormat(*format);
    // After the format, which renames an output still named by default.
    if (const std::string output = Text(settings, kGridmakerOutputKey); !output.empty())
        page.SetOutputFile(output);
    if (const auto method = Number(settings, kGridmakerMethodKey, 0, 3))
        page.ChooseMethod(static_cast<InterpolationMethod>(*method));
}

void RestoreHeights(CTabHeights& page, const QSettings& settings) {
    const std::string input = Text(settings, kHeightsInputKey);
    if (!input.empty() && QFileInfo::exists(ToQString(input))) page.SetInputFile(input);
    if (const std::string output = Text(settings, kHeightsOutputKey); !output.empty())
        page.SetOutputFile(output);
}

}  // namespace

std::unique_ptr<QSettings> ProgramSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("egm2008"), QStringLiteral("egm2008"));
}

void SaveWindowMemory(const CEGM2008Dlg& dialog, QSettings& settings) {
    const DatabaseSelection& selection = dialog.selection();
    const DatabaseSelection::ExternalGrid external = selection.External();
    settings.setValue(kInternalKey, selection.useInternal());
    settings.setValue(kExternalPathKey, ToQString(external.path));
    settings.setValue(kExternalSizeKey, static_cast<int>(external.size));
    settings.setValue(kExternalBigEndianKey, external.bigEndian);

    const CMyTabCtrl& tabs = *dialog.tabControl();
    const PointFilePage& file = tabs.filePage()->logic();
    settings.setValue(kFileInputKey, ToQString(file.inputPath()));
    settings.setValue(kFileOutputKey, ToQString(file.outputPath()));
    settings.setValue(kFileLayoutKey, file.layoutRadio());
    settings.setValue(kFileMethodKey, file_ids::kFirstMethod + static_cast<int>(file.method()));

    const GridmakerPage& gridmaker = tabs.gridmakerPage()->logic();
    settings.setValue(kGridmakerOutputKey, ToQString(gridmaker.outputPath()));
    settings.setValue(kGridmakerFormatKey,
                      QString::fromLatin1(LatticeFormatText(gridmaker.format())));
    settings.setValue(kGridmakerMethodKey, static_cast<int>(gridmaker.method()));

    const HeightsPage& heights = tabs.heightsPage()->logic();
    settings.setValue(kHeightsInputKey, ToQString(heights.inputPath()));
    settings.setValue(kHeightsOutputKey, ToQString(heights.outputPath()));

    settings.setValue(kPageKey, tabs.current());
    settings.setValue(kGeometryKey, dialog.saveGeometry());
    settings.sync();
}

void RestoreWindowMemory(CEGM2008Dlg& dialog, QSettings& settings) {
    RestoreDatabase(dialog, settings);
    CMyTabCtrl& tabs = *dialog.tabControl();
    RestoreFilePage(*tabs.filePage(), settings);
    RestoreGridmaker(*tabs.gridmakerPage(), settings);
    RestoreHeights(*tabs.heightsPage(), settings);
    if (const auto page = Number(settings, kPageKey, 0, tabs.count() - 1)) tabs.SelectPage(*page);
    if (const QByteArray geometry = settings.value(kGeometryKey).toByteArray(); !geometry.isEmpty())
        dialog.restoreGeometry(geometry);
}

}  // namespace egm2008
