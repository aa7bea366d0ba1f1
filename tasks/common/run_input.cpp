#include "tasks/common/run_input.hpp"

#include <unistd.h>

#include <cerrno>
#include <string>

#include "engine/file_access.hpp"
#include "engine/messages.hpp"
#include "engine/file_identity.hpp"
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
    identity_.reset();
}

void PointFileInput::Identify() {
    identity_ = IdentityOfDescriptor(fd_);
    if (identity_ && !identity_->regular) identity_.reset();
}

std::string OutputRefusal(const PointFileInput& input, const std::string& outputPath,
                          const GeoidGrid& grid) {
    const bool standard = outputPath == "-";
    const std::optional<FileIdentity> output =
        standard ? IdentityOfDescriptor(STDOUT_FILENO) : IdentityOfPath(outputPath);
    if (!output) return {};
    if (input.identified() && input.identity() == output) return OutputIsInputMessage(outputPath);
    if (standard ? DescriptorIsFile(STDOUT_FILENO, grid.path) : SameFile(outputPath, grid.path)) {
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
    const std::string quoted = Quoted(name);
    if (const std::size_t at = refusal.find(quoted); at != std::string::npos) {
        refusal.replace(at, quoted.size(), Quoted("-"));
    }
    return refusal;
}

std::optional<std::string> SetUpPointFile(const PointFileRequest& request, const GeoidGrid& grid,
                                          Notifier& notifier, PointFileSetup& setup) {
    if (request.inputPath == "-") {
        setup.input.Attach(request.standardInput);
    } else if (!setup.input.Open(request.inputPath)) {
        return InputOpenMessage(request.inputPath, errno);
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
