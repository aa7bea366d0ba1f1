#include "tasks/grids/grid_install.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "engine/file_access.hpp"
#include "engine/grid_choice.hpp"
#include "engine/grid_probe.hpp"
#include "engine/known_grids.hpp"
#include "engine/nga_grid.hpp"
#include "engine/sha256.hpp"
#include "engine/file_identity.hpp"
#include "tasks/messages.hpp"

extern char** environ;

namespace egm2008 {

namespace {

namespace fs = std::filesystem;

constexpr GridSize kListedSizes[] = {GridSize::Grid10x10, GridSize::Grid2_5x2_5, GridSize::Grid1x1};

// What the file at `path` is, under the file name of `model`'s grid: for EGM2008 NGA's name
// of the grid of `size` and `bigEndian`.
FoundGrid Inspect(const std::string& path, GeoidModel model, GridSize size, bool bigEndian) {
    FoundGrid found;
    found.path = path;
    found.model = model;
    found.namedSize = size;
    found.namedBigEndian = bigEndian;
    GridProbe probe;
    if (!ProbeGridFile(path, probe)) return found;
    found.size = probe.size;
    found.bigEndian = probe.bigEndian;
    found.fileModel = probe.model;
    const bool older = model != GeoidModel::Egm2008;
    found.asNamed =
        older ? probe.model == model : probe.size == size && probe.bigEndian == bigEndian;
    if (!found.asNamed) return found;
    const char* known = older ? KnownDigestOf(model) : KnownDigestOf(size, bigEndian);
    std::string digest;
    if (known && FileSha256(path, digest)) found.knownDigest = digest == known;
    return found;
}

// True when the file at `path` is there with the known digest `sha256`; `digest` is its own
// ("" when it cannot be read).
bool HasDigest(const std::string& path, const char* sha256, std::string& digest) {
    digest.clear();
    return IsRegularFile(path) && FileSha256(path, digest) && digest == sha256;
}

bool HasDigest(const std::string& path, const char* sha256) {
    std::string digest;
    return HasDigest(path, sha256, digest);
}

// The status RunQuietly answers for a program stopped by a stop request.
constexpr int kStoppedProgram = -2;

// Ends the process group `group` (the program and what it started) and waits until none of
// it is left, so that nothing writes into a folder about to be removed.
void EndProcessGroup(pid_t leader, pid_t group) {
    ::kill(-group, SIGTERM);
    int status = 0;
    while (::waitpid(leader, &status, 0) < 0 && errno == EINTR) {
    }
    // Its other members are the init process's children now; they are gone once it has
    // reaped them. A member deaf to SIGTERM is killed after two seconds; the wait ends after
    // three (an init that reaps nobody leaves zombies, which write nothing).
    for (int tenth = 0; tenth < 30 && ::kill(-group, 0) == 0; ++tenth) {
        if (tenth == 20) ::kill(-group, SIGKILL);
        ::poll(nullptr, 0, 100);
    }
}

// Waits for `child`; its wait status, or kStoppedProgram once `stop` is requested.
int WaitOrStop(pid_t child, const RunStop& stop) {
    int status = 0;
    for (;;) {
        if (stop.Requested()) {
            EndProcessGroup(child, child);
            return kStoppedProgram;
        }
        const bool watched = stop.flag != nullptr;
        const pid_t done = ::waitpid(child, &status, watched ? WNOHANG : 0);
        if (done == child) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0 && errno != EINTR) return -1;
        if (watched && done == 0) {
            // Wake on the stop request's descriptor, or look again after a tenth of a second.
            pollfd wake{stop.wakeFd, POLLIN, 0};
            ::poll(&wake, stop.wakeFd >= 0 ? 1 : 0, 100);
        }
    }
}

// Runs `argv` (looked up in PATH) in a process group of its own, with no input and its output
// and errors thrown away; its exit status, -1 when it could not be started or did not exit,
// kStoppedProgram when `stop` was requested (the group is then ended).
int RunQuietly(const std::vector<std::string>& argv, const RunStop& stop) {
    if (stop.Requested()) return kStoppedProgram;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t child = 0;
    const int error = posix_spawnp(&child, args[0], &actions, &attributes, args.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return -1;
    return WaitOrStop(child, stop);
}

// A folder `cache`/<kind>.XXXXXX of the run's own, removed with everything in it at the end.
class TemporaryFolder {
public:
    TemporaryFolder(const std::string& cache, const char* kind) {
        std::string pattern = cache + "/" + kind + ".XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// True when `models` (all when empty) holds `model`.
bool Wanted(const std::vector<GeoidModel>& models, GeoidModel model) {
    return models.empty() || std::find(models.begin(), models.end(), model) != models.end();
}

// The grids of kKnownGrids of `models` not yet in `folder` with their digest; the others in
// `kept`.
std::vector<const KnownGrid*> MissingGrids(const std::string& folder,
                                           const std::vector<GeoidModel>& models,
                                           const RunStop& stop, std::vector<std::string>& kept) {
    std::vector<const KnownGrid*> missing;
    for (const KnownGrid& grid : kKnownGrids) {
        if (stop.Requested()) break;
        if (!Wanted(models, grid.model)) continue;
        const std::string path = folder + "/" + KnownGridFileName(grid);
        if (HasDigest(path, grid.sha256)) {
            kept.push_back(path);
        } else {
            missing.push_back(&grid);
        }
    }
    return missing;
}

// The package member a known grid is made from: NGA's grid, or the older model's own file.
std::string MemberOf(const KnownGrid& grid) {
    if (const ModelFile* file = ModelFileOf(grid.model)) {
        return std::string(kGeotranzDataFolder) + file->fileName;
    }
    return kNgaGridMember;
}

// The folder `path`, made when missing; false with the problem when it is or can be none.
bool MakeFolder(const std::string& path,
                std::string (*message)(const std::string&, const std::string&),
                std::string& problem) {
    std::error_code error;
    fs::create_directories(path, error);
    if (!error && !fs::is_directory(path, error)) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    if (!error) return true;
    problem = message(path, error.message());
    return false;
}

// Downloads the package with apt-get into a folder of its own and moves it to `deb` once its
// digest is the known one; false with the problem (none when stopped).
bool DownloadPackage(const std::string& cache, const std::string& deb, const RunStop& stop,
                     std::string& problem) {
    const TemporaryFolder download(cache, "download");
    const std::string request = std::string("geotranz=") + kGeotranzPackage.version;
    const int status = download.path().empty()
                           ? -1
                           : RunQuietly({"sh", "-c", "cd \"$1\" && exec apt-get download \"$2\"",
                                         "sh", download.path(), request},
                                        stop);
    if (status == kStoppedProgram) return false;
    const std::string got = download.path() + "/" + kGeotranzPackage.fileName;
    std::string digest;
    if (status != 0 || !IsRegularFile(got)) {
        problem = PackageNotDownloadedMessage(cache, request);
        return false;
    }
    if (!HasDigest(got, kGeotranzPackage.sha256, digest)) {
        problem = DownloadedPackageMismatchMessage(request, digest, kGeotranzPackage.sha256);
        return false;
    }
    std::error_code error;
    fs::rename(got, deb, error);
    if (error) problem = PackageNotKeptMessage(deb, error.message());
    return !error;
}

// The package file in `cache` with its known digest, fetched again when it is missing or
// has another; "" with the problem (none when stopped) when there is none.
std::string PackageFile(const std::string& cache, InstallObserver& observer, const RunStop& stop,
                        std::string& problem) {
    if (!MakeFolder(cache, CacheNotFolderMessage, problem)) return {};
    const std::string deb = cache + "/" + kGeotranzPackage.fileName;
    std::string digest;
    if (HasDigest(deb, kGeotranzPackage.sha256, digest)) return deb;
    if (IsRegularFile(deb)) {
        observer.Step(PackageMismatchStep(deb, digest, kGeotranzPackage.sha256));
    }
    if (stop.Requested()) return {};
    observer.Step(FetchingPackageStep(cache));
    return DownloadPackage(cache, deb, stop, problem) ? deb : std::string();
}

// The members `missing` are made from, extracted from the package file into `folder`; false
// with the problem (none when stopped).
bool ExtractMembers(const std::string& deb, const std::string& folder,
                    const std::vector<const KnownGrid*>& missing, InstallObserver& observer,
                    const RunStop& stop, std::string& problem) {
    std::vector<std::string> members;
    std::vector<GeoidModel> models;
    for (const KnownGrid* grid : missing) {
        const std::string member = MemberOf(*grid);
        if (std::find(members.begin(), members.end(), member) == members.end()) {
            members.push_back(member);
            models.push_back(grid->model);
        }
    }
    observer.Step(ExtractingGridStep(fs::path(deb).filename().string(), models));
    std::vector<std::string> argv = {"bash",
                                     "-c",
                                     "set -o pipefail; d=$1 f=$2; shift 2; dpkg-deb --fsys-tarfile "
                                     "\"$d\" | tar -x -C \"$f\" \"$@\"",
                                     "bash",
                                     deb,
                                     folder};
    argv.insert(argv.end(), members.begin(), members.end());
    const int status = folder.empty() ? -1 : RunQuietly(argv, stop);
    if (status == kStoppedProgram) return false;
    if (status != 0) {
        problem = GridNotExtractedMessage(deb);
        return false;
    }
    return true;
}

// The whole file at `path`; false with the problem when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& data,
                   std::string& problem) {
    std::uint64_t length = 0;
    const int fd = OpenRegularFile(path, &length);
    data.resize(static_cast<std::size_t>(fd < 0 ? 0 : length));
    const bool read = fd >= 0 && ReadAt(fd, data.data(), data.size(), 0);
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (!read) problem = GridNotWrittenMessage(path, std::strerror(error));
    return read;
}

// Rows a known grid is written in: the converted grid's, or the older model's file's (its
// header goes with the first).
std::int32_t RowsOf(const KnownGrid& grid) {
    if (const ModelFile* file = ModelFileOf(grid.model)) return file->rows;
    return ConvertedRows(grid.size);
}

// Appends row `r` of `grid`, made from its member's contents `data`.
void AppendRow(const std::vector<unsigned char>& data, const KnownGrid& grid, std::int32_t r,
               std::vector<unsigned char>& row) {
    const ModelFile* file = ModelFileOf(grid.model);
    if (file == nullptr) {
        AppendConvertedRow(data, grid.size, grid.bigEndian, r, row);
        return;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(file->values) * file->valueBytes;
    const std::size_t from =
        r == 0 ? 0 : file->headerBytes + rowBytes * static_cast<std::size_t>(r);
    const std::size_t to = file->headerBytes + rowBytes * static_cast<std::size_t>(r + 1);
    if (to <= data.size()) row.insert(row.end(), data.begin() + from, data.begin() + to);
}

// Writes `grid` made from `data` row by row under a name of its own beside `path`
// (ReplacementFile), checks its digest and gives it its name; false with the problem
// (none when stopped) and no file left otherwise.
bool MakeGrid(const std::vector<unsigned char>& data, const KnownGrid& grid,
              const std::string& path, std::uint64_t& rowsDone, std::uint64_t rowsTotal,
              InstallObserver& observer, const RunStop& stop, std::string& problem) {
    ReplacementFile part;
    const int fd = part.Create(path);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(fd < 0 ? nullptr : ::fdopen(fd, "wb"),
                                                         &std::fclose);
    if (!file) {
        problem = GridNotWrittenMessage(path, std::strerror(errno));
        if (fd >= 0) ::close(fd);
        return false;
    }
    Sha256 hash;
    std::vector<unsigned char> row;
    bool written = true;
    for (std::int32_t r = 0; r < RowsOf(grid) && written && !stop.Requested(); ++r) {
        row.clear();
        AppendRow(data, grid, r, row);
        hash.Update(row.data(), row.size());
        written = std::fwrite(row.data(), 1, row.size(), file.get()) == row.size();
        observer.Rows(++rowsDone, rowsTotal);
    }
    const int error = errno;
    written = std::fclose(file.release()) == 0 && written;
    const std::string digest = Sha256::Hex(hash.Finish());
    if (stop.Requested() || !written || digest != grid.sha256) {
        if (stop.Requested()) return false;
        problem = written ? GridDigestMismatchMessage(path, digest, grid.sha256)
                          : GridNotWrittenMessage(path, std::strerror(error));
        return false;
    }
    if (!part.Replace()) {
        problem = GridNotWrittenMessage(path, std::strerror(errno));
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
                if (IsRegularFile(path)) {
                    grids.push_back(Inspect(path, GeoidModel::Egm2008, size, bigEndian));
                }
            }
        }
        for (const ModelFile& file : kModelFiles) {
            const std::string path = folder + "/" + file.fileName;
            if (IsRegularFile(path)) {
                grids.push_back(Inspect(path, file.model, GridSize::Grid10x10, true));
            }
        }
    }
    return grids;
}

std::optional<std::string> InstallFolder(bool system) {
    if (system) return kSystemGridFolder;
    return UserGridFolder();
}

std::optional<std::string> PackageCacheFolder() {
    if (const char* cache = std::getenv("EGM2008_CACHE"); cache && *cache) return cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) {
        return std::string(xdg) + "/egm2008";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::string(home) + "/.cache/egm2008";
    }
    return std::nullopt;
}

InstallOutcome InstallGrids(const std::string& folder, const std::string& cache,
                            InstallObserver& observer, const RunStop& stop,
                            const std::vector<GeoidModel>& models) {
    InstallOutcome outcome;
    if (!MakeFolder(folder, FolderNotMadeMessage, outcome.problem)) return outcome;
    const std::vector<const KnownGrid*> missing = MissingGrids(folder, models, stop, outcome.kept);
    if (missing.empty()) {
        outcome.stopped = stop.Requested();
        outcome.ok = !outcome.stopped;
        return outcome;
    }
    const std::string deb = PackageFile(cache, observer, stop, outcome.problem);
    const TemporaryFolder extracted(cache, "extract");
    if (deb.empty() ||
        !ExtractMembers(deb, extracted.path(), missing, observer, stop, outcome.problem)) {
        outcome.stopped = stop.Requested();
        return outcome;
    }
    std::uint64_t rowsTotal = 0;
    for (const KnownGrid* grid : missing) rowsTotal += static_cast<std::uint64_t>(RowsOf(*grid));
    std::uint64_t rowsDone = 0;
    std::string member;  // the member whose contents `data` holds
    std::vector<unsigned char> data;
    for (const KnownGrid* grid : missing) {
        if (MemberOf(*grid) != member) {
            member = MemberOf(*grid);
            const std::string file = extracted.path() + "/" + member;
            const bool read = grid->model == GeoidModel::Egm2008
                                  ? ReadNgaGrid(file, data, outcome.problem)
                                  : ReadWholeFile(file, data, outcome.problem);
            if (!read) return outcome;
        }
        const std::string path = folder + "/" + KnownGridFileName(*grid);
        observer.Step(MakingGridStep(path));
        if (!MakeGrid(data, *grid, path, rowsDone, rowsTotal, observer, stop, outcome.problem)) {
            outcome.stopped = stop.Requested();
            return outcome;
        }
        outcome.made.push_back(path);
    }
    outcome.stopped = stop.Requested();
    outcome.ok = !outcome.stopped;
    return outcome;
}

}  // namespace egm2008
