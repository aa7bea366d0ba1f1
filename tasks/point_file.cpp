#include "tasks/point_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/file_access.hpp"
#include "engine/mapped_grid.hpp"
#include "engine/query_routines.hpp"
#include "tasks/field_text.hpp"
#include "tasks/file_identity.hpp"
#include "tasks/fixed_format.hpp"
#include "tasks/line_reader.hpp"
#include "tasks/number_scan.hpp"
#include "tasks/ordered_work.hpp"

namespace egm2008 {

namespace {

// The caption shows the count at every multiple of this.
constexpr std::int64_t kProgressStep = 1000;

// Lines a batch of a run holds at most, and input bytes after which it is full.
constexpr std::size_t kBatchLines = 4096;
constexpr std::size_t kBatchBytes = 256 * 1024;
// Batches on their way at once: filled, worked on, or waiting to be written.
constexpr std::size_t kBatchesInFlight = 4;
// Lines scanned, and their grid rows fetched, ahead of their queries.
constexpr std::size_t kScanAhead = 16;
// A batch buffer grown beyond this by very long lines is given back after use.
constexpr std::size_t kBatchKeep = 2 * kBatchBytes;

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

// Lines of the input on their way through a run, and what they yield.
struct PointBatch {
    std::string lines;  // whole lines as LineReader hands them out, one after another
    std::size_t count = 0;
    std::string output;
    LineCounts counts;
};

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

bool PointFileInput::Open(const std::string& path) {
    Close();
    if (path == "-") {
        Attach(STDIN_FILENO);
        return true;
    }
    // Read only: nothing is written to the input; anything but a regular file is refused.
    const int fd = OpenRegularFile(path);
    if (fd < 0) return false;
    fd_ = fd;
    owned_ = true;
    Identify();
    return true;
}

void PointFileInput::Attach(int fd) {
    Close();
    fd_ = fd;
    owned_ = false;
    Identify();
}

void PointFileInput::Close() {
    if (owned_ && fd_ >= 0) ::close(fd_);
    fd_ = -1;
    owned_ = false;
    identified_ = false;
}

void PointFileInput::Identify() {
    struct stat info {};
    identified_ = fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
    device_ = identified_ ? info.st_dev : 0;
    inode_ = identified_ ? info.st_ino : 0;
}

std::string OutputRefusal(const PointFileInput& input, const std::string& outputPath,
                          const GeoidGrid& grid) {
    struct stat output {};
    const bool exists = outputPath == "-"
                            ? ::fstat(STDOUT_FILENO, &output) == 0
                            : !outputPath.empty() && ::stat(outputPath.c_str(), &output) == 0;
    if (!exists) return {};
    if (input.identified() && output.st_dev == input.device() && output.st_ino == input.inode()) {
        return OutputIsInputMessage(outputPath);
    }
    struct stat gridFile {};
    const bool isGrid = outputPath == "-" ? S_ISREG(output.st_mode) && !grid.path.empty() &&
                                                ::stat(grid.path.c_str(), &gridFile) == 0 &&
                                                gridFile.st_dev == output.st_dev &&
                                                gridFile.st_ino == output.st_ino
                                          : SameFile(outputPath, grid.path);
    if (isGrid) {
        return OutputIsGeoidFileMessage(outputPath);
    }
    return {};
}

std::string OutputRefusal(const PointFileInput& input, const std::string& outputPath,
                          const GeoidGrid& grid, int standardOutput) {
    if (outputPath != "-" || standardOutput == STDOUT_FILENO) {
        return OutputRefusal(input, outputPath, grid);
    }
    // The same checks through the descriptor's name in /dev/fd, with "-" in the message.
    const std::string name = "/dev/fd/" + std::to_string(standardOutput);
    std::string refusal = OutputRefusal(input, name, grid);
    const std::string quoted = "\"" + name + "\"";
    if (const std::size_t at = refusal.find(quoted); at != std::string::npos) {
        refusal.replace(at, quoted.size(), "\"-\"");
    }
    return refusal;
}

std::optional<std::string> SetUpPointFile(const PointFileRequest& request, const GeoidGrid& grid,
                                          Notifier& notifier, PointFileSetup& setup) {
    if (request.inputPath == "-") {
        setup.input.Attach(request.standardInput);
    } else if (!setup.input.Open(request.inputPath)) {
        return InputOpenMessage(request.inputPath);
    }
    std::string refusal =
        OutputRefusal(setup.input, request.outputPath, grid, request.standardOutput);
    if (refusal.empty() && setup.mapped.Map(grid, notifier) == QueryStatus::StatusOk) {
        return std::nullopt;
    }
    setup.input.Close();
    return refusal;
}

namespace {

// The counts of a run, and the progress reported at every multiple of
// kProgressStep that the count of computed points passes.
class RunAccount {
public:
    RunAccount(PointFileOutcome& outcome, const ProgressCallback& progress)
        : outcome_(outcome), progress_(progress) {
        if (progress_) progress_(0);
    }
    void Add(const PointBatch& batch) {
        outcome_ += batch.counts;
        while (progress_ && reported_ + kProgressStep <= outcome_.computed) {
            reported_ += kProgressStep;
            progress_(reported_);
        }
    }

private:
    PointFileOutcome& outcome_;
    const ProgressCallback& progress_;
    std::int64_t reported_ = 0;
};

// What a run reads, writes and queries.
struct RunParts {
    LineReader& reader;
    TextOutput& output;
    const GeoidGrid& grid;
    MappedGrid& mapped;
    PointFileLayout layout;
    InterpolationMethod method;
    const RunStop& stop;
    bool ended = false;  // the reader reached the end of the input
};

// Copies an overlong line, its first part in `line`, whole without holding it;
// false when the run ends with it (the read failed or a stop was asked for).
bool CopyOverlongLine(RunParts& run, const std::string& line, PointFileOutcome& outcome) {
    if (run.layout == PointFileLayout::GgaFromGps) {
        const GgaCopyReason reason = OverlongSentenceReason(line);
        outcome.Count(reason == GgaCopyReason::NotGga ? LineOutcome::Passed : LineOutcome::Copied,
                      reason);
    } else {
        outcome.Count(LineOutcome::Unreadable);
    }
    run.output.Write(line);
    const LineReader::Status status = run.reader.CopyRest(run.output);
    if (status == LineReader::Status::Error) outcome.readError = run.reader.error();
    return status == LineReader::Status::Line;
}

// Reads the next line into `line`; false at the end of the input, at a stop,
// or at a read error (its errno kept in `outcome`).
bool ReadLine(RunParts& run, std::string& line, PointFileOutcome& outcome) {
    const LineReader::Status status = run.reader.Next(line);
    if (status == LineReader::Status::Error) outcome.readError = run.reader.error();
    if (status == LineReader::Status::End) run.ended = true;
    return status == LineReader::Status::Line;
}

// A worker's part of a batched run: scans, queries and formats the batch's lines.
void WorkOnBatch(PointBatch& batch, const RunParts& run) {
    const CNumericScope numbers;
    const auto query = [&run](double latitude, double longitude, float& undulation) {
        return ComputeUndulation(run.grid, run.method, latitude, longitude, undulation, run.mapped);
    };
    if (batch.output.capacity() > kBatchKeep) std::string().swap(batch.output);
    batch.output.clear();
    batch.counts = {};
    std::string_view rest = batch.lines;
    const auto nextLine = [&rest] {
        const std::size_t lf = rest.find('\n');
        const std::size_t length = lf == std::string_view::npos ? rest.size() : lf + 1;
        const std::string_view line = rest.substr(0, length);
        rest.remove_prefix(length);
        return line;
    };
    if (run.layout == PointFileLayout::GgaFromGps) {
        const UndulationQuery sentenceQuery = query;
        GgaCopyReason reason = GgaCopyReason::None;
        while (!rest.empty()) {
            const LineOutcome result =
                HandleSentenceLine(nextLine(), sentenceQuery, batch.output, reason);
            batch.counts.Count(result, reason);
        }
        return;
    }
    // A group of lines is scanned first, each point's grid rows asked for,
    // then queried and written in order: the memory waits of the group overlap.
    ScannedLine group[kScanAhead];
    while (!rest.empty()) {
        std::size_t n = 0;
        for (; n < kScanAhead && !rest.empty(); ++n) {
            ScanPointLine(nextLine(), run.layout, group[n]);
            if (group[n].outcome == LineOutcome::Computed) {
                run.mapped.Prefetch(run.grid, run.method, group[n].latitude, group[n].longitude);
            }
        }
        for (std::size_t k = 0; k < n; ++k)
            batch.counts.Count(FinishPointLine(group[k], query, batch.output));
    }
}

// A regular input: lines go in batches to the workers, and this thread reads
// the input and writes the batches' output in input order, so the output is
// exactly what one line after the other gives.
void RunBatched(RunParts& run, RunAccount& account, PointFileOutcome& outcome) {
    OrderedWork<PointBatch> work(kBatchesInFlight, RunWorkerCount(),
                                 [&run](PointBatch& batch) { WorkOnBatch(batch, run); });
    const auto writeOldest = [&] {
        PointBatch& batch = work.TakeOldest();
        if (!run.output.failed()) {
            run.output.Write(batch.output);
            account.Add(batch);
        }
        work.Release();
    };
    const auto drain = [&] {
        while (work.Pending()) writeOldest();
    };
    PointBatch* filling = nullptr;
    const auto submit = [&] {
        if (filling != nullptr) work.Submit();
        filling = nullptr;
    };

    std::string line;
    while (!run.output.failed() && !run.stop.Requested()) {
        if (!ReadLine(run, line, outcome)) break;
        if (run.reader.overlong()) {
            // Far too long for a point or a sentence: copied after every line before it.
            submit();
            drain();
            if (run.output.failed() || !CopyOverlongLine(run, line, outcome)) break;
            continue;
        }
        if (filling == nullptr) {
            if (work.Full()) writeOldest();
            filling = &work.Fill();
            if (filling->lines.capacity() > kBatchKeep) std::string().swap(filling->lines);
            filling->lines.clear();
            filling->count = 0;
        }
        filling->lines.append(line);
        if (++filling->count == kBatchLines || filling->lines.size() >= kBatchBytes) submit();
    }
    submit();
    drain();
}

// A live stream (a pipe, FIFO or terminal): each line is handled on this thread
// as it comes, by the same handler, and the output is flushed before every read
// that may wait, so that each answer is out as soon as its line is in.
void RunLive(RunParts& run, RunAccount& account, PointFileOutcome& outcome) {
    const UndulationQuery query = [&run](double latitude, double longitude, float& undulation) {
        return ComputeUndulation(run.grid, run.method, latitude, longitude, undulation, run.mapped);
    };
    PointBatch one;
    std::string line;
    while (!run.output.failed() && !run.stop.Requested()) {
        if (!run.reader.HasLine() && !run.output.Flush()) break;
        if (!ReadLine(run, line, outcome)) break;
        if (run.reader.overlong()) {
            if (!CopyOverlongLine(run, line, outcome)) break;
            continue;
        }
        one = PointBatch{};
        GgaCopyReason reason = GgaCopyReason::None;
        one.counts.Count(HandlePointLine(line, run.layout, query, one.output, reason), reason);
        run.output.Write(one.output);
        if (!run.output.failed()) account.Add(one);
    }
}

}  // namespace

PointFileOutcome RunPointFile(const PointFileInput& input, TextOutput& output,
                              const GeoidGrid& grid, MappedGrid& mapped, PointFileLayout layout,
                              InterpolationMethod method, const ProgressCallback& progress,
                              const RunStop& stop) {
    PointFileOutcome outcome;
    outcome.gridOpened = mapped.status() == QueryStatus::StatusOk;
    LineReader reader(input.fd());
    reader.StopOn(stop);
    RunParts run{reader, output, grid, mapped, layout, method, stop};
    RunAccount account(outcome, progress);
    if (input.identified()) {
        RunBatched(run, account, outcome);
    } else {
        RunLive(run, account, outcome);
    }
    outcome.stopped = !run.ended && outcome.readError == 0 && stop.Requested();
    if (!output.Close()) outcome.writeError = output.error();
    return outcome;
}

}  // namespace egm2008
