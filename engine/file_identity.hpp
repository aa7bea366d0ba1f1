// Which file a path or an open descriptor names (device and inode, links
// followed), whether it is a regular file, and whether two name the same file
// whatever their spelling (relative or absolute, ".."). A run must never open
// for writing the file it reads or the grid file in use: that would empty it
// before it is read.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace egm2008::engine {

/// Which file a path or a descriptor names.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool regular = false;  ///< a regular file (not a folder, FIFO, device or socket)

    bool operator==(const FileIdentity&) const = default;
};

/// The file `path` names (links followed); nothing when it is empty or cannot be reached.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);
/// The file the open descriptor `fd` reads or writes; nothing when fstat fails.
std::optional<FileIdentity> IdentityOfDescriptor(int fd);

/// True when both paths exist and name the same file.
bool SameFile(const std::string& a, const std::string& b);

/// True when the open descriptor `fd` is the regular file `path` names (standard
/// output opened on the grid file, for instance).
bool DescriptorIsFile(int fd, const std::string& path);

/// True when `path` exists and is a regular file (links followed).
bool IsRegularFile(const std::string& path);

}  // namespace egm2008::engine
