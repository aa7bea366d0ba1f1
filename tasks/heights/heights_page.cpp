#include "tasks/heights/heights_page.hpp"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "tasks/messages.hpp"
#include "tasks/common/page_file_run.hpp"
#include "tasks/common/run_input.hpp"

namespace egm2008 {

namespace {

using namespace heights_ids;

// The preview reads no more of a file than this, whatever its lines.
constexpr std::size_t kPreviewBytes = std::size_t{1} << 20;

// The first bytes of the regular file `path`, at most kPreviewBytes; false when
// it cannot be opened or read. `whole` says whether they are the whole file.
bool ReadHead(const std::string& path, std::string& bytes, bool& whole) {
    PointFileInput input;
    if (!input.Open(path)) return false;
    bytes.assign(kPreviewBytes, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(input.fd(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    whole = got < bytes.size();
    bytes.resize(got);
    return true;
}

// The first kPreviewLines data lines of `bytes`, without their line ends and the
// byte order mark; a line the head cuts off is left out.
std::vector<std::string> DataLines(std::string_view bytes, bool whole) {
    TakeByteOrderMark(bytes);
    std::vector<std::string> lines;
    while (!bytes.empty() && lines.size() < static_cast<std::size_t>(kPreviewLines)) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos && !whole) break;
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (ClassifyLine(line) == LineKind::Data) lines.emplace_back(line);
    }
    return lines;
}

// The picker's items for the columns of `first`: "2: Lat" with a header, else "column 2".
std::vector<std::string> ColumnItems(const std::vector<std::string>& first, bool header) {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < first.size(); ++i)
        items.push_back(ColumnItem(i + 1, first[i], header));
    return items;
}

// Whether the first data line `first` is a header. A layout refused for want
// of known column names still tells it: ReadLayout then decides it on fields 1
// and 2, as it does when the user names them.
std::optional<bool> HeaderOf(std::string_view first, const LayoutResult& found) {
    if (found.layout) return found.layout->header;
    DelimitedOptions firstTwo;
    firstTwo.latitude.index = 1;
    firstTwo.longitude.index = 2;
    const LayoutResult guess = ReadLayout(first, firstTwo);
    if (guess.layout) return guess.layout->header;
    return std::nullopt;
}

int Item(const Column& column) { return static_cast<int>(column.index); }

// The table's titles: the header's names, numbers for columns beyond them or without a header.
std::vector<std::string> Titles(const std::vector<std::string>& header, std::size_t columns) {
    std::vector<std::string> titles = header;
    for (std::size_t i = titles.size(); i < columns; ++i) titles.push_back(std::to_string(i + 1));
    return titles;
}

// "<folder>/<name>-heights<extension>" for the input "<folder>/<name><extension>".
std::string ProposedOutput(const std::string& input) {
    const std::size_t slash = input.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = input.rfind('.');
    if (dot == std::string::npos || dot <= nameStart) dot = input.size();
    return input.substr(0, dot) + "-heights" + input.substr(dot);
}

}  // namespace

void HeightsPage::InitialiseHeightsPage(const GeoidGrid* grid) {
    grid_ = grid;
    const std::vector<std::string> units(std::begin(kHeightUnitItems), std::end(kHeightUnitItems));
    platform_.SetChoices(kUnits, units, 0);
    for (int id : {kLatitudeColumn, kLongitudeColumn}) platform_.SetChoices(id, {}, -1);
    platform_.SetChoices(kHeightColumn, {kNoHeightColumnItem}, 0);
    target_ = HeightTarget::None;
}

void HeightsPage::BrowseInputFile() {
    std::string path = platform_.OpenFileDialog();
    if (path.empty()) return;  // cancelled: the input stays as it was
    SetInputPath(path);
}

void HeightsPage::SetInputPath(const std::string& path) {
    inputPath_ = path;
    platform_.SetFieldText(kInputPath, inputPath_);
    if (!outputChosen_) {
        outputPath_ = ProposedOutput(inputPath_);
        platform_.SetFieldText(kOutputPath, outputPath_);
    }
    Preview();
}

void HeightsPage::BrowseOutputFile() {
    std::string path = platform_.SaveFileDialog();
    if (path.empty()) return;
    outputPath_ = std::move(path);
    outputChosen_ = true;
    platform_.SetFieldText(kOutputPath, outputPath_);
}

void HeightsPage::SelectTarget(int radioId) {
    if (radioId < kAppendOnly || radioId > kToEllipsoidal) return;
    target_ = static_cast<HeightTarget>(radioId - kAppendOnly);
}

void HeightsPage::Preview() {
    delimiter_.reset();
    header_.reset();
    std::string head;
    bool whole = false;
    if (!ReadHead(inputPath_, head, whole)) {
        platform_.SetTable(kPreview, {}, {});
        platform_.Notify(InputOpenMessage(inputPath_), NoticeIcon::None);
        return;
    }
    const std::vector<std::string> lines = DataLines(head, whole);
    const std::string first = lines.empty() ? std::string() : lines.front();
    const LayoutResult found = ReadLayout(first, {});
    delimiter_ = found.layout ? found.layout->delimiter : DetectDelimiter(first);
    header_ = HeaderOf(first, found);
    const bool header = header_.value_or(false);

    std::vector<std::vector<std::string>> rows;
    std::size_t columns = 0;
    for (const std::string& line : lines) {
        rows.push_back(delimiter_ ? SplitFields(line, *delimiter_) : std::vector{line});
        columns = std::max(columns, rows.back().size());
    }
    const std::vector<std::string> firstFields =
        rows.empty() ? std::vector<std::string>{} : rows.front();
    if (header) rows.erase(rows.begin());
    platform_.SetTable(kPreview, Titles(header ? firstFields : std::vector<std::string>{}, columns),
                       rows);

    // The pickers: the layout's columns, none (the height: "(none)") when it was refused.
    const DelimitedLayout* layout = found.layout ? &*found.layout : nullptr;
    std::vector<std::string> items = ColumnItems(firstFields, header);
    platform_.SetChoices(kLatitudeColumn, items, layout ? Item(layout->latitude) : -1);
    platform_.SetChoices(kLongitudeColumn, items, layout ? Item(layout->longitude) : -1);
    items.insert(items.begin(), kNoHeightColumnItem);
    platform_.SetChoices(kHeightColumn, items,
                         layout && layout->height ? Item(*layout->height) + 1 : 0);
    platform_.ShowStatus(layout ? DescribeColumns(*layout) : found.error);
}

HeightsOptions HeightsPage::ChosenOptions() {
    HeightsOptions options;
    options.columns.delimiter = delimiter_;
    options.columns.header = header_;
    // A picker's item i is column i + 1; the height picker has "(none)" first.
    const auto pick = [this](int id, int first, ColumnRequest& request) {
        const int item = platform_.ChoiceIndex(id);
        if (item >= first) request.index = static_cast<std::size_t>(item - first + 1);
    };
    pick(kLatitudeColumn, 0, options.columns.latitude);
    pick(kLongitudeColumn, 0, options.columns.longitude);
    pick(kHeightColumn, 1, options.columns.height);
    options.target = target_;
    const int unit = platform_.ChoiceIndex(kUnits);
    if (unit >= 0 && unit < static_cast<int>(std::size(kHeightUnitItems))) {
        options.unit = static_cast<HeightUnit>(unit);
    }
    return options;
}

void HeightsPage::CalculateHeights() {
    if (grid_ == nullptr) {
        platform_.Notify(kNullGridMessage, NoticeIcon::Error);
        return;
    }
    if (inputPath_.empty()) {
        platform_.Notify(kHeightsNoInputMessage, NoticeIcon::None);
        return;
    }
    const HeightsOptions options = ChosenOptions();
    if (options.target != HeightTarget::None && options.columns.height.index == 0) {
        platform_.Notify(kHeightColumnNeededMessage, NoticeIcon::None);
        return;
    }
    PointFileSetup setup;
    ReplacingOutput output;
    if (!OpenPageRunFiles(platform_, *grid_, inputPath_, outputPath_, setup, output)) return;

    RunMeter meter;
    std::atomic<std::int64_t> count{0};
    HeightsCallbacks callbacks;
    callbacks.progress = [&count](std::int64_t lines) { count = lines; };
    HeightsOutcome outcome;
    // The run may go on another thread: it tells the window nothing until it has ended.
    RunOverInput(platform_, kCalc, setup.input, output, meter, count, [&] {
        outcome = RunHeights(setup.input, output.text(), *grid_, setup.mapped, options, callbacks,
                             meter.stop());
    });
    setup.input.Close();
    SettleRun(outcome, output);
}

void HeightsPage::SettleRun(const HeightsOutcome& outcome, ReplacingOutput& output) {
    const PageRunEnd end{outcome.completed(), outcome.stopped, kHeightsStatusName, outputPath_};
    const bool kept = EndPageRun(platform_, output, end, [&](int keepError) {
        if (!outcome.layoutError.empty()) return outcome.layoutError;
        return FailedRunReason(outcome.stopped, outcome.readError, outcome.writeError, keepError,
                               inputPath_, outputPath_);
    });
    if (!kept) return;
    const std::string message = HeightsOutcomeMessage(outcome, inputPath_, outputPath_);
    // Lines left without values are told in a box as well as in the status line.
    if (outcome.gridOpened && !outcome.allComputed()) platform_.Notify(message, NoticeIcon::None);
    platform_.ShowStatus(OneLine(message));
}

}  // namespace egm2008
