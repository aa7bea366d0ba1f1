#include "tasks/page_file_run.hpp"

#include <sys/stat.h>
#include <unistd.h>

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
        if (!refusal->empty()) platform.Notify(*refusal, NoticeIcon::None);
        return false;
    }
    if (!output.Open(outputPath)) {
        platform.Notify(OutputOpenMessage(outputPath), NoticeIcon::None);
        return false;
    }
    return true;
}

void RunOverInput(PagePlatform& platform, int calcId, const PointFileInput& input,
                  ReplacingOutput& output, RunMeter& meter, const std::atomic<std::int64_t>& count,
                  const std::function<void()>& work) {
    platform.SetCursor(CursorShape::Wait);
    meter.total = InputLength(input.fd());
    output.text().StopOn(meter.stop());
    std::int64_t shown = -1;
    platform.RunLong(meter, work, [&] {
        meter.done = InputPosition(input.fd());
        const std::int64_t now = count.load();
        if (now == shown) return;
        shown = now;
        platform.SetFieldText(calcId, std::to_string(now));
    });
    platform.SetCursor(CursorShape::Arrow);
    platform.SetFieldText(calcId, kCalcCaption);
}

std::string FailedRunReason(bool stopped, int readError, int writeError, int renameError,
                            const std::string& inputPath, const std::string& outputPath) {
    if (stopped) return kRunCancelled;
    if (readError != 0) return InputReadFailure(inputPath, readError);
    return OutputWriteFailure(outputPath, writeError != 0 ? writeError : renameError);
}

}  // namespace egm2008
