#include "shell/dialog_layout.hpp"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace egm2008 {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the 52 letters, rounded, as dialog templates measure it.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = std::max(1, (letters / 26 + 1) / 2);
    baseY_ = std::max(1, metrics.height());
}

ControlFactory::ControlFactory(QWidget* parent) : parent_(parent), units_(parent->font()) {}

void ControlFactory::Place(QWidget* control, int id, int x, int y, int w, int h, bool growToText) {
    if (id != 0) control->setObjectName(QString::number(id));
    QRect rect = units_.Rect(x, y, w, h);
    if (growToText) rect.setWidth(std::max(rect.width(), control->sizeHint().width()));
    control->setGeometry(rect);
}

QPushButton* ControlFactory::Button(int id, const QString& text, int x, int y, int w, int h) {
    auto* button = new QPushButton(text, parent_);
    // Buttons keep their place: a neighbour often starts right after them.
    Place(button, id, x, y, w, h, false);
    return button;
}

QRadioButton* ControlFactory::Radio(int id, const QString& text, int x, int y, int w, int h) {
    auto* radio = new QRadioButton(text, parent_);
    Place(radio, id, x, y, w, h, true);
    return radio;
}

QCheckBox* ControlFactory::CheckLeftText(int id, const QString& text, int x, int y, int w, int h) {
    auto* box = new QCheckBox(text, parent_);
    box->setLayoutDirection(Qt::RightToLeft);
    Place(box, id, x, y, w, h, true);
    return box;
}

QLineEdit* ControlFactory::Edit(int id, int x, int y, int w, int h, bool readOnly) {
    auto* edit = new QLineEdit(parent_);
    edit->setReadOnly(readOnly);
    Place(edit, id, x, y, w, h, false);
    return edit;
}

QLabel* ControlFactory::Label(const QString& text, int x, int y, int w, int h) {
    auto* label = new QLabel(text, parent_);
    Place(label, 0, x, y, w, h, true);
    return label;
}

QGroupBox* ControlFactory::Group(const QString& title, int x, int y, int w, int h) {
    auto* group = new QGroupBox(title, parent_);
    Place(group, 0, x, y, w, h, false);
    // A frame only: the controls inside are the dialog's own children, drawn above it.
    group->lower();
    return group;
}

QWidget* FindControl(const QWidget* scope, int id) {
    if (scope == nullptr) return nullptr;
    return scope->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

}  // namespace egm2008
