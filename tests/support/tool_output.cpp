#include "tests/support/tool_output.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tests/support/file_bytes.hpp"
#include "tests/support/scratch_folder.hpp"

namespace egm2008::test {

bool ToolOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t from = 0;
    while (from <= folders.size()) {
        const std::size_t colon = std::min(folders.find(':', from), folders.size());
        const std::string folder = folders.substr(from, colon - from);
        if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
        from = colon + 1;
    }
    return false;
}

std::optional<std::string> ToolOutput(const std::string& command, const std::string& input) {
    ScratchFolder scratch;
    const std::string in = scratch.File("stdin");
    WriteFile(in, input);
    FILE* pipe = ::popen((command + " < '" + in + "'").c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string out;
    char chunk[4096];
    while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) out.append(chunk, n);
    const int status = ::pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return out;
}

}  // namespace egm2008::test
