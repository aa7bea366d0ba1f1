#include "shell/egm2008_dlg.hpp"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <utility>

#include "engine/grid_probe.hpp"
#include "shell/desktop.hpp"
#include "shell/dialog_layout.hpp"
#include "shell/file_drop.hpp"
#include "shell/long_run.hpp"
#include "shell/messages.hpp"
#include "shell/my_tab_ctrl.hpp"
#include "shell/status_label.hpp"
#include "shell/tab_pages.hpp"
#include "tasks/points/manual_point.hpp"

// The program's pictures live in a static library, whose resources are registered only when asked.
static void RegisterProgramResources() { Q_INIT_RESOURCE(egm2008); }

namespace egm2008 {

namespace {

constexpr const char* kCaption = "Morvex EGM2008 Calculator - by the Morvex EGM2008 project";
constexpr const char* kAboutItem = "&About EGM2008...";

}  // namespace

QIcon ProgramIcon() {
    RegisterProgramResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/egm2008/egm2008-48.png"));
    icon.addFile(QStringLiteral(":/egm2008/egm2008-256.png"));
    return icon;
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("100"));
    setWindowTitle(QStringLiteral("About EGM2008"));
    auto* icon = new QLabel;
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    auto* lines = new QVBoxLayout;
    lines->addWidget(new QLabel(QStringLiteral("EGM2008 Version 1.2")));
    lines->addWidget(
        new QLabel(QStringLiteral("Program egm2008 ") + QString::fromLatin1(EGM2008_VERSION)));
    lines->addWidget(new QLabel(QStringLiteral("Copyright (C) 2026 the Morvex EGM2008 project")));
    lines->addWidget(
        new QLabel(QStringLiteral("Free software under the MIT licence (the file LICENSE)")));
    lines->addWidget(new QLabel(
        QStringLiteral("Geoid data: NGA's EGM2008 grids (Earth Gravitational Model 2008),\n"
                       "made from Debian's geotranz package")));
    lines->addStretch(1);
    auto* ok = MakeButton(main_id::kOk, QStringLiteral("&OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout(this);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(lines, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    row->setSizeConstraint(QLayout::SetFixedSize);
}

CEGM2008Dlg::CEGM2008Dlg(const std::string& workingDirectory, const std::string& manualPath,
                         QWidget* parent)
    : QDialog(parent), icon_(ProgramIcon()), manualPath_(manualPath) {
    setObjectName(QStringLiteral("102"));
    BuildControls();
    OnInitDialog(workingDirectory);
    // As large as the pages ask for where the screen has room; the pages scroll in a smaller one.
    resize(StartSize());
    FindControl(tabs_->page(0), manual_ids::kLatitude)->setFocus();
}

CEGM2008Dlg::~CEGM2008Dlg() {
    // The window hides after its members have gone; the focus leaving the grid
    // path field then must not reach the selection.
    if (QWidget* path = FindControl(this, database_id::kPath))
        QObject::disconnect(qobject_cast<QLineEdit*>(path), &QLineEdit::editingFinished, nullptr,
                            nullptr);
}

QSize CEGM2008Dlg::StartSize() const {
    const QScreen* shown = screen();
    if (shown == nullptr) return sizeHint();
    // The title bar is the window manager's, outside the window: leave it room too.
    const QSize room =
        shown->availableGeometry().size() -
        QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight) + fontMetrics().height());
    return sizeHint().boundedTo(room).expandedTo(minimumSizeHint());
}

void CEGM2008Dlg::BuildControls() {
    setWindowTitle(QString::fromLatin1(kCaption));
    tabs_ = new CMyTabCtrl(this);
    tabs_->setObjectName(QString::number(main_id::kTabControl));

    auto* exit = MakeButton(main_id::kExit, QStringLiteral("E&xit"));
    auto* help = MakeButton(main_id::kHelp, QStringLiteral("&Help"));
    auto* about = MakeButton(main_id::kAbout, QStringLiteral("&About"));
    connect(exit, &QPushButton::clicked, this, &CEGM2008Dlg::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        desktop::OpenWithDefaultApplication(this, manualPath_, ManualNotShownMessage);
    });
    connect(about, &QPushButton::clicked, this, &CEGM2008Dlg::ShowAbout);
    auto* buttons = new QHBoxLayout;
    for (QWidget* button : {exit, help, about}) buttons->addWidget(button);
    buttons->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->addWidget(tabs_, 1);
    column->addLayout(BuildDatabaseControls());
    column->addLayout(buttons);
    column->addLayout(BuildStatusLine());

    // Linux window managers take no items into the title-bar menu: About is in the context menu.
    auto* aboutItem = new QAction(QString::fromLatin1(kAboutItem), this);
    aboutItem->setObjectName(QString::number(main_id::kAbout));
    connect(aboutItem, &QAction::triggered, this, &CEGM2008Dlg::ShowAbout);
    addAction(aboutItem);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    BuildShortcuts();
    // The pages, then the database from the top down, then the buttons.
    using namespace database_id;
    SetTabChain(this, {main_id::kTabControl, kInternal, database_id::kHelp, kExternal, kChooseFile,
                       kPath, kGrid1x1, kGrid2_5, kGrid10, kBigEndian, kModelEgm2008, kModelEgm96,
                       kModelEgm84, main_id::kExit, main_id::kHelp, main_id::kAbout});
}

QLayout* CEGM2008Dlg::BuildDatabaseControls() {
    using namespace database_id;
    auto* internal = MakeRadio(kInternal, QStringLiteral("&Internal Database (10' x 10')"));
    auto* help = MakeButton(kHelp, QStringLiteral("&?"));
    auto* external = MakeRadio(kExternal, QStringLiteral("&External Database (EGM2008-File)"));
    auto* choose = MakeButton(kChooseFile, QStringLiteral("EGM-&File"));
    auto* bigEndian = MakeCheckLeftText(kBigEndian, QStringLiteral("&Big Endian"));
    QRadioButton* sizes[] = {MakeRadio(kGrid1x1, QStringLiteral("&1' x 1' Grid")),
                             MakeRadio(kGrid2_5, QStringLiteral("&2.5' x 2.5'  Grid")),
                             MakeRadio(kGrid10, QStringLiteral("1&0' x 10'  Grid"))};
    const std::pair<QRadioButton*, GeoidModel> models[] = {
        {MakeRadio(kModelEgm2008, QStringLiteral("EGM200&8")), GeoidModel::Egm2008},
        {MakeRadio(kModelEgm96, QStringLiteral("EGM&96")), GeoidModel::Egm96},
        {MakeRadio(kModelEgm84, QStringLiteral("EGM8&4")), GeoidModel::Egm84}};

    auto* internalRow = new QHBoxLayout;
    internalRow->addWidget(internal);
    internalRow->addWidget(help);
    internalRow->addStretch(1);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(choose);
    fileRow->addWidget(MakePathField(kPath,
                                     [this](const std::string& path) {
                                         if (path != grid_.path) UseTypedGridPath(path);
                                     }),
                       1);
    // The grid sizes indented under the file, the byte order beside the first of them.
    auto* sizeColumn = new QVBoxLayout;
    for (QRadioButton* size : sizes) sizeColumn->addWidget(size);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addSpacing(fontMetrics().averageCharWidth() * 4);
    sizeRow->addLayout(sizeColumn);
    sizeRow->addSpacing(fontMetrics().averageCharWidth() * 3);
    sizeRow->addWidget(bigEndian, 0, Qt::AlignTop);
    // The model beside them, in a row: it fits in the room the byte order leaves.
    sizeRow->addSpacing(fontMetrics().averageCharWidth() * 3);
    modelGroup_ = new QButtonGroup(this);
    for (const auto& [radio, model] : models) {
        sizeRow->addWidget(radio, 0, Qt::AlignTop);
        modelGroup_->addButton(radio, static_cast<int>(model));
    }
    sizeRow->addStretch(1);
    auto* column = new QVBoxLayout;
    column->addLayout(internalRow);
    column->addWidget(external);
    column->addLayout(fileRow);
    column->addLayout(sizeRow);

    databaseGroup_ = new QButtonGroup(this);
    databaseGroup_->addButton(internal);
    databaseGroup_->addButton(external);
    sizeGroup_ = new QButtonGroup(this);
    sizeGroup_->addButton(sizes[0], static_cast<int>(GridSize::Grid1x1));
    sizeGroup_->addButton(sizes[1], static_cast<int>(GridSize::Grid2_5x2_5));
    sizeGroup_->addButton(sizes[2], static_cast<int>(GridSize::Grid10x10));

    // Every change of the database clears the results of the one before and shows the new one.
    connect(internal, &QRadioButton::clicked, this, [this] {
        selection_.SelectInternalDatabase(controls_);
        DatabaseChanged();
    });
    connect(external, &QRadioButton::clicked, this, [this] {
        selection_.SelectExternalDatabase(controls_);
        DatabaseChanged();
    });
    connect(choose, &QPushButton::clicked, this, [this] {
        selection_.ChooseGridFile(controls_);
        DatabaseChanged();
    });
    connect(help, &QPushButton::clicked, this, [this] { selection_.ShowHelp(controls_); });
    connect(sizeGroup_, &QButtonGroup::idClicked, this, [this](int size) {
        selection_.SelectGridSize(static_cast<GridSize>(size));
        DatabaseChanged();
    });
    connect(modelGroup_, &QButtonGroup::idClicked, this, [this](int model) {
        selection_.SelectModel(controls_, static_cast<GeoidModel>(model));
        DatabaseChanged();
    });
    connect(bigEndian, &QCheckBox::clicked, this, [this] {
        selection_.ReadByteOrder(controls_);
        DatabaseChanged();
    });
    return column;
}

QLayout* CEGM2008Dlg::BuildStatusLine() {
    // Long texts are cut with "…" rather than widening the window, and shown whole in tooltips.
    databaseStatus_ = new StatusLabel(QStringLiteral("databaseStatus"));
    runStatus_ = new StatusLabel(QStringLiteral("runStatus"));
    runProgress_ = new QProgressBar;
    runProgress_->setObjectName(QStringLiteral("runProgress"));
    runCancel_ = MakeButton(0, QStringLiteral("&Cancel"));
    runCancel_->setObjectName(QStringLiteral("runCancel"));
    // Hidden, the meter and Cancel keep their room: a run that shows them moves nothing.
    for (QWidget* runControl : std::initializer_list<QWidget*>{runProgress_, runCancel_}) {
        QSizePolicy policy = runControl->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        runControl->setSizePolicy(policy);
        runControl->hide();
    }
    // The database on a line of its own, what a run did (or its meter) below it.
    auto* row = new QHBoxLayout;
    row->addWidget(runStatus_, 1);
    row->addWidget(runProgress_);
    row->addWidget(runCancel_);
    auto* lines = new QVBoxLayout;
    lines->addWidget(databaseStatus_);
    lines->addLayout(row);
    return lines;
}

void CEGM2008Dlg::BuildShortcuts() {
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &CEGM2008Dlg::reject);
    // Ctrl+Shift+Tab comes as Backtab from most keyboards.
    const std::pair<QList<QKeySequence>, int> steps[] = {
        {{QKeySequence(Qt::CTRL | Qt::Key_Tab)}, +1},
        {{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)},
         -1},
    };
    for (const auto& [keys, step] : steps) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys(keys);
        connect(shortcut, &QShortcut::activated, this,
                [this, step] { tabs_->SelectPage(tabs_->current() + step); });
    }
    for (int index = 0; index < tabs_->count(); ++index) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + index)), this);
        connect(shortcut, &QShortcut::activated, this, [this, index] { tabs_->SelectPage(index); });
    }
}

void CEGM2008Dlg::OnInitDialog(const std::string& workingDirectory) {
    setWindowIcon(icon_);
    tabs_->InsertItem(0, QStringLiteral("EGM2008 Manual Calc"));
    tabs_->InsertItem(1, QStringLiteral("EGM2008 Gridmaker"));
    tabs_->InsertItem(2, QStringLiteral("EGM2008 File Calc"));
    tabs_->InsertItem(3, QStringLiteral("Info"));
    tabs_->InsertItem(kHeightsPageIndex, QStringLiteral("Heights"));
    tabs_->SetGrid(&grid_);
    tabs_->InitialisePages();
    selection_.Initialise(controls_, workingDirectory);
    ShowDatabase();
    new FileDropTarget(
        this,
        [this](const std::string& path) {
            selection_.UseGridFile(controls_, path);
            DatabaseChanged();
        },
        [this](const std::string& path) {
            // On the "Heights" page the file is its input; anywhere else the point file's.
            if (tabs_->current() == kHeightsPageIndex) {
                tabs_->heightsPage()->SetInputFile(path);
                return;
            }
            tabs_->filePage()->SetInputFile(path);
            tabs_->SelectPage(2);
        });
}

void CEGM2008Dlg::UseTypedGridPath(const std::string& path) {
    selection_.UseGridFile(controls_, path);
    DatabaseChanged();
}

void CEGM2008Dlg::UseRememberedDatabase(bool internal,
                                        const DatabaseSelection::ExternalGrid& external) {
    if (internal) {
        selection_.RememberExternal(external);
        return;
    }
    selection_.UseGridFile(controls_, external.path, external.size, external.bigEndian);
    DatabaseChanged();
}

void CEGM2008Dlg::DatabaseChanged() {
    tabs_->manualPage()->ClearResults();
    ShowDatabase();
}

void CEGM2008Dlg::ShowDatabase() {
    databaseStatus_->ShowText(desktop::ToQString(selection_.Description()));
}

void CEGM2008Dlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CEGM2008Dlg::reject() {
    // A run holds the window: it is asked to stop, and the window closes when it has.
    if (RunIsActive(this)) {
        close();
        return;
    }
    QDialog::reject();
}

void CEGM2008Dlg::keyPressEvent(QKeyEvent* event) {
    // Esc stops a run (long_run.hpp) and otherwise leaves the window as it is: the
    // chosen grid and files are not lost to a stray key. Enter belongs to the pages.
    if (event->matches(QKeySequence::Cancel) || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace egm2008
