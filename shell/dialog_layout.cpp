#include "shell/dialog_layout.hpp"

#include <QAction>
#include <QCheckBox>
#include <QCompleter>
#include <QDir>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVariant>

namespace egm2008 {

namespace {

constexpr const char* kScopeProperty = "egm2008Scope";

// The width a line edit needs to show `text` whole: the text, the small
// margins Qt keeps on either side of it and room for the cursor, inside the
// style's frame.
int WidthToShow(const QLineEdit* edit, const QString& text) {
    edit->ensurePolished();
    const QFontMetrics metrics(edit->font());
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QMargins margins = edit->textMargins();
    const QSize contents(metrics.horizontalAdvance(text) + margins.left() + margins.right() + 6,
                         metrics.height());
    return edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, edit).width();
}

QLineEdit* NewEdit(int id, bool readOnly) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::number(id));
    edit->setReadOnly(readOnly);
    // Read-only fields take the focus by a click only: the text can still be selected and copied.
    if (readOnly) edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

bool IsScope(const QWidget* widget) {
    return widget->isWindow() || widget->property(kScopeProperty).toBool();
}

}  // namespace

QPushButton* MakeButton(int id, const QString& text) {
    auto* button = new QPushButton(text);
    if (id != 0) button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

QRadioButton* MakeRadio(int id, const QString& text) {
    auto* radio = new QRadioButton(text);
    radio->setObjectName(QString::number(id));
    return radio;
}

QCheckBox* MakeCheckLeftText(int id, const QString& text) {
    auto* box = new QCheckBox(text);
    box->setObjectName(QString::number(id));
    box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

QLineEdit* MakeField(int id, const QString& widest) {
    QLineEdit* edit = NewEdit(id, false);
    edit->setMinimumWidth(WidthToShow(edit, widest));
    edit->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return edit;
}

QLineEdit* MakeResultField(int id, const QString& widest) {
    QLineEdit* edit = NewEdit(id, true);
    edit->setMinimumWidth(WidthToShow(edit, widest));
    edit->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return edit;
}

QLineEdit* MakePathField(int id, std::function<void(const std::string& path)> typed) {
    QLineEdit* edit = NewEdit(id, false);
    edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QObject::connect(edit, &QLineEdit::textChanged, edit, &QWidget::setToolTip);
    // The folders and files on disk complete what is typed; the model reads them as asked.
    auto* files = new QFileSystemModel(edit);
    files->setRootPath(QString());
    files->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
    auto* completer = new QCompleter(files, edit);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    edit->setCompleter(completer);
    if (typed) {
        // Enter, the focus gone, or a completion chosen from the list.
        const auto hand = [edit, typed] { typed(edit->text().toStdString()); };
        QObject::connect(edit, &QLineEdit::editingFinished, edit, hand);
        QObject::connect(completer, qOverload<const QString&>(&QCompleter::activated), edit, hand);
    }
    return edit;
}

namespace {

constexpr const char* kRefusalMark = "refusal";

QAction* RefusalMarkOf(const QLineEdit* field) {
    return field->findChild<QAction*>(QLatin1String(kRefusalMark), Qt::FindDirectChildrenOnly);
}

}  // namespace

void MarkRefused(QLineEdit* field, const QString& why) {
    QAction* mark = RefusalMarkOf(field);
    if (why.isEmpty()) {
        if (mark == nullptr) return;
        field->removeAction(mark);
        mark->setObjectName(QString());
        // Later: the user's edit that takes the mark away runs in a slot of the mark.
        mark->deleteLater();
        field->setToolTip(QString());
        field->setPalette(QPalette());
        return;
    }
    if (mark == nullptr) {
        mark = field->addAction(field->style()->standardIcon(QStyle::SP_MessageBoxCritical),
                                QLineEdit::TrailingPosition);
        mark->setObjectName(QLatin1String(kRefusalMark));
        QObject::connect(field, &QLineEdit::textEdited, mark, [field] { MarkRefused(field, {}); });
        QPalette tinted = field->palette();
        const QColor base = tinted.color(QPalette::Base);
        tinted.setColor(QPalette::Base,
                        QColor::fromRgbF(static_cast<float>(base.redF() * 0.8 + 0.2),
                                         static_cast<float>(base.greenF() * 0.8),
                                         static_cast<float>(base.blueF() * 0.8)));
        field->setPalette(tinted);
    }
    mark->setToolTip(why);
    field->setToolTip(why);
}

QString RefusalOf(const QLineEdit* field) {
    const QAction* mark = RefusalMarkOf(field);
    return mark == nullptr ? QString() : mark->toolTip();
}

void SetTabChain(const QWidget* scope, std::initializer_list<int> ids) {
    QWidget* previous = nullptr;
    for (int id : ids) {
        QWidget* control = FindControl(scope, id);
        if (control == nullptr) continue;
        if (previous != nullptr) QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void MarkScope(QWidget* widget) { widget->setProperty(kScopeProperty, true); }

QList<QWidget*> ScopeMembers(const QWidget* scope) {
    QList<QWidget*> members;
    if (scope == nullptr) return members;
    // Breadth first, so that a control near the scope comes before a deeper one.
    QList<const QWidget*> pending{scope};
    while (!pending.isEmpty()) {
        const QWidget* parent = pending.takeFirst();
        for (QObject* child : parent->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (widget == nullptr || widget->isWindow()) continue;
            members.push_back(widget);
            if (!IsScope(widget)) pending.push_back(widget);
        }
    }
    return members;
}

QWidget* FindControl(const QWidget* scope, int id) {
    const QString name = QString::number(id);
    for (QWidget* widget : ScopeMembers(scope)) {
        if (widget->objectName() == name) return widget;
    }
    return nullptr;
}

}  // namespace egm2008
