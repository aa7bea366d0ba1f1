#include "tasks/heights/heights_page.hpp"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "engine/mapped_grid.hpp"
#include "tasks/messages.hpp"
#include "tasks/common/page_file_run.hpp"
#include "tasks/common/run_input.hpp"
#include "tasks/dem/dem_convert.hpp"
#include "tasks/dem/dem_preview.hpp"
#include "tasks/heights/heights_preview.hpp"

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
std::optional<bool> HeaderOf(std::string_view first, const LayoutResult& found,
                             const DelimitedOptions& options) {
    if (found.layout) return found.layout->header;
    DelimitedOptions firstTwo = options;
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

// The output's name beside its input: "<name>-heights<extension>".
constexpr std::string_view kOutputSuffix = "-heights";

// The output proposed beside a raster input: "<name>-heights.tif", a GeoTIFF whatever it reads.
std::string DemOutputPath(const std::string& input) {
    std::filesystem::path proposed = ProposedOutputPath(input, kOutputSuffix);
    std::string extension = proposed.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".tif" || extension == ".tiff") return proposed.string();
    return proposed.replace_extension(".tif").string();
}

// The controls of a delimited file that a raster has no use for.
constexpr int kTextOnlyControls[] = {kDelimiter,    kDecimalMark, kLatitudeColumn, kLongitudeColumn,
                                     kHeightColumn, kUnits,       kAppendOnly};

// The picker's item of a delimiter; -1 for none.
int DelimiterItem(std::optional<Delimiter> delimiter) {
    return delimiter ? static_cast<int>(*delimiter) : -1;
}

}  // namespace

void HeightsPage::InitialiseHeightsPage(const GeoidGrid* grid) {
    grid_ = grid;
    const std::vector<std::string> units(std::begin(kHeightUnitItems), std::end(kHeightUnitItems));
    platform_.SetChoices(kUnits, units, 0);
    const std::vector<std::string> delimiters(std::begin(kDelimiterItems),
                                              std::end(kDelimiterItems));
    platform_.SetChoices(kDelimiter, delimiters, -1);
    const std::vector<std::string> marks(std::begin(kDecimalMarkItems),
                                         std::end(kDecimalMarkItems));
    platform_.SetChoices(kDecimalMark, marks, 0);
    for (int id : {kLatitudeColumn, kLongitudeColumn}) platform_.SetChoices(id, {}, -1);
    platform_.SetChoices(kHeightColumn, {kNoHeightColumnItem}, 0);
    target_ = HeightTarget::None;
    platform_.SetEnabled(kShowMap, !mapPoints_.empty());
}

void HeightsPage::BrowseInputFile() {
    std::string path = platform_.OpenFileDialogFor({kHeightsInputDialogTitle, kHeightsInputFilter});
    if (path.empty()) return;  // cancelled: the input stays as it was
    SetInputPath(path);
}

void HeightsPage::SetInputPath(const std::string& path) {
    // A raster's proposed output is not the user's own either.
    const std::string standing = raster_ ? DemOutputPath(inputPath_) : std::string();
    outputPath_ = OutputForNewInput(outputPath_, inputPath_, path, kOutputSuffix, standing);
    inputPath_ = path;
    platform_.SetFieldText(kInputPath, inputPath_);
    Preview();
    if (raster_ && outputPath_ == ProposedOutputPath(inputPath_, kOutputSuffix))
        outputPath_ = DemOutputPath(inputPath_);
    platform_.SetFieldText(kOutputPath, outputPath_);
}

void HeightsPage::BrowseOutputFile() {
    std::string path = platform_.SaveFileDialogAs(
        {kHeightsOutputDialogTitle, raster_ ? kGeoTiffFilter : kDelimitedFileFilter});
    if (path.empty()) return;
    SetOutputPath(path);
}

void HeightsPage::SetOutputPath(const std::string& path) {
    outputPath_ = path;
    platform_.SetFieldText(kOutputPath, outputPath_);
}

void HeightsPage::SelectTarget(int radioId) {
    if (radioId < kAppendOnly || radioId > kToEllipsoidal) return;
    target_ = static_cast<HeightTarget>(radioId - kAppendOnly);
}

void HeightsPage::SelectDelimiter(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kDelimiterItems))) return;
    delimiter_ = static_cast<Delimiter>(index);
    ShowPreview();
}

void HeightsPage::SelectDecimalMark(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kDecimalMarkItems))) return;
    mark_ = index == 1 ? DecimalMark::Comma : DecimalMark::Point;
    ShowPreview();
}

void HeightsPage::Preview() {
    head_.clear();
    whole_ = notText_ = false;
    const bool read = ReadHead(inputPath_, head_, whole_);
    const int error = errno;
    notText_ = read && !LooksLikeText(head_);
    if (notText_) {
        if (const std::optional<DemPreview> dem = PreviewDem(inputPath_)) {
            head_.clear();
            ShowRaster(&*dem);
            return;
        }
    }
    ShowRaster(nullptr);
    if (!read || notText_) {
        head_.clear();
        platform_.SetTable(kPreview, {}, {});
        platform_.SetFieldText(kProblems, {});
        platform_.SetChoices(kDelimiter, {std::begin(kDelimiterItems), std::end(kDelimiterItems)},
                             -1);
        for (int id : {kLatitudeColumn, kLongitudeColumn}) platform_.SetChoices(id, {}, -1);
        platform_.SetChoices(kHeightColumn, {kNoHeightColumnItem}, 0);
        const std::string why = read ? kNotATextFileMessage : InputOpenMessage(inputPath_, error);
        platform_.ShowStatus(OneLine(why));
        platform_.Notify(why, NoticeIcon::Error);
        return;
    }
    const TextConventions found =
        DetectConventions(FirstDataLines(head_, whole_, kPreviewLines, std::nullopt));
    delimiter_ = found.delimiter;
    mark_ = found.mark;
    platform_.SetChoices(kDelimiter, {std::begin(kDelimiterItems), std::end(kDelimiterItems)},
                         DelimiterItem(delimiter_));
    platform_.SetChoices(kDecimalMark, {std::begin(kDecimalMarkItems), std::end(kDecimalMarkItems)},
                         mark_ == DecimalMark::Comma ? 1 : 0);
    ShowPreview();
}

void HeightsPage::ShowPreview() {
    if (notText_) return;
    const std::vector<NumberedLine> lines =
        FirstDataLines(head_, whole_, kPreviewLines, delimiter_);
    const std::string first = lines.empty() ? std::string() : lines.front().text;
    DelimitedOptions chosen;
    chosen.delimiter = delimiter_;
    chosen.decimalComma = mark_ == DecimalMark::Comma;
    const LayoutResult found = ReadLayout(first, chosen);
    std::optional<Delimiter> split = delimiter_ ? delimiter_ : DetectDelimiter(first);
    if (found.layout) split = found.layout->delimiter;
    header_ = HeaderOf(first, found, chosen);
    const bool header = header_.value_or(false);

    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> names;
    rowLines_.clear();
    std::size_t columns = 0;
    for (const NumberedLine& line : lines) {
        rows.push_back(split ? SplitFields(line.text, *split) : std::vector{line.text});
        columns = std::max(columns, rows.back().size());
        rowLines_.push_back(line.number);
        names.push_back(std::to_string(line.number));
    }
    const std::vector<std::string> firstFields =
        rows.empty() ? std::vector<std::string>{} : rows.front();
    if (header && !rows.empty()) {
        rows.erase(rows.begin());
        names.erase(names.begin());
        rowLines_.erase(rowLines_.begin());
    }
    platform_.SetTable(kPreview, Titles(header ? firstFields : std::vector<std::string>{}, columns),
                       rows);
    platform_.SetTableRowNames(kPreview, names);
    platform_.SetFieldText(kProblems, {});

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
    options.decimalMark = mark_;
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
        platform_.Notify(kHeightsNoInputMessage, NoticeIcon::Error);
        return;
    }
    if (raster_) {
        ConvertRaster();
        return;
    }
    if (notText_) {
        platform_.Notify(kNotATextFileMessage, NoticeIcon::None);
        return;
    }
    const HeightsOptions options = ChosenOptions();
    if (options.target != HeightTarget::None && options.columns.height.index == 0) {
        platform_.Notify(kHeightColumnNeededMessage, NoticeIcon::Error);
        return;
    }
    PointFileSetup setup;
    ReplacingOutput output;
    if (!OpenPageRunFiles(platform_, *grid_, inputPath_, outputPath_, setup, output)) return;
    // The lines of the run before belong to it.
    platform_.SetFieldText(kProblems, {});
    platform_.MarkTableRows(kPreview, {});

    RunMeter meter;
    std::atomic<std::int64_t> count{0};
    HeightsCallbacks callbacks;
    callbacks.progress = [&count](std::int64_t lines) { count = lines; };
    EvenSample<PlacedValue> points(kPointMapCapacity);
    callbacks.points = [&points](const std::vector<PlacedValue>& batch) {
        for (const PlacedValue& p : batch) points.Add(p);
    };
    mapPoints_.clear();
    platform_.SetEnabled(kShowMap, false);
    HeightsOutcome outcome;
    // The run may go on another thread: it tells the window nothing until it has ended.
    const RunningText running{kConvertingHeightsDoing, inputPath_, outputPath_};
    RunOverInput(platform_, kCalc, setup.input, output, meter, count, running, [&] {
        outcome = RunHeights(setup.input, output.text(), *grid_, setup.mapped, options, callbacks,
                             meter.stop());
    });
    setup.input.Close();
    SettleRun(outcome, output);
    if (outcome.completed() && !points.items().empty()) {
        mapPoints_ = points.items();
        mapTitle_ = HeightsMapTitle(mapPoints_.size(), points.seen(), inputPath_);
        mapQuantity_ = "N";
        platform_.SetEnabled(kShowMap, true);
    }
}

void HeightsPage::ShowMap() {
    if (mapPoints_.empty()) return;
    PointMap map = PointMapOf(mapPoints_);
    map.quantity = mapQuantity_;
    platform_.ShowPointMap(map, mapTitle_);
}

void HeightsPage::ShowRaster(const DemPreview* preview) {
    raster_ = preview != nullptr;
    platform_.SetShown(kPreview, !raster_);
    platform_.SetShown(kProblems, !raster_);
    platform_.SetShown(kRasterPicture, raster_);
    platform_.SetShown(kRasterDescription, raster_);
    for (int id : kTextOnlyControls) platform_.SetEnabled(id, !raster_);
    if (!raster_) return;
    const DemDescription& about = preview->description;
    platform_.SetFieldText(
        kRasterDescription,
        DemDescriptionText(about.width, about.height, about.crs, about.type, about.nodata));
    platform_.ShowPicture(kRasterPicture, preview->picture);
    platform_.SetTable(kPreview, {}, {});
    platform_.SetFieldText(kProblems, {});
    for (int id : {kLatitudeColumn, kLongitudeColumn}) platform_.SetChoices(id, {}, -1);
    platform_.SetChoices(kHeightColumn, {kNoHeightColumnItem}, 0);
    if (target_ == HeightTarget::None) {
        target_ = HeightTarget::Orthometric;
        platform_.SetChecked(kToOrthometric, true);
    }
    platform_.ShowStatus(kDemChosenStatus);
}

void HeightsPage::ConvertRaster() {
    MappedGrid mapped;
    if (mapped.Map(*grid_, platform_) != QueryStatus::StatusOk) return;
    DemOptions options;
    options.target = target_ == HeightTarget::Ellipsoidal ? HeightTarget::Ellipsoidal
                                                          : HeightTarget::Orthometric;
    mapPoints_.clear();
    platform_.SetEnabled(kShowMap, false);
    std::error_code error;
    const bool existed = std::filesystem::exists(outputPath_, error);
    const std::uintmax_t bytes = std::filesystem::file_size(inputPath_, error);
    platform_.SetCursor(CursorShape::Wait);
    platform_.ShowStatus(InputRunningStatus(kConvertingDemDoing, inputPath_,
                                            error ? 0 : static_cast<std::int64_t>(bytes),
                                            outputPath_));
    // The run may go on another thread: it tells the window nothing until it has ended.
    RunMeter meter;
    DemOutcome outcome;
    const auto rows = [&meter](std::int64_t done, std::int64_t total) {
        meter.total = total;
        meter.done = done;
    };
    std::int64_t shown = -1;
    platform_.RunLong(
        meter,
        [&] {
            outcome =
                ConvertDem(inputPath_, outputPath_, *grid_, mapped, options, meter.stop(), rows);
        },
        [&] {
            if (const std::int64_t now = meter.done.load(); now != shown) {
                shown = now;
                platform_.SetFieldText(kCalc, std::to_string(now));
            }
        });
    platform_.SetCursor(CursorShape::Arrow);
    platform_.SetFieldText(kCalc, kCalcCaption);
    SettleRaster(outcome, existed ? OutputFate::Unchanged : OutputFate::NotCreated, options.target);
}

void HeightsPage::SettleRaster(const DemOutcome& outcome, OutputFate fate, HeightTarget target) {
    if (!outcome.written()) {
        // A cancel is the user's own doing: the status line tells it, no box.
        if (!outcome.stopped)
            platform_.Notify(FailedRunMessage(outcome.error, outputPath_, fate), NoticeIcon::Error);
        platform_.ShowStatus(
            RunFailedStatus(kHeightsStatusName, outcome.stopped, outputPath_, fate));
        return;
    }
    const DemCounts& counts = outcome.counts;
    const std::string message = DemSummaryMessage(outputPath_, counts.converted, counts.nodata,
                                                  counts.clipped, counts.failed, outcome.seconds);
    // Pixels clipped or left without N are told in a box as well as in the status line.
    if (!outcome.allConverted()) platform_.Notify(message, NoticeIcon::Error);
    platform_.ShowStatus(OneLine(message));
    std::string why;
    mapPoints_ = DemMapPoints(outputPath_, why);
    if (mapPoints_.empty()) {
        // No map: every pixel is nodata, or the output could not be read back.
        if (!why.empty())
            platform_.ShowStatus(OneLine(message + " " + DemMapNotReadMessage(outputPath_, why)));
        return;
    }
    mapTitle_ = DemMapTitle(target == HeightTarget::Orthometric, outputPath_);
    mapQuantity_ = target == HeightTarget::Orthometric ? "H" : "h";
    platform_.SetEnabled(kShowMap, true);
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
    ShowProblems(outcome);
    // Lines left without values are told in a box as well as in the status line.
    if (outcome.gridOpened && !outcome.allComputed()) {
        platform_.Notify(message + "\n" + kProblemLinesListedNote, NoticeIcon::Error);
    }
    platform_.ShowStatus(OneLine(message));
}

void HeightsPage::ShowProblems(const HeightsOutcome& outcome) {
    std::string list;
    std::vector<TableMark> marks;
    for (const HeightsLineProblem& problem : outcome.problems) {
        if (!list.empty()) list += '\n';
        list += HeightsProblemText(problem);
        const auto row = std::find(rowLines_.begin(), rowLines_.end(), problem.line);
        if (row != rowLines_.end())
            marks.push_back({static_cast<int>(row - rowLines_.begin()), problem.reason});
    }
    const std::int64_t listed = static_cast<std::int64_t>(outcome.problems.size());
    if (const std::int64_t more = outcome.unreadable + outcome.failed - listed; more > 0)
        list += '\n' + MoreProblemLinesText(more);
    platform_.SetFieldText(kProblems, list);
    platform_.MarkTableRows(kPreview, marks);
}

}  // namespace egm2008
