// The tab control of the main window: a row of five tabs over a framed area
// that holds the five pages, exactly one of them visible. The area asks for
// room for the largest page and scrolls the page when the window is smaller.
// A page is switched whenever the selected tab changes, by a click, from the
// keyboard or by SelectPage; a click on the tab already selected changes
// nothing. The control owns its pages and is a scope of its own for FindControl.
#pragma once

#include <QWidget>
#include <array>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"

class QTabBar;
class QStackedLayout;

namespace egm2008 {

class CTabOne;
class CTabTwo;
class CTabThree;
class CTabFour;
class CTabHeights;

/// The index of the "Heights" page, the last tab.
inline constexpr int kHeightsPageIndex = 4;

class CMyTabCtrl : public QWidget {
    Q_OBJECT
public:
    /// Creates the five pages, hidden.
    explicit CMyTabCtrl(QWidget* parent);

    /// Adds tab `index` with `text`.
    void InsertItem(int index, const QString& text);
    /// The main window's grid, which the calculation pages read; not owned.
    void SetGrid(GeoidGrid* grid) { grid_ = grid; }
    /// Shows page 0, hides the others, sizes them under the tabs and hands the grid to the pages.
    void InitialisePages();

    int current() const { return current_; }
    int count() const { return static_cast<int>(pages_.size()); }
    QWidget* page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    QTabBar* tabBar() const { return tabs_; }
    CTabOne* manualPage() const;
    CTabTwo* gridmakerPage() const;
    CTabThree* filePage() const;
    CTabHeights* heightsPage() const;
    /// Selects tab `index` (wrapping around at either end), which shows its page.
    void SelectPage(int index);

private:
    void SwitchTo(int index);

    QTabBar* tabs_;
    QStackedLayout* stack_;
    std::array<QWidget*, 5> pages_{};
    int current_ = 0;
    GeoidGrid* grid_ = nullptr;
};

}  // namespace egm2008
