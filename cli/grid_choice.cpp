#include "cli/grid_choice.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "cli/messages.hpp"
#include "engine/grid_probe.hpp"

namespace egm2008::cli {

namespace {

// The probe of `path`; false with the reason when it cannot be opened or is no regular file.
bool Probe(const std::string& path, GridProbe& probe, std::string& reason) {
    if (ProbeGridFile(path, probe)) return true;
    const bool irregular = errno == EISDIR || errno == EINVAL;
    reason = irregular ? NotRegularGridMessage(path) : OpenFailureMessage(path);
    return false;
}

// True when the probed file is a grid of the size and byte order `wanted` names (where it
// names them); else false with the reason.
bool Fits(const std::string& path, const GridProbe& probe, const GridRequest& wanted,
          std::string& reason) {
    if (wanted.size && probe.size != wanted.size) {
        reason = GridLengthMismatchMessage(path, probe.length, SizeName(*wanted.size),
                                           GridFileLength(*wanted.size));
        return false;
    }
    if (!probe.size) {
        reason = GridLengthUnknownMessage(path, probe.length);
        return false;
    }
    const auto rowBytes = static_cast<std::uint32_t>(4 * ColumnsOf(*probe.size));
    if (wanted.bigEndian && probe.bigEndian && probe.bigEndian != wanted.bigEndian) {
        reason = GridOrderMismatchMessage(path, *probe.bigEndian, *wanted.bigEndian, rowBytes);
        return false;
    }
    if (!probe.bigEndian) {
        reason = GridMarkerMismatchMessage(path, SizeName(*probe.size), probe.littleMarker,
                                           probe.bigMarker, rowBytes);
        return false;
    }
    return true;
}

}  // namespace

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
            (program.parent_path() / ".." / "share" / "egm2008" / kInternalGridName)
                .lexically_normal();
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

    GridProbe probe;
    if (!Probe(path, probe, reason)) {
        if (!request.path) {
            reason = NoInternalDatabaseMessage(kInternalGridName, EGM2008_INSTALLED_DATA_DIR);
        }
        return false;
    }
    if (!Fits(path, probe, wanted, reason)) return false;
    grid = GridOfKind(path, *probe.size, *probe.bigEndian);
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
