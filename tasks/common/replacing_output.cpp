#include "tasks/common/replacing_output.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>

#include "engine/file_access.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008 {

namespace {

constexpr int kNameAttempts = 100;

// The folder part of `path` ("." when it has none) and its last part.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const std::size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a new file ".<name>.egm2008-XXXXXX" in `folder` (mode 0666 less the
// umask, as any new output); its descriptor, or -1 with errno set.
int CreateTemporary(const std::string& folder, const std::string& name, std::string& created) {
    static std::atomic<unsigned> counter{0};
    const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        auto seed = static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count());
        seed ^=
            static_cast<unsigned long long>(::getpid()) << 20 ^ ++counter * 0x9E3779B97F4A7C15ull;
        std::string suffix(6, '0');
        for (char& c : suffix) {
            c = digits[seed % 36];
            seed /= 36;
        }
        created = folder + "/." + name + ".egm2008-" + suffix;
        const int fd = OpenOutputFile(created, OutputCreation::Exclusive);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

bool ReplacingOutput::Open(const std::string& path, bool replace) {
    Discard();
    viaTemporary_ = false;
    live_ = !replace;
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    if (live_) return text_.Open(path);
    struct stat target {};
    existed_ = ::stat(path.c_str(), &target) == 0;
    struct stat link {};
    const bool dangling = !existed_ && ::lstat(path.c_str(), &link) == 0;
    // Devices, FIFOs, folders (refused by the open) and dangling links: as they are.
    if ((existed_ && !S_ISREG(target.st_mode)) || dangling) return text_.Open(path);
    if (existed_ && ::access(path.c_str(), W_OK) != 0) return false;

    std::string real = path;
    if (existed_) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) == nullptr) return text_.Open(path);
        real = resolved;
    }
    std::string folder, name;
    SplitPath(real, folder, name);
    std::string temporary;
    const int fd = CreateTemporary(folder, name, temporary);
    if (fd < 0) return text_.Open(path);  // no temporary file here: written in place
    if (existed_) (void)::fchmod(fd, target.st_mode & 07777);
    text_.Adopt(fd);
    target_ = real;
    temporary_ = temporary;
    viaTemporary_ = true;
    return true;
}

bool ReplacingOutput::Keep() {
    const bool written = text_.Close();
    if (!replacing()) {
        if (!written) errno = text_.error();
        return written;
    }
    int error = written ? 0 : text_.error();
    if (error == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
    if (error != 0) {
        Discard();
        errno = error;
        return false;
    }
    temporary_.clear();
    return true;
}

void ReplacingOutput::Discard() {
    text_.Close();
    if (replacing()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

OutputFate ReplacingOutput::fate() const {
    if (live_) return OutputFate::Live;
    if (!viaTemporary_) return OutputFate::Incomplete;
    return existed_ ? OutputFate::Unchanged : OutputFate::NotCreated;
}

}  // namespace egm2008
