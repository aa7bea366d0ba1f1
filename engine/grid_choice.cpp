#include "engine/grid_choice.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <utility>

#include "engine/file_identity.hpp"
#include "engine/grid_probe.hpp"
#include "engine/messages.hpp"

namespace egm2008::engine {

namespace {

bool Exists(const std::string& path) { return IdentityOfPath(path).has_value(); }

// The probe of `path`; false with the reason (and its errno) when it cannot be opened or is
// no regular file.
bool Probe(const std::string& path, GridProbe& probe, GridChoiceNotes& notes) {
    if (ProbeGridFile(path, probe)) return true;
    notes.systemError = errno;
    const bool irregular = errno == EISDIR || errno == EINVAL;
    notes.reason = irregular ? NotRegularGridMessage(path) : OpenFailureMessage(path);
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

// The file the request's path stands for: the path itself when such a file exists or it is
// no grid name, else the named grid found in the grid folders. False with the reason when a
// name is found nowhere.
bool ResolvePath(const std::string& text, std::string& path, GridChoiceNotes& notes) {
    path = text;
    const std::optional<GridName> name = ParseGridName(text);
    if (!name || Exists(text)) return true;
    const std::vector<std::string> folders = GridSearchFolders();
    NamedGridLookup found = FindNamedGrid(*name, folders);
    notes.passedOver = std::move(found.passedOver);
    if (!found.path) {
        notes.reason = GridNameNotFoundMessage(text, folders);
        return false;
    }
    path = *found.path;
    return true;
}

// True when the file at `path` is the grid of `size` and byte order `bigEndian`, as far as
// its length and first record marker tell; else false with the message that passes it over.
bool KeepsNamePromise(const std::string& path, GridSize size, bool bigEndian,
                      std::string& passedOver) {
    GridProbe probe;
    if (!ProbeGridFile(path, probe)) {
        passedOver = GridPassedOverMessage(path, size, bigEndian, nullptr);
        return false;
    }
    if (probe.size == size && probe.bigEndian == bigEndian) return true;
    passedOver = GridPassedOverMessage(path, size, bigEndian, &probe);
    return false;
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

const char* SpacingName(const GeoidGrid& grid) {
    if (const ModelFile* file = ModelFileOf(grid.model)) return file->spacingName;
    return SizeName(grid.gridSize);
}

std::string GridTitle(const GeoidGrid& grid) {
    return std::string(ModelName(grid.model)) + " " + SpacingName(grid);
}

std::optional<GridName> ParseGridName(std::string_view text) {
    GridName name;
    if (text.ends_with("-le") || text.ends_with("-be")) {
        name.bigEndian = text.ends_with("-be");
        text.remove_suffix(3);
    }
    if (text == "10") {
        name.size = GridSize::Grid10x10;
    } else if (text == "2.5") {
        name.size = GridSize::Grid2_5x2_5;
    } else if (text == "1") {
        name.size = GridSize::Grid1x1;
    } else {
        return std::nullopt;
    }
    return name;
}

std::string GridFileName(GridSize size, bool bigEndian) {
    const auto index = static_cast<std::size_t>(size);
    if (index >= std::size(kGridFileNames)) return {};
    return kGridFileNames[index][bigEndian ? 1 : 0];
}

std::optional<std::string> UserGridFolder() {
    // XDG's base directories: a relative XDG_DATA_HOME is to be ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
        return std::string(data) + "/egm2008";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::string(home) + "/.local/share/egm2008";
    }
    return std::nullopt;
}

std::vector<std::string> GridSearchFolders() {
    std::vector<std::string> folders;
    if (const char* list = std::getenv("EGM2008_GRID_PATH")) {
        const std::string_view text(list);
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find(':', start);
            if (end == std::string_view::npos) end = text.size();
            if (end > start) folders.emplace_back(text.substr(start, end - start));
            start = end + 1;
        }
    }
    if (std::optional<std::string> user = UserGridFolder()) folders.push_back(std::move(*user));
    folders.emplace_back(kSystemGridFolder);
    folders.emplace_back(kPackageGridFolder);
    return folders;
}

std::string FirstGridFolder() {
    for (const std::string& folder : GridSearchFolders()) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return folder;
    }
    return {};
}

NamedGridLookup FindNamedGrid(const GridName& name, const std::vector<std::string>& folders) {
    NamedGridLookup lookup;
    std::vector<bool> orders = {false, true};
    if (name.bigEndian) orders = {*name.bigEndian};
    for (const std::string& folder : folders) {
        for (const bool bigEndian : orders) {
            const std::string path = folder + "/" + GridFileName(name.size, bigEndian);
            if (!IsRegularFile(path)) continue;
            std::string passedOver;
            if (KeepsNamePromise(path, name.size, bigEndian, passedOver)) {
                lookup.path = path;
                return lookup;
            }
            lookup.passedOver.push_back(std::move(passedOver));
        }
    }
    return lookup;
}

NamedGridLookup FindModelGrid(GeoidModel model, const std::vector<std::string>& folders) {
    NamedGridLookup lookup;
    const ModelFile* file = ModelFileOf(model);
    if (file == nullptr) return lookup;
    for (const std::string& folder : folders) {
        const std::string path = folder + "/" + file->fileName;
        if (!IsRegularFile(path)) continue;
        GridProbe probe;
        const bool probed = ProbeGridFile(path, probe);
        if (probed && probe.model == model) {
            lookup.path = path;
            return lookup;
        }
        lookup.passedOver.push_back(ModelPassedOverMessage(path, model, probed ? &probe : nullptr));
    }
    return lookup;
}

std::string InternalDatabasePath() {
    if (Exists(kInternalGridName)) return kInternalGridName;
    // An installation moved as a whole keeps the database beside the program, in ../share/egm2008.
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::string beside =
            (program.parent_path() / ".." / "share" / "egm2008" / kInternalGridName)
                .lexically_normal();
        if (Exists(beside)) return beside;
    }
    return std::string(EGM2008_INSTALLED_DATA_DIR) + "/" + kInternalGridName;
}

bool ChooseGrid(const GridRequest& request, GeoidGrid& grid, std::string& reason) {
    GridChoiceNotes notes;
    const bool chosen = ChooseGrid(request, grid, notes);
    reason = std::move(notes.reason);
    return chosen;
}

namespace {

// The choice of an older model's file: by the request's path, else found in the grid folders.
bool ChooseModelGrid(const GridRequest& request, GeoidModel model, GeoidGrid& grid,
                     GridChoiceNotes& notes) {
    if (request.size || request.bigEndian ||
        (request.path && ParseGridName(*request.path) && !Exists(*request.path))) {
        notes.reason = ModelTakesNoSizeMessage(model);
        return false;
    }
    std::string path;
    if (request.path) {
        path = *request.path;
    } else {
        const std::vector<std::string> folders = GridSearchFolders();
        NamedGridLookup found = FindModelGrid(model, folders);
        notes.passedOver = std::move(found.passedOver);
        if (!found.path) {
            notes.reason = ModelGridNotFoundMessage(model, folders);
            return false;
        }
        path = *found.path;
    }
    GridProbe probe;
    if (!Probe(path, probe, notes)) return false;
    if (probe.model != model) {
        if (probe.model || probe.size) {
            notes.reason =
                ModelMismatchMessage(path, probe.model.value_or(GeoidModel::Egm2008), model);
        } else {
            notes.reason = GridMismatchMessage(GridOfModel(path, model));
        }
        return false;
    }
    grid = GridOfModel(path, model);
    return true;
}

}  // namespace

bool ChooseGrid(const GridRequest& request, GeoidGrid& grid, GridChoiceNotes& notes) {
    if (request.model && *request.model != GeoidModel::Egm2008) {
        return ChooseModelGrid(request, *request.model, grid, notes);
    }
    GridRequest wanted = request;
    if (!wanted.path) {
        // The desktop program takes the internal database as 10' little-endian.
        wanted.path = InternalDatabasePath();
        if (!wanted.size) wanted.size = GridSize::Grid10x10;
        if (!wanted.bigEndian) wanted.bigEndian = false;
    }
    std::string path;
    if (!ResolvePath(*wanted.path, path, notes)) return false;

    GridProbe probe;
    if (!Probe(path, probe, notes)) {
        if (!request.path) {
            notes.reason = NoInternalDatabaseMessage(kInternalGridName, EGM2008_INSTALLED_DATA_DIR);
        }
        return false;
    }
    if (probe.model) {
        // A path to an older model's file is that model's grid, unless EGM2008 was asked for.
        if (request.model) {
            notes.reason = ModelMismatchMessage(path, *probe.model, GeoidModel::Egm2008);
            return false;
        }
        return ChooseModelGrid(GridRequest{path, request.size, request.bigEndian, probe.model},
                               *probe.model, grid, notes);
    }
    if (!Fits(path, probe, wanted, notes.reason)) return false;
    grid = GridOfKind(path, *probe.size, *probe.bigEndian);
    return true;
}

}  // namespace egm2008::engine
