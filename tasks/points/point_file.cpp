#include "tasks/points/point_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/file_access.hpp"
#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tasks/common/field_text.hpp"
#include "engine/file_identity.hpp"
#include "tasks/common/fixed_format.hpp"
#include "tasks/common/line_batches.hpp"
#include "tasks/common/line_reader.hpp"
#include "tasks/common/number_scan.hpp"
#include "tasks/common/scan_ahead.hpp"

namespace egm2008 {

namespace {

// The caption shows the count at every multiple of this.
constexpr std::int64_t kProgressStep = 1000;

// The line as read, its line end written as CR LF; without one when it had none.
void CopyLine(std::string_view line, std::string& out) {
    if (!line.empty() && line.back() == '\n') {
        out.append(line.substr(0, line.size() - 1));
        out.append("\r\n");
    } else {
        out.append(line);
    }
}

// "%10.6lf %11.6lf 999.999\r\n"
void AppendFailedPointLine(std::string& out, double first, double second) {
    char text[2 * kFixedTextLimit + 16];
    char* at = WriteFixed(text, first, 10, 6);
    *at++ = ' ';
    at = WriteFixed(at, second, 11, 6);
    std::memcpy(at, " 999.999\r\n", 10);
    out.append(text, static_cast<std::size_t>(at + 10 - text));
}

// A plain-layout line scanned ahead of its query.
struct ScannedLine {
    LineOutcome outcome = LineOutcome::Skipped;  // Computed: a point to query
    std::string_view line;
    std::string_view number;  // the point number of the numbered layouts
    double first = 0.0;       // the two numbers in the order read
    double second = 0.0;
    double latitude = 0.0;
    double longitude = 0.0;  // as the query takes it: +360 when read negative
};

// The scans of "%s %lf %lf" and "%lf %lf" (which see the line up to a NUL) and
// the query's point. The caller has set the "C" locale.
void ScanPointLine(std::string_view line, PointFileLayout layout, ScannedLine& scanned) {
    scanned.line = line;
    if (line.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        scanned.outcome = LineOutcome::Skipped;
        return;
    }
    // A CR with more than blanks after it ends one record and starts another (a
    // file with CR-only line ends): the line holds several points, none is taken.
    if (const std::size_t cr = line.find('\r');
        cr != std::string_view::npos &&
        line.find_first_not_of("\r\n \t", cr) != std::string_view::npos) {
        scanned.outcome = LineOutcome::Unreadable;
        return;
    }
    const bool numbered =
        layout == PointFileLayout::PtNumberLatLon || layout == PointFileLayout::PtNumberLonLat;
    const bool lonFirst =
        layout == PointFileLayout::LonLat || layout == PointFileLayout::PtNumberLonLat;

    std::string_view text = CStringPart(line);
    scanned.number = {};
    if (numbered) {
        std::size_t start = 0;
        std::size_t end = 0;
        if (!ScanWord(text, start, end)) {
            scanned.outcome = LineOutcome::Unreadable;
            return;
        }
        scanned.number = text.substr(start, end - start);
        text.remove_prefix(end);
    }
    if (!ScanTwoNumbers(text, scanned.first, scanned.second)) {
        scanned.outcome = LineOutcome::Unreadable;
        return;
    }
    scanned.latitude = lonFirst ? scanned.second : scanned.first;
    scanned.longitude = lonFirst ? scanned.first : scanned.second;
    if (scanned.longitude < 0.0) scanned.longitude += 360.0;
    scanned.outcome = LineOutcome::Computed;
}

// Queries a scanned line's point and writes its line.
template <typename Query>
LineOutcome FinishPointLine(const ScannedLine& scanned, const Query& query, std::string& out) {
    if (scanned.outcome == LineOutcome::Skipped) return LineOutcome::Skipped;
    if (scanned.outcome == LineOutcome::Unreadable) {
        CopyLine(scanned.line, out);
        return LineOutcome::Unreadable;
    }
    float undulation = 0.0f;
    const bool computed =
        query(scanned.latitude, scanned.longitude, undulation) == QueryStatus::StatusOk;
    if (!scanned.number.empty()) {
        out.append(scanned.number);
        out.push_back(' ');
    }
    if (computed) {
        AppendPointLine(out, scanned.first, scanned.second, undulation);
        return LineOutcome::Computed;
    }
    AppendFailedPointLine(out, scanned.first, scanned.second);
    return LineOutcome::Failed;
}

// One line of the GgaFromGps layout; `reason` says why it was not rewritten.
LineOutcome HandleSentenceLine(std::string_view line, const UndulationQuery& query,
                               std::string& out, GgaCopyReason& reason) {
    std::string sentence;
    switch (RewriteGgaSentence(line, query, sentence, reason)) {
        case GgaRewrite::Rewritten:
            out.append(sentence);
            out.append("\r\n");
            return LineOutcome::Computed;
        case GgaRewrite::QueryFailed: CopyLine(line, out); return LineOutcome::Failed;
        case GgaRewrite::Copied: break;
    }
    CopyLine(line, out);
    return reason == GgaCopyReason::NotGga ? LineOutcome::Passed : LineOutcome::Copied;
}

// The start of a line too long to be held: a GGA sentence by its identifier is
// counted as one that could not be read, anything else as passed on.
GgaCopyReason OverlongSentenceReason(std::string_view start) {
    const std::string_view identifier = start.substr(0, start.find_first_of(",*\r\n"));
    const bool gga =
        identifier.size() == 6 && identifier[0] == '$' && identifier.substr(3) == "GGA";
    return gga ? GgaCopyReason::Unreadable : GgaCopyReason::NotGga;
}

}  // namespace

void LineCounts::Count(LineOutcome outcome, GgaCopyReason reason) {
    switch (outcome) {
        case LineOutcome::Computed: ++computed; break;
        case LineOutcome::Failed: ++failed; break;
        case LineOutcome::Unreadable: ++unreadable; break;
        case LineOutcome::Copied: ++copied; break;
        case LineOutcome::Passed: ++passed; break;
        case LineOutcome::Skipped: break;
    }
    if (reason != GgaCopyReason::None &&
        (outcome == LineOutcome::Copied || outcome == LineOutcome::Failed)) {
        ++copiedFor[static_cast<int>(reason)];
    }
}

LineCounts& LineCounts::operator+=(const LineCounts& other) {
    computed += other.computed;
    failed += other.failed;
    unreadable += other.unreadable;
    copied += other.copied;
    passed += other.passed;
    for (int k = 0; k < kGgaCopyReasons; ++k) copiedFor[k] += other.copiedFor[k];
    return *this;
}

LineOutcome HandlePointLine(const std::string& line, PointFileLayout layout,
                            const UndulationQuery& query, std::string& out, GgaCopyReason& reason) {
    const CNumericScope numbers;
    reason = GgaCopyReason::None;
    if (layout == PointFileLayout::GgaFromGps) return HandleSentenceLine(line, query, out, reason);
    ScannedLine scanned;
    ScanPointLine(line, layout, scanned);
    return FinishPointLine(scanned, query, out);
}

LineOutcome HandlePointLine(const std::string& line, PointFileLayout layout,
                            const UndulationQuery& query, std::string& out) {
    GgaCopyReason reason = GgaCopyReason::None;
    return HandlePointLine(line, layout, query, out, reason);
}

namespace {

// A batch's lines scanned, queried and formatted (on a worker, or on the
// calling thread for a live stream).
void WorkOnLines(std::string_view lines, std::string& out, LineCounts& counts,
                 const GeoidGrid& grid, MappedGrid& mapped, PointFileLayout layout,
                 InterpolationMethod method, TideSystem tide) {
    const CNumericScope numbers;
    const UndulationQuery query = GridQuery(grid, method, mapped, tide);
    if (layout == PointFileLayout::GgaFromGps) {
        GgaCopyReason reason = GgaCopyReason::None;
        ForEachLine(lines, [&](std::string_view line) {
            const LineOutcome result = HandleSentenceLine(line, query, out, reason);
            counts.Count(result, reason);
        });
        return;
    }
    // A group of lines scanned ahead of their queries (scan_ahead.hpp).
    ScanAhead<ScannedLine> group;
    const auto finish = [&](ScannedLine& scanned) {
        counts.Count(FinishPointLine(scanned, query, out));
    };
    ForEachLine(lines, [&](std::string_view line) {
        ScannedLine& scanned = group.Next();
        ScanPointLine(line, layout, scanned);
        if (scanned.outcome == LineOutcome::Computed)
            mapped.Prefetch(grid, method, scanned.latitude, scanned.longitude);
        if (group.Take()) group.FinishAll(finish);
    });
    group.FinishAll(finish);
}

}  // namespace

PointFileOutcome RunPointFile(const PointFileInput& input, TextOutput& output,
                              const GeoidGrid& grid, MappedGrid& mapped, PointFileLayout layout,
                              InterpolationMethod method, const ProgressCallback& progress,
                              const RunStop& stop, TideSystem tide) {
    PointFileOutcome outcome;
    outcome.gridOpened = mapped.status() == QueryStatus::StatusOk;
    LineReader reader(input.fd());
    reader.StopOn(stop);
    ProgressSteps steps(progress, kProgressStep);

    LineWork<LineCounts> work;
    work.handle = [&](std::string_view lines, std::int64_t, std::string& out, LineCounts& counts) {
        WorkOnLines(lines, out, counts, grid, mapped, layout, method, tide);
    };
    // Far too long for a point or a sentence: copied as read.
    work.countOverlong = [layout](std::string_view start, std::int64_t, LineCounts& counts) {
        if (layout == PointFileLayout::GgaFromGps) {
            const GgaCopyReason reason = OverlongSentenceReason(start);
            counts.Count(
                reason == GgaCopyReason::NotGga ? LineOutcome::Passed : LineOutcome::Copied,
                reason);
        } else {
            counts.Count(LineOutcome::Unreadable);
        }
    };
    // The progress follows the count of computed points.
    work.add = [&](const LineCounts& counts) {
        outcome += counts;
        steps.Reach(outcome.computed);
    };
    const LineRunEnd end = RunLines(reader, output, !input.identified(), stop, work);
    outcome.readError = end.readError;
    outcome.stopped = !end.ended && end.readError == 0 && stop.Requested();
    if (!output.Close()) outcome.writeError = output.error();
    return outcome;
}

}  // namespace egm2008
