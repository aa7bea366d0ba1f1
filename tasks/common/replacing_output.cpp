#include "tasks/common/replacing_output.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "tasks/engine_names.hpp"
namespace egm2008 {

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
    const int fd = temporary_.Create(real);
    if (fd < 0) return text_.Open(path);  // no temporary file here: written in place
    if (existed_) (void)::fchmod(fd, target.st_mode & 07777);
    text_.Adopt(fd);
    viaTemporary_ = true;
    return true;
}

OutputKept ReplacingOutput::Keep() {
    int error = text_.Close() ? 0 : text_.error();
    if (error == 0 && replacing() && !temporary_.Replace()) error = errno;
    if (error != 0) Discard();
    return {error};
}

void ReplacingOutput::Discard() {
    text_.Close();
    temporary_.Discard();
}

OutputFate ReplacingOutput::fate() const {
    if (live_) return OutputFate::Live;
    if (!viaTemporary_) return OutputFate::Incomplete;
    return existed_ ? OutputFate::Unchanged : OutputFate::NotCreated;
}

}  // namespace egm2008
