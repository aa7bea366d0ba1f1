#include "engine/mapped_grid.hpp"

#include <sys/mman.h>
#include <unistd.h>

namespace egm2008 {

QueryStatus MappedGrid::Map(const GeoidGrid& grid, Notifier& notifier) {
    Unmap();
    int fd = -1;
    std::uint64_t size = 0;
    if (OpenGridFile(grid, notifier, fd, size) != QueryStatus::StatusOk) return status_;
    void* address = size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0) : MAP_FAILED;
    ::close(fd);
    if (address == MAP_FAILED) {
        notifier.Notify(OpenFailureMessage(grid.path), NoticeIcon::None);
        return status_;
    }
    ::madvise(address, size, MADV_RANDOM);
    data_ = static_cast<const unsigned char*>(address);
    size_ = static_cast<std::size_t>(size);
    status_ = QueryStatus::StatusOk;
    return status_;
}

void MappedGrid::Unmap() {
    if (data_ != nullptr) ::munmap(const_cast<unsigned char*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
    status_ = QueryStatus::StatusError;
}

QueryStatus MappedGrid::Open(const GeoidGrid&) { return status_; }

float MappedGrid::ReadNode(const GeoidGrid& grid, std::int64_t columns, std::int32_t r,
                           std::int32_t c) {
    const std::int64_t offset = NodeOffset(columns, r, c);
    if (offset < 0 || static_cast<std::uint64_t>(offset) + 4 > size_) return 0.0f;
    return DecodeFloat32(data_ + offset, grid.bigEndian);
}

}  // namespace egm2008
