#include "tasks/common/file_identity.hpp"

#include <sys/stat.h>

namespace egm2008 {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool IsRegularFile(const std::string& path) {
    struct stat s {};
    return !path.empty() && ::stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

}  // namespace egm2008
