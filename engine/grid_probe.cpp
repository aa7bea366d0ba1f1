#include "engine/grid_probe.hpp"

#include <unistd.h>

#include <cerrno>

#include "engine/file_access.hpp"
#include "engine/messages.hpp"
#include "engine/node_reader.hpp"

namespace egm2008::engine {

std::int64_t ColumnsOf(GridSize size) { return LastColumnOf(size) + 1; }

std::uint64_t GridFileLength(GridSize size) {
    const auto columns = static_cast<std::uint64_t>(ColumnsOf(size));
    const std::uint64_t rows = size == GridSize::Grid1x1       ? 10801
                               : size == GridSize::Grid2_5x2_5 ? 4321
                                                               : 1081;
    return (columns + 2) * 4 * rows;
}

bool ProbeGridFile(const std::string& path, GridProbe& probe) {
    probe = GridProbe{};
    const int fd = OpenRegularFile(path, &probe.length);
    if (fd < 0) return false;
    unsigned char bytes[4] = {0, 0, 0, 0};
    // A file too short for any marker is too short for any grid; its length says so.
    if (ReadAt(fd, bytes, 4, 0)) {
        probe.littleMarker = DecodeWord32(bytes, false);
        probe.bigMarker = DecodeWord32(bytes, true);
    }
    if (Egm96HeaderAt(fd)) probe.beginsAs = GeoidModel::Egm96;
    ::close(fd);

    for (const ModelFile& file : kModelFiles) {
        const bool begins = file.headerBytes == 0 || probe.beginsAs == file.model;
        if (begins && probe.length == ModelFileLength(file)) probe.model = file.model;
    }
    if (probe.model) return true;

    for (GridSize size : kGridSizes) {
        if (probe.length == GridFileLength(size)) probe.size = size;
    }
    if (!probe.size) return true;
    const auto rowBytes = static_cast<std::uint32_t>(4 * ColumnsOf(*probe.size));
    if (probe.littleMarker == rowBytes) probe.bigEndian = false;
    if (probe.bigMarker == rowBytes) probe.bigEndian = true;
    return true;
}

namespace {

// The grid whose row length the first record marker holds, in the order it reads so.
bool MarkerKind(const GridProbe& probe, GridSize& size, bool& bigEndian) {
    for (const GridSize candidate : kGridSizes) {
        const auto rowBytes = static_cast<std::uint32_t>(4 * ColumnsOf(candidate));
        for (const bool big : {false, true}) {
            if ((big ? probe.bigMarker : probe.littleMarker) != rowBytes) continue;
            size = candidate;
            bigEndian = big;
            return true;
        }
    }
    return false;
}

}  // namespace

GridVerdict JudgeGridProbe(const GridProbe& probe) {
    GridVerdict verdict;
    if (probe.model) {
        verdict.model = *probe.model;
        return verdict;
    }
    if (probe.beginsAs) {
        const ModelFile& file = *ModelFileOf(*probe.beginsAs);
        const std::uint64_t whole = ModelFileLength(file);
        verdict.model = file.model;
        verdict.problem = probe.length < whole ? GridTruncatedNote(probe.length, whole)
                                               : ModelTooLongNote(probe.length, file);
        return verdict;
    }
    // A grid's exact length is the stronger witness: a marker of another size is damage.
    if (probe.size) {
        verdict.size = probe.size;
        verdict.bigEndian = probe.bigEndian;
        if (!probe.bigEndian) verdict.problem = GridMarkerDamagedNote();
        return verdict;
    }
    GridSize size = GridSize::Grid10x10;
    bool bigEndian = false;
    if (!MarkerKind(probe, size, bigEndian)) {
        verdict.problem = NoGridFileNote(probe.length);
        return verdict;
    }
    verdict.size = size;
    verdict.bigEndian = bigEndian;
    const std::uint64_t whole = GridFileLength(size);
    verdict.problem = probe.length < whole ? GridTruncatedNote(probe.length, whole)
                                           : GridTooLongNote(probe.length, size);
    return verdict;
}

GridVerdict JudgeGridFile(const std::string& path) {
    GridProbe probe;
    if (ProbeGridFile(path, probe)) return JudgeGridProbe(probe);
    GridVerdict verdict;
    verdict.problem = GridUnreadableNote(errno);
    return verdict;
}

GeoidGrid GridOfKind(const std::string& path, GridSize size, bool bigEndian) {
    GeoidGrid grid;
    grid.path = path;
    grid.gridSize = size;
    SilentNotifier silent;  // a known spacing paired with its own size always passes
    ValidateGrid(grid, bigEndian, SpacingOf(size), SpacingOf(size), silent);
    return grid;
}

}  // namespace egm2008::engine
