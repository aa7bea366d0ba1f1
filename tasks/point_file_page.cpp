#include "tasks/point_file_page.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "engine/mapped_grid.hpp"
#include "tasks/manual_point.hpp"
#include "tasks/run_clock.hpp"
#include "tasks/text_output.hpp"

namespace egm2008 {

namespace {

std::string InFolder(const std::string& directory, const char* name) {
    if (!directory.empty() && directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

// The length of the regular input `fd` in bytes, 0 when unknown.
std::int64_t InputLength(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : 0;
}

// How far the run has read `fd`: its file offset, which the reads move.
std::int64_t InputPosition(int fd) {
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    return at < 0 ? 0 : at;
}

// The caption of "Calc!" during a run: the count of computed points the run
// last reported (0, 1000, 2000, ...), set whenever it has changed.
class CaptionCounter {
public:
    CaptionCounter(PagePlatform& platform, const std::atomic<std::int64_t>& count)
        : platform_(platform), count_(count) {}
    void Show() {
        const std::int64_t now = count_.load();
        if (now == shown_) return;
        shown_ = now;
        platform_.SetFieldText(file_ids::kCalc, std::to_string(now));
    }

private:
    PagePlatform& platform_;
    const std::atomic<std::int64_t>& count_;
    std::int64_t shown_ = -1;
};

}  // namespace

void PointFilePage::InitialiseFilePage(const GeoidGrid* grid, const std::string& workingDirectory) {
    grid_ = grid;
    inputPath_ = InFolder(workingDirectory, "input.dat");
    platform_.SetFieldText(file_ids::kInputPath, inputPath_);
    outputPath_ = InFolder(workingDirectory, "output.dat");
    platform_.SetFieldText(file_ids::kOutputPath, outputPath_);
    layout_ = PointFileLayout::LatLon;
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
    if (const auto refusal = SetUpPointFile({inputPath_, outputPath_}, *grid_, platform_, setup)) {
        if (!refusal->empty()) platform_.Notify(*refusal, NoticeIcon::None);
        return;
    }
    ReplacingOutput output;
    if (!output.Open(outputPath_)) {
        platform_.Notify(OutputOpenMessage(outputPath_), NoticeIcon::None);
        return;
    }

    platform_.SetCursor(CursorShape::Wait);
    const RunClock clock;
    RunMeter meter;
    const int input = setup.input.fd();
    meter.total = InputLength(input);
    output.text().StopOn(meter.stop());
    std::atomic<std::int64_t> count{0};
    PointFileOutcome outcome;
    // The run itself may go on another thread: it tells the window nothing until it has ended.
    const auto work = [&] {
        outcome = RunPointFile(
            setup.input, output.text(), *grid_, setup.mapped, layout_, method_,
            [&count](std::int64_t computed) { count = computed; }, meter.stop());
    };
    CaptionCounter caption(platform_, count);
    platform_.RunLong(meter, work, [&] {
        meter.done = InputPosition(input);
        caption.Show();
    });
    setup.input.Close();
    platform_.SetCursor(CursorShape::Arrow);
    platform_.SetFieldText(file_ids::kCalc, kCalcCaption);
    SettleRun(outcome, output, clock.Seconds());
}

void PointFilePage::SettleRun(const PointFileOutcome& outcome, ReplacingOutput& output,
                              double seconds) {
    if (outcome.completed() && output.Keep()) {
        platform_.Notify(CompletionMessage(outcome), NoticeIcon::None);
        platform_.ShowStatus(PointsWrittenStatus(outcome.computed, outputPath_, seconds));
        return;
    }
    // A failed rename comes with errno set; a failed read or write was kept by the run.
    const int renameError = outcome.completed() ? errno : 0;
    output.Discard();
    std::string why;
    if (outcome.stopped) {
        why = kRunCancelled;
    } else if (outcome.readError != 0) {
        why = InputReadFailure(inputPath_, outcome.readError);
    } else {
        why = OutputWriteFailure(outputPath_,
                                 outcome.writeError != 0 ? outcome.writeError : renameError);
    }
    platform_.Notify(FailedRunMessage(why, outputPath_, output.fate()), NoticeIcon::None);
    platform_.ShowStatus(
        RunFailedStatus(kFileCalcStatusName, outcome.stopped, outputPath_, output.fate()));
}

}  // namespace egm2008
