#include "shell/tab_pages.hpp"

#include <QButtonGroup>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "shell/desktop.hpp"
#include "shell/dialog_layout.hpp"
#include "shell/working_folder.hpp"
#include "tasks/gridmaker.hpp"
#include "tasks/manual_point.hpp"
#include "tasks/point_file_page.hpp"

namespace egm2008 {

namespace {

constexpr int kManualCalcId = 1002;
constexpr int kManualClearId = 1033;
constexpr int kVersionInfoId = 1046;

// Presses its button when Enter or Return reaches a control it watches.
class EnterToButton : public QObject {
public:
    EnterToButton(QObject* parent, QAbstractButton* button) : QObject(parent), button_(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && button_->isEnabled()) {
                button_->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractButton* button_;
};

QButtonGroup* GroupOf(QWidget* page, std::initializer_list<int> ids) {
    auto* group = new QButtonGroup(page);
    int index = 0;
    for (int id : ids) group->addButton(FindControlAs<QAbstractButton>(page, id), index++);
    return group;
}

}  // namespace

QAbstractButton* CalcButtonOf(QWidget* page) {
    if (qobject_cast<CTabOne*>(page) != nullptr)
        return FindControlAs<QAbstractButton>(page, kManualCalcId);
    if (qobject_cast<CTabTwo*>(page) != nullptr) {
        return FindControlAs<QAbstractButton>(page, gridmaker_ids::kCalcButton);
    }
    if (qobject_cast<CTabThree*>(page) != nullptr)
        return FindControlAs<QAbstractButton>(page, file_ids::kCalc);
    return nullptr;
}

void RouteEnterToButton(QWidget* page, QAbstractButton* calc) {
    auto* filter = new EnterToButton(page, calc);
    for (QWidget* control : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QLineEdit*>(control) != nullptr ||
            qobject_cast<QRadioButton*>(control) != nullptr) {
            control->installEventFilter(filter);
        }
    }
}

// ---------------------------------------------------------------- manual page

CTabOne::CTabOne(QWidget* parent)
    : QWidget(parent), logic_(std::make_unique<ManualPointPage>(platform_)) {
    setObjectName(QString::number(kManualPageId));
    ControlFactory make(this);
    using namespace manual_ids;
    make.Group(QStringLiteral("EGM2008 Manual Calculation"), 2, 4, 246, 139);
    make.Label(QStringLiteral("Latitude [°]"), 10, 22, 66, 8);
    make.Edit(kLatitude, 80, 20, 90, 13, false);
    make.Label(QStringLiteral("Longitude [°]"), 10, 40, 66, 8);
    make.Edit(kLongitude, 80, 38, 90, 13, false);
    auto* calc = make.Button(kManualCalcId, QStringLiteral("Calc!"), 180, 19, 50, 15);
    auto* clear = make.Button(kManualClearId, QStringLiteral("Clear"), 180, 37, 50, 15);
    make.Label(QStringLiteral("Undulation [m]"), 80, 62, 90, 8);
    make.Label(QStringLiteral("Bi-Quadratic"), 10, 77, 66, 8);
    make.Edit(kBiQuadratic, 80, 75, 90, 13, true);
    make.Label(QStringLiteral("Bi-Linear"), 10, 93, 66, 8);
    make.Edit(kBiLinear, 80, 91, 90, 13, true);
    make.Label(QStringLiteral("Triangulation"), 10, 109, 66, 8);
    make.Edit(kTriangulation, 80, 107, 90, 13, true);
    make.Label(QStringLiteral("Nearest Neighbor"), 10, 125, 66, 8);
    make.Edit(kNearest, 80, 123, 90, 13, true);

    connect(calc, &QPushButton::clicked, this, [this] { logic_->CalculatePoint(); });
    connect(clear, &QPushButton::clicked, this, [this] { logic_->ClearResults(); });
    RouteEnterToButton(this, calc);
}

CTabOne::~CTabOne() = default;

void CTabOne::SetGrid(const GeoidGrid* grid) { logic_->SetGrid(grid); }

// ------------------------------------------------------------- gridmaker page

CTabTwo::CTabTwo(QWidget* parent)
    : QWidget(parent), logic_(std::make_unique<GridmakerPage>(platform_)) {
    setObjectName(QString::number(kGridmakerPageId));
    ControlFactory make(this);
    using namespace gridmaker_ids;
    make.Group(QStringLiteral("EGM2008 Gridmaker"), 2, 4, 246, 139);
    make.Label(QStringLiteral("Grid-Area"), 10, 15, 60, 8);
    make.Label(QStringLiteral("Lat. [°]"), 10, 29, 30, 8);
    make.Edit(kLatitude1, 42, 27, 62, 13, false);
    make.Edit(kLatitude2, 108, 27, 62, 13, false);
    make.Label(QStringLiteral("(-90° to +90°)"), 174, 29, 68, 8);
    make.Label(QStringLiteral("Lon[°]"), 10, 45, 30, 8);
    make.Edit(kLongitude1, 42, 43, 62, 13, false);
    make.Edit(kLongitude2, 108, 43, 62, 13, false);
    make.Label(QStringLiteral("(-360° to 360°)"), 174, 45, 68, 8);
    make.Label(QStringLiteral("Spacing:"), 10, 63, 30, 8);
    make.Label(QStringLiteral("Lat. [']"), 42, 63, 24, 8);
    make.Edit(kLatSpacing, 68, 61, 36, 13, false);
    make.Label(QStringLiteral("Lon[']"), 108, 63, 24, 8);
    make.Edit(kLonSpacing, 134, 61, 36, 13, false);
    auto* browse = make.Button(kOutputFileButton, QStringLiteral("Output-File"), 10, 80, 45, 14);
    auto* view = make.Button(kViewButton, QStringLiteral("View"), 58, 80, 40, 14);
    make.Edit(kOutputPath, 10, 96, 232, 13, true);
    make.Radio(kBiQuadraticRadio, QStringLiteral("Bi-Quadratic Interpolation"), 10, 114, 96, 10);
    make.Radio(kBiLinearRadio, QStringLiteral("Bi-Linear Interpolation"), 10, 126, 90, 10);
    make.Radio(kTriangulationRadio, QStringLiteral("Triangulation"), 122, 114, 66, 10);
    make.Radio(kNearestRadio, QStringLiteral("Nearest Neighbour"), 122, 126, 70, 10);
    auto* calc = make.Button(kCalcButton, QStringLiteral("Calc!"), 190, 79, 50, 15);

    methods_ =
        GroupOf(this, {kBiQuadraticRadio, kBiLinearRadio, kTriangulationRadio, kNearestRadio});
    connect(methods_, &QButtonGroup::idClicked, this,
            [this](int method) { logic_->SelectMethod(static_cast<InterpolationMethod>(method)); });
    connect(browse, &QPushButton::clicked, this, [this] { logic_->BrowseOutputFile(); });
    connect(view, &QPushButton::clicked, this, [this] { logic_->ViewOutputFile(); });
    connect(calc, &QPushButton::clicked, this, [this] { logic_->RunGridmaker(); });
    RouteEnterToButton(this, calc);
}

CTabTwo::~CTabTwo() = default;

void CTabTwo::SetGrid(const GeoidGrid* grid) { logic_->SetGrid(grid); }

void CTabTwo::SelectInitialMethod() {
    SetButtonChecked(FindControl(this, gridmaker_ids::kBiQuadraticRadio), true);
    logic_->SelectMethod(InterpolationMethod::BiQuadratic);
}

// ------------------------------------------------------------------ file page

CTabThree::CTabThree(QWidget* parent)
    : QWidget(parent), logic_(std::make_unique<PointFilePage>(platform_)) {
    setObjectName(QString::number(kFilePageId));
    ControlFactory make(this);
    // The frames end 2 units higher than in a dialog template: Qt's tab row is taller.
    make.Group(QStringLiteral("EGM2008 File Calculation"), 2, 4, 248, 141);
    make.Group(QString(), 7, 4, 242, 137);
    auto* browseInput =
        make.Button(file_ids::kInputButton, QStringLiteral("Input-File"), 8, 14, 39, 14);
    auto* viewInput = make.Button(file_ids::kViewInput, QStringLiteral("View"), 49, 14, 40, 14);
    make.Edit(file_ids::kInputPath, 8, 29, 234, 14, true);
    auto* browseOutput =
        make.Button(file_ids::kOutputButton, QStringLiteral("Output-File"), 8, 48, 39, 14);
    auto* viewOutput = make.Button(file_ids::kViewOutput, QStringLiteral("View"), 50, 48, 40, 14);
    make.Edit(file_ids::kOutputPath, 8, 63, 234, 14, true);
    make.Label(QStringLiteral("Format Input-File:"), 7, 81, 55, 8);
    make.Radio(1040, QStringLiteral("Textfile: Lat Lon"), 11, 92, 67, 10);
    make.Radio(1041, QStringLiteral("Textfile: Lon Lat"), 11, 102, 67, 10);
    make.Radio(1042, QStringLiteral("Textfile: Pt-Number Lat Lon"), 11, 112, 102, 10);
    make.Radio(1043, QStringLiteral("Textfile: Pt-Number Lon Lat"), 11, 122, 102, 10);
    make.Radio(1044, QStringLiteral("Textfile: GGA from GPS"), 11, 132, 90, 10);
    make.Radio(1047, QStringLiteral("Bi-Quadratic Interpolation"), 143, 82, 96, 10);
    make.Radio(1048, QStringLiteral("Bi-Linear Interpolation"), 143, 92, 90, 10);
    make.Radio(1049, QStringLiteral("Triangulation"), 143, 103, 96, 10);
    make.Radio(1050, QStringLiteral("Nearest Neighbour"), 143, 113, 96, 10);
    auto* calc = make.Button(file_ids::kCalc, QStringLiteral("Calc!"), 141, 126, 50, 15);

    // Each group reports the clicked radio's dialog ID.
    layouts_ = new QButtonGroup(this);
    for (int id = file_ids::kFirstLayout; id <= file_ids::kLastLayout; ++id) {
        layouts_->addButton(FindControlAs<QAbstractButton>(this, id), id);
    }
    methods_ = new QButtonGroup(this);
    for (int id = file_ids::kFirstMethod; id <= file_ids::kLastMethod; ++id) {
        methods_->addButton(FindControlAs<QAbstractButton>(this, id), id);
    }
    connect(layouts_, &QButtonGroup::idClicked, this, [this](int id) { logic_->SelectLayout(id); });
    connect(methods_, &QButtonGroup::idClicked, this, [this](int id) { logic_->SelectMethod(id); });
    connect(browseInput, &QPushButton::clicked, this, [this] { logic_->BrowseInputFile(); });
    connect(viewInput, &QPushButton::clicked, this, [this] { logic_->ViewInputFile(); });
    connect(browseOutput, &QPushButton::clicked, this, [this] { logic_->BrowseOutputFile(); });
    connect(viewOutput, &QPushButton::clicked, this, [this] { logic_->ViewOutputFile(); });
    connect(calc, &QPushButton::clicked, this, [this] { logic_->CalculatePointFile(); });
    RouteEnterToButton(this, calc);
}

CTabThree::~CTabThree() = default;

void CTabThree::InitialiseFilePage(const GeoidGrid* grid) {
    logic_->InitialiseFilePage(grid, std::filesystem::current_path().string());
    SetButtonChecked(FindControl(this, file_ids::kFirstLayout + static_cast<int>(logic_->layout())),
                     true);
    SetButtonChecked(FindControl(this, file_ids::kFirstMethod + static_cast<int>(logic_->method())),
                     true);
}

// ------------------------------------------------------------------ info page

CTabFour::CTabFour(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(kInfoPageId));
    QFont bold = font();
    bold.setPointSize(10);
    bold.setBold(true);
    setFont(bold);
    ControlFactory make(this);
    make.Group(QStringLiteral("Morvex EGM2008 Calculator v. 1.2"), 2, 4, 200, 114);
    make.Label(QStringLiteral("Calculation of EGM2008 geoid undulations"), 10, 18, 180, 9);
    make.Label(QStringLiteral("The Morvex EGM2008 project"), 10, 38, 180, 9);
    make.Label(QStringLiteral("Free geoid calculator for NGA's EGM2008 grids"), 10, 50, 180, 9);
    make.Label(QStringLiteral("Contact: the project's issue tracker"), 10, 62, 180, 9);
    make.Label(QStringLiteral("User manual: \"Help\" below"), 10, 74, 180, 9);
    auto* versionInfo = make.Button(kVersionInfoId, QStringLiteral("Version Info"), 10, 92, 60, 15);
    // The notes lie in the working folder.
    connect(versionInfo, &QPushButton::clicked, this,
            [this] { desktop::OpenWithDefaultApplication(window(), kVersionNotesName); });
}

}  // namespace egm2008
