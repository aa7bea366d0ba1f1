#include "tasks/points/point_file_page.hpp"

#include <atomic>
#include <string_view>
#include <utility>

#include "engine/mapped_grid.hpp"
#include "tasks/points/manual_point.hpp"
#include "tasks/nmea/nmea_audit.hpp"
#include "tasks/nmea/nmea_run.hpp"
#include "tasks/common/page_file_run.hpp"
#include "tasks/common/run_clock.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

namespace {

std::string InFolder(const std::string& directory, const char* name) {
    if (!directory.empty() && directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

// The output's name beside its input: "<name>-egm2008<extension>", as `egm2008 nmea` is shown.
constexpr std::string_view kOutputSuffix = "-egm2008";

// The output the page starts with, in the working directory.
constexpr const char* kDefaultOutputName = "output.dat";

}  // namespace

void PointFilePage::InitialiseFilePage(const GeoidGrid* grid, const std::string& workingDirectory) {
    grid_ = grid;
    inputPath_ = InFolder(workingDirectory, "input.dat");
    platform_.SetFieldText(file_ids::kInputPath, inputPath_);
    outputPath_ = InFolder(workingDirectory, kDefaultOutputName);
    defaultOutput_ = outputPath_;
    platform_.SetFieldText(file_ids::kOutputPath, outputPath_);
    internalDatabase_ = InFolder(workingDirectory, kInternalGridName);
    layout_ = PointFileLayout::LatLon;
    nmeaRewrite_ = false;
    platform_.SetEnabled(file_ids::kCheckReceiver, false);
    method_ = InterpolationMethod::BiQuadratic;
}

FileDialogText PointFilePage::DialogText(const char* title) const {
    const bool nmea = nmeaRewrite_ || layout_ == PointFileLayout::GgaFromGps;
    return {title, nmea ? kNmeaFileFilter : kPointFileFilter};
}

void PointFilePage::BrowseInputFile() {
    std::string path = platform_.OpenFileDialogFor(DialogText(kFileCalcInputDialogTitle));
    if (path.empty()) return;  // cancelled: the path stays as it was
    SetInputPath(path);
}

void PointFilePage::BrowseOutputFile() {
    std::string path = platform_.SaveFileDialogAs(DialogText(kFileCalcOutputDialogTitle));
    if (path.empty()) return;
    SetOutputPath(path);
}

void PointFilePage::SetInputPath(const std::string& path) {
    const std::string proposed =
        OutputForNewInput(outputPath_, inputPath_, path, kOutputSuffix, defaultOutput_);
    inputPath_ = path;
    platform_.SetFieldText(file_ids::kInputPath, inputPath_);
    if (proposed != outputPath_) SetOutputPath(proposed);
}

void PointFilePage::SetOutputPath(const std::string& path) {
    outputPath_ = path;
    platform_.SetFieldText(file_ids::kOutputPath, outputPath_);
}

void PointFilePage::ViewInputFile() { platform_.StartEditor(inputPath_, false); }

void PointFilePage::ViewOutputFile() { platform_.StartEditor(outputPath_, false); }

void PointFilePage::SelectLayout(int radioId) {
    const bool plain = radioId >= file_ids::kFirstLayout && radioId <= file_ids::kLastLayout;
    if (!plain && radioId != file_ids::kNmeaLayout) return;
    nmeaRewrite_ = !plain;
    if (plain) layout_ = static_cast<PointFileLayout>(radioId - file_ids::kFirstLayout);
    platform_.SetEnabled(file_ids::kCheckReceiver,
                         nmeaRewrite_ || layout_ == PointFileLayout::GgaFromGps);
}

int PointFilePage::layoutRadio() const {
    return nmeaRewrite_ ? file_ids::kNmeaLayout
                        : file_ids::kFirstLayout + static_cast<int>(layout_);
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
    if (nmeaRewrite_) {
        RewriteNmea(setup, output);
        return;
    }

    const RunClock clock;
    RunMeter meter;
    std::atomic<std::int64_t> count{0};
    PointFileOutcome outcome;
    // The run itself may go on another thread: it tells the window nothing until it has ended.
    const RunningText running{kComputingPointsDoing, inputPath_, outputPath_};
    RunOverInput(platform_, file_ids::kCalc, setup.input, output, meter, count, running, [&] {
        outcome = RunPointFile(
            setup.input, output.text(), *grid_, setup.mapped, layout_, method_,
            [&count](std::int64_t computed) { count = computed; }, meter.stop());
    });
    setup.input.Close();
    SettleRun(outcome, output, clock.Seconds());
}

void PointFilePage::RewriteNmea(PointFileSetup& setup, ReplacingOutput& output) {
    const RunClock clock;
    RunMeter meter;
    std::atomic<std::int64_t> count{0};
    NmeaRunOutcome outcome;
    // As `egm2008 nmea` rewrites: every talker kept, nothing forced.
    const NmeaRewriteOptions options;
    const RunningText running{kRewritingSentencesDoing, inputPath_, outputPath_};
    RunOverInput(platform_, file_ids::kCalc, setup.input, output, meter, count, running, [&] {
        outcome = RunNmea(
            setup.input, output.text(), *grid_, setup.mapped, method_, options,
            [&count](std::int64_t lines) { count = lines; }, meter.stop());
    });
    setup.input.Close();
    const PageRunEnd end{outcome.readError == 0 && outcome.writeError == 0 && !outcome.stopped,
                         outcome.stopped, kFileCalcStatusName, outputPath_};
    const bool kept = EndPageRun(platform_, output, end, [&](int keepError) {
        return FailedRunReason(outcome.stopped, outcome.readError, outcome.writeError, keepError,
                               inputPath_, outputPath_);
    });
    if (!kept) return;
    platform_.Notify(NmeaSummaryText(outcome), NoticeIcon::None);
    platform_.ShowStatus(SentencesWrittenStatus(
        outcome.of[static_cast<int>(NmeaOutcome::Rewritten)], outputPath_, clock.Seconds()));
}

void PointFilePage::CheckReceiver() {
    if (layout_ != PointFileLayout::GgaFromGps && !nmeaRewrite_) return;
    // The window's grid when it is finer than the internal database, else the
    // finest grid at hand.
    const bool finer = grid_ != nullptr && grid_->gridSize != GridSize::Grid10x10;
    const GeoidGrid grid = finer ? *grid_ : AuditGrid(internalDatabase_);
    PointFileSetup setup;
    if (!OpenPageInput(platform_, grid, inputPath_, setup)) return;
    RunMeter meter;
    NmeaAuditRun run;
    RunReadingInput(platform_, setup.input, meter, {kCheckingReceiverDoing, inputPath_, ""}, [&] {
        run = RunNmeaAudit(setup.input.fd(), grid, setup.mapped, method_, meter.stop());
    });
    setup.input.Close();
    if (run.stopped) {
        platform_.ShowStatus(kRunCancelled);
        return;
    }
    if (run.readError != 0) {
        const std::string why = InputReadFailure(inputPath_, run.readError);
        platform_.Notify(why, NoticeIcon::Error);
        platform_.ShowStatus(why);
        return;
    }
    platform_.ShowStatus(ReceiverCheckedStatus(inputPath_));
    // The plot of (separation - N) over the log's time, when there is one, above the report.
    const Plot plot = NmeaDifferencePlot(run.report);
    if (plot.empty()) {
        platform_.ShowReport(kCheckReceiverTitle, NmeaAuditText(run.report));
    } else {
        platform_.ShowReportWithPlot(kCheckReceiverTitle, NmeaAuditText(run.report), plot);
    }
}

void PointFilePage::SettleRun(const PointFileOutcome& outcome, ReplacingOutput& output,
                              double seconds) {
    const PageRunEnd end{outcome.completed(), outcome.stopped, kFileCalcStatusName, outputPath_};
    const bool kept = EndPageRun(platform_, output, end, [&](int keepError) {
        return FailedRunReason(outcome.stopped, outcome.readError, outcome.writeError, keepError,
                               inputPath_, outputPath_);
    });
    if (!kept) return;
    platform_.ShowStatus(PointsWrittenStatus(outcome, outputPath_, seconds));
}

}  // namespace egm2008
