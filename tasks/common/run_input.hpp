// The input of a file run (point files, NMEA logs, delimited heights files)
// and the checks made before its output is opened: the input opened read only,
// an output that is the input or the grid refused, the grid mapped and checked,
// all before the output is opened, which empties it.
#pragma once

#include <unistd.h>

#include <optional>
#include <string>

#include "engine/geoid_grid.hpp"
#include "engine/mapped_grid.hpp"
#include "engine/notifier.hpp"
#include "engine/file_identity.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008 {

/// The input of a run, read only.
class PointFileInput {
public:
    PointFileInput() = default;
    ~PointFileInput() { Close(); }
    PointFileInput(const PointFileInput&) = delete;
    PointFileInput& operator=(const PointFileInput&) = delete;

    /// Opens `path` for reading only; "-" is standard input (left open by Close).
    /// False, errno set, when it cannot be opened or a named file is not a
    /// regular file (a folder, FIFO or device would block or fail later).
    bool Open(const std::string& path);
    /// Reads an already open descriptor, which Close leaves open.
    void Attach(int fd);
    void Close();
    int fd() const { return fd_; }
    /// True when the input is a regular file, whose identity is known (for OutputRefusal).
    bool identified() const { return identity_.has_value(); }
    /// Which regular file the input is; nothing for a pipe, FIFO, terminal or device.
    const std::optional<FileIdentity>& identity() const { return identity_; }

private:
    void Identify();
    int fd_ = -1;
    bool owned_ = false;
    std::optional<FileIdentity> identity_;
};

/// Why a run reading `input` with `grid` must not write `outputPath` ("-" is
/// standard output): the text to show, or "" when it may. Call it before the
/// output is opened, which would empty the file.
std::string OutputRefusal(const PointFileInput& input, const std::string& outputPath,
                          const GeoidGrid& grid);
/// The same, with "-" standing for the descriptor `standardOutput`.
std::string OutputRefusal(const PointFileInput& input, const std::string& outputPath,
                          const GeoidGrid& grid, int standardOutput);

/// The files of a run: paths, "-" for the given standard descriptors.
struct PointFileRequest {
    std::string inputPath;   ///< "-": read `standardInput`
    std::string outputPath;  ///< "-": write `standardOutput`
    int standardInput = STDIN_FILENO;
    int standardOutput = STDOUT_FILENO;
};

/// A run made ready: the input open, the output allowed, the grid mapped and checked.
struct PointFileSetup {
    PointFileInput input;
    MappedGrid mapped;
};

/// Makes a run ready in the order that keeps every file as it was when something
/// fails: opens the input, checks that the output may be written (OutputRefusal),
/// maps and checks the grid, all before the output is opened, which empties it.
/// Returns the message to show when one fails ("" when the grid's own message went
/// to `notifier`), nothing when the run may go on.
std::optional<std::string> SetUpPointFile(const PointFileRequest& request, const GeoidGrid& grid,
                                          Notifier& notifier, PointFileSetup& setup);

}  // namespace egm2008
