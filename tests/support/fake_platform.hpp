// A PagePlatform for tests of the page logic: fields are a map, file dialogs
// answer from a queue (an empty queue answers "", a cancel), and every call is
// recorded, both in its own list and as one line in `events` so that a test
// can check the order of what the page did. Tables and pickers are maps too; a
// test chooses a picker's item by changing its `selected`. A long run is `work`
// then `tick`, as without a window; `cancelRuns` presses Cancel before the work
// starts, and `threadedRuns` runs the work on another thread while this one
// ticks, as a window does. Header only: the test programs of the layers above
// the page logic include it; the engine's do not.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tasks/lattice/formats/colour_map.hpp"
#include "tasks/common/page_platform.hpp"
#include "tasks/maps/plot.hpp"
#include "tests/support/recording_notifier.hpp"

namespace egm2008::test {

struct Table {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> rowNames;  ///< the last SetTableRowNames
    std::vector<TableMark> marks;       ///< the last MarkTableRows
};

struct Choices {
    std::vector<std::string> items;
    int selected = -1;
};

struct Report {
    std::string title;
    std::string text;
    bool operator==(const Report&) const = default;
};

/// A colour map the page showed: its title and size, and N of its first pixel.
struct ShownMap {
    std::string title;
    int width = 0;
    int height = 0;
    float first = 0.0f;
};

/// A point map the page showed: its title and points.
struct ShownPointMap {
    std::string title;
    PointMap points;
};

struct EditorStart {
    std::string path;
    bool wait = false;
    bool operator==(const EditorStart&) const = default;
};

class FakePlatform : public PagePlatform {
public:
    std::map<int, std::string> fields;      ///< a missing entry reads as empty text
    std::map<int, Table> tables;            ///< the tables' titles and rows
    std::map<int, Choices> choices;         ///< a missing entry has no item chosen
    std::deque<std::string> dialogAnswers;  ///< answers to the file dialogs, in turn
    std::vector<std::string> dialogTitles;  ///< titles of the dialogs that were given one
    std::vector<Notice> notices;
    std::vector<CursorShape> cursors;
    std::vector<EditorStart> editors;
    std::vector<int> reads;                  ///< ids of the fields read, in order
    std::vector<std::string> statuses;       ///< texts shown in the status line, in order
    std::vector<int> focused;                ///< ids of the fields given the focus, in order
    std::map<int, std::string> fieldErrors;  ///< the fields marked as refused, and why
    std::map<int, bool> enabled;             ///< the last SetEnabled of each control
    std::map<int, bool> shown;               ///< the last SetShown of each control
    std::map<int, bool> checked;             ///< the last SetChecked of each radio or box
    std::map<int, RgbImage> pictures;        ///< the last ShowPicture of each control
    std::vector<Report> reports;             ///< the reports shown, in order
    std::vector<ShownMap> maps;              ///< the colour maps shown, in order
    std::vector<ShownPointMap> pointMaps;    ///< the point maps shown, in order
    std::vector<Plot> plots;                 ///< the plots shown with reports, in order
    /// The place marked on each picture, nullopt once unmarked.
    std::map<int, std::optional<GeoPoint>> marks;
    std::vector<std::string> events;  ///< "read 1000", "set 1000 52.00000000", "notice error ...",
                                      ///< "focus 1000", "field-error 1000 <why>", ...
    bool cancelRuns = false;          ///< long runs find Cancel pressed before their work starts
    bool threadedRuns = false;        ///< long runs' work on another thread, ticked meanwhile
    std::int64_t meterDone = -1;      ///< the meter of the last long run once it had ended
    std::int64_t meterTotal = -1;

    std::string FieldText(int id) override {
        reads.push_back(id);
        events.push_back("read " + std::to_string(id));
        const auto it = fields.find(id);
        return it == fields.end() ? std::string() : it->second;
    }
    void SetFieldText(int id, const std::string& text) override {
        fields[id] = text;
        events.push_back("set " + std::to_string(id) + " " + text);
    }
    void Notify(const std::string& text, NoticeIcon icon) override {
        notices.push_back({text, icon});
        events.push_back(std::string(icon == NoticeIcon::Error ? "notice error " : "notice ") +
                         text);
    }
    void SetCursor(CursorShape shape) override {
        cursors.push_back(shape);
        events.push_back(shape == CursorShape::Wait ? "cursor wait" : "cursor arrow");
    }
    std::string OpenFileDialog() override { return Answer("open-dialog"); }
    std::string SaveFileDialog() override { return Answer("save-dialog"); }
    std::string SaveFileDialogFor(const std::string& filter) override {
        return Answer(("save-dialog " + filter).c_str());
    }
    std::string OpenFileDialogFor(const FileDialogText& text) override {
        dialogTitles.push_back(text.title);
        return OpenFileDialog();
    }
    std::string SaveFileDialogAs(const FileDialogText& text) override {
        dialogTitles.push_back(text.title);
        return text.filter.empty() ? SaveFileDialog() : SaveFileDialogFor(text.filter);
    }
    void StartEditor(const std::string& path, bool wait) override {
        editors.push_back({path, wait});
        events.push_back("editor " + path + (wait ? " wait" : ""));
    }
    void RunLong(RunMeter& meter, const std::function<void()>& work,
                 const std::function<void()>& tick) override {
        events.push_back("long run");
        if (cancelRuns) meter.stopFlag = 1;
        if (threadedRuns) {
            std::future<void> done = std::async(std::launch::async, work);
            while (done.wait_for(std::chrono::microseconds(50)) != std::future_status::ready) {
                tick();
            }
            done.get();
        } else {
            work();
        }
        tick();
        meterDone = meter.done;
        meterTotal = meter.total;
    }
    void ShowStatus(const std::string& text) override {
        statuses.push_back(text);
        events.push_back("status " + text);
    }
    void FocusField(int id) override {
        focused.push_back(id);
        events.push_back("focus " + std::to_string(id));
    }
    void ShowFieldError(int id, const std::string& text) override {
        if (text.empty()) {
            fieldErrors.erase(id);
        } else {
            fieldErrors[id] = text;
        }
        events.push_back("field-error " + std::to_string(id) + (text.empty() ? "" : " ") + text);
    }
    void SetEnabled(int id, bool on) override {
        enabled[id] = on;
        events.push_back((on ? "enable " : "disable ") + std::to_string(id));
    }
    void SetShown(int id, bool on) override {
        shown[id] = on;
        events.push_back((on ? "show " : "hide ") + std::to_string(id));
    }
    void SetChecked(int id, bool on) override {
        checked[id] = on;
        events.push_back((on ? "check " : "uncheck ") + std::to_string(id));
    }
    void ShowPicture(int id, const RgbImage& picture) override {
        pictures[id] = picture;
        events.push_back("picture " + std::to_string(id));
    }
    void ShowReport(const std::string& title, const std::string& text) override {
        reports.push_back({title, text});
        events.push_back("report " + title);
    }

    void ShowMap(const MapAccumulator& map, const std::string& title) override {
        maps.push_back({title, map.width(), map.height(), map.Value(0, 0)});
        events.push_back("map " + title);
    }

    void ShowPointMap(const PointMap& points, const std::string& title) override {
        pointMaps.push_back({title, points});
        events.push_back("point map " + title);
    }
    void ShowReportWithPlot(const std::string& title, const std::string& text,
                            const Plot& plot) override {
        reports.push_back({title, text});
        plots.push_back(plot);
        events.push_back("report with plot " + title);
    }
    void MarkPlace(int id, double latitude, double longitude) override {
        marks[id] = GeoPoint{latitude, longitude};
        events.push_back("mark " + std::to_string(id));
    }
    void UnmarkPlace(int id) override {
        marks[id] = std::nullopt;
        events.push_back("unmark " + std::to_string(id));
    }

    void SetTable(int id, const std::vector<std::string>& titles,
                  const std::vector<std::vector<std::string>>& rows) override {
        tables[id] = {titles, rows, {}, {}};
        events.push_back("table " + std::to_string(id));
    }
    void SetTableRowNames(int id, const std::vector<std::string>& names) override {
        tables[id].rowNames = names;
        events.push_back("row names " + std::to_string(id));
    }
    void MarkTableRows(int id, const std::vector<TableMark>& rowMarks) override {
        tables[id].marks = rowMarks;
        events.push_back("marks " + std::to_string(id) + " " + std::to_string(rowMarks.size()));
    }
    void SetChoices(int id, const std::vector<std::string>& items, int selected) override {
        choices[id] = {items, selected};
        events.push_back("choices " + std::to_string(id) + " " + std::to_string(selected));
    }
    int ChoiceIndex(int id) override {
        const auto it = choices.find(id);
        return it == choices.end() ? -1 : it->second.selected;
    }

    /// The field's text, "" when never set.
    std::string Field(int id) const {
        const auto it = fields.find(id);
        return it == fields.end() ? std::string() : it->second;
    }

private:
    std::string Answer(const char* dialog) {
        events.push_back(dialog);
        if (dialogAnswers.empty()) return {};
        std::string answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
};

}  // namespace egm2008::test
