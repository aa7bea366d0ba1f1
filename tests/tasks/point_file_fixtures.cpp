#include "point_file_fixtures.hpp"

#include <map>
#include <memory>
#include <string>

#include "tests/support/grid_files.hpp"
#include "tests/support/scratch_folder.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008::test {

GeoidGrid ConstantGrid(float value) {
    static const auto folder = std::make_unique<ScratchFolder>();
    static std::map<float, std::string> written;
    const bool bigEndian = value == 56.0f;
    auto& path = written[value];
    if (path.empty()) {
        path = folder->File(bigEndian ? "constant_be" : "constant_le");
        WriteConstantGrid(path, value, bigEndian);
    }
    GeoidGrid grid;
    grid.path = path;
    grid.bigEndian = bigEndian;
    return grid;
}

}  // namespace egm2008::test
