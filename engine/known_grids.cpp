#include "engine/known_grids.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "engine/file_access.hpp"
#include "engine/grid_choice.hpp"
#include "engine/sha256.hpp"

namespace egm2008::engine {

const KnownGrid* KnownGridWithDigest(std::string_view sha256) {
    for (const KnownGrid& grid : kKnownGrids) {
        if (sha256 == grid.sha256) return &grid;
    }
    return nullptr;
}

const char* KnownDigestOf(GridSize size, bool bigEndian) {
    for (const KnownGrid& grid : kKnownGrids) {
        if (grid.model == GeoidModel::Egm2008 && grid.size == size && grid.bigEndian == bigEndian) {
            return grid.sha256;
        }
    }
    return nullptr;
}

const char* KnownDigestOf(GeoidModel model) {
    if (model == GeoidModel::Egm2008) return nullptr;
    for (const KnownGrid& grid : kKnownGrids) {
        if (grid.model == model) return grid.sha256;
    }
    return nullptr;
}

std::string KnownGridFileName(const KnownGrid& grid) {
    if (const ModelFile* file = ModelFileOf(grid.model)) return file->fileName;
    return GridFileName(grid.size, grid.bigEndian);
}

bool FileSha256(const std::string& path, std::string& sha256) {
    std::uint64_t length = 0;
    const int fd = OpenRegularFile(path, &length);
    if (fd < 0) return false;
    Sha256 hash;
    std::vector<unsigned char> block(1 << 20);
    for (std::uint64_t at = 0; at < length; at += block.size()) {
        const std::size_t piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), length - at));
        if (!ReadAt(fd, block.data(), piece, static_cast<std::int64_t>(at))) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        hash.Update(block.data(), piece);
    }
    ::close(fd);
    sha256 = Sha256::Hex(hash.Finish());
    return true;
}

}  // namespace egm2008::engine
