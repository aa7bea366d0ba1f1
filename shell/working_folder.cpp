#include "shell/working_folder.hpp"

#include <filesystem>
#include <system_error>

#include "engine/geoid_grid.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008 {

namespace fs = std::filesystem;

namespace {

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// Links `name` of `from` into `folder` unless the folder has a working entry
// of that name; a link whose target is gone is made anew.
void LinkInto(const fs::path& folder, const fs::path& from, const char* name) {
    const fs::path target = from / name;
    const fs::path link = folder / name;
    if (!Exists(target) || Exists(link)) return;
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(link, error))) fs::remove(link, error);
    fs::create_symlink(target, link, error);
}

}  // namespace

std::string FindInstalledData(const std::vector<std::string>& candidates) {
    for (const std::string& folder : candidates) {
        if (!folder.empty() && Exists(fs::path(folder) / kInternalGridName)) return folder;
    }
    return {};
}

std::string CurrentFolder() {
    std::error_code error;
    const fs::path current = fs::current_path(error);
    if (error || !fs::is_directory(current, error)) return {};
    return current.string();
}

std::string ChooseWorkingFolder(const std::string& current, const std::string& installedData,
                                const std::string& userFolder) {
    const bool lost = current.empty();
    if (!lost && (installedData.empty() || userFolder.empty() ||
                  Exists(fs::path(current) / kInternalGridName))) {
        return current;
    }
    const fs::path folder(userFolder);
    std::error_code error;
    if (!userFolder.empty()) fs::create_directories(folder, error);
    if (userFolder.empty() || !fs::is_directory(folder, error)) return current;
    if (installedData.empty()) return userFolder;

    const fs::path data(installedData);
    LinkInto(folder, data, kInternalGridName);
    LinkInto(folder, data, kVersionNotesName);
    // The sample is the user's to change: a copy, made once.
    const fs::path sample = folder / kSamplePointFileName;
    if (!Exists(sample) && !fs::is_symlink(fs::symlink_status(sample, error))) {
        fs::copy_file(data / kSamplePointFileName, sample, error);
    }
    return lost || Exists(folder / kInternalGridName) ? userFolder : current;
}

}  // namespace egm2008
