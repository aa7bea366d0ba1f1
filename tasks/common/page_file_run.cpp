#include "tasks/common/page_file_run.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tasks/messages.hpp"

namespace egm2008 {

namespace {

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

}  // namespace

bool OpenPageRunFiles(PagePlatform& platform, const GeoidGrid& grid, const std::string& inputPath,
                      const std::string& outputPath, PointFileSetup& setup,
                      ReplacingOutput& output) {
    if (const auto refusal = SetUpPointFile({inputPath, outputPath}, grid, platform, setup)) {
        if (!refusal->empty()) platform.Notify(*refusal, NoticeIcon::Error);
        return false;
    }
    if (!output.Open(outputPath)) {
        platform.Notify(OutputOpenMessage(outputPath, errno), NoticeIcon::Error);
        return false;
    }
    return true;
}

bool OpenPageInput(PagePlatform& platform, const GeoidGrid& grid, const std::string& inputPath,
                   PointFileSetup& setup) {
    if (!setup.input.Open(inputPath)) {
        platform.Notify(InputOpenMessage(inputPath, errno), NoticeIcon::Error);
        return false;
    }
    if (setup.mapped.Map(grid, platform) != QueryStatus::StatusOk) {
        setup.input.Close();
        return false;
    }
    return true;
}

void RunReadingInput(PagePlatform& platform, const PointFileInput& input, RunMeter& meter,
                     const RunningText& running, const std::function<void()>& work,
                     const std::function<void()>& tick) {
    platform.SetCursor(CursorShape::Wait);
    meter.total = InputLength(input.fd());
    platform.ShowStatus(
        InputRunningStatus(running.doing, running.inputPath, meter.total, running.outputPath));
    platform.RunLong(meter, work, [&] {
        meter.done = InputPosition(input.fd());
        if (tick) tick();
    });
    platform.SetCursor(CursorShape::Arrow);
}

void RunOverInput(PagePlatform& platform, int calcId, const PointFileInput& input,
                  ReplacingOutput& output, RunMeter& meter, const std::atomic<std::int64_t>& count,
                  const RunningText& running, const std::function<void()>& work) {
    output.text().StopOn(meter.stop());
    std::int64_t shown = -1;
    RunReadingInput(platform, input, meter, running, work, [&] {
        const std::int64_t now = count.load();
        if (now == shown) return;
        shown = now;
        platform.SetFieldText(calcId, std::to_string(now));
    });
    platform.SetFieldText(calcId, kCalcCaption);
}

bool EndPageRun(PagePlatform& platform, ReplacingOutput& output, const PageRunEnd& end,
                const FailedRunWhy& why) {
    const OutputKept kept = end.whole ? output.Keep() : OutputKept{};
    if (end.whole && kept.kept()) return true;
    const std::string reason = why(kept.error);
    output.Discard();
    // A cancel is the user's own doing: the status line tells it, no box.
    if (!end.cancelled) {
        platform.Notify(FailedRunMessage(reason, end.outputPath, output.fate()), NoticeIcon::Error);
    }
    platform.ShowStatus(
        RunFailedStatus(end.statusName, end.cancelled, end.outputPath, output.fate()));
    return false;
}

std::string FailedRunReason(bool stopped, int readError, int writeError, int renameError,
                            const std::string& inputPath, const std::string& outputPath) {
    if (stopped) return kRunCancelled;
    if (readError != 0) return InputReadFailure(inputPath, readError);
    return OutputWriteFailure(outputPath, writeError != 0 ? writeError : renameError);
}

std::string ProposedOutputPath(const std::string& input, std::string_view suffix) {
    const std::size_t slash = input.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = input.rfind('.');
    // A name that starts with its only dot (".profile") has no extension.
    if (dot == std::string::npos || dot <= nameStart) dot = input.size();
    return input.substr(0, dot) + std::string(suffix) + input.substr(dot);
}

std::string OutputForNewInput(const std::string& output, const std::string& previousInput,
                              const std::string& input, std::string_view suffix,
                              const std::string& standing) {
    const bool named =
        !output.empty() && output != standing &&
        (previousInput.empty() || output != ProposedOutputPath(previousInput, suffix));
    return named || input.empty() ? output : ProposedOutputPath(input, suffix);
}

}  // namespace egm2008
