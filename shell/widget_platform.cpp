#include "shell/widget_platform.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <algorithm>

#include "shell/desktop.hpp"
#include "shell/dialog_layout.hpp"
#include "shell/long_run.hpp"
#include "shell/map_window.hpp"
#include "shell/status_label.hpp"
#include "shell/world_picture.hpp"
#include "tasks/lattice/formats/bitmap_font.hpp"

namespace egm2008 {

using desktop::ToQString;
using desktop::ToStdString;

WidgetPlatform::~WidgetPlatform() {
    if (waitCursor_) QApplication::restoreOverrideCursor();
}

std::string WidgetPlatform::FieldText(int id) {
    QWidget* control = FindControl(page_, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return ToStdString(edit->text());
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return ToStdString(button->text());
    if (auto* box = qobject_cast<QPlainTextEdit*>(control)) return ToStdString(box->toPlainText());
    return {};
}

void WidgetPlatform::SetFieldText(int id, const std::string& text) {
    QWidget* control = FindControl(page_, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(ToQString(text));
        edit->setCursorPosition(0);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(ToQString(text));
        // The progress caption of a run: let it reach the screen now.
        if (waitCursor_) desktop::KeepPainting();
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(control)) {
        box->setPlainText(ToQString(text));
    }
}

void WidgetPlatform::SetCursor(CursorShape shape) {
    const bool wait = shape == CursorShape::Wait;
    if (wait == waitCursor_) return;
    if (wait) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        desktop::KeepPainting();
    } else {
        // What the run showed last reaches the screen while the cursor still says busy.
        desktop::KeepPainting();
        QApplication::restoreOverrideCursor();
    }
    waitCursor_ = wait;
}

std::string WidgetPlatform::OpenFileDialog() {
    return desktop::RunFileDialog(page_, desktop::FileDialogKind::Open);
}

std::string WidgetPlatform::SaveFileDialog() {
    return desktop::RunFileDialog(page_, desktop::FileDialogKind::Save);
}

std::string WidgetPlatform::SaveFileDialogFor(const std::string& filter) {
    return desktop::RunFileDialog(page_, desktop::FileDialogKind::Save, filter);
}

std::string WidgetPlatform::OpenFileDialogFor(const FileDialogText& text) {
    return desktop::RunFileDialog(page_, desktop::FileDialogKind::Open, text.filter, {},
                                  text.title);
}

std::string WidgetPlatform::SaveFileDialogAs(const FileDialogText& text) {
    return desktop::RunFileDialog(page_, desktop::FileDialogKind::Save, text.filter, {},
                                  text.title);
}

void WidgetPlatform::StartEditor(const std::string& path, bool) {
    desktop::OpenWithDefaultApplication(page_->window(), path);
}

void WidgetPlatform::Notify(const std::string& text, NoticeIcon icon) {
    desktop::ShowMessage(page_->window(), text, icon);
}

void WidgetPlatform::RunLong(RunMeter& meter, const std::function<void()>& work,
                             const std::function<void()>& tick) {
    RunOffThread(page_->window(), meter, work, tick);
}

void WidgetPlatform::ShowStatus(const std::string& text) {
    if (auto* status = page_->window()->findChild<StatusLabel*>(QStringLiteral("runStatus"))) {
        status->ShowText(ToQString(text));
    }
}

void WidgetPlatform::FocusField(int id) {
    QWidget* control = FindControl(page_, id);
    if (control == nullptr) return;
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
}

void WidgetPlatform::ShowFieldError(int id, const std::string& text) {
    auto* field = FindControlAs<QLineEdit>(page_, id);
    if (field == nullptr) {
        PagePlatform::ShowFieldError(id, text);
        return;
    }
    MarkRefused(field, ToQString(text));
}

void WidgetPlatform::SetEnabled(int id, bool enabled) {
    if (QWidget* control = FindControl(page_, id)) control->setEnabled(enabled);
}

void WidgetPlatform::SetShown(int id, bool shown) {
    if (QWidget* control = FindControl(page_, id)) control->setVisible(shown);
}

void WidgetPlatform::SetChecked(int id, bool checked) {
    SetButtonChecked(FindControl(page_, id), checked);
}

void WidgetPlatform::ShowPicture(int id, const RgbImage& picture) {
    auto* label = FindControlAs<QLabel>(page_, id);
    if (label == nullptr) return;
    if (picture.width <= 0 || picture.height <= 0) {
        label->clear();
        return;
    }
    const QImage image(picture.bytes.data(), picture.width, picture.height, 3 * picture.width,
                       QImage::Format_RGB888);
    QPixmap pixmap = QPixmap::fromImage(image.copy());
    const QSize room = label->maximumSize();
    if (pixmap.width() > room.width() || pixmap.height() > room.height()) {
        pixmap = pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    } else if (const int factor =
                   std::min(room.width() / pixmap.width(), room.height() / pixmap.height());
               factor > 1 && room.width() < QWIDGETSIZE_MAX) {
        // A small picture is magnified by a whole factor, its pixels square and sharp.
        pixmap = pixmap.scaled(pixmap.size() * factor);
    }
    label->setPixmap(pixmap);
}

void WidgetPlatform::ShowReport(const std::string& title, const std::string& text) {
    desktop::ShowReport(page_->window(), title, text);
}

void WidgetPlatform::SetTable(int id, const std::vector<std::string>& titles,
                              const std::vector<std::vector<std::string>>& rows) {
    auto* table = FindControlAs<QTableWidget>(page_, id);
    if (table == nullptr) return;
    table->clear();
    table->setColumnCount(static_cast<int>(titles.size()));
    table->setRowCount(static_cast<int>(rows.size()));
    QStringList header;
    for (const std::string& title : titles) header << ToQString(title);
    table->setHorizontalHeaderLabels(header);
    for (int row = 0; row < table->rowCount(); ++row) {
        const auto& cells = rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < static_cast<int>(cells.size()); ++column) {
            auto* item = new QTableWidgetItem(ToQString(cells[static_cast<std::size_t>(column)]));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            table->setItem(row, column, item);
        }
    }
    table->resizeColumnsToContents();
}

void WidgetPlatform::SetTableRowNames(int id, const std::vector<std::string>& names) {
    auto* table = FindControlAs<QTableWidget>(page_, id);
    if (table == nullptr) return;
    QStringList labels;
    for (const std::string& name : names) labels << ToQString(name);
    table->setVerticalHeaderLabels(labels);
}

void WidgetPlatform::MarkTableRows(int id, const std::vector<TableMark>& marks) {
    auto* table = FindControlAs<QTableWidget>(page_, id);
    if (table == nullptr) return;
    // A tint that reads on light and dark themes alike.
    const QBrush tint(QColor(220, 50, 47, 70));
    for (int row = 0; row < table->rowCount(); ++row) {
        const auto mark = std::find_if(marks.begin(), marks.end(),
                                       [row](const TableMark& m) { return m.row == row; });
        const bool marked = mark != marks.end();
        for (int column = 0; column < table->columnCount(); ++column) {
            QTableWidgetItem* item = table->item(row, column);
            if (item == nullptr) {
                // A short row's empty cells are marked too.
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                table->setItem(row, column, item);
            }
            item->setBackground(marked ? tint : QBrush());
            item->setToolTip(marked ? ToQString(mark->note) : QString());
        }
        if (QTableWidgetItem* name = table->verticalHeaderItem(row))
            name->setToolTip(marked ? ToQString(mark->note) : QString());
    }
}

void WidgetPlatform::SetChoices(int id, const std::vector<std::string>& items, int selected) {
    auto* box = FindControlAs<QComboBox>(page_, id);
    if (box == nullptr) return;
    box->clear();
    for (const std::string& item : items) box->addItem(ToQString(item));
    box->setCurrentIndex(selected);
}

int WidgetPlatform::ChoiceIndex(int id) {
    auto* box = FindControlAs<QComboBox>(page_, id);
    return box == nullptr ? -1 : box->currentIndex();
}

void WidgetPlatform::ShowMap(const MapAccumulator& map, const std::string& title) {
    OpenMapWindow(page_, map, title);
}

void WidgetPlatform::ShowPointMap(const PointMap& points, const std::string& title) {
    OpenPointMapWindow(page_, points, title);
}

void WidgetPlatform::ShowReportWithPlot(const std::string& title, const std::string& text,
                                        const Plot& plot) {
    desktop::ShowPlotReport(page_->window(), title, text, plot);
}

void WidgetPlatform::MarkPlace(int id, double latitude, double longitude) {
    if (auto* picture = FindControlAs<WorldPicture>(page_, id))
        picture->MarkPlace(latitude, longitude);
}

void WidgetPlatform::UnmarkPlace(int id) {
    if (auto* picture = FindControlAs<WorldPicture>(page_, id)) picture->Unmark();
}

void SetButtonChecked(QWidget* control, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (button == nullptr) return;
    QButtonGroup* group = button->group();
    // An exclusive group refuses to uncheck its checked button.
    const bool exclusive = group != nullptr && group->exclusive();
    if (exclusive && !checked) group->setExclusive(false);
    button->setChecked(checked);
    if (exclusive && !checked) group->setExclusive(true);
}

void WidgetDatabaseControls::SetChecked(int id, bool checked) {
    SetButtonChecked(FindControl(dialog_, id), checked);
}

bool WidgetDatabaseControls::IsChecked(int id) {
    auto* button = FindControlAs<QAbstractButton>(dialog_, id);
    return button != nullptr && button->isChecked();
}

void WidgetDatabaseControls::SetEnabled(int id, bool enabled) {
    if (QWidget* control = FindControl(dialog_, id)) control->setEnabled(enabled);
}

void WidgetDatabaseControls::SetText(int id, const std::string& text) {
    QWidget* control = FindControl(dialog_, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(ToQString(text));
        edit->setCursorPosition(0);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(ToQString(text));
    }
}

std::string WidgetDatabaseControls::OpenFileDialog(const std::string& folder) {
    return desktop::RunFileDialog(dialog_, desktop::FileDialogKind::Open, kGridDialogFilter, folder,
                                  kGridDialogTitle);
}

void WidgetDatabaseControls::Notify(const std::string& text, NoticeIcon icon) {
    desktop::ShowMessage(dialog_, text, icon);
}

}  // namespace egm2008
