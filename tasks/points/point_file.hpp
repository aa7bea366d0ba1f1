// Point-file calculation: the geoid undulation for every point of a text file,
// written as a text file of one line per point. The "EGM2008 File Calc" page
// and the command-line tool both run it.
//
// Input lines are read as a text-mode read delivers them (LF or CR LF, see
// line_reader.hpp), whatever their length. In the plain layouts a line of
// blanks only is skipped; every other line is handled by the layout:
//   LatLon, LonLat                "%lf %lf": two numbers (what scanf's "%lf"
//                                 takes, in the "C" locale), the rest ignored
//   PtNumberLatLon, PtNumberLonLat "%s %lf %lf": a point number (any run of
//                                 non-blanks), then the two numbers
//   GgaFromGps                    one NMEA sentence, rewritten by
//                                 RewriteGgaSentence or copied as read (a
//                                 GGA sentence copied is counted by reason,
//                                 any other line passed on)
// A negative longitude is shifted by +360 before the query, which shifts once
// more what is still negative. A computed point gives "%10.6lf %11.6lf %8.3f"
// with both coordinates in the order and form they were read; a point whose
// query fails gives "999.999" in place of the undulation; a line whose numbers
// cannot all be read, or that holds several records (a CR with more text after
// it, as in a file with CR-only line ends), is copied unchanged and counted
// apart. Every line written ends in CR LF; a line copied without a line end
// stays without one.
//
// A run queries through the grid that its caller has mapped (and checked)
// before opening the output, so that a grid that fails never costs the
// previous output. Read and write errors end the run, and so does a RunStop
// asked for, between two lines. The lines go through RunLines
// (line_batches.hpp): a regular input in batches scanned, queried and
// formatted on worker threads and written in input order, so the output is the
// same as line after line; any other input (a pipe, FIFO or terminal: a live
// stream) line by line, each line's output written before the next read that
// may wait. Memory stays bounded whatever the input's size.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/geoid_grid.hpp"
#include "engine/mapped_grid.hpp"
#include "engine/notifier.hpp"
#include "tasks/messages.hpp"
#include "tasks/nmea/nmea_gga.hpp"
#include "tasks/common/run_input.hpp"
#include "tasks/common/run_stop.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

/// Layout of a point file; radio buttons 1040 to 1044 in this order.
enum class PointFileLayout : std::int32_t {
    LatLon = 0,
    LonLat = 1,
    PtNumberLatLon = 2,
    PtNumberLonLat = 3,
    GgaFromGps = 4,
};

/// What became of one input line.
enum class LineOutcome {
    Skipped,     ///< plain layouts: a line of blanks only, nothing written
    Computed,    ///< a point line with its undulation, or a rewritten sentence
    Failed,      ///< the query failed: a "999.999" line, or the sentence copied
    Unreadable,  ///< plain layouts: the numbers could not be read, the line copied
    Copied,      ///< GgaFromGps: a GGA sentence that cannot be rewritten, copied
    Passed,      ///< GgaFromGps: no GGA sentence (another sentence, other text), copied
};

/// Counts of a run's lines by what became of them.
struct LineCounts {
    std::int64_t computed = 0;  ///< points computed, sentences rewritten
    std::int64_t failed = 0;    ///< "999.999" lines, sentences copied because the query failed
    std::int64_t unreadable =
        0;                    ///< plain-layout lines copied because their numbers could not be read
    std::int64_t copied = 0;  ///< GGA sentences copied because they cannot be rewritten
    std::int64_t passed = 0;  ///< GgaFromGps lines that are no GGA sentence, passed on
    /// GGA sentences copied, by reason (QueryFailed ones among `failed`).
    std::int64_t copiedFor[kGgaCopyReasons] = {};

    void Count(LineOutcome outcome, GgaCopyReason reason = GgaCopyReason::None);
    LineCounts& operator+=(const LineCounts& other);
    /// True when a line that holds a point or a GGA sentence was not computed.
    bool AnyNotComputed() const { return failed > 0 || unreadable > 0 || copied > 0; }
};

/// Handles one line as LineReader delivers it (its line end, if any, as one
/// "\n") and appends what it yields to `out`.
LineOutcome HandlePointLine(const std::string& line, PointFileLayout layout,
                            const UndulationQuery& query, std::string& out);
/// The same; `reason` says why a GgaFromGps line was not rewritten (None otherwise).
LineOutcome HandlePointLine(const std::string& line, PointFileLayout layout,
                            const UndulationQuery& query, std::string& out, GgaCopyReason& reason);

/// How a run ended.
struct PointFileOutcome : LineCounts {
    bool gridOpened = false;  ///< false: the grid could not be opened (the user was told)
    int readError = 0;        ///< errno of the read that ended the run, 0 when none failed
    int writeError = 0;       ///< errno of the first failed write or close, 0 when none failed
    bool stopped = false;     ///< a RunStop ended the run before the end of the input
    /// True when the whole input was read and the whole output written.
    bool completed() const { return readError == 0 && writeError == 0 && !stopped; }
};

/// Called with the count of computed points at the start of the run (0) and
/// each time it reaches a new multiple of 1000.
using ProgressCallback = std::function<void(std::int64_t computed)>;

/// Runs the calculation from `input` to `output` (already open and checked
/// with OutputRefusal), querying `grid` through `mapped` (mapped by the caller
/// before it opened the output), then flushes and closes `output`. The run
/// stops at the first read or write error, or when `stop` is asked for. N is
/// written in `tide` (GridQuery), the altitude of a rewritten GGA sentence with it.
PointFileOutcome RunPointFile(const PointFileInput& input, TextOutput& output,
                              const GeoidGrid& grid, MappedGrid& mapped, PointFileLayout layout,
                              InterpolationMethod method, const ProgressCallback& progress,
                              const RunStop& stop = {}, TideSystem tide = TideSystem::TideFree);

}  // namespace egm2008
