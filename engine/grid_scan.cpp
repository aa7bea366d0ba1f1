#include "engine/grid_scan.hpp"

#include <unistd.h>

#include <cerrno>
#include <cmath>

#include "engine/file_access.hpp"
#include "engine/node_reader.hpp"
#include "engine/sha256.hpp"

namespace egm2008::engine {

namespace {

// Maps the whole file of `grid` for one read from start to end; false (errno set)
// when it cannot be opened or mapped or its length is not `size`.
bool MapWholeGrid(const GeoidGrid& grid, std::uint64_t size, ReadOnlyMapping& mapping) {
    std::uint64_t length = 0;
    const int fd = OpenRegularFile(grid.path, &length);
    if (fd < 0) return false;
    bool mapped = false;
    if (length != size) {
        errno = EINVAL;
    } else {
        mapped = mapping.Map(fd, size, ReadOnlyMapping::Access::Sequential);
    }
    const int error = errno;
    ::close(fd);
    errno = error;
    return mapped;
}

// Counts the two markers of the record of row `r`.
void CheckMarkers(const unsigned char* record, std::int64_t recordBytes, std::int64_t r,
                  const GeoidGrid& grid, GridReport& report) {
    for (const unsigned char* marker : {record, record + recordBytes - 4}) {
        ++report.markers;
        if (!IsRecordMarker(marker, grid, report.columns)) {
            ++report.badMarkers;
            if (report.firstBadRow < 0) report.firstBadRow = r;
        }
    }
}

// Takes the values of row `r`, whose first node lies at `values`, into the range and counts.
void TakeValues(const unsigned char* values, std::int64_t r, const GeoidGrid& grid,
                GridReport& report) {
    const double latitude = grid.latMax - static_cast<double>(r) * grid.latSpacing;
    const std::int64_t step = NodeBytes(grid);
    for (std::int64_t c = 0; c < report.columns; ++c) {
        const float value = DecodeNode(values + step * c, grid);
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
}

}  // namespace

bool ScanGrid(const GeoidGrid& grid, GridReport& report, const RowProgress& rowDone) {
    report = GridReport{};
    report.columns = StoredColumns(grid);
    report.rows = StoredRows(grid);
    const bool records = grid.model == GeoidModel::Egm2008;
    const std::uint64_t size = GridFileBytes(grid);
    // A row from its first byte (an EGM2008 record's marker) to the next row's.
    const std::int64_t recordBytes =
        records ? (report.columns + 2) * 4
                : NodeOffset(grid, report.columns, 1, 0) - NodeOffset(grid, report.columns, 0, 0);

    ReadOnlyMapping file;
    if (report.columns <= 0 || report.rows <= 0) {
        errno = EINVAL;
        return false;
    }
    if (!MapWholeGrid(grid, size, file)) return false;

    Sha256 hash;
    const std::int64_t start = records ? 0 : NodeOffset(grid, report.columns, 0, 0);
    hash.Update(file.data(), static_cast<std::size_t>(start));  // the older models' header
    for (std::int64_t r = 0; r < report.rows; ++r) {
        const unsigned char* record = file.data() + start + r * recordBytes;
        hash.Update(record, static_cast<std::size_t>(recordBytes));
        if (records) CheckMarkers(record, recordBytes, r, grid, report);
        TakeValues(record + (records ? 4 : 0), r, grid, report);
        if (rowDone) rowDone(r + 1, report.rows);
    }
    report.sha256 = Sha256::Hex(hash.Finish());
    return true;
}

}  // namespace egm2008::engine
