// What the two pages that run over an input file share: opening the files in
// the order that keeps every file as it was when something fails, the run in
// the background with the input's bytes as its progress and a count in the
// caption of "Calc!", the end of the run: its output kept, or the reason a
// run that did not end whole gives; and the output proposed for a new input.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/common/page_platform.hpp"
#include "tasks/common/run_input.hpp"
#include "tasks/common/replacing_output.hpp"

namespace egm2008 {

/// Opens the input read only, checks that the output may be written and that
/// the grid opens (SetUpPointFile), then opens `output` under a temporary name
/// beside `outputPath`. False when one fails; the user has been told.
bool OpenPageRunFiles(PagePlatform& platform, const GeoidGrid& grid, const std::string& inputPath,
                      const std::string& outputPath, PointFileSetup& setup,
                      ReplacingOutput& output);

/// Opens the input read only and maps and checks `grid`, for a run that writes
/// nothing. False when one fails; the user has been told.
bool OpenPageInput(PagePlatform& platform, const GeoidGrid& grid, const std::string& inputPath,
                   PointFileSetup& setup);

/// What a run over an input file tells the status line while it goes on
/// (InputRunningStatus): "Computing the points of input.dat (2.4 MB) into output.dat…".
struct RunningText {
    const char* doing = "";
    std::string inputPath;
    std::string outputPath;  ///< "" for a run that writes nothing
};

/// Runs `work` through RunLong under the wait cursor, the meter counting the
/// bytes read of `input` and the status line saying what runs (`running`, with
/// the input's length); `tick`, when given, runs at every tick after the meter.
void RunReadingInput(PagePlatform& platform, const PointFileInput& input, RunMeter& meter,
                     const RunningText& running, const std::function<void()>& work,
                     const std::function<void()>& tick = {});

/// Runs `work` as RunReadingInput does; the meter's stop ends the writes of `output`
/// too, and the caption of button `calcId` shows `count` whenever it changes, and
/// "Calc!" again after.
void RunOverInput(PagePlatform& platform, int calcId, const PointFileInput& input,
                  ReplacingOutput& output, RunMeter& meter, const std::atomic<std::int64_t>& count,
                  const RunningText& running, const std::function<void()>& work);

/// How a page's run that writes an output file ended, for EndPageRun.
struct PageRunEnd {
    bool whole = false;           ///< it ended with all its lines: its output is to be kept
    bool cancelled = false;       ///< the user stopped it
    const char* statusName = "";  ///< the page's name in the status line
    std::string outputPath;       ///< the output as the user named it
};

/// The first line of the message about a run that did not end whole, given the
/// error (errno) of the output's keeping that failed, 0 when the run itself failed.
using FailedRunWhy = std::function<std::string(int keepError)>;

/// Ends a page's run: a whole run's output is kept (put in place of the file it
/// replaces) and true returned, the page then telling what was done. Else, or
/// when the keeping fails, the output is discarded and the user told in an error
/// box why (`why`) and what became of the output file, and in the status line;
/// a cancelled run in the status line only.
bool EndPageRun(PagePlatform& platform, ReplacingOutput& output, const PageRunEnd& end,
                const FailedRunWhy& why);

/// The first line of the message about a run that did not end whole: cancelled,
/// the read error, or the write error (`renameError` when no write failed).
std::string FailedRunReason(bool stopped, int readError, int writeError, int renameError,
                            const std::string& inputPath, const std::string& outputPath);

/// "<folder>/<name><suffix><extension>" for the input "<folder>/<name><extension>":
/// "log.nmea" and "-egm2008" give "log-egm2008.nmea".
std::string ProposedOutputPath(const std::string& input, std::string_view suffix);

/// The output a page shows once its input has changed from `previousInput` to
/// `input`: the proposal for `input` (ProposedOutputPath) while the user has not
/// named `output` themself (it is empty, the page's `standing` default, or the
/// proposal for `previousInput`), else `output`.
std::string OutputForNewInput(const std::string& output, const std::string& previousInput,
                              const std::string& input, std::string_view suffix,
                              const std::string& standing = {});

}  // namespace egm2008
