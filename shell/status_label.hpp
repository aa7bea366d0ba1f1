// A line of the status bar: one line of text that never widens the window. A
// text longer than the line is cut at its end with "…"; the whole text is
// always in the tooltip, and text() returns it whole.
#pragma once

#include <QLabel>

namespace egm2008 {

class StatusLabel : public QLabel {
    Q_OBJECT
public:
    explicit StatusLabel(const QString& name, QWidget* parent = nullptr);

    /// Shows `text`, cut with "…" to the label's width, and puts it whole in the tooltip.
    void ShowText(const QString& text);
    /// What the label shows at its present width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace egm2008
