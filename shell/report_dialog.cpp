#include "shell/report_dialog.hpp"

#include <QBoxLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include "shell/dialog_layout.hpp"
#include "shell/plot_view.hpp"
#include "tasks/maps/plot.hpp"

namespace egm2008 {

namespace {

// The text area's room, in average characters and lines of the window's font.
constexpr int kTextColumns = 80;
constexpr int kTextLines = 16;

}  // namespace

ReportDialog::ReportDialog(QWidget* parent, const QString& title, const QString& text,
                           const Plot* plot)
    : QDialog(parent) {
    setObjectName(QStringLiteral("103"));
    MarkScope(this);
    setWindowTitle(title);
    auto* area = new QPlainTextEdit;
    area->setObjectName(QString::number(report_ids::kText));
    area->setReadOnly(true);
    area->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    area->setPlainText(text);
    area->setMinimumSize(area->fontMetrics().averageCharWidth() * kTextColumns,
                         area->fontMetrics().lineSpacing() * kTextLines);

    auto* copy = MakeButton(report_ids::kCopy, QStringLiteral("&Copy"));
    auto* ok = MakeButton(report_ids::kOk, QStringLiteral("&OK"));
    ok->setDefault(true);
    connect(copy, &QPushButton::clicked, this,
            [text] { QGuiApplication::clipboard()->setText(text); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(ok);
    auto* column = new QVBoxLayout(this);
    if (plot != nullptr && !plot->empty()) {
        auto* view = new PlotView(*plot);
        view->setObjectName(QString::number(report_ids::kPlot));
        column->addWidget(view, 1);
    }
    column->addWidget(area, 1);
    column->addLayout(buttons);
    ok->setFocus();
}

}  // namespace egm2008
