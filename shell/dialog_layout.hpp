// The making of a dialog's controls, and finding them again by dialog ID.
//
// Controls are placed by Qt layouts, so a dialog grows with its font and its
// window. Every control carries its dialog ID as objectName; a control without
// an ID (a label, a group box) has none. IDs repeat across the main window and
// its pages, so each page, the tab control and every window is a scope of its
// own: a lookup searches one scope's controls, however deeply they are nested
// in group boxes, and never those of a scope inside it.
//
// No button made here is a dialog's default or auto-default: Enter is handled
// by the windows themselves (egm2008_dlg.hpp, tab_pages.hpp).
#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <initializer_list>
#include <string>

class QWidget;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QLineEdit;

namespace egm2008 {

/// A push button; `text` may carry a mnemonic ("&View").
QPushButton* MakeButton(int id, const QString& text);
QRadioButton* MakeRadio(int id, const QString& text);
/// A check box with its text on the left of the box.
QCheckBox* MakeCheckLeftText(int id, const QString& text);
/// An input field at least as wide as `widest` needs to show whole.
QLineEdit* MakeField(int id, const QString& widest);
/// A read-only result field, as wide as `widest` needs: selectable and copyable
/// after a click, but no Tab stop.
QLineEdit* MakeResultField(int id, const QString& widest);
/// A path field that grows with its window and shows its whole text as
/// tooltip. A path may be typed or pasted, completed from the folders and files
/// on disk as it is typed; `typed` gets the field's text when the user may
/// have finished editing it (Enter, the focus gone elsewhere, a completion
/// chosen), also when it is the text the field already showed.
QLineEdit* MakePathField(int id, std::function<void(const std::string& path)> typed = {});

/// Marks `field` as refused for `why`: an error sign at the field's end, its
/// tooltip and the field's tooltip saying why, the field tinted; "" takes the mark
/// away, and so does the user's next edit of the field.
void MarkRefused(QLineEdit* field, const QString& why);
/// Why `field` is marked as refused; "" when it is not.
QString RefusalOf(const QLineEdit* field);

/// Puts the controls `ids` of `scope` into the Tab chain in this order, the reading
/// order of the scope; controls not named keep their places.
void SetTabChain(const QWidget* scope, std::initializer_list<int> ids);

/// Makes `widget` a scope of its own for FindControl.
void MarkScope(QWidget* widget);

/// Every widget inside `scope` (children, grandchildren, ...), without the
/// insides of a nested scope or of another window; nested scopes themselves are listed.
QList<QWidget*> ScopeMembers(const QWidget* scope);

/// Control `id` within `scope` as ScopeMembers lists it; null when there is none.
QWidget* FindControl(const QWidget* scope, int id);

/// Like FindControl, as the given widget type.
template <typename T>
T* FindControlAs(const QWidget* scope, int id) {
    return qobject_cast<T*>(FindControl(scope, id));
}

}  // namespace egm2008
