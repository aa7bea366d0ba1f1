#include "tasks/gridmaker.hpp"

#include "engine/mapped_grid.hpp"
#include "tasks/field_text.hpp"
#include "tasks/file_identity.hpp"
#include "tasks/grid_lattice.hpp"
#include "tasks/manual_point.hpp"
#include "tasks/text_output.hpp"

namespace egm2008 {

namespace {

// Reads field `id`; when `valid` holds writes the value back, otherwise tells the user.
bool ReadChecked(PagePlatform& platform, int id, double& value, bool (*valid)(double),
                 const char* message) {
    value = ReadFieldNumber(platform, id);
    if (!valid(value)) {
        platform.Notify(message, NoticeIcon::Error);
        return false;
    }
    WriteFieldNumber(platform, id, value);
    return true;
}

bool LatitudeInRange(double v) { return !(v < -90.0 || v > 90.0); }
bool LongitudeInRange(double v) { return !(v < -360.0 || v > 360.0); }
bool NotNegative(double v) { return !(v < 0.0); }

}  // namespace

void GridmakerPage::RunGridmaker() {
    using namespace gridmaker_ids;
    if (grid_ == nullptr) {
        platform_.Notify(kNullGridMessage, NoticeIcon::Error);
        return;
    }

    double a = 0.0, b = 0.0, c = 0.0, d = 0.0, m = 0.0, n = 0.0;
    if (!ReadChecked(platform_, kLatitude1, a, LatitudeInRange, kLatitudeRangeMessage) ||
        !ReadChecked(platform_, kLongitude1, b, LongitudeInRange, kLongitudeRangeMessage) ||
        !ReadChecked(platform_, kLatitude2, c, LatitudeInRange, kLatitudeRangeMessage) ||
        !ReadChecked(platform_, kLongitude2, d, LongitudeInRange, kLongitudeRangeMessage) ||
        !ReadChecked(platform_, kLatSpacing, m, NotNegative, kLatSpacingMessage) ||
        !ReadChecked(platform_, kLonSpacing, n, NotNegative, kLonSpacingMessage)) {
        return;
    }
    const LatticeArea area = AreaFromCorners(a, b, c, d, m, n);
    if (area.lonStep < kLatticeSlack || area.latStep < kLatticeSlack) {
        platform_.Notify(kSpacingMessage, NoticeIcon::None);
        return;
    }

    // Opening the grid file for writing would empty it before a single node is read.
    if (SameFile(outputPath_, grid_->path)) {
        platform_.Notify(OutputIsGridMessage(outputPath_), NoticeIcon::None);
        return;
    }
    // Before the output is opened: a grid that fails leaves the output as it was.
    MappedGrid mapped;
    if (mapped.Map(*grid_, platform_) != QueryStatus::StatusOk) return;
    TextOutput output;
    if (!output.Open(outputPath_)) {
        platform_.Notify(OutputOpenMessage(outputPath_), NoticeIcon::None);
        return;
    }
    platform_.SetFieldText(kOutputPath, outputPath_);
    platform_.SetCursor(CursorShape::Wait);

    const LatticeOutcome outcome =
        WriteGridLattice(output, *grid_, mapped, method_, area, [this](std::uint64_t) {
            platform_.KeepAlive();
            return true;
        });
    const bool closed = output.Close();
    platform_.SetCursor(CursorShape::Arrow);

    if (outcome.end == LatticeEnd::WriteFailed || !closed) {
        platform_.Notify(OutputWriteFailureMessage(outputPath_, output.error()), NoticeIcon::None);
    } else if (outcome.end == LatticeEnd::StoppedAtError) {
        platform_.Notify(
            LatticeIncompleteMessage(outputPath_, outcome.stopLatitude, outcome.stopLongitude),
            NoticeIcon::None);
    }
}

void GridmakerPage::BrowseOutputFile() {
    outputPath_ = platform_.SaveFileDialog();
    platform_.SetFieldText(gridmaker_ids::kOutputPath, outputPath_);
}

void GridmakerPage::ViewOutputFile() { platform_.StartEditor(outputPath_, false); }

}  // namespace egm2008
