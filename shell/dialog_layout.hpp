// Dialog units into pixels, and the making of a dialog's controls.
//
// A horizontal dialog unit is a quarter of the font's average character width,
// a vertical one an eighth of its height, so a dialog laid out in dialog units
// keeps its proportions with whatever font the desktop uses. Controls with a
// label of their own grow to the right when the label would be clipped.
// Every control is a direct child of its dialog or page and carries its dialog
// ID as objectName; a control without an ID (a label, a group box) has none.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QWidget;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QLineEdit;
class QLabel;
class QGroupBox;

namespace egm2008 {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    int X(int units) const { return units * baseX_ / 4; }
    int Y(int units) const { return units * baseY_ / 8; }
    QRect Rect(int x, int y, int width, int height) const {
        return {X(x), Y(y), X(width), Y(height)};
    }

private:
    int baseX_;
    int baseY_;
};

/// Makes the controls of one dialog or page at dialog-unit positions.
class ControlFactory {
public:
    /// `parent` must carry its final font already.
    explicit ControlFactory(QWidget* parent);
    const DialogUnits& units() const { return units_; }

    QPushButton* Button(int id, const QString& text, int x, int y, int w, int h);
    QRadioButton* Radio(int id, const QString& text, int x, int y, int w, int h);
    /// A check box with its text on the left of the box.
    QCheckBox* CheckLeftText(int id, const QString& text, int x, int y, int w, int h);
    QLineEdit* Edit(int id, int x, int y, int w, int h, bool readOnly);
    QLabel* Label(const QString& text, int x, int y, int w, int h);
    QGroupBox* Group(const QString& title, int x, int y, int w, int h);

private:
    void Place(QWidget* control, int id, int x, int y, int w, int h, bool growToText);

    QWidget* parent_;
    DialogUnits units_;
};

/// Control `id` among the direct children of `scope` (IDs repeat across dialogs
/// and pages, so the search never goes deeper); null when there is none.
QWidget* FindControl(const QWidget* scope, int id);

/// Like FindControl, as the given widget type.
template <typename T>
T* FindControlAs(const QWidget* scope, int id) {
    return qobject_cast<T*>(FindControl(scope, id));
}

}  // namespace egm2008
