#include "shell/egm2008_dlg.hpp"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

#include "shell/desktop.hpp"
#include "shell/dialog_layout.hpp"
#include "shell/my_tab_ctrl.hpp"

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
    ControlFactory make(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    icon->setGeometry(make.units().X(11), make.units().Y(17), 32, 32);
    make.Label(QStringLiteral("EGM2008 Version 1.2"), 40, 10, 119, 8);
    make.Label(QStringLiteral("Copyright (C) 2026 the Morvex EGM2008 project"), 40, 25, 130, 8);
    auto* ok = make.Button(main_id::kOk, QStringLiteral("OK"), 178, 7, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(make.units().X(235), make.units().Y(55));
}

CEGM2008Dlg::CEGM2008Dlg(const std::string& workingDirectory, const std::string& manualPath,
                         QWidget* parent)
    : QDialog(parent), icon_(ProgramIcon()), manualPath_(manualPath) {
    setObjectName(QStringLiteral("102"));
    BuildControls();
    OnInitDialog(workingDirectory);
}

CEGM2008Dlg::~CEGM2008Dlg() = default;

void CEGM2008Dlg::BuildControls() {
    using namespace database_id;
    ControlFactory make(this);
    setWindowTitle(QString::fromLatin1(kCaption));
    setFixedSize(make.units().X(295), make.units().Y(311));

    tabs_ = new CMyTabCtrl(this);
    tabs_->setObjectName(QString::number(main_id::kTabControl));
    tabs_->setGeometry(make.units().Rect(15, 15, 262, 161));

    auto* internal =
        make.Radio(kInternal, QStringLiteral("Internal Database (10' x 10')"), 15, 187, 114, 10);
    auto* help = make.Button(kHelp, QStringLiteral("?"), 131, 184, 21, 14);
    auto* external =
        make.Radio(kExternal, QStringLiteral("External Database (EGM2008-File)"), 15, 207, 126, 10);
    auto* choose = make.Button(kChooseFile, QStringLiteral("EGM-File"), 15, 220, 50, 14);
    make.Edit(kPath, 68, 221, 208, 14, true);
    make.Radio(kGrid1x1, QStringLiteral("1' x 1' Grid"), 35, 241, 49, 10);
    make.Radio(kGrid2_5, QStringLiteral("2.5' x 2.5'  Grid"), 35, 255, 65, 10);
    make.Radio(kGrid10, QStringLiteral("10' x 10'  Grid"), 35, 268, 59, 10);
    auto* bigEndian =
        make.CheckLeftText(kBigEndian, QStringLiteral("Big Endian"), 123, 242, 49, 10);

    // "OK" and "Exit" share one place; "Exit" lies on top, "OK" stays the default button.
    auto* ok = make.Button(main_id::kOk, QStringLiteral("OK"), 15, 287, 50, 16);
    auto* exit = make.Button(main_id::kExit, QStringLiteral("Exit"), 15, 287, 50, 16);
    auto* helpButton = make.Button(main_id::kHelp, QStringLiteral("&Help"), 66, 287, 50, 16);
    ok->setDefault(true);
    exit->raise();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton, &QPushButton::clicked, this,
            [this] { desktop::OpenWithDefaultApplication(this, manualPath_); });

    databaseGroup_ = new QButtonGroup(this);
    databaseGroup_->addButton(internal);
    databaseGroup_->addButton(external);
    sizeGroup_ = new QButtonGroup(this);
    sizeGroup_->addButton(FindControlAs<QRadioButton>(this, kGrid1x1),
                          static_cast<int>(GridSize::Grid1x1));
    sizeGroup_->addButton(FindControlAs<QRadioButton>(this, kGrid2_5),
                          static_cast<int>(GridSize::Grid2_5x2_5));
    sizeGroup_->addButton(FindControlAs<QRadioButton>(this, kGrid10),
                          static_cast<int>(GridSize::Grid10x10));

    connect(internal, &QRadioButton::clicked, this,
            [this] { selection_.SelectInternalDatabase(controls_); });
    connect(external, &QRadioButton::clicked, this,
            [this] { selection_.SelectExternalDatabase(controls_); });
    connect(choose, &QPushButton::clicked, this, [this] { selection_.ChooseGridFile(controls_); });
    connect(help, &QPushButton::clicked, this, [this] { selection_.ShowHelp(controls_); });
    connect(sizeGroup_, &QButtonGroup::idClicked, this,
            [this](int size) { selection_.SelectGridSize(static_cast<GridSize>(size)); });
    connect(bigEndian, &QCheckBox::clicked, this, [this] { selection_.ReadByteOrder(controls_); });

    // Linux window managers take no items into the title-bar menu: About is in the context menu.
    auto* about = new QAction(QString::fromLatin1(kAboutItem), this);
    about->setObjectName(QStringLiteral("16"));
    connect(about, &QAction::triggered, this, &CEGM2008Dlg::ShowAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CEGM2008Dlg::OnInitDialog(const std::string& workingDirectory) {
    setWindowIcon(icon_);
    tabs_->InsertItem(0, QStringLiteral("EGM2008 Manual Calc"));
    tabs_->InsertItem(1, QStringLiteral("EGM2008 Gridmaker"));
    tabs_->InsertItem(2, QStringLiteral("EGM2008 File Calc"));
    tabs_->InsertItem(3, QStringLiteral("Info"));
    tabs_->SetGrid(&grid_);
    tabs_->InitialisePages();
    selection_.Initialise(controls_, workingDirectory);
}

void CEGM2008Dlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CEGM2008Dlg::closeEvent(QCloseEvent* event) {
    if (QApplication::overrideCursor() != nullptr) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace egm2008
