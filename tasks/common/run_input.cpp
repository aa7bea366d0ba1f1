#include "tasks/common/run_input.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "engine/file_access.hpp"
#include "tasks/common/file_identity.hpp"
#include "tasks/messages.hpp"

namespace egm2008 {

bool PointFileInput::Open(const std::string& path) {
    Close();
    if (path == "-") {
        Attach(STDIN_FILENO);
        return true;
    }
    // Read only: nothing is written to the input; anything but a regular file is refused.
    const int fd = OpenRegularFile(path);
    if (fd < 0) return false;
    fd_ = fd;
    owned_ = true;
    Identify();
    return true;
}

void PointFileInput::Attach(int fd) {
    Close();
    fd_ = fd;
    owned_ = false;
    Identify();
}

void PointFileInput::Close() {
    if (owned_ && fd_ >= 0) ::close(fd_);
    fd_ = -1;
    owned_ = false;
    identified_ = false;
}

void PointFileInput::Identify() {
    struct stat info {};
    identified_ = fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
    device_ = identified_ ? info.st_dev : 0;
    inode_ = identified_ ? info.st_ino : 0;
}

std::string OutputRefusal(const PointFileInput& input, const std::string& outputPath,
                          const GeoidGrid& grid) {
    struct stat output {};
    const bool exists = outputPath == "-"
                            ? ::fstat(STDOUT_FILENO, &output) == 0
                            : !outputPath.empty() && ::stat(outputPath.c_str(), &output) == 0;
    if (!exists) return {};
    if (input.identified() && output.st_dev == input.device() && output.st_ino == input.inode()) {
        return OutputIsInputMessage(outputPath);
    }
    struct stat gridFile {};
    const bool isGrid = outputPath == "-" ? S_ISREG(output.st_mode) && !grid.path.empty() &&
                                                ::stat(grid.path.c_str(), &gridFile) == 0 &&
                                                gridFile.st_dev == output.st_dev &&
                                                gridFile.st_ino == output.st_ino
                                          : SameFile(outputPath, grid.path);
    if (isGrid) {
        return OutputIsGeoidFileMessage(outputPath);
    }
    return {};
}

std::string OutputRefusal(const PointFileInput& input, const std::string& outputPath,
                          const GeoidGrid& grid, int standardOutput) {
    if (outputPath != "-" || standardOutput == STDOUT_FILENO) {
        return OutputRefusal(input, outputPath, grid);
    }
    // The same checks through the descriptor's name in /dev/fd, with "-" in the message.
    const std::string name = "/dev/fd/" + std::to_string(standardOutput);
    std::string refusal = OutputRefusal(input, name, grid);
    const std::string quoted = "\"" + name + "\"";
    if (const std::size_t at = refusal.find(quoted); at != std::string::npos) {
        refusal.replace(at, quoted.size(), "\"-\"");
    }
    return refusal;
}

std::optional<std::string> SetUpPointFile(const PointFileRequest& request, const GeoidGrid& grid,
                                          Notifier& notifier, PointFileSetup& setup) {
    if (request.inputPath == "-") {
        setup.input.Attach(request.standardInput);
    } else if (!setup.input.Open(request.inputPath)) {
        return InputOpenMessage(request.inputPath);
    }
    std::string refusal =
        OutputRefusal(setup.input, request.outputPath, grid, request.standardOutput);
    if (refusal.empty() && setup.mapped.Map(grid, notifier) == QueryStatus::StatusOk) {
        return std::nullopt;
    }
    setup.input.Close();
    return refusal;
}

}  // namespace egm2008
