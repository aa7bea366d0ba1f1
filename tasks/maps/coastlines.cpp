#include "tasks/maps/coastlines.hpp"

#include <netcdf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace egm2008 {

namespace {

constexpr const char* kInstalledFolder = "/usr/share/gmt-gshhg";
// A point's offsets from its bin's south-west corner: 0 to 65535 across the bin.
constexpr double kOffsetUnits = 65535.0;
// The levels maps draw: sea shores, lakes, islands in lakes, ponds on those.
constexpr int kLeastLevel = 1;
constexpr int kMostLevel = 4;

// The netCDF library is not thread-safe: one reading at a time.
std::mutex& ReadingLock() {
    static std::mutex lock;
    return lock;
}

// An open netCDF file and the one-dimensional integer variables read from it.
class NetcdfFile {
public:
    explicit NetcdfFile(const std::string& path) {
        if (nc_open(path.c_str(), NC_NOWRITE, &id_) != NC_NOERR) id_ = -1;
    }
    ~NetcdfFile() {
        if (id_ >= 0) nc_close(id_);
    }
    NetcdfFile(const NetcdfFile&) = delete;
    NetcdfFile& operator=(const NetcdfFile&) = delete;

    bool open() const { return id_ >= 0; }

    bool Scalar(const char* name, int& value) const {
        int var = 0;
        return nc_inq_varid(id_, name, &var) == NC_NOERR &&
               nc_get_var_int(id_, var, &value) == NC_NOERR;
    }

    // The values of variable `name` (of one dimension) as ints.
    bool Whole(const char* name, std::vector<int>& values) const {
        std::size_t length = 0;
        if (!Length(name, length)) return false;
        return Part(name, 0, length, values);
    }

    // Values [start, start + count) of variable `name` (of one dimension) as ints.
    bool Part(const char* name, std::size_t start, std::size_t count,
              std::vector<int>& values) const {
        int var = 0;
        if (nc_inq_varid(id_, name, &var) != NC_NOERR) return false;
        values.resize(count);
        if (count == 0) return true;
        return nc_get_vara_int(id_, var, &start, &count, values.data()) == NC_NOERR;
    }

    // The length of variable `name`, which must have one dimension.
    bool Length(const char* name, std::size_t& length) const {
        int var = 0, dims = 0, dim = 0;
        return nc_inq_varid(id_, name, &var) == NC_NOERR &&
               nc_inq_varndims(id_, var, &dims) == NC_NOERR && dims == 1 &&
               nc_inq_vardimid(id_, var, &dim) == NC_NOERR &&
               nc_inq_dimlen(id_, dim, &length) == NC_NOERR;
    }

private:
    int id_ = -1;
};

constexpr const char* kLongitudes = "Relative_longitude_from_SW_corner_of_bin";
constexpr const char* kLatitudes = "Relative_latitude_from_SW_corner_of_bin";

// What a segment's packed word holds.
std::uint32_t PointCount(int packed) { return static_cast<std::uint32_t>(packed) >> 9; }
int Level(int packed) { return static_cast<int>((static_cast<std::uint32_t>(packed) >> 6) & 7U); }

// The index of a binned file: its bins and their segments.
struct BinnedIndex {
    int across = 0;                                  // bins along a parallel
    int down = 0;                                    // bins along a meridian
    double side = 0.0;                               // a bin's side in degrees
    std::vector<int> firstSegment, segments;         // per bin
    std::vector<int> packed, firstPoint, antarctic;  // per segment
    std::size_t points = 0;

    // The segments of bin row `row`: [first, end).
    std::pair<std::size_t, std::size_t> RowSegments(int row) const {
        const auto first = static_cast<std::size_t>(row) * static_cast<std::size_t>(across);
        const std::size_t last = first + static_cast<std::size_t>(across) - 1;
        return {static_cast<std::size_t>(firstSegment[first]),
                static_cast<std::size_t>(firstSegment[last] + segments[last])};
    }
};

// Whether every bin's segments and every segment's points lie within the file.
bool Consistent(const BinnedIndex& index) {
    const std::size_t bins =
        static_cast<std::size_t>(index.across) * static_cast<std::size_t>(index.down);
    const std::size_t segmentCount = index.packed.size();
    if (index.firstSegment.size() != bins || index.segments.size() != bins ||
        index.firstPoint.size() != segmentCount || index.antarctic.size() != segmentCount) {
        return false;
    }
    for (std::size_t b = 0; b < bins; ++b) {
        const long long first = index.firstSegment[b], count = index.segments[b];
        if (first < 0 || count < 0 || static_cast<std::size_t>(first + count) > segmentCount)
            return false;
        // A row's segments follow each other, bin after bin.
        if (b + 1 < bins && index.firstSegment[b + 1] < first + count) return false;
    }
    for (std::size_t s = 0; s < segmentCount; ++s) {
        const long long first = index.firstPoint[s];
        if (first < 0 ||
            static_cast<std::size_t>(first) + PointCount(index.packed[s]) > index.points)
            return false;
    }
    return true;
}

bool ReadIndex(const NetcdfFile& file, BinnedIndex& index) {
    int minutes = 0;
    if (!file.Scalar("Bin_size_in_minutes", minutes) ||
        !file.Scalar("N_bins_in_360_longitude_range", index.across) ||
        !file.Scalar("N_bins_in_180_degree_latitude_range", index.down)) {
        return false;
    }
    // The bins must tile the globe.
    if (minutes <= 0 || index.across <= 0 || index.down <= 0 ||
        static_cast<long long>(index.across) * minutes != 360 * 60 ||
        static_cast<long long>(index.down) * minutes != 180 * 60) {
        return false;
    }
    index.side = minutes / 60.0;
    std::size_t latitudes = 0;
    return file.Whole("Id_of_first_segment_in_a_bin", index.firstSegment) &&
           file.Whole("N_segments_in_a_bin", index.segments) &&
           file.Whole("Embedded_npts_levels_exit_entry_for_a_segment", index.packed) &&
           file.Whole("Id_of_first_point_in_a_segment", index.firstPoint) &&
           file.Whole("Embedded_ANT_flag", index.antarctic) &&
           file.Length(kLongitudes, index.points) && file.Length(kLatitudes, latitudes) &&
           latitudes == index.points && Consistent(index);
}

// The points of one bin row, read at once.
struct RowPoints {
    std::size_t first = 0;  // the file's index of the first point held
    std::vector<int> east, north;
};

bool ReadRowPoints(const NetcdfFile& file, const BinnedIndex& index, int row, RowPoints& points) {
    const auto [begin, end] = index.RowSegments(row);
    std::size_t first = index.points, last = 0;
    for (std::size_t s = begin; s < end; ++s) {
        const auto start = static_cast<std::size_t>(index.firstPoint[s]);
        first = std::min(first, start);
        last = std::max(last, start + PointCount(index.packed[s]));
    }
    points.first = first;
    if (first >= last) {
        points.east.clear();
        points.north.clear();
        return true;
    }
    return file.Part(kLongitudes, first, last - first, points.east) &&
           file.Part(kLatitudes, first, last - first, points.north);
}

// The segments of bin (row, column) whose west edge lies at `west` in the box's
// frame, cut to `box`, appended to `out`.
void AddBin(const BinnedIndex& index, const RowPoints& points, int row, int column, double west,
            const GeoBox& box, std::vector<Coastline>& out) {
    const std::size_t bin = static_cast<std::size_t>(row) * static_cast<std::size_t>(index.across) +
                            static_cast<std::size_t>(column);
    const double south = 90.0 - (row + 1) * index.side;
    const double scale = index.side / kOffsetUnits;
    std::vector<GeoPoint> line;
    const auto first = static_cast<std::size_t>(index.firstSegment[bin]);
    for (std::size_t s = first; s < first + static_cast<std::size_t>(index.segments[bin]); ++s) {
        const int level = Level(index.packed[s]);
        if (level < kLeastLevel || level > kMostLevel) continue;
        line.clear();
        const std::size_t start = static_cast<std::size_t>(index.firstPoint[s]) - points.first;
        for (std::size_t k = start; k < start + PointCount(index.packed[s]); ++k) {
            // The offsets are unsigned shorts the file keeps as signed ones.
            const auto east = static_cast<std::uint16_t>(points.east[k]);
            const auto north = static_cast<std::uint16_t>(points.north[k]);
            line.push_back({south + north * scale, west + east * scale});
        }
        ClipPolyline(line, box, level, out);
    }
}

// The part of segment p-q within `box`: [t0, t1] of the way from p to q;
// false when no part of it is (Liang and Barsky's clipping).
bool ClipSegment(const GeoPoint& p, const GeoPoint& q, const GeoBox& box, double& t0, double& t1) {
    const double dx = q.longitude - p.longitude;
    const double dy = q.latitude - p.latitude;
    const double towards[4] = {-dx, dx, -dy, dy};
    const double room[4] = {p.longitude - box.west, box.east - p.longitude, p.latitude - box.south,
                            box.north - p.latitude};
    t0 = 0.0;
    t1 = 1.0;
    for (int k = 0; k < 4; ++k) {
        if (towards[k] == 0.0) {
            if (room[k] < 0.0) return false;
            continue;
        }
        const double t = room[k] / towards[k];
        if (towards[k] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    return t0 < t1;
}

// The point `t` of the way from p to q, kept within `box` against rounding.
GeoPoint Between(const GeoPoint& p, const GeoPoint& q, double t, const GeoBox& box) {
    if (t == 0.0) return p;
    if (t == 1.0) return q;
    return {std::clamp(p.latitude + t * (q.latitude - p.latitude), box.south, box.north),
            std::clamp(p.longitude + t * (q.longitude - p.longitude), box.west, box.east)};
}

}  // namespace

std::string CoastlineFolder() {
    if (const char* folder = std::getenv("EGM2008_COASTLINES"); folder && *folder) return folder;
    return kInstalledFolder;
}

std::string CoastlineFile(CoastResolution resolution, const std::string& folder) {
    const char letter = resolution == CoastResolution::Crude ? 'c'
                        : resolution == CoastResolution::Low ? 'l'
                                                             : 'i';
    return folder + "/binned_GSHHS_" + letter + ".nc";
}

CoastResolution CoastResolutionFor(double degreesPerPixel) {
    if (degreesPerPixel >= 0.25) return CoastResolution::Crude;
    if (degreesPerPixel >= 0.05) return CoastResolution::Low;
    return CoastResolution::Intermediate;
}

void ClipPolyline(const std::vector<GeoPoint>& points, const GeoBox& box, int level,
                  std::vector<Coastline>& out) {
    Coastline piece;
    piece.level = level;
    const auto flush = [&] {
        if (piece.points.size() >= 2) out.push_back(piece);
        piece.points.clear();
    };
    for (std::size_t k = 1; k < points.size(); ++k) {
        const GeoPoint& p = points[k - 1];
        const GeoPoint& q = points[k];
        double t0 = 0.0, t1 = 1.0;
        if (!ClipSegment(p, q, box, t0, t1)) {
            flush();
            continue;
        }
        // A part that starts inside the segment begins a new piece.
        if (t0 > 0.0) flush();
        if (piece.points.empty()) piece.points.push_back(Between(p, q, t0, box));
        piece.points.push_back(Between(p, q, t1, box));
        if (t1 < 1.0) flush();
    }
    flush();
}

Coastlines ReadCoastlines(const GeoBox& box, CoastResolution resolution,
                          const std::string& folder) {
    Coastlines result;
    result.path = CoastlineFile(resolution, folder);
    std::error_code error;
    if (!std::filesystem::is_regular_file(result.path, error)) return result;
    result.status = CoastStatus::Unreadable;
    const std::lock_guard<std::mutex> reading(ReadingLock());
    const NetcdfFile file(result.path);
    BinnedIndex index;
    if (!file.open() || !ReadIndex(file, index)) return result;

    const double north = std::min(box.north, 90.0);
    const double south = std::max(box.south, -90.0);
    const double east = std::min(box.east, box.west + 720.0);
    result.status = CoastStatus::Read;
    if (!(north > south) || !(east > box.west)) return result;
    const int firstRow = std::max(0, static_cast<int>(std::floor((90.0 - north) / index.side)));
    const int lastRow =
        std::min(index.down - 1, static_cast<int>(std::ceil((90.0 - south) / index.side)) - 1);
    // Bins counted from 0 E in the box's frame; column `j` is the file's bin j mod across.
    const int firstColumn = static_cast<int>(std::floor(box.west / index.side));
    const int lastColumn = static_cast<int>(std::ceil(east / index.side)) - 1;
    RowPoints points;
    for (int row = firstRow; row <= lastRow; ++row) {
        if (!ReadRowPoints(file, index, row, points)) {
            result.status = CoastStatus::Unreadable;
            result.lines.clear();
            return result;
        }
        for (int j = firstColumn; j <= lastColumn; ++j) {
            const int column = ((j % index.across) + index.across) % index.across;
            AddBin(index, points, row, column, j * index.side, box, result.lines);
        }
    }
    return result;
}

}  // namespace egm2008
