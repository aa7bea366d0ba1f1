#include "engine/mapped_grid.hpp"

#include <unistd.h>

namespace egm2008::engine {

QueryStatus MappedGrid::Map(const GeoidGrid& grid, Notifier& notifier) {
    Unmap();
    int fd = -1;
    std::uint64_t size = 0;
    if (OpenGridFile(grid, notifier, fd, size) != QueryStatus::StatusOk) return status_;
    // Read by positioned reads rather than through the mapping: faulting in a page
    // for every row would cost more than the reads and fill the run's resident set.
    const std::int64_t columns = StoredColumns(grid);
    const bool sound = RowsSound(fd, grid, columns, 0, StoredRows(grid) - 1);
    const bool mapped = sound && mapping_.Map(fd, size, ReadOnlyMapping::Access::Random);
    ::close(fd);
    if (!sound) {
        notifier.Notify(GridMismatchMessage(grid), NoticeIcon::Error);
        return status_;
    }
    if (!mapped) {
        notifier.Notify(OpenFailureMessage(grid.path), NoticeIcon::Error);
        return status_;
    }
    status_ = QueryStatus::StatusOk;
    return status_;
}

void MappedGrid::Unmap() {
    mapping_.Reset();
    status_ = QueryStatus::StatusError;
}

QueryStatus MappedGrid::Open(const GeoidGrid&) { return status_; }

float MappedGrid::ReadNode(const GeoidGrid& grid, std::int64_t columns, std::int32_t r,
                           std::int32_t c) {
    const std::int64_t offset = NodeOffset(grid, columns, r, c);
    if (grid.model != GeoidModel::Egm2008) {
        if (offset < 0 || static_cast<std::uint64_t>(offset + NodeBytes(grid)) > mapping_.size()) {
            return 0.0f;
        }
        return DecodeNode(mapping_.data() + offset, grid);
    }
    if (offset < 0 || static_cast<std::uint64_t>(offset) + 4 > mapping_.size()) return 0.0f;
    return DecodeFloat32(mapping_.data() + offset, grid.bigEndian);
}

void MappedGrid::Prefetch(const GeoidGrid& grid, InterpolationMethod method, double latitude,
                          double longitude) const {
    const unsigned char* data = mapping_.data();
    if (data == nullptr) return;
    if (longitude < 0.0) longitude += 360.0;
    const double row = (grid.latMax - latitude) / grid.latSpacing;
    const double column = (longitude - grid.lonMin) / grid.lonSpacing;
    if (!(row >= 0.0 && row < 1e9 && column >= 0.0 && column < 1e9)) return;
    const std::int64_t columns = StoredColumns(grid);
    const auto i = static_cast<std::int64_t>(row);
    const auto j = static_cast<std::int64_t>(column);
    // The cell's rows i and i + 1; the bi-quadratic window may reach one row
    // and one column further on either side.
    const bool window = method == InterpolationMethod::BiQuadratic;
    for (std::int64_t r = window ? i - 1 : i; r <= i + (window ? 2 : 1); ++r) {
        const std::int64_t west = NodeOffset(grid, columns, r, window ? j - 1 : j);
        const std::int64_t east = NodeOffset(grid, columns, r, j + (window ? 2 : 1));
        if (west < 0 || static_cast<std::uint64_t>(east) + 4 > mapping_.size()) continue;
        __builtin_prefetch(data + west);
        __builtin_prefetch(data + east);
    }
}

}  // namespace egm2008::engine
