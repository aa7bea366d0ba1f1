// The page platform and the database controls over real widgets: every
// control is looked up by its dialog ID within its own page or dialog
// (FindControl), message boxes and file dialogs go through desktop.hpp. The
// wait cursor is the busy one: during a long run the window stays responsive.
#pragma once

#include <QButtonGroup>

#include "shell/database_selection.hpp"
#include "tasks/common/page_platform.hpp"

class QWidget;

namespace egm2008 {

class WidgetPlatform : public PagePlatform {
public:
    explicit WidgetPlatform(QWidget* page) : page_(page) {}
    ~WidgetPlatform() override;
    WidgetPlatform(const WidgetPlatform&) = delete;
    WidgetPlatform& operator=(const WidgetPlatform&) = delete;

    /// The text of a line edit, a button or a text box (QPlainTextEdit).
    std::string FieldText(int id) override;
    /// A button's caption changes at once on the screen, also in the middle of a run.
    void SetFieldText(int id, const std::string& text) override;
    void SetCursor(CursorShape shape) override;
    std::string OpenFileDialog() override;
    std::string SaveFileDialog() override;
    std::string SaveFileDialogFor(const std::string& filter) override;
    std::string OpenFileDialogFor(const FileDialogText& text) override;
    std::string SaveFileDialogAs(const FileDialogText& text) override;
    /// The window never waits for the viewer; a file that is not there is told.
    void StartEditor(const std::string& path, bool wait) override;
    void Notify(const std::string& text, NoticeIcon icon) override;
    /// The run goes off the window's thread (long_run.hpp).
    void RunLong(RunMeter& meter, const std::function<void()>& work,
                 const std::function<void()>& tick) override;
    /// Into the window's StatusLabel "runStatus".
    void ShowStatus(const std::string& text) override;
    void FocusField(int id) override;
    /// The field's mark (MarkRefused, dialog_layout.hpp).
    void ShowFieldError(int id, const std::string& text) override;
    void SetEnabled(int id, bool enabled) override;
    void SetShown(int id, bool shown) override;
    /// A radio or check box; a radio in an exclusive group unchecks the others.
    void SetChecked(int id, bool checked) override;
    /// Into the QLabel `id`, made smaller (its shape kept) when larger than the label may be,
    /// a small picture magnified by a whole factor to fill it.
    void ShowPicture(int id, const RgbImage& picture) override;
    /// In a modal ReportDialog over the window (desktop::ShowReport).
    void ShowReport(const std::string& title, const std::string& text) override;
    /// Into the QTableWidget `id`, its cells read-only.
    void SetTable(int id, const std::vector<std::string>& titles,
                  const std::vector<std::vector<std::string>>& rows) override;
    /// Into the vertical header of the QTableWidget `id`.
    void SetTableRowNames(int id, const std::vector<std::string>& names) override;
    /// The marked rows' cells tinted red, their note as tooltip.
    void MarkTableRows(int id, const std::vector<TableMark>& marks) override;
    /// Into the QComboBox `id`.
    void SetChoices(int id, const std::vector<std::string>& items, int selected) override;
    int ChoiceIndex(int id) override;
    /// In a MapWindow over the window (map_window.hpp).
    void ShowMap(const MapAccumulator& map, const std::string& title) override;
    void ShowPointMap(const PointMap& points, const std::string& title) override;
    /// In a modal ReportDialog with a PlotView (desktop::ShowPlotReport).
    void ShowReportWithPlot(const std::string& title, const std::string& text,
                            const Plot& plot) override;
    /// On the page's WorldPicture `id` (world_picture.hpp).
    void MarkPlace(int id, double latitude, double longitude) override;
    void UnmarkPlace(int id) override;

private:
    QWidget* page_;
    bool waitCursor_ = false;
};

class WidgetDatabaseControls : public DatabaseControls {
public:
    explicit WidgetDatabaseControls(QWidget* dialog) : dialog_(dialog) {}

    void SetChecked(int id, bool checked) override;
    bool IsChecked(int id) override;
    void SetEnabled(int id, bool enabled) override;
    void SetText(int id, const std::string& text) override;
    std::string OpenFileDialog(const std::string& folder) override;
    void Notify(const std::string& text, NoticeIcon icon) override;

private:
    QWidget* dialog_;
};

/// Checks or unchecks a button; unchecking works in an exclusive group too.
void SetButtonChecked(QWidget* control, bool checked);

}  // namespace egm2008
