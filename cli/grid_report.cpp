#include "cli/grid_report.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>

namespace egm2008::cli {

namespace {

// The file mapped read-only for the length of one scan.
class Mapping {
public:
    ~Mapping() {
        if (data_ != nullptr) ::munmap(const_cast<unsigned char*>(data_), size_);
    }
    bool Map(const std::string& path, std::size_t size) {
        int fd;
        do {
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) return false;
        struct stat info {};
        void* address = MAP_FAILED;
        if (::fstat(fd, &info) == 0 && static_cast<std::uint64_t>(info.st_size) == size) {
            address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        }
        ::close(fd);
        if (address == MAP_FAILED) return false;
        ::madvise(address, size, MADV_SEQUENTIAL);
        data_ = static_cast<const unsigned char*>(address);
        size_ = size;
        return true;
    }
    const unsigned char* data() const { return data_; }

private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace

bool ScanGrid(const GeoidGrid& grid, GridReport& report, std::string& reason,
              const std::function<void(std::int64_t, std::int64_t)>& rowDone) {
    report = GridReport{};
    report.columns = StoredColumns(grid);
    report.rows = StoredRows(grid);
    const std::int64_t recordBytes = (report.columns + 2) * 4;
    const auto size = static_cast<std::size_t>(recordBytes * report.rows);

    Mapping file;
    if (report.columns <= 0 || report.rows <= 0 || !file.Map(grid.path, size)) {
        reason = OpenFailureMessage(grid.path);
        return false;
    }

    const auto rowMarker = static_cast<std::uint32_t>(4 * report.columns);
    for (std::int64_t r = 0; r < report.rows; ++r) {
        const unsigned char* record = file.data() + r * recordBytes;
        for (const unsigned char* marker : {record, record + recordBytes - 4}) {
            ++report.markers;
            if (DecodeWord32(marker, grid.bigEndian) != rowMarker) {
                ++report.badMarkers;
                if (report.firstBadRow < 0) report.firstBadRow = r;
            }
        }
        const double latitude = grid.latMax - static_cast<double>(r) * grid.latSpacing;
        for (std::int64_t c = 0; c < report.columns; ++c) {
            const float value = DecodeFloat32(record + 4 + 4 * c, grid.bigEndian);
            if (!(std::fabs(value) <= 1000.0f)) {
                ++report.implausible;
                continue;
            }
            const bool first = report.plausible++ == 0;
            const bool lower = first || value < report.minimum.value;
            const bool higher = first || value > report.maximum.value;
            if (lower || higher) {
                const GridExtreme here{value, latitude,
                                       grid.lonMin + static_cast<double>(c) * grid.lonSpacing};
                if (lower) report.minimum = here;
                if (higher) report.maximum = here;
            }
        }
        if (rowDone) rowDone(r + 1, report.rows);
    }
    return true;
}

}  // namespace egm2008::cli
