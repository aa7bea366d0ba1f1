// A report of several lines (the receiver check's) in a modal window of its
// own: the text read only, selectable with the mouse and the keyboard, "Copy"
// that puts the whole text on the clipboard, and "OK" that closes the window,
// as Enter and Esc do. The text area is about 80 characters wide and 16 lines
// high in the window's font, and grows with the window. A report with a plot
// (plot_view.hpp) shows it above the text.
#pragma once

#include <QDialog>
#include <QString>

namespace egm2008 {

struct Plot;

/// Dialog IDs of the report window's controls.
namespace report_ids {
inline constexpr int kOk = 1;
inline constexpr int kText = 1000;
inline constexpr int kCopy = 1001;
inline constexpr int kPlot = 1002;
}  // namespace report_ids

class ReportDialog : public QDialog {
    Q_OBJECT
public:
    ReportDialog(QWidget* parent, const QString& title, const QString& text,
                 const Plot* plot = nullptr);
};

}  // namespace egm2008
