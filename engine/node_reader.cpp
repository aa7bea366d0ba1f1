#include "engine/node_reader.hpp"

#include <unistd.h>

#include <algorithm>
#include <iterator>

#include "engine/file_access.hpp"

namespace egm2008::engine {

namespace {

// Both record markers of rows first..last, read at the row boundaries: the
// start marker of `first`, the end marker of one row together with the start
// marker of the next, and the end marker of `last`.
bool MarkersFit(int fd, const GeoidGrid& grid, std::int64_t columns, std::int64_t first,
                std::int64_t last) {
    const std::int64_t record = (columns + 2) * 4;
    for (std::int64_t boundary = first; boundary <= last + 1; ++boundary) {
        const std::int64_t from = boundary * record - (boundary > first ? 4 : 0);
        const std::int64_t to = boundary * record + (boundary <= last ? 4 : 0);
        unsigned char bytes[8];
        if (!ReadAt(fd, bytes, static_cast<std::size_t>(to - from), from)) return false;
        for (std::int64_t k = 0; k < to - from; k += 4) {
            if (!IsRecordMarker(bytes + k, grid, columns)) return false;
        }
    }
    return true;
}

}  // namespace

QueryStatus NodeReader::CheckRows(const GeoidGrid&, std::int64_t, std::int32_t, std::int32_t) {
    return QueryStatus::StatusOk;
}

bool IsRecordMarker(const unsigned char bytes[4], const GeoidGrid& grid, std::int64_t columns) {
    return DecodeWord32(bytes, grid.bigEndian) == static_cast<std::uint32_t>(4 * columns);
}

bool RowsSound(int fd, const GeoidGrid& grid, std::int64_t columns, std::int64_t first,
               std::int64_t last) {
    // The older models' rows have no markers; their stretch is from a row's first node to
    // the next row's.
    std::int64_t from = NodeOffset(grid, columns, first, 0);
    std::int64_t to = NodeOffset(grid, columns, last + 1, 0);
    if (grid.model == GeoidModel::Egm2008) {
        if (!MarkersFit(fd, grid, columns, first, last)) return false;
        const std::int64_t record = (columns + 2) * 4;
        from = first * record;
        to = (last + 1) * record;
    }
    // The end of the file counts as a hole, so a file without one answers its length.
    const off_t hole = ::lseek(fd, static_cast<off_t>(from), SEEK_HOLE);
    return hole < 0 || hole >= static_cast<off_t>(to);
}

namespace {

// True when what the file at `fd` begins with is what `grid`'s files begin with: the first
// record marker of an EGM2008 grid, the header of the EGM96 file; EGM84's has none.
bool BeginningFits(int fd, const GeoidGrid& grid, std::int64_t columns) {
    switch (grid.model) {
        case GeoidModel::Egm2008: {
            unsigned char marker[4] = {0, 0, 0, 0};
            return ReadAt(fd, marker, 4, 0) && IsRecordMarker(marker, grid, columns);
        }
        case GeoidModel::Egm96: return Egm96HeaderAt(fd);
        case GeoidModel::Egm84: break;
    }
    return true;
}

}  // namespace

bool Egm96HeaderAt(int fd) {
    unsigned char header[sizeof kEgm96Header];
    if (!ReadAt(fd, header, sizeof header, 0)) return false;
    for (std::size_t k = 0; k < std::size(kEgm96Header); ++k) {
        if (DecodeFloat32(header + 4 * k, true) != kEgm96Header[k]) return false;
    }
    return true;
}

QueryStatus OpenGridFile(const GeoidGrid& grid, Notifier& notifier, int& fd, std::uint64_t& size) {
    fd = -1;
    size = 0;
    // Read only: the engine never writes. Anything but a regular file is refused.
    std::uint64_t length = 0;
    const int handle = OpenRegularFile(grid.path, &length);
    if (handle < 0) {
        notifier.Notify(OpenFailureMessage(grid.path), NoticeIcon::Error);
        return QueryStatus::StatusError;
    }

    // A file of another grid size, truncated, or read in the wrong byte order would
    // otherwise give plausible-looking wrong undulations.
    const std::int64_t columns = StoredColumns(grid);
    const std::uint64_t expected = GridFileBytes(grid);
    bool fits = expected > 0 && length == expected;
    if (const ModelFile* file = ModelFileOf(grid.model)) {
        fits = fits && columns + 1 == file->values && StoredRows(grid) == file->rows;
    }
    fits = fits && BeginningFits(handle, grid, columns);
    if (!fits) {
        ::close(handle);
        notifier.Notify(GridMismatchMessage(grid), NoticeIcon::Error);
        return QueryStatus::StatusError;
    }
    fd = handle;
    size = expected;
    return QueryStatus::StatusOk;
}

QueryStatus GridFileReader::Open(const GeoidGrid& grid) {
    Close();
    return OpenGridFile(grid, notifier_, fd_, size_);
}

float GridFileReader::ReadNode(const GeoidGrid& grid, std::int64_t columns, std::int32_t r,
                               std::int32_t c) {
    // A read past the end delivers nothing and leaves the zeroed buffer: the node reads 0.0.
    unsigned char buffer[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    const std::int64_t offset = NodeOffset(grid, columns, r, c);
    const auto bytes = static_cast<std::size_t>(NodeBytes(grid));
    if (fd_ >= 0 && offset >= 0) static_cast<void>(ReadAt(fd_, buffer, bytes, offset));
    return DecodeNode(buffer, grid);
}

void GridFileReader::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    size_ = 0;
}

QueryStatus GridFileReader::CheckRows(const GeoidGrid& grid, std::int64_t columns,
                                      std::int32_t firstRow, std::int32_t lastRow) {
    if (fd_ < 0 || columns <= 0) return QueryStatus::StatusError;
    // Rows past either end of the file are not checked; their nodes read as 0.0.
    const std::int64_t record = (columns + 2) * 4;
    const std::int64_t rows = grid.model == GeoidModel::Egm2008
                                  ? static_cast<std::int64_t>(size_) / record
                                  : StoredRows(grid);
    const std::int64_t first = std::max<std::int64_t>(firstRow, 0);
    const std::int64_t last = std::min<std::int64_t>(lastRow, rows - 1);
    if (first > last) return QueryStatus::StatusOk;
    if (RowsSound(fd_, grid, columns, first, last)) return QueryStatus::StatusOk;
    Close();
    notifier_.Notify(GridMismatchMessage(grid), NoticeIcon::Error);
    return QueryStatus::StatusError;
}

}  // namespace egm2008::engine
