// Lines of a text file as a text-mode read delivers them, read through a
// buffer from a file descriptor.
//
// A line ends at LF; a CR directly before the LF is dropped, and the line is
// handed out with one "\n" in place of its end, so that "48.5 11.25\r\n" and
// "48.5 11.25\n" both read as "48.5 11.25\n" (11 characters). A last line
// without a line end is handed out without one. Any other CR (unless told
// EndLinesAtCarriageReturns), and NUL bytes, stay in the line. A line is one line however long it
// is.
//
// Memory stays bounded whatever the file: a line longer than the limit is
// handed out cut after its first part, with overlong() set, and its rest is
// passed on by CopyRest without being held.
//
// A reader told to read records (ReadRecords) hands out the records of a
// delimited file instead, exactly as read: each ends at a CR, an LF or a CR LF
// outside quoted fields (RecordScan, delimited_text.hpp), and CopyRest copies
// the rest of an overlong one as read, its own line end included.
//
// A reader told of a RunStop (StopOn) waits for data and for the stop request
// together, and answers Stopped instead of reading once the request stands, so
// that a stop reaches a run that waits for a live stream at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tasks/common/delimited_text.hpp"
#include "tasks/common/run_stop.hpp"
#include "tasks/common/text_output.hpp"

namespace egm2008 {

/// Length beyond which a line is handed out cut (no point or sentence is this long).
inline constexpr std::size_t kMaxLineLength = std::size_t{1} << 20;

/// True when `text` holds a byte no text file holds: NUL, DEL or a control
/// character other than tab, CR and LF (a picture or a grid read as text).
bool HoldsBinary(std::string_view text);

/// Bytes at the start of a file in which a byte no text holds makes it no text file.
inline constexpr std::size_t kTextProbeBytes = 4096;

/// False when the first kTextProbeBytes bytes of `start` hold a byte no text holds.
bool LooksLikeText(std::string_view start);

class LineReader {
public:
    enum class Status { Line, End, Error, Stopped };

    /// Reads `fd`, which stays open and owned by the caller.
    explicit LineReader(int fd, std::size_t maxLineLength = kMaxLineLength);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    /// Lines keep a CR before their LF ("48.5,11.25\r\n" stays as it is), for
    /// runs that write each line back with its own line end.
    void KeepCarriageReturns() { keepCr_ = true; }

    /// From the next line on, hands out the records of a delimited file whose
    /// fields `delimiter` separates (nothing: not known yet), each as read.
    void ReadRecords(std::optional<Delimiter> delimiter) { records_.emplace(delimiter); }

    /// The 1-based number in the input of the (first) line of what Next handed out last.
    std::int64_t lineNumber() const { return firstLine_; }

    /// A CR that no LF follows ends a line too, kept as the line's end (or
    /// handed out as "\n" without KeepCarriageReturns), for logs whose lines end
    /// in CR alone. A CR that is the last byte in waits for the next byte.
    void EndLinesAtCarriageReturns() { crEnds_ = true; }

    /// Reads end with Stopped once `stop` is requested.
    void StopOn(const RunStop& stop) { stop_ = stop; }

    /// The next line into `line` (replaced); End when nothing is left, Error
    /// (see error()) when the read fails, Stopped when a stop was asked for.
    Status Next(std::string& line);
    /// True when the next line is whole in the buffer: Next will not read.
    bool HasLine() const;
    /// True when the line last handed out is only the first part of a longer one.
    bool overlong() const { return overlong_; }
    /// Writes the rest of an overlong line to `out` as a text-mode write does
    /// (its line end as CR LF); Line when done, Error when a read fails, Stopped
    /// when a stop was asked for.
    Status CopyRest(TextOutput& out);
    /// errno of the failed read, 0 while none failed.
    int error() const { return error_; }

private:
    enum class Fill { Data, End, Error, Stopped };
    Fill Refill();
    Status NextLine(std::string& line);
    Status NextRecord(std::string& line);
    Status CopyRecordRest(TextOutput& out);
    // A line handed out: `line` ends in a CR that ends it when `crLast`.
    Status EndAtCr(std::string& line, bool crLast) const;
    // Waits until the descriptor or the stop's wake descriptor is ready; false: stop.
    bool WaitForData();

    int fd_;
    RunStop stop_;
    std::size_t maxLineLength_;
    std::string buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    bool ended_ = false;
    bool overlong_ = false;
    bool keepCr_ = false;
    bool crEnds_ = false;
    bool heldCr_ = false;  // a CR cut off an overlong line's end, which an LF may follow
    int error_ = 0;
    std::optional<RecordScan> records_;
    std::int64_t firstLine_ = 0;  // of what Next handed out last
    std::int64_t nextLine_ = 1;   // of what Next hands out next
};

}  // namespace egm2008
