#include "engine/node_reader.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace egm2008 {

QueryStatus OpenGridFile(const GeoidGrid& grid, Notifier& notifier, int& fd, std::uint64_t& size) {
    fd = -1;
    size = 0;
    // Read only: the engine never writes. O_NONBLOCK keeps a FIFO from blocking the open;
    // anything but a regular file is refused below.
    int handle = -1;
    if (!grid.path.empty()) {
        do {
            handle = ::open(grid.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        } while (handle < 0 && errno == EINTR);
    }
    struct stat info {};
    if (handle < 0 || ::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (handle >= 0) ::close(handle);
        notifier.Notify(OpenFailureMessage(grid.path), NoticeIcon::None);
        return QueryStatus::StatusError;
    }

    // A file of another grid size, truncated, or read in the wrong byte order would
    // otherwise give plausible-looking wrong undulations.
    const std::int64_t columns = StoredColumns(grid);
    const std::int64_t rows = StoredRows(grid);
    const auto expected = static_cast<std::uint64_t>((columns + 2) * 4 * rows);
    bool fits = columns > 0 && rows > 0 && static_cast<std::uint64_t>(info.st_size) == expected;
    if (fits) {
        unsigned char marker[4] = {0, 0, 0, 0};
        fits = ::pread(handle, marker, 4, 0) == 4 &&
               DecodeWord32(marker, grid.bigEndian) ==
                   static_cast<std::uint32_t>(4 * columns);
    }
    if (!fits) {
        ::close(handle);
        notifier.Notify(GridMismatchMessage(grid.path), NoticeIcon::None);
        return QueryStatus::StatusError;
    }
    fd = handle;
    size = expected;
    return QueryStatus::StatusOk;
}

QueryStatus GridFileReader::Open(const GeoidGrid& grid) {
    Close();
    std::uint64_t size = 0;
    return OpenGridFile(grid, notifier_, fd_, size);
}

float GridFileReader::ReadNode(const GeoidGrid& grid, std::int64_t columns, std::int32_t r,
                               std::int32_t c) {
    // A read past the end delivers nothing and leaves the zeroed buffer: the node reads 0.0.
    unsigned char buffer[4] = {0, 0, 0, 0};
    const std::int64_t offset = NodeOffset(columns, r, c);
    if (fd_ >= 0 && offset >= 0) {
        ssize_t got = 0;
        while (got < 4) {
            const ssize_t n = ::pread(fd_, buffer + got, static_cast<size_t>(4 - got), offset + got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += n;
        }
    }
    return DecodeFloat32(buffer, grid.bigEndian);
}

void GridFileReader::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace egm2008
