// The five pages of the main window's tab control. Each page is a child widget
// laid out by Qt layouts inside its titled frame, and a scope of its own for
// FindControl; the three calculation pages bind their buttons and radios to
// their page logic through a WidgetPlatform, so that the logic reaches only
// this page's controls.
//
// On a calculation page Enter on any control (a field, a radio, a button)
// presses that page's "Calc!"; on the Info page it does nothing.
#pragma once

#include <QObject>
#include <QWidget>
#include <memory>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/lattice/formats/lattice_format_info.hpp"
#include "shell/widget_platform.hpp"

class QAbstractButton;
class QButtonGroup;

namespace egm2008 {

class ManualPointPage;
class GridmakerPage;
class PointFilePage;
class HeightsPage;

/// Dialog IDs of the five pages.
inline constexpr int kManualPageId = 1018;
inline constexpr int kGridmakerPageId = 1019;
inline constexpr int kFilePageId = 1020;
inline constexpr int kInfoPageId = 1021;
inline constexpr int kHeightsPageId = 1022;

/// The "Calc!" button of a page; null on the Info page.
QAbstractButton* CalcButtonOf(QWidget* page);

/// The keys of a calculation page: Enter on any of its controls presses `calc`.
/// Made as a child of the page.
class CalcKeys : public QObject {
    Q_OBJECT
public:
    CalcKeys(QWidget* page, QAbstractButton* calc);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractButton* calc_;
};

/// "EGM2008 Manual Calc": one point by all four methods.
class CTabOne : public QWidget {
    Q_OBJECT
public:
    explicit CTabOne(QWidget* parent);
    ~CTabOne() override;
    void SetGrid(const GeoidGrid* grid);
    /// Empties the four results (they belong to the database they were computed in).
    void ClearResults();

private:
    WidgetPlatform platform_{this};
    std::unique_ptr<ManualPointPage> logic_;
};

/// "EGM2008 Gridmaker": a lattice of undulations written to a text file.
class CTabTwo : public QWidget {
    Q_OBJECT
public:
    explicit CTabTwo(QWidget* parent);
    ~CTabTwo() override;
    void SetGrid(const GeoidGrid* grid);
    /// Checks radio 1047 and makes bi-quadratic the method, as at start-up.
    void SelectInitialMethod();
    /// Checks the radio of `method` and makes it the method.
    void ChooseMethod(InterpolationMethod method);
    /// Chooses `format` in the picker, when the picker offers it.
    void ChooseFormat(LatticeFormat format);
    /// The output file, as typed.
    void SetOutputFile(const std::string& path);
    const GridmakerPage& logic() const { return *logic_; }

private:
    WidgetPlatform platform_{this};
    std::unique_ptr<GridmakerPage> logic_;
    QButtonGroup* methods_ = nullptr;
};

/// "EGM2008 File Calc": a point file or a GGA log into a result file, and the
/// receiver check of a GGA log.
class CTabThree : public QWidget {
    Q_OBJECT
public:
    explicit CTabThree(QWidget* parent);
    ~CTabThree() override;
    /// The grid, the default file names in the working folder and the first radio of each group.
    void InitialiseFilePage(const GeoidGrid* grid);
    /// A file dropped on the window becomes the input file.
    void SetInputFile(const std::string& path);
    /// The output file, as typed.
    void SetOutputFile(const std::string& path);
    /// Checks radio `radioId` (a layout: 1040..1044, 1051) and makes it the layout.
    void ChooseLayout(int radioId);
    /// Checks radio `radioId` (1047..1050) and makes it the method.
    void ChooseMethod(int radioId);
    const PointFilePage& logic() const { return *logic_; }

private:
    WidgetPlatform platform_{this};
    std::unique_ptr<PointFilePage> logic_;
    QButtonGroup* layouts_ = nullptr;
    QButtonGroup* methods_ = nullptr;
};

/// "Heights": a delimited file's heights converted between ellipsoid and geoid,
/// its first lines shown as a table, its columns chosen by pickers; or a DEM
/// raster's, described and pictured in place of the table. A file dropped on
/// the window while this page is shown becomes its input.
class CTabHeights : public QWidget {
    Q_OBJECT
public:
    explicit CTabHeights(QWidget* parent);
    ~CTabHeights() override;
    /// The grid, the units picker and the first radio.
    void InitialiseHeightsPage(const GeoidGrid* grid);
    /// A file dropped on the window becomes the input file.
    void SetInputFile(const std::string& path);
    /// The output file, as typed.
    void SetOutputFile(const std::string& path);
    HeightsPage& logic() { return *logic_; }
    const HeightsPage& logic() const { return *logic_; }

private:
    WidgetPlatform platform_{this};
    std::unique_ptr<HeightsPage> logic_;
    QButtonGroup* targets_ = nullptr;
};

/// "Info": title, version, credit and the version notes.
class CTabFour : public QWidget {
    Q_OBJECT
public:
    explicit CTabFour(QWidget* parent);
};

}  // namespace egm2008
