#include "shell/tab_pages.hpp"

#include <QBoxLayout>
#include <QComboBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>
#include <filesystem>
#include <span>

#include "shell/desktop.hpp"
#include "shell/dialog_layout.hpp"
#include "shell/heights_picture.hpp"
#include "shell/world_picture.hpp"
#include "shell/working_folder.hpp"
#include "tasks/lattice/gridmaker.hpp"
#include "tasks/heights/heights_page.hpp"
#include "tasks/points/manual_point.hpp"
#include "tasks/points/point_file_page.hpp"

namespace egm2008 {

namespace {

constexpr int kManualCalcId = 1002;
constexpr int kManualClearId = 1033;
constexpr int kVersionInfoId = 1046;

// The widest texts the pages write into their fields ("%.8f" and "%.4f").
const QString kWidestCoordinate = QStringLiteral("-000.00000000");
const QString kWidestSpacing = QStringLiteral("00000.00000000");
const QString kWidestUndulation = QStringLiteral("-0000.0000");

// The method radios 1047..1050 of the gridmaker and the file page, with the same keys on both.
const char* const kMethodCaptions[] = {"Bi-&Quadratic Interpolation", "Bi-Li&near Interpolation",
                                       "&Triangulation", "Neare&st Neighbour"};
const QString kCalcWithKey = QStringLiteral("&Calc!");

QLabel* Label(const char* text) { return new QLabel(QString::fromUtf8(text)); }

// Widgets side by side, pushed to the left.
QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets) row->addWidget(widget);
    row->addStretch(1);
    return row;
}

// The page's titled frame around `content`.
void FramePage(QWidget* page, const QString& title, QLayout* content) {
    auto* frame = new QGroupBox(title);
    frame->setLayout(content);
    auto* outer = new QVBoxLayout(page);
    const int margin = page->style()->pixelMetric(QStyle::PM_LayoutTopMargin) / 2;
    outer->setContentsMargins(margin, margin, margin, margin);
    outer->addWidget(frame);
}

QButtonGroup* GroupOf(QWidget* page, std::initializer_list<int> ids) {
    auto* group = new QButtonGroup(page);
    int index = 0;
    for (int id : ids) group->addButton(FindControlAs<QAbstractButton>(page, id), index++);
    return group;
}

}  // namespace

CalcKeys::CalcKeys(QWidget* page, QAbstractButton* calc) : QObject(page), calc_(calc) {
    // Keys a control of the page leaves alone (fields, radios and buttons all
    // leave Enter) reach the page, where this filter sees them.
    page->installEventFilter(this);
}

bool CalcKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (calc_->isEnabled()) calc_->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QAbstractButton* CalcButtonOf(QWidget* page) {
    if (qobject_cast<CTabOne*>(page) != nullptr)
        return FindControlAs<QAbstractButton>(page, kManualCalcId);
    if (qobject_cast<CTabTwo*>(page) != nullptr) {
        return FindControlAs<QAbstractButton>(page, gridmaker_ids::kCalcButton);
    }
    if (qobject_cast<CTabThree*>(page) != nullptr)
        return FindControlAs<QAbstractButton>(page, file_ids::kCalc);
    if (qobject_cast<CTabHeights*>(page) != nullptr)
        return FindControlAs<QAbstractButton>(page, heights_ids::kCalc);
    return nullptr;
}

// ---------------------------------------------------------------- manual page

CTabOne::CTabOne(QWidget* parent)
    : QWidget(parent), logic_(std::make_unique<ManualPointPage>(platform_)) {
    setObjectName(QString::number(kManualPageId));
    MarkScope(this);
    using namespace manual_ids;
    auto* calc = MakeButton(kManualCalcId, kCalcWithKey);
    auto* clear = MakeButton(kManualClearId, QStringLiteral("C&lear"));
    auto* grid = new QGridLayout;
    grid->addWidget(Label("Latitude [°]"), 0, 0);
    grid->addWidget(MakeField(kLatitude, kWidestCoordinate), 0, 1);
    grid->addWidget(calc, 0, 2);
    grid->addWidget(Label("Longitude [°]"), 1, 0);
    grid->addWidget(MakeField(kLongitude, kWidestCoordinate), 1, 1);
    grid->addWidget(clear, 1, 2);
    grid->setRowMinimumHeight(2, fontMetrics().height() / 2);
    grid->addWidget(Label("Undulation [m]"), 3, 1);
    int row = 4;
    for (const ManualMethod& method : kManualMethods) {
        grid->addWidget(Label(method.label), row, 0);
        grid->addWidget(MakeResultField(method.field, kWidestUndulation), row, 1);
        ++row;
    }
    // The world map with the point, right of the results, beside the whole column.
    auto* world = new WorldPicture;
    world->setObjectName(QString::number(kPicture));
    grid->setColumnMinimumWidth(3, fontMetrics().averageCharWidth() * 3);
    grid->addWidget(world, 0, 4, row, 1, Qt::AlignTop | Qt::AlignLeft);
    grid->setColumnStretch(5, 1);
    grid->setRowStretch(row, 1);
    FramePage(this, QStringLiteral("EGM2008 Manual Calculation"), grid);

    // The two fields first, then their buttons.
    SetTabChain(this, {kLatitude, kLongitude, kManualCalcId, kManualClearId});
    connect(calc, &QPushButton::clicked, this, [this] { logic_->CalculatePoint(); });
    connect(clear, &QPushButton::clicked, this, [this] { logic_->ClearResults(); });
    new CalcKeys(this, calc);
}

CTabOne::~CTabOne() = default;

void CTabOne::SetGrid(const GeoidGrid* grid) { logic_->SetGrid(grid); }

void CTabOne::ClearResults() { logic_->ClearResults(); }

// ------------------------------------------------------------- gridmaker page

CTabTwo::CTabTwo(QWidget* parent)
    : QWidget(parent), logic_(std::make_unique<GridmakerPage>(platform_)) {
    setObjectName(QString::number(kGridmakerPageId));
    MarkScope(this);
    using namespace gridmaker_ids;
    auto* grid = new QGridLayout;
    grid->addWidget(Label("Grid-Area"), 0, 0, 1, 2);
    grid->addWidget(Label("Lat. [°]"), 1, 0);
    grid->addWidget(MakeField(kLatitude1, kWidestCoordinate), 1, 1);
    grid->addWidget(MakeField(kLatitude2, kWidestCoordinate), 1, 2);
    grid->addWidget(Label("(-90° to +90°)"), 1, 3);
    grid->addWidget(Label("Lon[°]"), 2, 0);
    grid->addWidget(MakeField(kLongitude1, kWidestCoordinate), 2, 1);
    grid->addWidget(MakeField(kLongitude2, kWidestCoordinate), 2, 2);
    grid->addWidget(Label("(-360° to 360°)"), 2, 3);
    grid->addWidget(Label("Spacing:"), 3, 0);
    grid->addLayout(Row({Label("Lat. [']"), MakeField(kLatSpacing, kWidestSpacing)}), 3, 1);
    grid->addLayout(Row({Label("Lon[']"), MakeField(kLonSpacing, kWidestSpacing)}), 3, 2);

    auto* browse = MakeButton(kOutputFileButton, QStringLiteral("&Output-File"));
    auto* formats = new QComboBox;
    formats->setObjectName(QString::number(kFormatChoice));
    auto* formatLabel = Label("Fo&rmat");
    formatLabel->setBuddy(formats);
    auto* view = MakeButton(kViewButton, QStringLiteral("&View"));
    auto* calc = MakeButton(kCalcButton, kCalcWithKey);
    auto* showMap = MakeButton(kShowMapButton, QStringLiteral("Show &map"));
    QHBoxLayout* output = Row({browse, formatLabel, formats, view});
    output->addWidget(calc);
    output->addWidget(showMap);
    grid->addLayout(output, 4, 0, 1, 5);
    grid->addWidget(MakePathField(kOutputPath,
                                  [this](const std::string& path) {
                                      if (path != logic_->outputPath()) logic_->SetOutputPath(path);
                                  }),
                    5, 0, 1, 5);

    auto* radios = new QGridLayout;
    const int radioIds[] = {kBiQuadraticRadio, kBiLinearRadio, kTriangulationRadio, kNearestRadio};
    for (int i = 0; i < 4; ++i) {
        // Bi-quadratic and bi-linear on the left, the other two beside them.
        radios->addWidget(MakeRadio(radioIds[i], QString::fromLatin1(kMethodCaptions[i])), i % 2,
                          i / 2);
    }
    radios->setColumnStretch(2, 1);
    grid->addLayout(radios, 6, 0, 1, 5);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(7, 1);
    FramePage(this, QStringLiteral("EGM2008 Gridmaker"), grid);

    // Row by row: the corners, the spacings, the output row, the methods column by column.
    SetTabChain(
        this, {kLatitude1, kLatitude2, kLongitude1, kLongitude2, kLatSpacing, kLonSpacing,
               kOutputFileButton, kFormatChoice, kViewButton, kCalcButton, kShowMapButton,
               kOutputPath, kBiQuadraticRadio, kBiLinearRadio, kTriangulationRadio, kNearestRadio});
    methods_ =
        GroupOf(this, {kBiQuadraticRadio, kBiLinearRadio, kTriangulationRadio, kNearestRadio});
    connect(methods_, &QButtonGroup::idClicked, this,
            [this](int method) { logic_->SelectMethod(static_cast<InterpolationMethod>(method)); });
    connect(browse, &QPushButton::clicked, this, [this] { logic_->BrowseOutputFile(); });
    connect(view, &QPushButton::clicked, this, [this] { logic_->ViewOutputFile(); });
    connect(calc, &QPushButton::clicked, this, [this] { logic_->RunGridmaker(); });
    connect(showMap, &QPushButton::clicked, this, [this] { logic_->ShowMap(); });
    logic_->InitialiseGridmakerPage();
    // After the items are in: the picker's choice is the page's format.
    connect(formats, &QComboBox::currentIndexChanged, this,
            [this](int index) { logic_->SelectFormat(index); });
    new CalcKeys(this, calc);
}

CTabTwo::~CTabTwo() = default;

void CTabTwo::SetGrid(const GeoidGrid* grid) { logic_->SetGrid(grid); }

void CTabTwo::SelectInitialMethod() { ChooseMethod(InterpolationMethod::BiQuadratic); }

void CTabTwo::ChooseMethod(InterpolationMethod method) {
    SetButtonChecked(methods_->button(static_cast<int>(method)), true);
    logic_->SelectMethod(method);
}

void CTabTwo::ChooseFormat(LatticeFormat format) {
    const std::span<const LatticeFormat> formats = GridmakerFormats();
    const auto at = std::find(formats.begin(), formats.end(), format);
    // The picker tells the page of its new item.
    if (at != formats.end())
        FindControlAs<QComboBox>(this, gridmaker_ids::kFormatChoice)
            ->setCurrentIndex(static_cast<int>(at - formats.begin()));
}

void CTabTwo::SetOutputFile(const std::string& path) { logic_->SetOutputPath(path); }

// ------------------------------------------------------------------ file page

CTabThree::CTabThree(QWidget* parent)
    : QWidget(parent), logic_(std::make_unique<PointFilePage>(platform_)) {
    setObjectName(QString::number(kFilePageId));
    MarkScope(this);
    using namespace file_ids;
    auto* browseInput = MakeButton(kInputButton, QStringLiteral("In&put-File"));
    auto* viewInput = MakeButton(kViewInput, QStringLiteral("&View"));
    auto* browseOutput = MakeButton(kOutputButton, QStringLiteral("O&utput-File"));
    auto* viewOutput = MakeButton(kViewOutput, QStringLiteral("Vie&w"));
    auto* calc = MakeButton(kCalc, kCalcWithKey);

    auto* layouts = new QVBoxLayout;
    layouts->addWidget(Label("Format Input-File:"));
    const char* const layoutCaptions[] = {
        "Textfile: &Lat Lon", "Textfile: L&on Lat", "Textfile: Pt-Nu&mber Lat Lon",
        "Textfile: Pt-Numbe&r Lon Lat", "Textfile: &GGA from GPS"};
    for (int id = kFirstLayout; id <= kLastLayout; ++id) {
        layouts->addWidget(MakeRadio(id, QString::fromLatin1(layoutCaptions[id - kFirstLayout])));
    }
    // Its caption is the one the receiver check's advice names; its key is the "y" of "any".
    layouts->addWidget(
        MakeRadio(kNmeaLayout, QString::fromUtf8(kNmeaLayoutCaption)
                                   .replace(QStringLiteral(" any "), QStringLiteral(" an&y "))));
    // Under the NMEA layouts, which it serves.
    auto* checkReceiver = MakeButton(kCheckReceiver, QString::fromUtf8("Chec&k receiver…"));
    layouts->addWidget(checkReceiver, 0, Qt::AlignLeft);
    layouts->addStretch(1);
    auto* methods = new QVBoxLayout;
    for (int id = kFirstMethod; id <= kLastMethod; ++id) {
        methods->addWidget(MakeRadio(id, QString::fromLatin1(kMethodCaptions[id - kFirstMethod])));
    }
    methods->addWidget(calc, 0, Qt::AlignLeft);
    methods->addStretch(1);
    auto* choices = new QHBoxLayout;
    choices->addLayout(layouts);
    choices->addSpacing(fontMetrics().averageCharWidth() * 3);
    choices->addLayout(methods);
    choices->addStretch(1);

    auto* column = new QVBoxLayout;
    column->addLayout(Row({browseInput, viewInput}));
    column->addWidget(MakePathField(kInputPath, [this](const std::string& path) {
        if (path != logic_->inputPath()) logic_->SetInputPath(path);
    }));
    column->addLayout(Row({browseOutput, viewOutput}));
    column->addWidget(MakePathField(kOutputPath, [this](const std::string& path) {
        if (path != logic_->outputPath()) logic_->SetOutputPath(path);
    }));
    column->addLayout(choices, 1);
    FramePage(this, QStringLiteral("EGM2008 File Calculation"), column);

    // The files, then the layouts' column and the methods' column with "Calc!" under it.
    SetTabChain(this, {kInputButton, kViewInput, kInputPath, kOutputButton, kViewOutput,
                       kOutputPath, kFirstLayout, kFirstLayout + 1, kFirstLayout + 2,
                       kFirstLayout + 3, kLastLayout, kNmeaLayout, kCheckReceiver, kFirstMethod,
                       kFirstMethod + 1, kFirstMethod + 2, kLastMethod, kCalc});
    // Each group reports the clicked radio's dialog ID.
    layouts_ = new QButtonGroup(this);
    for (int id = kFirstLayout; id <= kLastLayout; ++id) {
        layouts_->addButton(FindControlAs<QAbstractButton>(this, id), id);
    }
    layouts_->addButton(FindControlAs<QAbstractButton>(this, kNmeaLayout), kNmeaLayout);
    methods_ = new QButtonGroup(this);
    for (int id = kFirstMethod; id <= kLastMethod; ++id) {
        methods_->addButton(FindControlAs<QAbstractButton>(this, id), id);
    }
    connect(layouts_, &QButtonGroup::idClicked, this, [this](int id) { logic_->SelectLayout(id); });
    connect(methods_, &QButtonGroup::idClicked, this, [this](int id) { logic_->SelectMethod(id); });
    connect(browseInput, &QPushButton::clicked, this, [this] { logic_->BrowseInputFile(); });
    connect(viewInput, &QPushButton::clicked, this, [this] { logic_->ViewInputFile(); });
    connect(browseOutput, &QPushButton::clicked, this, [this] { logic_->BrowseOutputFile(); });
    connect(viewOutput, &QPushButton::clicked, this, [this] { logic_->ViewOutputFile(); });
    connect(checkReceiver, &QPushButton::clicked, this, [this] { logic_->CheckReceiver(); });
    connect(calc, &QPushButton::clicked, this, [this, calc] {
        logic_->CalculatePointFile();
        // The run shows its progress in the caption and leaves it without the key.
        calc->setText(kCalcWithKey);
    });
    new CalcKeys(this, calc);
}

CTabThree::~CTabThree() = default;

void CTabThree::SetInputFile(const std::string& path) { logic_->SetInputPath(path); }

void CTabThree::SetOutputFile(const std::string& path) { logic_->SetOutputPath(path); }

void CTabThree::ChooseLayout(int radioId) {
    if (QAbstractButton* radio = layouts_->button(radioId)) {
        SetButtonChecked(radio, true);
        logic_->SelectLayout(radioId);
    }
}

void CTabThree::ChooseMethod(int radioId) {
    if (QAbstractButton* radio = methods_->button(radioId)) {
        SetButtonChecked(radio, true);
        logic_->SelectMethod(radioId);
    }
}

void CTabThree::InitialiseFilePage(const GeoidGrid* grid) {
    logic_->InitialiseFilePage(grid, std::filesystem::current_path().string());
    SetButtonChecked(FindControl(this, file_ids::kFirstLayout + static_cast<int>(logic_->layout())),
                     true);
    SetButtonChecked(FindControl(this, file_ids::kFirstMethod + static_cast<int>(logic_->method())),
                     true);
}

// --------------------------------------------------------------- heights page

namespace {

// A picker: a list to choose from, as wide as its widest item.
QComboBox* MakePicker(int id) {
    auto* box = new QComboBox;
    box->setObjectName(QString::number(id));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->setMinimumContentsLength(10);
    return box;
}

// The preview: read-only cells, selectable to copy, growing with the window.
QTableWidget* MakePreviewTable(int id, int lines) {
    auto* table = new QTableWidget;
    table->setObjectName(QString::number(id));
    // Its headers, scroll bars and corner button are its own, not the page's controls.
    MarkScope(table);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setMinimumHeight(table->fontMetrics().height() * lines);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    return table;
}

// The lines a run could not convert: read-only text, selectable to copy, `lines` high.
QPlainTextEdit* MakeProblemList(int id, int lines) {
    auto* list = new QPlainTextEdit;
    list->setObjectName(QString::number(id));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setPlaceholderText(QStringLiteral("Lines a run could not convert are listed here."));
    const int frame =
        2 * list->frameWidth() + 2 * static_cast<int>(list->document()->documentMargin());
    list->setFixedHeight(list->fontMetrics().lineSpacing() * lines + frame);
    return list;
}

// A raster input's description: read-only lines, selectable to copy, `lines` high.
QPlainTextEdit* MakeRasterDescription(int id, int lines) {
    auto* text = new QPlainTextEdit;
    text->setObjectName(QString::number(id));
    // Its viewport and scroll bars are its own, not the page's controls.
    MarkScope(text);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    const int frame =
        2 * text->frameWidth() + 2 * static_cast<int>(text->document()->documentMargin());
    text->setMinimumHeight(text->fontMetrics().lineSpacing() * lines + frame);
    text->hide();
    return text;
}

// A raster input's shaded picture, at most `side` pixels either way.
QLabel* MakeRasterPicture(int id, int side) {
    auto* picture = new QLabel;
    picture->setObjectName(QString::number(id));
    picture->setMaximumSize(side, side);
    picture->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    picture->setToolTip(QStringLiteral("The raster's heights, shaded"));
    picture->hide();
    return picture;
}

// A label that gives its key to `buddy`.
QLabel* LabelFor(const char* text, QWidget* buddy) {
    QLabel* label = Label(text);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

CTabHeights::CTabHeights(QWidget* parent)
    : QWidget(parent), logic_(std::make_unique<HeightsPage>(platform_)) {
    setObjectName(QString::number(kHeightsPageId));
    MarkScope(this);
    using namespace heights_ids;
    auto* browseInput = MakeButton(kInputButton, QStringLiteral("In&put-File"));
    auto* browseOutput = MakeButton(kOutputButton, QStringLiteral("O&utput-File"));
    auto* calc = MakeButton(kCalc, kCalcWithKey);
    auto* paths = new QGridLayout;
    paths->addWidget(browseInput, 0, 0);
    paths->addWidget(MakePathField(kInputPath,
                                   [this](const std::string& path) {
                                       if (path != logic_->inputPath()) logic_->SetInputPath(path);
                                   }),
                     0, 1);
    paths->addWidget(browseOutput, 1, 0);
    paths->addWidget(MakePathField(kOutputPath,
                                   [this](const std::string& path) {
                                       if (path != logic_->outputPath())
                                           logic_->SetOutputPath(path);
                                   }),
                     1, 1);
    // How the file writes its fields and numbers: told from its first lines, the user's to change.
    QComboBox* delimiter = MakePicker(kDelimiter);
    QComboBox* decimalMark = MakePicker(kDecimalMark);
    QHBoxLayout* conventions = Row({LabelFor("&Delimiter", delimiter), delimiter,
                                    LabelFor("Decimal mar&k", decimalMark), decimalMark});

    auto* pickers = new QGridLayout;
    const std::pair<int, const char*> pickerCaptions[] = {{kLatitudeColumn, "&Latitude"},
                                                          {kLongitudeColumn, "L&ongitude"},
                                                          {kHeightColumn, "Hei&ght"},
                                                          {kUnits, "Uni&ts"}};
    int row = 0;
    for (const auto& [id, caption] : pickerCaptions) {
        QComboBox* picker = MakePicker(id);
        pickers->addWidget(LabelFor(caption, picker), row, 0);
        pickers->addWidget(picker, row++, 1);
    }
    pickers->setRowStretch(row, 1);

    auto* radios = new QVBoxLayout;
    const char* const targetCaptions[] = {"Append &N only",
                                          "Ellipsoidal → o&rthometric (H = h − N)",
                                          "Orthometric → ellip&soidal (h = H + N)"};
    for (int id = kAppendOnly; id <= kToEllipsoidal; ++id)
        radios->addWidget(MakeRadio(id, QString::fromUtf8(targetCaptions[id - kAppendOnly])));
    radios->addWidget(calc, 0, Qt::AlignLeft);
    radios->addStretch(1);

    auto* picture = new HeightsPicture;
    picture->setObjectName(QString::number(kPicture));
    // The last run's points coloured by N, under the drawing of h, H and N.
    auto* showMap = MakeButton(kShowMap, QStringLiteral("Show &map"));
    auto* pictureColumn = new QVBoxLayout;
    pictureColumn->addWidget(picture, 0, Qt::AlignTop);
    pictureColumn->addWidget(showMap, 0, Qt::AlignRight);
    pictureColumn->addStretch(1);
    auto* choices = new QHBoxLayout;
    choices->addLayout(pickers);
    choices->addSpacing(fontMetrics().averageCharWidth() * 3);
    choices->addLayout(radios);
    choices->addStretch(1);
    choices->addLayout(pictureColumn);

    auto* column = new QVBoxLayout;
    column->addLayout(paths);
    column->addLayout(conventions);
    column->addWidget(MakePreviewTable(kPreview, 6), 1);
    // A raster input is shown here instead of the table: what it is, and its picture.
    auto* raster = new QHBoxLayout;
    raster->addWidget(MakeRasterDescription(kRasterDescription, 4), 1, Qt::AlignTop);
    raster->addWidget(MakeRasterPicture(kRasterPicture, fontMetrics().height() * 10));
    column->addLayout(raster, 1);
    column->addWidget(MakeProblemList(kProblems, 3));
    column->addLayout(choices);
    FramePage(this, QStringLiteral("EGM2008 Heights"), column);

    SetTabChain(this, {kInputButton, kInputPath, kOutputButton, kOutputPath, kDelimiter,
                       kDecimalMark, kPreview, kRasterDescription, kProblems, kLatitudeColumn,
                       kLongitudeColumn, kHeightColumn, kUnits, kAppendOnly, kToOrthometric,
                       kToEllipsoidal, kCalc, kShowMap});
    targets_ = new QButtonGroup(this);
    for (int id = kAppendOnly; id <= kToEllipsoidal; ++id)
        targets_->addButton(FindControlAs<QAbstractButton>(this, id), id);
    connect(targets_, &QButtonGroup::idClicked, this, [this](int id) { logic_->SelectTarget(id); });
    connect(browseInput, &QPushButton::clicked, this, [this] { logic_->BrowseInputFile(); });
    connect(browseOutput, &QPushButton::clicked, this, [this] { logic_->BrowseOutputFile(); });
    // The user's choice only: the page fills both pickers itself with every preview.
    connect(delimiter, &QComboBox::activated, this,
            [this](int index) { logic_->SelectDelimiter(index); });
    connect(decimalMark, &QComboBox::activated, this,
            [this](int index) { logic_->SelectDecimalMark(index); });
    connect(showMap, &QPushButton::clicked, this, [this] { logic_->ShowMap(); });
    connect(calc, &QPushButton::clicked, this, [this, calc] {
        logic_->CalculateHeights();
        // The run shows its progress in the caption and leaves it without the key.
        calc->setText(kCalcWithKey);
    });
    new CalcKeys(this, calc);
}

CTabHeights::~CTabHeights() = default;

void CTabHeights::InitialiseHeightsPage(const GeoidGrid* grid) {
    logic_->InitialiseHeightsPage(grid);
    SetButtonChecked(FindControl(this, heights_ids::kAppendOnly), true);
}

void CTabHeights::SetInputFile(const std::string& path) { logic_->SetInputPath(path); }

void CTabHeights::SetOutputFile(const std::string& path) { logic_->SetOutputPath(path); }

// ------------------------------------------------------------------ info page

CTabFour::CTabFour(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(kInfoPageId));
    MarkScope(this);
    // Bold and a quarter larger than the window's font.
    QFont bold = font();
    if (bold.pointSizeF() > 0) {
        bold.setPointSizeF(bold.pointSizeF() * 1.25);
    } else {
        bold.setPixelSize(bold.pixelSize() * 5 / 4);
    }
    bold.setBold(true);
    setFont(bold);
    auto* versionInfo = MakeButton(kVersionInfoId, QStringLiteral("&Version Info"));
    auto* column = new QVBoxLayout;
    column->addWidget(Label("Calculation of EGM2008 geoid undulations"));
    column->addSpacing(fontMetrics().height());
    column->addWidget(Label("The Morvex EGM2008 project"));
    column->addWidget(Label("Free geoid calculator for NGA's EGM2008 grids"));
    column->addWidget(Label("Contact: the project's issue tracker"));
    column->addWidget(Label("User manual: \"Help\" below"));
    column->addSpacing(fontMetrics().height());
    column->addLayout(Row({versionInfo}));
    column->addStretch(1);
    FramePage(this, QStringLiteral("Morvex EGM2008 Calculator v. 1.2"), column);
    // The notes lie in the working folder.
    connect(versionInfo, &QPushButton::clicked, this,
            [this] { desktop::OpenWithDefaultApplication(window(), kVersionNotesName); });
}

}  // namespace egm2008
