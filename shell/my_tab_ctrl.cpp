#include "shell/my_tab_ctrl.hpp"

#include <QFrame>
#include <QProxyStyle>
#include <QTabBar>

#include "shell/tab_pages.hpp"

namespace egm2008 {

namespace {

// Tabs as wide as their text and a small margin, as a dialog's tab control
// draws them, so that the four tabs fit the control's width.
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

CMyTabCtrl::CMyTabCtrl(QWidget* parent)
    : QWidget(parent), tabs_(new QTabBar(this)), frame_(new QFrame(this)) {
    frame_->setFrameShape(QFrame::StyledPanel);
    frame_->setFrameShadow(QFrame::Raised);
    auto* style = new CompactTabStyle;
    style->setParent(tabs_);
    tabs_->setStyle(style);
    tabs_->setDrawBase(false);
    tabs_->setExpanding(false);
    pages_ = {new CTabOne(this), new CTabTwo(this), new CTabThree(this), new CTabFour(this)};
    for (QWidget* page : pages_) page->hide();
    connect(tabs_, &QTabBar::currentChanged, this, &CMyTabCtrl::SwitchTo);
}

void CMyTabCtrl::InsertItem(int index, const QString& text) {
    tabs_->insertTab(index, text);
    tabs_->resize(tabs_->sizeHint());
    SizePages();
}

void CMyTabCtrl::InitialisePages() {
    current_ = 0;
    for (int i = 0; i < count(); ++i) page(i)->setVisible(i == 0);
    SizePages();
    manualPage()->SetGrid(grid_);
    gridmakerPage()->SetGrid(grid_);
    gridmakerPage()->SelectInitialMethod();
    filePage()->InitialiseFilePage(grid_);
}

CTabOne* CMyTabCtrl::manualPage() const { return static_cast<CTabOne*>(pages_[0]); }
CTabTwo* CMyTabCtrl::gridmakerPage() const { return static_cast<CTabTwo*>(pages_[1]); }
CTabThree* CMyTabCtrl::filePage() const { return static_cast<CTabThree*>(pages_[2]); }

void CMyTabCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SizePages();
}

void CMyTabCtrl::SizePages() {
    // The pages fill the area under the row of tabs, inside the frame.
    const int tabBottom = tabs_->count() > 0 ? tabs_->tabRect(0).bottom() + 1 : tabs_->height();
    const int left = tabs_->count() > 0 ? tabs_->tabRect(0).left() : 0;
    frame_->setGeometry(0, tabBottom, width(), height() - tabBottom);
    frame_->lower();
    const QRect area(left, tabBottom + 1, width() - left - 1, height() - tabBottom - 2);
    for (QWidget* page : pages_) {
        page->setGeometry(area);
        page->raise();
    }
}

void CMyTabCtrl::SwitchTo(int index) {
    if (index == current_ || index < 0 || index >= count()) return;
    page(current_)->hide();
    current_ = index;
    QWidget* shown = page(current_);
    shown->show();
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
