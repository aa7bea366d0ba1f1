// Whether two paths name the same file, whatever their spelling (relative or
// absolute, "..", links). A run must never open for writing the file it reads
// or the grid file in use: that would empty it before it is read.
#pragma once

#include <string>

namespace egm2008 {

/// True when both paths exist and name the same file (same device and inode).
bool SameFile(const std::string& a, const std::string& b);

/// True when `path` exists and is a regular file (links followed).
bool IsRegularFile(const std::string& path);

}  // namespace egm2008
