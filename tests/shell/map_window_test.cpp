// The map window, the manual page's world map and the report's plot, under
// Qt Test with the offscreen platform: how a map opens, its colours and
// legend, its coastlines or the note without them, zoom and pan, the readout
// and the PNG it exports.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <memory>
#include <optional>

#include "shell/desktop.hpp"
#include "shell/dialog_layout.hpp"
#include "shell/map_window.hpp"
#include "shell/plot_view.hpp"
#include "shell/report_dialog.hpp"
#include "shell/tab_pages.hpp"
#include "shell/world_picture.hpp"
#include "tasks/messages.hpp"
#include "tasks/points/manual_point.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/grid_files.hpp"
#include "tests/support/process_state.hpp"
#include "tests/support/scratch_folder.hpp"

using namespace egm2008;

namespace {

// 47 to 55 N, 5 to 15 E at 10': 49 x 61 nodes from 40 to 50 m, one a pixel.
MapAccumulator SmallLattice() {
    MapAccumulator map;
    map.Begin({49, 61, 47.0, 5.0, 1.0 / 6, 1.0 / 6});
    std::vector<float> row(61);
    for (std::uint64_t r = 0; r < 49; ++r) {
        for (std::size_t c = 0; c < row.size(); ++c) row[c] = 40.0f + static_cast<float>(c) / 6.0f;
        map.Row(r, row);
    }
    map.Finish(true);
    return map;
}

void MoveMouse(QWidget* widget, QPoint at, Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void Press(QWidget* widget, QPoint at, QEvent::Type type) {
    QMouseEvent press(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

}  // namespace

class MapWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void aSmallLatticeOpensMagnifiedWithItsColoursFitted();
    void legendAndReadoutStayWhileTheMapZoomsAndPans();
    void missingCoastlinesAreToldAndTheirBoxDisabled();
    void exportWritesThePictureTheCommandLineDraws();
    void pointMapReadsOutThePointUnderTheMouse_data();
    void pointMapReadsOutThePointUnderTheMouse();
    void manualPagesWorldMapMarksThePointComputed();
    void reportShowsItsPlot();

private:
    MapWindow* Open(const MapAccumulator& map) {
        OpenMapWindow(parent_.get(), map, "T");
        auto* window = parent_->findChild<MapWindow*>();
        if (window != nullptr) {
            [[maybe_unused]] const bool shown = QTest::qWaitForWindowExposed(window);
        }
        return window;
    }
    template <typename T>
    static T* Control(MapWindow* window, int id) {
        return FindControlAs<T>(window, id);
    }

    std::unique_ptr<QWidget> parent_;
    std::unique_ptr<test::ScratchFolder> scratch_;
};

void MapWindowTest::init() {
    parent_ = std::make_unique<QWidget>();
    scratch_ = std::make_unique<test::ScratchFolder>();
}

void MapWindowTest::cleanup() {
    desktop::SetFileDialogHook({});
    desktop::SetMessageHook({});
    parent_.reset();
}

void MapWindowTest::aSmallLatticeOpensMagnifiedWithItsColoursFitted() {
    MapWindow* window = Open(SmallLattice());
    QVERIFY(window != nullptr);
    auto* view = Control<MapView>(window, map_ids::kView);
    QVERIFY(view != nullptr);
    // Not a stamp: a whole factor of at least 4 on the offscreen screen of 800 x 600.
    QVERIFY(view->zoom() >= 4.0);
    QCOMPARE(view->zoom(), std::floor(view->zoom()));
    QCOMPARE(view->width(), static_cast<int>(61 * view->zoom()));
    auto* legend = Control<MapLegend>(window, map_ids::kLegend);
    QVERIFY(legend != nullptr);
    QCOMPARE(legend->legend().fit, ColourFit::Fitted);
    QCOMPARE(legend->legend().ticks.lower, 40.0);
    QCOMPARE(legend->legend().ticks.upper, 50.0);

    // Symmetric about 0: the legend and the map's colours change.
    const QImage fitted = view->grab().toImage();
    Control<QCheckBox>(window, map_ids::kSymmetric)->click();
    QCOMPARE(legend->legend().fit, ColourFit::Symmetric);
    QCOMPARE(legend->legend().ticks.lower, -60.0);
    QCOMPARE(legend->legend().ticks.upper, 60.0);
    QVERIFY(view->grab().toImage() != fitted);
}

void MapWindowTest::legendAndReadoutStayWhileTheMapZoomsAndPans() {
    MapWindow* window = Open(SmallLattice());
    QVERIFY(window != nullptr);
    auto* view = Control<MapView>(window, map_ids::kView);
    auto* scroll = window->findChild<QScrollArea*>();
    auto* legend = Control<MapLegend>(window, map_ids::kLegend);
    auto* readout = Control<QLabel>(window, map_ids::kReadout);
    QVERIFY(view != nullptr && scroll != nullptr && legend != nullptr && readout != nullptr);
    QVERIFY(!scroll->isAncestorOf(legend));
    QVERIFY(!scroll->isAncestorOf(readout));
    const QRect legendAt = legend->geometry();
    const QRect readoutAt = readout->geometry();

    // Four notches of the wheel zoom in about the mouse.
    const double before = view->zoom();
    const QPointF at = view->PointOfMapPixel(30, 24);
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 480), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    QVERIFY(view->zoom() > before * 2);
    QVERIFY(scroll->horizontalScrollBar()->maximum() > 0);

    // Dragging left and up by 30 and 20 pixels shows what lies right and below.
    QScrollBar* across = scroll->horizontalScrollBar();
    QScrollBar* down = scroll->verticalScrollBar();
    across->setValue(across->maximum() / 2);
    down->setValue(down->maximum() / 2);
    const int x0 = across->value(), y0 = down->value();
    const QPoint from = view->mapFromParent(scroll->viewport()->rect().center());
    Press(view, from, QEvent::MouseButtonPress);
    MoveMouse(view, from + QPoint(-30, -20), Qt::LeftButton);
    Press(view, from + QPoint(-30, -20), QEvent::MouseButtonRelease);
    QCOMPARE(across->value(), x0 + 30);
    QCOMPARE(down->value(), y0 + 20);

    // The node under the mouse is read out, below the map as before.
    const QPoint node = view->PointOfMapPixel(31, 25);
    scroll->ensureVisible(node.x(), node.y());
    MoveMouse(view, node);
    const MapAccumulator lattice = SmallLattice();
    const MapPlace place = lattice.PlaceOf(31, 25);
    QCOMPARE(readout->text(), QString::fromStdString(MapReadoutText(place.latitude, place.longitude,
                                                                    lattice.Value(31, 25))));
    QCOMPARE(legend->geometry(), legendAt);
    QCOMPARE(readout->geometry(), readoutAt);
}

void MapWindowTest::missingCoastlinesAreToldAndTheirBoxDisabled() {
    const std::string folder = scratch_->File("none");
    const test::EnvironmentVariable coastlines("EGM2008_COASTLINES", folder);
    MapWindow* window = Open(SmallLattice());
    QVERIFY(window != nullptr);
    auto* box = Control<QCheckBox>(window, map_ids::kCoastlines);
    QVERIFY(!box->isEnabled());
    QVERIFY(!box->isChecked());
    const QString note = Control<QLabel>(window, map_ids::kNote)->text();
    QVERIFY2(note.startsWith(QString::fromStdString("No coastlines: " + folder + "/binned_GSHHS_")),
             qPrintable(note));
}

void MapWindowTest::exportWritesThePictureTheCommandLineDraws() {
    const MapAccumulator lattice = SmallLattice();
    MapWindow* window = Open(lattice);
    QVERIFY(window != nullptr);
    const std::string path = scratch_->File("map.png");
    desktop::SetFileDialogHook(
        [&path](QWidget*, desktop::FileDialogKind, const std::string&) { return path; });
    std::vector<std::string> messages;
    desktop::SetMessageHook(
        [&messages](QWidget*, const std::string& text, NoticeIcon) { messages.push_back(text); });
    auto* coastlines = Control<QCheckBox>(window, map_ids::kCoastlines);
    if (coastlines->isChecked()) coastlines->click();
    Control<QCheckBox>(window, map_ids::kSymmetric)->click();
    Control<QPushButton>(window, map_ids::kExport)->click();
    QVERIFY(messages.empty());
    const std::string expected = scratch_->File("expected.png");
    QCOMPARE(WritePngFile(RenderColourMap(lattice, "T", {ColourFit::Symmetric, nullptr}), expected),
             std::string());
    QVERIFY(test::ReadFile(path) == test::ReadFile(expected));

    // A folder that is not there: the failure is told.
    const std::string nowhere = scratch_->File("no/map.png");
    desktop::SetFileDialogHook(
        [&nowhere](QWidget*, desktop::FileDialogKind, const std::string&) { return nowhere; });
    Control<QPushButton>(window, map_ids::kExport)->click();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0], OutputOpenMessage(nowhere, ENOENT));
}

// A map of undulations, or of a raster's heights: the legend and the readout name its values.
void MapWindowTest::pointMapReadsOutThePointUnderTheMouse_data() {
    QTest::addColumn<QString>("quantity");
    QTest::newRow("undulations") << QStringLiteral("N");
    QTest::newRow("heights") << QStringLiteral("H");
}

void MapWindowTest::pointMapReadsOutThePointUnderTheMouse() {
    QFETCH(QString, quantity);
    PointMap points = PointMapOf({{52.5, 13.4, 40.5f}, {48.1, 11.6, 47.25f}});
    points.quantity = quantity.toStdString();
    OpenPointMapWindow(parent_.get(), points, "P");
    auto* window = parent_->findChild<MapWindow*>();
    QVERIFY(window != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* view = Control<MapView>(window, map_ids::kView);
    auto* readout = Control<QLabel>(window, map_ids::kReadout);
    QCOMPARE(Control<MapLegend>(window, map_ids::kLegend)->legend().ticks.lower, 40.0);
    QCOMPARE(Control<MapLegend>(window, map_ids::kLegend)->toolTip(),
             quantity + QStringLiteral(" [m], fitted to the map's values"));
    const MapFrame frame = PointMapFrame(points.box, kPointMapLongSide);
    const auto screenOf = [&](double latitude, double longitude) {
        return QPoint(static_cast<int>(std::lround(frame.X(longitude) * view->zoom())),
                      static_cast<int>(std::lround(frame.Y(latitude) * view->zoom())));
    };
    MoveMouse(view, screenOf(48.1, 11.6) + QPoint(2, -1));
    QCOMPARE(readout->text(),
             QString::fromStdString(MapReadoutText(48.1, 11.6, 47.25f, points.quantity)));
    QVERIFY(
        readout->text().endsWith(QStringLiteral(": ") + quantity + QStringLiteral(" = 47.250 m")));
    // Between the points: the place alone.
    const QPoint between = screenOf(50.3, 12.5);
    MoveMouse(view, between);
    QVERIFY2(readout->text().count(QLatin1Char(',')) == 1 && !readout->text().contains(quantity),
             qPrintable(readout->text()));
}

void MapWindowTest::manualPagesWorldMapMarksThePointComputed() {
    const std::string path = scratch_->File("grid");
    test::WriteConstantGrid(path, 47.25f, false);
    GeoidGrid grid;
    grid.path = path;
    CTabOne page(parent_.get());
    page.SetGrid(&grid);
    auto* world = FindControlAs<WorldPicture>(&page, manual_ids::kPicture);
    QVERIFY(world != nullptr);
    QVERIFY(!world->place());
    FindControlAs<QLineEdit>(&page, manual_ids::kLatitude)->setText(QStringLiteral("-33.9"));
    FindControlAs<QLineEdit>(&page, manual_ids::kLongitude)->setText(QStringLiteral("200"));
    FindControlAs<QPushButton>(&page, 1002)->click();
    QVERIFY(world->place().has_value());
    QCOMPARE(world->place()->x(), -160.0);
    QCOMPARE(world->place()->y(), -33.9);
    FindControlAs<QPushButton>(&page, 1033)->click();
    QVERIFY(!world->place());
}

void MapWindowTest::reportShowsItsPlot() {
    Plot plot;
    plot.series = {{"GP", {{0.0, 0.1}, {1.0, 0.2}}}};
    FitPlotAxes(plot, 1.0, 0.1);
    ReportDialog with(parent_.get(), QStringLiteral("R"), QStringLiteral("text"), &plot);
    auto* view = FindControlAs<PlotView>(&with, report_ids::kPlot);
    QVERIFY(view != nullptr);
    QCOMPARE(view->plot().series.size(), std::size_t{1});
    QVERIFY(!view->grab().isNull());
    ReportDialog without(parent_.get(), QStringLiteral("R"), QStringLiteral("text"));
    QVERIFY(FindControl(&without, report_ids::kPlot) == nullptr);
}

QTEST_MAIN(MapWindowTest)
#include "map_window_test.moc"
