#include "tasks/points/point_file_page.hpp"

#include <atomic>
#include <utility>

#include "engine/mapped_grid.hpp"
#include "tasks/points/manual_point.hpp"
#include "tasks/nmea/nmea_audit.hpp"
#include "tasks/common/page_file_run.hpp"
#include "tasks/common/run_clock.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

namespace {

std::string InFolder(const std::string& directory, const char* name) {
    if (!directory.empty() && directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

}  // namespace

void PointFilePage::InitialiseFilePage(const GeoidGrid* grid, const std::string& workingDirectory) {
    grid_ = grid;
    inputPath_ = InFolder(workingDirectory, "input.dat");
    platform_.SetFieldText(file_ids::kInputPath, inputPath_);
    outputPath_ = InFolder(workingDirectory, "output.dat");
    platform_.SetFieldText(file_ids::kOutputPath, outputPath_);
    internalDatabase_ = InFolder(workingDirectory, kInternalGridName);
    layout_ = PointFileLayout::LatLon;
    platform_.SetEnabled(file_ids::kCheckReceiver, false);
    method_ = InterpolationMethod::BiQuadratic;
}

void PointFilePage::BrowseInputFile() {
    std::string path = platform_.OpenFileDialog();
    if (path.empty()) return;  // cancelled: the path stays as it was
    inputPath_ = std::move(path);
    platform_.SetFieldText(file_ids::kInputPath, inputPath_);
}

void PointFilePage::BrowseOutputFile() {
    std::string path = platform_.SaveFileDialog();
    if (path.empty()) return;
    outputPath_ = std::move(path);
    platform_.SetFieldText(file_ids::kOutputPath, outputPath_);
}

void PointFilePage::SetInputPath(const std::string& path) {
    inputPath_ = path;
    platform_.SetFieldText(file_ids::kInputPath, inputPath_);
}

void PointFilePage::ViewInputFile() { platform_.StartEditor(inputPath_, false); }

void PointFilePage::ViewOutputFile() { platform_.StartEditor(outputPath_, false); }

void PointFilePage::SelectLayout(int radioId) {
    if (radioId < file_ids::kFirstLayout || radioId > file_ids::kLastLayout) return;
    layout_ = static_cast<PointFileLayout>(radioId - file_ids::kFirstLayout);
    platform_.SetEnabled(file_ids::kCheckReceiver, layout_ == PointFileLayout::GgaFromGps);
}

void PointFilePage::SelectMethod(int radioId) {
    if (radioId < file_ids::kFirstMethod || radioId > file_ids::kLastMethod) return;
    method_ = static_cast<InterpolationMethod>(radioId - file_ids::kFirstMethod);
}

void PointFilePage::CalculatePointFile() {
    if (grid_ == nullptr) {
        platform_.Notify(kNullGridMessage, NoticeIcon::Error);
        return;
    }
    PointFileSetup setup;
    ReplacingOutput output;
    if (!OpenPageRunFiles(platform_, *grid_, inputPath_, outputPath_, setup, output)) return;

    const RunClock clock;
    RunMeter meter;
    std::atomic<std::int64_t> count{0};
    PointFileOutcome outcome;
    // The run itself may go on another thread: it tells the window nothing until it has ended.
    RunOverInput(platform_, file_ids::kCalc, setup.input, output, meter, count, [&] {
        outcome = RunPointFile(
            setup.input, output.text(), *grid_, setup.mapped, layout_, method_,
            [&count](std::int64_t computed) { count = computed; }, meter.stop());
    });
    setup.input.Close();
    SettleRun(outcome, output, clock.Seconds());
}

void PointFilePage::CheckReceiver() {
    if (layout_ != PointFileLayout::GgaFromGps) return;
    // The window's grid when it is finer than the internal database, else the
    // finest grid at hand.
    const bool finer = grid_ != nullptr && grid_->gridSize != GridSize::Grid10x10;
    const GeoidGrid grid = finer ? *grid_ : AuditGrid(internalDatabase_);
    PointFileSetup setup;
    if (!OpenPageInput(platform_, grid, inputPath_, setup)) return;
    RunMeter meter;
    NmeaAuditRun run;
    RunReadingInput(platform_, setup.input, meter, [&] {
        run = RunNmeaAudit(setup.input.fd(), grid, setup.mapped, method_, meter.stop());
    });
    setup.input.Close();
    if (run.stopped || run.readError != 0) {
        platform_.Notify(run.stopped ? kRunCancelled : InputReadFailure(inputPath_, run.readError),
                         NoticeIcon::None);
        return;
    }
    platform_.ShowReport(kCheckReceiverTitle, NmeaAuditText(run.report));
}

void PointFilePage::SettleRun(const PointFileOutcome& outcome, ReplacingOutput& output,
                              double seconds) {
    const PageRunEnd end{outcome.completed(), outcome.stopped, kFileCalcStatusName, outputPath_};
    const bool kept = EndPageRun(platform_, output, end, [&](int keepError) {
        return FailedRunReason(outcome.stopped, outcome.readError, outcome.writeError, keepError,
                               inputPath_, outputPath_);
    });
    if (!kept) return;
    platform_.Notify(CompletionMessage(outcome), NoticeIcon::None);
    platform_.ShowStatus(PointsWrittenStatus(outcome.computed, outputPath_, seconds));
}

}  // namespace egm2008
