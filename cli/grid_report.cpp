#include "cli/grid_report.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>

#include "engine/node_reader.hpp"
#include "engine/sha256.hpp"

namespace egm2008::cli {

namespace {

// The files scripts/setup-grids.sh makes, as its table checks them.
struct SetupGrid {
    const char* name;
    const char* sha256;
};
constexpr SetupGrid kSetupGrids[] = {
    {"Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE",
     "98ae13fa146a0a4e5469d35d62b5b34c84a13fbb17b9fdb98fb1928c73305eba"},
    {"Und_min10x10_egm2008_isw=82_WGS84_TideFree",
     "418c304684c5c9fd80708d0591c379ef30b3d560ba3db1f13fe2e2468e15e480"},
    {"Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE",
     "ab6f8b94076f78707d1cdae7b066b93a786a0c64b52449e20cf1a1a2f4e74daf"},
    {"Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree",
     "d5d8fb11e80c131e6eaac39f0f407b19b413347f95a9e6e4590ec36fc9c5d6f6"},
};

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

const char* SetupGridWithDigest(const std::string& sha256) {
    for (const SetupGrid& grid : kSetupGrids) {
        if (sha256 == grid.sha256) return grid.name;
    }
    return nullptr;
}

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

    Sha256 hash;
    for (std::int64_t r = 0; r < report.rows; ++r) {
        const unsigned char* record = file.data() + r * recordBytes;
        hash.Update(record, static_cast<std::size_t>(recordBytes));
        for (const unsigned char* marker : {record, record + recordBytes - 4}) {
            ++report.markers;
            if (!IsRecordMarker(marker, grid, report.columns)) {
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
    report.sha256 = Sha256::Hex(hash.Finish());
    return true;
}

}  // namespace egm2008::cli
