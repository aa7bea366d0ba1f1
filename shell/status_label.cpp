#include "shell/status_label.hpp"

#include <QPainter>
#include <QStyle>

namespace egm2008 {

StatusLabel::StatusLabel(const QString& name, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
    setTextFormat(Qt::PlainText);
    // The window's width is never the status line's to decide.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void StatusLabel::ShowText(const QString& text) {
    setText(text);
    setToolTip(text);
}

QString StatusLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void StatusLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}

}  // namespace egm2008
