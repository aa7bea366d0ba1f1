// How every layer opens, reads and maps files: one place for the flags and the
// retries, so that the engine, the pages, the command line and the tools refuse
// the same things in the same way.
//
// Inputs are opened read-only and must be regular files: the open does not wait
// for the writer of a FIFO (O_NONBLOCK, cleared again once the file is known to
// be regular), never becomes the controlling terminal and is not inherited by
// child processes. Outputs are opened the same way for writing, so a FIFO that
// nobody reads is refused (ENXIO) instead of holding the open for ever; the
// writes themselves block as usual. Every call is retried while a signal
// interrupts it (EINTR). Failures answer -1 or false with errno set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace egm2008::engine {

/// Opens `path` for reading; the descriptor (the caller closes it), or -1 with errno set:
/// ENOENT for an empty path, EISDIR for a folder, EINVAL for any other file that is not
/// regular (FIFO, device, socket), else the open's own error. `length`, when given,
/// receives the file's length.
int OpenRegularFile(const std::string& path, std::uint64_t* length = nullptr);

/// How OpenOutputFile treats an existing file.
enum class OutputCreation {
    Truncate,   ///< an existing file is emptied; devices and FIFOs are written as they are
    Exclusive,  ///< an existing file of that name is refused (EEXIST)
};

/// Opens `path` for writing, created with mode 0666 less the umask; the descriptor
/// (the caller closes it), or -1 with errno set: ENOENT for an empty path, ENXIO for a
/// FIFO without a reader, else the open's own error.
int OpenOutputFile(const std::string& path, OutputCreation creation = OutputCreation::Truncate);

/// A new file beside `target` that is put in its place only when it has been
/// written whole: created under a name no other file has (".<name>.egm2008-XXXXXX"
/// in the target's folder, mode 0666 less the umask), renamed over the target by
/// Replace, removed by Discard or with the object. Two writers of one target never
/// meet: each writes a file of its own and renames a whole one. The pages' and the
/// command line's outputs, the grids an install makes and the converter's grid are
/// written this way.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile() { Discard(); }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    /// Creates the file that is to replace `target`: its descriptor, which the
    /// caller writes and closes, or -1 with errno set.
    int Create(const std::string& target);
    /// Renames the file over the target; false (errno set, the file removed) when it cannot.
    bool Replace();
    /// Removes the file when one was created and has not replaced the target.
    void Discard();
    /// True from Create until Replace or Discard.
    bool pending() const { return !path_.empty(); }
    /// The file's own name while pending.
    const std::string& path() const { return path_; }

private:
    std::string target_;
    std::string path_;
};

/// Reads `count` bytes at `offset` by positioned reads; false when the file ends
/// before them or a read fails.
bool ReadAt(int fd, unsigned char* buffer, std::size_t count, std::int64_t offset);

/// A file mapped read-only as a whole, unmapped with the object or by Reset.
class ReadOnlyMapping {
public:
    /// How the mapping will be read, a hint to the system's read-ahead.
    enum class Access { Random, Sequential };

    ReadOnlyMapping() = default;
    ~ReadOnlyMapping() { Reset(); }
    ReadOnlyMapping(const ReadOnlyMapping&) = delete;
    ReadOnlyMapping& operator=(const ReadOnlyMapping&) = delete;

    /// Maps the first `size` bytes of the open file `fd` (which may be closed after);
    /// false (errno set, nothing mapped) when it cannot or `size` is 0.
    bool Map(int fd, std::uint64_t size, Access access);
    /// Releases the mapping.
    void Reset();
    /// The mapped bytes; nullptr while nothing is mapped.
    const unsigned char* data() const { return data_; }
    /// Mapped length in bytes; 0 while nothing is mapped.
    std::size_t size() const { return size_; }

private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace egm2008::engine
