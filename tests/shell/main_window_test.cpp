// The desktop window, offscreen: controls found by their dialog IDs within
// their own dialog or page, clicks and keys as a user gives them, message
// boxes, file dialogs and the launcher answered by the test.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <thread>

#include "engine/query_routines.hpp"
#include "shell/desktop.hpp"
#include "shell/dialog_layout.hpp"
#include "shell/egm2008_dlg.hpp"
#include "shell/file_drop.hpp"
#include "shell/long_run.hpp"
#include "shell/my_tab_ctrl.hpp"
#include "shell/tab_pages.hpp"
#include "tasks/gridmaker.hpp"
#include "tests/support/grid_files.hpp"

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
    void controlIdsAreUniqueWithinEachDialogAndPage();
    void labelledControlsAreNotClippedAndStayInsideTheirParent();
    void internalExternalRoundTripRemembersTheSettings();
    void pickedGridFilesAreRecognisedByName();
    void cancellingTheGridDialogKeepsThePath();
    void radioGroupsAreIndependent();
    void tabClicksSwitchPagesAndARepeatedClickChangesNothing();
    void keyboardTabSelectionSwitchesPages();
    void enterInAPageFieldRunsThatPagesCalc();
    void escapeOkAndExitEndTheWindow();
    void manualCalculationOnTheInternalGrid();
    void manualCalculationOnAPickedBigEndianGrid();
    void aMissingGridIsReportedOnce();
    void gridmakerRunWritesItsFile();
    void pointFileRunWritesItsFileAndKeepsPainting();
    void theRealSaveDialogAsksBeforeOverwritingAndCancelKeepsThePath();
    void viewersOpenExistingFilesAndTellWhatFailed();
    void helpButtonsAndAboutBox();
    void theRealLauncherIsNotWaitedFor();
    void aLongRunLeavesTheWindowResponsiveAndCancelStopsIt();
    void droppedGridsAndFilesAreToldApart();

private:
    QWidget* Main(int id) const { return FindControl(dialog_.get(), id); }
    QWidget* Page(int index) const { return dialog_->tabControl()->page(index); }
    QWidget* OnPage(int index, int id) const { return FindControl(Page(index), id); }
    QString Text(QWidget* control) const {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
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
    bool HaveGrid(const QString& name) const {
        return QFile::exists(kGridDir + QLatin1Char('/') + name);
    }

    std::unique_ptr<QTemporaryDir> folder_;
    QString previousFolder_;
    std::unique_ptr<CEGM2008Dlg> dialog_;
    std::vector<Message> messages_;
    std::deque<std::string> dialogAnswers_;
    std::vector<desktop::FileDialogKind> dialogKinds_;
    std::vector<Launch> launches_;
    bool launcherStarts_ = true;
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
    launches_.clear();
    desktop::SetMessageHook([this](QWidget*, const std::string& text, NoticeIcon icon) {
        messages_.push_back({text, icon});
    });
    desktop::SetFileDialogHook([this](QWidget*, desktop::FileDialogKind kind) {
        dialogKinds_.push_back(kind);
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

    dialog_ = std::make_unique<CEGM2008Dlg>(QDir::currentPath().toStdString(),
                                            Work(QStringLiteral("manual.html")).toStdString());
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
}

void MainWindowTest::cleanup() {
    dialog_.reset();
    desktop::SetMessageHook({});
    desktop::SetFileDialogHook({});
    desktop::SetLauncherHook({});
    QDir::setCurrent(previousFolder_);
    folder_.reset();
}

void MainWindowTest::startsOnTheManualPageWithTheInternalDatabase() {
    CMyTabCtrl* tabs = dialog_->tabControl();
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(tabs->tabBar()->tabText(0), QStringLiteral("EGM2008 Manual Calc"));
    QCOMPARE(tabs->tabBar()->tabText(3), QStringLiteral("Info"));
    QCOMPARE(tabs->current(), 0);
    QVERIFY(Page(0)->isVisible());
    QVERIFY(!Page(1)->isVisible() && !Page(2)->isVisible() && !Page(3)->isVisible());
    QVERIFY(dialog_->windowTitle().startsWith(QStringLiteral("Morvex EGM2008 Calculator")));
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
    std::vector<QWidget*> scopes{dialog_.get()};
    for (int i = 0; i < 4; ++i) scopes.push_back(Page(i));
    for (QWidget* scope : scopes) {
        std::set<QString> seen;
        for (QWidget* child :
             scope->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child->objectName().isEmpty()) continue;
            QVERIFY2(seen.insert(child->objectName()).second, qPrintable(child->objectName()));
        }
    }
    // The same ID in two places: each lookup finds its own dialog's control.
    QCOMPARE(Text(Main(1006)), QStringLiteral("EGM-File"));
    QVERIFY(qobject_cast<QLineEdit*>(OnPage(0, 1006)) != nullptr);
    QCOMPARE(Text(OnPage(1, 1006)), QStringLiteral("Output-File"));
    QCOMPARE(Text(OnPage(2, 1029)), QStringLiteral("View"));
    QCOMPARE(Text(Main(1029)), QStringLiteral("Internal Database (10' x 10')"));
}

void MainWindowTest::labelledControlsAreNotClippedAndStayInsideTheirParent() {
    std::vector<QWidget*> scopes{dialog_.get()};
    for (int i = 0; i < 4; ++i) scopes.push_back(Page(i));
    for (QWidget* scope : scopes) {
        for (QWidget* child :
             scope->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            const QString what = scope->objectName() + QLatin1Char('/') + child->objectName() +
                                 QLatin1Char(' ') + QLatin1String(child->metaObject()->className());
            if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) ||
                qobject_cast<QLabel*>(child)) {
                QVERIFY2(child->width() >= child->sizeHint().width(), qPrintable(what));
            }
            QVERIFY2(scope->rect().contains(child->geometry()), qPrintable(what));
        }
    }
    // No control covers another, frames aside; "OK" and "Exit" alone share one place.
    for (QWidget* scope : scopes) {
        QList<QWidget*> controls;
        for (QWidget* child :
             scope->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<QGroupBox*>(child) == nullptr &&
                child->objectName() != QStringLiteral("1")) {
                controls << child;
            }
        }
        for (qsizetype i = 0; i < controls.size(); ++i) {
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                const QString pair = scope->objectName() + QLatin1Char(':') + Text(controls[i]) +
                                     QStringLiteral(" / ") + Text(controls[j]);
                QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                         qPrintable(pair));
            }
        }
    }
    // "OK" and "Exit" share one place, and "Exit" is the one seen there.
    QCOMPARE(Main(1)->geometry(), Main(2)->geometry());
    QCOMPARE(dialog_->childAt(Main(2)->geometry().center()), Main(2));
    // Positions follow the dialog units of the window's font.
    const DialogUnits units(dialog_->font());
    QCOMPARE(Main(1006)->geometry(), units.Rect(15, 220, 50, 14));
    QCOMPARE(Main(57670)->geometry(), units.Rect(66, 287, 50, 16));
    QCOMPARE(dialog_->size(), QSize(units.X(295), units.Y(311)));
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
    // The other fields empty: the run reads the first corner and refuses the next field.
    QCOMPARE(messages_.size(), std::size_t{1});
    QVERIFY(messages_[0].text.starts_with("Longitude 1: \"\" is not a number."));
    QCOMPARE(Text(OnPage(1, 1009)), QStringLiteral("10.00000000"));

    // On the file page a radio takes Enter to "Calc!" as well; there is no input.dat here.
    ClickTab(2);
    Click(OnPage(2, 1041));
    QTest::keyClick(OnPage(2, 1041), Qt::Key_Return);
    QVERIFY(dialog_->isVisible());
    QCOMPARE(messages_.size(), std::size_t{2});
    QCOMPARE(messages_[1].text, "\nInputfile \"" + Work(QStringLiteral("input.dat")).toStdString() +
                                    "\" could not be opened!\n");
}

void MainWindowTest::escapeOkAndExitEndTheWindow() {
    QTest::keyClick(OnPage(0, 1000), Qt::Key_Escape);
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(dialog_->result(), int(QDialog::Rejected));

    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    qobject_cast<QAbstractButton*>(Main(1))->click();
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(dialog_->result(), int(QDialog::Accepted));

    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    Click(Main(2));
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(dialog_->result(), int(QDialog::Rejected));
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
                button->text() != QStringLiteral("Calc!")) {
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

    QVERIFY2(watch.painted.contains(QStringLiteral("1000")),
             qPrintable(watch.painted.join(QLatin1Char(','))));
    QVERIFY(watch.painted.contains(QStringLiteral("2000")));
    QVERIFY(watch.waitCursor);
    QCOMPARE(calc->text(), QStringLiteral("Calc!"));
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(messages_.size(), std::size_t{1});
    QCOMPARE(messages_[0].text, std::string("Calculation done - 2500 points."));
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

    QAction* about = nullptr;
    for (QAction* action : dialog_->actions()) {
        if (action->text() == QStringLiteral("&About EGM2008...")) about = action;
    }
    QVERIFY(about != nullptr);
    QCOMPARE(dialog_->contextMenuPolicy(), Qt::ActionsContextMenu);
    QString title;
    QStringList lines;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        title = box->windowTitle();
        for (QLabel* label : box->findChildren<QLabel*>()) lines << label->text();
        qobject_cast<QAbstractButton*>(FindControl(box, 1))->click();
    });
    about->trigger();
    QCOMPARE(title, QStringLiteral("About EGM2008"));
    QVERIFY(lines.contains(QStringLiteral("EGM2008 Version 1.2")));
    QVERIFY(dialog_->isVisible());
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
    QFile points(Work(QStringLiteral("points.txt")));
    QVERIFY(points.open(QIODevice::WriteOnly));
    points.write("52.5 13.4\n");
    points.close();
    QWidget window;
    std::vector<std::string> dropped;
    new FileDropTarget(
        &window,
        [&](const std::string& path, GridSize size, bool bigEndian) {
            dropped.push_back("grid " + std::to_string(static_cast<int>(size)) +
                              (bigEndian ? " big " : " little ") + path);
        },
        [&](const std::string& path) { dropped.push_back("file " + path); });
    QVERIFY(window.acceptDrops());
    for (const char* name : {"geoid.bin", "points.txt"}) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Work(QLatin1String(name)))});
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &drop);
    }
    const std::vector<std::string> expected = {
        "grid 2 big " + Work(QStringLiteral("geoid.bin")).toStdString(),
        "file " + Work(QStringLiteral("points.txt")).toStdString()};
    QCOMPARE(dropped, expected);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
