// The desktop window, offscreen: controls found by their dialog IDs within
// their own dialog or page, clicks and keys as a user gives them, message
// boxes, questions, file dialogs and the launcher answered by the test.
// Layouts are checked by comparing rectangles, at two font sizes.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSettings>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "engine/grid_choice.hpp"
#include "engine/query_routines.hpp"
#include "shell/desktop.hpp"
#include "shell/dialog_layout.hpp"
#include "shell/egm2008_dlg.hpp"
#include "shell/file_drop.hpp"
#include "shell/long_run.hpp"
#include "shell/map_window.hpp"
#include "shell/my_tab_ctrl.hpp"
#include "shell/report_dialog.hpp"
#include "shell/tab_pages.hpp"
#include "shell/window_memory.hpp"
#include "tasks/lattice/gridmaker.hpp"
#include "tasks/heights/heights_page.hpp"
#include "tasks/points/point_file_page.hpp"
#include "tests/support/dem_files.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/nmea_text.hpp"
#include "tests/support/process_state.hpp"

using namespace egm2008;

namespace {

const QString kGridDir = QStringLiteral(EGM2008_GRID_DIR);
const QString kInternalName = QString::fromLatin1(kInternalGridName);
const QString kBigEndian2_5 = QStringLiteral("Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree");

struct Message {
    std::string text;
    NoticeIcon icon;
};

struct Launch {
    std::string path;
};

// The value of a reference undulation as its hex bits give it, shown as the page shows it.
QString Shown(std::uint32_t bits) {
    return QString::asprintf("%.4f", static_cast<double>(std::bit_cast<float>(bits)));
}

QStringList ReadLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
    return lines;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsOnTheManualPageWithTheInternalDatabase();
    void fitsA1280x720Screen();
    void tabFollowsTheReadingOrder_data();
    void tabFollowsTheReadingOrder();
    void statusLinesCutLongTextsAndKeepThemWhole();
    void refusedFieldsAreMarkedBesideThemselves();
    void aChosenGridIsJudgedAtOnce();
    void controlIdsAreUniqueWithinEachDialogAndPage();
    void layoutGrowsWithoutOverlapOrClipping_data();
    void layoutGrowsWithoutOverlapOrClipping();
    void internalExternalRoundTripRemembersTheSettings();
    void pickedGridFilesAreRecognisedByName();
    void cancellingTheGridDialogKeepsThePath();
    void radioGroupsAreIndependent();
    void modelRadiosChooseTheOlderModelsGrids();
    void tabClicksSwitchPagesAndARepeatedClickChangesNothing();
    void keyboardTabSelectionSwitchesPages();
    void enterInAPageFieldRunsThatPagesCalc();
    void enterPressesCalcOnlyOnCalculationPages_data();
    void enterPressesCalcOnlyOnCalculationPages();
    void quitKeysAndButtons_data();
    void quitKeysAndButtons();
    void pageShortcutsMnemonicsAndTabStops();
    void manualCalculationOnTheInternalGrid();
    void manualCalculationOnAPickedBigEndianGrid();
    void aMissingGridIsReportedOnce();
    void gridmakerRunWritesItsFile();
    void gridmakerShowMapReadsOutTheNodeUnderTheMouse();
    void pointFileRunWritesItsFileAndKeepsPainting();
    void theRealSaveDialogAsksBeforeOverwritingAndCancelKeepsThePath();
    void viewersOpenExistingFilesAndTellWhatFailed();
    void helpButtonsAndAboutBox();
    void theRealLauncherIsNotWaitedFor();
    void aLongRunLeavesTheWindowResponsiveAndCancelStopsIt();
    void droppedGridsAndFilesAreToldApart();
    void cancellingALongPointFileRunKeepsThePreviousOutput();
    void heightsPageReadsADroppedFileAndItsPickersChooseTheColumns();
    void checkReceiverServesGgaLogsAndItsReportIsCopied();
    void heightsPageDelimiterAndDecimalMarkDriveThePreviewAndTheRun();
    void heightsPageShowsARasterAndMapsItsConvertedHeights();
    void typedPathsReachThePagesAndTheDatabase();
    void theLastSessionIsRememberedAndRestored();

private:
    QWidget* Main(int id) const { return FindControl(dialog_.get(), id); }
    QWidget* Page(int index) const { return dialog_->tabControl()->page(index); }
    QWidget* OnPage(int index, int id) const { return FindControl(Page(index), id); }
    // A caption as the user reads it, without its key mark.
    QString Text(QWidget* control) const {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return QString(button->text()).remove(QLatin1Char('&'));
        if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
        return QStringLiteral("<no such control>");
    }
    bool Checked(QWidget* control) const {
        auto* button = qobject_cast<QAbstractButton*>(control);
        return button != nullptr && button->isChecked();
    }
    void Click(QWidget* control) {
        QVERIFY(control != nullptr);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
    }
    void Type(QWidget* field, const QString& text) {
        auto* edit = qobject_cast<QLineEdit*>(field);
        QVERIFY(edit != nullptr);
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    void ClickTab(int index) {
        QTabBar* bar = dialog_->tabControl()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    QString Work(const QString& name) const { return QDir::current().absoluteFilePath(name); }
    void NewDialog() {
        dialog_ = std::make_unique<CEGM2008Dlg>(QDir::currentPath().toStdString(),
                                                Work(QStringLiteral("manual.html")).toStdString());
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    }
    void CheckPageLayouts();
    std::vector<QWidget*> Scopes() const {
        return {dialog_.get(), Page(0), Page(1), Page(2), Page(3), Page(4)};
    }
    bool HaveGrid(const QString& name) const {
        return QFile::exists(kGridDir + QLatin1Char('/') + name);
    }

    std::unique_ptr<QTemporaryDir> folder_;
    QString previousFolder_;
    std::unique_ptr<CEGM2008Dlg> dialog_;
    std::vector<Message> messages_;
    std::deque<std::string> dialogAnswers_;
    std::vector<desktop::FileDialogKind> dialogKinds_;
    std::vector<std::string> dialogFolders_;
    std::vector<Launch> launches_;
    bool launcherStarts_ = true;
    std::vector<std::string> questions_;
};

void MainWindowTest::init() {
    previousFolder_ = QDir::currentPath();
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    QVERIFY(QDir::setCurrent(folder_->path()));
    QFile::link(kGridDir + QLatin1Char('/') + kInternalName, Work(kInternalName));

    messages_.clear();
    dialogAnswers_.clear();
    dialogKinds_.clear();
    dialogFolders_.clear();
    launches_.clear();
    desktop::SetMessageHook([this](QWidget*, const std::string& text, NoticeIcon icon) {
        messages_.push_back({text, icon});
    });
    desktop::SetFileDialogHook(
        [this](QWidget*, desktop::FileDialogKind kind, const std::string& folder) {
            dialogKinds_.push_back(kind);
            dialogFolders_.push_back(folder);
            if (dialogAnswers_.empty()) return std::string();
            std::string answer = dialogAnswers_.front();
            dialogAnswers_.pop_front();
            return answer;
        });
    launcherStarts_ = true;
    desktop::SetLauncherHook([this](const std::string& path) {
        launches_.push_back({path});
        return launcherStarts_;
    });
    QFile manual(Work(QStringLiteral("manual.html")));
    QVERIFY(manual.open(QIODevice::WriteOnly));
    questions_.clear();
    desktop::SetQuestionHook([this](QWidget*, const std::string& text) {
        questions_.push_back(text);
        return false;
    });
    NewDialog();
}

void MainWindowTest::cleanup() {
    dialog_.reset();
    desktop::SetMessageHook({});
    desktop::SetFileDialogHook({});
    desktop::SetLauncherHook({});
    desktop::SetQuestionHook({});
    desktop::SetReportHook({});
    QDir::setCurrent(previousFolder_);
    folder_.reset();
}

void MainWindowTest::startsOnTheManualPageWithTheInternalDatabase() {
    CMyTabCtrl* tabs = dialog_->tabControl();
    QCOMPARE(tabs->count(), 5);
    QCOMPARE(tabs->tabBar()->tabText(0), QStringLiteral("EGM2008 Manual Calc"));
    QCOMPARE(tabs->tabBar()->tabText(3), QStringLiteral("Info"));
    QCOMPARE(tabs->tabBar()->tabText(4), QStringLiteral("Heights"));
    QCOMPARE(Page(4)->objectName(), QStringLiteral("1022"));
    QCOMPARE(tabs->current(), 0);
    QVERIFY(Page(0)->isVisible());
    QVERIFY(!Page(1)->isVisible() && !Page(2)->isVisible() && !Page(3)->isVisible() &&
            !Page(4)->isVisible());
    QVERIFY(dialog_->windowTitle().startsWith(QStringLiteral("Morvex EGM2008 Calculator")));
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    QCOMPARE(QApplication::focusWidget(), OnPage(0, 1000));
    // The status line is there for the runs; its meter and Cancel wait hidden.
    QCOMPARE(dialog_->databaseStatus()->objectName(), QStringLiteral("databaseStatus"));
    QCOMPARE(dialog_->runStatus()->objectName(), QStringLiteral("runStatus"));
    QVERIFY(dialog_->databaseStatus()->isVisible() && dialog_->runStatus()->isVisible());
    QVERIFY(!dialog_->runProgress()->isVisible() && !dialog_->runCancel()->isVisible());
    QCOMPARE(Text(dialog_->runCancel()), QStringLiteral("Cancel"));
    // The icon's pictures are in the program's resources.
    QVERIFY(!ProgramIcon().pixmap(48, 48).isNull());

    QCOMPARE(Text(Main(1021)), Work(kInternalName));
    QVERIFY(Checked(Main(1029)) && !Checked(Main(1030)));
    QVERIFY(Checked(Main(1026)) && !Checked(Main(1024)) && !Checked(Main(1025)));
    QVERIFY(!Checked(Main(1023)));
    for (int id : {1023, 1024, 1025, 1026, 1006, 1021})
        QVERIFY2(!Main(id)->isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(messages_.empty());

    for (int id : {1000, 1001, 1003, 1004, 1005, 1006}) QVERIFY(Text(OnPage(0, id)).isEmpty());
    QVERIFY(Checked(OnPage(1, 1047)));
    QVERIFY(Text(OnPage(1, 1034)).isEmpty());
    QCOMPARE(Text(OnPage(2, 1035)), Work(QStringLiteral("input.dat")));
    QCOMPARE(Text(OnPage(2, 1038)), Work(QStringLiteral("output.dat")));
    QVERIFY(Checked(OnPage(2, 1040)) && Checked(OnPage(2, 1047)));
    QCOMPARE(Text(OnPage(2, 1002)), QStringLiteral("Calc!"));
}

void MainWindowTest::controlIdsAreUniqueWithinEachDialogAndPage() {
    for (QWidget* scope : Scopes()) {
        std::set<QString> seen;
        for (QWidget* control : ScopeMembers(scope)) {
            if (control->objectName().isEmpty()) continue;
            QVERIFY2(seen.insert(control->objectName()).second, qPrintable(control->objectName()));
        }
    }
    // Controls in a page's frame are found; the pages' controls are not the window's.
    QVERIFY(qobject_cast<QLineEdit*>(OnPage(1, 1034)) != nullptr);
    QVERIFY(FindControl(dialog_.get(), 1034) == nullptr);
    QCOMPARE(Main(1017), dialog_->tabControl());
    // The same ID in two places: each lookup finds its own dialog's control.
    QCOMPARE(Text(Main(1006)), QStringLiteral("EGM-File"));
    QVERIFY(qobject_cast<QLineEdit*>(OnPage(0, 1006)) != nullptr);
    QCOMPARE(Text(OnPage(1, 1006)), QStringLiteral("Output-File"));
    QCOMPARE(Text(OnPage(2, 1029)), QStringLiteral("View"));
    QCOMPARE(Text(Main(1029)), QStringLiteral("Internal Database (10' x 10')"));
}

namespace {

// Where the field draws its cursor, with the text as far scrolled as its last painting left it.
int CursorLeft(QLineEdit* field) {
    return field->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
}

}  // namespace

// Every page in turn: within each frame the visible controls lie inside it and
// cover no sibling, and no caption is cut.
void MainWindowTest::CheckPageLayouts() {
    CMyTabCtrl* tabs = dialog_->tabControl();
    for (int index = 0; index < tabs->count(); ++index) {
        tabs->SelectPage(index);
        QApplication::processEvents();
        QList<QWidget*> frames{dialog_.get(), tabs, Page(index)->parentWidget(), Page(index)};
        for (QGroupBox* group : Page(index)->findChildren<QGroupBox*>()) frames << group;
        for (QWidget* frame : frames) {
            QList<QWidget*> controls;
            for (QWidget* child :
                 frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (child->isVisible()) controls << child;
            }
            for (qsizetype i = 0; i < controls.size(); ++i) {
                QWidget* control = controls[i];
                const QString what = frame->objectName() + QLatin1Char('/') +
                                     QLatin1String(control->metaObject()->className()) +
                                     QLatin1Char(' ') + Text(control);
                QVERIFY2(frame->rect().contains(control->geometry()), qPrintable(what));
                // The status line's texts are cut at the window's edge by design.
                const bool cutByDesign =
                    control->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored;
                if (!cutByDesign &&
                    (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLabel*>(control)))
                    QVERIFY2(control->width() >= control->sizeHint().width(), qPrintable(what));
                for (qsizetype j = i + 1; j < controls.size(); ++j) {
                    QVERIFY2(!control->geometry().intersects(controls[j]->geometry()),
                             qPrintable(what + QStringLiteral(" / ") + Text(controls[j])));
                }
            }
        }
    }
    tabs->SelectPage(0);
}

void MainWindowTest::layoutGrowsWithoutOverlapOrClipping_data() {
    QTest::addColumn<int>("pointSize");
    QTest::newRow("9 pt") << 9;
    QTest::newRow("18 pt") << 18;
}

void MainWindowTest::layoutGrowsWithoutOverlapOrClipping() {
    QFETCH(int, pointSize);
    const QFont previous = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(previous); });
    QFont font = previous;
    font.setPointSize(pointSize);
    QApplication::setFont(font);
    NewDialog();
    // It opens as large as its layout asks for, within the screen's room (the offscreen
    // screen is small: see fitsA1280x720Screen); here it is given what it asks for.
    const QSize room = dialog_->screen()->availableGeometry().size();
    QVERIFY(dialog_->width() <= std::max(room.width(), dialog_->minimumWidth()));
    QVERIFY(dialog_->height() <= std::max(room.height(), dialog_->minimumHeight()));
    const QSize start = dialog_->sizeHint();
    dialog_->resize(start);
    QApplication::processEvents();
    QCOMPARE(dialog_->size(), start);
    CheckPageLayouts();
    // A run's meter and Cancel find their room without moving anything.
    dialog_->runProgress()->show();
    dialog_->runCancel()->show();
    QApplication::processEvents();
    QCOMPARE(dialog_->size(), start);
    CheckPageLayouts();

    // Whole numbers as the pages write them fit their fields.
    const std::pair<int, const char*> numbers[] = {{1000, "-122.82395674"},
                                                   {1003, "-106.9087"},
                                                   {1009, "-30.00000000"},
                                                   {1012, "-180.00000000"},
                                                   {1013, "10800.00000000"}};
    for (const auto& [id, text] : numbers) {
        auto* field = qobject_cast<QLineEdit*>(OnPage(id < 1009 ? 0 : 1, id));
        dialog_->tabControl()->SelectPage(id < 1009 ? 0 : 1);
        field->setText(QString::fromLatin1(text));
        field->setCursorPosition(0);
        field->grab();
        const int unscrolled = CursorLeft(field);
        // Painted with the cursor at the end, a field too narrow scrolls its text.
        field->setCursorPosition(static_cast<int>(field->text().size()));
        field->grab();
        field->setCursorPosition(0);
        QVERIFY2(CursorLeft(field) == unscrolled, text);
    }

    std::vector<std::pair<QLineEdit*, int>> paths;
    for (QWidget* path : {Main(1021), OnPage(1, 1034), OnPage(2, 1035), OnPage(2, 1038)})
        paths.emplace_back(qobject_cast<QLineEdit*>(path), 0);
    for (int index : {0, 1, 2}) {
        dialog_->tabControl()->SelectPage(index);
        QApplication::processEvents();
        for (auto& [path, width] : paths) width = path->isVisible() ? path->width() : width;
    }
    dialog_->resize(start + QSize(300, 200));
    QApplication::processEvents();
    QCOMPARE(dialog_->size(), start + QSize(300, 200));
    CheckPageLayouts();
    for (int index : {1, 2}) {
        dialog_->tabControl()->SelectPage(index);
        QApplication::processEvents();
        for (const auto& [path, width] : paths) {
            if (path->isVisible())
                QVERIFY2(path->width() >= width + 250, qPrintable(path->objectName()));
        }
    }
    // Never smaller than the layout's least size, where the page scrolls and nothing is cut.
    dialog_->resize(QSize(100, 100));
    QApplication::processEvents();
    QCOMPARE(dialog_->size(), dialog_->minimumSize());
    CheckPageLayouts();
}

// Run by the shell_window_fits_* tests, each on an offscreen screen of 1280 x 720 logical
// pixels at its device scale (EGM2008_TEST_SCREEN_PERCENT): a 1280 x 720 screen, and a
// 1920 x 1080 at 150 % and a 2560 x 1440 at 200 %, scaled as Wayland and as X11 scale them.
// Qt 6 lays windows out in logical pixels, so the scales differ in how fonts, icons and frames
// round, not in the room the screen gives.
void MainWindowTest::fitsA1280x720Screen() {
    const QByteArray percent = qgetenv("EGM2008_TEST_SCREEN_PERCENT");
    if (percent.isEmpty()) QSKIP("run on a 1280 x 720 screen by the shell_window_fits_* tests");
    QScreen* screen = dialog_->screen();
    QCOMPARE(qRound(screen->devicePixelRatio() * 100), percent.toInt());
    QCOMPARE(screen->geometry().size(), QSize(1280, 720));
    // Room beside a desktop's panel of 48 pixels and the title bar.
    const QSize room = screen->availableGeometry().size() - QSize(0, 48);
    const QSize least = dialog_->minimumSize();
    qInfo("%s %%: least %dx%d, opens at %dx%d (frame %dx%d), asks for %dx%d", percent.constData(),
          least.width(), least.height(), dialog_->width(), dialog_->height(),
          dialog_->frameGeometry().width(), dialog_->frameGeometry().height(),
          dialog_->sizeHint().width(), dialog_->sizeHint().height());
    QVERIFY(least.width() <= room.width() && least.height() <= room.height());
    QVERIFY(dialog_->minimumSizeHint().width() <= 1280 &&
            dialog_->minimumSizeHint().height() <= 720);
    QVERIFY(screen->availableGeometry().contains(dialog_->frameGeometry()));
    CheckPageLayouts();
    dialog_->resize(least);
    QApplication::processEvents();
    CheckPageLayouts();
}

// Tab walks each page in the order it is read: the fields before their buttons, the
// columns top down; disabled controls are passed over, and a group of radios is one stop
// (Qt's: the first of the group Tab comes to; the arrow keys move within it).
void MainWindowTest::tabFollowsTheReadingOrder_data() {
    QTest::addColumn<int>("page");  // -1: the window's own controls; -2: those, external
    QTest::addColumn<QStringList>("chain");
    const auto ids = [](const char* list) { return QString::fromLatin1(list).split(' '); };
    // The fault this pins: Latitude, Calc!, Longitude.
    QTest::newRow("manual") << 0 << ids("1000 1001 1002 1033");
    QTest::newRow("gridmaker")
        << 1 << ids("1009 1011 1010 1012 1013 1014 1006 1060 1045 1016 1034 1047");
    QTest::newRow("file") << 2 << ids("1036 1029 1035 1037 1045 1038 1040 1047 1002");
    QTest::newRow("info") << 3 << ids("1046");
    QTest::newRow("heights")
        << 4 << ids("1100 1101 1102 1103 1114 1115 1104 1116 1105 1106 1107 1111 1108 1112");
    QTest::newRow("window") << -1 << ids("1029 1028 1027 2 57670 16");
    QTest::newRow("window, external") << -2 << ids("1028 1030 1006 1021 1024 1023 1027 2 57670 16");
}

void MainWindowTest::tabFollowsTheReadingOrder() {
    QFETCH(int, page);
    QFETCH(QStringList, chain);
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    if (page == -2) Click(Main(1030));
    dialog_->tabControl()->SelectPage(std::max(page, 0));
    QWidget* scope = page < 0 ? static_cast<QWidget*>(dialog_.get()) : Page(page);
    QWidget* first = page < 0 ? Main(chain.front().toInt()) : OnPage(page, chain.front().toInt());
    first->setFocus(Qt::TabFocusReason);
    QStringList walked{QApplication::focusWidget()->objectName()};
    for (int step = 0; step < 40; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        // Out of the page, or (the window's own) into the pages.
        if (focus == first || !scope->isAncestorOf(focus) ||
            (page < 0 && dialog_->tabControl()->isAncestorOf(focus)))
            break;
        walked << focus->objectName();
    }
    QCOMPARE(walked, chain);
}

void MainWindowTest::statusLinesCutLongTextsAndKeepThemWhole() {
    StatusLabel* status = dialog_->runStatus();
    const QString whole = QStringLiteral("File Calc: Calculation done - 2500 points. Written to ") +
                          QString(300, QLatin1Char('x')) + QStringLiteral(" in 0.1 s.");
    status->ShowText(whole);
    QApplication::processEvents();
    QCOMPARE(status->text(), whole);
    QCOMPARE(status->toolTip(), whole);
    const QString shown = status->shownText();
    QVERIFY2(shown.endsWith(QChar(0x2026)) && shown.size() < whole.size(), qPrintable(shown));
    QVERIFY(status->fontMetrics().horizontalAdvance(shown) <= status->contentsRect().width());
    // Nothing of the long text widens the window.
    QCOMPARE(dialog_->width(), dialog_->size().width());
    QVERIFY(dialog_->width() < status->fontMetrics().horizontalAdvance(whole));
    status->ShowText(QStringLiteral("short"));
    QCOMPARE(status->shownText(), QStringLiteral("short"));
}

// Every refused field of a "Calc!" is marked beside itself at once, the first focused; an
// edit takes the mark away. No box.
void MainWindowTest::refusedFieldsAreMarkedBesideThemselves() {
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    ClickTab(1);
    const std::pair<int, const char*> typed[] = {{1009, "91"}, {1011, "0"},  {1010, "abc"},
                                                 {1012, "20"}, {1013, "60"}, {1014, "-1"}};
    for (const auto& [id, text] : typed) Type(OnPage(1, id), QString::fromLatin1(text));
    Click(OnPage(1, 1016));
    QVERIFY(messages_.empty());
    const auto refusal = [this](int id) {
        return RefusalOf(qobject_cast<QLineEdit*>(OnPage(1, id)));
    };
    QCOMPARE(refusal(1009), QStringLiteral("Error: Latitude outside valid range of -90° to +90°."));
    QVERIFY(refusal(1010).startsWith(QStringLiteral("Longitude 1: \"abc\" is not a number.")));
    QCOMPARE(refusal(1014), QStringLiteral("Error: Lon. spacing should be positive."));
    for (int id : {1011, 1012, 1013}) QVERIFY(refusal(id).isEmpty());
    QCOMPARE(OnPage(1, 1010)->toolTip(), refusal(1010));
    QCOMPARE(QApplication::focusWidget(), OnPage(1, 1009));
    QVERIFY(dialog_->runStatus()->text().startsWith(QStringLiteral("3 fields refused. ")));
    QVERIFY(!QFile::exists(Work(QStringLiteral("Output.txt"))));

    QTest::keyClick(OnPage(1, 1010), Qt::Key_Backspace);
    QVERIFY(refusal(1010).isEmpty() && OnPage(1, 1010)->toolTip().isEmpty());
    QVERIFY(!refusal(1009).isEmpty());
}

// A chosen file sets the size and byte order it holds, whatever its name, and the status
// line tells at once what is wrong with it.
void MainWindowTest::aChosenGridIsJudgedAtOnce() {
    const QString renamed = Work(QStringLiteral("mygrid.bin"));
    test::WriteProbedGrid(renamed.toStdString(), test::kShape10, false);
    const QString big = Work(QStringLiteral("big10.bin"));
    test::WriteProbedGrid(big.toStdString(), test::kShape10, true);
    const QString cut = Work(QStringLiteral("cut.bin"));
    test::WriteProbedGrid(cut.toStdString(), test::kShape10, false);
    QFile::resize(cut, 5000000);
    Click(Main(1030));
    Click(Main(1024));  // 1', big-endian by hand: the file must change both
    Click(Main(1023));
    dialogAnswers_.push_back(renamed.toStdString());
    Click(Main(1006));
    QVERIFY(Checked(Main(1026)) && !Checked(Main(1023)));
    QCOMPARE(dialog_->databaseStatus()->text(),
             QStringLiteral("External database: EGM2008 10' x 10', little-endian, mygrid.bin in ") +
                 folder_->path());
    dialogAnswers_.push_back(big.toStdString());
    Click(Main(1006));
    QVERIFY(Checked(Main(1026)) && Checked(Main(1023)));
    QVERIFY(dialog_->grid().bigEndian);
    dialogAnswers_.push_back(cut.toStdString());
    Click(Main(1006));
    QVERIFY(Checked(Main(1026)) && !Checked(Main(1023)));
    QVERIFY2(dialog_->databaseStatus()->text().contains(
                 QStringLiteral("cut.bin (truncated: 5.0 of 9.3 MB) in ")),
             qPrintable(dialog_->databaseStatus()->text()));
    // The radios stay the way to insist; the status line says what the file is.
    Click(Main(1025));
    QVERIFY(Checked(Main(1025)));
    QVERIFY(dialog_->databaseStatus()->text().contains(
        QStringLiteral("(truncated: 5.0 of 9.3 MB; the file is 10' x 10', little-endian)")));
    QVERIFY(messages_.empty());
}

void MainWindowTest::internalExternalRoundTripRemembersTheSettings() {
    Click(Main(1030));
    QVERIFY(Checked(Main(1030)) && !Checked(Main(1029)));
    for (int id : {1023, 1024, 1025, 1026, 1006, 1021}) QVERIFY(Main(id)->isEnabled());
    QCOMPARE(Text(Main(1021)), kInternalName);
    QCOMPARE(dialog_->grid().path, std::string(kInternalGridName));

    Click(Main(1024));
    Click(Main(1023));
    QVERIFY(Checked(Main(1023)));
    QCOMPARE(dialog_->grid().latSpacing, kSpacing1x1);
    QVERIFY(dialog_->grid().bigEndian);

    Click(Main(1029));
    QCOMPARE(dialog_->grid().path, Work(kInternalName).toStdString());
    QCOMPARE(dialog_->grid().gridSize, GridSize::Grid10x10);
    QVERIFY(!dialog_->grid().bigEndian);
    QVERIFY(!Main(1024)->isEnabled() && !Main(1023)->isEnabled());
    // The disabled controls show what the internal database is.
    QVERIFY(Checked(Main(1026)) && !Checked(Main(1024)) && !Checked(Main(1023)));

    Click(Main(1030));
    QCOMPARE(dialog_->grid().gridSize, GridSize::Grid1x1);
    QCOMPARE(dialog_->grid().lastColumn, 21599);
    QVERIFY(dialog_->grid().bigEndian);
    QVERIFY(Checked(Main(1024)) && !Checked(Main(1026)));
    QVERIFY(Checked(Main(1023)));
    QCOMPARE(Text(Main(1021)), kInternalName);
}

void MainWindowTest::pickedGridFilesAreRecognisedByName() {
    const test::EnvironmentVariable folders("EGM2008_GRID_PATH", folder_->path().toStdString());
    Click(Main(1030));
    dialogAnswers_.push_back("/data/grids/" + kBigEndian2_5.toStdString());
    Click(Main(1006));
    QCOMPARE(Text(Main(1021)), QStringLiteral("/data/grids/") + kBigEndian2_5);
    QVERIFY(Checked(Main(1025)) && !Checked(Main(1026)));
    QVERIFY(Checked(Main(1023)));

    dialogAnswers_.push_back("/data/grids/" + kBigEndian2_5.toStdString() + "_SE");
    Click(Main(1006));
    QVERIFY(Checked(Main(1025)));
    QVERIFY(!Checked(Main(1023)));
    QCOMPARE(dialog_->grid().lastColumn, 8639);

    dialogAnswers_.push_back("/data/grids/my-grid.bin");
    Click(Main(1006));
    QVERIFY(Checked(Main(1025)) && !Checked(Main(1023)));
    QCOMPARE(dialogKinds_.size(), std::size_t{3});
    QVERIFY(dialogKinds_[0] == desktop::FileDialogKind::Open);
    // The dialog opens in the first grid folder there is.
    QCOMPARE(dialogFolders_[0], folder_->path().toStdString());
}

void MainWindowTest::cancellingTheGridDialogKeepsThePath() {
    Click(Main(1030));
    Click(Main(1006));  // no answer queued: Cancel
    QCOMPARE(Text(Main(1021)), kInternalName);
    QCOMPARE(dialog_->grid().path, std::string(kInternalGridName));
}

void MainWindowTest::radioGroupsAreIndependent() {
    Click(Main(1030));
    Click(Main(1024));
    QVERIFY(Checked(Main(1030)) && Checked(Main(1024)));

    ClickTab(2);
    Click(OnPage(2, 1043));
    QVERIFY(Checked(OnPage(2, 1043)) && Checked(OnPage(2, 1047)));
    Click(OnPage(2, 1049));
    QVERIFY(Checked(OnPage(2, 1043)) && Checked(OnPage(2, 1049)) && !Checked(OnPage(2, 1047)));
    // The gridmaker's method radios carry the same IDs and keep their own choice.
    QVERIFY(Checked(OnPage(1, 1047)) && !Checked(OnPage(1, 1049)));
    ClickTab(1);
    Click(OnPage(1, 1050));
    QVERIFY(Checked(OnPage(1, 1050)) && Checked(OnPage(2, 1049)));
    QVERIFY(Checked(Main(1030)) && Checked(Main(1024)));
}

// The model radios: EGM96 from the grid folders, its status line and closed size controls;
// a picked EGM84 file sets its radio; a model found nowhere is told once and changes nothing;
// EGM2008 brings the internal database back.
void MainWindowTest::modelRadiosChooseTheOlderModelsGrids() {
    const std::string grids = Work(QStringLiteral("grids")).toStdString();
    QVERIFY(QDir().mkpath(QString::fromStdString(grids)));
    const auto node = [](std::int32_t row, std::int32_t column) {
        return static_cast<float>(row + column) * 0.5f;
    };
    test::WriteModelGrid(grids + "/egm96.grd", GeoidModel::Egm96, node);
    test::WriteModelGrid(Work(QStringLiteral("wwgrid.bin")).toStdString(), GeoidModel::Egm84, node);
    const test::EnvironmentVariable folders("EGM2008_GRID_PATH", grids);
    const test::EnvironmentVariable data("XDG_DATA_HOME", folder_->path().toStdString());
    QVERIFY(Checked(Main(1027)) && !Checked(Main(1031)) && !Checked(Main(1032)));

    Click(Main(1031));
    QVERIFY(Checked(Main(1031)) && !Checked(Main(1027)) && Checked(Main(1030)));
    QCOMPARE(dialog_->grid().model, GeoidModel::Egm96);
    QCOMPARE(dialog_->databaseStatus()->text(),
             QStringLiteral("External database: EGM96 15', egm96.grd in ") +
                 QString::fromStdString(grids));
    for (int id : {1024, 1025, 1026, 1023})
        QVERIFY2(!Main(id)->isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(Main(1006)->isEnabled() && Main(1021)->isEnabled());
    QVERIFY(messages_.empty());

    dialogAnswers_.push_back(Work(QStringLiteral("wwgrid.bin")).toStdString());
    Click(Main(1006));
    QVERIFY(Checked(Main(1032)) && !Checked(Main(1031)));
    QCOMPARE(dialog_->grid().model, GeoidModel::Egm84);
    QVERIFY(dialog_->databaseStatus()->text().startsWith(
        QStringLiteral("External database: EGM84 30', wwgrid.bin in ")));

    Click(Main(1027));
    QVERIFY(Checked(Main(1027)) && Checked(Main(1029)));
    QCOMPARE(dialog_->grid().model, GeoidModel::Egm2008);
    QVERIFY(dialog_->databaseStatus()->text().startsWith(
        QStringLiteral("Internal database: EGM2008 10' x 10', little-endian, ")));

    QFile::remove(QString::fromStdString(grids + "/egm96.grd"));
    if (QFile::exists(QStringLiteral("/usr/share/egm2008/egm96.grd")) ||
        QFile::exists(QStringLiteral("/usr/local/share/egm2008/egm96.grd")))
        QSKIP("EGM96's file is installed");
    Click(Main(1031));
    QCOMPARE(messages_.size(), std::size_t{1});
    QVERIFY2(messages_[0].text.starts_with("EGM96 grid not found: "), messages_[0].text.c_str());
    QVERIFY(Checked(Main(1027)) && !Checked(Main(1031)) && Checked(Main(1029)));
    QCOMPARE(dialog_->grid().model, GeoidModel::Egm2008);
}

void MainWindowTest::tabClicksSwitchPagesAndARepeatedClickChangesNothing() {
    CMyTabCtrl* tabs = dialog_->tabControl();
    ClickTab(2);
    QCOMPARE(tabs->current(), 2);
    QVERIFY(Page(2)->isVisible() && !Page(0)->isVisible() && !Page(1)->isVisible() &&
            !Page(3)->isVisible());
    QVERIFY(Page(2)->isAncestorOf(QApplication::focusWidget()));

    // The page keeps its state: a field typed in stays when the same tab is clicked again.
    Click(OnPage(2, 1044));
    ClickTab(2);
    QCOMPARE(tabs->current(), 2);
    QVERIFY(Page(2)->isVisible() && Checked(OnPage(2, 1044)));

    ClickTab(3);
    QVERIFY(Page(3)->isVisible() && !Page(2)->isVisible());
    ClickTab(0);
    QVERIFY(Page(0)->isVisible() && !Page(3)->isVisible());
}

void MainWindowTest::keyboardTabSelectionSwitchesPages() {
    CMyTabCtrl* tabs = dialog_->tabControl();
    QTabBar* bar = tabs->tabBar();
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(bar->currentIndex(), 1);
    QCOMPARE(tabs->current(), 1);
    QVERIFY(Page(1)->isVisible() && !Page(0)->isVisible());
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    QVERIFY(Page(2)->isVisible() && !Page(1)->isVisible());
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Left);
    QVERIFY(Page(1)->isVisible() && !Page(2)->isVisible());
    QCOMPARE(tabs->current(), 1);
}

void MainWindowTest::enterInAPageFieldRunsThatPagesCalc() {
    if (!HaveGrid(kInternalName)) QSKIP("the real grids are not set up");
    Type(OnPage(0, 1000), QStringLiteral("52,5"));
    Type(OnPage(0, 1001), QStringLiteral("-10"));
    QTest::keyClick(OnPage(0, 1001), Qt::Key_Return);
    QVERIFY(dialog_->isVisible());
    QCOMPARE(Text(OnPage(0, 1000)), QStringLiteral("52.50000000"));
    QCOMPARE(Text(OnPage(0, 1001)), QStringLiteral("-10.00000000"));
    QVERIFY(Text(OnPage(0, 1003)) != QStringLiteral("N/A") && !Text(OnPage(0, 1003)).isEmpty());

    ClickTab(1);
    Type(OnPage(1, 1009), QStringLiteral("10"));
    QTest::keyClick(OnPage(1, 1009), Qt::Key_Enter);
    QVERIFY(dialog_->isVisible());
    // The other fields empty: the run takes the first corner and marks the others refused.
    QVERIFY(messages_.empty());
    QVERIFY(RefusalOf(qobject_cast<QLineEdit*>(OnPage(1, 1010)))
                .startsWith(QStringLiteral("Longitude 1: \"\" is not a number.")));
    QCOMPARE(Text(OnPage(1, 1009)), QStringLiteral("10.00000000"));

    // On the file page a radio takes Enter to "Calc!" as well; there is no input.dat here.
    ClickTab(2);
    Click(OnPage(2, 1041));
    QTest::keyClick(OnPage(2, 1041), Qt::Key_Return);
    QVERIFY(dialog_->isVisible());
    QCOMPARE(messages_.size(), std::size_t{1});
    QCOMPARE(messages_[0].text, "\nInputfile \"" + Work(QStringLiteral("input.dat")).toStdString() +
                                    "\" could not be opened: No such file or directory!\n");
    QVERIFY(messages_[0].icon == NoticeIcon::Error);
}

// Enter on a calculation page presses that page's "Calc!", whatever control holds the focus;
// anywhere else it does nothing.
void MainWindowTest::enterPressesCalcOnlyOnCalculationPages_data() {
    QTest::addColumn<int>("page");  // -1: the window's own controls
    QTest::addColumn<int>("id");    // -1: the tab bar
    QTest::addColumn<int>("pressed");
    QTest::newRow("manual field") << 0 << 1000 << 0;
    QTest::newRow("manual result field") << 0 << 1003 << 0;
    QTest::newRow("manual Clear") << 0 << 1033 << 0;
    QTest::newRow("gridmaker radio") << 1 << 1048 << 1;
    QTest::newRow("gridmaker View") << 1 << 1045 << 1;
    QTest::newRow("file path field") << 2 << 1035 << 2;
    QTest::newRow("file layout radio") << 2 << 1042 << 2;
    QTest::newRow("file Calc") << 2 << 1002 << 2;
    QTest::newRow("heights picker") << 4 << 1105 << 4;
    QTest::newRow("heights radio") << 4 << 1109 << 4;
    QTest::newRow("Version Info") << 3 << 1046 << -1;
    QTest::newRow("tab bar") << -1 << -1 << -1;
    QTest::newRow("database radio") << -1 << 1029 << -1;
    QTest::newRow("database help") << -1 << 1028 << -1;
    QTest::newRow("Exit") << -1 << 2 << -1;
    QTest::newRow("Help") << -1 << 57670 << -1;
    QTest::newRow("About") << -1 << 16 << -1;
}

void MainWindowTest::enterPressesCalcOnlyOnCalculationPages() {
    QFETCH(int, page);
    QFETCH(int, id);
    QFETCH(int, pressed);
    CMyTabCtrl* tabs = dialog_->tabControl();
    std::vector<std::unique_ptr<QSignalSpy>> calcs;  // none for the Info page (3)
    for (int i = 0; i < tabs->count(); ++i)
        calcs.push_back(i == 3 ? nullptr
                               : std::make_unique<QSignalSpy>(CalcButtonOf(Page(i)),
                                                              &QAbstractButton::clicked));
    tabs->SelectPage(std::max(page, 0));
    QWidget* control = id < 0 ? tabs->tabBar() : page < 0 ? Main(id) : OnPage(page, id);
    QVERIFY(control != nullptr);
    control->setFocus();
    // A box opened by mistake must not hold the test.
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    QTest::keyClick(control, Qt::Key_Return);
    QTest::keyClick(control, Qt::Key_Enter, Qt::KeypadModifier);
    QApplication::processEvents();
    for (int i = 0; i < tabs->count(); ++i)
        if (calcs[i]) QCOMPARE(calcs[i]->count(), i == pressed ? 2 : 0);
    QVERIFY(dialog_->isVisible());
    QCOMPARE(tabs->current(), std::max(page, 0));
    if (pressed < 0) {
        QVERIFY(messages_.empty() && launches_.empty() && dialogKinds_.empty());
    }
}

// How the window ends: Exit, the close button and Ctrl+Q end it; Esc never does.
void MainWindowTest::quitKeysAndButtons_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<bool>("ended");
    QTest::newRow("Esc") << "Esc" << false << false;
    // The fault this pins: Esc after a calculation ended the program and lost the grid chosen.
    QTest::newRow("Esc after a calculation") << "Esc" << true << false;
    QTest::newRow("Ctrl+Q") << "Ctrl+Q" << true << true;
    QTest::newRow("Exit") << "Exit" << true << true;
    QTest::newRow("close button") << "close" << true << true;
}

void MainWindowTest::quitKeysAndButtons() {
    QFETCH(QString, how);
    QFETCH(bool, typed);
    QFETCH(bool, ended);
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    Click(Main(1030));
    dialogAnswers_.push_back("/data/grids/" + kBigEndian2_5.toStdString());
    Click(Main(1006));
    if (typed) {
        Type(OnPage(0, 1000), QStringLiteral("52.5"));
        Click(OnPage(0, 1002));
    }
    QWidget* field = OnPage(0, 1000);
    field->setFocus();
    if (how == QStringLiteral("Esc")) QTest::keyClick(field, Qt::Key_Escape);
    if (how == QStringLiteral("Ctrl+Q")) QTest::keyClick(field, Qt::Key_Q, Qt::ControlModifier);
    if (how == QStringLiteral("Exit")) Click(Main(2));
    if (how == QStringLiteral("close")) dialog_->close();
    QApplication::processEvents();
    QVERIFY(questions_.empty());
    QCOMPARE(dialog_->isVisible(), !ended);
    if (ended) QCOMPARE(dialog_->result(), int(QDialog::Rejected));
    QCOMPARE(Text(Main(1021)), QStringLiteral("/data/grids/") + kBigEndian2_5);
}

void MainWindowTest::pageShortcutsMnemonicsAndTabStops() {
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    CMyTabCtrl* tabs = dialog_->tabControl();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page;
    } steps[] = {
        {Qt::Key_Tab, Qt::ControlModifier, 1},
        {Qt::Key_Tab, Qt::ControlModifier, 2},
        {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier, 1},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 0},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 4},
        {Qt::Key_Tab, Qt::ControlModifier, 0},
        {Qt::Key_3, Qt::ControlModifier, 2},
        {Qt::Key_4, Qt::ControlModifier, 3},
        {Qt::Key_5, Qt::ControlModifier, 4},
        {Qt::Key_2, Qt::ControlModifier, 1},
        {Qt::Key_1, Qt::ControlModifier, 0},
    };
    for (const auto& step : steps) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus != nullptr);
        QTest::keyClick(focus, step.key, step.modifiers);
        QCOMPARE(tabs->current(), step.page);
        QCOMPARE(tabs->tabBar()->currentIndex(), step.page);
        QVERIFY(Page(step.page)->isVisible());
    }

    // Every button and radio has an Alt key; no key reaches two of the controls in sight, a
    // page's and the window's own together (labels give theirs to their buddies). The fault
    // this pins: Alt+F reached "EGM-File" and the gridmaker's format picker.
    const auto keysIn = [&](const QWidget* scope, std::map<QString, QString>& keys) {
        for (QWidget* control : ScopeMembers(scope)) {
            if (!control->isVisibleTo(dialog_.get()) && !control->isVisibleTo(scope)) continue;
            if (control->parentWidget() == tabs->tabBar()) continue;
            QString text;
            if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                text = button->text();
                QVERIFY2(!QKeySequence::mnemonic(text).isEmpty(), qPrintable(text));
            } else if (auto* label = qobject_cast<QLabel*>(control); label && label->buddy()) {
                text = label->text();
            }
            const QString key = QKeySequence::mnemonic(text).toString();
            if (key.isEmpty()) continue;
            const auto [at, fresh] = keys.emplace(key, text);
            QVERIFY2(fresh, qPrintable(key + QStringLiteral(": ") + at->second +
                                       QStringLiteral(" / ") + text));
        }
    };
    for (int index = 0; index < tabs->count(); ++index) {
        std::map<QString, QString> keys;
        keysIn(dialog_.get(), keys);
        keysIn(Page(index), keys);
    }
    for (QPushButton* button : dialog_->findChildren<QPushButton*>())
        QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(Text(button)));

    // Result fields are no Tab stops but take a click, to select and copy; path
    // fields take typed paths, completed from the disk.
    for (const auto& [page, id] : {std::pair{0, 1003}, {0, 1006}})
        QCOMPARE(OnPage(page, id)->focusPolicy(), Qt::ClickFocus);
    for (QWidget* path : {OnPage(1, 1034), OnPage(2, 1035), OnPage(2, 1038), OnPage(4, 1101),
                          OnPage(4, 1103), Main(1021)}) {
        auto* field = qobject_cast<QLineEdit*>(path);
        QVERIFY(field != nullptr && !field->isReadOnly() && field->completer() != nullptr);
        QCOMPARE(field->focusPolicy(), Qt::StrongFocus);
    }
    // A path field's tooltip follows its text.
    Click(Main(1030));
    dialogAnswers_.push_back("/data/grids/" + kBigEndian2_5.toStdString());
    Click(Main(1006));
    QCOMPARE(Main(1021)->toolTip(), QStringLiteral("/data/grids/") + kBigEndian2_5);
    QCOMPARE(OnPage(2, 1035)->toolTip(), Work(QStringLiteral("input.dat")));
}

void MainWindowTest::manualCalculationOnTheInternalGrid() {
    if (!HaveGrid(kInternalName)) QSKIP("the real grids are not set up");
    // Reference undulations of NGA's grid at this point (tests/data/real, 10' little-endian).
    Type(OnPage(0, 1000), QStringLiteral("34.367782423515116"));
    Type(OnPage(0, 1001), QStringLiteral("-122.82395674160422"));
    Click(OnPage(0, 1002));
    QCOMPARE(Text(OnPage(0, 1003)), Shown(0xc21ff50c));
    QCOMPARE(Text(OnPage(0, 1004)), Shown(0xc21ff854));
    QCOMPARE(Text(OnPage(0, 1005)), Shown(0xc21ff889));
    QCOMPARE(Text(OnPage(0, 1006)), Shown(0xc2202340));
    QCOMPARE(Text(OnPage(0, 1001)), QStringLiteral("-122.82395674"));
    QVERIFY(messages_.empty());

    Click(OnPage(0, 1033));
    for (int id : {1003, 1004, 1005, 1006}) QVERIFY(Text(OnPage(0, id)).isEmpty());
    QCOMPARE(Text(OnPage(0, 1000)), QStringLiteral("34.36778242"));
}

void MainWindowTest::manualCalculationOnAPickedBigEndianGrid() {
    if (!HaveGrid(kBigEndian2_5)) QSKIP("the real grids are not set up");
    Click(Main(1030));
    dialogAnswers_.push_back((kGridDir + QLatin1Char('/') + kBigEndian2_5).toStdString());
    Click(Main(1006));
    Type(OnPage(0, 1000), QStringLiteral("-31.68427967652543"));
    Type(OnPage(0, 1001), QStringLiteral("-59.22583955416637"));
    Click(OnPage(0, 1002));
    // Reference undulations of the 2.5' big-endian grid (tests/data/real).
    QCOMPARE(Text(OnPage(0, 1003)), Shown(0x4185c5d9));
    QCOMPARE(Text(OnPage(0, 1004)), Shown(0x4185c593));
    QCOMPARE(Text(OnPage(0, 1005)), Shown(0x4185c5fb));
    QCOMPARE(Text(OnPage(0, 1006)), Shown(0x4185c966));
}

void MainWindowTest::aMissingGridIsReportedOnce() {
    Click(Main(1030));
    dialogAnswers_.push_back(Work(QStringLiteral("missing-grid")).toStdString());
    Click(Main(1006));
    Type(OnPage(0, 1000), QStringLiteral("10"));
    Type(OnPage(0, 1001), QStringLiteral("20"));
    Click(OnPage(0, 1002));
    for (int id : {1003, 1004, 1005, 1006}) QCOMPARE(Text(OnPage(0, id)), QStringLiteral("N/A"));
    QCOMPARE(messages_.size(), std::size_t{1});
    QCOMPARE(messages_[0].text,
             OpenFailureMessage(Work(QStringLiteral("missing-grid")).toStdString()));
}

void MainWindowTest::gridmakerRunWritesItsFile() {
    if (!HaveGrid(kInternalName)) QSKIP("the real grids are not set up");
    ClickTab(1);
    const QString output = Work(QStringLiteral("lattice.txt"));
    dialogAnswers_.push_back(output.toStdString());
    Click(OnPage(1, 1006));
    QCOMPARE(dialogKinds_.back(), desktop::FileDialogKind::Save);
    QCOMPARE(Text(OnPage(1, 1034)), output);

    const std::pair<int, const char*> fields[] = {{1009, "0"}, {1011, "10"},  {1010, "20"},
                                                  {1012, "0"}, {1013, "300"}, {1014, "600"}};
    for (const auto& [id, text] : fields) Type(OnPage(1, id), QString::fromLatin1(text));
    Click(OnPage(1, 1048));
    Click(OnPage(1, 1016));

    const QStringList lines = ReadLines(output);
    QCOMPARE(lines.size(), 9);
    QVERIFY(lines[0].startsWith(QStringLiteral(" 10.000000    0.000000 ")));
    QVERIFY(lines[8].startsWith(QStringLiteral("  0.000000   20.000000 ")));
    QCOMPARE(Text(OnPage(1, 1010)), QStringLiteral("20.00000000"));
    QVERIFY(messages_.empty());
    QVERIFY(QApplication::overrideCursor() == nullptr);

    // The picked method reaches the run: bi-linear at a node is the node itself.
    float nodeValue = 0.0f;
    SilentNotifier silent;
    QCOMPARE(LookupNearest(dialog_->grid(), 5.0, 10.0, nodeValue, silent), QueryStatus::StatusOk);
    QCOMPARE(lines[4],
             QString::asprintf("%10.6f %11.6f %8.3f", 5.0, 10.0, static_cast<double>(nodeValue)));
}

void MainWindowTest::gridmakerShowMapReadsOutTheNodeUnderTheMouse() {
    if (!HaveGrid(kInternalName)) QSKIP("the real grids are not set up");
    ClickTab(1);
    auto* showMap = qobject_cast<QAbstractButton*>(OnPage(1, gridmaker_ids::kShowMapButton));
    QVERIFY(showMap != nullptr);
    QVERIFY(!showMap->isEnabled());
    auto* formats = qobject_cast<QComboBox*>(OnPage(1, gridmaker_ids::kFormatChoice));
    QVERIFY(formats != nullptr);
    QCOMPARE(formats->count(), 6);
    formats->setCurrentIndex(3);  // PNG: the default output takes its extension

    // 10 N to 0, 0 to 20 E a degree apart: 11 x 21 nodes, a map pixel each.
    const std::pair<int, const char*> fields[] = {{1009, "10"}, {1011, "0"},  {1010, "0"},
                                                  {1012, "20"}, {1013, "60"}, {1014, "60"}};
    for (const auto& [id, text] : fields) Type(OnPage(1, id), QString::fromLatin1(text));
    Click(OnPage(1, 1048));
    Click(OnPage(1, 1016));
    QFile picture(Work(QStringLiteral("Output.png")));
    QVERIFY(picture.open(QIODevice::ReadOnly));
    QCOMPARE(picture.read(4), QByteArray("\x89PNG"));
    QVERIFY(messages_.empty());
    QVERIFY(showMap->isEnabled());

    Click(showMap);
    auto* window = dialog_->findChild<MapWindow*>();
    QVERIFY(window != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* view = window->findChild<MapView*>();
    auto* scroll = window->findChild<QScrollArea*>();
    auto* readout = window->findChild<QLabel*>(QString::number(map_ids::kReadout));
    QVERIFY(view != nullptr && scroll != nullptr && readout != nullptr);

    // Map pixel (x, y) is the node x degrees east of 0 E and y degrees south of 10 N.
    const auto hoverNode = [&](int x, int y) {
        const QPoint at = view->PointOfMapPixel(x, y);
        scroll->ensureVisible(at.x(), at.y());
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        float node = 0.0f;
        SilentNotifier silent;
        QCOMPARE(LookupNearest(dialog_->grid(), 10.0 - y, x, node, silent), QueryStatus::StatusOk);
        QCOMPARE(readout->text(), QString::fromStdString(MapReadoutText(10.0 - y, x, node)));
    };
    hoverNode(10, 5);
    // The wheel zooms in; the readout still names the node under the mouse.
    const double before = view->zoom();
    const QPointF at = view->PointOfMapPixel(10, 5);
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    QVERIFY(view->zoom() > before * 1.5);
    hoverNode(3, 7);
}

void MainWindowTest::pointFileRunWritesItsFileAndKeepsPainting() {
    if (!HaveGrid(kInternalName)) QSKIP("the real grids are not set up");
    {
        QFile input(Work(QStringLiteral("input.dat")));
        QVERIFY(input.open(QIODevice::WriteOnly));
        for (int i = 0; i < 2500; ++i)
            input.write(QString::asprintf("%.4f %.4f\n", -60.0 + i * 0.05, i * 0.1).toLatin1());
    }
    ClickTab(2);
    auto* calc = qobject_cast<QAbstractButton*>(OnPage(2, 1002));
    // What the button shows each time it is painted during the run.
    struct PaintWatch : QObject {
        QAbstractButton* button;
        QStringList painted;
        bool waitCursor = true;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (watched == button && event->type() == QEvent::Paint &&
                QString(button->text()).remove(QLatin1Char('&')) != QStringLiteral("Calc!")) {
                painted << button->text();
                waitCursor = waitCursor && QApplication::overrideCursor() != nullptr &&
                             QApplication::overrideCursor()->shape() == Qt::BusyCursor;
            }
            return false;
        }
    } watch;
    watch.button = calc;
    calc->installEventFilter(&watch);
    Click(calc);
    calc->removeEventFilter(&watch);

    // The caption shows the count as it stands at each tick: thousands, rising, 2000 at the end.
    QVERIFY(!watch.painted.isEmpty());
    int previous = 0;
    for (const QString& shown : watch.painted) {
        bool number = false;
        const int count = shown.toInt(&number);
        QVERIFY2(number && count % 1000 == 0 && count >= previous,
                 qPrintable(watch.painted.join(QLatin1Char(','))));
        previous = count;
    }
    QCOMPARE(watch.painted.back(), QStringLiteral("2000"));
    QVERIFY(watch.waitCursor);
    QCOMPARE(Text(calc), QStringLiteral("Calc!"));
    QVERIFY(QApplication::overrideCursor() == nullptr);
    // The outcome goes to the status line, no box.
    QVERIFY(messages_.empty());
    QVERIFY2(dialog_->runStatus()->text().startsWith(
                 QStringLiteral("File Calc: Calculation done - 2500 points. Written to ")),
             qPrintable(dialog_->runStatus()->text()));
    const QStringList lines = ReadLines(Work(QStringLiteral("output.dat")));
    QCOMPARE(lines.size(), 2500);
    QVERIFY(lines[0].startsWith(QStringLiteral("-60.000000    0.000000 ")));
}

void MainWindowTest::theRealSaveDialogAsksBeforeOverwritingAndCancelKeepsThePath() {
    desktop::SetFileDialogHook({});  // the real dialog
    ClickTab(1);
    bool sawSave = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(top);
            if (dialog == nullptr || !dialog->isVisible()) continue;
            sawSave = dialog->acceptMode() == QFileDialog::AcceptSave &&
                      !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            dialog->reject();
        }
    });
    answer.start(20);
    Click(OnPage(1, 1006));
    answer.stop();
    QVERIFY(sawSave);
    QVERIFY(Text(OnPage(1, 1034)).isEmpty());
    QCOMPARE(dynamic_cast<CTabTwo*>(Page(1))->logic().outputPath(), std::string("Output.txt"));
}

void MainWindowTest::viewersOpenExistingFilesAndTellWhatFailed() {
    for (const char* name : {"MorvexEGM2008version.txt", "input.dat", "output.dat"}) {
        QFile file(Work(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    ClickTab(3);
    Click(OnPage(3, 1046));
    ClickTab(2);
    Click(OnPage(2, 1029));
    Click(OnPage(2, 1045));
    QCOMPARE(launches_.size(), std::size_t{3});
    QCOMPARE(QString::fromStdString(launches_[0].path),
             Work(QStringLiteral("MorvexEGM2008version.txt")));
    QCOMPARE(QString::fromStdString(launches_[1].path), Work(QStringLiteral("input.dat")));
    QCOMPARE(QString::fromStdString(launches_[2].path), Work(QStringLiteral("output.dat")));
    QVERIFY(messages_.empty());

    // The gridmaker's output is not there yet; then the launcher fails.
    ClickTab(1);
    Click(OnPage(1, 1045));
    QCOMPARE(launches_.size(), std::size_t{3});
    launcherStarts_ = false;
    ClickTab(3);
    Click(OnPage(3, 1046));
    QCOMPARE(messages_.size(), std::size_t{2});
    QCOMPARE(messages_[0].text, std::string("The file \"Output.txt\" does not exist."));
    QVERIFY(
        messages_[1].text.rfind("No viewer could be started for \"" +
                                    Work(QStringLiteral("MorvexEGM2008version.txt")).toStdString(),
                                0) == 0);
    QVERIFY(messages_[0].icon == NoticeIcon::Error && messages_[1].icon == NoticeIcon::Error);
}

void MainWindowTest::helpButtonsAndAboutBox() {
    Click(Main(1028));
    QCOMPARE(messages_.size(), std::size_t{1});
    QVERIFY(messages_[0].icon == NoticeIcon::None);
    QVERIFY(messages_[0].text.rfind("Here you use the internal 10'x10'-database.", 0) == 0);

    Click(Main(57670));
    QCOMPARE(launches_.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(launches_[0].path), Work(QStringLiteral("manual.html")));
    // Without a viewer, the manual's place is told, to open it by hand.
    messages_.clear();
    launcherStarts_ = false;
    Click(Main(57670));
    QCOMPARE(messages_.size(), std::size_t{1});
    QCOMPARE(messages_[0].text,
             ManualNotShownMessage(Work(QStringLiteral("manual.html")).toStdString()));

    QAction* about = nullptr;
    for (QAction* action : dialog_->actions()) {
        if (action->text() == QStringLiteral("&About EGM2008...")) about = action;
    }
    QVERIFY(about != nullptr);
    QCOMPARE(dialog_->contextMenuPolicy(), Qt::ActionsContextMenu);
    // The context menu's item and the "About" button beside "Help" open the same box.
    for (const auto& open : std::vector<std::function<void()>>{[about] { about->trigger(); },
                                                               [this] { Click(Main(16)); }}) {
        QString title;
        QStringList lines;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            title = box->windowTitle();
            for (QLabel* label : box->findChildren<QLabel*>()) lines << label->text();
            qobject_cast<QAbstractButton*>(FindControl(box, 1))->click();
        });
        open();
        QCOMPARE(title, QStringLiteral("About EGM2008"));
        QVERIFY(lines.contains(QStringLiteral("EGM2008 Version 1.2")));
        // The program's version, its licence and where the geoid data come from.
        const QString all = lines.join(QLatin1Char('\n'));
        QVERIFY2(all.contains(QStringLiteral("egm2008 1.2.0")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("MIT licence")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("NGA's EGM2008")) &&
                     all.contains(QStringLiteral("Debian's geotranz package")),
                 qPrintable(all));
        QVERIFY(dialog_->isVisible());
    }
    QCOMPARE(Main(16)->y(), Main(57670)->y());
}

void MainWindowTest::theRealLauncherIsNotWaitedFor() {
    // A stand-in for xdg-open that takes a while and leaves a mark when it ends.
    QDir().mkpath(Work(QStringLiteral("bin")));
    QFile script(Work(QStringLiteral("bin/xdg-open")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    const QString mark = Work(QStringLiteral("bin/opened"));
    script.write("#!/bin/sh\n/bin/sleep 0.3\necho \"$1\" > '" + mark.toLocal8Bit() + "'\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile notes(Work(QStringLiteral("MorvexEGM2008version.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", Work(QStringLiteral("bin")).toLocal8Bit());
    desktop::SetLauncherHook({});

    ClickTab(3);
    Click(OnPage(3, 1046));
    QVERIFY2(!QFile::exists(mark), "Version Info waited for the launcher");
    QTRY_VERIFY(QFile::exists(mark));
    QVERIFY(messages_.empty());

    // A launcher that finds no viewer fails soon after it started: "Help" then names the manual.
    QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("#!/bin/sh\nexit 3\n");
    script.close();
    Click(Main(57670));
    QTRY_COMPARE(messages_.size(), std::size_t{1});
    QCOMPARE(messages_[0].text,
             ManualNotShownMessage(Work(QStringLiteral("manual.html")).toStdString()));
    messages_.clear();

    // Without a launcher on the path, the user is told.
    QFile::remove(Work(QStringLiteral("bin/xdg-open")));
    Click(OnPage(3, 1046));
    qputenv("PATH", path);
    QCOMPARE(messages_.size(), std::size_t{1});
    QVERIFY(messages_[0].text.rfind("No viewer could be started", 0) == 0);
}

void MainWindowTest::aLongRunLeavesTheWindowResponsiveAndCancelStopsIt() {
    QWidget window;
    auto* other = new QPushButton(QStringLiteral("Other"), &window);
    auto* bar = new QProgressBar(&window);
    bar->setObjectName(QStringLiteral("runProgress"));
    bar->hide();
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), &window);
    cancel->setObjectName(QStringLiteral("runCancel"));
    cancel->hide();
    window.show();

    RunMeter meter;
    meter.total = 1000;
    std::atomic<int> spins{0};
    int ticks = 0;
    bool seenDuringRun = false;
    QTimer::singleShot(250, cancel, [&] {
        seenDuringRun =
            bar->isVisible() && cancel->isVisible() && !other->isEnabled() && RunIsActive(&window);
        cancel->click();
    });
    RunOffThread(
        &window, meter,
        [&] {
            // Runs until cancelled (with a bound, so that a broken Cancel fails, not hangs).
            for (int i = 0; i < 2000 && !meter.stop().Requested(); ++i) {
                meter.done = i;
                spins.fetch_add(1);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        },
        [&] { ++ticks; });
    QVERIFY(seenDuringRun);
    QVERIFY(meter.stop().Requested());
    QVERIFY(spins.load() < 2000);
    QVERIFY(ticks >= 2);
    QVERIFY(!bar->isVisible() && !cancel->isVisible() && other->isEnabled());
    QVERIFY(!RunIsActive(&window));
}

void MainWindowTest::droppedGridsAndFilesAreToldApart() {
    test::WriteConstantGrid(Work(QStringLiteral("geoid.bin")).toStdString(), 1.0f, true);
    // A grid cut short is still a grid: it is judged as such, not read as points.
    test::WriteProbedGrid(Work(QStringLiteral("cut.bin")).toStdString(), test::kShape2_5, false);
    QFile::resize(Work(QStringLiteral("cut.bin")), 1000000);
    QFile points(Work(QStringLiteral("points.txt")));
    QVERIFY(points.open(QIODevice::WriteOnly));
    points.write("52.5 13.4\n");
    points.close();
    QWidget window;
    std::vector<std::string> dropped;
    new FileDropTarget(
        &window, [&](const std::string& path) { dropped.push_back("grid " + path); },
        [&](const std::string& path) { dropped.push_back("file " + path); });
    QVERIFY(window.acceptDrops());
    for (const char* name : {"geoid.bin", "cut.bin", "points.txt"}) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Work(QLatin1String(name)))});
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &drop);
    }
    const std::vector<std::string> expected = {
        "grid " + Work(QStringLiteral("geoid.bin")).toStdString(),
        "grid " + Work(QStringLiteral("cut.bin")).toStdString(),
        "file " + Work(QStringLiteral("points.txt")).toStdString()};
    QCOMPARE(dropped, expected);
}

void MainWindowTest::cancellingALongPointFileRunKeepsThePreviousOutput() {
    {
        QFile input(Work(QStringLiteral("input.dat")));
        QVERIFY(input.open(QIODevice::WriteOnly));
        const QByteArray line = "48.1234 11.5678\n";
        QByteArray block;
        for (int i = 0; i < 10000; ++i) block += line;
        for (int i = 0; i < 100; ++i) input.write(block);  // a million points
        QFile previous(Work(QStringLiteral("output.dat")));
        QVERIFY(previous.open(QIODevice::WriteOnly));
        previous.write("the previous output\r\n");
    }
    ClickTab(2);
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    // While it runs: every control but Cancel looks disabled, the database's too; the status
    // line, readable, says what runs. Esc stops it, and the window stays.
    QStringList enabled;
    QString running;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (!dialog_->runCancel()->isVisible() || !dialog_->runCancel()->isEnabled()) return;
        for (QWidget* control : dialog_->findChildren<QWidget*>()) {
            const bool isControl = qobject_cast<QAbstractButton*>(control) ||
                                   qobject_cast<QLineEdit*>(control) ||
                                   qobject_cast<QTabBar*>(control);
            if (isControl && control->isEnabled() && control != dialog_->runCancel())
                enabled << control->objectName();
        }
        running = dialog_->runStatus()->isEnabled() ? dialog_->runStatus()->text() : QString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    cancel.start(5);
    Click(OnPage(2, 1002));
    cancel.stop();
    QVERIFY2(enabled.isEmpty(), qPrintable(enabled.join(QLatin1Char(' '))));
    QCOMPARE(running,
             QStringLiteral("Computing the points of input.dat (16.0 MB) into output.dat…"));
    QVERIFY(dialog_->isVisible());
    // A cancel is the user's own doing: told in the status line, no box.
    QVERIFY(messages_.empty());
    QFile output(Work(QStringLiteral("output.dat")));
    QVERIFY(output.open(QIODevice::ReadOnly));
    QCOMPARE(output.readAll(), QByteArray("the previous output\r\n"));
    QCOMPARE(
        QDir::current().entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".output.dat")),
        QStringList());
    QVERIFY(OnPage(2, 1002)->isEnabled() && !dialog_->runCancel()->isVisible());
    QCOMPARE(dialog_->runStatus()->text(), QStringLiteral("File Calc: cancelled, ") +
                                               Work(QStringLiteral("output.dat")) +
                                               QStringLiteral(" not changed"));
}

void MainWindowTest::heightsPageReadsADroppedFileAndItsPickersChooseTheColumns() {
    const QString path = Work(QStringLiteral("survey.csv"));
    QFile input(path);
    QVERIFY(input.open(QIODevice::WriteOnly));
    input.write("Pt,Lat,Lon,h\r\nA,52.5,13.4,100\r\nB,48.1,11.5,500\r\n");
    input.close();
    // Dropped on the window while the page is shown: the file is this page's input.
    ClickTab(kHeightsPageIndex);
    QCOMPARE(dialog_->tabControl()->current(), kHeightsPageIndex);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(dialog_.get(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(dialog_.get(), &drop);
    QCOMPARE(Text(OnPage(4, heights_ids::kInputPath)), path);
    QCOMPARE(Text(OnPage(4, heights_ids::kOutputPath)), Work(QStringLiteral("survey-heights.csv")));
    QCOMPARE(Text(OnPage(2, 1035)), Work(QStringLiteral("input.dat")));
    QCOMPARE(dialog_->tabControl()->current(), kHeightsPageIndex);

    auto* table = FindControlAs<QTableWidget>(Page(4), heights_ids::kPreview);
    QVERIFY(table != nullptr);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->columnCount(), 4);
    QCOMPARE(table->horizontalHeaderItem(1)->text(), QStringLiteral("Lat"));
    QCOMPARE(table->item(1, 2)->text(), QStringLiteral("11.5"));
    const auto picker = [this](int id) { return FindControlAs<QComboBox>(Page(4), id); };
    QCOMPARE(picker(heights_ids::kLatitudeColumn)->currentText(), QStringLiteral("2: Lat"));
    QCOMPARE(picker(heights_ids::kLongitudeColumn)->currentText(), QStringLiteral("3: Lon"));
    QCOMPARE(picker(heights_ids::kHeightColumn)->currentText(), QStringLiteral("4: h"));
    QCOMPARE(picker(heights_ids::kUnits)->currentText(), QStringLiteral("m"));
    QVERIFY(Checked(OnPage(4, heights_ids::kAppendOnly)));
    QVERIFY(dialog_->runStatus()->text().startsWith(QStringLiteral("latitude = column 2")));

    // What the user picks is what the run is given.
    picker(heights_ids::kLatitudeColumn)->setCurrentIndex(2);
    picker(heights_ids::kLongitudeColumn)->setCurrentIndex(1);
    picker(heights_ids::kUnits)->setCurrentIndex(1);
    Click(OnPage(4, heights_ids::kToEllipsoidal));
    const HeightsOptions options = dialog_->tabControl()->heightsPage()->logic().ChosenOptions();
    QCOMPARE(options.columns.latitude.index, std::size_t{3});
    QCOMPARE(options.columns.longitude.index, std::size_t{2});
    QCOMPARE(options.columns.height.index, std::size_t{4});
    QCOMPARE(options.target, HeightTarget::Ellipsoidal);
    QCOMPARE(options.unit, HeightUnit::Foot);

    if (!HaveGrid(kInternalName)) QSKIP("the real grids are not set up");
    Click(OnPage(4, heights_ids::kCalc));
    QVERIFY(messages_.empty());
    const QStringList lines = ReadLines(Work(QStringLiteral("survey-heights.csv")));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("Pt,Lat,Lon,h,N_EGM2008,h"));
    QCOMPARE(dialog_->runStatus()->text(), QStringLiteral("Conversion done - 2 data lines."));
    QCOMPARE(Text(OnPage(4, heights_ids::kCalc)), QStringLiteral("Calc!"));
}

void MainWindowTest::heightsPageShowsARasterAndMapsItsConvertedHeights() {
    using namespace heights_ids;
    const QString path = Work(QStringLiteral("dem.tif"));
    test::WriteDem(path.toStdString(), test::DemRaster{});  // 4 x 3 pixels from 10 E, 50 N
    ClickTab(kHeightsPageIndex);
    Type(OnPage(4, kInputPath), path);
    QTest::keyClick(OnPage(4, kInputPath), Qt::Key_Tab);
    QVERIFY(messages_.empty());
    QWidget* page = Page(4);
    QVERIFY(!OnPage(4, kPreview)->isVisibleTo(page));
    auto* description = FindControlAs<QPlainTextEdit>(page, kRasterDescription);
    QVERIFY(description != nullptr && description->isVisibleTo(page));
    QCOMPARE(description->toPlainText(),
             QString::fromStdString(DemDescriptionText(4, 3, "WGS 84", "Float32", std::nullopt)));
    auto* picture = FindControlAs<QLabel>(page, kRasterPicture);
    QVERIFY(picture != nullptr && picture->isVisibleTo(page));
    // The 4 x 3 picture, magnified by a whole factor to the label's room.
    const QSize shown = picture->pixmap().size();
    QVERIFY(shown.width() > 4 && shown.width() % 4 == 0 && shown.width() / 4 * 3 == shown.height());
    QVERIFY(shown.width() <= picture->maximumWidth());
    for (int id : {kDelimiter, kDecimalMark, kLatitudeColumn, kUnits, kAppendOnly})
        QVERIFY2(!OnPage(4, id)->isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(Checked(OnPage(4, kToOrthometric)));
    QCOMPARE(Text(OnPage(4, kOutputPath)), Work(QStringLiteral("dem-heights.tif")));
    QVERIFY(!OnPage(4, kShowMap)->isEnabled());

    if (!HaveGrid(kInternalName)) QSKIP("the real grids are not set up");
    Click(OnPage(4, kCalc));
    QVERIFY(messages_.empty());
    QVERIFY(QFile::exists(Work(QStringLiteral("dem-heights.tif"))));
    QVERIFY2(dialog_->runStatus()->text().contains(QStringLiteral("12 pixels converted")),
             qPrintable(dialog_->runStatus()->text()));
    QCOMPARE(Text(OnPage(4, kCalc)), QStringLiteral("Calc!"));
    QVERIFY(OnPage(4, kShowMap)->isEnabled());
    Click(OnPage(4, kShowMap));
    auto* window = dialog_->findChild<MapWindow*>();
    QVERIFY(window != nullptr);
    QCOMPARE(window->windowTitle(), QStringLiteral("Orthometric heights H [m] of dem-heights.tif"));
}

void MainWindowTest::checkReceiverServesGgaLogsAndItsReportIsCopied() {
    std::vector<std::pair<std::string, std::string>> reports;
    desktop::SetReportHook([&reports](QWidget*, const std::string& title, const std::string& text) {
        reports.emplace_back(title, text);
    });
    ClickTab(2);
    QWidget* check = OnPage(2, file_ids::kCheckReceiver);
    QCOMPARE(Text(check), QString::fromUtf8("Check receiver…"));
    QVERIFY(!check->isEnabled());
    Click(OnPage(2, 1044));
    QVERIFY(check->isEnabled());
    Click(OnPage(2, 1040));
    QVERIFY(!check->isEnabled());
    if (!HaveGrid(kInternalName)) QSKIP("the real grids are not set up");

    QFile input(Work(QStringLiteral("input.dat")));
    QVERIFY(input.open(QIODevice::WriteOnly));
    input.write((test::WithNmeaChecksum(
                     "$GPGGA,120000.00,4830.000,N,01130.000,E,1,08,0.9,500.0,M,47.3,M,,") +
                 "\r\n")
                    .c_str());
    input.close();
    Click(OnPage(2, 1044));
    Click(check);
    QCOMPARE(reports.size(), std::size_t{1});
    QCOMPARE(reports[0].first, std::string("Check receiver"));
    const QString text = QString::fromStdString(reports[0].second);
    QVERIFY2(text.contains(QStringLiteral("\nFixes: 1 from 120000.00 to 120000.00 UTC")),
             qPrintable(text));
    QVERIFY2(text.endsWith(kInternalName + QLatin1Char('\n')), qPrintable(text));

    // The window itself: the whole text, read only, and "Copy" puts all of it on the clipboard.
    ReportDialog dialog(dialog_.get(), QStringLiteral("Check receiver"), text);
    auto* area = FindControlAs<QPlainTextEdit>(&dialog, report_ids::kText);
    QVERIFY(area != nullptr && area->isReadOnly());
    QCOMPARE(area->toPlainText(), text);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Check receiver"));
    QGuiApplication::clipboard()->clear();
    FindControlAs<QPushButton>(&dialog, report_ids::kCopy)->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
}

void MainWindowTest::heightsPageDelimiterAndDecimalMarkDriveThePreviewAndTheRun() {
    const QString path = Work(QStringLiteral("survey.txt"));
    QFile input(path);
    QVERIFY(input.open(QIODevice::WriteOnly));
    input.write("Pt;Lat;Lon;h\r\nP1;52,5;13,4;100,00\r\nP2;48,1;11,5;200,00\r\n");
    input.close();
    ClickTab(kHeightsPageIndex);
    Type(OnPage(4, heights_ids::kInputPath), path);
    QTest::keyClick(OnPage(4, heights_ids::kInputPath), Qt::Key_Tab);
    const auto picker = [this](int id) { return FindControlAs<QComboBox>(Page(4), id); };
    QCOMPARE(picker(heights_ids::kDelimiter)->currentText(), QStringLiteral("semicolon ;"));
    QCOMPARE(picker(heights_ids::kDecimalMark)->currentText(), QStringLiteral("comma 52,5"));
    auto* table = FindControlAs<QTableWidget>(Page(4), heights_ids::kPreview);
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("52,5"));
    QCOMPARE(table->verticalHeaderItem(0)->text(), QStringLiteral("2"));

    // The user's delimiter splits the preview anew.
    picker(heights_ids::kDelimiter)->setCurrentIndex(0);
    emit picker(heights_ids::kDelimiter)->activated(0);
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("P1;52"));
    picker(heights_ids::kDelimiter)->setCurrentIndex(1);
    emit picker(heights_ids::kDelimiter)->activated(1);
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("52,5"));

    if (!HaveGrid(kInternalName)) QSKIP("the real grids are not set up");
    // The decimal point against the file: no line reads, each is listed and marked.
    picker(heights_ids::kDecimalMark)->setCurrentIndex(0);
    emit picker(heights_ids::kDecimalMark)->activated(0);
    Click(OnPage(4, heights_ids::kCalc));
    QCOMPARE(messages_.size(), std::size_t{1});
    auto* problems = FindControlAs<QPlainTextEdit>(Page(4), heights_ids::kProblems);
    QVERIFY(problems != nullptr && problems->isReadOnly());
    QCOMPARE(problems->toPlainText(),
             QStringLiteral("line 2: latitude \"52,5\" is not a coordinate\n"
                            "line 3: latitude \"48,1\" is not a coordinate"));
    QCOMPARE(table->item(1, 3)->toolTip(), QStringLiteral("latitude \"48,1\" is not a coordinate"));
    QVERIFY(table->item(1, 3)->background().style() != Qt::NoBrush);

    // The decimal comma converts both, and the list and the marks go.
    picker(heights_ids::kDecimalMark)->setCurrentIndex(1);
    emit picker(heights_ids::kDecimalMark)->activated(1);
    Click(OnPage(4, heights_ids::kCalc));
    QCOMPARE(messages_.size(), std::size_t{1});
    QCOMPARE(problems->toPlainText(), QString());
    QCOMPARE(table->item(1, 3)->background().style(), Qt::NoBrush);
    QCOMPARE(dialog_->runStatus()->text(), QStringLiteral("Conversion done - 2 data lines."));
}

void MainWindowTest::typedPathsReachThePagesAndTheDatabase() {
    ClickTab(2);
    const QString log = Work(QStringLiteral("rover.nmea"));
    Type(OnPage(2, file_ids::kInputPath), log);
    QTest::keyClick(OnPage(2, file_ids::kInputPath), Qt::Key_Tab);
    const PointFilePage& file = dialog_->tabControl()->filePage()->logic();
    QCOMPARE(QString::fromStdString(file.inputPath()), log);
    // The output is proposed beside it, in the field too.
    QCOMPARE(QString::fromStdString(file.outputPath()), Work(QStringLiteral("rover-egm2008.nmea")));
    QCOMPARE(Text(OnPage(2, file_ids::kOutputPath)), Work(QStringLiteral("rover-egm2008.nmea")));
    Type(OnPage(2, file_ids::kOutputPath), Work(QStringLiteral("mine.nmea")));
    QTest::keyClick(OnPage(2, file_ids::kOutputPath), Qt::Key_Tab);
    QCOMPARE(QString::fromStdString(file.outputPath()), Work(QStringLiteral("mine.nmea")));

    // The layout the receiver check advises is there, and serves it.
    QCOMPARE(Text(OnPage(2, file_ids::kNmeaLayout)),
             QStringLiteral("NMEA, any receiver: keep talker, minimal change"));
    Click(OnPage(2, file_ids::kNmeaLayout));
    QVERIFY(file.nmeaRewrite());
    QVERIFY(OnPage(2, file_ids::kCheckReceiver)->isEnabled());

    // A grid typed by its name: the name tells its size and byte order.
    Click(Main(1030));
    const QString grid = QStringLiteral("/data/grids/") + kBigEndian2_5;
    Type(Main(1021), grid);
    QTest::keyClick(Main(1021), Qt::Key_Return);
    QCOMPARE(QString::fromStdString(dialog_->grid().path), grid);
    QCOMPARE(dialog_->grid().gridSize, GridSize::Grid2_5x2_5);
    QVERIFY(dialog_->grid().bigEndian);
    QVERIFY(Checked(Main(1025)));
}

void MainWindowTest::theLastSessionIsRememberedAndRestored() {
    // The settings of this test alone, never the user's.
    QSettings settings(Work(QStringLiteral("settings/egm2008.conf")), QSettings::IniFormat);
    const std::string grid = Work(QStringLiteral("grids/")).toStdString() +
                             "Und_min1x1_egm2008_isw=82_WGS84_TideFree_SE";
    Click(Main(1030));
    dialogAnswers_.push_back(grid);
    Click(Main(1006));
    dialogAnswers_ = {Work(QStringLiteral("log.nmea")).toStdString()};
    Click(OnPage(2, file_ids::kInputButton));
    Click(OnPage(2, file_ids::kNmeaLayout));
    Click(OnPage(2, file_ids::kFirstMethod + 2));
    auto* formats = FindControlAs<QComboBox>(Page(1), gridmaker_ids::kFormatChoice);
    formats->setCurrentIndex(formats->findText(QStringLiteral("CSV")));
    Click(OnPage(1, gridmaker_ids::kNearestRadio));
    dialogAnswers_ = {Work(QStringLiteral("heights.csv")).toStdString()};
    Click(OnPage(4, heights_ids::kOutputButton));
    ClickTab(kHeightsPageIndex);
    dialog_->resize(dialog_->width() + 40, dialog_->height() + 30);
    const QSize size = dialog_->size();
    SaveWindowMemory(*dialog_, settings);

    NewDialog();
    QCOMPARE(dialog_->tabControl()->current(), 0);  // a new window starts as it always did
    RestoreWindowMemory(*dialog_, settings);
    QCOMPARE(dialog_->selection().useInternal(), false);
    QCOMPARE(dialog_->grid().path, grid);
    QCOMPARE(dialog_->grid().gridSize, GridSize::Grid1x1);
    QVERIFY(!dialog_->grid().bigEndian && Checked(Main(1024)) && Checked(Main(1030)));
    const PointFilePage& file = dialog_->tabControl()->filePage()->logic();
    QCOMPARE(QString::fromStdString(file.inputPath()), Work(QStringLiteral("log.nmea")));
    QCOMPARE(QString::fromStdString(file.outputPath()), Work(QStringLiteral("log-egm2008.nmea")));
    QVERIFY(file.nmeaRewrite() && Checked(OnPage(2, file_ids::kNmeaLayout)));
    QCOMPARE(file.method(), InterpolationMethod::Triangulation);
    QVERIFY(Checked(OnPage(2, file_ids::kFirstMethod + 2)));
    const GridmakerPage& gridmaker = dialog_->tabControl()->gridmakerPage()->logic();
    QCOMPARE(gridmaker.format(), LatticeFormat::Csv);
    QCOMPARE(gridmaker.outputPath(), std::string("Output.csv"));
    QCOMPARE(FindControlAs<QComboBox>(Page(1), gridmaker_ids::kFormatChoice)->currentText(),
             QStringLiteral("CSV"));
    QCOMPARE(gridmaker.method(), InterpolationMethod::NearestNeighbour);
    QVERIFY(Checked(OnPage(1, gridmaker_ids::kNearestRadio)));
    QCOMPARE(Text(OnPage(4, heights_ids::kOutputPath)), Work(QStringLiteral("heights.csv")));
    QCOMPARE(dialog_->tabControl()->current(), kHeightsPageIndex);
    QCOMPARE(dialog_->size(), size);

    // Internal in use: the external grid is kept for "External", not selected.
    Click(Main(1029));
    SaveWindowMemory(*dialog_, settings);
    NewDialog();
    RestoreWindowMemory(*dialog_, settings);
    QVERIFY(dialog_->selection().useInternal());
    QCOMPARE(QString::fromStdString(dialog_->grid().path), Work(kInternalName));
    Click(Main(1030));
    QCOMPARE(dialog_->grid().path, grid);
    QCOMPARE(dialog_->grid().gridSize, GridSize::Grid1x1);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
