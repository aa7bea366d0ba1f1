#include "tasks/lattice/gridmaker.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "tasks/common/field_text.hpp"
#include "engine/file_identity.hpp"
#include "tasks/common/page_file_run.hpp"
#include "tasks/points/manual_point.hpp"
#include "tasks/common/run_clock.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

namespace {

// The fields' IDs, by GridmakerField.
constexpr int kFieldIds[kGridmakerFields] = {
    gridmaker_ids::kLatitude1,  gridmaker_ids::kLongitude1, gridmaker_ids::kLatitude2,
    gridmaker_ids::kLongitude2, gridmaker_ids::kLatSpacing, gridmaker_ids::kLonSpacing};

// What each field holds, by GridmakerField.
constexpr FieldKind kFieldKinds[kGridmakerFields] = {FieldKind::Latitude, FieldKind::Longitude,
                                                     FieldKind::Latitude, FieldKind::Longitude,
                                                     FieldKind::Spacing,  FieldKind::Spacing};

static_assert(std::size(kGridmakerFieldNames) == kGridmakerFields);

// The page's output name before the user chose one, for a format.
std::string DefaultOutputOf(LatticeFormat format) {
    const char* extension = LatticeFormatInfoOf(format).extensions[0];
    if (format == LatticeFormat::Xyz || extension == nullptr) return kDefaultGridOutput;
    return std::string("Output") + extension;
}

// True for an output name the page gave and the user did not choose.
bool IsDefaultOutput(const std::string& path) {
    for (const LatticeFormat format : GridmakerFormats()) {
        if (path == DefaultOutputOf(format)) return true;
    }
    return false;
}

// The rows the window offers, in the places of its picker.
std::vector<LatticeFormat> OfferedFormats() {
    std::vector<const LatticeFormatInfo*> rows;
    for (const LatticeFormatInfo* row : LatticeFormats()) {
        if (row->pickerPlace > 0) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end(), [](const LatticeFormatInfo* a, const LatticeFormatInfo* b) {
        return a->pickerPlace < b->pickerPlace;
    });
    std::vector<LatticeFormat> formats;
    for (const LatticeFormatInfo* row : rows) formats.push_back(row->format);
    return formats;
}

// Why `request`'s format cannot hold a lattice of `shape`, and which of
// `offered` (all formats when empty) would.
std::string RefusalOf(const GridmakerRequest& request, const LatticeShape& shape,
                      std::span<const LatticeFormat> offered) {
    std::vector<const char*> fitting;
    for (const LatticeFormatInfo* row : LatticeFormats()) {
        const bool isOffered = offered.empty() || std::find(offered.begin(), offered.end(),
                                                            row->format) != offered.end();
        if (isOffered && LatticeFormatHolds(row->format, shape)) fitting.push_back(row->name);
    }
    // A format within its limits that its further limit refuses (a GeoTIFF whose tiles
    // would not fit) reads as too many columns.
    const LatticeExcess excess =
        LatticeFormatExcess(request.format, shape)
            .value_or(LatticeExcess{LatticeBound::MostColumns,
                                    LatticeFormatInfoOf(request.format).limits.mostColumns});
    return LatticeRefusalMessage(LatticeFormatText(request.format), excess, shape.rows,
                                 shape.columns, fitting);
}

}  // namespace

std::span<const LatticeFormat> GridmakerFormats() {
    static const std::vector<LatticeFormat> formats = OfferedFormats();
    return formats;
}

LatticeDescription LatticeDescriptionOf(const GridmakerRequest& request, const GeoidGrid& grid) {
    const auto value = [&request](GridmakerField field) {
        return request.values[static_cast<int>(field)];
    };
    LatticeDescription description;
    description.north =
        std::max(value(GridmakerField::Latitude1), value(GridmakerField::Latitude2));
    description.grid = std::filesystem::path(grid.path).filename().string();
    description.model = grid.model;
    for (const ManualMethod& method : kManualMethods) {
        if (method.method == request.method) description.method = method.label;
    }
    if (request.tide != TideSystem::TideFree) description.tideSystem = TideSystemName(request.tide);
    description.latSpacing = value(GridmakerField::LatSpacing);
    description.lonSpacing = value(GridmakerField::LonSpacing);
    description.software = std::string("egm2008 ") + EGM2008_VERSION;
    description.title = ColourMapTitle(request.values, grid, request.method);
    if (request.tide != TideSystem::TideFree) {  // the picture's font has capitals only
        description.title += ", ";
        for (const char* c = TideSystemName(request.tide); *c != '\0'; ++c)
            description.title += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    }
    description.pictureWidth = request.pictureWidth;
    description.colourFit = request.colourFit;
    return description;
}

const char* GridmakerFieldCheck(GridmakerField field, double value) {
    switch (field) {
        case GridmakerField::Latitude1:
        case GridmakerField::Latitude2:
            return value >= -90.0 && value <= 90.0 ? nullptr : kLatitudeRangeMessage;
        case GridmakerField::Longitude1:
        case GridmakerField::Longitude2:
            return value >= -360.0 && value <= 360.0 ? nullptr : kLongitudeRangeMessage;
        case GridmakerField::LatSpacing: return value >= 0.0 ? nullptr : kLatSpacingMessage;
        case GridmakerField::LonSpacing: return value >= 0.0 ? nullptr : kLonSpacingMessage;
    }
    return nullptr;
}

GridmakerCheck CheckGridmakerRequest(const GridmakerRequest& request,
                                     std::span<const LatticeFormat> offered) {
    GridmakerCheck check;
    const double* v = request.values;
    for (int k = 0; k < kGridmakerFields; ++k) {
        if (const char* message = GridmakerFieldCheck(static_cast<GridmakerField>(k), v[k])) {
            check.message = message;
            check.fieldFailed = true;
            return check;
        }
    }
    check.area = AreaFromCorners(v[0], v[1], v[2], v[3], v[4], v[5]);
    if (!(check.area.lonStep >= kLatticeSlack) || !(check.area.latStep >= kLatticeSlack)) {
        check.message = kSpacingMessage;
        return check;
    }
    const LatticeShape shape = LatticeShapeOf(check.area);
    if (!LatticeFormatHolds(request.format, shape))
        check.message = RefusalOf(request, shape, offered);
    return check;
}

GridmakerOutcome WriteGridmakerOutput(const GridmakerRequest& request, const LatticeArea& area,
                                      TextOutput& output, const GeoidGrid& grid, MappedGrid& mapped,
                                      const LatticeProgress& progress, LatticeRaster* view) {
    GridmakerOutcome outcome;
    const LatticeRasterMaker makeRaster = LatticeFormatInfoOf(request.format).raster;
    LatticeDescription description = LatticeDescriptionOf(request, grid);
    Coastlines coastlines;
    if (request.format == LatticeFormat::Png && request.coastlines) {
        const int longSide = request.pictureWidth > 0 ? request.pictureWidth : kMapLongSide;
        const LatticeShape shape = LatticeShapeOf(area);
        coastlines = MapCoastlines(MapFrameOf(shape, MapSizeOf(shape, longSide)));
        if (coastlines.status == CoastStatus::Read) {
            description.coastlines = &coastlines.lines;
        } else {
            outcome.coastlineNote = CoastlinesMissingMessage(
                coastlines.status == CoastStatus::Missing, coastlines.path);
        }
    }
    const std::unique_ptr<LatticeRaster> file =
        makeRaster != nullptr ? makeRaster(output, description) : nullptr;
    LatticeRasterTee rasters;
    if (file) rasters.Add(*file);
    if (view != nullptr) rasters.Add(*view);
    outcome.lattice =
        WriteGridLattice(output, grid, mapped, request.method, area, progress, request.format,
                         file || view ? &rasters : nullptr, request.tide);
    outcome.closed = output.Close();
    const LatticeOutcome& lattice = outcome.lattice;
    if (lattice.end == LatticeEnd::WriteFailed || !outcome.closed) {
        outcome.endMessage = OutputWriteFailureMessage(request.outputName, output.error());
    } else if (lattice.end == LatticeEnd::StoppedAtError) {
        outcome.endMessage = LatticeIncompleteMessage(request.outputName, lattice.stopLatitude,
                                                      lattice.stopLongitude);
    }
    return outcome;
}

void GridmakerPage::RunGridmaker() {
    if (grid_ == nullptr) {
        platform_.Notify(kNullGridMessage, NoticeIcon::Error);
        return;
    }
    // Every field is read and checked, and every one refused is marked at once; one
    // that passes shows its value as read.
    GridmakerRequest request;
    FieldRefusals refusals(platform_);
    for (int k = 0; k < kGridmakerFields; ++k) {
        const std::optional<double> value =
            refusals.Read(kFieldIds[k], kFieldKinds[k], kGridmakerFieldNames[k]);
        if (!value) continue;
        if (const char* message = GridmakerFieldCheck(static_cast<GridmakerField>(k), *value)) {
            refusals.Refuse(kFieldIds[k], message);
            continue;
        }
        WriteFieldNumber(platform_, kFieldIds[k], *value);
        request.values[k] = *value;
    }
    if (refusals.Finish()) return;
    request.outputName = outputPath_;
    request.method = method_;
    request.format = format_;
    const GridmakerCheck check = CheckGridmakerRequest(request, GridmakerFormats());
    if (!check.message.empty()) {
        platform_.Notify(check.message, NoticeIcon::Error);
        return;
    }
    WriteLattice(request, check.area);
}

void GridmakerPage::WriteLattice(const GridmakerRequest& request, const LatticeArea& area) {
    // Opening the grid file for writing would empty it before a single node is read.
    if (SameFile(outputPath_, grid_->path)) {
        platform_.Notify(OutputIsGridMessage(outputPath_), NoticeIcon::Error);
        return;
    }
    // Before the output is opened: a grid that fails leaves the output as it was.
    MappedGrid mapped;
    if (mapped.Map(*grid_, platform_) != QueryStatus::StatusOk) return;
    ReplacingOutput output;
    if (!output.Open(outputPath_)) {
        platform_.Notify(OutputOpenMessage(outputPath_, errno), NoticeIcon::Error);
        return;
    }
    platform_.SetFieldText(gridmaker_ids::kOutputPath, outputPath_);
    platform_.SetCursor(CursorShape::Wait);
    const RunClock clock;
    RunMeter meter;
    meter.total = static_cast<std::int64_t>(LatticeNodeCount(area));
    output.text().StopOn(meter.stop());
    GridmakerOutcome outcome;
    map_.reset();
    platform_.SetEnabled(gridmaker_ids::kShowMapButton, false);
    // The map holds a row of the lattice: a lattice too wide for a picture gets none.
    auto map = LatticeFormatHolds(LatticeFormat::Png, LatticeShapeOf(area))
                   ? std::make_unique<MapAccumulator>()
                   : nullptr;
    platform_.ShowStatus(LatticeRunningStatus(LatticeNodeCount(area)));
    // The run itself may go on another thread: it tells the window nothing until it has ended.
    const auto work = [&] {
        outcome = WriteGridmakerOutput(
            request, area, output.text(), *grid_, mapped,
            [&meter](std::uint64_t nodes) {
                meter.done = static_cast<std::int64_t>(nodes);
                return !meter.stop().Requested();
            },
            map.get());
        meter.done = static_cast<std::int64_t>(outcome.lattice.nodesWritten);
    };
    platform_.RunLong(meter, work, [] {});
    platform_.SetCursor(CursorShape::Arrow);
    if (SettleLattice(outcome, output, clock.Seconds()) && map) {
        map_ = std::move(map);
        mapTitle_ = ColourMapTitle(request.values, *grid_, request.method);
        platform_.SetEnabled(gridmaker_ids::kShowMapButton, true);
    }
}

bool GridmakerPage::SettleLattice(const GridmakerOutcome& outcome, ReplacingOutput& output,
                                  double seconds) {
    const LatticeOutcome& lattice = outcome.lattice;
    const bool cancelled = lattice.end == LatticeEnd::Cancelled;
    const PageRunEnd end{lattice.end == LatticeEnd::Completed && outcome.closed, cancelled,
                         kGridmakerStatusName, outputPath_};
    const bool kept = EndPageRun(platform_, output, end, [&](int keepError) -> std::string {
        if (cancelled) return kRunCancelled;
        if (lattice.end == LatticeEnd::StoppedAtError) {
            return LatticeStopFailure(lattice.stopLatitude, lattice.stopLongitude);
        }
        // A failed write was kept by the output.
        const int error = keepError != 0 ? keepError : output.text().error();
        return LatticeWriteFailure(outputPath_, error != 0 ? error : EIO);
    });
    if (kept)
        platform_.ShowStatus(LatticeWrittenStatus(lattice.nodesWritten, outputPath_, seconds));
    return kept;
}

GridmakerPage::~GridmakerPage() = default;

void GridmakerPage::InitialiseGridmakerPage() {
    std::vector<std::string> items;
    for (const LatticeFormat format : GridmakerFormats()) {
        items.emplace_back(LatticeFormatInfoOf(format).pickerItem);
    }
    platform_.SetChoices(gridmaker_ids::kFormatChoice, items, formatIndex_);
    platform_.SetEnabled(gridmaker_ids::kShowMapButton, map_ != nullptr);
}

void GridmakerPage::SelectFormat(int index) {
    const std::span<const LatticeFormat> formats = GridmakerFormats();
    if (index < 0 || index >= static_cast<int>(formats.size())) return;
    formatIndex_ = index;
    format_ = formats[static_cast<std::size_t>(index)];
    if (IsDefaultOutput(outputPath_)) {
        outputPath_ = DefaultOutputOf(format_);
        platform_.SetFieldText(gridmaker_ids::kOutputPath, outputPath_);
    }
}

void GridmakerPage::ShowMap() {
    if (map_ != nullptr) platform_.ShowMap(*map_, mapTitle_);
}

void GridmakerPage::BrowseOutputFile() {
    std::string path = platform_.SaveFileDialogAs(
        {kGridmakerOutputDialogTitle, LatticeFormatInfoOf(format_).saveFilter});
    if (path.empty()) return;  // cancelled: the path stays as it was
    SetOutputPath(path);
}

void GridmakerPage::SetOutputPath(const std::string& path) {
    outputPath_ = path;
    platform_.SetFieldText(gridmaker_ids::kOutputPath, outputPath_);
}

void GridmakerPage::ViewOutputFile() { platform_.StartEditor(outputPath_, false); }

}  // namespace egm2008
