// Buffered output of a text file that a run writes: every line ends with
// CR LF on disk, and every write error is remembered, so that a run never
// reports success after one (disk full, a device that refuses writes, a file
// whose folder was removed during the run). A FIFO without a reader is
// refused at the open instead of blocking it. A write that waits (a pipe
// nobody reads) ends with EINTR as a failed write when a RunStop it was told
// of is asked for.
#pragma once

#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>

#include "tasks/common/run_stop.hpp"

namespace egm2008 {

class TextOutput {
public:
    TextOutput() = default;
    ~TextOutput();
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    /// Creates `path` or empties an existing file; false (errno kept) when it cannot.
    bool Open(const std::string& path);
    /// Writes to an already open descriptor (standard output); Close leaves it open.
    void Attach(int fd);
    /// Writes to a descriptor the caller opened for it; Close closes it.
    void Adopt(int fd);
    /// A write interrupted by a signal fails (EINTR) once `stop` is requested.
    void StopOn(const RunStop& stop) { stop_ = stop; }
    /// Appends bytes as they are.
    void Write(std::string_view text);
    /// Writes `bytes` at byte `offset` of the file, after what is buffered
    /// (binary files whose parts come out of order); a descriptor that cannot
    /// seek (a pipe) fails the write with ESPIPE.
    void WriteAt(std::uint64_t offset, std::string_view bytes);
    /// Appends `text` and the CR LF line end.
    void WriteLine(std::string_view text);
    /// The buffer the next bytes go to; call Commit after appending to it.
    std::string& buffer() { return buffer_; }
    /// Writes the buffer out once it has grown large.
    void Commit() {
        if (buffer_.size() >= kFlushSize) Flush();
    }
    /// Writes out what is buffered; false once any write has failed.
    bool Flush();
    /// Flushes and closes; false when any write or the close failed, or the
    /// file was removed meanwhile (ENOENT).
    bool Close();
    /// True once a write has failed.
    bool failed() const { return error_ != 0; }
    /// errno of the first failure, 0 while none.
    int error() const { return error_; }

private:
    static constexpr std::size_t kFlushSize = 1 << 20;
    // Write hands text of this size or more to the system without buffering it.
    static constexpr std::size_t kDirectSize = 64 * 1024;
    void WriteOut(std::string_view text);
    int fd_ = -1;
    bool owned_ = false;
    int error_ = 0;
    RunStop stop_;
    std::string buffer_;
};

/// Appends printf-formatted text ("C" locale conversions) to `out`, however long.
void AppendFormat(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

/// Appends "%10.6lf %11.6lf %8.3f\r\n": two coordinates and an undulation widened to double.
void AppendPointLine(std::string& out, double first, double second, float undulation);

}  // namespace egm2008
