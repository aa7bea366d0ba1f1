// A run that rewrites an NMEA log with the EGM2008 separation (nmea_rewrite.hpp):
// every line read, every position sentence rewritten or left as received, every
// other line passed on, each line with its own line end (LF, CR LF, or a CR
// alone, as some loggers end lines). The lines go through
// RunLines (line_batches.hpp): batched over two threads for a regular file,
// line by line for a live stream, where each line is written as soon as it is
// in. A line too long to hold is passed on as read (a GGA or GNS sentence by
// its identifier counted as unreadable).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/geoid_grid.hpp"
#include "engine/mapped_grid.hpp"
#include "tasks/engine_names.hpp"
#include "tasks/nmea/nmea_rewrite.hpp"
#include "tasks/common/run_input.hpp"
#include "tasks/common/run_stop.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

/// The lines of a run by what became of them (index: NmeaOutcome).
struct NmeaCounts {
    std::int64_t of[kNmeaOutcomes] = {};

    std::int64_t lines() const;
    /// GGA and GNS sentences: every line but NotPosition.
    std::int64_t positions() const { return lines() - of[int(NmeaOutcome::NotPosition)]; }
    /// True when a sentence that could hold a fix was not rewritten: a wrong
    /// checksum, a fix without separation or altitude, a unit other than M, an
    /// unreadable field, a sentence that would grow beyond 82 characters, N not
    /// computed. A sentence without a fix (no fix, an empty position) is no failure.
    bool AnyFailed() const;
    NmeaCounts& operator+=(const NmeaCounts& other);
};

/// How a run ended.
struct NmeaRunOutcome : NmeaCounts {
    int readError = 0;     ///< errno of the read that ended the run, 0 when none failed
    int writeError = 0;    ///< errno of the first failed write or close, 0 when none failed
    bool stopped = false;  ///< a RunStop ended the run before the end of the input
};

/// Called with the count of lines done, at the start (0) and at every ten thousand.
using NmeaProgress = std::function<void(std::int64_t lines)>;

/// Rewrites `input` into `output` (open, checked with OutputRefusal), N by
/// `method` from `grid` through `mapped` (mapped by the caller), then flushes
/// and closes `output`.
NmeaRunOutcome RunNmea(const PointFileInput& input, TextOutput& output, const GeoidGrid& grid,
                       MappedGrid& mapped, InterpolationMethod method,
                       const NmeaRewriteOptions& options, const NmeaProgress& progress,
                       const RunStop& stop = {});

/// The end of a run in words, one line: "7,200 lines read: 3,598 GGA/GNS
/// sentences rewritten, 2 left as received (1 wrong checksum, 1 no fix), 3,600
/// other lines passed on." (parts without lines left out).
std::string NmeaSummaryText(const NmeaCounts& counts);

}  // namespace egm2008
