// What a page's logic needs of the window system, and nothing more: the text
// of its fields and the marks of refused ones, message boxes (through
// Notifier), a status line, cursors, file dialogs with their titles and
// filters, the start of an editor, a read-only table (its rows named and
// marked) and pickers (lists of items one of which is chosen), controls enabled
// or not and shown or not, radios checked, a picture shown in a control, a
// report of several lines (with a plot), a colour map of a lattice or of
// points, each in a window of its own, and a place marked on a page's picture.
// The desktop shell implements it over Qt widgets looked up by their dialog IDs
// within one page; tests implement it with a fake that records every call.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/notifier.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/common/run_stop.hpp"

namespace egm2008 {

class MapAccumulator;
struct PointMap;
struct Plot;
struct RgbImage;

enum class CursorShape { Arrow, Wait };

/// How far a long run has come: written by the run, read by the window while
/// the run goes on, perhaps from another thread.
struct RunMeter {
    std::atomic<std::int64_t> done{0};   ///< units done (bytes read, nodes written)
    std::atomic<std::int64_t> total{0};  ///< units in all; 0 while unknown
    std::atomic<int> stopFlag{0};        ///< non-zero once the user has cancelled the run
    /// The stop request the run looks at between lines or pieces.
    RunStop stop() const { return RunStop{&stopFlag, -1}; }
};

/// A row of a table that stands out, and why (its cells' tooltip).
struct TableMark {
    int row = 0;
    std::string note;
    bool operator==(const TableMark&) const = default;
};

/// What a file dialog shows: its title and the files it offers ("Point files
/// (*.dat *.txt);;All files (*)", "" for all).
struct FileDialogText {
    std::string title;
    std::string filter;
};

class PagePlatform : public Notifier {
public:
    /// The whole text of field or button `id` (the page cuts it where it must).
    virtual std::string FieldText(int id) = 0;
    /// Replaces the text of field or button `id` (a button's caption too).
    virtual void SetFieldText(int id, const std::string& text) = 0;
    /// Shows the wait or the normal arrow cursor.
    virtual void SetCursor(CursorShape shape) = 0;
    /// Runs the open-file dialog; the chosen full path, or "" when cancelled.
    virtual std::string OpenFileDialog() = 0;
    /// Runs the save-file dialog (asks before overwriting); the full path, or "" when cancelled.
    virtual std::string SaveFileDialog() = 0;
    /// The save-file dialog offering the files of `filter` ("PNG picture (*.png)").
    virtual std::string SaveFileDialogFor(const std::string& filter) {
        (void)filter;
        return SaveFileDialog();
    }
    /// The open-file dialog under `text`'s title, offering its files.
    virtual std::string OpenFileDialogFor(const FileDialogText& text) {
        (void)text;
        return OpenFileDialog();
    }
    /// The save-file dialog under `text`'s title, offering its files.
    virtual std::string SaveFileDialogAs(const FileDialogText& text) {
        return text.filter.empty() ? SaveFileDialog() : SaveFileDialogFor(text.filter);
    }
    /// Opens `path` in the desktop's editor for it; waits for it to end when `wait`. Failures are
    /// not reported.
    virtual void StartEditor(const std::string& path, bool wait) = 0;
    /// Runs `work` while the window shows `meter` as a progress bar with a Cancel
    /// button that sets its stop flag. `work` may run on another thread and must
    /// not call the platform; `tick` runs on the caller's thread now and then
    /// while `work` runs, and once after it has ended. Returns when `work` has
    /// ended. Without a window: `work`, then `tick`.
    virtual void RunLong(RunMeter& meter, const std::function<void()>& work,
                         const std::function<void()>& tick) {
        (void)meter;
        work();
        tick();
    }
    /// Shows `text` in the window's status line (what a run did, why a result is missing).
    virtual void ShowStatus(const std::string& text) { (void)text; }
    /// Puts the keyboard focus into field `id`.
    virtual void FocusField(int id) { (void)id; }
    /// Marks field `id` as refused, `text` saying why, beside the field; "" takes the mark
    /// away (the window also takes it away when the user edits the field). A platform
    /// without such marks tells `text` as an error message.
    virtual void ShowFieldError(int id, const std::string& text) {
        (void)id;
        if (!text.empty()) Notify(text, NoticeIcon::Error);
    }
    /// Enables or disables button or field `id`.
    virtual void SetEnabled(int id, bool enabled) {
        (void)id;
        (void)enabled;
    }
    /// Shows or hides control `id`; a hidden control leaves its room to the others.
    virtual void SetShown(int id, bool shown) {
        (void)id;
        (void)shown;
    }
    /// Checks radio or check box `id` (a radio unchecks the others of its group).
    virtual void SetChecked(int id, bool checked) {
        (void)id;
        (void)checked;
    }
    /// Shows `picture` in control `id`, a pixel a pixel; an empty picture clears it.
    virtual void ShowPicture(int id, const RgbImage& picture) {
        (void)id;
        (void)picture;
    }
    /// Shows `text`, a report of several lines, in a window titled `title`: read
    /// only, selectable, with a button that copies the whole text; returns when closed.
    virtual void ShowReport(const std::string& title, const std::string& text) {
        (void)title;
        (void)text;
    }
    /// Replaces the whole of table `id`: its column titles and its rows of
    /// cells (a row may have fewer cells than there are titles).
    virtual void SetTable(int id, const std::vector<std::string>& titles,
                          const std::vector<std::vector<std::string>>& rows) {
        (void)id;
        (void)titles;
        (void)rows;
    }
    /// Names the rows of table `id` (shown beside them), after SetTable.
    virtual void SetTableRowNames(int id, const std::vector<std::string>& names) {
        (void)id;
        (void)names;
    }
    /// Makes the rows of `marks` stand out in table `id`, every other row not.
    virtual void MarkTableRows(int id, const std::vector<TableMark>& marks) {
        (void)id;
        (void)marks;
    }
    /// Replaces the items of picker `id` and chooses item `selected` (-1: none).
    virtual void SetChoices(int id, const std::vector<std::string>& items, int selected) {
        (void)id;
        (void)items;
        (void)selected;
    }
    /// The 0-based item of picker `id` the user has chosen; -1 when none.
    virtual int ChoiceIndex(int id) {
        (void)id;
        return -1;
    }
    /// Opens a window of its own showing the colour map `map` under `title`, with
    /// the place and N under the mouse; returns at once. The window keeps a copy.
    virtual void ShowMap(const MapAccumulator& map, const std::string& title) {
        (void)map;
        (void)title;
    }
    /// As ShowMap, for values at scattered places: each point in its colour.
    virtual void ShowPointMap(const PointMap& points, const std::string& title) {
        (void)points;
        (void)title;
    }
    /// As ShowReport, with `plot` drawn above the text.
    virtual void ShowReportWithPlot(const std::string& title, const std::string& text,
                                    const Plot& plot) {
        (void)plot;
        ShowReport(title, text);
    }
    /// Marks the place at `latitude`, `longitude` (-180..180) on picture `id`,
    /// instead of any place marked before.
    virtual void MarkPlace(int id, double latitude, double longitude) {
        (void)id;
        (void)latitude;
        (void)longitude;
    }
    /// Takes the mark off picture `id`.
    virtual void UnmarkPlace(int id) { (void)id; }
};

}  // namespace egm2008
