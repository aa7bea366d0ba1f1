#include "shell/my_tab_ctrl.hpp"

#include <QBoxLayout>
#include <QFrame>
#include <QProxyStyle>
#include <QScrollArea>
#include <QStackedLayout>
#include <QTabBar>

#include "shell/dialog_layout.hpp"
#include "shell/tab_pages.hpp"

namespace egm2008 {

namespace {

// The pages' area: it scrolls a page that the window is too small for, and
// asks for room for the whole of the largest page (QScrollArea alone asks for
// no more than 36 x 24 lines of text).
class PageScroller : public QScrollArea {
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        const QSize content = widget() != nullptr ? widget()->sizeHint() : QSize();
        return content + QSize(frame, frame);
    }
};

// Tabs as wide as their text and a small margin, as a dialog's tab control
// draws them, so that the five tabs fit the control's width.
class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace && widget != nullptr) {
            return widget->fontMetrics().averageCharWidth() * 2;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

CMyTabCtrl::CMyTabCtrl(QWidget* parent) : QWidget(parent), tabs_(new QTabBar(this)) {
    MarkScope(this);
    auto* style = new CompactTabStyle;
    style->setParent(tabs_);
    tabs_->setStyle(style);
    tabs_->setDrawBase(false);
    tabs_->setExpanding(false);
    // Every tab always in sight: the window is never narrower than the row of tabs.
    tabs_->setUsesScrollButtons(false);
    tabs_->setElideMode(Qt::ElideNone);

    auto* frame = new PageScroller(this);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setWidgetResizable(true);
    auto* stacked = new QWidget;
    stack_ = new QStackedLayout(stacked);
    pages_ = {new CTabOne(stacked), new CTabTwo(stacked), new CTabThree(stacked),
              new CTabFour(stacked), new CTabHeights(stacked)};
    for (QWidget* page : pages_) stack_->addWidget(page);
    frame->setWidget(stacked);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(tabs_);
    column->addWidget(frame, 1);
    connect(tabs_, &QTabBar::currentChanged, this, &CMyTabCtrl::SwitchTo);
}

void CMyTabCtrl::InsertItem(int index, const QString& text) { tabs_->insertTab(index, text); }

void CMyTabCtrl::InitialisePages() {
    current_ = 0;
    stack_->setCurrentIndex(0);
    manualPage()->SetGrid(grid_);
    gridmakerPage()->SetGrid(grid_);
    gridmakerPage()->SelectInitialMethod();
    filePage()->InitialiseFilePage(grid_);
    heightsPage()->InitialiseHeightsPage(grid_);
}

CTabOne* CMyTabCtrl::manualPage() const { return static_cast<CTabOne*>(pages_[0]); }
CTabTwo* CMyTabCtrl::gridmakerPage() const { return static_cast<CTabTwo*>(pages_[1]); }
CTabThree* CMyTabCtrl::filePage() const { return static_cast<CTabThree*>(pages_[2]); }
CTabHeights* CMyTabCtrl::heightsPage() const {
    return static_cast<CTabHeights*>(pages_[kHeightsPageIndex]);
}

void CMyTabCtrl::SelectPage(int index) {
    if (tabs_->count() == 0) return;
    tabs_->setCurrentIndex((index % tabs_->count() + tabs_->count()) % tabs_->count());
}

void CMyTabCtrl::SwitchTo(int index) {
    if (index == current_ || index < 0 || index >= count()) return;
    current_ = index;
    stack_->setCurrentIndex(index);
    QWidget* shown = page(current_);
    // Focus to the page's first control that takes it, as a dialog gives it.
    for (QWidget* w = shown->nextInFocusChain(); w != shown; w = w->nextInFocusChain()) {
        if (!shown->isAncestorOf(w)) break;
        if (w->isEnabled() && w->isVisibleTo(shown) && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    shown->setFocus();
}

}  // namespace egm2008
