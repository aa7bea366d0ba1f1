// The shape of a run over the lines of an input, apart from what it does with
// each line.
//
// A regular input is read in batches: the calling thread reads the input and
// writes the output, worker threads handle the batches' lines in between
// (OrderedWork), and the batches are written in input order, so that the output
// is exactly what one line after the other gives. A live stream (a pipe, FIFO
// or terminal) is handled line by line on the calling thread, the output
// flushed before every read that may wait, so that each answer is out as soon
// as its line is in; its lines are counted (LineWork::add) once they are
// written, and a last line cut by a stop is dropped. A line too long to hold (LineReader::overlong)
// is copied as read after every line before it. The run ends at the end of the input, at a read or
// write error, or when its RunStop is asked for. Memory stays bounded whatever the input's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tasks/common/line_reader.hpp"
#include "tasks/common/ordered_work.hpp"
#include "tasks/common/run_stop.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

/// How the reading of a run ended.
struct LineRunEnd {
    int readError = 0;   ///< errno of the read that ended the run, 0 when none failed
    bool ended = false;  ///< the whole input was read
};

/// What a run does with its lines; `Counts` must be default-constructible.
template <typename Counts>
struct LineWork {
    /// On a worker: handles whole lines (each as LineReader hands it out, one
    /// after another; the first is the input's line `firstNumber`, from 1, as
    /// LineReader::lineNumber counts),
    /// appends what they yield to `out` and counts them.
    std::function<void(std::string_view lines, std::int64_t firstNumber, std::string& out,
                       Counts& counts)>
        handle;
    /// On the calling thread: counts line `number`, too long to hold, by its first part.
    std::function<void(std::string_view start, std::int64_t number, Counts& counts)> countOverlong;
    /// On the calling thread: the counts of lines whose output has been written.
    std::function<void(const Counts& counts)> add;
};

/// The reading side of a run over lines: the next line with its number, and a line
/// too long to hold copied through as read, with how the reading ended.
class LineSource {
public:
    explicit LineSource(LineReader& reader) : reader_(reader) {}

    /// The next line into `line`; false at the end, at a stop or at a read error (end()).
    bool Next(std::string& line) {
        const LineReader::Status status = reader_.Next(line);
        if (status == LineReader::Status::Error) end_.readError = reader_.error();
        if (status == LineReader::Status::End) end_.ended = true;
        if (status != LineReader::Status::Line) return false;
        number_ = reader_.lineNumber();
        return true;
    }
    /// The number of the line Next handed out last, as LineReader::lineNumber counts.
    std::int64_t number() const { return number_; }

    /// Writes `line`, the first part of an overlong line, and the rest of it to
    /// `output`; the line is counted (LineWork::countOverlong) and its counts added
    /// (LineWork::add) once written. False when the run ends with it.
    template <typename Counts>
    bool CopyOverlong(const std::string& line, TextOutput& output, const LineWork<Counts>& work) {
        Counts counts{};
        work.countOverlong(line, number_, counts);
        output.Write(line);
        const LineReader::Status status = reader_.CopyRest(output);
        if (status == LineReader::Status::Error) end_.readError = reader_.error();
        if (!output.failed()) work.add(counts);
        return status == LineReader::Status::Line;
    }

    LineReader& reader() { return reader_; }
    /// How the reading has ended so far.
    const LineRunEnd& end() const { return end_; }

private:
    LineReader& reader_;
    LineRunEnd end_;
    std::int64_t number_ = 0;
};

namespace line_batches {
inline constexpr std::size_t kLines = 4096;        // lines a batch holds at most
inline constexpr std::size_t kBytes = 256 * 1024;  // input bytes after which it is full
inline constexpr std::size_t kInFlight = 4;        // batches on their way at once
inline constexpr std::size_t kKeep = 2 * kBytes;   // a buffer grown beyond is given back

template <typename Counts>
struct Batch {
    std::string lines;
    std::size_t count = 0;
    std::int64_t firstNumber = 0;
    std::string output;
    Counts counts{};
};
}  // namespace line_batches

/// Runs `work` over the lines of a live stream, line by line on the calling thread.
template <typename Counts>
LineRunEnd RunLiveLines(LineSource& source, TextOutput& output, const RunStop& stop,
                        const LineWork<Counts>& work) {
    std::string line;
    std::string out;
    // The counts of the lines in the output's buffer: added once a flush has written them.
    std::vector<Counts> unwritten;
    const auto flush = [&] {
        if (!output.Flush()) return false;
        for (const Counts& counts : unwritten) work.add(counts);
        unwritten.clear();
        return true;
    };
    while (!output.failed() && !stop.Requested()) {
        if (!source.reader().HasLine() && !flush()) break;
        if (!source.Next(line)) break;
        // A stream stopped (Ctrl-C) ends inside its last line: that piece is neither
        // written nor counted.
        if (stop.Requested() && line.back() != '\n' && line.back() != '\r') break;
        if (source.reader().overlong()) {
            if (!flush() || !source.CopyOverlong(line, output, work)) break;
            continue;
        }
        out.clear();
        Counts counts{};
        work.handle(line, source.number(), out, counts);
        output.Write(out);
        unwritten.push_back(std::move(counts));
    }
    flush();
    return source.end();
}

/// Runs `work` over the lines of a regular input in batches over the workers.
template <typename Counts>
LineRunEnd RunBatchedLines(LineSource& source, TextOutput& output, const RunStop& stop,
                           const LineWork<Counts>& work) {
    using Batch = line_batches::Batch<Counts>;
    std::string line;
    OrderedWork<Batch> ring(line_batches::kInFlight, RunWorkerCount(), [&work](Batch& batch) {
        if (batch.output.capacity() > line_batches::kKeep) std::string().swap(batch.output);
        batch.output.clear();
        batch.counts = Counts{};
        work.handle(batch.lines, batch.firstNumber, batch.output, batch.counts);
    });
    const auto writeOldest = [&] {
        Batch& batch = ring.TakeOldest();
        if (!output.failed()) {
            output.Write(batch.output);
            work.add(batch.counts);
        }
        ring.Release();
    };
    Batch* filling = nullptr;
    const auto submit = [&] {
        if (filling != nullptr) ring.Submit();
        filling = nullptr;
    };
    while (!output.failed() && !stop.Requested()) {
        if (!source.Next(line)) break;
        if (source.reader().overlong()) {
            submit();
            while (ring.Pending()) writeOldest();
            if (output.failed() || !source.CopyOverlong(line, output, work)) break;
            continue;
        }
        if (filling == nullptr) {
            if (ring.Full()) writeOldest();
            filling = &ring.Fill();
            if (filling->lines.capacity() > line_batches::kKeep) std::string().swap(filling->lines);
            filling->lines.clear();
            filling->count = 0;
            filling->firstNumber = source.number();
        }
        filling->lines.append(line);
        if (++filling->count == line_batches::kLines ||
            filling->lines.size() >= line_batches::kBytes) {
            submit();
        }
    }
    submit();
    while (ring.Pending()) writeOldest();
    return source.end();
}

/// Runs `work` over the lines of `source` into `output` (see above); `live`
/// for a pipe, FIFO or terminal.
template <typename Counts>
LineRunEnd RunLines(LineSource& source, TextOutput& output, bool live, const RunStop& stop,
                    const LineWork<Counts>& work) {
    return live ? RunLiveLines(source, output, stop, work)
                : RunBatchedLines(source, output, stop, work);
}

/// The same over the lines of `reader`.
template <typename Counts>
LineRunEnd RunLines(LineReader& reader, TextOutput& output, bool live, const RunStop& stop,
                    const LineWork<Counts>& work) {
    LineSource source(reader);
    return RunLines(source, output, live, stop, work);
}

/// A run's progress told at 0 and then at every multiple of `step` that a
/// growing count passes.
class ProgressSteps {
public:
    ProgressSteps(std::function<void(std::int64_t)> report, std::int64_t step)
        : report_(std::move(report)), step_(step) {
        if (report_) report_(0);
    }
    void Reach(std::int64_t count) {
        while (report_ && reported_ + step_ <= count) {
            reported_ += step_;
            report_(reported_);
        }
    }

private:
    std::function<void(std::int64_t)> report_;
    std::int64_t step_;
    std::int64_t reported_ = 0;
};

/// Calls `each` with every line of `lines` (whole lines one after another, the
/// last one perhaps without its line end); with `crEnds` a CR that no LF follows
/// ends a line too (LineReader::EndLinesAtCarriageReturns).
template <typename Each>
void ForEachLine(std::string_view lines, Each each, bool crEnds = false) {
    while (!lines.empty()) {
        std::size_t end = lines.find('\n');
        if (crEnds) {
            const std::size_t cr = lines.substr(0, end).find('\r');
            if (cr != std::string_view::npos && cr + 1 != end) end = cr;
        }
        const std::size_t length = end == std::string_view::npos ? lines.size() : end + 1;
        each(lines.substr(0, length));
        lines.remove_prefix(length);
    }
}

}  // namespace egm2008
