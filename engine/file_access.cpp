#include "engine/file_access.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace egm2008::engine {

namespace {

// open(2) retried while a signal interrupts it; O_NONBLOCK keeps a FIFO from holding it.
int OpenRetrying(const std::string& path, int flags, mode_t mode = 0) {
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Closes `fd` and answers -1 with errno `error`.
int CloseFailing(int fd, int error) {
    ::close(fd);
    errno = error;
    return -1;
}

// Makes reads and writes on `fd`, opened with `flags` and O_NONBLOCK, block again; false
// with errno set when it cannot. F_SETFL ignores the access mode and the creation flags, so
// the open's own flags (one call, no F_GETFL) leave every status flag but O_NONBLOCK as it is.
bool ClearNonBlocking(int fd, int flags) { return ::fcntl(fd, F_SETFL, flags) == 0; }

}  // namespace

int OpenRegularFile(const std::string& path, std::uint64_t* length) {
    const int flags = O_RDONLY;
    const int fd = OpenRetrying(path, flags);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0) return CloseFailing(fd, errno);
    if (!S_ISREG(info.st_mode)) return CloseFailing(fd, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    if (!ClearNonBlocking(fd, flags)) return CloseFailing(fd, errno);
    if (length != nullptr) *length = static_cast<std::uint64_t>(info.st_size);
    return fd;
}

int OpenOutputFile(const std::string& path, OutputCreation creation) {
    const int flags =
        O_WRONLY | O_CREAT | (creation == OutputCreation::Exclusive ? O_EXCL : O_TRUNC);
    const int fd = OpenRetrying(path, flags, 0666);
    if (fd < 0) return -1;
    if (!ClearNonBlocking(fd, flags)) return CloseFailing(fd, errno);
    return fd;
}

namespace {

constexpr int kNameAttempts = 100;

// The folder part of `path` ("." when it has none) and its last part.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const std::size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int ReplacementFile::Create(const std::string& target) {
    Discard();
    static std::atomic<unsigned> counter{0};
    const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string folder, name;
    SplitPath(target, folder, name);
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
        const std::string path = folder + "/." + name + ".egm2008-" + suffix;
        const int fd = OpenOutputFile(path, OutputCreation::Exclusive);
        if (fd >= 0) {
            target_ = target;
            path_ = path;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

bool ReplacementFile::Replace() {
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        Discard();
        errno = error;
        return false;
    }
    path_.clear();
    return true;
}

void ReplacementFile::Discard() {
    if (pending()) ::unlink(path_.c_str());
    path_.clear();
}

bool ReadAt(int fd, unsigned char* buffer, std::size_t count, std::int64_t offset) {
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd, buffer + got, count - got, offset + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadOnlyMapping::Map(int fd, std::uint64_t size, Access access) {
    Reset();
    if (size == 0) {
        errno = EINVAL;
        return false;
    }
    void* address = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED) return false;
    ::madvise(address, size, access == Access::Sequential ? MADV_SEQUENTIAL : MADV_RANDOM);
    data_ = static_cast<const unsigned char*>(address);
    size_ = static_cast<std::size_t>(size);
    return true;
}

void ReadOnlyMapping::Reset() {
    if (data_ != nullptr) ::munmap(const_cast<unsigned char*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace egm2008::engine
