#include "engine/file_identity.hpp"

#include <sys/stat.h>

namespace egm2008::engine {

namespace {

FileIdentity IdentityOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, S_ISREG(info.st_mode)};
}

}  // namespace

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
    return IdentityOf(info);
}

std::optional<FileIdentity> IdentityOfDescriptor(int fd) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) return std::nullopt;
    return IdentityOf(info);
}

bool SameFile(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> first = IdentityOfPath(a);
    return first && first == IdentityOfPath(b);
}

bool DescriptorIsFile(int fd, const std::string& path) {
    const std::optional<FileIdentity> open = IdentityOfDescriptor(fd);
    return open && open->regular && open == IdentityOfPath(path);
}

bool IsRegularFile(const std::string& path) {
    const std::optional<FileIdentity> identity = IdentityOfPath(path);
    return identity && identity->regular;
}

}  // namespace egm2008::engine
