#include "cli/grid_choice.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace egm2008::cli {

namespace {

constexpr GridSize kSizes[] = {GridSize::Grid10x10, GridSize::Grid2_5x2_5, GridSize::Grid1x1};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

const char* OrderName(bool bigEndian) { return bigEndian ? "big-endian" : "little-endian"; }

// The first record marker of an open file, in either byte order.
struct FirstMarker {
    std::uint32_t little = 0;
    std::uint32_t big = 0;
};

FirstMarker ReadFirstMarker(int fd) {
    FirstMarker marker;
    unsigned char bytes[4] = {0, 0, 0, 0};
    ssize_t n = 0;
    do {
        n = ::pread(fd, bytes, 4, 0);
    } while (n < 0 && errno == EINTR);
    if (n != 4) return marker;  // too short for any grid; the length check says so
    marker.little = DecodeWord32(bytes, false);
    marker.big = DecodeWord32(bytes, true);
    return marker;
}

// The length and first marker of `path`; false with the engine's open-failure text.
bool Inspect(const std::string& path, std::uint64_t& length, FirstMarker& marker,
             std::string& reason) {
    int fd = -1;
    if (!path.empty()) {
        do {
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        } while (fd < 0 && errno == EINTR);
    }
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0) ::close(fd);
        reason = OpenFailureMessage(path);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        reason = "Geoidfile " + Quoted(path) + " is not a regular file.";
        return false;
    }
    length = static_cast<std::uint64_t>(info.st_size);
    marker = ReadFirstMarker(fd);
    ::close(fd);
    return true;
}

}  // namespace

std::uint64_t GridFileLength(GridSize size) {
    const auto columns = static_cast<std::uint64_t>(ColumnsOf(size));
    const std::uint64_t rows = size == GridSize::Grid1x1 ? 10801 : size == GridSize::Grid2_5x2_5 ? 4321 : 1081;
    return (columns + 2) * 4 * rows;
}

std::int64_t ColumnsOf(GridSize size) { return LastColumnOf(size) + 1; }

const char* SizeName(GridSize size) {
    switch (size) {
        case GridSize::Grid1x1: return "1'";
        case GridSize::Grid2_5x2_5: return "2.5'";
        case GridSize::Grid10x10: return "10'";
    }
    return "?";
}

std::string InternalDatabasePath() {
    struct stat info {};
    if (::stat(kInternalGridName, &info) == 0) return kInternalGridName;
    // An installation moved as a whole keeps the database beside the program, in ../share/egm2008.
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::string beside =
            (program.parent_path() / ".." / "share" / "egm2008" / kInternalGridName).lexically_normal();
        if (::stat(beside.c_str(), &info) == 0) return beside;
    }
    return std::string(EGM2008_INSTALLED_DATA_DIR) + "/" + kInternalGridName;
}

bool ChooseGrid(const GridRequest& request, GeoidGrid& grid, std::string& reason) {
    GridRequest wanted = request;
    if (!wanted.path) {
        // The desktop program takes the internal database as 10' little-endian.
        wanted.path = InternalDatabasePath();
        if (!wanted.size) wanted.size = GridSize::Grid10x10;
        if (!wanted.bigEndian) wanted.bigEndian = false;
    }
    const std::string& path = *wanted.path;

    std::uint64_t length = 0;
    FirstMarker marker;
    if (!Inspect(path, length, marker, reason)) {
        if (!request.path) {
            reason = std::string("The internal database \"") + kInternalGridName +
                     "\" is neither in the working directory nor in " + EGM2008_INSTALLED_DATA_DIR +
                     "; name a grid file with --grid.";
        }
        return false;
    }

    // Size from the length.
    std::optional<GridSize> size;
    for (GridSize s : kSizes) {
        if (length == GridFileLength(s)) size = s;
    }
    if (wanted.size && size != wanted.size) {
        reason = "Geoidfile " + Quoted(path) + " is " + std::to_string(length) +
                 " bytes long; a " + SizeName(*wanted.size) + " grid file has " +
                 std::to_string(GridFileLength(*wanted.size)) + " bytes.";
        return false;
    }
    if (!size) {
        reason = "Geoidfile " + Quoted(path) + " is " + std::to_string(length) +
                 " bytes long, the length of no EGM2008 grid file (10': 9348488, 2.5': "
                 "149368328, 1': 933292808 bytes).";
        return false;
    }

    // Byte order from the first record marker, which holds a row's byte length.
    const auto rowBytes = static_cast<std::uint32_t>(4 * ColumnsOf(*size));
    std::optional<bool> bigEndian;
    if (marker.little == rowBytes) bigEndian = false;
    if (marker.big == rowBytes) bigEndian = true;
    if (wanted.bigEndian && bigEndian && bigEndian != wanted.bigEndian) {
        reason = "Geoidfile " + Quoted(path) + " is " + OrderName(*bigEndian) + ", not " +
                 OrderName(*wanted.bigEndian) + ": its first record marker reads " +
                 std::to_string(rowBytes) + " in " + OrderName(*bigEndian) + " byte order.";
        return false;
    }
    if (!bigEndian) {
        reason = "Geoidfile " + Quoted(path) + " has the length of a " + SizeName(*size) +
                 " grid file, but its first record marker reads " + std::to_string(marker.little) +
                 " little-endian and " + std::to_string(marker.big) + " big-endian, not " +
                 std::to_string(rowBytes) + ".";
        return false;
    }

    GeoidGrid chosen;
    chosen.path = path;
    chosen.gridSize = *size;
    SilentNotifier silent;  // a known spacing paired with its own size always passes
    ValidateGrid(chosen, *bigEndian, SpacingOf(*size), SpacingOf(*size), silent);
    grid = chosen;
    return true;
}

std::optional<GeoidGrid> ChooseGridOrTell(const GridRequest& request, Console& console) {
    GeoidGrid grid;
    std::string reason;
    if (ChooseGrid(request, grid, reason)) return grid;
    console.Message(reason);
    return std::nullopt;
}

}  // namespace egm2008::cli
