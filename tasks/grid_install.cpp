#include "tasks/grid_install.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "engine/grid_choice.hpp"
#include "engine/grid_probe.hpp"
#include "engine/known_grids.hpp"
#include "engine/nga_grid.hpp"
#include "engine/sha256.hpp"
#include "tasks/messages.hpp"

extern char** environ;

namespace egm2008 {

namespace {

namespace fs = std::filesystem;

constexpr GridSize kListedSizes[] = {GridSize::Grid10x10, GridSize::Grid2_5x2_5, GridSize::Grid1x1};

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

FoundGrid Inspect(const std::string& path) {
    FoundGrid found;
    found.path = path;
    GridProbe probe;
    if (!ProbeGridFile(path, probe)) return found;
    found.size = probe.size;
    found.bigEndian = probe.bigEndian;
    if (!probe.size || !probe.bigEndian) return found;
    const char* known = KnownDigestOf(*probe.size, *probe.bigEndian);
    std::string digest;
    if (known && FileSha256(path, digest)) found.knownDigest = digest == known;
    return found;
}

// True when the file at `path` is there with the known digest of its grid.
bool HasDigest(const std::string& path, const char* sha256) {
    std::string digest;
    return IsRegularFile(path) && FileSha256(path, digest) && digest == sha256;
}

// Runs `argv` (looked up in PATH) with its output and errors thrown away; its exit status, or
// -1 when it could not be started or did not exit.
int RunQuietly(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int error = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The last geotranz_*_all.deb in `cache` by name; "" when there is none.
std::string FindPackageFile(const std::string& cache) {
    std::string last;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(cache, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("geotranz_") && name.ends_with("_all.deb") &&
            entry.path().string() > last) {
            last = entry.path().string();
        }
    }
    return last;
}

// A folder made for the extraction and removed with everything in it at the end.
class ExtractionFolder {
public:
    explicit ExtractionFolder(const std::string& cache) {
        std::string pattern = cache + "/extract.XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ExtractionFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    ExtractionFolder(const ExtractionFolder&) = delete;
    ExtractionFolder& operator=(const ExtractionFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The grids of kKnownGrids not yet in `folder` with their digest; the others in `kept`.
std::vector<const KnownGrid*> MissingGrids(const std::string& folder,
                                           std::vector<std::string>& kept) {
    std::vector<const KnownGrid*> missing;
    for (const KnownGrid& grid : kKnownGrids) {
        const std::string path = folder + "/" + GridFileName(grid.size, grid.bigEndian);
        if (HasDigest(path, grid.sha256)) {
            kept.push_back(path);
        } else {
            missing.push_back(&grid);
        }
    }
    return missing;
}

// The package file in `cache`, downloaded there when missing; "" with the problem when
// there is none.
std::string PackageFile(const std::string& cache, InstallObserver& observer, std::string& problem) {
    std::string deb = FindPackageFile(cache);
    if (!deb.empty()) return deb;
    observer.Step(FetchingPackageStep(cache));
    const int status =
        RunQuietly({"sh", "-c", "cd \"$1\" && exec apt-get download geotranz", "sh", cache});
    deb = FindPackageFile(cache);
    if (status != 0 || deb.empty()) problem = PackageNotDownloadedMessage(cache);
    return deb;
}

// NGA's grid from the package file, read and checked; false with the problem.
bool ExtractNgaGrid(const std::string& deb, const std::string& cache, InstallObserver& observer,
                    std::vector<unsigned char>& data, std::string& problem) {
    observer.Step(ExtractingGridStep(fs::path(deb).filename().string()));
    const ExtractionFolder folder(cache);
    const int status =
        folder.path().empty()
            ? -1
            : RunQuietly({"bash", "-c",
                          "set -o pipefail; dpkg-deb --fsys-tarfile \"$1\" | tar -x -C \"$2\" "
                          "\"$3\"",
                          "bash", deb, folder.path(), kNgaGridMember});
    if (status != 0) {
        problem = GridNotExtractedMessage(deb);
        return false;
    }
    return ReadNgaGrid(folder.path() + "/" + kNgaGridMember, data, problem);
}

// Writes `grid` converted from `data` to `path`.part, row by row, checks its digest and gives
// it its name; false with the problem (and no file left) otherwise.
bool MakeGrid(const std::vector<unsigned char>& data, const KnownGrid& grid,
              const std::string& path, std::uint64_t& rowsDone, std::uint64_t rowsTotal,
              InstallObserver& observer, std::string& problem) {
    const std::string part = path + ".part";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(part.c_str(), "wb"),
                                                         &std::fclose);
    if (!file) {
        problem = GridNotWrittenMessage(part, std::strerror(errno));
        return false;
    }
    Sha256 hash;
    std::vector<unsigned char> row;
    bool written = true;
    for (std::int32_t r = 0; r < ConvertedRows(grid.size) && written; ++r) {
        row.clear();
        AppendConvertedRow(data, grid.size, grid.bigEndian, r, row);
        hash.Update(row.data(), row.size());
        written = std::fwrite(row.data(), 1, row.size(), file.get()) == row.size();
        observer.Rows(++rowsDone, rowsTotal);
    }
    const int error = errno;
    written = std::fclose(file.release()) == 0 && written;
    const std::string digest = Sha256::Hex(hash.Finish());
    std::error_code ignored;
    if (!written || digest != grid.sha256) {
        fs::remove(part, ignored);
        problem = written ? GridDigestMismatchMessage(path, digest, grid.sha256)
                          : GridNotWrittenMessage(part, std::strerror(error));
        return false;
    }
    std::error_code renamed;
    fs::rename(part, path, renamed);
    if (renamed) {
        fs::remove(part, ignored);
        problem = GridNotWrittenMessage(path, renamed.message().c_str());
        return false;
    }
    return true;
}

}  // namespace

std::vector<FoundGrid> ListGrids(const std::vector<std::string>& folders) {
    std::vector<FoundGrid> grids;
    for (const std::string& folder : folders) {
        for (const GridSize size : kListedSizes) {
            for (const bool bigEndian : {false, true}) {
                const std::string path = folder + "/" + GridFileName(size, bigEndian);
                if (IsRegularFile(path)) grids.push_back(Inspect(path));
            }
        }
    }
    return grids;
}

std::string InstallFolder(bool system) {
    if (system) return "/usr/local/share/egm2008";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/egm2008";
}

std::string PackageCacheFolder() {
    if (const char* cache = std::getenv("EGM2008_CACHE"); cache && *cache) return cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) {
        return std::string(xdg) + "/egm2008";
    }
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.cache/egm2008";
}

InstallOutcome InstallGrids(const std::string& folder, const std::string& cache,
                            InstallObserver& observer) {
    InstallOutcome outcome;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        outcome.problem = FolderNotMadeMessage(folder, error.message());
        return outcome;
    }
    const std::vector<const KnownGrid*> missing = MissingGrids(folder, outcome.kept);
    if (missing.empty()) {
        outcome.ok = true;
        return outcome;
    }
    fs::create_directories(cache, error);
    const std::string deb = PackageFile(cache, observer, outcome.problem);
    std::vector<unsigned char> data;
    if (deb.empty() || !ExtractNgaGrid(deb, cache, observer, data, outcome.problem)) {
        return outcome;
    }
    std::uint64_t rowsTotal = 0;
    for (const KnownGrid* grid : missing)
        rowsTotal += static_cast<std::uint64_t>(ConvertedRows(grid->size));
    std::uint64_t rowsDone = 0;
    for (const KnownGrid* grid : missing) {
        const std::string path = folder + "/" + GridFileName(grid->size, grid->bigEndian);
        observer.Step(MakingGridStep(path));
        if (!MakeGrid(data, *grid, path, rowsDone, rowsTotal, observer, outcome.problem)) {
            return outcome;
        }
        outcome.made.push_back(path);
    }
    outcome.ok = true;
    return outcome;
}

}  // namespace egm2008
