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

std::vector<std::string> Told(const FakePlatform& platform) {
    std::vector<std::string> told;
    for (const Notice& notice : platform.notices) told.push_back(notice.text);
    const std::string page = "File Calc: ";
    for (const std::string& status : platform.statuses) {
        const std::size_t place = status.find(" Written to ");
        if (status.rfind(page, 0) != 0 || place == std::string::npos) continue;
        told.push_back(status.substr(page.size(), place - page.size()));
    }
    return told;
}

}  // namespace egm2008::test
